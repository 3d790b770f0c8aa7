// Cost of one magnification layout pass: 30 items (two of them separators), fully
// magnified, with the pointer moving along the row from one frame to the next as it does
// while the user sweeps across the dock.
#include "dock/dock_geometry.h"
#include "dock/magnification.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kestrana::dock;

constexpr int kItems = 30;
constexpr float kIconSize = 48;
constexpr int kSpacing = 4;
constexpr int kRange = 80;

DockItems MakeRow() {
    DockItems items;
    for (int i = 0; i < kItems; ++i) items.Append(MakeDockico(i == 9 || i == 20));
    return items;
}

void LayoutPass(benchmark::State& state) {
    DockItems items = MakeRow();
    const int rest = PlaceAtRest(items, kIconSize, kSpacing);
    const float magnification = static_cast<float>(state.range(0));
    MagnificationLayout layout;
    MagnifyInput input{kIconSize, magnification, RadiusFor(kIconSize, kSpacing), kSpacing, 0,
                       DockWindowLength(rest, kRange, {}, 3840), false};
    float pointer = 0;
    for (auto _ : state) {
        input.pointer = pointer;
        const MagnifyResult result = layout.LayOut(items, input);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
        pointer += 7.3f;
        if (pointer > static_cast<float>(rest)) pointer -= static_cast<float>(rest);
    }
}
BENCHMARK(LayoutPass)->Arg(kRange)->Arg(0)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
