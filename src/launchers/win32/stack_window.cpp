#include "launchers/win32/stack_window.h"

#include "foundation/win32/system_function.h"
#include "launchers/win32/stack_drag.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/system_look.h"
#include "gfx/win32/window_blur.h"
#include "launchers/stack_accessible.h"
#include "themes/surface_appearance.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace kestrana::launchers::win32 {
namespace {

constexpr UINT kMsgInbox = WM_APP + 1;
constexpr UINT_PTR kAnimationTimer = 1;
constexpr UINT kAnimationTickMs = 15;
constexpr std::int64_t kOpenMs = 200;
constexpr std::int64_t kCloseMs = 140;
// A click on the dock item just after the stack lost the focus to that very click
// closes it; it must not open it again.
constexpr std::int64_t kToggleMs = 400;

std::int64_t NowMs() { return static_cast<std::int64_t>(::GetTickCount64()); }

std::wstring LastName(const std::wstring& path) {
    std::wstring trimmed = path;
    while (trimmed.size() > 3 && trimmed.back() == L'\\') trimmed.pop_back();
    const auto slash = trimmed.find_last_of(L'\\');
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

// The screen edge the dock stands at: the one it is nearest to (a short dock is nearly
// square, so its shape says nothing).
DockEdge EdgeOf(const RECT& dock, const RECT& monitor) {
    const LONG gaps[] = {monitor.bottom - dock.bottom, dock.top - monitor.top, dock.left - monitor.left,
                         monitor.right - dock.right};
    constexpr DockEdge kEdges[] = {DockEdge::Bottom, DockEdge::Top, DockEdge::Left, DockEdge::Right};
    return kEdges[std::min_element(std::begin(gaps), std::end(gaps)) - std::begin(gaps)];
}

gfx::RectI ToRect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

} // namespace

void FolderStack::Inbox::Post() {
    if (!posted.exchange(true) && window) ::PostMessageW(window, kMsgInbox, 0, 0);
}

void FolderStack::RegisterClass() noexcept {
    static bool registered = false;
    if (registered) return;
    registered = kestrana::win32::RegisterWindowClass(kStackClass, &FolderStack::Proc, 0);
}

FolderStack::FolderStack(StackServices services, StackOpening opening)
    : m_services(std::move(services)), m_opening(std::move(opening)), m_rootFolder(m_opening.folder) {}

std::unique_ptr<FolderStack> FolderStack::Open(StackServices services, StackOpening opening) {
    RegisterClass();
    std::unique_ptr<FolderStack> stack(new FolderStack(std::move(services), std::move(opening)));
    FolderStack& s = *stack;
    auto& store = s.m_services.store;
    const FolderStackSettings settings = ReadFolderStackSettings(store, s.m_rootFolder);
    s.m_layout = settings.Layout();
    s.m_sortValue = settings.sortValue;
    s.m_behaviour = ReadStackBehaviour(store);
    s.m_clicks = StackClickRule(s.m_behaviour.doubleClickOpens);
    const themes::SurfaceAppearance look = themes::ReadSurfaceAppearance(store, themes::Surface::FolderStack);
    s.m_look.scale = s.m_opening.placement.scale;
    s.m_look.dark = store.ReadBool(L"normal", L"darkmode");
    s.m_look.contrast = gfx::HighContrastColours();
    if (look.enabled) {
        s.m_look.opacity = std::max<std::uint8_t>(look.opacity, 40);
        s.m_look.stroke = look.stroke;
    }

    kestrana::win32::ShellWindowRequest request;
    request.className = kStackClass;
    request.title = L"";
    request.width = 16;
    request.height = 16;
    request.layered = true;
    request.toolWindow = true;
    request.topmost = true;
    s.m_window = kestrana::win32::CreateShellWindow(request);
    if (!s.m_window) {
        foundation::LogFailure("folder stack", L"no window for " + s.m_rootFolder);
        return nullptr;
    }
    ::SetPropW(s.m_window, kStackProperty, &s);
    s.m_inbox->window = s.m_window;
    // Touch scrolls the stack.
    kestrana::win32::RegisterTouch(s.m_window, 0);
    FolderStack* self = &s; // the drop target is revoked before the stack goes
    AcceptDrops(s.m_window, [self](std::vector<std::wstring> files) { self->Dropped(std::move(files)); });
    // High contrast draws the panel opaque: nothing to blur behind it.
    if (look.enabled && look.blur > 0 && !s.m_look.contrast) gfx::EnableBlurBehind(s.m_window);

    Level root;
    root.id = s.m_nextLevel++;
    root.folder = s.m_rootFolder;
    root.title = s.m_opening.title.empty() ? LastName(s.m_rootFolder) : s.m_opening.title;
    s.m_levels.push_back(std::move(root));
    s.StartListing(s.Top());
    return stack;
}

FolderStack::~FolderStack() {
    m_reader.reset();
    CloseNow();
}

void FolderStack::CloseNow() {
    m_inbox->cancelled = true;
    if (!m_window) return;
    const HWND window = std::exchange(m_window, nullptr);
    ::KillTimer(window, kAnimationTimer);
    StopAcceptingDrops(window);
    ::RemovePropW(window, kStackProperty);
    ::DestroyWindow(window);
}

void FolderStack::Close() {
    if (!m_window || m_closing) return;
    if (!m_shown) {
        CloseNow();
        return;
    }
    m_closing = true;
    m_animationFrom = m_state.progress;
    m_animationStart = NowMs();
    ::SetTimer(m_window, kAnimationTimer, kAnimationTickMs, nullptr);
}

int FolderStack::IconPixels() const {
    const float s = m_opening.placement.scale;
    switch (m_layout) {
    case StackLayout::Grid: return static_cast<int>(64 * s);
    case StackLayout::Fan: return static_cast<int>(56 * s);
    case StackLayout::List: return static_cast<int>(32 * s);
    }
    return static_cast<int>(64 * s);
}

void FolderStack::ListForLevel(const std::weak_ptr<Inbox>& weak, std::uint64_t id, const std::wstring& folder,
                               int sortValue, const foundation::JobContext& job) {
    std::optional<std::vector<StackItem>> items;
    try {
        if (auto listed = ListFolder(folder)) {
            items = MakeStackItems(folder, *listed, DecodeSortOrder(sortValue).key);
            SortStackItems(*items, sortValue);
        }
    } catch (...) {
        foundation::LogCaught("folder stack listing");
    }
    const auto inbox = weak.lock();
    if (!inbox || inbox->cancelled || job.Quitting()) return;
    {
        std::lock_guard lock(inbox->mutex);
        inbox->listings.push_back({id, std::move(items)});
    }
    inbox->Post();
}

void FolderStack::StartListing(Level& level) {
    auto list = [weak = std::weak_ptr<Inbox>(m_inbox), id = level.id, folder = level.folder,
                 sortValue = m_sortValue](const foundation::JobContext& job) { ListForLevel(weak, id, folder, sortValue, job); };
    if (!m_services.jobs.Run(std::move(list))) {
        foundation::LogFailure("folder stack", "no job could list the folder");
        if (m_levels.size() == 1) Close();
    }
}

void FolderStack::Dropped(std::vector<std::wstring> files) {
    // The files move on a worker (another drive means a copy); the folder is listed again after.
    const Level& level = Top();
    auto move = [weak = std::weak_ptr<Inbox>(m_inbox), id = level.id, folder = level.folder, sortValue = m_sortValue,
                 files = std::move(files)](const foundation::JobContext& job) {
        const int moved = MoveIntoFolder(files, folder);
        foundation::LogDetail("folder stack", std::to_wstring(moved) + L" dropped files moved into " + folder);
        ListForLevel(weak, id, folder, sortValue, job);
    };
    if (!m_services.jobs.Run(std::move(move))) foundation::LogFailure("folder stack", "no job could move the dropped files");
}

void FolderStack::StartDrag() {
    const std::size_t index = static_cast<std::size_t>(std::exchange(m_pressed, -1));
    if (index >= Top().items.size()) return;
    const std::wstring path = Top().items[index].path;
    m_dragging = true;
    const bool taken = DragOut(path);
    m_dragging = false;
    foundation::LogDetail("folder stack", (taken ? L"dragged out " : L"drag ended without a drop: ") + path);
    if (m_window && !m_closing) ::SetForegroundWindow(m_window);
}

void FolderStack::StartPictures(const Level& level) {
    const int size = IconPixels();
    // What is already known shows in the first frame; the rest comes from workers, the
    // quick pictures first and the thumbnails after them.
    std::vector<std::pair<std::size_t, StackItem>> quick, slow;
    for (std::size_t i = 0; i < level.items.size(); ++i) {
        if (level.pictures[i]) continue;
        (PlanIcon(level.items[i]) == IconPlan::ThumbnailLater ? slow : quick).emplace_back(i, level.items[i]);
    }
    std::weak_ptr<Inbox> weak = m_inbox;
    const std::uint64_t id = level.id;
    auto cache = m_services.cache;
    const gfx::ImageDecoder* decoder = &m_services.decoder;
    const std::wstring base = m_services.store.BaseFolder();
    for (auto* batch : {&quick, &slow}) {
        if (batch->empty()) continue;
        const bool thumbnails = batch == &slow;
        auto make = [weak, id, cache, decoder, base, size, thumbnails, work = std::move(*batch)](const foundation::JobContext& job) {
            kestrana::win32::ComApartment apartment;
            for (const auto& [index, item] : work) {
                {
                    const auto inbox = weak.lock();
                    if (!inbox || inbox->cancelled || job.Quitting()) return;
                }
                auto picture = MakeStackPicture(item, size, *decoder, base);
                if (cache) cache->Keep(item, size, picture);
                if (thumbnails && foundation::DetailLogging())
                    foundation::LogDetail("folder stack", L"thumbnail of " + item.name + L": " +
                                                              std::to_wstring(picture->Width()) + L"x" +
                                                              std::to_wstring(picture->Height()));
                const auto inbox = weak.lock();
                if (!inbox) return;
                {
                    std::lock_guard lock(inbox->mutex);
                    inbox->pictures.push_back({id, index, std::move(picture)});
                }
                inbox->Post();
            }
        };
        // The decoder is the program's, which outlives every job.
        if (!m_services.jobs.Run(std::move(make))) foundation::LogFailure("folder stack", "no job could make the pictures");
    }
}

void FolderStack::TakeInbox() {
    m_inbox->posted = false;
    std::vector<Inbox::Listing> listings;
    std::vector<Inbox::Picture> pictures;
    {
        std::lock_guard lock(m_inbox->mutex);
        listings.swap(m_inbox->listings);
        pictures.swap(m_inbox->pictures);
    }
    for (auto& listing : listings) {
        for (Level& level : m_levels) {
            if (level.id != listing.level) continue;
            if (!listing.items) {
                foundation::LogFailure("folder stack", L"could not list " + level.folder);
                listing.items.emplace();
            }
            level.items = std::move(*listing.items);
            level.listed = true;
            LevelListed(level);
        }
    }
    bool changed = false;
    for (auto& picture : pictures) {
        for (Level& level : m_levels) {
            if (level.id != picture.level || picture.index >= level.pictures.size()) continue;
            level.pictures[picture.index] = std::move(picture.picture);
            changed = changed || &level == &Top();
        }
    }
    if (changed && m_shown) Draw();
}

void FolderStack::LevelListed(Level& level) {
    const int size = IconPixels();
    level.pictures.assign(level.items.size(), nullptr);
    if (m_services.cache)
        for (std::size_t i = 0; i < level.items.size(); ++i) level.pictures[i] = m_services.cache->Find(level.items[i], size);
    if (foundation::DetailLogging()) {
        std::wstring order;
        for (std::size_t i = 0; i < level.items.size() && i < 40; ++i) order += (i ? L"|" : L"") + level.items[i].name;
        foundation::LogDetail("folder stack", level.folder + L": " + std::to_wstring(level.items.size()) + L" items: " + order);
    }
    if (&level != &Top()) return;
    Relayout();
    Draw();
    if (!m_shown) {
        m_shown = true;
        m_animationStart = NowMs();
        m_animationFrom = 0;
        ::ShowWindow(m_window, SW_SHOWNORMAL);
        ::SetForegroundWindow(m_window);
        ::SetTimer(m_window, kAnimationTimer, kAnimationTickMs, nullptr);
        if (foundation::DetailLogging())
            foundation::LogDetail("folder stack", L"first frame " + std::to_wstring(NowMs() - m_opening.clickedAtMs) +
                                                      L" ms after the click");
    }
    StartPictures(level);
}

void FolderStack::Relayout() {
    Level& level = Top();
    const bool nested = m_levels.size() > 1;
    const int count = static_cast<int>(level.items.size());
    m_geometry = LayOutStack(m_layout, count, m_opening.placement, nested, !m_behaviour.noOpenButton);
    level.scroll = ClampScroll(level.scroll, m_geometry.contentHeight, m_geometry.view.height);
    m_state.scroll = level.scroll;
    m_state.hovered = -1;
    m_keyFocus = foundation::kAccessibleRoot; // a new folder: the keyboard starts again
    const float s = m_opening.placement.scale;
    // Names are drawn white; the frame tints them by their coverage.
    gfx::TextStyle style;
    style.size = m_geometry.textSize;
    style.color = {255, 255, 255, 255};
    int labelWidth = 0;
    if (!m_geometry.cells.empty()) labelWidth = static_cast<int>(m_geometry.cells.front().label.width);
    if (m_geometry.layout == StackLayout::Fan) labelWidth -= static_cast<int>(18 * s);
    m_labels = std::make_unique<StackLabels>(m_services.text, style, std::max(1, labelWidth));
    m_labels->Reset(level.items.size());
    gfx::TextStyle title = style;
    title.size = m_geometry.titleSize;
    title.weight = 600;
    m_titleText = m_services.text.Draw(level.title, title, static_cast<int>(m_geometry.title.width));
    auto& store = m_services.store;
    if (m_openText.Empty())
        m_openText = m_services.text.Draw(store.LanguageText(L"folderstack", L"openfolder", L"Open Folder"), style,
                                          static_cast<int>(m_geometry.openButton.width));
    if (m_moreText.Empty() && m_geometry.more)
        m_moreText = m_services.text.Draw(store.LanguageText(L"folderstack", L"more", L"More in Folder"), style, labelWidth);
}

void FolderStack::Draw() {
    if (!m_window) return;
    const Level& level = Top();
    std::vector<StackItemView> views(level.items.size());
    for (std::size_t i = 0; i < views.size(); ++i) views[i].picture = level.pictures[i].get();
    StackChrome chrome{&m_titleText, &m_openText, &m_moreText};
    auto name = [this, &level](std::size_t i) -> const gfx::Bitmap& { return m_labels->At(i, level.items[i].name); };
    DrawStackFrame(m_frame, m_geometry, views, name, chrome, m_look, m_state);
    const POINT at{m_geometry.window.x, m_geometry.window.y};
    if (!m_surface.Present(m_window, m_frame, at)) foundation::LogFailure("folder stack", "the frame could not be shown");
}

void FolderStack::Animate() {
    const float length = static_cast<float>(m_closing ? kCloseMs : kOpenMs);
    const float t = std::clamp(static_cast<float>(NowMs() - m_animationStart) / length, 0.0f, 1.0f);
    m_state.progress = m_closing ? m_animationFrom * (1 - t) : m_animationFrom + (1 - m_animationFrom) * t;
    if (t >= 1) ::KillTimer(m_window, kAnimationTimer);
    if (m_closing && t >= 1) {
        CloseNow();
        return;
    }
    Draw();
}

void FolderStack::PointerMoved(POINT p) {
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
        m_tracking = ::TrackMouseEvent(&track) != FALSE;
    }
    const gfx::PointF at{static_cast<float>(p.x), static_cast<float>(p.y)};
    auto inside = [&at](const gfx::RectF& r) { return !r.Empty() && at.x >= r.x && at.y >= r.y && at.x < r.Right() && at.y < r.Bottom(); };
    const int hovered = m_levels.empty() || !Top().listed ? -1 : HitStackCell(m_geometry, at, m_state.scroll);
    const bool back = inside(m_geometry.backButton), open = inside(m_geometry.openButton);
    if (hovered == m_state.hovered && back == m_state.hoverBack && open == m_state.hoverOpen) return;
    m_state.hovered = hovered;
    m_state.hoverBack = back;
    m_state.hoverOpen = open;
    if (m_shown) Draw();
}

