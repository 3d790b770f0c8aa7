// Launchpad and the folder stacks as a screen reader reads them, against the places the
// view and the stack layout give to what they draw.
#include "launchers/pad_accessible.h"
#include "launchers/stack_accessible.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrana::launchers {
namespace {

using foundation::AccessibleId;
using foundation::AccessibleRole;
using foundation::AccessibleState;

LaunchpadEntry Entry(const std::wstring& name) {
    LaunchpadEntry e;
    e.name = name;
    e.path = L"c:\\apps\\" + name + L".exe";
    e.SetKey(name, [](wchar_t) { return std::wstring(); });
    return e;
}

// Two pages: a full first page whose fourth icon is a group, and a page of three.
std::vector<LaunchpadPage> Pages() {
    std::vector<LaunchpadPage> pages(2);
    for (int i = 0; i < 35; ++i) {
        if (i == 3) {
            LaunchpadGroup group;
            group.name = L"Tools";
            group.entries = {Entry(L"Hammer"), Entry(L"Saw")};
            pages[0].push_back(group);
        } else {
            pages[0].push_back(Entry(L"App" + std::to_wstring(i)));
        }
    }
    for (const wchar_t* name : {L"Mail", L"Maps", L"Notes"}) pages[1].push_back(Entry(name));
    return pages;
}

std::vector<std::wstring> ChildNames(const foundation::AccessibleTree& tree, AccessibleId id) {
    std::vector<std::wstring> names;
    for (auto child : tree.Find(id)->children) names.push_back(tree.Find(child)->name);
    return names;
}

TEST(PadAccessibleTree, PagesEntriesAndGroupsWhereTheViewDrawsThem) {
    auto pages = Pages();
    PadView view(pages);
    view.SetGeometry(LayOutPad({.width = 1920, .height = 1080}));
    view.PagesChanged();
    const auto tree = BuildPadTree(view, 1920, 0);
    const PadGeometry& g = view.Geometry();

    ASSERT_NE(tree.Find(kPadSearchId), nullptr);
    EXPECT_EQ(tree.Find(kPadSearchId)->role, AccessibleRole::Text);
    EXPECT_EQ(tree.Find(kPadSearchId)->bounds.x, 1920 + g.searchBox.x);
    EXPECT_EQ(tree.Focused(), kPadSearchId);

    const auto& first = *tree.Find(PadPageId(0));
    ASSERT_EQ(first.children.size(), 35u);
    EXPECT_EQ(first.columns, kPadColumns);
    for (std::size_t i = 0; i < first.children.size(); ++i) {
        const auto& e = *tree.Find(first.children[i]);
        const gfx::RectI cell = g.Cell(static_cast<int>(i));
        EXPECT_EQ(e.bounds, (foundation::AccessibleRect{1920 + cell.x, cell.y, cell.width, cell.height}));
    }
    const auto& group = *tree.Find(*PadEntryId({0, 3, std::nullopt}));
    EXPECT_EQ(group.role, AccessibleRole::Grouping);
    EXPECT_EQ(group.name, L"Tools");
    EXPECT_TRUE(Has(group.state, AccessibleState::Collapsed));
    EXPECT_EQ(ChildNames(tree, group.id), (std::vector<std::wstring>{L"Hammer", L"Saw"}));
    EXPECT_TRUE(Has(tree.Find(group.children[0])->state, AccessibleState::Invisible));

    // The second page is there but not shown; its dot says which page is.
    EXPECT_TRUE(Has(tree.Find(PadPageId(1))->state, AccessibleState::Invisible));
    EXPECT_EQ(ChildNames(tree, PadPageId(1)), (std::vector<std::wstring>{L"Mail", L"Maps", L"Notes"}));
    EXPECT_TRUE(Has(tree.Find(PadDotId(0))->state, AccessibleState::Selected));
    EXPECT_FALSE(Has(tree.Find(PadDotId(1))->state, AccessibleState::Selected));
    const PadPoint dot = view.DotCentre(1, 2);
    EXPECT_EQ(tree.HitTest(1920 + dot.x, dot.y), PadDotId(1));

    // Down from the first row's fourth cell lands in the same column of the next row.
    EXPECT_EQ(foundation::MoveFocus(tree, PadPageId(0), group.id, foundation::FocusMove::Down),
              *PadEntryId({0, 10, std::nullopt}));
}

TEST(PadAccessibleTree, SearchShowsTheHitsAndTheTypedTextWithTheSelection) {
    auto pages = Pages();
    PadView view(pages);
    view.SetGeometry(LayOutPad({.width = 1280, .height = 800}));
    view.PagesChanged();
    view.Type(L"ma");
    view.Key(PadKey::Right, 0);
    const auto tree = BuildPadTree(view, 0, 0);
    EXPECT_EQ(tree.Find(kPadSearchId)->value, L"ma");
    EXPECT_EQ(tree.Find(PadPageId(0)), nullptr);
    ASSERT_NE(tree.Find(kPadResultsId), nullptr);
    const auto names = ChildNames(tree, kPadResultsId);
    EXPECT_EQ(names.size(), view.ResultTiles().size());
    EXPECT_NE(std::find(names.begin(), names.end(), L"Mail"), names.end());
    if (view.Selection() >= 0) {
        const auto focused = tree.Focused();
        ASSERT_TRUE(focused);
        EXPECT_EQ(tree.Find(*focused)->parent, kPadResultsId);
    }
}

// The page tabs hold the shown page as their selection, always one; a page holds the
// keyboard's selection, when there is one. A reader's choice of tab names a page there is.
TEST(PadAccessibleTree, TheTabsAndThePagesHoldTheirSelection) {
    auto pages = Pages();
    PadView view(pages);
    view.SetGeometry(LayOutPad({.width = 1920, .height = 1080}));
    view.PagesChanged();
    auto tree = BuildPadTree(view, 0, 0);
    using foundation::SelectedChildren;
    EXPECT_TRUE(foundation::HoldsSelection(tree, kPadPagesId));
    EXPECT_TRUE(Has(tree.Find(kPadPagesId)->state, AccessibleState::SelectionRequired));
    EXPECT_EQ(SelectedChildren(tree, kPadPagesId), (std::vector<AccessibleId>{PadDotId(0)}));
    EXPECT_TRUE(foundation::HoldsSelection(tree, PadPageId(0)));
    EXPECT_TRUE(SelectedChildren(tree, PadPageId(0)).empty()) << "nothing chosen by the keyboard yet";
    EXPECT_FALSE(foundation::InSelection(tree, kPadSearchId));

    const std::vector<AccessibleId> tabs = tree.Find(kPadPagesId)->children;
    for (AccessibleId tab : tabs) {
        const auto page = PadPageOfTab(tab, view.PageCount());
        ASSERT_TRUE(page);
        view.GoToPage(*page, 0);
        tree = BuildPadTree(view, 0, 0);
        EXPECT_EQ(SelectedChildren(tree, kPadPagesId), (std::vector<AccessibleId>{tab}));
    }
    EXPECT_FALSE(PadPageOfTab(PadDotId(2), 2));
    EXPECT_FALSE(PadPageOfTab(kPadSearchId, 2));
    EXPECT_FALSE(PadPageOfTab(PadPageId(0), 2));

    view.GoToPage(0, 0);
    view.Key(PadKey::Right, 0);
    ASSERT_GE(view.Selection(), 0);
    tree = BuildPadTree(view, 0, 0);
    const auto chosen = SelectedChildren(tree, PadPageId(0));
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(tree.Find(chosen[0])->bounds.x, view.Geometry().Cell(view.Selection()).x);
}

std::vector<StackItem> StackItems(int count) {
    std::vector<StackItem> items;
    for (int i = 0; i < count; ++i) {
        StackItem item;
        item.name = L"File " + std::to_wstring(i);
        item.kind = i == 0 ? StackItemKind::Folder : StackItemKind::File;
        items.push_back(item);
    }
    return items;
}

TEST(StackAccessibleTree, ItemsWhereTheStackDrawsThemInEveryLayout) {
    StackPlacement p;
    p.work = {0, 0, 1920, 1080};
    p.dock = {600, 1000, 720, 80};
    p.anchorAlong = 640;
    for (const StackLayout layout : {StackLayout::Grid, StackLayout::Fan, StackLayout::List}) {
        const auto items = StackItems(40);
        // Nested only for the boxed layouts: a nested fan is shown as a grid.
        const StackGeometry g = LayOutStack(layout, 40, p, layout != StackLayout::Fan, true);
        const auto tree = BuildStackTree(g, items, {L"Downloads", 0, 2});
        const std::string where = std::to_string(static_cast<int>(layout));
        EXPECT_EQ(tree.Root().name, L"Downloads");
        EXPECT_EQ(tree.Find(kStackBackId) != nullptr, layout != StackLayout::Fan) << where;
        EXPECT_EQ(tree.Find(kStackOpenId) != nullptr, layout != StackLayout::Fan) << where; // the fan has its "more" cell
        EXPECT_EQ(tree.Find(StackItemId(0))->description, L"folder") << where;
        EXPECT_EQ(tree.Focused(), StackItemId(2)) << where;
        // A click in the middle of a visible item's icon and the reader's hit test agree.
        int checked = 0;
        for (std::size_t i = 0; i < g.cells.size(); ++i) {
            const auto* e = tree.Find(StackItemId(i));
            ASSERT_NE(e, nullptr) << where;
            if (Has(e->state, AccessibleState::Offscreen)) continue;
            const gfx::RectF& icon = g.cells[i].icon;
            const float cx = icon.x + icon.width / 2;
            const float cy = icon.y + icon.height / 2 + (g.layout == StackLayout::Fan ? 0 : g.view.y);
            EXPECT_EQ(HitStackCell(g, {cx, cy}, 0), static_cast<int>(i)) << where;
            EXPECT_EQ(tree.HitTest(g.window.x + static_cast<int>(cx), g.window.y + static_cast<int>(cy)), StackItemId(i))
                << where << " item " << i;
            ++checked;
        }
        EXPECT_GT(checked, 0) << where;
        if (g.more) {
            EXPECT_EQ(tree.Find(StackItemId(g.cells.size() - 1))->name, L"More in folder");
        }
        if (g.Scrolls()) {
            // Scrolled to the end, the first items leave the view.
            const auto scrolled = BuildStackTree(g, items, {L"Downloads", g.contentHeight - g.view.height, -1});
            EXPECT_TRUE(Has(scrolled.Find(StackItemId(0))->state, AccessibleState::Offscreen)) << where;
            EXPECT_FALSE(Has(scrolled.Find(StackItemId(39))->state, AccessibleState::Offscreen)) << where;
        }
    }
}

// The keyboard in a stack: arrows walk the items in the order they are laid out, the
// item reached is scrolled into view, Enter opens it, Escape leaves; the fan never scrolls.
TEST(StackKeyboard, ArrowsWalkTheItemsAndTheReachedOneIsInView) {
    StackPlacement p;
    p.work = {0, 0, 1920, 1080};
    p.dock = {600, 1000, 720, 80};
    p.anchorAlong = 640;
    for (const StackLayout layout : {StackLayout::List, StackLayout::Grid}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const auto items = StackItems(60);
        const StackGeometry g = LayOutStack(layout, 60, p, false, true);
        ASSERT_TRUE(g.Scrolls());
        const int columns = layout == StackLayout::Grid ? BuildStackTree(g, items, {}).Root().columns : 1;
        ASSERT_GT(columns, 0);
        AccessibleId focus = foundation::kAccessibleRoot;
        float scroll = 0;
        int visits = 0;
        for (int step = 0; step < 60; ++step) {
            const auto tree = BuildStackTree(g, items, {L"Stack", scroll, -1});
            const auto moved = foundation::KeyOnSurface(tree, focus, foundation::keys::kDown, false);
            if (moved.verb != foundation::SurfaceVerb::Move) break;
            const auto item = StackItemOf(moved.target, g.cells.size());
            if (!item) break; // past the items: the open button
            if (focus != foundation::kAccessibleRoot) {
                EXPECT_EQ(*item, *StackItemOf(focus, g.cells.size()) + static_cast<std::size_t>(columns));
            }
            focus = moved.target;
            scroll = ScrollToShow(g, static_cast<int>(*item), scroll);
            const StackCell& c = g.cells[*item];
            EXPECT_GE(std::min(c.icon.y, c.label.y), scroll - 0.5f) << *item;
            EXPECT_LE(std::max(c.icon.Bottom(), c.label.Bottom()), scroll + g.view.height + 0.5f) << *item;
            EXPECT_FALSE(Has(BuildStackTree(g, items, {L"Stack", scroll, -1}).Find(focus)->state,
                             AccessibleState::Offscreen));
            ++visits;
        }
        EXPECT_GE(visits, 60 / columns - 1) << "walked down to the last row";
        EXPECT_GT(scroll, 0);
        // Up from the top row stays there; Home goes to the first element, Enter opens the item.
        const auto tree = BuildStackTree(g, items, {L"Stack", scroll, -1});
        const auto enter = foundation::KeyOnSurface(tree, focus, foundation::keys::kEnter, false);
        EXPECT_EQ(enter.verb, foundation::SurfaceVerb::Activate);
        EXPECT_EQ(enter.target, focus);
        EXPECT_EQ(foundation::KeyOnSurface(tree, focus, foundation::keys::kEscape, false).verb,
                  foundation::SurfaceVerb::Leave);
        EXPECT_EQ(ScrollToShow(g, 0, scroll), 0.0f);
        EXPECT_EQ(ScrollToShow(g, -1, 33.0f), 33.0f);
        EXPECT_EQ(ScrollToShow(g, 1000, 33.0f), 33.0f);
    }
    const StackGeometry fan = LayOutStack(StackLayout::Fan, 10, p, false, true);
    EXPECT_EQ(ScrollToShow(fan, 9, 0.0f), 0.0f);
    EXPECT_FALSE(StackItemOf(kStackOpenId, 10));
    EXPECT_FALSE(StackItemOf(StackItemId(10), 10));
    EXPECT_EQ(StackItemOf(StackItemId(9), 10), 9u);
}

} // namespace
} // namespace kestrana::launchers
