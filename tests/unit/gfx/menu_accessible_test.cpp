// A pop-up menu level as a screen reader reads it, against the layout the menu is drawn by.
#include "gfx/menu_accessible.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

using foundation::AccessibleRole;
using foundation::AccessibleState;

Menu Sample() {
    Menu menu;
    menu.push_back(MenuItem::Command(1, L"Open"));
    menu.push_back(MenuItem::Command(2, L"Keep in Dock", true));
    menu.push_back(MenuItem::Rule());
    menu.push_back(MenuItem::Sub(L"Options", {MenuItem::Command(3, L"Show in Folder")}));
    MenuItem quit = MenuItem::Command(4, L"Quit", false, false);
    quit.detail = L"Alt+F4";
    menu.push_back(quit);
    return menu;
}

TEST(MenuAccessibleTree, RowsSitWhereTheLayoutDrawsThemWithTheirState) {
    const Menu menu = Sample();
    const MenuLayout layout = LayOutMenu(menu, MenuMetrics::At(1.5f), [](const std::wstring& t) { return int(t.size()) * 7; });
    MenuAccessibleState state;
    state.placed = {300, 200, layout.width, layout.height};
    state.lit = 3;
    state.openSubmenu = 3;
    const auto tree = BuildMenuTree(menu, layout, state);

    EXPECT_EQ(tree.Root().role, AccessibleRole::PopupMenu);
    ASSERT_EQ(tree.Root().children.size(), menu.size());
    for (std::size_t i = 0; i < menu.size(); ++i) {
        const auto& e = *tree.Find(MenuRowId(static_cast<int>(i)));
        EXPECT_EQ(e.bounds.x, 300 + layout.rows[i].x);
        EXPECT_EQ(e.bounds.y, 200 + layout.rows[i].y);
        EXPECT_EQ(e.bounds.height, layout.rows[i].height);
        EXPECT_EQ(e.name, menu[i].text);
        // A click at a row's middle and the reader's hit test agree.
        const int cx = layout.rows[i].x + layout.rows[i].width / 2, cy = layout.rows[i].y + layout.rows[i].height / 2;
        EXPECT_EQ(RowAt(layout, cx, cy), static_cast<int>(i));
        EXPECT_EQ(tree.HitTest(300 + cx, 200 + cy), MenuRowId(static_cast<int>(i)));
    }
    EXPECT_EQ(tree.Find(MenuRowId(2))->role, AccessibleRole::Separator);
    EXPECT_TRUE(Has(tree.Find(MenuRowId(1))->state, AccessibleState::Checked));
    const auto& options = *tree.Find(MenuRowId(3));
    EXPECT_TRUE(Has(options.state, AccessibleState::Expanded | AccessibleState::HasPopup | AccessibleState::Focused));
    EXPECT_EQ(options.defaultAction, L"Open");
    const auto& quit = *tree.Find(MenuRowId(4));
    EXPECT_TRUE(Has(quit.state, AccessibleState::Unavailable));
    EXPECT_EQ(quit.value, L"Alt+F4");
    EXPECT_EQ(tree.Focused(), MenuRowId(3));

    // The arrows walk the rows a user can choose, round the ends.
    EXPECT_EQ(foundation::MoveFocus(tree, 0, MenuRowId(3), foundation::FocusMove::Next), MenuRowId(0));
    EXPECT_EQ(foundation::MoveFocus(tree, 0, MenuRowId(1), foundation::FocusMove::Next), MenuRowId(3));
}

TEST(MenuAccessibleTree, ALayoutOfOtherRowsGivesAnEmptyMenu) {
    const Menu menu = Sample();
    MenuLayout layout;
    layout.rows.resize(2);
    const auto tree = BuildMenuTree(menu, layout, {});
    EXPECT_TRUE(tree.Root().children.empty());
    EXPECT_TRUE(tree.Sealed());
}

} // namespace
} // namespace kestrana::gfx
