// The rules' share of one monitor sample: the interface table summed (24 rows, as a
// machine with a few adapters and their filter interfaces has), the five readings taken
// onto the board with the redraw decision, and the five faces built as the bar asks for
// them (the CPU as a 30-point graph, the network as two rate texts). The system calls
// themselves are measured under Wine by bench/win32/monitor_sample_bench_win32.cpp.
#include "menubar/monitors.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace kestrana::menubar;

std::vector<InterfaceRow> Rows(std::uint64_t tick) {
    std::vector<InterfaceRow> rows;
    for (std::uint32_t i = 0; i < 24; ++i)
        rows.push_back({i % 3 == 0 ? 0u : 6u, i % 2 == 0, 1'000'000 * i + tick * 1500, 200'000 * i + tick * 300, i + 1u});
    return rows;
}

void OneSample(benchmark::State& state) {
    MonitorBoard board;
    DisplayTypes types;
    types.cpu = 2;
    types.memory = 1;
    InterfaceReading interfaces; // the whole table every time: the dearer of the two ways
    std::uint64_t tick = 0;
    for (auto _ : state) {
        ++tick;
        const auto rows = Rows(tick);
        MonitorSample sample;
        sample.cpu = static_cast<int>(tick % 100);
        sample.memory = 40 + static_cast<int>(tick % 3);
        sample.disk = static_cast<int>(tick % 7);
        sample.traffic = interfaces.TableRead(rows);
        sample.nowMs = tick * 2000;
        const std::uint32_t redraw = board.Take(sample, types, false).faces;
        for (StatusKind kind : {StatusKind::Cpu, StatusKind::Temperature, StatusKind::Memory, StatusKind::Disk,
                                StatusKind::Network})
            if (redraw & KindBit(kind)) benchmark::DoNotOptimize(board.FaceOf(kind, kind == StatusKind::Cpu ? 2 : 1));
    }
}
BENCHMARK(OneSample);

void RateTexts(benchmark::State& state) {
    std::uint64_t b = 1;
    for (auto _ : state) {
        b = b * 7 + 13;
        benchmark::DoNotOptimize(FormatRate(b % 50'000'000, true));
        benchmark::DoNotOptimize(FormatRate(b % 5'000, false));
    }
}
BENCHMARK(RateTexts);

} // namespace
