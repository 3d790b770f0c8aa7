#include "launchers/pad_view.h"

#include "launchers/pad_arrange.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrana::launchers {

namespace {

constexpr std::size_t kGroupPerPage = static_cast<std::size_t>(kPadColumns * PadView::kGroupRows);
constexpr std::size_t kMaxTyped = 64;

bool Contains(const gfx::RectI& r, PadPoint p) { return p.x >= r.x && p.y >= r.y && p.x < r.Right() && p.y < r.Bottom(); }

int DragThreshold(float scale) { return std::max(4, static_cast<int>(8 * scale)); }

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

} // namespace

void PadView::PagesChanged() {
    if (m_pages.empty()) m_pages.emplace_back();
    m_page = std::min(m_page, m_pages.size() - 1);
    if (m_group && (m_group->page >= m_pages.size() || m_group->position >= m_pages[m_group->page].size() ||
                    !std::holds_alternative<LaunchpadGroup>(m_pages[m_group->page][m_group->position])))
        CloseGroup();
    m_groupPage = std::min(m_groupPage, GroupPageCount() ? GroupPageCount() - 1 : 0);
    if (Searching()) SetSearch(m_search);
}

void PadView::Reset() {
    m_page = 0;
    m_sliding = false;
    m_swipeOffset = 0;
    m_search.clear();
    m_composition.clear();
    m_hits.clear();
    m_selection = -1;
    m_notice.clear();
    m_noticePressed = false;
    m_confirm.reset();
    CloseGroup();
    CancelPress();
    PagesChanged();
}

void PadView::ShowNotice(std::wstring text) {
    CancelPress();
    m_renaming = false;
    m_notice = std::move(text);
    m_noticePressed = false;
    m_confirm.reset();
}

namespace {
const LaunchpadEntry* EntryIn(const std::vector<LaunchpadPage>& pages, const EntryPlace& place) {
    if (place.page >= pages.size() || place.position >= pages[place.page].size()) return nullptr;
    const auto& icon = pages[place.page][place.position];
    if (!place.member) return std::get_if<LaunchpadEntry>(&icon);
    const auto* group = std::get_if<LaunchpadGroup>(&icon);
    return group && *place.member < group->entries.size() ? &group->entries[*place.member] : nullptr;
}
} // namespace

void PadView::AskDelete(const EntryPlace& place, std::wstring text) {
    const auto* entry = EntryIn(m_pages, place);
    if (!entry) return;
    ShowNotice(std::move(text));
    m_confirm = place;
    m_confirmPath = entry->path;
}

PadCommand PadView::AnswerPrompt(bool confirmed) {
    const auto place = m_confirm;
    m_notice.clear();
    m_noticePressed = false;
    m_confirm.reset();
    if (!confirmed || !place) return {};
    const auto* entry = EntryIn(m_pages, *place);
    if (!entry || entry->path != m_confirmPath) return {};
    return {PadCommand::Kind::Delete, *place};
}

PadPromptBoxes PadView::PromptBoxes() const {
    const auto& g = m_geometry;
    const auto px = [&g](int v) { return static_cast<int>(static_cast<float>(v) * g.scale); };
    // What carries text grows with the system's text size, never past the screen.
    const auto tx = [&g](int v) {
        return static_cast<int>(static_cast<float>(v) * g.scale * std::max(1.0f, g.textScale));
    };
    const int pad = px(24), icon = px(64), buttonWidth = tx(112), buttonHeight = tx(34);
    const int textWidth = std::max(px(120), std::min(tx(360), g.width - 4 * pad - icon));
    const int body = std::max(icon, tx(80)); // four lines of text
    const int width = pad + icon + pad + textWidth + pad;
    const int height = pad + body + pad + buttonHeight + pad;
    PadPromptBoxes boxes;
    boxes.panel = {(g.width - width) / 2, (g.height - height) / 2, width, height};
    boxes.icon = {boxes.panel.x + pad, boxes.panel.y + pad, icon, icon};
    boxes.text = {boxes.icon.Right() + pad, boxes.panel.y + pad, textWidth, body};
    boxes.confirm = {boxes.panel.Right() - pad - buttonWidth, boxes.panel.Bottom() - pad - buttonHeight, buttonWidth,
                     buttonHeight};
    if (m_confirm) boxes.cancel = {boxes.confirm.x - px(12) - buttonWidth, boxes.confirm.y, buttonWidth, buttonHeight};
    return boxes;
}

