// The Launchpad's grid on a monitor: the worked sizes, the dock's band on each edge, and
// invariants over many screens.

#include "launchers/pad_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace kestrana::launchers {
namespace {

TEST(PadGeometry, AutomaticSizesOnFullHd) {
    const PadGeometry g = LayOutPad({.width = 1920, .height = 1080});
    EXPECT_EQ(g.iconSize, 112);
    EXPECT_EQ(g.cellWidth, 152);
    EXPECT_EQ(g.cellHeight, 136);
    EXPECT_EQ(g.spaceX, 71);
    EXPECT_EQ(g.topMargin, 60);
    // The search box sits in the middle of the top margin.
    EXPECT_EQ(g.searchBox.x + g.searchBox.width / 2, 960);
    EXPECT_EQ(g.searchBox.y + g.searchBox.height / 2, 30);
}

TEST(PadGeometry, SettingsThatDoNotFitAreReduced) {
    EXPECT_EQ(LayOutPad({.width = 1920, .height = 1080, .iconSize = 256}).iconSize, 240);
    // The height bound applies when the width one does not.
    EXPECT_EQ(LayOutPad({.width = 2200, .height = 1200, .iconSize = 200}).iconSize, 150);
    const PadGeometry wide = LayOutPad({.width = 1920, .height = 1080, .spaceWidth = 400});
    EXPECT_EQ(wide.spaceX, (1920 - 7 * wide.cellWidth) / 8);
    // A vertical space that pushes the grid above 60 px falls back to the automatic one.
    const PadGeometry tall = LayOutPad({.width = 1920, .height = 1080, .spaceHeight = 300});
    EXPECT_EQ(tall.topMargin, 60);
    EXPECT_LT(tall.spaceY, 300);
    const PadGeometry set = LayOutPad({.width = 1920, .height = 1080, .spaceHeight = 20});
    EXPECT_EQ(set.spaceY, 20);
    EXPECT_EQ(set.topMargin, (set.usableHeight - 5 * set.cellHeight - 5 * 20) / 2);
}

bool Intersects(const gfx::RectI& a, const gfx::RectI& b) { return !Intersect(a, b).Empty(); }

TEST(PadGeometry, KeepsClearOfTheDockOnEveryEdge) {
    constexpr int w = 1920, h = 1080, band = 90;
    const struct {
        DockSide side;
        gfx::RectI dock;
    } cases[] = {
        {DockSide::Bottom, {0, h - band, w, band}},
        {DockSide::Left, {0, 0, band, h}},
        {DockSide::Right, {w - band, 0, band, h}},
        {DockSide::Top, {0, 0, w, band}},
    };
    const PadGeometry free = LayOutPad({.width = w, .height = h});
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.side));
        const PadGeometry g = LayOutPad({.width = w, .height = h, .dock = c.side, .dockThickness = band});
        EXPECT_FALSE(Intersects(g.GridRect(), c.dock));
        EXPECT_FALSE(Intersects(g.searchBox, c.dock));
        EXPECT_EQ(g.iconSize, free.iconSize); // the band moves the grid, never shrinks the icons
        const int dotsY = g.DotsY();
        EXPECT_FALSE(Intersects({w / 2 - 100, dotsY - g.DotRadius(), 200, 2 * g.DotRadius()}, c.dock));
        EXPECT_GT(dotsY, g.GridRect().Bottom());
    }
    // A left dock shifts the grid by its thickness beyond re-centring in the narrower room.
    const PadGeometry left = LayOutPad({.width = w, .height = h, .dock = DockSide::Left, .dockThickness = band});
    EXPECT_EQ(left.leftOffset, band);
    EXPECT_EQ(left.usableWidth, w - band);
}

