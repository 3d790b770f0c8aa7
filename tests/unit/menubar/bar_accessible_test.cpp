// The menu bar as a screen reader reads it, from the row and left side the bar draws.
#include "menubar/bar_accessible.h"

#include "menubar/bar_geometry.h"
#include "menubar/status_row.h"
#include "menubar/status_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::menubar {
namespace {

using foundation::AccessibleRole;
using foundation::AccessibleState;

// The facts a bar at (100, 0) on a screen `width` wide hands over after laying its row out.
BarFacts Facts(StatusRow& row, int width, const std::vector<std::wstring>& titles) {
    const float scale = 1.0f;
    const int height = BarHeight(scale);
    BarFacts facts;
    facts.originX = 100;
    facts.width = width;
    facts.height = height;
    const LeftSide left = LayOutLeftSide(0, scale);
    facts.logo = {left.logoX, 0, left.logoWidth, height};
    facts.appName = {L"Notepad", {left.nameX, 0, 60, height}};
    int x = left.nameX + 60;
    for (const auto& t : titles) {
        facts.titles.push_back({t, {x, 0, 40, height}});
        x += 40;
    }
    const RowLayout layout = row.LayOut(width, scale, std::min(width / 2, x));
    for (const StatusCell& cell : row.Cells()) {
        if (!cell.placed) continue;
        BarStatusCell status{cell.kind, {}, {cell.x, 0, cell.width, height}, {}, {}};
        if (cell.kind == StatusKind::Time) status.text = L"Sun 6 Dec 13:25";
        if (cell.kind == StatusKind::InputMethod) status.text = L"ENG";
        if (cell.kind == StatusKind::Battery) {
            status.text = L"80%, Charging";
            status.name = L"Akku"; // an item that names itself
        }
        facts.status.push_back(status);
    }
    if (layout.moreX) facts.more = gfx::RectI{*layout.moreX, 0, layout.moreWidth, height};
    return facts;
}

std::vector<std::wstring> Names(const foundation::AccessibleTree& tree) {
    std::vector<std::wstring> names;
    for (auto id : tree.Root().children) names.push_back(tree.Find(id)->name);
    return names;
}

TEST(BarAccessibleTree, ReadsTheBarFromLeftToRightWithTheClockAsShown) {
    StatusRow row({StatusKind::Time, StatusKind::Search, StatusKind::InputMethod, StatusKind::Battery});
    row.SetWidth(StatusKind::Time, 120);
    row.SetWidth(StatusKind::Search, 34);
    row.SetWidth(StatusKind::InputMethod, 50);
    row.SetWidth(StatusKind::Battery, 34);
    BarFacts facts = Facts(row, 1280, {L"File", L"Edit"});
    facts.openTitle = 1;
    const auto tree = BuildBarTree(facts);

    EXPECT_EQ(Names(tree), (std::vector<std::wstring>{L"System menu", L"Notepad", L"File", L"Edit", L"Akku",
                                                      L"Input Source", L"Search", L"Clock"}));
    int previous = -1;
    for (auto id : tree.Root().children) {
        const auto& e = *tree.Find(id);
        EXPECT_GT(e.bounds.x, previous);
        previous = e.bounds.x;
        EXPECT_TRUE(tree.Root().bounds.Contains(e.bounds.x, e.bounds.y));
    }
    const auto& clock = *tree.Find(BarStatusId(StatusKind::Time));
    EXPECT_EQ(clock.role, AccessibleRole::Clock);
    EXPECT_EQ(clock.value, L"Sun 6 Dec 13:25");
    const int clockIndex = row.IndexOf(StatusKind::Time);
    EXPECT_EQ(clock.bounds.x, 100 + row.Cells()[static_cast<std::size_t>(clockIndex)].x);
    EXPECT_EQ(tree.Find(BarStatusId(StatusKind::InputMethod))->value, L"ENG");
    EXPECT_EQ(tree.Find(BarStatusId(StatusKind::Battery))->value, L"80%, Charging");
    EXPECT_EQ(tree.Find(kBarAppNameId)->role, AccessibleRole::StaticText);
    EXPECT_FALSE(Has(tree.Find(kBarAppNameId)->state, AccessibleState::Focusable));
    EXPECT_TRUE(Has(tree.Find(BarTitleId(1))->state, AccessibleState::Expanded));
    EXPECT_TRUE(Has(tree.Find(BarTitleId(0))->state, AccessibleState::Collapsed));

    // The arrows run along the bar past the name, round to the logo.
    EXPECT_EQ(foundation::MoveFocus(tree, 0, kBarLogoId, foundation::FocusMove::Next), BarTitleId(0));
    EXPECT_EQ(foundation::MoveFocus(tree, 0, BarStatusId(StatusKind::Time), foundation::FocusMove::Next), kBarLogoId);
    // A click on the clock's cell and the reader's hit test agree.
    EXPECT_EQ(tree.HitTest(clock.bounds.x + 3, 5), BarStatusId(StatusKind::Time));

    // The keyboard's focus shows on its cell only; the application's name never takes it,
    // and Down opens the focused title's menu.
    facts.focused = BarTitleId(1);
    const auto focusedTree = BuildBarTree(facts);
    EXPECT_EQ(focusedTree.Focused(), BarTitleId(1));
    const auto down = foundation::KeyOnSurface(focusedTree, BarTitleId(1), foundation::keys::kDown, false, true);
    EXPECT_EQ(down.verb, foundation::SurfaceVerb::OpenMenu);
    EXPECT_EQ(down.target, BarTitleId(1));
    facts.focused = kBarAppNameId;
    EXPECT_FALSE(BuildBarTree(facts).Focused());
}

TEST(BarAccessibleTree, ItemsThatDidNotFitAreReachedThroughMore) {
    StatusRow row({StatusKind::Time, StatusKind::Search, StatusKind::UserAccount, StatusKind::InputMethod});
    for (StatusKind kind : {StatusKind::Time, StatusKind::Search, StatusKind::UserAccount, StatusKind::InputMethod})
        row.SetWidth(kind, 120);
    const auto tree = BuildBarTree(Facts(row, 500, {}));
    ASSERT_NE(tree.Find(kBarMoreId), nullptr);
    EXPECT_NE(tree.Find(BarStatusId(StatusKind::Time)), nullptr);
    EXPECT_EQ(tree.Find(BarStatusId(StatusKind::InputMethod)), nullptr); // in the overflow
}

TEST(BarAccessibleTree, AnItemOfPartsHasAButtonPerPartNamedByIt) {
    StatusRow row({StatusKind::Time, StatusKind::Tray});
    row.SetWidth(StatusKind::Time, 120);
    const float scale = 1.5f;
    row.SetWidth(StatusKind::Tray, PartsWidth(3, scale));
    BarFacts facts = Facts(row, 1200, {});
    for (auto& status : facts.status) {
        if (status.kind != StatusKind::Tray) continue;
        status.name = L"Tray";
        for (std::size_t i = 0; i < 3; ++i)
            status.parts.push_back({L"icon " + std::to_wstring(i), PartRect(status.rect.x, status.rect.height, i, scale)});
        // Every slot lies inside the item and the pointer finds each one again.
        for (std::size_t i = 0; i < 3; ++i) {
            const gfx::RectI r = status.parts[i].rect;
            EXPECT_GE(r.x, status.rect.x);
            EXPECT_LE(r.Right(), status.rect.Right());
            EXPECT_EQ(PartAt(status.rect.x, r.x, 3, scale), static_cast<int>(i));
            EXPECT_EQ(PartAt(status.rect.x, r.Right() - 1, 3, scale), static_cast<int>(i));
        }
        EXPECT_EQ(PartAt(status.rect.x, status.rect.x, 3, scale), -1); // the margin
        EXPECT_EQ(PartAt(status.rect.x, status.rect.Right() - 1, 3, scale), -1);
    }
    facts.focused = BarPartId(StatusKind::Tray, 1);
    const auto tree = BuildBarTree(facts);
    const auto* tray = tree.Find(BarStatusId(StatusKind::Tray));
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->role, AccessibleRole::ToolBar);
    ASSERT_EQ(tray->children.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto* part = tree.Find(tray->children[i]);
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(part->name, L"icon " + std::to_wstring(i));
        EXPECT_EQ(part->bounds.x, tray->bounds.x + PartRect(0, 0, i, scale).x);
        EXPECT_EQ(BarPartOf(part->id), (std::pair{StatusKind::Tray, i}));
        EXPECT_EQ(Has(part->state, AccessibleState::Focused), i == 1);
    }
    EXPECT_FALSE(BarPartOf(BarStatusId(StatusKind::Tray)));
}

} // namespace
} // namespace kestrana::menubar