bool PadView::DraggingOpenGroupMember() const {
    return m_drag == DragState::Dragging && m_pressed && m_pressed->place.member && m_group &&
           m_pressed->place.page == m_group->page && m_pressed->place.position == m_group->position;
}

float PadView::PagePosition(std::int64_t nowMs) const {
    const float width = static_cast<float>(std::max(m_geometry.width, 1));
    float position = static_cast<float>(m_page);
    if (m_sliding) {
        const float t = SlideProgress(static_cast<int>(nowMs - m_slideStart), kSlideMs);
        position = m_slideFrom + (position - m_slideFrom) * t;
    }
    return position - static_cast<float>(m_swipeOffset) / width;
}

bool PadView::Animating(std::int64_t nowMs) const { return m_sliding && nowMs - m_slideStart < kSlideMs; }

void PadView::GoToPage(std::size_t page, std::int64_t nowMs) {
    if (m_pages.empty()) return;
    page = std::min(page, m_pages.size() - 1);
    if (page == m_page && m_swipeOffset == 0) return;
    m_slideFrom = PagePosition(nowMs);
    m_swipeOffset = 0;
    m_page = page;
    m_sliding = true;
    m_slideStart = nowMs;
    m_selection = -1;
}

void PadView::TurnPage(int direction, std::int64_t nowMs) {
    const auto last = static_cast<std::ptrdiff_t>(m_pages.size()) - 1;
    const auto target = std::clamp(static_cast<std::ptrdiff_t>(m_page) + direction, std::ptrdiff_t{0}, last);
    m_slideFrom = PagePosition(nowMs);
    m_swipeOffset = 0;
    m_page = static_cast<std::size_t>(target);
    m_sliding = true;
    m_slideStart = nowMs;
    m_selection = -1;
}

const LaunchpadGroup* PadView::OpenGroupData() const {
    if (!m_group || m_group->page >= m_pages.size() || m_group->position >= m_pages[m_group->page].size()) return nullptr;
    return std::get_if<LaunchpadGroup>(&m_pages[m_group->page][m_group->position]);
}

std::size_t PadView::GroupPageCount() const {
    const auto* group = OpenGroupData();
    if (!group) return 0;
    return std::max<std::size_t>(1, (group->entries.size() + kGroupPerPage - 1) / kGroupPerPage);
}

void PadView::CloseGroup() {
    m_group.reset();
    m_groupPage = 0;
    m_renaming = false;
    m_selection = -1;
}

void PadView::SetSearch(std::wstring text) {
    m_search = std::move(text);
    m_hits = m_search.empty() ? std::vector<SearchHit>{} : SearchPages(m_pages, m_search);
    m_resultPage = 0;
    m_selection = m_hits.empty() ? -1 : 0;
}

std::size_t PadView::ResultPageCount() const {
    return std::max<std::size_t>(1, (m_hits.size() + kIconsPerPage - 1) / kIconsPerPage);
}

bool PadView::TurnResultPage(int direction) {
    const auto next = static_cast<std::ptrdiff_t>(m_resultPage) + direction;
    if (next < 0 || next >= static_cast<std::ptrdiff_t>(ResultPageCount())) return false;
    m_resultPage = static_cast<std::size_t>(next);
    m_selection = 0; // Enter starts the page's best hit, as it does the first page's
    return true;
}

std::optional<PadTile> PadView::DraggedTile() const {
    if (m_drag != DragState::Dragging) return std::nullopt;
    return m_pressed;
}

std::optional<EntryPlace> PadView::CombineTarget() const { return m_drag == DragState::Dragging ? m_combine : std::nullopt; }

std::vector<PadTile> PadView::PageTiles(std::size_t page) const {
    std::vector<PadTile> tiles;
    if (page >= m_pages.size()) return tiles;
    const bool dragging = m_drag == DragState::Dragging && m_pressed;
    const auto& icons = m_pages[page];
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (dragging && !m_pressed->place.member && m_pressed->place.page == page && m_pressed->place.position == i)
            continue;
        PadTile tile;
        tile.place = {page, i, std::nullopt};
        if (const auto* entry = std::get_if<LaunchpadEntry>(&icons[i])) tile.entry = entry;
        else tile.group = &std::get<LaunchpadGroup>(icons[i]);
        tiles.push_back(tile);
    }
    // Room for the dragged icon where it would land.
    const int gap = dragging && page == m_page && !m_group ? m_dropCell : -1;
    int cell = 0;
    for (auto& tile : tiles) {
        if (cell == gap) ++cell;
        tile.cell = cell++;
    }
    return tiles;
}

