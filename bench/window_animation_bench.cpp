// Cost of one minimise frame: a 1280 × 720 window image flying into a 64 px icon at the
// bottom of a 1920 × 1080 screen, mesh and drawing together, with the previous frame's
// drawing cleared first as the flight does. Measured at three points of the genie
// flight (the first frame draws the whole window, later ones less) and mid-flight for
// the other two effects.
#include "extras/mesh_renderer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

namespace {

using namespace kestrana;
using namespace kestrana::extras;

gfx::Bitmap WindowImage() {
    gfx::Bitmap image(1280, 720);
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
            image.Set(x, y, gfx::MakePixel(std::uint8_t(x), std::uint8_t(y), std::uint8_t(x ^ y), 255));
    return image;
}

void Frame(benchmark::State& state, MinimiseEffect effect, int f) {
    static const gfx::Bitmap image = WindowImage();
    const FlightPath path{{320, 120, 1600, 840}, {900, 1010, 964, 1074}, FlowEdge::Bottom, effect, 34};
    const MeshSource source(image, path.edge);
    const Box area = Union(path.window, path.icon);
    gfx::Bitmap canvas(area.Width(), area.Height());
    gfx::RectI last;
    for (auto _ : state) {
        for (int y = last.y; y < last.Bottom(); ++y) std::fill_n(canvas.Row(y) + last.x, last.width, gfx::Pixel{0});
        last = DrawMeshFrame(source, ComputeMeshFrame(path, f), canvas, area.left, area.top);
        benchmark::DoNotOptimize(canvas.Row(0));
    }
}

void BM_GenieFirstFrame(benchmark::State& s) { Frame(s, MinimiseEffect::Genie, 0); }
void BM_GenieQuarter(benchmark::State& s) { Frame(s, MinimiseEffect::Genie, 8); }
void BM_GenieHalf(benchmark::State& s) { Frame(s, MinimiseEffect::Genie, 17); }
void BM_ScaleHalf(benchmark::State& s) { Frame(s, MinimiseEffect::Scale, 17); }
void BM_SuckHalf(benchmark::State& s) { Frame(s, MinimiseEffect::Suck, 17); }
BENCHMARK(BM_GenieFirstFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenieQuarter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenieHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScaleHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuckHalf)->Unit(benchmark::kMillisecond);

// Turning the image and building its halved copies, once per flight.
void BM_PrepareSource(benchmark::State& state) {
    static const gfx::Bitmap image = WindowImage();
    for (auto _ : state) benchmark::DoNotOptimize(MeshSource(image, FlowEdge::Bottom).Levels().size());
}
BENCHMARK(BM_PrepareSource)->Unit(benchmark::kMillisecond);

} // namespace
