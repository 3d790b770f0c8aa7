#pragma once
// One level of a pop-up menu as a screen reader reads it: a row element per row of the
// picture, at the place the layout gave it, with its text, check, availability and
// submenu state, and the lit row holding the keyboard focus.

#include "foundation/accessible_tree.h"
#include "gfx/bitmap.h"
#include "gfx/menu_layout.h"
#include "gfx/menu_model.h"

#include <string>

namespace kestrana::gfx {

struct MenuWords {
    std::wstring menu = L"Menu";
    std::wstring choose = L"Choose";
    std::wstring open = L"Open"; // a row with a submenu
};

struct MenuAccessibleState {
    RectI placed;          // the menu's picture on the screen
    int lit = -1;          // the lit row, -1 for none
    int openSubmenu = -1;  // the row whose submenu is open, -1 for none
};

// The element id of row `index`: index + 1, as the rows of an open menu never move.
[[nodiscard]] constexpr foundation::AccessibleId MenuRowId(int index) {
    return static_cast<foundation::AccessibleId>(index + 1);
}

[[nodiscard]] foundation::AccessibleTree BuildMenuTree(const Menu& items, const MenuLayout& layout,
                                                       const MenuAccessibleState& state, const MenuWords& words = {});

} // namespace kestrana::gfx
