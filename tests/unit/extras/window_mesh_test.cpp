#include "extras/window_mesh.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrana::extras {
namespace {

// Window 0..470 tall (row step 10), icon top 450: D = 450 < H, so the slide starts at half.
FlightPath HandPath(int frames) {
    return {{100, 0, 500, 470}, {280, 450, 328, 498}, FlowEdge::Bottom, MinimiseEffect::Genie, frames};
}

TEST(GenieMesh, RowsMatchValuesWorkedOutByHand) {
    // f = half: full squeeze, no slide; the weight is 0.5 − cos(π y / D) / 2.
    const MeshFrame mid = ComputeMeshFrame(HandPath(68), 34);
    EXPECT_NEAR(mid.rows[0].from, 100, 0.01);
    EXPECT_NEAR(mid.rows[15].along, 150, 0.01);       // y = D/3: weight 1/4
    EXPECT_NEAR(mid.rows[15].from, 100 + 180 * 0.25, 0.05);
    EXPECT_NEAR(mid.rows[15].to, 500 - 172 * 0.25, 0.05);
    EXPECT_NEAR(mid.rows[30].from, 100 + 180 * 0.75, 0.05); // y = 2D/3: weight 3/4
    EXPECT_NEAR(mid.rows[46].from, 280, 0.01);        // beyond D: the icon's width
    EXPECT_NEAR(mid.rows[47].along, 470, 0.01);

    // f = half / 2: half the squeeze.
    const MeshFrame quarter = ComputeMeshFrame(HandPath(68), 17);
    EXPECT_NEAR(quarter.rows[15].from, 100 + 180 * 0.125, 0.1);
    EXPECT_NEAR(quarter.rows[15].along, 150, 0.01);

    // Halfway through the slide (f = T + (N − T) / 2): shifted by D / 2; rows that reach
    // the icon's bottom (the dock's side) are held there at the icon's width.
    const MeshFrame slid = ComputeMeshFrame(HandPath(68), 51);
    EXPECT_NEAR(slid.rows[0].along, 225, 0.5);
    EXPECT_NEAR(slid.rows[0].from, 100 + 180 * 0.5, 0.5);
    EXPECT_NEAR(slid.rows[25].along, 475, 0.5);
    EXPECT_NEAR(slid.rows[25].to, 328, 0.01);
    EXPECT_EQ(slid.rows[28].along, 498);
    EXPECT_EQ(slid.rows[47].along, 498);
    EXPECT_EQ(slid.rows[47].from, 280);
}

TEST(GenieMesh, ShortWindowFarFromTheDockSlidesBeforeTheSqueezeEnds) {
    // H = 94 < D = 900: the slide threshold is (H / D)² × half, well before half.
    const FlightPath path{{0, 0, 200, 94}, {90, 900, 110, 920}, FlowEdge::Bottom, MinimiseEffect::Genie, 34};
    EXPECT_GT(ComputeMeshFrame(path, 2).rows[0].along, 0.0f);
    EXPECT_EQ(ComputeMeshFrame(path, 0).rows[0].along, 0.0f);
}

// Every effect and edge: frame 0 is the window exactly, frame N lies exactly on the icon,
// and rows never leave the box the two span.
TEST(MeshEnds, EveryEffectAndEdgeStartsOnTheWindowAndEndsOnTheIcon) {
    const Box window{300, 200, 1580, 920};
    const struct {
        FlowEdge edge;
        Box icon;
    } targets[] = {
        {FlowEdge::Bottom, {900, 1020, 964, 1080}}, {FlowEdge::Top, {900, 0, 964, 60}},
        {FlowEdge::Left, {0, 500, 60, 564}},         {FlowEdge::Right, {1860, 500, 1920, 564}},
    };
    for (const auto effect : {MinimiseEffect::Genie, MinimiseEffect::Scale, MinimiseEffect::Suck}) {
        for (const auto& t : targets) {
            const FlightPath path{window, t.icon, t.edge, effect, 34};
            const auto what = ::testing::Message() << "effect " << int(effect) << " edge " << int(t.edge);
            EXPECT_EQ(MeshBounds(ComputeMeshFrame(path, 0)), window) << what;
            EXPECT_EQ(MeshBounds(ComputeMeshFrame(path, 34)), t.icon) << what;
            const Box reach = Union(window, t.icon);
            for (int f = 0; f <= 34; ++f) {
                const Box b = MeshBounds(ComputeMeshFrame(path, f));
                EXPECT_TRUE(b.left >= reach.left && b.top >= reach.top && b.right <= reach.right &&
                            b.bottom <= reach.bottom)
                    << what << " frame " << f;
            }
            // The image's first line is the side facing away from the dock.
            const MeshFrame first = ComputeMeshFrame(path, 0);
            const bool flipped = t.edge == FlowEdge::Top || t.edge == FlowEdge::Left;
            const float extent = IsVertical(t.edge) ? 1280.0f : 720.0f;
            EXPECT_NEAR(first.rows[0].source, flipped ? extent : 0.0f, 0.01) << what;
            EXPECT_NEAR(first.rows[47].source, flipped ? 0.0f : extent, 0.01) << what;
        }
    }
}

TEST(MeshFrames, OrderRunsUpToNMinusThreeAndBack) {
    const auto down = FrameOrder(34, true);
    ASSERT_EQ(down.size(), 32u);
    EXPECT_EQ(down.front(), 0);
    EXPECT_EQ(down.back(), 31);
    const auto up = FrameOrder(34, false);
    EXPECT_TRUE(std::equal(up.rbegin(), up.rend(), down.begin()));
}

TEST(MeshFrames, FlowFollowsTheDockEdgeOrTheSideTheWindowLiesOn) {
    const Box right{1920, 0, 3840, 1080};
    EXPECT_EQ(ChooseFlowEdge({2000, 100, 2400, 500}, right, FlowEdge::Bottom), FlowEdge::Bottom);
    EXPECT_EQ(ChooseFlowEdge({100, 100, 500, 500}, right, FlowEdge::Bottom), FlowEdge::Right);
    EXPECT_EQ(ChooseFlowEdge({4000, 100, 4400, 500}, right, FlowEdge::Top), FlowEdge::Left);
    EXPECT_EQ(ChooseFlowEdge({100, 100, 500, 500}, right, FlowEdge::Left), FlowEdge::Left);
    EXPECT_EQ(ChooseFlowEdge({100, 1200, 500, 1500}, right, FlowEdge::Right), FlowEdge::Top);
}

} // namespace
} // namespace kestrana::extras