std::vector<PadTile> PadView::ResultTiles() const {
    std::vector<PadTile> tiles;
    for (std::size_t i = m_resultPage * kIconsPerPage; i < m_hits.size() && tiles.size() < kIconsPerPage; ++i) {
        const auto& place = m_hits[i].place;
        const auto& icon = m_pages[place.page][place.position];
        PadTile tile;
        tile.place = place;
        tile.cell = static_cast<int>(tiles.size());
        tile.entry = place.member ? &std::get<LaunchpadGroup>(icon).entries[*place.member] : &std::get<LaunchpadEntry>(icon);
        tiles.push_back(tile);
    }
    return tiles;
}

std::vector<PadTile> PadView::GroupTiles() const {
    std::vector<PadTile> tiles;
    const auto* group = OpenGroupData();
    if (!group) return tiles;
    const std::size_t first = m_groupPage * kGroupPerPage;
    const bool dragging = DraggingOpenGroupMember();
    // Room for the dragged member where it would land.
    const int gap = dragging ? m_groupDropCell : -1;
    int cell = 0;
    for (std::size_t i = first; i < group->entries.size() && i < first + kGroupPerPage; ++i) {
        if (dragging && m_pressed->place.member == i) continue;
        if (cell == gap) ++cell;
        PadTile tile;
        tile.place = {m_group->page, m_group->position, i};
        tile.cell = cell++;
        tile.entry = &group->entries[i];
        tiles.push_back(tile);
    }
    return tiles;
}

std::vector<PadTile> PadView::SelectableTiles() const {
    if (Searching()) return ResultTiles();
    if (m_group) return GroupTiles();
    return PageTiles(m_page);
}

gfx::RectI PadView::GroupPanel() const {
    const auto& g = m_geometry;
    const auto* group = OpenGroupData();
    const std::size_t count = group ? group->entries.size() : 0;
    const int rows = std::clamp(static_cast<int>((count + kPadColumns - 1) / kPadColumns), 1, kGroupRows);
    const int pad = static_cast<int>(24 * g.scale);
    const int title = static_cast<int>(56 * g.scale);
    const int dots = GroupPageCount() > 1 ? static_cast<int>(28 * g.scale) : 0;
    const int width = kPadColumns * g.cellWidth + (kPadColumns - 1) * g.spaceX + 2 * pad;
    const int height = title + rows * g.cellHeight + (rows - 1) * (g.spaceY / 2) + pad + dots;
    return {(g.width - width) / 2, g.topOffset + (g.usableHeight - g.topOffset - height) / 2, width, height};
}

gfx::RectI PadView::GroupCell(int index) const {
    const auto& g = m_geometry;
    const gfx::RectI panel = GroupPanel();
    const int pad = static_cast<int>(24 * g.scale);
    const int title = static_cast<int>(56 * g.scale);
    return {panel.x + pad + (index % kPadColumns) * (g.cellWidth + g.spaceX),
            panel.y + title + (index / kPadColumns) * (g.cellHeight + g.spaceY / 2), g.cellWidth, g.cellHeight};
}

gfx::RectI PadView::GroupTitle() const {
    const gfx::RectI panel = GroupPanel();
    const int title = static_cast<int>(56 * m_geometry.scale);
    return {panel.x, panel.y, panel.width, title};
}

PadPoint PadView::DotCentre(std::size_t index, std::size_t count) const {
    const int spacing = m_geometry.DotSpacing();
    const int offset = (2 * static_cast<int>(index) - (static_cast<int>(count) - 1)) * spacing / 2;
    return {m_geometry.width / 2 + offset, m_geometry.DotsY()};
}