void FolderStack::Scroll(float pixels) {
    if (m_geometry.layout == StackLayout::Fan || pixels == 0) return;
    const float next = ClampScroll(m_state.scroll + pixels, m_geometry.contentHeight, m_geometry.view.height);
    if (next == m_state.scroll) return;
    m_state.scroll = Top().scroll = next;
    m_state.hovered = -1;
    Draw();
}

void FolderStack::Back() {
    if (m_levels.size() <= 1) return;
    m_levels.pop_back();
    Relayout();
    Draw();
}

void FolderStack::OpenItem(std::size_t index) {
    Level& level = Top();
    if (m_geometry.more && index + 1 == m_geometry.cells.size()) {
        // The fan's last entry: the rest of the folder is in the file manager.
        const std::wstring folder = level.folder;
        m_services.jobs.Run([folder](const foundation::JobContext&) { OpenWithShell(folder); });
        Close();
        return;
    }
    if (index >= level.items.size()) return;
    const StackItem item = level.items[index];
    if (item.kind == StackItemKind::Folder) {
        Level nested;
        nested.id = m_nextLevel++;
        nested.folder = item.path;
        nested.title = item.name;
        m_levels.push_back(std::move(nested));
        StartListing(Top());
        return;
    }
    foundation::LogDetail("folder stack", L"opening " + item.path);
    if (!m_services.jobs.Run([path = item.path](const foundation::JobContext&) {
            kestrana::win32::ComApartment apartment;
            OpenWithShell(path);
        }))
        foundation::LogFailure("folder stack", "no job could open the item");
    Close();
}

