#include "launchers/stack_accessible.h"

#include <algorithm>
#include <cmath>

namespace kestrana::launchers {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

namespace {

foundation::AccessibleRect OnScreen(const gfx::RectI& window, const gfx::RectF& r) {
    const int left = window.x + static_cast<int>(std::lround(r.x));
    const int top = window.y + static_cast<int>(std::lround(r.y));
    return {left, top, static_cast<int>(std::lround(r.Right())) - static_cast<int>(std::lround(r.x)),
            static_cast<int>(std::lround(r.Bottom())) - static_cast<int>(std::lround(r.y))};
}

gfx::RectF Union(const gfx::RectF& a, const gfx::RectF& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    const float x = std::min(a.x, b.x), y = std::min(a.y, b.y);
    return {x, y, std::max(a.Right(), b.Right()) - x, std::max(a.Bottom(), b.Bottom()) - y};
}

} // namespace

foundation::AccessibleTree BuildStackTree(const StackGeometry& g, const std::vector<StackItem>& items,
                                          const StackAccessibleState& state, const StackWords& words) {
    AccessibleElement root;
    root.role = AccessibleRole::List;
    root.name = state.title;
    root.bounds = {g.window.x, g.window.y, g.window.width, g.window.height};
    const bool grid = g.layout == StackLayout::Grid;
    root.flow = grid ? foundation::AccessibleFlow::Grid : foundation::AccessibleFlow::Vertical;
    if (grid && g.rowHeight > 0 && !g.cells.empty()) {
        // Items of one row share their top.
        int columns = 0;
        for (const StackCell& c : g.cells) columns += c.icon.y == g.cells.front().icon.y ? 1 : 0;
        root.columns = columns;
    }
    foundation::AccessibleTree tree(std::move(root));

    const auto button = [&](foundation::AccessibleId id, const gfx::RectF& rect, const std::wstring& name) {
        if (rect.Empty()) return;
        AccessibleElement e;
        e.id = id;
        e.role = AccessibleRole::PushButton;
        e.name = name;
        e.bounds = OnScreen(g.window, rect);
        e.state = AccessibleState::Focusable;
        e.defaultAction = name;
        tree.Add(std::move(e));
    };
    button(kStackBackId, g.backButton, words.back);

    const bool scrolled = g.layout != StackLayout::Fan;
    for (std::size_t i = 0; i < g.cells.size(); ++i) {
        const StackCell& cell = g.cells[i];
        const bool moreCell = g.more && i + 1 == g.cells.size();
        if (!moreCell && i >= items.size()) break;
        AccessibleElement e;
        e.id = StackItemId(i);
        e.role = AccessibleRole::ListItem;
        e.defaultAction = words.open;
        e.state = AccessibleState::Focusable | AccessibleState::Selectable;
        if (static_cast<int>(i) == state.selected) e.state |= AccessibleState::Focused | AccessibleState::Selected;
        if (moreCell) {
            e.name = words.more;
        } else {
            e.name = items[i].name;
            if (items[i].kind == StackItemKind::Folder) e.description = words.folder;
        }
        gfx::RectF rect = Union(cell.icon, cell.label);
        if (scrolled) {
            // Content coordinates: into the view, less the scroll; what lies outside the
            // view is not drawn.
            rect.y += g.view.y - state.scroll;
            if (rect.Bottom() <= g.view.y || rect.y >= g.view.Bottom()) e.state |= AccessibleState::Offscreen;
        }
        e.bounds = OnScreen(g.window, rect);
        tree.Add(std::move(e));
    }
    button(kStackOpenId, g.openButton, words.openFolder);
    tree.Seal();
    return tree;
}

} // namespace kestrana::launchers