PadView::Hit PadView::HitTest(PadPoint at) const {
    Hit hit;
    const auto dotUnder = [this, at](std::size_t count) -> std::optional<std::size_t> {
        if (count < 2) return std::nullopt;
        const int reach = std::max(m_geometry.DotSpacing() / 2, 2 * m_geometry.DotRadius());
        for (std::size_t i = 0; i < count; ++i) {
            const PadPoint c = DotCentre(i, count);
            if (std::abs(at.x - c.x) <= reach && std::abs(at.y - c.y) <= reach) return i;
        }
        return std::nullopt;
    };
    if (Searching()) {
        for (const auto& tile : ResultTiles())
            if (Contains(m_geometry.Cell(tile.cell), at)) return {Hit::Kind::Tile, tile, 0};
        if (Contains(m_geometry.searchBox, at)) hit.kind = Hit::Kind::SearchBox;
        if (const auto dot = dotUnder(ResultPageCount())) return {Hit::Kind::Dot, {}, *dot};
        return hit;
    }
    if (m_group) {
        if (Contains(GroupTitle(), at)) return {Hit::Kind::GroupTitle, {}, 0};
        for (const auto& tile : GroupTiles())
            if (Contains(GroupCell(tile.cell), at)) return {Hit::Kind::Tile, tile, 0};
        if (Contains(GroupPanel(), at)) hit.kind = Hit::Kind::GroupPanel;
        return hit;
    }
    for (const auto& tile : PageTiles(m_page))
        if (Contains(m_geometry.Cell(tile.cell), at)) return {Hit::Kind::Tile, tile, 0};
    if (Contains(m_geometry.searchBox, at)) return {Hit::Kind::SearchBox, {}, 0};
    if (const auto dot = dotUnder(m_pages.size())) return {Hit::Kind::Dot, {}, *dot};
    return hit;
}

int PadView::CellUnder(PadPoint at) const {
    const auto& g = m_geometry;
    const gfx::RectI first = g.Cell(0, 0);
    const int stepX = std::max(g.cellWidth + g.spaceX, 1);
    const int stepY = std::max(g.cellHeight + g.spaceY, 1);
    const int column = std::clamp((at.x - first.x + g.spaceX / 2) / stepX - (at.x - first.x + g.spaceX / 2 < 0 ? 1 : 0), 0,
                                  kPadColumns - 1);
    const int row = std::clamp((at.y - first.y + g.spaceY / 2) / stepY - (at.y - first.y + g.spaceY / 2 < 0 ? 1 : 0), 0,
                               kPadRows - 1);
    return row * kPadColumns + column;
}

int PadView::GroupCellUnder(PadPoint at) const {
    const auto& g = m_geometry;
    const gfx::RectI first = GroupCell(0);
    const int stepX = std::max(g.cellWidth + g.spaceX, 1);
    const int stepY = std::max(g.cellHeight + g.spaceY / 2, 1);
    const int column = std::clamp(FloorDiv(at.x - first.x + g.spaceX / 2, stepX), 0, kPadColumns - 1);
    const int row = std::clamp(FloorDiv(at.y - first.y + g.spaceY / 4, stepY), 0, kGroupRows - 1);
    return row * kPadColumns + column;
}

std::optional<EntryPlace> PadView::EntryAt(PadPoint at) const {
    const Hit hit = HitTest(at);
    if (hit.kind == Hit::Kind::Tile && hit.tile.entry) return hit.tile.place;
    return std::nullopt;
}

bool PadView::Wheel(int delta, bool horizontal, bool buttonsOrKeysHeld, std::int64_t nowMs) {
    const PageTurn turn = WheelPageTurn(delta, horizontal, buttonsOrKeysHeld);
    if (turn == PageTurn::None || !m_notice.empty()) return false;
    // A wheel turn in the middle of something else would pull the page from under it.
    if (m_drag != DragState::None || Animating(nowMs) || m_renaming) return false;
    const int direction = turn == PageTurn::Next ? 1 : -1;
    if (Searching()) return TurnResultPage(direction);
    if (!m_group && ((direction < 0 && m_page == 0) || (direction > 0 && m_page + 1 >= m_pages.size()))) return false;
    if (m_group) {
        const auto count = static_cast<std::ptrdiff_t>(GroupPageCount());
        const auto next = static_cast<std::ptrdiff_t>(m_groupPage) + direction;
        if (next < 0 || next >= count) return false;
        m_groupPage = static_cast<std::size_t>(next);
        return true;
    }
    const std::size_t before = m_page;
    TurnPage(direction, nowMs);
    return m_page != before;
}

