#include "foundation/accessible_surface.h"
#include "foundation/accessible_tree.h"

#include <gtest/gtest.h>

#include <optional>

#include <vector>

namespace kestrana::foundation {
namespace {

AccessibleElement Item(AccessibleId id, AccessibleRect bounds, bool focusable = true, AccessibleId parent = 0) {
    AccessibleElement e;
    e.id = id;
    e.parent = parent;
    e.bounds = bounds;
    if (focusable) e.state = AccessibleState::Focusable;
    return e;
}

// A row of `count` 10-pixel cells starting at id 1, inside a 100-pixel-high surface.
AccessibleTree Row(int count, AccessibleFlow flow = AccessibleFlow::Horizontal, int columns = 0) {
    AccessibleElement root;
    root.bounds = {0, 0, 10 * count, 100};
    root.flow = flow;
    root.columns = columns;
    AccessibleTree tree(root);
    for (int i = 0; i < count; ++i) tree.Add(Item(static_cast<AccessibleId>(i + 1), {10 * i, 0, 10, 10}));
    tree.Seal();
    return tree;
}

TEST(AccessibleTree, RefusesIdsThatWouldMakeTheTreeAmbiguous) {
    AccessibleTree tree;
    EXPECT_TRUE(tree.Add(Item(5, {})));
    EXPECT_FALSE(tree.Add(Item(5, {})));                   // taken
    EXPECT_FALSE(tree.Add(Item(kAccessibleRoot, {})));     // the surface's own
    EXPECT_FALSE(tree.Add(Item(kAccessibleMaxId + 1, {}))); // beyond a child id
    EXPECT_FALSE(tree.Add(Item(6, {}, true, 99)));         // no such parent
    EXPECT_TRUE(tree.Add(Item(3, {}, true, 5)));           // lower than the highest, still free
    EXPECT_FALSE(tree.Add(Item(3, {}, true, 5)));
    tree.Seal();
    EXPECT_FALSE(tree.Add(Item(7, {})));
    EXPECT_EQ(tree.Size(), 3u);
    EXPECT_EQ(tree.Root().children, (std::vector<AccessibleId>{5}));
    ASSERT_NE(tree.Find(5), nullptr);
    EXPECT_EQ(tree.Find(5)->children, (std::vector<AccessibleId>{3}));
    EXPECT_EQ(tree.Find(3)->parent, 5u);
}

TEST(AccessibleTree, AnIdOfAnEarlierSnapshotIsNotFoundInALaterOne) {
    // The row had items 1 to 4; item 3 left and the row was built again.
    AccessibleTree before = Row(4);
    AccessibleTree after;
    for (AccessibleId id : {1u, 2u, 4u}) after.Add(Item(id, {}));
    after.Seal();
    ASSERT_NE(before.Find(3), nullptr);
    EXPECT_EQ(after.Find(3), nullptr);
    EXPECT_NE(after.Find(4), nullptr);
    EXPECT_EQ(after.Find(12345), nullptr);
    EXPECT_FALSE(after.Sibling(3, 1));
}

TEST(AccessibleTree, HitTestFindsTheDeepestVisibleElement) {
    AccessibleElement root;
    root.bounds = {100, 100, 200, 50};
    AccessibleTree tree(root);
    tree.Add(Item(1, {100, 100, 100, 50}));
    tree.Add(Item(2, {110, 110, 20, 20}, true, 1));
    AccessibleElement hidden = Item(3, {140, 110, 20, 20}, true, 1);
    hidden.state |= AccessibleState::Invisible;
    tree.Add(hidden);
    tree.Seal();
    EXPECT_EQ(tree.HitTest(115, 115), 2u);
    EXPECT_EQ(tree.HitTest(145, 115), 1u); // the hidden one is passed over
    EXPECT_EQ(tree.HitTest(250, 120), kAccessibleRoot);
    EXPECT_FALSE(tree.HitTest(99, 120));
    EXPECT_FALSE(tree.HitTest(300, 120)); // right edge is outside
}

// Lists hold a selection; a menu or a row of buttons with selectable rows does not, and a
// stale id holds nothing.
TEST(AccessibleSelection, OnlyListsHoldOneAndItsSelectedItemsAreReadInOrder) {
    AccessibleTree tree;
    AccessibleElement list = Item(1, {});
    list.role = AccessibleRole::PageTabList;
    tree.Add(list);
    AccessibleElement menu = Item(2, {});
    menu.role = AccessibleRole::PopupMenu;
    tree.Add(menu);
    for (AccessibleId id : {11u, 12u, 13u}) {
        AccessibleElement tab = Item(id, {}, true, 1);
        tab.state |= AccessibleState::Selectable;
        if (id == 12) tab.state |= AccessibleState::Selected;
        tree.Add(tab);
    }
    AccessibleElement row = Item(21, {}, true, 2);
    row.state |= AccessibleState::Selectable | AccessibleState::Selected;
    tree.Add(row);
    AccessibleElement emptyList = Item(3, {});
    emptyList.role = AccessibleRole::List;
    tree.Add(emptyList);
    AccessibleElement plain = Item(31, {}, true, 3); // focusable, never selectable
    plain.state |= AccessibleState::Selected;
    tree.Add(plain);
    tree.Seal();

    EXPECT_TRUE(HoldsSelection(tree, 1));
    EXPECT_EQ(SelectedChildren(tree, 1), (std::vector<AccessibleId>{12}));
    EXPECT_TRUE(InSelection(tree, 11));
    EXPECT_FALSE(HoldsSelection(tree, 2)) << "a menu's lit row is its focus";
    EXPECT_FALSE(InSelection(tree, 21));
    EXPECT_TRUE(SelectedChildren(tree, 2).empty());
    EXPECT_FALSE(HoldsSelection(tree, 3)) << "a list with nothing selectable";
    EXPECT_TRUE(SelectedChildren(tree, 3).empty());
    EXPECT_FALSE(InSelection(tree, 31));
    EXPECT_FALSE(HoldsSelection(tree, 99));
    EXPECT_FALSE(InSelection(tree, 99));
    EXPECT_FALSE(InSelection(tree, kAccessibleRoot));
}

TEST(MoveFocus, NextAndPreviousWrapAndSkipWhatCannotTakeTheFocus) {
    AccessibleTree tree;
    tree.Add(Item(1, {}));
    tree.Add(Item(2, {}, false)); // a separator
    AccessibleElement off = Item(3, {});
    off.state |= AccessibleState::Unavailable;
    tree.Add(off);
    tree.Add(Item(4, {}));
    tree.Add(Item(5, {}));
    tree.Seal();
    EXPECT_EQ(MoveFocus(tree, 0, 1, FocusMove::Next), 4u);
    EXPECT_EQ(MoveFocus(tree, 0, 4, FocusMove::Previous), 1u);
    EXPECT_EQ(MoveFocus(tree, 0, 5, FocusMove::Next), 1u);     // wraps to the start
    EXPECT_EQ(MoveFocus(tree, 0, 1, FocusMove::Previous), 5u); // and to the end
    EXPECT_EQ(MoveFocus(tree, 0, 2, FocusMove::Next), 4u);     // from an unfocusable one
    EXPECT_EQ(MoveFocus(tree, 0, 4, FocusMove::First), 1u);
    EXPECT_EQ(MoveFocus(tree, 0, 1, FocusMove::Last), 5u);
}

TEST(MoveFocus, EnteringAContainerOrComingFromAStaleIdLandsAtAnEnd) {
    const AccessibleTree tree = Row(4);
    EXPECT_EQ(MoveFocus(tree, 0, kAccessibleRoot, FocusMove::Next), 1u);
    EXPECT_EQ(MoveFocus(tree, 0, kAccessibleRoot, FocusMove::Previous), 4u);
    EXPECT_EQ(MoveFocus(tree, 0, 77, FocusMove::Next), 1u);
    EXPECT_EQ(MoveFocus(tree, 0, 77, FocusMove::Last), 4u);
    EXPECT_FALSE(MoveFocus(tree, 77, 1, FocusMove::Next)); // no such container

    AccessibleTree empty;
    empty.Add(Item(1, {}, false));
    empty.Seal();
    EXPECT_FALSE(MoveFocus(empty, 0, 1, FocusMove::Next));
}

TEST(MoveFocus, UpAndDownInAGridMoveByARowAndStopAtTheEdges) {
    // 3 columns, 7 cells:  1 2 3 / 4 5 6 / 7
    const AccessibleTree tree = Row(7, AccessibleFlow::Grid, 3);
    EXPECT_EQ(MoveFocus(tree, 0, 2, FocusMove::Down), 5u);
    EXPECT_EQ(MoveFocus(tree, 0, 5, FocusMove::Up), 2u);
    EXPECT_FALSE(MoveFocus(tree, 0, 2, FocusMove::Up));
    EXPECT_EQ(MoveFocus(tree, 0, 4, FocusMove::Down), 7u);
    EXPECT_EQ(MoveFocus(tree, 0, 6, FocusMove::Down), 7u); // the short last row's last cell
    EXPECT_FALSE(MoveFocus(tree, 0, 7, FocusMove::Down));
    EXPECT_EQ(MoveFocus(tree, 0, 3, FocusMove::Next), 4u); // along the flow it runs on
}

// A dock-like row: items with a menu and an action, a separator between them.
AccessibleTree Surface(AccessibleFlow flow) {
    AccessibleElement root;
    root.flow = flow;
    AccessibleTree tree(root);
    for (AccessibleId id : {1u, 2u, 3u}) {
        AccessibleElement e = Item(id, {});
        if (id == 2) e.state = AccessibleState::None; // a separator
        else {
            e.state |= AccessibleState::HasPopup;
            e.defaultAction = L"Open";
        }
        tree.Add(e);
    }
    AccessibleElement plain = Item(4, {}); // no menu, no action: the application's name
    tree.Add(plain);
    tree.Seal();
    return tree;
}

TEST(KeyOnSurface, ArrowsFollowTheFlowAndKeysActOnlyOnWhatCanTakeThem) {
    const AccessibleTree row = Surface(AccessibleFlow::Horizontal);
    using V = SurfaceVerb;
    const auto is = [](SurfaceKeyResult r, V verb, AccessibleId target) { return r.verb == verb && r.target == target; };
    EXPECT_TRUE(is(KeyOnSurface(row, 1, keys::kRight, false), V::Move, 3));  // past the separator
    EXPECT_TRUE(is(KeyOnSurface(row, 1, keys::kLeft, false), V::Move, 4));   // wraps
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kTab, true), V::Move, 1));     // Shift+Tab goes back
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kHome, false), V::Move, 1));
    EXPECT_EQ(KeyOnSurface(row, 1, keys::kDown, false).verb, V::None);        // across a row: nothing
    EXPECT_TRUE(is(KeyOnSurface(row, 1, keys::kDown, false, true), V::OpenMenu, 1)); // a menu bar's title
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kEnter, false), V::Activate, 3));
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kSpace, false), V::Activate, 3));
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kF10, true), V::OpenMenu, 3));
    EXPECT_TRUE(is(KeyOnSurface(row, 3, keys::kMenu, false), V::OpenMenu, 3));
    EXPECT_EQ(KeyOnSurface(row, 3, keys::kF10, false).verb, V::None); // F10 alone is the system's
    EXPECT_EQ(KeyOnSurface(row, 4, keys::kEnter, false).verb, V::None); // nothing to do
    EXPECT_EQ(KeyOnSurface(row, 4, keys::kMenu, false).verb, V::None);
    EXPECT_EQ(KeyOnSurface(row, 2, keys::kEnter, false).verb, V::None); // a separator never acts
    EXPECT_EQ(KeyOnSurface(row, 1, keys::kEscape, false).verb, V::Leave);
    EXPECT_EQ(KeyOnSurface(row, 1, 'A', false).verb, V::None);

    const AccessibleTree column = Surface(AccessibleFlow::Vertical);
    EXPECT_TRUE(is(KeyOnSurface(column, 1, keys::kDown, false), V::Move, 3));
    EXPECT_EQ(KeyOnSurface(column, 1, keys::kRight, false).verb, V::None);
}

