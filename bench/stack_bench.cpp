// A folder stack of 10,000 entries: turning the listing into items and sorting them by
// each sort key, as a click on the folder item does before the first frame.

#include "launchers/stack_listing.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace kestrana::launchers;

std::vector<ListedFile> Listing(int count) {
    static const wchar_t* kExtensions[] = {L"txt", L"png", L"jpg", L"lnk", L"exe", L"url", L"docx", L"mp4", L"pdf"};
    std::mt19937 random(7);
    std::vector<ListedFile> files;
    files.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ListedFile f;
        const bool folder = random() % 10 == 0;
        f.name = L"Entry number " + std::to_wstring(random() % 100000) + (folder ? L"" : std::wstring(L".") + kExtensions[random() % 9]);
        f.directory = folder;
        f.bytes = random() % (2u << 20);
        f.writeTime = static_cast<std::int64_t>(random()) * 1000;
        f.createTime = static_cast<std::int64_t>(random()) * 1000;
        files.push_back(std::move(f));
    }
    return files;
}

void BM_ListAndSort(benchmark::State& state) {
    const int sortValue = static_cast<int>(state.range(0));
    const auto listed = Listing(10000);
    for (auto _ : state) {
        auto items = MakeStackItems(L"C:\\Users\\u\\Downloads", listed, DecodeSortOrder(sortValue).key);
        SortStackItems(items, sortValue);
        int decodeNow = 0;
        for (const auto& item : items) decodeNow += PlanIcon(item) == IconPlan::DecodeNow;
        benchmark::DoNotOptimize(decodeNow);
    }
}
BENCHMARK(BM_ListAndSort)->Arg(0)->Arg(-1)->Arg(2)->Arg(3)->Arg(-104)->Arg(5)->Unit(benchmark::kMillisecond);

} // namespace