PadCommand PadView::CommitRename() {
    m_renaming = false;
    const EntryPlace place = m_renamePlace;
    if (m_renameEntry) {
        m_renameEntry = false;
        const auto* entry = EntryIn(m_pages, place);
        if (m_renameText.empty() || !entry || entry->path != m_renamePath || entry->name == m_renameText) return {};
        return {PadCommand::Kind::Rename, place, m_renameText};
    }
    if (m_renameText.empty() || place.page >= m_pages.size() || place.position >= m_pages[place.page].size())
        return {};
    auto* group = std::get_if<LaunchpadGroup>(&m_pages[place.page][place.position]);
    if (!group) return {};
    group->name = m_renameText;
    return {PadCommand::Kind::RenameGroup, place, m_renameText};
}

void PadView::BeginRename(const EntryPlace& place) {
    if (place.page >= m_pages.size() || place.position >= m_pages[place.page].size()) return;
    const auto* group = std::get_if<LaunchpadGroup>(&m_pages[place.page][place.position]);
    if (!group) return;
    m_group = EntryPlace{place.page, place.position, std::nullopt};
    m_groupPage = 0;
    m_renaming = true;
    m_renameEntry = false;
    m_renamePlace = *m_group;
    m_renameText = group->name;
    m_renameFresh = true;
}

void PadView::BeginRenameEntry(const EntryPlace& place) {
    const auto* entry = EntryIn(m_pages, place);
    if (!entry || !m_notice.empty()) return;
    CancelPress();
    m_renaming = true;
    m_renameEntry = true;
    m_renamePlace = place;
    m_renamePath = entry->path;
    m_renameText = entry->name;
    m_renameFresh = true;
}

std::optional<EntryPlace> PadView::RenamedEntry() const {
    if (m_renaming && m_renameEntry) return m_renamePlace;
    return std::nullopt;
}

PadCommand PadView::Key(PadKey key, std::int64_t nowMs) {
    if (!m_notice.empty()) {
        if (key == PadKey::Enter || key == PadKey::Escape) return AnswerPrompt(key == PadKey::Enter);
        return {};
    }
    if (m_renaming) {
        if (key == PadKey::Escape) {
            m_renaming = false;
            m_renameEntry = false;
            return {};
        }
        if (key == PadKey::Enter) return CommitRename();
        if (key == PadKey::Backspace && !m_renameText.empty()) {
            if (m_renameFresh) m_renameText.clear();
            else m_renameText.pop_back();
            m_renameFresh = false;
        }
        return {};
    }
    switch (key) {
    case PadKey::Escape:
        switch (EscapeAction(Searching(), m_group.has_value())) {
        case EscapeStep::ClearSearch: SetSearch({}); return {};
        case EscapeStep::CloseGroup: CloseGroup(); return {};
        case EscapeStep::Hide: return {PadCommand::Kind::Hide};
        }
        return {};
    case PadKey::Backspace:
        if (!m_search.empty()) SetSearch(m_search.substr(0, m_search.size() - 1));
        return {};
    case PadKey::Enter: {
        const auto tiles = SelectableTiles();
        if (m_selection >= 0 && static_cast<std::size_t>(m_selection) < tiles.size()) return Activate(tiles[m_selection]);
        return {};
    }
    default: break;
    }
    static constexpr SelectionKey kMoves[] = {SelectionKey::Left, SelectionKey::Right, SelectionKey::Up,
                                              SelectionKey::Down, SelectionKey::Tab,   SelectionKey::BackTab};
    const auto tiles = SelectableTiles();
    const int index = static_cast<int>(key) - static_cast<int>(PadKey::Left);
    // Stepping past the first or last icon of a page goes on to the neighbouring page.
    const bool pastEnd = (key == PadKey::Right || key == PadKey::Tab) && m_selection + 1 >= static_cast<int>(tiles.size());
    const bool pastStart = (key == PadKey::Left || key == PadKey::BackTab) && m_selection == 0;
    if (Searching() && m_selection >= 0 && (pastEnd || pastStart)) {
        if (TurnResultPage(pastEnd ? 1 : -1)) {
            m_selection = pastEnd ? 0 : static_cast<int>(ResultTiles().size()) - 1;
            return {};
        }
    }
    if (!Searching() && !m_group && m_selection >= 0) {
        if ((pastEnd && m_page + 1 < m_pages.size()) || (pastStart && m_page > 0)) {
            TurnPage(pastEnd ? 1 : -1, nowMs);
            m_selection = pastEnd ? 0 : static_cast<int>(PageTiles(m_page).size()) - 1;
            return {};
        }
    }
    m_selection = MoveSelection(m_selection, kMoves[index], static_cast<int>(tiles.size()), kPadColumns);
    return {};
}