TEST(PadGeometry, GridStaysOnScreenWithoutOverlapsAcrossSizes) {
    const int sizes[][2] = {{800, 600}, {1280, 800}, {1366, 768}, {1920, 1080}, {2560, 1440}, {1080, 1920}, {3840, 2160}};
    for (const auto& size : sizes) {
        for (float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
            for (int setting : {0, 64, 128, 256}) {
                SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1] << " s" << scale << " icon " << setting);
                const PadGeometry g = LayOutPad({.width = size[0], .height = size[1], .scale = scale, .iconSize = setting});
                EXPECT_GE(g.spaceY, 0);
                EXPECT_LE(g.searchBox.Bottom(), g.Cell(0).y);
                // Automatic sizes fit where the screen has room for the cells at this scale.
                const bool fits = setting == 0 && 7 * g.cellWidth <= g.usableWidth &&
                                  g.topMargin + 5 * g.cellHeight <= g.usableHeight;
                for (int i = 0; i < kPadColumns * kPadRows; ++i) {
                    const gfx::RectI icon = g.IconRect(i);
                    if (fits) {
                        EXPECT_GE(icon.x, 0);
                        EXPECT_LE(icon.Right(), size[0]);
                        EXPECT_LE(icon.Bottom(), size[1] - g.bottomReserve);
                    }
                    if (i % kPadColumns) {
                        EXPECT_GE(g.Cell(i).x, g.Cell(i - 1).Right());
                    }
                    if (i >= kPadColumns) {
                        EXPECT_GE(g.Cell(i).y, g.Cell(i - kPadColumns).Bottom());
                    }
                }
            }
        }
    }
}

// "Make text bigger": the names keep a line of their own between the rows and the search
// field holds its text, on small and large screens, with the user's tight spacing too.
TEST(PadGeometry, BiggerTextKeepsNamesAndTheSearchFieldReadable) {
    const PadGeometry normal = LayOutPad({.width = 1920, .height = 1080});
    for (const auto& size : {std::array{1920, 1080}, std::array{1366, 768}, std::array{800, 600}}) {
        for (float text : {1.0f, 1.5f, 2.25f}) {
            for (int spaceHeight : {0, 8}) {
                SCOPED_TRACE(::testing::Message() << size[0] << "x" << size[1] << " text " << text << " space "
                                                  << spaceHeight);
                const PadGeometry g = LayOutPad(
                    {.width = size[0], .height = size[1], .spaceHeight = spaceHeight, .textScale = text});
                const int line = static_cast<int>(std::ceil(g.searchSize * 1.2f));
                EXPECT_GE(g.searchBox.height, line);
                EXPECT_GE(g.searchBox.y, g.topOffset);
                EXPECT_LE(g.searchBox.Bottom(), g.Cell(0).y);
                EXPECT_GE(g.labelWidth, g.cellWidth);
                if (text == 1.0f && spaceHeight > 0) continue; // the user's spacing, as set
                // A name's line ends above the next row, and the last row's above the reserve.
                for (int i = 0; i < kPadColumns * kPadRows; i += kPadColumns) {
                    const int nameBottom = g.IconRect(i).Bottom() + g.LabelRoom();
                    const int limit = i + kPadColumns < kPadColumns * kPadRows ? g.Cell(i + kPadColumns).y
                                                                               : g.height - g.bottomReserve;
                    EXPECT_LE(nameBottom, limit) << "row " << i / kPadColumns;
                }
            }
        }
    }
    const PadGeometry bigger = LayOutPad({.width = 1920, .height = 1080, .textScale = 2.0f});
    EXPECT_GT(bigger.labelSize, normal.labelSize);
    EXPECT_GT(bigger.searchBox.height, normal.searchBox.height);
    EXPECT_GT(bigger.labelWidth, normal.labelWidth) << "longer names shortened as early as before";
    EXPECT_EQ(bigger.iconSize, normal.iconSize) << "a screen with room keeps its icons";
    // Out of range reads as the nearest size the system offers.
    EXPECT_EQ(LayOutPad({.width = 1920, .height = 1080, .textScale = 0.5f}).labelSize, normal.labelSize);
    EXPECT_EQ(LayOutPad({.width = 1920, .height = 1080, .textScale = 9.0f}).labelSize,
              LayOutPad({.width = 1920, .height = 1080, .textScale = 2.25f}).labelSize);
}

} // namespace
} // namespace kestrana::launchers
