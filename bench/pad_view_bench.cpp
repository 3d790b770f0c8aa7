// The Launchpad's frames at 1920 x 1080 with 300 entries (nine pages, each with its own
// 256 px icon): one frame in the middle of a page slide (two pages of icons and names
// blended over the backdrop), and one keystroke: the search run over every entry and the
// results frame drawn. Names are drawn by the built-in text renderer, so the text cost is
// not DirectWrite's. Also the backdrop made once per showing (a small copy of the desktop
// blurred, darkened and spread out to 1920 x 1080).

#include "gfx/builtin_text_renderer.h"
#include "launchers/pad_renderer.h"
#include "launchers/pad_view.h"

#include <benchmark/benchmark.h>

namespace {

using namespace kestrana;
using namespace kestrana::launchers;

constexpr int kEntries = 300;

std::wstring Reading(wchar_t c) { return c == L'\u5E94' ? L"ying" : c == L'\u7528' ? L"yong" : std::wstring(); }

std::vector<LaunchpadPage> Pages() {
    std::vector<LaunchpadPage> pages;
    for (int i = 0; i < kEntries; ++i) {
        if (pages.empty() || pages.back().size() == kIconsPerPage) pages.emplace_back();
        LaunchpadEntry entry;
        entry.name = i % 7 == 0 ? L"\u5E94\u7528 " + std::to_wstring(i) : L"Application " + std::to_wstring(i);
        entry.path = L"C:\\Apps\\app" + std::to_wstring(i) + L".exe";
        entry.SetKey(entry.name, Reading);
        auto icon = std::make_shared<gfx::Bitmap>(256, 256);
        icon->Fill(gfx::Color{static_cast<std::uint8_t>(i), 90, 160, 255}.Premultiplied());
        entry.icon = std::move(icon);
        pages.back().push_back(std::move(entry));
    }
    return pages;
}

gfx::Bitmap Backdrop() {
    gfx::Bitmap desktop(1920, 1080);
    for (int y = 0; y < desktop.Height(); ++y)
        for (int x = 0; x < desktop.Width(); ++x)
            desktop.Set(x, y, gfx::MakePixel(static_cast<std::uint8_t>(x / 8), static_cast<std::uint8_t>(y / 5), 120, 255));
    gfx::Bitmap backdrop;
    PadRenderer::MakeBackdrop(desktop, backdrop, 1920, 1080, 48, {8, 10, 16, 120});
    return backdrop;
}

struct Scene {
    std::vector<LaunchpadPage> pages = Pages();
    PadView view{pages};
    gfx::BuiltinTextRenderer text;
    PadRenderer renderer{text};
    gfx::Bitmap backdrop = Backdrop();
    gfx::Bitmap frame;
    Scene() {
        view.SetGeometry(LayOutPad({.width = 1920, .height = 1080}));
        view.PagesChanged();
    }
};

void BM_PageSlideFrame(benchmark::State& state) {
    Scene scene;
    scene.view.Wheel(-120, false, false, 0);
    // Warm: the scaled icons and names of both pages are made once, as on screen.
    for (int t = 0; t <= PadView::kSlideMs; t += 16) scene.renderer.Render(scene.frame, scene.view, scene.backdrop, {}, t);
    std::int64_t t = 0;
    for (auto _ : state) {
        t = 16 + (t + 16) % (PadView::kSlideMs - 32); // always between the two pages
        scene.renderer.Render(scene.frame, scene.view, scene.backdrop, {}, t);
        benchmark::DoNotOptimize(scene.frame.Pixels().data());
    }
}
BENCHMARK(BM_PageSlideFrame)->Unit(benchmark::kMillisecond);

void BM_KeystrokeToResultsFrame(benchmark::State& state) {
    Scene scene;
    scene.renderer.Render(scene.frame, scene.view, scene.backdrop, {}, 0);
    int hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        scene.view.Key(PadKey::Escape, 0); // clears the search
        scene.view.Type(L"applica");
        state.ResumeTiming();
        scene.view.Type(L"t"); // the keystroke: a search over all 300, then the frame
        scene.renderer.Render(scene.frame, scene.view, scene.backdrop, {}, 0);
        hits = static_cast<int>(scene.view.Hits().size());
        benchmark::DoNotOptimize(scene.frame.Pixels().data());
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_KeystrokeToResultsFrame)->Unit(benchmark::kMillisecond);

void BM_Backdrop(benchmark::State& state) {
    // The desktop as the program copies it, already shrunk; the backdrop's memory kept.
    gfx::Bitmap desktop(1920 / PadRenderer::kBackdropShrink, 1080 / PadRenderer::kBackdropShrink);
    desktop.Fill(gfx::MakePixel(90, 120, 160, 255));
    gfx::Bitmap backdrop;
    for (auto _ : state) {
        PadRenderer::MakeBackdrop(desktop, backdrop, 1920, 1080, 48, {8, 10, 16, 120});
        benchmark::DoNotOptimize(backdrop.Pixels().data());
    }
}
BENCHMARK(BM_Backdrop)->Unit(benchmark::kMillisecond);

void BM_Search300(benchmark::State& state) {
    const auto pages = Pages();
    for (auto _ : state) benchmark::DoNotOptimize(SearchPages(pages, L"yy"));
}
BENCHMARK(BM_Search300)->Unit(benchmark::kMicrosecond);

} // namespace
