// Sizes, fitting and placement of the dock on each screen edge.
#include "dock/dock_geometry.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace kestrana::dock {
namespace {

TEST(DockGeometryMetrics, FollowTheMonitorScale) {
    struct Case {
        float scale;
        int a, base, onePixel;
    };
    const Case cases[] = {
        {1.0f, 4, 10, 1},  // rnd(4) ; rnd(5.5) = 6, + 4 ; rnd(1)
        {1.25f, 5, 12, 1}, // rnd(5) ; rnd(6.75) = 7, + 5 ; rnd(1.25)
        {1.5f, 6, 14, 2},  // rnd(6) ; rnd(8) = 8, + 6 ; rnd(1.5) rounds up
        {2.0f, 8, 19, 2},  // rnd(8) ; rnd(10.5) = 11, + 8 ; rnd(2)
    };
    for (const Case& c : cases) {
        const DockMetrics m = DeriveMetrics(c.scale);
        EXPECT_EQ(m.a, c.a) << c.scale;
        EXPECT_EQ(m.thicknessBase, c.base) << c.scale;
        EXPECT_EQ(m.onePixel, c.onePixel) << c.scale;
    }
}

RowFitInput Row(int icons, float separators, float current) {
    RowFitInput in;
    in.axisLength = 1920;
    in.entryCount = static_cast<std::size_t>(icons + separators * 2 + 6);
    in.factorSum = static_cast<float>(icons) + separators;
    in.spacing = 4;
    in.currentSize = current;
    in.configuredSize = 64;
    in.maximumSize = 128;
    return in;
}

TEST(DockGeometryFit, ShrinksToFitAndGrowsBackToTheConfiguredSize) {
    // Ten icons fit: (1920 - 70 - 70 - 9 x 4) / 10 = 174.4, held at the configured 64.
    auto fit = FitRow(Row(10, 0, 64));
    ASSERT_TRUE(fit);
    EXPECT_FLOAT_EQ(fit->iconSize, 64);
    EXPECT_FLOAT_EQ(fit->radius, 3.34f * 68);
    EXPECT_EQ(fit->magnifyRange, 64);

    // Forty: (1920 - 140 - 39 x 4) / 40 = 40.6; M = trunc(128 - 40.6).
    fit = FitRow(Row(40, 0, 64));
    EXPECT_FLOAT_EQ(fit->iconSize, 40.6f);
    EXPECT_FLOAT_EQ(fit->radius, 3.34f * 44.6f);
    EXPECT_EQ(fit->magnifyRange, 87);

    // 36 icons and 8 separators weigh 40 but have 43 gaps: (1920 - 140 - 172) / 40.
    EXPECT_FLOAT_EQ(FitRow(Row(36, 4, 64))->iconSize, 40.2f);
    // Three hundred would be 1.95 pixels: never below 10.
    EXPECT_FLOAT_EQ(FitRow(Row(300, 0, 40.6f))->iconSize, 10);
    // Removing icons again: back to 64, no further.
    EXPECT_FLOAT_EQ(FitRow(Row(10, 0, 40.6f))->iconSize, 64);
    EXPECT_FALSE(FitRow(Row(0, 0, 64)));

    // A skin's end margins count by their whole pixels: (1920 - 20 - 30 - 156) / 40.
    RowFitInput skinned = Row(40, 0, 64);
    skinned.skin = {true, 20.9f, 0.1f, 30.2f, 0, 0};
    EXPECT_FLOAT_EQ(FitRow(skinned)->iconSize, 42.85f);
}

TEST(DockGeometryFit, SizeLimits) {
    EXPECT_EQ(ClampConfiguredSize(20), 25);
    EXPECT_EQ(ClampConfiguredSize(300), 196);
    EXPECT_EQ(MagnifyRangeFor(196, 300), 60); // S + M stays within 256
    EXPECT_EQ(MagnifyRangeFor(64, 64), 0);
    EXPECT_EQ(MagnifyRangeFor(64, 48), 0);
}

TEST(DockGeometryDepth, MarginThicknessAndSlide) {
    const DockMetrics one = DeriveMetrics(1.0f);
    const SkinSpacing builtIn;
    // 6 + max(rnd(6.4), 3) = 12; 12 + rnd(64 + rnd(6.4)) + rnd(0.1) = 82.
    EXPECT_EQ(DockMargin(one, 64, false, builtIn), 12);
    EXPECT_EQ(DockThickness(12, 64, builtIn), 82);
    EXPECT_EQ(DockMargin(one, 64, true, builtIn), 16); // + rnd(4) for the running label
    EXPECT_EQ(DockMargin(one, 20, false, builtIn), 9); // 6 + max(rnd(2), 3)
    // Scale 2, S 128: rnd(10.5) = 11 + max(13, 6) = 24; 24 + rnd(128 + 13) = 165.
    EXPECT_EQ(DockMargin(DeriveMetrics(2.0f), 128, false, builtIn), 24);
    EXPECT_EQ(DockThickness(24, 128, builtIn), 165);

    // A skin gives the bottom spacing; its depth factor 12.25 adds rnd(0.25 S) + 12.
    const SkinSpacing skin{true, 10, 12.25f, 10, 9.7f, 0};
    EXPECT_EQ(DockMargin(one, 64, true, skin), 9);
    EXPECT_EQ(DockThickness(9, 64, skin), 101); // 9 + rnd(64 + 16) + 12

    // S + base + 0.1 S + 35, plus what the dock stands off the edge.
    EXPECT_FLOAT_EQ(SlideDistance(one, 64, builtIn, 0), 115.4f);
    EXPECT_FLOAT_EQ(SlideDistance(one, 64, builtIn, 20), 135.4f);
    EXPECT_FLOAT_EQ(SlideDistance(one, 64, builtIn, -6), 115.4f);
    EXPECT_FLOAT_EQ(SlideDistance(one, 64, skin, 0), 137); // 64 + 10 + 16 + 12 + 35
}

TEST(DockGeometryDepth, SlideAlwaysClearsTheScreen) {
    for (float scale : {1.0f, 1.25f, 1.5f, 2.0f, 3.0f}) {
        const DockMetrics m = DeriveMetrics(scale);
        for (float s = 10; s <= 196; s += 3.5f)
            for (bool tag : {false, true})
                for (int edge = -Rnd(5 * scale + 0.5); edge <= 200; edge += 17) {
                    const int thickness = DockThickness(DockMargin(m, s, tag, {}), s, {});
                    EXPECT_GT(SlideDistance(m, s, {}, edge), static_cast<float>(edge + thickness))
                        << "scale " << scale << " S " << s << " edge " << edge;
                }
    }
}

const ScreenRect kMonitor{100, 50, 1380, 850};

TEST(DockGeometryEdges, OneAxisMapsToEachEdge) {
    struct Case {
        Edge edge;
        ScreenRect expected; // along 200..500, depth 10..50
        SlideOffset slide;
    };
    const Case cases[] = {
        {Edge::Bottom, {200, 800, 500, 840}, {0, 7}},
        {Edge::Top, {200, 60, 500, 100}, {0, -7}},
        {Edge::Left, {110, 200, 150, 500}, {-7, 0}},
        {Edge::Right, {1330, 200, 1370, 500}, {7, 0}},
    };
    for (const Case& c : cases) {
        const EdgeFrame frame(kMonitor, c.edge);
        const ScreenRect r = frame.ToScreen(200, 300, 10, 40);
        EXPECT_EQ(r, c.expected) << int(c.edge);
        // Every corner pixel maps back inside the along and depth ranges.
        for (ScreenPoint p : {ScreenPoint{r.left, r.top}, {r.right - 1, r.top}, {r.left, r.bottom - 1},
                              {r.right - 1, r.bottom - 1}}) {
            EXPECT_GE(frame.AlongOf(p), 200);
            EXPECT_LT(frame.AlongOf(p), 500);
            EXPECT_GE(frame.DepthOf(p), 10);
            EXPECT_LT(frame.DepthOf(p), 50);
        }
        EXPECT_EQ(frame.AlongLength(r), 300);
        EXPECT_FLOAT_EQ(frame.SlideTowardsEdge(7).dx, c.slide.dx);
        EXPECT_FLOAT_EQ(frame.SlideTowardsEdge(7).dy, c.slide.dy);
    }
    // The menu bar only shortens a vertical dock's stretch.
    EXPECT_EQ(EdgeFrame(kMonitor, Edge::Left).RowSpan(24).start, 74);
    EXPECT_EQ(EdgeFrame(kMonitor, Edge::Right).RowSpan(24).length, 800 - 48);
    EXPECT_EQ(EdgeFrame(kMonitor, Edge::Bottom).RowSpan(24).length, 1280);
}

TEST(DockGeometryEdges, WindowBarStripAndActivationBar) {
    const EdgeFrame bottom(kMonitor, Edge::Bottom);
    // 600 + ceil(4.234 x 64) + 70 + 70, within the 1280 of the monitor.
    const int length = DockWindowLength(600, 64, {}, 1280);
    EXPECT_EQ(length, 1011);
    EXPECT_EQ(DockWindowLength(600, 64, {}, 900), 900);

    // Centred: 100 + floor(269 / 2 + 0.5) = 235; 20 + 82 + 64 deep.
    const ScreenRect window = DockWindowRect(bottom, bottom.RowSpan(0), length, 82, 20, 64);
    EXPECT_EQ(window, (ScreenRect{235, 684, 1246, 850}));
    EXPECT_EQ(DockArea(bottom, window, 205, 600, 82, 20), (ScreenRect{440, 748, 1040, 830}));
    // Sunk into the edge: the bar is cut at the screen.
    EXPECT_EQ(DockArea(bottom, window, 205, 600, 82, -6), (ScreenRect{440, 774, 1040, 850}));
    EXPECT_EQ(TriggerStrip(bottom, window), (ScreenRect{235, 848, 1246, 850}));

    // At 1.5: 18 deep, 600 long, 18 in from the edge, centred on the window.
    EXPECT_EQ(ActivationBarRect(bottom, window, {}, 1.5f), (ScreenRect{441, 814, 1041, 832}));

    const EdgeFrame left(kMonitor, Edge::Left);
    const ScreenRect side = DockWindowRect(left, left.RowSpan(24), 500, 82, 0, 64);
    EXPECT_EQ(side, (ScreenRect{100, 200, 246, 700})); // 74 + (752 - 500) / 2
    EXPECT_EQ(TriggerStrip(left, side), (ScreenRect{100, 200, 102, 700}));
}

} // namespace
} // namespace kestrana::dock
