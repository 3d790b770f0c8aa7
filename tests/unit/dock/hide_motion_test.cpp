// The hide motion's wait and watch, the trigger strip and the activation bar.
#include "dock/hide_motion.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

TEST(HideMotionSteps, WaitsForQuietThenWatchesTwentySixSteps) {
    HideMotion motion;
    motion.Begin();
    HideStep s = motion.Step(0, {.menuOpen = true});
    EXPECT_EQ(s.action, HideStepAction::Wait);
    EXPECT_EQ(s.nextStepMs, 100);
    s = motion.Step(100, {.dragging = true});
    EXPECT_EQ(s.action, HideStepAction::Wait);
    s = motion.Step(200, {});
    EXPECT_EQ(s.action, HideStepAction::StartMotion);
    std::int64_t now = 200;
    int watched = 0;
    while ((s = motion.Step(now = s.nextStepMs, {})).action == HideStepAction::Watch) ++watched;
    EXPECT_EQ(s.action, HideStepAction::Finish);
    EXPECT_EQ(watched, 25);
    EXPECT_EQ(now, 200 + 26 * 15);
    EXPECT_FALSE(motion.Active());
}

TEST(HideMotionSteps, ReasonsToStayUndoTheHide) {
    const HideWatchFacts reasons[] = {{.menuOpen = true}, {.pointerInside = true}, {.quitting = true},
                                      {.edgeChanged = true}};
    for (const HideWatchFacts& reason : reasons) {
        HideMotion motion;
        motion.Begin();
        ASSERT_EQ(motion.Step(0, {}).action, HideStepAction::StartMotion);
        for (int i = 0; i < 10; ++i) ASSERT_EQ(motion.Step(15 * (i + 1), {}).action, HideStepAction::Watch);
        EXPECT_EQ(motion.Step(165, reason).action, HideStepAction::Undo);
        EXPECT_FALSE(motion.Active());
    }
    // Quitting before anything moved leaves nothing to undo.
    HideMotion motion;
    motion.Begin();
    EXPECT_EQ(motion.Step(0, {.popupOpen = true}).action, HideStepAction::Wait);
    EXPECT_EQ(motion.Step(100, {.popupOpen = true, .quitting = true}).action, HideStepAction::Abort);
    EXPECT_EQ(MotionKindFromSetting(1), HideMotionKind::Fade);
    EXPECT_EQ(MotionKindFromSetting(2), HideMotionKind::Slide);
}

const ScreenRect kStrip{200, 1078, 1700, 1080};
constexpr ScreenPoint kOn{900, 1079};
constexpr ScreenPoint kOff{900, 1000};

TEST(TriggerStrip, ShowsAtOnceOrAfterOneDelayedCheck) {
    StripWatcher w;
    using Act = StripWatcher::Action;
    EXPECT_EQ(w.OnPointer(0, kOn, false, kStrip, DisplayMode::AutoHide, true, 0).action, Act::Show);
    EXPECT_EQ(w.OnPointer(0, kOff, false, kStrip, DisplayMode::AutoHide, true, 0).action, Act::None);
    EXPECT_EQ(w.OnPointer(0, kOn, true, kStrip, DisplayMode::AutoHide, true, 0).action, Act::None);
    EXPECT_EQ(w.OnPointer(0, kOn, false, kStrip, DisplayMode::AutoHide, false, 0).action, Act::None);
    for (int m = 1; m <= 9; ++m) {
        const bool shows = m != 6 && m != 7;
        EXPECT_EQ(w.OnPointer(0, kOn, false, kStrip, DisplayModeFromSetting(m), true, 0).action,
                  shows ? Act::Show : Act::None)
            << m;
    }

    // "mouseactsleep" 5: one check half a second later, never two at a time.
    const auto first = w.OnPointer(1000, kOn, false, kStrip, DisplayMode::Smart, true, 5);
    EXPECT_EQ(first.action, Act::ScheduleCheck);
    EXPECT_EQ(first.checkAtMs, 1500);
    EXPECT_EQ(w.OnPointer(1100, {901, 1079}, false, kStrip, DisplayMode::Smart, true, 5).action, Act::None);
    EXPECT_FALSE(w.OnCheckDue(kOff, kStrip, true)); // moved away meanwhile
    EXPECT_FALSE(w.Pending());
    EXPECT_EQ(w.OnPointer(1600, kOn, false, kStrip, DisplayMode::Smart, true, 5).action, Act::ScheduleCheck);
    EXPECT_TRUE(w.OnCheckDue(kOn, kStrip, true));
}

} // namespace
} // namespace kestrana::dock