bool PadView::Type(std::wstring_view text) {
    std::wstring clean;
    for (wchar_t c : text)
        if (c >= 0x20 && c != 0x7F) clean.push_back(c);
    m_composition.clear();
    if (clean.empty() || !m_notice.empty()) return false;
    if (m_renaming) {
        if (m_renameFresh) m_renameText.clear();
        m_renameFresh = false;
        m_renameText = (m_renameText + clean).substr(0, kMaxTyped);
        return true;
    }
    SetSearch((m_search + clean).substr(0, kMaxTyped));
    return true;
}

PadCommand PadView::Activate(const PadTile& tile) {
    if (tile.group) {
        m_group = tile.place;
        m_groupPage = 0;
        m_selection = -1;
        return {};
    }
    if (tile.entry) return {PadCommand::Kind::Launch, tile.place};
    return {};
}

void PadView::Press(PadPoint at, std::int64_t nowMs) {
    (void)nowMs;
    if (!m_notice.empty()) {
        m_noticePressed = true;
        m_noticePressAt = at;
        return;
    }
    m_pressAt = at;
    m_pointer = at;
    m_pressed.reset();
    m_pressedDot = false;
    m_dropCell = -1;
    m_pendingCell = -1;
    m_combine.reset();
    m_edgeSince = -1;
    m_groupDropCell = -1;
    const Hit hit = HitTest(at);
    if (hit.kind == Hit::Kind::Tile) m_pressed = hit.tile;
    if (hit.kind == Hit::Kind::Dot) {
        m_pressedDot = true;
        m_pressedDotIndex = hit.dot;
    }
    m_drag = DragState::Pressing;
    // A click on an open group's name renames it in place.
    if (hit.kind == Hit::Kind::GroupTitle && m_group && !m_renaming) BeginRename(*m_group);
    // Pressing the search box or a dot never drags anything.
    if (hit.kind == Hit::Kind::SearchBox || hit.kind == Hit::Kind::GroupTitle || hit.kind == Hit::Kind::GroupPanel)
        m_drag = DragState::None;
}

void PadView::CancelPress() {
    m_drag = DragState::None;
    m_pressed.reset();
    m_combine.reset();
    m_dropCell = -1;
    if (m_swipeOffset != 0) {
        m_slideFrom = static_cast<float>(m_page) - static_cast<float>(m_swipeOffset) / std::max(m_geometry.width, 1);
        m_swipeOffset = 0;
    }
}

bool PadView::Move(PadPoint at, std::int64_t nowMs) {
    m_pointer = at;
    const int threshold = DragThreshold(m_geometry.scale);
    switch (m_drag) {
    case DragState::None: return false;
    case DragState::Pressing: {
        const int dx = at.x - m_pressAt.x;
        const int dy = at.y - m_pressAt.y;
        if (std::abs(dx) < threshold && std::abs(dy) < threshold) return false;
        if (m_pressed && !Searching() && !m_renaming) {
            m_drag = DragState::Dragging;
            // The room starts where the icon was, so nothing moves until the pointer does.
            m_dropCell = !m_pressed->place.member && m_pressed->place.page == m_page
                             ? static_cast<int>(m_pressed->place.position)
                             : -1;
            m_pendingCell = m_dropCell;
            m_pendingSince = nowMs;
            if (DraggingOpenGroupMember())
                m_groupDropCell = static_cast<int>(*m_pressed->place.member - m_groupPage * kGroupPerPage);
            UpdateDropTarget(nowMs);
            return true;
        }
        if (!m_pressed && !m_pressedDot && !Searching() && !m_group && !m_renaming && std::abs(dx) >= std::abs(dy)) {
            m_drag = DragState::Swiping;
            m_sliding = false;
            m_swipeOffset = dx;
            return true;
        }
        return false;
    }
    case DragState::Swiping: {
        // At the first and last page the pages follow the finger only part of the way.
        int dx = at.x - m_pressAt.x;
        if ((dx > 0 && m_page == 0) || (dx < 0 && m_page + 1 >= m_pages.size())) dx /= 3;
        m_swipeOffset = dx;
        return true;
    }
    case DragState::Dragging: UpdateDropTarget(nowMs); return true;
    }
    return false;
}

