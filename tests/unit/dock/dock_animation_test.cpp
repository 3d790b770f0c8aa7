// Grow and shrink frames driven by a clock the test owns.
#include "dock/dock_animation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace kestrana::dock {
namespace {

struct FrameRun {
    std::vector<MagnifyFrame> frames;
};

// Steps until the animation finishes. `frameMs` 0 wakes exactly when asked; otherwise
// every frame comes that long after the previous one (an overloaded machine).
FrameRun Drive(MagnifyAnimator& animator, std::int64_t start, int frameMs) {
    FrameRun run;
    std::int64_t now = start;
    for (int guard = 0; guard < 1000; ++guard) {
        const MagnifyFrame f = animator.Step(now);
        run.frames.push_back(f);
        if (f.finished) break;
        EXPECT_GT(f.nextFrameMs, now);
        now = frameMs == 0 ? f.nextFrameMs : now + frameMs;
    }
    return run;
}

MagnifyAnimator Animator(IconEffect effect, int range, int hz) {
    MagnifyAnimator a;
    a.Configure(effect, range, hz);
    return a;
}

TEST(DockAnimationFrames, CountsAtEachRefreshRate) {
    EXPECT_EQ(BaseFrameCount(0), 10);
    EXPECT_EQ(BaseFrameCount(66), 11);
    EXPECT_EQ(BaseFrameCount(200), 21);
    for (int range = 0; range <= 256; ++range) {
        const int n = FrameCountAt(BaseFrameCount(range), 144);
        EXPECT_GE(n, 24);
        EXPECT_LE(n, 50);
    }
    struct Case {
        int range, hz, frameMs, frames;
    };
    const Case cases[] = {
        {64, 60, 0, 10},   // floor(64 / 6)
        {64, 144, 0, 24},  // floor(10 x 144 / 60)
        {126, 144, 0, 50}, // floor(21 x 2.4)
        {64, 0, 0, 10},    // no rate reported: 60 Hz
        // Every frame 25 ms at 60 Hz: 40 fps, N = floor(10 x 40 / 60) = 6, frame 1 stays 1.
        {64, 60, 25, 6},
        // 50 ms: 20 fps, held at 30: N = 5, k = round(1 x 5 / 10) = 1, so 1 + 4 frames.
        {64, 60, 50, 5},
        // 10 ms at 144 Hz: 100 fps, N = floor(21 x 100 / 60) = 35, k = round(0.7) = 1.
        {126, 144, 10, 35},
        // 40 ms at 144 Hz: 25 fps, held at 60: N = 21, k = round(0.42) = 0, so 1 + 21.
        {126, 144, 40, 22},
    };
    for (const Case& c : cases) {
        MagnifyAnimator a = Animator(IconEffect::Scale, c.range, c.hz);
        ASSERT_TRUE(a.Enter(1000));
        const FrameRun run = Drive(a, 1000, c.frameMs);
        EXPECT_EQ(static_cast<int>(run.frames.size()), c.frames) << c.range << " at " << c.hz << " Hz, " << c.frameMs;
        // Rising throughout and ending exactly at M.
        for (std::size_t i = 1; i < run.frames.size(); ++i)
            EXPECT_GE(run.frames[i].magnification, run.frames[i - 1].magnification);
        EXPECT_FLOAT_EQ(run.frames.back().magnification, static_cast<float>(c.range));
    }
}

TEST(DockAnimationFrames, PacesByTheRefreshInterval) {
    MagnifyAnimator a = Animator(IconEffect::Scale, 64, 60);
    a.Enter(0);
    std::int64_t now = 0;
    std::vector<std::int64_t> due;
    for (int i = 0; i < 4; ++i) due.push_back(now = a.Step(now).nextFrameMs);
    // 16.67 ms apart, each rounded up to the millisecond without drifting.
    EXPECT_EQ(due, (std::vector<std::int64_t>{17, 34, 50, 67}));
}

TEST(DockAnimationEase, CubicEaseOut) {
    EXPECT_FLOAT_EQ(EaseOut(0), 0);
    EXPECT_FLOAT_EQ(EaseOut(1), 1);
    EXPECT_FLOAT_EQ(EaseOut(0.5f), 0.875f); // 1 - 0.5^3
    float previous = 0, previousStep = 1;
    for (int i = 1; i <= 100; ++i) {
        const float e = EaseOut(i / 100.0f);
        EXPECT_GT(e, previous);
        EXPECT_LE(e - previous, previousStep + 1e-6f); // slows down as it settles
        previousStep = e - previous;
        previous = e;
    }
}

TEST(DockAnimationHandOver, ShrinkAndGrowTakeOverFromTheCurrentValue) {
    MagnifyAnimator a = Animator(IconEffect::ScaleAndLight, 64, 60);
    ASSERT_TRUE(a.Enter(0));
    EXPECT_EQ(a.LightAlpha(), 255);
    std::int64_t now = 0;
    MagnifyFrame f{};
    for (int i = 0; i < 3; ++i) now = (f = a.Step(now)).nextFrameMs;
    EXPECT_NEAR(f.magnification, 42.048f, 1e-3f); // 64 x (1 - 0.7^3)

    // Leaving stops the grow where it is; the shrink starts from 42.048.
    ASSERT_TRUE(a.Leave(now));
    EXPECT_EQ(a.Running(), MagnifyAnimator::Direction::Shrink);
    f = a.Step(now);
    EXPECT_NEAR(f.magnification, 30.653f, 1e-3f); // 42.048 x 0.9^3
    EXPECT_EQ(f.lightAlpha, 185);                 // 255 - 0.271 x 255, cut
    now = f.nextFrameMs;

    // Coming back grows again from 30.653: 30.653 + (64 - 30.653) x 0.271.
    ASSERT_TRUE(a.Enter(now));
    f = a.Step(now);
    EXPECT_NEAR(f.magnification, 39.690f, 1e-3f);
    EXPECT_EQ(f.lightAlpha, 255);

    // A full shrink fades the light out and ends at rest.
    a.Leave(f.nextFrameMs);
    const FrameRun run = Drive(a, f.nextFrameMs, 0);
    for (std::size_t i = 1; i < run.frames.size(); ++i)
        EXPECT_LE(run.frames[i].lightAlpha, run.frames[i - 1].lightAlpha);
    EXPECT_FLOAT_EQ(run.frames.back().magnification, 0);
    EXPECT_EQ(run.frames.back().lightAlpha, 0);
    EXPECT_EQ(a.Running(), MagnifyAnimator::Direction::None);
}

TEST(DockAnimationEffects, WhatAnimatesForEachEffect) {
    struct Case {
        IconEffect effect;
        int range;
        bool grows, fades;
    };
    const Case cases[] = {
        {IconEffect::None, 64, false, false},          {IconEffect::Scale, 64, true, false},
        {IconEffect::Select, 64, false, false},        {IconEffect::Light, 64, false, true},
        {IconEffect::ScaleAndLight, 64, true, true},   {IconEffect::SelectAndLight, 64, false, true},
        {IconEffect::ScaleAndLight, 0, false, false}, // "maxsize" equal to "defaultsize"
    };
    for (const Case& c : cases) {
        MagnifyAnimator a = Animator(c.effect, c.range, 60);
        EXPECT_EQ(a.Enter(0), c.grows) << int(c.effect);
        EXPECT_EQ(a.LightAlpha(), TraitsOf(c.effect).light ? 255 : 0) << int(c.effect);
        if (c.grows) Drive(a, 0, 0);
        EXPECT_EQ(a.Leave(500), c.grows || c.fades) << int(c.effect);
        const FrameRun run = Drive(a, 500, 0);
        if (!c.grows) {
            for (const MagnifyFrame& f : run.frames) EXPECT_FLOAT_EQ(f.magnification, 0);
        }
        EXPECT_FLOAT_EQ(a.Magnification(), 0);
        EXPECT_EQ(a.LightAlpha(), 0);
    }
    // A smaller range mid-way keeps A within it.
    MagnifyAnimator a = Animator(IconEffect::Scale, 96, 60);
    a.Enter(0);
    Drive(a, 0, 0);
    a.Configure(IconEffect::Scale, 40, 60);
    EXPECT_FLOAT_EQ(a.Magnification(), 40);
}

} // namespace
} // namespace kestrana::dock
