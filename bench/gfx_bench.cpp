// Cost of one magnified dock frame: 30 icons over a nine-grid bar, the pointer in the
// middle of the row and moving every frame, so the magnified icons change size each
// frame while resting icons repeat theirs. At full magnification the dock holds its total
// length constant, so the bar keeps its size while the pointer moves; the growing case
// (bar size changing every frame) is measured separately.
#include "gfx/canvas.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

using namespace kestrana::gfx;

constexpr int kIcons = 30;
constexpr float kPi = 3.14159265f;

Bitmap MakeIcon(int size, std::uint32_t seed) {
    Bitmap icon(size, size);
    Canvas canvas(icon);
    std::mt19937 rng(seed);
    const Color base{std::uint8_t(rng() % 256), std::uint8_t(rng() % 256), std::uint8_t(rng() % 256), 255};
    canvas.FillRoundedRect({size * 0.06f, size * 0.06f, size * 0.88f, size * 0.88f}, size * 0.2f, base);
    for (int i = 0; i < 12; ++i) {
        const float x = float(rng() % size), y = float(rng() % size), r = float(8 + rng() % (size / 4));
        canvas.FillRoundedRect({x - r, y - r, 2 * r, 2 * r}, r,
                               Color{std::uint8_t(rng() % 256), std::uint8_t(rng() % 256), std::uint8_t(rng() % 256),
                                     std::uint8_t(96 + rng() % 160)});
    }
    return icon;
}

Bitmap MakeSkin() {
    Bitmap skin(96, 96);
    Canvas canvas(skin);
    canvas.FillRoundedRect({0, 0, 96, 96}, 24, Color{245, 245, 250, 170});
    canvas.StrokeRoundedRect({0, 0, 96, 96}, 24, 2, Color{255, 255, 255, 230});
    return skin;
}

struct Dock {
    float scale;
    float rest, peak, gap, pad;
    std::vector<CachedImage> icons;
    CachedImage bar;
    Bitmap frame;

    explicit Dock(float s)
        : scale(s), rest(64 * s), peak(128 * s), gap(6 * s), pad(8 * s), bar(MakeSkin(), Insets{24, 24, 24, 24}) {
        for (int i = 0; i < kIcons; ++i) {
            icons.emplace_back(MakeIcon(256, std::uint32_t(i + 1)));
        }
        const float restWidth = kIcons * (rest + gap);
        frame = Bitmap(int(restWidth + 4.234f * (peak - rest) + 4 * pad), int(peak + 2 * pad));
    }

    // Sine bulge: icons within three resting widths of the pointer grow, most at the pointer.
    float SizeAt(float distance) const {
        const float reach = 3 * (rest + gap);
        if (std::fabs(distance) >= reach) {
            return rest;
        }
        return rest + (peak - rest) * std::cos(distance / reach * kPi / 2);
    }

    // `growth` is the bar's extra length: constant at full magnification, changing while
    // the bulge grows or shrinks.
    void DrawFrame(float pointer, float growth) {
        Canvas canvas(frame);
        std::vector<float> sizes(kIcons);
        float total = 0;
        for (int i = 0; i < kIcons; ++i) {
            const float restCentre = pad + i * (rest + gap) + rest / 2;
            sizes[i] = SizeAt(restCentre - pointer);
            total += sizes[i] + gap;
        }
        const int barHeight = int(rest + 2 * pad);
        const int barWidth = int(kIcons * (rest + gap) + growth + 2 * pad);
        const RectI barRect{(frame.Width() - barWidth) / 2, frame.Height() - barHeight, barWidth, barHeight};
        // The bar replaces what was there; everything around it is cleared.
        canvas.SetClip({0, 0, frame.Width(), barRect.y});
        canvas.Clear();
        canvas.SetClip({0, barRect.y, barRect.x, barHeight});
        canvas.Clear();
        canvas.SetClip({barRect.Right(), barRect.y, frame.Width() - barRect.Right(), barHeight});
        canvas.Clear();
        canvas.ResetClip();
        canvas.DrawImage(bar, RectF{float(barRect.x), float(barRect.y), float(barWidth), float(barHeight)}, 1.0f,
                         BlendMode::Replace);
        const float left = (float(frame.Width()) - total) / 2;
        float x = left + gap / 2;
        for (int i = 0; i < kIcons; ++i) {
            const float s = sizes[i];
            // Resting icons sit on whole pixels, as the dock places them.
            const bool resting = s == rest;
            const float ix = resting ? std::round(x) : x;
            const float iy = float(frame.Height()) - pad - s;
            canvas.DrawImage(icons[i], RectF{ix, resting ? std::round(iy) : iy, s, s});
            x += s + gap;
        }
    }
};

