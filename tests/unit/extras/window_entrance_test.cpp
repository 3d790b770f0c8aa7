#include "extras/window_entrance.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <set>

namespace kestrana::extras {
namespace {

TEST(WindowEntrance, ReadsBothSectionsWithDefaultsAndLimits) {
    fakes::SettingsFolder folder;
    const EntranceSettings absent = ReadEntranceSettings(folder.store);
    EXPECT_FALSE(absent.open.enabled || absent.close.enabled || absent.centreOpened);
    EXPECT_EQ(absent.open.durationPercent, 100);
    EXPECT_EQ(absent.close.effect, EntranceEffect::Zoom);

    folder.Config(u"[WindowsOpen]\r\nenable=1\r\nAnimationEffect=2\r\nAnimationSpeed=10\r\n"
                  u"[WindowsClose]\r\nenable=1\r\nAnimationEffect=7\r\nAnimationSpeed=900\r\n"
                  u"[normal]\r\nwindowscenter=1\r\n");
    const EntranceSettings s = ReadEntranceSettings(folder.store);
    EXPECT_TRUE(s.open.enabled && s.close.enabled && s.centreOpened);
    EXPECT_EQ(s.open.effect, EntranceEffect::Rise);
    EXPECT_EQ(s.close.effect, EntranceEffect::Zoom); // unknown number
    EXPECT_EQ(s.open.durationPercent, 25);
    EXPECT_EQ(s.close.durationPercent, 200);
}

TEST(WindowEntrance, OnlyOrdinaryVisibleWindowsOfAllowedProgramsAreAnimated) {
    WindowLook look;
    look.exists = look.appWindow = true;
    look.className = L"Notepad";
    look.title = L"Untitled";
    look.processName = L"notepad.exe";
    look.programKeys = {L"notepad.exe"};
    EntranceSettings settings;
    settings.open.enabled = true;
    std::set<std::wstring> excluded;
    const auto ask = [&](Entrance e, const WindowLook& l, SystemState system = {}) {
        return ShouldAnimateEntrance(e, settings, system, l,
                                     [&](std::wstring_view k) { return excluded.contains(std::wstring(k)); });
    };
    EXPECT_TRUE(ask(Entrance::Open, look));
    EXPECT_FALSE(ask(Entrance::Close, look)); // closing is off
    EXPECT_FALSE(ask(Entrance::Open, look, {.locked = true}));
    EXPECT_FALSE(ask(Entrance::Open, look, {.animationsOff = true}));
    EXPECT_FALSE(ask(Entrance::Open, look, {.quitting = true}));

    // A titled store frame may be minimised with our effect, but opens with the system's.
    WindowLook other = look;
    other.className = L"ApplicationFrameWindow";
    EXPECT_FALSE(ask(Entrance::Open, other));
    other.className = L"Chrome_WidgetWin_1";
    EXPECT_TRUE(ask(Entrance::Open, other));
    other.title.clear();
    EXPECT_FALSE(ask(Entrance::Open, other));
    other = look;
    other.fullScreen = true;
    EXPECT_FALSE(ask(Entrance::Open, other));
    excluded.insert(L"notepad.exe");
    EXPECT_FALSE(ask(Entrance::Open, look));
}

TEST(WindowEntrance, FramesFollowTheRefreshAndTheSpeed) {
    // 220 ms at 15 ms a frame, rounded: 15; twice as long: 29; 144 Hz (6 ms): 37.
    EXPECT_EQ(PlanEntrance(Entrance::Open, 60, 100).frames, 15);
    EXPECT_EQ(PlanEntrance(Entrance::Open, 0, 200).frames, 29);
    const FramePlan fast = PlanEntrance(Entrance::Open, 144, 100);
    EXPECT_EQ(fast.intervalMs, 6);
    EXPECT_EQ(fast.frames, 37);
    EXPECT_GE(PlanEntrance(Entrance::Close, 30, 25).frames, 2);
}

TEST(WindowEntrance, EveryEffectEndsExactlyOnTheWindowAndMovesSteadily) {
    const EntranceFrame whole{};
    for (auto effect : {EntranceEffect::Zoom, EntranceEffect::Fade, EntranceEffect::Rise}) {
        const int n = 15;
        EXPECT_EQ(EntranceFrameAt(effect, Entrance::Open, n - 1, n), whole);
        EXPECT_EQ(EntranceFrameAt(effect, Entrance::Close, 0, n), whole);
        EXPECT_EQ(EntranceFrameAt(effect, Entrance::Open, 0, n).opacity, 0.0f);
        EXPECT_EQ(EntranceFrameAt(effect, Entrance::Close, n - 1, n).opacity, 0.0f);
        for (int f = 1; f < n; ++f) {
            const auto a = EntranceFrameAt(effect, Entrance::Open, f - 1, n);
            const auto b = EntranceFrameAt(effect, Entrance::Open, f, n);
            EXPECT_TRUE(b.opacity > a.opacity && b.scale >= a.scale && b.drop <= a.drop) << int(effect) << " " << f;
            const auto c = EntranceFrameAt(effect, Entrance::Close, f - 1, n);
            const auto d = EntranceFrameAt(effect, Entrance::Close, f, n);
            EXPECT_TRUE(d.opacity < c.opacity && d.scale <= c.scale) << int(effect) << " " << f;
        }
    }
    // The zoom starts at 85 % about the window's centre; the rise stays inside its area.
    const Box window{100, 200, 500, 500};
    const gfx::RectF first = EntranceRect(window, EntranceFrameAt(EntranceEffect::Zoom, Entrance::Open, 0, 15));
    EXPECT_FLOAT_EQ(first.width, 340.0f);
    EXPECT_FLOAT_EQ(first.x + first.width / 2, 300.0f);
    EXPECT_FLOAT_EQ(first.y + first.height / 2, 350.0f);
    const Box area = EntranceArea(window, EntranceEffect::Rise);
    const gfx::RectF low = EntranceRect(window, EntranceFrameAt(EntranceEffect::Rise, Entrance::Close, 14, 15));
    EXPECT_LE(low.Bottom(), float(area.bottom));
    EXPECT_GE(low.y, float(area.top));
}

TEST(WindowEntrance, DrawsTheWindowInPlaceAndClearsTheFrameBefore) {
    gfx::Bitmap image(40, 20);
    image.Fill(gfx::MakePixel(200, 10, 10, 255));
    image.Set(3, 4, gfx::MakePixel(0, 0, 255, 255));
    const Box window{10, 10, 50, 30};
    const Box area = EntranceArea(window, EntranceEffect::Zoom);
    gfx::Bitmap target(area.Width(), area.Height());
    const auto small = EntranceFrameAt(EntranceEffect::Zoom, Entrance::Open, 0, 10);
    gfx::RectI drawn = DrawEntranceFrame(image, window, area, {small.scale, 0, 1}, {}, target);
    EXPECT_LT(drawn.width, 40);
    EXPECT_EQ(target.At(0, 0), 0u); // the corner lies outside the shrunk picture

    drawn = DrawEntranceFrame(image, window, area, EntranceFrame{}, drawn, target);
    EXPECT_EQ(drawn, (gfx::RectI{0, 0, 40, 20}));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(target.At(x, y), image.At(x, y)) << x << "," << y;
    // Shrinking again clears the ring the full frame drew.
    drawn = DrawEntranceFrame(image, window, area, {small.scale, 0, 1}, drawn, target);
    EXPECT_EQ(target.At(0, 0), 0u);
    EXPECT_EQ(target.At(39, 19), 0u);
    EXPECT_EQ(gfx::PixelA(target.At(20, 10)), 255);

    // A closing's last frame draws nothing and leaves nothing.
    drawn = DrawEntranceFrame(image, window, area, {0.85f, 0, 0}, drawn, target);
    EXPECT_TRUE(drawn.Empty());
    for (auto p : target.Pixels()) ASSERT_EQ(p, 0u);
}

TEST(WindowEntrance, CentresInTheWorkAreaAndKeepsLargeWindowsReachable) {
    const Box work{0, 0, 1920, 1040};
    EXPECT_EQ(CentreIn({5, 7, 805, 607}, work), (Box{560, 220, 1360, 820}));
    EXPECT_EQ(CentreIn({-50, -30, 2050, 1170}, work), (Box{0, 0, 2100, 1200}));
    EXPECT_EQ(CentreIn({0, 0, 100, 100}, {1920, 0, 3200, 1024}), (Box{2510, 462, 2610, 562}));
}

} // namespace
} // namespace kestrana::extras
