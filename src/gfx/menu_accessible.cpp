#include "gfx/menu_accessible.h"

namespace kestrana::gfx {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

foundation::AccessibleTree BuildMenuTree(const Menu& items, const MenuLayout& layout, const MenuAccessibleState& state,
                                         const MenuWords& words) {
    AccessibleElement root;
    root.role = AccessibleRole::PopupMenu;
    root.name = words.menu;
    root.bounds = {state.placed.x, state.placed.y, state.placed.width, state.placed.height};
    root.flow = foundation::AccessibleFlow::Vertical;
    foundation::AccessibleTree tree(std::move(root));
    // A layout made for other rows has nothing to say about these.
    if (layout.rows.size() != items.size()) {
        tree.Seal();
        return tree;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const RectI& row = layout.rows[i];
        const int index = static_cast<int>(i);
        AccessibleElement e;
        e.id = MenuRowId(index);
        e.bounds = {state.placed.x + row.x, state.placed.y + row.y, row.width, row.height};
        if (item.separator) {
            e.role = AccessibleRole::Separator;
            tree.Add(std::move(e));
            continue;
        }
        e.role = AccessibleRole::MenuItem;
        e.name = item.text;
        e.value = item.slider ? std::to_wstring(item.value) : item.detail;
        e.state = AccessibleState::Focusable | AccessibleState::Selectable;
        if (!item.enabled) e.state |= AccessibleState::Unavailable;
        if (item.checked) e.state |= AccessibleState::Checked;
        if (item.HasSubmenu()) {
            e.state |= AccessibleState::HasPopup;
            e.state |= index == state.openSubmenu ? AccessibleState::Expanded : AccessibleState::Collapsed;
            e.defaultAction = words.open;
        } else {
            e.defaultAction = words.choose;
        }
        if (index == state.lit && item.Selectable())
            e.state |= AccessibleState::Focused | AccessibleState::Selected;
        tree.Add(std::move(e));
    }
    tree.Seal();
    return tree;
}

} // namespace kestrana::gfx
