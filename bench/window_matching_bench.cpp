// Matching one window's identity against a dock row of 200 items, as the window tracker
// does under the row's locks for every window it looks at: the last item, a web
// application in the middle, and no item at all (a running-only item follows). The one
// item that matches is asked of the real disk whether it is a folder.

#include "dock/window_matching.h"
#include "platform/posix/posix_file_system.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

namespace {

using namespace kestrana;

constexpr int kItems = 200;

void FillRow(dock::DockItems& row) {
    for (int i = 0; i < kItems; ++i) {
        auto item = dock::MakeDockico(i % 25 == 24);
        if (!item->delimiter) {
            const std::wstring name = L"program" + std::to_wstring(i);
            item->appname = name + L".exe";
            item->filepath = L"c:\\program files\\vendor " + std::to_wstring(i) + L"\\" + name + L".exe";
            item->realpath = item->filepath;
            item->virtualpath = L"vendor.app" + std::to_wstring(i);
            if (i % 11 == 0) {
                item->appKind = dock::AppKind::BrowserWebApp;
                item->filepath = L"app" + std::to_wstring(i);
            }
        }
        row.Append(std::move(item));
    }
}

dock::AppIdentity Program(int i) {
    const std::wstring name = L"program" + std::to_wstring(i);
    const std::wstring path = L"c:\\program files\\vendor " + std::to_wstring(i) + L"\\" + name + L".exe";
    return {name + L".exe", path, path, L"Window", L"", dock::AppKind::Program};
}

void Match(benchmark::State& state, dock::AppIdentity identity, bool found) {
    const std::filesystem::path root = "/dev/shm/kestrana-match-bench-" + std::to_string(::getpid());
    std::filesystem::create_directories(root);
    platform::PosixFileSystem files;
    files.MapDrive(L'C', root.string());
    dock::DockItems row;
    FillRow(row);
    for (auto _ : state) {
        const std::size_t index = dock::MatchWindowItem(row, identity, files);
        if ((index != 0) != found) state.SkipWithError("matched the wrong item");
        benchmark::DoNotOptimize(index);
    }
    std::filesystem::remove_all(root);
}

// Item 197 is the last plain program of the row (198 is a web application, 199 a separator).
BENCHMARK_CAPTURE(Match, last_item, Program(197), true)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Match, web_app_mid_row,
                  dock::AppIdentity{L"chrome_proxy.exe", L"app88", L"c:\\chrome\\chrome_proxy.exe", L"Docs", L"",
                                    dock::AppKind::BrowserWebApp},
                  true)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(Match, no_item, Program(kItems + 1), false)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
