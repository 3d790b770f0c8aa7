#include "extras/frame_timing.h"
#include "extras/minimise_settings.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::extras {
namespace {

TEST(MinimiseSettings, EffectTextAndSpeedFollowTheirRules) {
    EXPECT_EQ(EffectFromText(L"Scale"), MinimiseEffect::Scale);
    EXPECT_EQ(EffectFromText(L"SCALEDX"), MinimiseEffect::Scale);
    EXPECT_EQ(EffectFromText(L"suck"), MinimiseEffect::Suck);
    EXPECT_EQ(EffectFromText(L"zoom"), MinimiseEffect::Genie);
    EXPECT_EQ(EffectFromText(L""), MinimiseEffect::Genie);
    EXPECT_EQ(ClampSpeed(0.0f), 1.0f);
    EXPECT_EQ(ClampSpeed(0.1f), 0.25f);
    EXPECT_EQ(ClampSpeed(3.0f), 2.0f);
    EXPECT_EQ(ClampSpeed(0.8f), 0.8f);
    EXPECT_EQ(SpeedLabel(0.67f), L"1.5x");
    EXPECT_EQ(SpeedLabel(0.3f), L"");
}

TEST(MinimiseSettings, ReadsTheSectionWithDefaultsAndTheCaptureGate) {
    fakes::SettingsFolder folder;
    MinimiseSettings absent = ReadMinimiseSettings(folder.store, true);
    EXPECT_FALSE(absent.enabled);
    EXPECT_EQ(absent.effect, MinimiseEffect::Genie);
    EXPECT_EQ(absent.speed, 1.0f);

    folder.Config(u"[minimize]\r\nenabled=1\r\neffect=Suck\r\nAnimationspeed=3\r\nslowdown=1\r\nUWPCapture=1\r\n"
                  u"DisableMinAnimation=1\r\nminicopos=2\r\n[blacklistwindows]\r\nnotepad.exe=1\r\ncalc.exe=0\r\n");
    const MinimiseSettings s = ReadMinimiseSettings(folder.store, false);
    EXPECT_TRUE(s.enabled && s.slowdown && s.disabled);
    EXPECT_EQ(s.effect, MinimiseEffect::Suck);
    EXPECT_EQ(s.speed, 2.0f);
    EXPECT_EQ(s.placeChoice, 2);
    EXPECT_FALSE(s.graphicsCapture);
    EXPECT_TRUE(ReadMinimiseSettings(folder.store, true).graphicsCapture);
    EXPECT_TRUE(IsExcludedProgram(folder.store, L"notepad.exe"));
    EXPECT_FALSE(IsExcludedProgram(folder.store, L"calc.exe"));
    EXPECT_FALSE(IsExcludedProgram(folder.store, L""));
}

TEST(FrameTiming, FrameCountsFollowRefreshRateSpeedAndSettling) {
    struct Case {
        MinimiseEffect effect;
        int hz;
        float speed;
        bool settling, slow;
        int interval, frames;
    };
    const Case cases[] = {
        {MinimiseEffect::Genie, 144, 1.0f, false, false, 6, 72},
        {MinimiseEffect::Suck, 60, 1.0f, false, false, 15, 34},
        {MinimiseEffect::Genie, 144, 1.0f, true, false, 15, 30},
        {MinimiseEffect::Scale, 60, 1.0f, false, false, 15, 24},
        {MinimiseEffect::Scale, 120, 0.5f, false, false, 8, 20},
        {MinimiseEffect::Scale, 75, 1.0f, true, false, 15, 20},
        {MinimiseEffect::Genie, 0, 0.7f, false, false, 15, 23}, // unknown rate counts as 60
        {MinimiseEffect::Genie, 60, 1.0f, false, true, 15, 340},
        {MinimiseEffect::Genie, 30, 0.25f, false, false, 15, 8},
    };
    for (const Case& c : cases) {
        const FramePlan plan = PlanFrames(c.effect, c.hz, c.speed, c.settling, c.slow);
        EXPECT_EQ(plan.intervalMs, c.interval) << c.hz << " Hz";
        EXPECT_EQ(plan.frames, c.frames) << c.hz << " Hz, speed " << c.speed;
    }
}

} // namespace
} // namespace kestrana::extras