void FolderStack::Released(POINT p) {
    const int pressed = std::exchange(m_pressed, -1);
    const gfx::PointF at{static_cast<float>(p.x), static_cast<float>(p.y)};
    auto inside = [&at](const gfx::RectF& r) { return !r.Empty() && at.x >= r.x && at.y >= r.y && at.x < r.Right() && at.y < r.Bottom(); };
    if (inside(m_geometry.backButton)) {
        Back();
        return;
    }
    if (inside(m_geometry.openButton)) {
        const std::wstring folder = Top().folder;
        m_services.jobs.Run([folder](const foundation::JobContext&) { OpenWithShell(folder); });
        Close();
        return;
    }
    if (!Top().listed) return;
    const int hit = HitStackCell(m_geometry, at, m_state.scroll);
    if (hit < 0 || hit != pressed) return;
    if (m_clicks.Click(hit, NowMs())) OpenItem(static_cast<std::size_t>(hit));
}

LRESULT CALLBACK FolderStack::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (auto* self = static_cast<FolderStack*>(::GetPropW(window, kStackProperty)); self && self->m_window == window)
            return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("folder stack window");
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FolderStack::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = m_window;
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case kMsgInbox: TakeInbox(); return 0;
    case WM_GETOBJECT:
        if (const auto answer = AnswerReader(wParam, lParam)) return *answer;
        break;
    case WM_TIMER:
        if (wParam == kAnimationTimer) Animate();
        return 0;
    case WM_MOUSEMOVE: OnPointerMove(at, (wParam & MK_LBUTTON) != 0); return 0;
    case WM_MOUSELEAVE:
        m_tracking = false;
        PointerMoved({-1, -1});
        return 0;
    case WM_LBUTTONDOWN: OnPress(at); return 0;
    case WM_LBUTTONUP: Released(at); return 0;
    case WM_MOUSEWHEEL: {
        const WheelInput input{GET_WHEEL_DELTA_WPARAM(wParam), GET_KEYSTATE_WPARAM(wParam) != 0,
                               m_closing || (m_shown && m_state.progress < 1) || m_pressed >= 0};
        Scroll(WheelScrollPixels(input, m_geometry.rowHeight));
        return 0;
    }
    case WM_TOUCH:
        if (OnTouch(LOWORD(wParam), reinterpret_cast<HTOUCHINPUT>(lParam))) return 0;
        break;
    case WM_KEYDOWN: OnKey(static_cast<int>(wParam)); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && m_shown && !m_closing && !m_dragging) {
            m_closedByFocusAt = NowMs();
            Close();
        }
        return 0;
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_DESTROY:
        ::RemovePropW(window, kStackProperty);
        if (m_window == window) m_window = nullptr;
        return 0;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::optional<LRESULT> FolderStack::AnswerReader(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return std::nullopt;
    if (!m_reader)
        m_reader = std::make_unique<kestrana::win32::AccessibleHost>(m_window, [this] {
            if (m_levels.empty()) return foundation::AccessibleTree();
            const auto item = StackItemOf(m_keyFocus, m_geometry.cells.size());
            return BuildStackTree(m_geometry, Top().items,
                                  {Top().title, m_state.scroll, item ? static_cast<int>(*item) : -1});
        });
    return m_reader->OnGetObject(wParam, lParam);
}

