// The click decision, the special items, the key sequence, the trash's double click and
// the drop index.

#include "dock/click_rules.h"

#include <gtest/gtest.h>

#include <numeric>

namespace kestrana::dock {
namespace {

ClickFacts Program(std::size_t windows, bool running = true) {
    ClickFacts f;
    f.appname = L"notepad.exe";
    f.hasFilepath = true;
    f.running = running;
    f.windowCount = windows;
    return f;
}

TEST(ClickRules, ModifiersStartAnotherOnlyForARunningProgramWithAPath) {
    auto f = Program(2);
    f.shift = true;
    EXPECT_EQ(DecideClick(f).action, ClickAction::StartAnother);
    f.hasFilepath = false; // e.g. a minimised window's own item
    EXPECT_EQ(DecideClick(f).action, ClickAction::ShowPreviews);
    f = Program(0, false);
    f.ctrl = true;
    EXPECT_EQ(DecideClick(f).action, ClickAction::Launch); // not running: an ordinary start
    f = Program(1);
    f.button = ClickButton::Middle;
    f.hasFilepath = false;
    EXPECT_EQ(DecideClick(f).action, ClickAction::CloseWindow);
}

TEST(ClickRules, OneWindowSwitchesOrMinimisesAndClosesThePreviewFirst) {
    auto f = Program(1);
    auto d = DecideClick(f);
    EXPECT_EQ(d.action, ClickAction::SwitchToWindow);
    EXPECT_TRUE(d.closePreview);
    f.onlyWindowInFront = true;
    EXPECT_EQ(DecideClick(f).action, ClickAction::MinimiseWindow);
}

TEST(ClickRules, WithoutWindows) {
    auto f = Program(0);
    EXPECT_EQ(DecideClick(f).action, ClickAction::SearchRunning);
    f.running = false;
    f.jumpIcon = true;
    EXPECT_TRUE(DecideClick(f).bounce);
    f.appname = L"c:\\docs\\notes.txt";
    EXPECT_FALSE(DecideClick(f).bounce); // a document: no bounce
    f.kind = AppKind::Packaged;
    EXPECT_TRUE(DecideClick(f).bounce);
    f.isFolder = true;
    EXPECT_EQ(DecideClick(f).action, ClickAction::OpenStack);
    for (const auto* name : {L"trash|", L"startmenu", L"cal|", L"controlpanel"}) {
        ClickFacts s;
        s.appname = name;
        EXPECT_EQ(DecideClick(s).action, ClickAction::Special);
        EXPECT_TRUE(SpecialActionFor(name));
    }
    ClickFacts pad;
    pad.appname = L"launchpad|";
    EXPECT_EQ(DecideClick(pad).action, ClickAction::OpenLaunchpad);
    EXPECT_FALSE(SpecialActionFor(L"notepad.exe"));
}

TEST(ClickRules, KeySequenceReleasesEveryKeyItPressed) {
    for (const auto& steps : {KeySequence(0x11, 0x1B), KeySequence(0x5B, 0x10, 0x53)}) {
        int downs = 0, ups = 0;
        for (const auto& s : steps) (s.up ? ups : downs) += 1;
        EXPECT_EQ(ups, 3 * downs);
        EXPECT_FALSE(steps.back().up == false);
        const int pause = std::accumulate(steps.begin(), steps.end(), 0, [](int a, const KeyStep& s) { return a + s.pauseMs; });
        EXPECT_EQ(pause, downs == 2 ? 150 : 200);
        for (std::size_t i = 0; i < std::size_t(downs); ++i) EXPECT_FALSE(steps[i].up);
    }
}

TEST(ClickRules, FullTrashOpensAfterTheTimerOrAsksOnASecondClick) {
    TrashClicks t;
    EXPECT_EQ(t.Click(false, 0), TrashClicks::Outcome::Open);
    EXPECT_EQ(t.Click(true, 1000), TrashClicks::Outcome::StartTimer);
    EXPECT_EQ(t.Click(true, 1200), TrashClicks::Outcome::AskToEmpty);
    EXPECT_FALSE(t.TimerElapsed()); // the second click took the wait
    EXPECT_EQ(t.Click(true, 2000), TrashClicks::Outcome::StartTimer);
    EXPECT_TRUE(t.TimerElapsed());
    EXPECT_EQ(t.Click(true, 2400), TrashClicks::Outcome::StartTimer); // too late for a pair
}

TEST(ClickRules, DropIndexStaysBehindTheFirstItemAndInsideTheRow) {
    // Six placeholders around four items: real items at 3..6, 10 entries.
    EXPECT_EQ(ClampDropIndex(3, false, 10), 4u);
    EXPECT_EQ(ClampDropIndex(4, true, 10), 5u);
    EXPECT_EQ(ClampDropIndex(6, true, 10), 6u);
    EXPECT_EQ(ClampDropIndex(0, false, 6), 3u); // an empty row: right after the leading placeholders
}

} // namespace
} // namespace kestrana::dock