void PadView::UpdateDropTarget(std::int64_t nowMs) {
    if (m_group) {
        // Inside its group's panel the entry moves among the others; leaving the panel
        // takes it out.
        if (Contains(GroupPanel(), m_pointer)) {
            if (DraggingOpenGroupMember()) {
                const int others = static_cast<int>(GroupTiles().size());
                m_groupDropCell = std::min(GroupCellUnder(m_pointer), others);
                // Held at the panel's side, the group's pages turn (in Tick).
                if (GroupPageCount() > 1 && AtGroupSide(m_pointer)) {
                    if (m_edgeSince < 0) m_edgeSince = nowMs;
                } else {
                    m_edgeSince = -1;
                }
            }
            return;
        }
        m_group.reset();
        m_renaming = false;
        m_groupDropCell = -1;
    }
    const PadPoint p = m_pointer;
    const int edge = std::max(8, m_geometry.width * 3 / 100);
    if (p.x < edge || p.x >= m_geometry.width - edge) {
        if (m_edgeSince < 0) m_edgeSince = nowMs;
    } else {
        m_edgeSince = -1;
    }
    // Judged on the page as shown, with the room already made: over an icon's middle the
    // two would combine and nothing moves; anywhere else in a cell the room moves there,
    // which leaves the pointer over the room, so a still pointer never sees the page flicker.
    const auto tiles = PageTiles(m_page);
    const int cell = CellUnder(p);
    const bool movingGroup = m_pressed && !m_pressed->place.member && m_pressed->group;
    for (const auto& tile : tiles) {
        if (tile.cell != cell) continue;
        gfx::RectI icon = m_geometry.IconRect(cell);
        const int inset = icon.width / 5;
        icon = {icon.x + inset, icon.y + inset, icon.width - 2 * inset, icon.height - 2 * inset};
        if (Contains(icon, p) && !movingGroup) {
            m_combine = tile.place;
            return;
        }
        break;
    }
    m_combine.reset();
    const int target = std::min(cell, static_cast<int>(tiles.size()));
    if (target != m_pendingCell) {
        m_pendingCell = target;
        m_pendingSince = nowMs;
    }
}

bool PadView::AtGroupSide(PadPoint at) const {
    const gfx::RectI panel = GroupPanel();
    const int band = std::max(static_cast<int>(24 * m_geometry.scale), panel.width / 25);
    return Contains(panel, at) && (at.x < panel.x + band || at.x >= panel.Right() - band);
}

bool PadView::Tick(std::int64_t nowMs) {
    bool changed = false;
    if (m_drag == DragState::Dragging && !m_combine && m_pendingCell >= 0 && m_pendingCell != m_dropCell &&
        nowMs - m_pendingSince >= kReflowMs) {
        m_dropCell = m_pendingCell;
        changed = true;
    }
    if (m_sliding && nowMs - m_slideStart >= kSlideMs) {
        m_sliding = false;
        changed = true;
    }
    if (m_drag == DragState::Dragging && m_edgeSince >= 0 && nowMs - m_edgeSince >= kEdgeTurnMs && m_group) {
        const gfx::RectI panel = GroupPanel();
        const auto direction = m_pointer.x < panel.x + panel.width / 2 ? -1 : 1;
        const auto next = std::clamp(static_cast<std::ptrdiff_t>(m_groupPage) + direction, std::ptrdiff_t{0},
                                     static_cast<std::ptrdiff_t>(GroupPageCount()) - 1);
        m_edgeSince = nowMs;
        if (static_cast<std::size_t>(next) != m_groupPage) {
            m_groupPage = static_cast<std::size_t>(next);
            UpdateDropTarget(nowMs);
            changed = true;
        }
    } else if (m_drag == DragState::Dragging && m_edgeSince >= 0 && nowMs - m_edgeSince >= kEdgeTurnMs) {
        const int direction = m_pointer.x < m_geometry.width / 2 ? -1 : 1;
        const std::size_t before = m_page;
        TurnPage(direction, nowMs);
        m_edgeSince = nowMs; // held there longer, it turns again
        if (m_page != before) {
            m_dropCell = -1; // the room belonged to the page left behind
            UpdateDropTarget(nowMs);
            changed = true;
        }
    }
    return changed;
}

