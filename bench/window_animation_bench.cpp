// Cost of one minimise frame: a 1280 × 720 window image flying into a 64 px icon at the
// bottom of a 1920 × 1080 screen, mesh and drawing together, with the previous frame's
// drawing cleared first as the flight does. Measured at three points of the genie
// flight (the first frame draws the whole window, later ones less) and mid-flight for
// the other two effects. Then one open or close frame of the same image: the picture
// scaled about its centre with the previous frame cleared (the opacity is applied by the
// system as the window is presented and costs nothing here).
#include "extras/mesh_renderer.h"
#include "extras/window_entrance.h"

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

void EntranceFrameCost(benchmark::State& state, EntranceEffect effect, Entrance entrance, int frame) {
    static const gfx::Bitmap image = WindowImage();
    const Box window{320, 120, 1600, 840};
    const Box area = EntranceArea(window, effect);
    gfx::Bitmap canvas(area.Width(), area.Height());
    const EntranceFrame look = EntranceFrameAt(effect, entrance, frame, 15);
    gfx::RectI last{0, 0, area.Width(), area.Height()};
    for (auto _ : state) {
        last = DrawEntranceFrame(image, window, area, look, last, canvas);
        benchmark::DoNotOptimize(canvas.Row(0));
    }
}
void BM_ZoomOpenFirst(benchmark::State& s) { EntranceFrameCost(s, EntranceEffect::Zoom, Entrance::Open, 1); }
void BM_ZoomOpenHalf(benchmark::State& s) { EntranceFrameCost(s, EntranceEffect::Zoom, Entrance::Open, 7); }
void BM_ZoomOpenLast(benchmark::State& s) { EntranceFrameCost(s, EntranceEffect::Zoom, Entrance::Open, 14); }
void BM_RiseCloseHalf(benchmark::State& s) { EntranceFrameCost(s, EntranceEffect::Rise, Entrance::Close, 7); }
BENCHMARK(BM_ZoomOpenFirst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomOpenHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomOpenLast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RiseCloseHalf)->Unit(benchmark::kMillisecond);

} // namespace
