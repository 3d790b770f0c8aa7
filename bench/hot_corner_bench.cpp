// Cost of one corner test: the pointer's monitor found among three, its bottom zones
// checked, and the neighbours looked at for the inner-corner rule. Measured for a pointer
// far from any corner, in an outer corner, in an inner one and in a corner that has to
// look at every neighbour before it counts.
#include "extras/hot_corners.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kestrana::extras;

const MonitorBox kMonitors[] = {{-1920, 0, 0, 1080}, {0, 0, 2560, 1440}, {2560, 200, 3840, 1224}};

void Test(benchmark::State& state, CornerPoint at) {
    for (auto _ : state) {
        CornerPoint p = at;
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(CornerAt(p, kMonitors));
    }
}

void AwayFromCorners(benchmark::State& state) { Test(state, {1200, 700}); }
void OuterCorner(benchmark::State& state) { Test(state, {-1920, 1079}); }
void InnerCorner(benchmark::State& state) { Test(state, {-1, 1079}); }
void CornerBesideAShorterMonitor(benchmark::State& state) { Test(state, {2559, 1439}); }

} // namespace

BENCHMARK(AwayFromCorners);
BENCHMARK(OuterCorner);
BENCHMARK(InnerCorner);
BENCHMARK(CornerBesideAShorterMonitor);