PadCommand PadView::Drop(std::int64_t nowMs) {
    (void)nowMs;
    const PadTile dragged = *m_pressed;
    const EntryPlace from = dragged.place;
    if (m_group) {
        // Released inside its own group: it takes the place it was shown in.
        if (!from.member || m_groupDropCell < 0) return {};
        const std::size_t first = m_groupPage * kGroupPerPage;
        std::size_t index = first + static_cast<std::size_t>(m_groupDropCell);
        // Carried to a later page: the members shown there all follow it, one place nearer.
        if (*from.member < first) --index;
        return MoveInGroup(m_pages, from, index) ? PadCommand{PadCommand::Kind::Save} : PadCommand{};
    }
    if (m_combine) {
        const bool madeGroup = std::holds_alternative<LaunchpadEntry>(m_pages[m_combine->page][m_combine->position]);
        const auto group = CombineIcons(m_pages, from, *m_combine);
        if (!group) return {};
        if (madeGroup) BeginRename(*group);
        if (Searching()) SetSearch(m_search);
        return {PadCommand::Kind::Save};
    }
    // Released where it rested only briefly: that is still where the user put it.
    const int cell = m_pendingCell >= 0 ? m_pendingCell : m_dropCell;
    if (cell < 0) return {};
    const auto index = static_cast<std::size_t>(cell);
    if (!from.member && from.page == m_page && from.position == index) return {};
    if (!MoveIcon(m_pages, from, m_page, index)) return {};
    m_page = std::min(m_page, m_pages.size() - 1);
    return {PadCommand::Kind::Save};
}

PadCommand PadView::Release(PadPoint at, std::int64_t nowMs) {
    if (!m_notice.empty()) {
        if (!m_noticePressed) return {};
        m_noticePressed = false;
        if (!m_confirm) return AnswerPrompt(false); // any click takes a notice away
        // A question is answered by a button pressed and released on, or put aside by a
        // click beside it; a click on its text does nothing.
        const PadPromptBoxes boxes = PromptBoxes();
        const auto on = [&](const gfx::RectI& r) { return Contains(r, m_noticePressAt) && Contains(r, at); };
        if (on(boxes.confirm)) return AnswerPrompt(true);
        if (on(boxes.cancel) || (!Contains(boxes.panel, m_noticePressAt) && !Contains(boxes.panel, at)))
            return AnswerPrompt(false);
        return {};
    }
    if (m_drag == DragState::Swiping || m_drag == DragState::Dragging) Move(at, nowMs);
    m_pointer = at;
    const DragState state = m_drag;
    m_drag = DragState::None;
    PadCommand command;
    switch (state) {
    case DragState::None: break;
    case DragState::Pressing:
        if (m_renaming) {
            command = CommitRename();
            break;
        }
        if (m_pressed) command = Activate(*m_pressed);
        else if (m_pressedDot && Searching()) TurnResultPage(static_cast<int>(m_pressedDotIndex) - static_cast<int>(m_resultPage));
        else if (m_pressedDot) GoToPage(m_pressedDotIndex, nowMs);
        else if (m_group) CloseGroup();
        else command = {PadCommand::Kind::Hide};
        break;
    case DragState::Swiping: {
        const int width = std::max(m_geometry.width, 1);
        const int offset = m_swipeOffset;
        // A sixth of the screen is a decided swipe; less springs back.
        const int direction = offset <= -width / 6 ? 1 : offset >= width / 6 ? -1 : 0;
        TurnPage(direction, nowMs);
        break;
    }
    case DragState::Dragging: command = Drop(nowMs); break;
    }
    m_pressed.reset();
    m_combine.reset();
    m_dropCell = -1;
    m_pendingCell = -1;
    m_edgeSince = -1;
    m_groupDropCell = -1;
    return command;
}

} // namespace kestrana::launchers