void FolderStack::OnKey(int virtualKey) {
    if (virtualKey == VK_ESCAPE) return Close();
    if (virtualKey == VK_BACK) return Back();
    if (m_levels.empty() || m_closing || !Top().listed) return;
    const auto tree = BuildStackTree(m_geometry, Top().items, {Top().title, m_state.scroll, -1});
    const auto result = foundation::KeyOnSurface(tree, m_keyFocus, virtualKey, ::GetKeyState(VK_SHIFT) < 0);
    const auto item = StackItemOf(result.target, m_geometry.cells.size());
    switch (result.verb) {
    case foundation::SurfaceVerb::Move:
        m_keyFocus = result.target;
        // The keyboard's item is drawn lit, as under the pointer, and scrolled into view.
        m_state.hovered = item ? static_cast<int>(*item) : -1;
        m_state.hoverBack = result.target == kStackBackId;
        m_state.hoverOpen = result.target == kStackOpenId;
        if (item) m_state.scroll = Top().scroll = ScrollToShow(m_geometry, static_cast<int>(*item), m_state.scroll);
        Draw();
        if (m_reader) m_reader->FocusChanged(result.target);
        return;
    case foundation::SurfaceVerb::Activate:
        if (result.target == kStackBackId) return Back();
        if (result.target == kStackOpenId) {
            const std::wstring folder = Top().folder;
            m_services.jobs.Run([folder](const foundation::JobContext&) { OpenWithShell(folder); });
            return Close();
        }
        if (item) OpenItem(*item);
        return;
    case foundation::SurfaceVerb::Leave: return Close();
    case foundation::SurfaceVerb::OpenMenu:
    case foundation::SurfaceVerb::None: return;
    }
}