void DockFrame(benchmark::State& state, float scale, bool growing) {
    Dock dock(scale);
    const float middle = dock.pad + 15 * (dock.rest + dock.gap);
    const float fullGrowth = 4.234f * (dock.peak - dock.rest);
    float pointer = middle;
    int frame = 0;
    for (int i = 0; i < 4; ++i) {
        dock.DrawFrame(pointer + i, fullGrowth); // fill the caches of resting sizes
    }
    for (auto _ : state) {
        // The pointer sweeps back and forth over two icons, never landing twice on one spot.
        pointer = middle + 2 * dock.rest * std::sin(float(frame) * 0.0713f);
        const float growth = growing ? fullGrowth * (0.5f + 0.5f * std::sin(float(frame) * 0.05f)) : fullGrowth;
        ++frame;
        dock.DrawFrame(pointer, growth);
        benchmark::DoNotOptimize(dock.frame.Pixels().data());
    }
    state.counters["frame_px"] = double(dock.frame.Width()) * dock.frame.Height();
}

void BM_DockFrameScale2(benchmark::State& state) {
    DockFrame(state, 2.0f, false);
}
void BM_DockFrameScale1(benchmark::State& state) {
    DockFrame(state, 1.0f, false);
}
void BM_DockFrameGrowingScale2(benchmark::State& state) {
    DockFrame(state, 2.0f, true);
}
void BM_DockFrameGrowingScale1(benchmark::State& state) {
    DockFrame(state, 1.0f, true);
}
BENCHMARK(BM_DockFrameScale2)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_DockFrameScale1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_DockFrameGrowingScale2)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_DockFrameGrowingScale1)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// One 256 px icon at a size it was never drawn at (a magnified icon in motion).
void BM_UncachedIcon(benchmark::State& state) {
    CachedImage icon(MakeIcon(256, 7));
    Bitmap target(300, 300);
    Canvas canvas(target);
    const float size = float(state.range(0));
    int frame = 0;
    for (auto _ : state) {
        const float s = size + float(frame++ % 2) * 0.37f;
        canvas.DrawImage(icon, RectF{10.3f, 5.6f, s, s});
    }
}
BENCHMARK(BM_UncachedIcon)->Arg(40)->Arg(128)->Arg(200)->Arg(256)->Unit(benchmark::kMicrosecond);

// A resting icon served from its cached copy.
void BM_CachedIcon(benchmark::State& state) {
    CachedImage icon(MakeIcon(256, 7));
    Bitmap target(300, 300);
    Canvas canvas(target);
    const float size = float(state.range(0));
    for (auto _ : state) {
        canvas.DrawImage(icon, RectF{10, 5, size, size});
    }
}
BENCHMARK(BM_CachedIcon)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

void BM_NineGridBar(benchmark::State& state) {
    const Bitmap skin = MakeSkin();
    Bitmap target(4400, 200);
    Canvas canvas(target);
    for (auto _ : state) {
        canvas.DrawNineGrid(skin, {24, 24, 24, 24}, RectF{10, 40, 4380, 144});
    }
}
BENCHMARK(BM_NineGridBar)->Unit(benchmark::kMicrosecond);

} // namespace
