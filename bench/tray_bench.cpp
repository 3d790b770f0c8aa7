// Cost of refreshing the tray list of 40 icons: a fresh reading of the taskbar's toolbar
// taken as the list with the owners looked at, every program announcing its icons again
// (40 records decoded and applied), and the cache file written and read back. The goal
// is 2 ms for a refresh.
#include "menubar/tray/tray_cache.h"
#include "menubar/tray/tray_list.h"
#include "menubar/tray/tray_record.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace kestrana::menubar::tray;

constexpr int kIcons = 40;

std::vector<TrayIcon> Reading() {
    std::vector<TrayIcon> icons(kIcons);
    for (int i = 0; i < kIcons; ++i) {
        icons[i].owner = 0x10000 + static_cast<std::uint64_t>(i) * 4;
        icons[i].id = static_cast<std::uint32_t>(i % 3);
        icons[i].callback = 0x8001;
        icons[i].tip = L"Program number " + std::to_wstring(i) + L" - all is well";
        icons[i].path = L"c:\\program files\\vendor " + std::to_wstring(i) + L"\\program.exe";
    }
    return icons;
}

void ReadingTakenAndPruned(benchmark::State& state) {
    const auto reading = Reading();
    TrayList list;
    list.Replace(reading);
    for (auto _ : state) {
        list.Replace(reading);
        benchmark::DoNotOptimize(list.Prune([](std::uint64_t owner) { return owner != 0; }));
        benchmark::DoNotOptimize(list.Shown());
    }
}

void EveryProgramAnnouncesAgain(benchmark::State& state) {
    std::vector<std::vector<std::uint8_t>> records;
    for (const TrayIcon& icon : Reading()) {
        TrayCommand add;
        add.verb = TrayVerb::Add;
        add.owner = static_cast<std::uint32_t>(icon.owner);
        add.id = icon.id;
        add.fields = kFieldMessage | kFieldIcon | kFieldTip;
        add.callback = icon.callback;
        add.tip = icon.tip;
        records.push_back(EncodeTrayRecord(add));
    }
    for (auto _ : state) {
        TrayList list;
        for (const auto& record : records)
            if (const auto decoded = DecodeTrayRecord(kTrayCopyDataKind, record); decoded.command)
                list.Apply(*decoded.command, static_cast<std::uint32_t>(decoded.command->owner));
        benchmark::DoNotOptimize(list.Icons().size());
    }
}

void CacheWrittenAndRead(benchmark::State& state) {
    const auto reading = Reading();
    for (auto _ : state) {
        const auto bytes = WriteTrayCache(reading);
        benchmark::DoNotOptimize(ReadTrayCache(bytes).icons.size());
    }
}

} // namespace

BENCHMARK(ReadingTakenAndPruned);
BENCHMARK(EveryProgramAnnouncesAgain);
BENCHMARK(CacheWrittenAndRead);