void FolderStack::OnPointerMove(POINT at, bool leftHeld) {
    if (m_pressed >= 0 && leftHeld &&
        (std::abs(at.x - m_pressedAt.x) > ::GetSystemMetrics(SM_CXDRAG) ||
         std::abs(at.y - m_pressedAt.y) > ::GetSystemMetrics(SM_CYDRAG))) {
        StartDrag();
        return;
    }
    PointerMoved(at);
}

void FolderStack::OnPress(POINT at) {
    if (m_levels.empty() || !Top().listed) return;
    m_pressed = HitStackCell(m_geometry, {static_cast<float>(at.x), static_cast<float>(at.y)}, m_state.scroll);
    m_pressedAt = at;
    // A press on the backdrop outside the panel (the fan's gaps) dismisses.
    if (m_pressed < 0 && m_geometry.layout == StackLayout::Fan) Close();
}

bool FolderStack::OnTouch(UINT count, HTOUCHINPUT handle) {
    // Touch scrolls as a finger drags the content; GetTouchInputInfo is looked up because
    // older systems and Wine lack it.
    using GetTouchFn = BOOL(WINAPI*)(HTOUCHINPUT, UINT, PTOUCHINPUT, int);
    using CloseTouchFn = BOOL(WINAPI*)(HTOUCHINPUT);
    static const auto get = kestrana::win32::LoadedFunction<GetTouchFn>(L"user32.dll", "GetTouchInputInfo");
    static const auto close = kestrana::win32::LoadedFunction<CloseTouchFn>(L"user32.dll", "CloseTouchInputHandle");
    if (!get || !close || count == 0) return false;
    std::vector<TOUCHINPUT> inputs(count);
    if (get(handle, count, inputs.data(), sizeof(TOUCHINPUT))) {
        const TOUCHINPUT& first = inputs.front();
        const LONG y = first.y / 100; // hundredths of a pixel
        if (first.dwFlags & TOUCHEVENTF_DOWN) {
            m_touchY = y;
        } else if ((first.dwFlags & TOUCHEVENTF_MOVE) && m_touchY) {
            Scroll(static_cast<float>(*m_touchY - y));
            m_touchY = y;
        } else if (first.dwFlags & TOUCHEVENTF_UP) {
            m_touchY.reset();
        }
    }
    close(handle);
    return true;
}

