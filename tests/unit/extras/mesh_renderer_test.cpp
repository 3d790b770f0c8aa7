#include "extras/mesh_renderer.h"

#include "fakes/golden_image.h"

#include <gtest/gtest.h>

namespace kestrana::extras {
namespace {

// A picture with no symmetry, so a turned or mirrored drawing shows.
gfx::Bitmap Sample(int w, int h) {
    gfx::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.Set(x, y, gfx::MakePixel(std::uint8_t(x * 255 / (w - 1)), std::uint8_t(y * 255 / (h - 1)),
                                       ((x / 8 + y / 8) % 2) ? 200 : 40, 255));
    return b;
}

TEST(MeshRenderer, FrameZeroRedrawsTheWindowInPlaceOnEveryEdge) {
    const gfx::Bitmap image = Sample(64, 40);
    const Box window{20, 30, 84, 70};
    for (const auto edge : {FlowEdge::Bottom, FlowEdge::Top, FlowEdge::Left, FlowEdge::Right}) {
        const FlightPath path{window, {50, 140, 66, 156}, edge, MinimiseEffect::Genie, 34};
        gfx::Bitmap target(100, 160);
        const gfx::RectI drawn = DrawMeshFrame(MeshSource(image, edge), ComputeMeshFrame(path, 0), target, 0, 0);
        EXPECT_EQ(drawn, (gfx::RectI{20, 30, 64, 40})) << int(edge);
        testing::ExpectSameImage(image, target.Crop({20, 30, 64, 40}), 3, "edge " + std::to_string(int(edge)));
    }
}

TEST(MeshRenderer, LastFrameStaysInsideTheIcon) {
    const FlightPath path{{0, 0, 120, 90}, {40, 150, 72, 182}, FlowEdge::Bottom, MinimiseEffect::Genie, 34};
    gfx::Bitmap target(130, 190);
    const gfx::RectI drawn = DrawMeshFrame(MeshSource(Sample(120, 90), path.edge), ComputeMeshFrame(path, 34), target, 0, 0);
    EXPECT_FALSE(drawn.Empty());
    EXPECT_TRUE(drawn.x >= 40 && drawn.y >= 150 && drawn.Right() <= 72 && drawn.Bottom() <= 182)
        << drawn.x << "," << drawn.y << " " << drawn.width << "x" << drawn.height;
}

TEST(MeshRenderer, MidFlightFramesMatchTheirGoldenImages) {
    const gfx::Bitmap image = Sample(96, 72);
    const struct {
        MinimiseEffect effect;
        const char* name;
    } effects[] = {{MinimiseEffect::Genie, "genie"}, {MinimiseEffect::Scale, "scale"}, {MinimiseEffect::Suck, "suck"}};
    for (const auto& e : effects) {
        // A dock on the right turns the axes: the turned path is drawn too.
        const FlightPath bottom{{8, 8, 104, 80}, {70, 150, 102, 182}, FlowEdge::Bottom, e.effect, 34};
        const FlightPath right{{8, 8, 104, 80}, {150, 90, 182, 122}, FlowEdge::Right, e.effect, 34};
        gfx::Bitmap target(190, 190);
        DrawMeshFrame(MeshSource(image, FlowEdge::Bottom), ComputeMeshFrame(bottom, 20), target, 0, 0);
        gfx::Bitmap turned(190, 190);
        DrawMeshFrame(MeshSource(image, FlowEdge::Right), ComputeMeshFrame(right, 20), turned, 0, 0);
        testing::CheckGoldenImage("extras", std::string(e.name) + "_bottom_f20", target);
        testing::CheckGoldenImage("extras", std::string(e.name) + "_right_f20", turned);
    }
}

} // namespace
} // namespace kestrana::extras