TEST(KeyOnSurface, AFocusWhoseItemWentAwayActsOnNothingAndMovesToAnEnd) {
    const AccessibleTree row = Surface(AccessibleFlow::Horizontal);
    // Item 9 left the dock while it held the focus.
    EXPECT_EQ(KeyOnSurface(row, 9, keys::kEnter, false).verb, SurfaceVerb::None);
    EXPECT_EQ(KeyOnSurface(row, 9, keys::kMenu, false).verb, SurfaceVerb::None);
    const auto next = KeyOnSurface(row, 9, keys::kRight, false);
    EXPECT_EQ(next.verb, SurfaceVerb::Move);
    EXPECT_EQ(next.target, 1u);
    EXPECT_EQ(KeyOnSurface(row, kAccessibleRoot, keys::kLeft, false).target, 4u);
}

TEST(AccessibleSurface, BuildsOnlyWhenAskedAndReusesARecentSnapshot) {
    int builds = 0;
    int items = 2;
    AccessibleSurface surface([&] {
        ++builds;
        AccessibleTree tree;
        for (int i = 1; i <= items; ++i) tree.Add(Item(static_cast<AccessibleId>(i), {}));
        return tree;
    }, 100);
    EXPECT_EQ(builds, 0);

    const auto first = surface.Current(1000);
    EXPECT_TRUE(first->Sealed());
    EXPECT_EQ(first->Size(), 3u);
    EXPECT_EQ(surface.Current(1050), first); // one reading, one build
    EXPECT_EQ(builds, 1);

    items = 1;
    surface.Invalidate();
    const auto second = surface.Current(1060);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->Find(2), nullptr);
    EXPECT_NE(first->Find(2), nullptr); // a holder of the old snapshot still has it whole

    EXPECT_NE(surface.Current(1200), second); // too old
    EXPECT_NE(surface.Current(500), nullptr);  // a clock that went back builds again
    EXPECT_EQ(surface.Builds(), 4u);
}

TEST(AccessibleSurface, WhileTheStateIsBusyThePreviousSnapshotAnswers) {
    bool busy = true;
    AccessibleSurface surface([&]() -> std::optional<AccessibleTree> {
        if (busy) return std::nullopt;
        AccessibleTree tree;
        tree.Add(Item(1, {}));
        return tree;
    }, 100);
    const auto none = surface.Current(0);
    EXPECT_TRUE(none->Sealed());
    EXPECT_EQ(none->Size(), 1u); // the surface alone until its state can be read
    busy = false;
    const auto built = surface.Current(10); // asked again at once: tried again
    EXPECT_EQ(built->Size(), 2u);
    busy = true;
    surface.Invalidate();
    EXPECT_EQ(surface.Current(20), built);
    EXPECT_EQ(surface.Builds(), 1u);
}

} // namespace
} // namespace kestrana::foundation