StackHost::StackHost(StackServices services) : m_services(std::move(services)) {
    const HRESULT hr = ::OleInitialize(nullptr);
    m_ole = SUCCEEDED(hr);
    if (!m_ole) foundation::LogFailure("folder stack", "no drag and drop (" + std::to_string(hr) + ")");
}

StackHost::~StackHost() {
    m_stack.reset();
    if (m_ole) ::OleUninitialize();
}

DockEdge DockEdgeOf(HWND dock) noexcept {
    RECT dockRect{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!dock || !::GetWindowRect(dock, &dockRect) ||
        !::GetMonitorInfoW(::MonitorFromWindow(dock, MONITOR_DEFAULTTONEAREST), &monitor))
        return DockEdge::Bottom;
    return EdgeOf(dockRect, monitor.rcMonitor);
}

void StackHost::Open(const std::wstring& folder, const std::wstring& title, HWND dock, POINT pointer) {
    const std::int64_t now = NowMs();
    // The drag's loop runs inside the stack: it must not go from under it.
    if (m_stack && m_stack->Dragging()) return;
    if (m_stack) {
        const bool same = _wcsicmp(m_stack->Folder().c_str(), folder.c_str()) == 0;
        const bool justClosed = m_stack->ClosedByFocusAt() != 0 && now - m_stack->ClosedByFocusAt() < kToggleMs;
        if (same && (!m_stack->Finished() || justClosed)) {
            m_stack->Close();
            return;
        }
        m_stack.reset();
    }
    // With the locate-folder flag the folder item stands for the folder itself.
    if (ReadFolderStackSettings(m_services.store, folder).Order().locate) {
        if (!m_services.jobs.Run([folder](const foundation::JobContext&) {
                kestrana::win32::ComApartment apartment;
                OpenWithShell(folder);
            }))
            foundation::LogFailure("folder stack", "no job could open the folder");
        return;
    }
    RECT dockRect{};
    if (!dock || !::GetWindowRect(dock, &dockRect)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(dock, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    StackOpening opening;
    opening.folder = folder;
    opening.title = title;
    opening.clickedAtMs = now;
    StackPlacement& place = opening.placement;
    place.work = ToRect(monitor.rcWork);
    place.dock = ToRect(dockRect);
    place.edge = EdgeOf(dockRect, monitor.rcMonitor);
    place.anchorAlong = place.edge == DockEdge::Bottom || place.edge == DockEdge::Top ? pointer.x : pointer.y;
    HDC screen = ::GetDC(nullptr);
    place.scale = screen ? static_cast<float>(::GetDeviceCaps(screen, LOGPIXELSX)) / 96.0f : 1.0f;
    if (screen) ::ReleaseDC(nullptr, screen);
    place.textScale = gfx::TextScale();
    m_stack = FolderStack::Open(m_services, std::move(opening));
}

void StackHost::CloseAll() {
    if (m_stack && !m_stack->Dragging()) m_stack.reset();
}

} // namespace kestrana::launchers::win32
