// Cost of building a surface's accessible snapshot for 100 items, as a screen reader's
// first question after a change pays it: the dock row, the menu bar, a pop-up menu and a
// Launchpad page set, each from the state it is drawn from. The goal is 50 µs a build.
#include "dock/dock_accessible.h"
#include "gfx/menu_accessible.h"
#include "launchers/pad_accessible.h"
#include "menubar/bar_accessible.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace kestrana;

constexpr int kItems = 100;

void DockTree(benchmark::State& state) {
    dock::DockSettings settings;
    settings.defaultSize = 48;
    dock::OndelBarModel model(settings, {{0, 0, 3840, 2160}, 1.0f, 0});
    dock::DockItems items;
    for (int i = 0; i < kItems; ++i) {
        auto item = dock::MakeDockico(i % 10 == 9);
        item->tag = L"Application number " + std::to_wstring(i);
        item->appname = i == 0 ? L"systemtime" : L"app.exe";
        item->running = i % 3 == 0;
        items.Append(std::move(item));
    }
    model.Refit(items);
    dock::DockLiveValues live;
    live.clockTime = L"13:45";
    for (auto _ : state) {
        auto tree = dock::BuildDockTree(items, model, live);
        benchmark::DoNotOptimize(tree);
    }
}

void BarTree(benchmark::State& state) {
    menubar::BarFacts facts;
    facts.width = 3840;
    facts.height = 24;
    facts.logo = {13, 0, 33, 24};
    facts.appName = {L"Application", {46, 0, 80, 24}};
    // Every status item there is (20), and titles for the rest of the hundred.
    const int statusCount = static_cast<int>(menubar::kCreationOrder.size());
    for (int i = 0; i < kItems - statusCount - 2; ++i)
        facts.titles.push_back({L"Title " + std::to_wstring(i), {130 + 30 * i, 0, 30, 24}});
    for (int i = 0; i < statusCount; ++i)
        facts.status.push_back({menubar::kCreationOrder[static_cast<std::size_t>(i)], i == 0 ? L"Sun 6 Dec 13:45" : L"",
                                {3800 - 34 * i, 0, 34, 24}});
    for (auto _ : state) {
        auto tree = menubar::BuildBarTree(facts);
        benchmark::DoNotOptimize(tree);
    }
}

void MenuTree(benchmark::State& state) {
    gfx::Menu menu;
    for (int i = 0; i < kItems; ++i)
        menu.push_back(i % 10 == 9 ? gfx::MenuItem::Rule() : gfx::MenuItem::Command(i + 1, L"Command " + std::to_wstring(i)));
    const gfx::MenuLayout layout =
        gfx::LayOutMenu(menu, gfx::MenuMetrics::At(1.0f), [](const std::wstring& t) { return static_cast<int>(t.size()) * 7; });
    gfx::MenuAccessibleState where;
    where.placed = {100, 100, layout.width, layout.height};
    for (auto _ : state) {
        auto tree = gfx::BuildMenuTree(menu, layout, where);
        benchmark::DoNotOptimize(tree);
    }
}

void PadTree(benchmark::State& state) {
    std::vector<launchers::LaunchpadPage> pages(3);
    for (int i = 0; i < kItems; ++i) {
        launchers::LaunchpadEntry entry;
        entry.name = L"Application number " + std::to_wstring(i);
        pages[static_cast<std::size_t>(i) / launchers::kIconsPerPage].push_back(entry);
    }
    launchers::PadView view(pages);
    view.SetGeometry(launchers::LayOutPad({.width = 3840, .height = 2160}));
    view.PagesChanged();
    for (auto _ : state) {
        auto tree = launchers::BuildPadTree(view, 0, 0);
        benchmark::DoNotOptimize(tree);
    }
}

BENCHMARK(DockTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(BarTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(MenuTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(PadTree)->Unit(benchmark::kMicrosecond);

} // namespace
