#include "menubar/bar_accessible.h"

#include <algorithm>

namespace kestrana::menubar {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

std::wstring StatusItemName(StatusKind kind, const BarWords& words) {
    switch (kind) {
    case StatusKind::Time: return words.clock;
    case StatusKind::SystemControl: return words.focusAssist;
    case StatusKind::Search: return words.search;
    case StatusKind::UserAccount: return words.user;
    case StatusKind::InputMethod:
    case StatusKind::InputMethodZh: return words.inputSource;
    default: return {};
    }
}

std::optional<std::pair<StatusKind, std::size_t>> BarPartOf(foundation::AccessibleId id) {
    if (id < BarPartId(StatusKind{}, 0)) return std::nullopt;
    const auto kind = (id - BarPartId(StatusKind{}, 0)) / 1000;
    if (kind > static_cast<foundation::AccessibleId>(StatusKind::StageManager)) return std::nullopt;
    return std::pair{static_cast<StatusKind>(kind), static_cast<std::size_t>(id % 1000)};
}

namespace {

foundation::AccessibleRect OnScreen(const BarFacts& facts, const gfx::RectI& r) {
    return {facts.originX + r.x, facts.originY + r.y, r.width, r.height};
}

AccessibleElement MenuCell(const BarFacts& facts, const BarWords& words, foundation::AccessibleId id,
                           AccessibleRole role, std::wstring name, const gfx::RectI& rect, bool open) {
    AccessibleElement e;
    e.id = id;
    e.role = role;
    e.name = std::move(name);
    e.bounds = OnScreen(facts, rect);
    e.state = AccessibleState::Focusable | AccessibleState::HasPopup |
              (open ? AccessibleState::Expanded : AccessibleState::Collapsed);
    e.defaultAction = words.open;
    return e;
}

AccessibleElement StatusCell(const BarFacts& facts, const BarWords& words, const BarStatusCell& status) {
    AccessibleElement e = MenuCell(facts, words, BarStatusId(status.kind), AccessibleRole::MenuButton,
                                   status.name.empty() ? StatusItemName(status.kind, words) : status.name, status.rect,
                                   facts.openStatus == status.kind);
    if (status.kind == StatusKind::Time) e.role = AccessibleRole::Clock;
    if (!status.parts.empty()) {
        // A row of buttons of its own, each of which acts when pressed.
        e.role = AccessibleRole::ToolBar;
        e.state = AccessibleState::None;
        e.defaultAction.clear();
    }
    e.value = status.text;
    // An item without a name of its own is known by what it shows.
    if (e.name.empty()) e.name = status.text;
    return e;
}

// Everything on the bar, in no particular order: the logo, the application's name, the
// menu titles, the status items and the overflow button.
std::vector<AccessibleElement> BarCells(const BarFacts& facts, const BarWords& words) {
    std::vector<AccessibleElement> cells;
    if (!facts.logo.Empty())
        cells.push_back(MenuCell(facts, words, kBarLogoId, AccessibleRole::MenuButton, words.logo, facts.logo,
                                 facts.logoMenuOpen));
    if (!facts.appName.rect.Empty() && !facts.appName.text.empty()) {
        AccessibleElement name;
        name.id = kBarAppNameId;
        name.role = AccessibleRole::StaticText;
        name.name = facts.appName.text;
        name.bounds = OnScreen(facts, facts.appName.rect);
        cells.push_back(std::move(name));
    }
    for (std::size_t i = 0; i < facts.titles.size(); ++i) {
        const BarTextCell& title = facts.titles[i];
        if (title.rect.Empty()) continue;
        const int index = static_cast<int>(i);
        cells.push_back(MenuCell(facts, words, BarTitleId(index), AccessibleRole::MenuItem, title.text, title.rect,
                                 index == facts.openTitle));
    }
    for (const BarStatusCell& status : facts.status)
        if (!status.rect.Empty()) cells.push_back(StatusCell(facts, words, status));
    if (facts.more && !facts.more->Empty())
        cells.push_back(MenuCell(facts, words, kBarMoreId, AccessibleRole::MenuButton, words.more, *facts.more, false));
    return cells;
}

// The parts of the status items that are rows of buttons, after their item, left to right.
void AddStatusParts(foundation::AccessibleTree& tree, const BarFacts& facts, const BarWords& words) {
    for (const BarStatusCell& status : facts.status) {
        if (status.rect.Empty()) continue;
        for (std::size_t i = 0; i < status.parts.size() && i < kBarMaxParts; ++i) {
            if (status.parts[i].rect.Empty()) continue;
            AccessibleElement part;
            part.id = BarPartId(status.kind, i);
            part.parent = BarStatusId(status.kind);
            part.role = AccessibleRole::PushButton;
            part.name = status.parts[i].text;
            part.bounds = OnScreen(facts, status.parts[i].rect);
            part.state = AccessibleState::Focusable;
            if (facts.focused == part.id) part.state |= AccessibleState::Focused;
            part.defaultAction = words.press;
            tree.Add(std::move(part));
        }
    }
}

} // namespace

foundation::AccessibleTree BuildBarTree(const BarFacts& facts, const BarWords& words) {
    AccessibleElement root;
    root.role = AccessibleRole::MenuBar;
    root.name = words.bar;
    root.bounds = {facts.originX, facts.originY, facts.width, facts.height};
    root.flow = foundation::AccessibleFlow::Horizontal;
    foundation::AccessibleTree tree(std::move(root));

    // Everything is gathered first and added by its left edge: the status row is laid
    // out from the right, but a reader walks the bar from the left.
    std::vector<AccessibleElement> cells = BarCells(facts, words);
    // Sorting places rather than the elements themselves spares moving their texts about.
    std::vector<std::size_t> order(cells.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&cells](std::size_t a, std::size_t b) { return cells[a].bounds.x < cells[b].bounds.x; });
    for (std::size_t i : order) {
        if (facts.focused != foundation::kAccessibleRoot && cells[i].id == facts.focused &&
            Has(cells[i].state, AccessibleState::Focusable))
            cells[i].state |= AccessibleState::Focused;
        tree.Add(std::move(cells[i]));
    }
    AddStatusParts(tree, facts, words);
    tree.Seal();
    return tree;
}

} // namespace kestrana::menubar
