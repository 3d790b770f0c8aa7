// The display modes' hide decision, the windows it weighs and the tick that runs it.
#include "dock/hide_decision.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrana::dock {
namespace {

const ScreenRect kMonitor{0, 0, 1920, 1080};
const ScreenRect kDockArea{600, 980, 1320, 1070};

HideContext Context(DisplayMode mode, bool hidden = false, bool pointerInside = false) {
    HideContext c;
    c.mode = mode;
    c.hidden = hidden;
    c.pointerInside = pointerInside;
    c.monitor = 7;
    c.monitorRect = kMonitor;
    c.dockArea = kDockArea;
    c.foregroundProcessId = 42;
    return c;
}

// A visible window of the foreground process over the dock's area.
WindowFacts Covering() {
    WindowFacts w;
    w.id = WindowId{0x1234};
    w.className = L"Notepad";
    w.processId = 42;
    w.monitor = 7;
    w.visible = true;
    w.rect = {500, 400, 1400, 1000};
    w.rootOwnerRect = w.rect;
    return w;
}

TEST(HideDecisionModes, EveryModesVerdict) {
    using V = HideVerdict;
    struct Case {
        int mode;
        V coveredShown, clearShown, clearHidden; // pointer off the dock
    };
    const Case cases[] = {
        {1, V::Stay, V::Stay, V::Stay}, {2, V::Stay, V::Stay, V::Stay}, {3, V::Hide, V::Hide, V::Stay},
        {4, V::Hide, V::Stay, V::Show}, {5, V::Stay, V::Stay, V::Stay}, {6, V::Stay, V::Stay, V::Stay},
        {7, V::Hide, V::Hide, V::Stay}, {8, V::Stay, V::Stay, V::Stay}, {9, V::Stay, V::Stay, V::Stay},
    };
    const std::vector<WindowFacts> covered{Covering()};
    const std::vector<WindowFacts> none;
    for (const Case& c : cases) {
        const DisplayMode mode = DisplayModeFromSetting(c.mode);
        EXPECT_EQ(DecideHide(Context(mode), covered), c.coveredShown) << c.mode;
        EXPECT_EQ(DecideHide(Context(mode), none), c.clearShown) << c.mode;
        EXPECT_EQ(DecideHide(Context(mode, true), none), c.clearHidden) << c.mode;
        // Already hidden and still covered, or the pointer on the dock: nothing to do.
        EXPECT_EQ(DecideHide(Context(mode, true), covered), V::Stay) << c.mode;
        EXPECT_EQ(DecideHide(Context(mode, false, true), covered), V::Stay) << c.mode;
    }
}

TEST(HideDecisionWindows, WhichWindowsPushTheSmartDockAway) {
    const HideContext c = Context(DisplayMode::Smart);
    EXPECT_TRUE(CountsAgainstDock(Covering(), c));

    struct Case {
        const char* what;
        void (*change)(WindowFacts&);
        bool counts;
    };
    const Case cases[] = {
        {"invisible", [](WindowFacts& w) { w.visible = false; }, false},
        {"cloaked", [](WindowFacts& w) { w.cloaked = true; }, false},
        {"other monitor", [](WindowFacts& w) { w.monitor = 8; }, false},
        {"on-screen keyboard", [](WindowFacts& w) { w.className = L"OSKMainClass"; }, false},
        {"core window", [](WindowFacts& w) { w.className = L"Windows.UI.Core.CoreWindow"; }, true},
        {"minimised core window",
         [](WindowFacts& w) {
             w.className = L"Windows.UI.Core.CoreWindow";
             w.minimised = true;
         },
         false},
        {"background process", [](WindowFacts& w) { w.processId = 9; }, false},
        {"clear of the dock", [](WindowFacts& w) { w.rect.bottom = 980; }, false},
        {"maximised, owner clear",
         [](WindowFacts& w) {
             w.maximised = true;
             w.rootOwnerRect = {0, 0, 800, 600};
         },
         false},
        {"maximised, owner covers",
         [](WindowFacts& w) {
             w.maximised = true;
             w.rect = {0, 0, 10, 10};
             w.rootOwnerRect = {0, 0, 1920, 1080};
         },
         true},
        {"pop-up on the monitor",
         [](WindowFacts& w) {
             w.popupStyle = true;
             w.rect = {100, 100, 300, 300};
         },
         true},
        {"pop-up elsewhere",
         [](WindowFacts& w) {
             w.popupStyle = true;
             w.rect = {2000, 100, 2300, 300};
         },
         false},
    };
    for (const Case& k : cases) {
        WindowFacts w = Covering();
        k.change(w);
        EXPECT_EQ(CountsAgainstDock(w, c), k.counts) << k.what;
    }
    // With "showmodewindows" every process's windows count.
    HideContext all = c;
    all.showModeWindows = true;
    WindowFacts other = Covering();
    other.processId = 9;
    EXPECT_TRUE(CountsAgainstDock(other, all));
}

TEST(HideDecisionTicks, BusyTicksWaitAndSkipsAreUsedUp) {
    HideTicker ticker;
    EXPECT_TRUE(ticker.Tick({}));
    ticker.SkipNext(2);
    EXPECT_FALSE(ticker.Tick({.buttonHeld = true}));
    EXPECT_FALSE(ticker.Tick({.popupOpen = true}));
    EXPECT_EQ(ticker.Skipping(), 2); // a busy dock does not use up skips
    EXPECT_FALSE(ticker.Tick({}));
    EXPECT_FALSE(ticker.Tick({}));
    EXPECT_TRUE(ticker.Tick({}));
    EXPECT_FALSE(ticker.Tick({.itemChange = true}));
    EXPECT_FALSE(ticker.Tick({.dragging = true}));
}

TEST(DisplayModeZOrder, EachModesPlaceInTheStack) {
    for (int m = 1; m <= 9; ++m) {
        const DisplayMode mode = DisplayModeFromSetting(m);
        const ZOrder expected = m == 2 ? ZOrder::NotTopmost : m == 9 ? ZOrder::AboveDesktop : ZOrder::Topmost;
        EXPECT_EQ(InitialZOrder(mode), expected) << m;
        EXPECT_EQ(ReassertedZOrder(mode, {}), m == 8 ? ZOrder::Topmost : ZOrder::Unchanged) << m;
        EXPECT_EQ(TriggerStripShows(mode), m != 6 && m != 7) << m;
    }
    EXPECT_EQ(ReassertedZOrder(DisplayMode::AlwaysOnTop, {.fullScreen = true}), ZOrder::Unchanged);
    EXPECT_EQ(ReassertedZOrder(DisplayMode::AlwaysOnTop, {.presentation = true}), ZOrder::Unchanged);
    EXPECT_EQ(ReassertedZOrder(DisplayMode::AlwaysOnTop, {.quietTime = true}), ZOrder::Unchanged);
    EXPECT_EQ(ModeChoiceRefusal(DisplayMode::Hotkey, false, false), L"hotkeyhideerror");
    EXPECT_EQ(ModeChoiceRefusal(DisplayMode::Smart, true, true), L"autohideerror");
    EXPECT_EQ(ModeChoiceRefusal(DisplayMode::Hide, true, true), L"");
}

} // namespace
} // namespace kestrana::dock
