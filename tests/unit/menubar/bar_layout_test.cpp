// The bar's geometry, the status row's places and overflow, and reordering by drag.
#include "menubar/bar_geometry.h"
#include "menubar/status_row.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <limits>

namespace kestrana::menubar {
namespace {

TEST(BarGeometry, HeightIsEvenAndScaleFallsBackOutsideItsRange) {
    const struct {
        float configured;
        int height;
    } cases[] = {{1.0f, 24}, {1.25f, 30}, {1.3f, 32}, {1.5f, 36}, {0.5f, 48}, {5.0f, 48}};
    for (const auto& c : cases) {
        // The system scale of 2.0 stands in where "varloDPI" is ignored.
        EXPECT_EQ(BarHeight(BarScale(c.configured, 2.0f)), c.height) << c.configured;
    }

    fakes::SettingsFolder folder;
    folder.Config(u"[finder]\r\nvarloDPI=1.5\r\n[DISPLAY2]\r\nvarloDPI=1.25\r\n");
    EXPECT_FLOAT_EQ(BarScaleFor(folder.store, L"DISPLAY2", false, 1.0f), 1.5f);
    EXPECT_FLOAT_EQ(BarScaleFor(folder.store, L"DISPLAY2", true, 1.0f), 1.25f);
    EXPECT_EQ(ScreenSection(L"\\\\.\\DISPLAY2"), L"DISPLAY2");
}

// "Make text bigger": the bar grows by what its text grew, stays even, and keeps the
// text inside with the margins it has at the normal size; nonsense reads as the normal size.
TEST(BarGeometry, BiggerTextGrowsTheBarAroundIt) {
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        const int normal = BarHeight(scale);
        const float margin = static_cast<float>(normal) - BarTextSize(scale);
        int previous = normal;
        for (float text : {1.0f, 1.2f, 1.5f, 2.0f, 2.25f}) {
            SCOPED_TRACE(::testing::Message() << "scale " << scale << " text " << text);
            const int height = BarHeight(scale, text);
            EXPECT_EQ(height % 2, 0);
            EXPECT_GE(height, previous);
            EXPECT_GE(static_cast<float>(height) - BarTextSize(scale, text), margin - 2.0f);
            EXPECT_LE(height, 2 * normal) << "the bar stays a bar";
            previous = height;
        }
        EXPECT_GT(BarTextSize(scale, 1.5f), BarTextSize(scale));
        for (float odd : {0.0f, -3.0f, 9.0f, std::numeric_limits<float>::quiet_NaN()})
            EXPECT_LE(BarHeight(scale, odd), BarHeight(scale, 2.25f)) << odd;
        EXPECT_EQ(BarHeight(scale, std::numeric_limits<float>::quiet_NaN()), normal);
    }
}

TEST(BarGeometry, LeftSideAndTitles) {
    // 46 x 1.25 = 57.5 and 33 x 1.25 = 41.25 are truncated each on its own.
    const LeftSide side = LayOutLeftSide(1920, 1.25f);
    EXPECT_EQ(side.nameX, 1977);
    EXPECT_EQ(side.logoWidth, 41);
    EXPECT_EQ(side.logoX, 1936);
    EXPECT_EQ(TitleWithoutAccessKey(L"Edit(E)"), L"Edit");
    EXPECT_EQ(TitleWithoutAccessKey(L"View (V)"), L"View ");
    EXPECT_EQ(TitleWithoutAccessKey(L"Help"), L"Help");
}

StatusRow RowOf(std::initializer_list<int> widths) {
    std::vector<StatusKind> kinds;
    for (std::size_t i = 0; i < widths.size(); ++i) kinds.push_back(kCreationOrder[i]);
    StatusRow row(kinds);
    std::size_t i = 0;
    for (int w : widths) row.SetWidth(kinds[i++], w);
    return row;
}

TEST(StatusRowLayout, ItemsThatDoNotFitGoToTheOverflowList) {
    // 1000 pixels at scale 1: the right margin is 10, the left limit half the bar, and
    // every item keeps 33 pixels of room on its left.
    StatusRow row = RowOf({120, 100, 0, 100, 100, 100, 100});
    const RowLayout layout = row.LayOut(1000, 1.0f, 500);
    const auto& cells = row.Cells();
    EXPECT_EQ(cells[0].x, 870);
    EXPECT_EQ(cells[1].x, 770);
    EXPECT_FALSE(cells[2].placed); // nothing to show: takes no room
    EXPECT_EQ(cells[4].x, 570);
    ASSERT_EQ(layout.overflow.size(), 2u);
    EXPECT_EQ(layout.overflow[0], 5u);
    EXPECT_EQ(layout.overflow[1], 6u);
    ASSERT_TRUE(layout.moreX);
    EXPECT_EQ(*layout.moreX, 570 - 33);
    EXPECT_EQ(row.IndexAt(575), 4);
    EXPECT_EQ(row.IndexAt(560), -1);

    StatusRow fits = RowOf({50, 50});
    EXPECT_FALSE(fits.LayOut(1000, 1.0f, 500).moreX);
}

TEST(StatusRowLayout, ARoundedScreenCornerWidensTheRightMarginOnlyWhenWider) {
    StatusRow row = RowOf({100, 100});
    row.LayOut(1000, 2.0f, 0, 12); // the margin of 20 at scale 2 is already clear of it
    EXPECT_EQ(row.Cells()[0].x, 880);
    row.LayOut(1000, 1.0f, 0, 40);
    EXPECT_EQ(row.Cells()[0].x, 860);
    EXPECT_EQ(row.Cells()[1].x, 760);
    // The room it takes is taken from the items that fit.
    EXPECT_EQ(row.LayOut(1000, 1.0f, 850, 0).overflow.size(), 1u);
    EXPECT_EQ(row.LayOut(1000, 1.0f, 850, 40).overflow.size(), 2u);
}

TEST(StatusRowDrag, SwapsPastANeighboursMiddleAndHonoursTheLock) {
    StatusRow row = RowOf({60, 40, 80});
    row.LayOut(1000, 1.0f, 0); // x: 930, 890, 810
    row.Press(0, 950);
    EXPECT_EQ(row.Move(956, false), DragStep::None); // 6 pixels is not yet a drag
    EXPECT_EQ(row.Move(944, false), DragStep::None);
    EXPECT_EQ(row.Move(943, false), DragStep::Started);
    EXPECT_EQ(row.Move(915, false), DragStep::Moved); // over the neighbour, right of its middle
    EXPECT_EQ(row.Move(905, false), DragStep::Swapped);
    EXPECT_EQ(row.DraggedIndex(), 1);
    EXPECT_EQ(row.DraggedX(), 905 - 20);
    row.LayOut(1000, 1.0f, 0);
    EXPECT_EQ(row.Move(890, false), DragStep::Moved); // no swap back over its old place
    EXPECT_TRUE(row.Release());
    EXPECT_EQ(row.Order(), (std::vector{kCreationOrder[1], kCreationOrder[0], kCreationOrder[2]}));

    row.Press(0, 950);
    EXPECT_EQ(row.Move(700, true), DragStep::None);
    EXPECT_FALSE(row.Release());
    EXPECT_EQ(row.Order()[0], kCreationOrder[1]);
}

TEST(StatusRowSlide, ShownItemsSlideToTheirNewPlaceAndNewOnesAppearInPlace) {
    StatusRow row = RowOf({60, 40, 0});
    row.LayOut(1000, 1.0f, 0); // x: 930, 890
    EXPECT_FALSE(row.Sliding()); // the first layout places everything directly
    EXPECT_EQ(row.Cells()[1].shownX, 890);

    // The rightmost item widens by 20 and a third item appears.
    row.SetWidth(kCreationOrder[0], 80);
    row.SetWidth(kCreationOrder[2], 50);
    row.LayOut(1000, 1.0f, 0); // x: 910, 870, 820
    const auto& cells = row.Cells();
    EXPECT_TRUE(row.Sliding());
    EXPECT_EQ(cells[1].x, 870);
    EXPECT_EQ(cells[1].shownX, 890); // still drawn where it was
    EXPECT_EQ(cells[2].shownX, 820); // appeared: no slide

    EXPECT_TRUE(row.Slide(0.5));
    EXPECT_LT(cells[1].shownX, 890);
    EXPECT_GT(cells[1].shownX, 870);
    const int halfway = cells[1].shownX;

    // A new layout halfway through starts the next slide from where the item is drawn.
    row.SetWidth(kCreationOrder[0], 60);
    row.LayOut(1000, 1.0f, 0); // back to 890
    EXPECT_EQ(cells[1].shownX, halfway);
    EXPECT_TRUE(row.Slide(0.2));
    EXPECT_GT(cells[1].shownX, halfway);
    EXPECT_FALSE(row.Slide(1.0));
    EXPECT_EQ(cells[1].shownX, 890);

    // An item hidden and shown again appears in place rather than sliding from its old spot.
    row.SetWidth(kCreationOrder[1], 0);
    row.LayOut(1000, 1.0f, 0);
    row.SettleSlides();
    row.SetWidth(kCreationOrder[1], 40);
    row.LayOut(1000, 1.0f, 0);
    EXPECT_EQ(cells[1].shownX, cells[1].x);
}

TEST(StatusRowSlide, ADroppedItemSlidesFromWhereItWasLetGo) {
    StatusRow row = RowOf({60, 40});
    row.LayOut(1000, 1.0f, 0); // x: 930, 890
    row.Press(0, 950);
    row.Move(943, false);
    EXPECT_EQ(row.Move(905, false), DragStep::Swapped);
    row.LayOut(1000, 1.0f, 0); // the neighbour now first at 950, the dragged item at 890
    EXPECT_EQ(row.Cells()[0].shownX, 890); // the neighbour slides over from its old place
    row.Move(870, false);
    EXPECT_TRUE(row.Release());
    EXPECT_EQ(row.Cells()[1].shownX, 870 - 20);
    EXPECT_EQ(row.Cells()[1].x, 890);
    EXPECT_TRUE(row.Sliding());
}

} // namespace
} // namespace kestrana::menubar
