#include "extras/hot_corners.h"

#include "fakes/memory_log.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrana::extras {
namespace {

const MonitorBox kSingle{0, 0, 1920, 1080};

TEST(HotCornerZone, OneMonitorHasFourPixelZonesAtTheBottomCorners) {
    const MonitorBox monitors[] = {kSingle};
    struct Case {
        CornerPoint at;
        Corner expected;
    };
    const Case cases[] = {
        {{0, 1079}, Corner::BottomLeft},     {{4, 1076}, Corner::BottomLeft},   {{5, 1079}, Corner::None},
        {{0, 1075}, Corner::None},           {{1919, 1079}, Corner::BottomRight}, {{1916, 1076}, Corner::BottomRight},
        {{1915, 1079}, Corner::None},        {{1919, 1075}, Corner::None},      {{0, 0}, Corner::None},
        {{1919, 0}, Corner::None},           {{960, 1079}, Corner::None},       {{-1, 1079}, Corner::None},
        {{0, 1080}, Corner::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CornerAt(c.at, monitors), c.expected) << c.at.x << "," << c.at.y;
}

TEST(HotCornerZone, ZonesFollowAMonitorThatDoesNotStartAtTheOrigin) {
    // Sweep monitor placements: the zones move with the monitor and keep their size.
    for (int left : {-2560, -1280, 0, 1366}) {
        for (int top : {-200, 0, 300}) {
            const MonitorBox m{left, top, left + 1280, top + 1024};
            const MonitorBox monitors[] = {m};
            int leftHits = 0, rightHits = 0;
            for (int y = m.bottom - 8; y < m.bottom; ++y)
                for (int x = m.left; x < m.right; ++x) {
                    const Corner c = CornerAt({x, y}, monitors);
                    leftHits += c == Corner::BottomLeft;
                    rightHits += c == Corner::BottomRight;
                }
            EXPECT_EQ(leftHits, 5 * 4) << left << "," << top;
            EXPECT_EQ(rightHits, 4 * 4) << left << "," << top;
        }
    }
}

TEST(HotCornerZone, InnerCornersBetweenMonitorsNeverCount) {
    // Side by side with aligned bottoms: only the two outer corners are edges.
    const MonitorBox sideBySide[] = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}};
    EXPECT_EQ(CornerAt({0, 1079}, sideBySide), Corner::BottomLeft);
    EXPECT_EQ(CornerAt({1919, 1079}, sideBySide), Corner::None);
    EXPECT_EQ(CornerAt({1920, 1079}, sideBySide), Corner::None);
    EXPECT_EQ(CornerAt({3839, 1079}, sideBySide), Corner::BottomRight);

    // A neighbour whose bottom is a few pixels off still meets the corner; one far off
    // leaves the corner a real edge of the desktop.
    const MonitorBox slightlyShorter[] = {{0, 0, 1920, 1080}, {1920, 0, 3840, 1072}};
    EXPECT_EQ(CornerAt({1919, 1079}, slightlyShorter), Corner::None);
    const MonitorBox muchShorter[] = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
    EXPECT_EQ(CornerAt({1919, 1079}, muchShorter), Corner::BottomRight);
    // The shorter one's own bottom-left corner opens sideways onto the taller monitor.
    EXPECT_EQ(CornerAt({1920, 1023}, muchShorter), Corner::None);
    EXPECT_EQ(CornerAt({3199, 1023}, muchShorter), Corner::BottomRight);

    // A gap of up to ten pixels between the monitors is still a meeting.
    const MonitorBox gapped[] = {{0, 0, 1920, 1080}, {1930, 0, 3850, 1080}};
    EXPECT_EQ(CornerAt({1919, 1079}, gapped), Corner::None);
    const MonitorBox apart[] = {{0, 0, 1920, 1080}, {1940, 0, 3860, 1080}};
    EXPECT_EQ(CornerAt({1919, 1079}, apart), Corner::BottomRight);

    // Stacked: the upper monitor's bottom corners lead onto the lower one.
    const MonitorBox stacked[] = {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}};
    EXPECT_EQ(CornerAt({0, 1079}, stacked), Corner::None);
    EXPECT_EQ(CornerAt({1919, 1079}, stacked), Corner::None);
    EXPECT_EQ(CornerAt({0, 2159}, stacked), Corner::BottomLeft);

    // A monitor only diagonally past the corner meets it too.
    const MonitorBox diagonal[] = {{0, 0, 1920, 1080}, {1920, 1080, 3840, 2160}};
    EXPECT_EQ(CornerAt({1919, 1079}, diagonal), Corner::None);
    EXPECT_EQ(CornerAt({0, 1079}, diagonal), Corner::BottomLeft);
}

TEST(HotCornerGate, BusyLockedAndFullScreenStopTheTestAndOnlyFileDragsPass) {
    const CornerFacts idle;
    EXPECT_TRUE(CornerTestAllowed(idle));
    auto with = [](auto change) {
        CornerFacts f;
        f.dockExists = true;
        change(f);
        return CornerTestAllowed(f);
    };
    EXPECT_FALSE(with([](CornerFacts& f) { f.dockBusy = true; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.userLockedOut = true; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.fullScreenApp = true; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.dockSecondBusy = true; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.pointerDockSuspended = true; }));
    // The second busy state belongs to a dock: without one it cannot hold the test.
    CornerFacts noDock;
    noDock.dockSecondBusy = true;
    EXPECT_TRUE(CornerTestAllowed(noDock));

    EXPECT_TRUE(with([](CornerFacts& f) { f.buttonHeld = true, f.foregroundClass = L"CabinetWClass"; }));
    EXPECT_TRUE(with([](CornerFacts& f) { f.buttonHeld = true, f.foregroundClass = L"EVERYTHING"; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.buttonHeld = true, f.foregroundClass = L"Notepad"; }));
    EXPECT_FALSE(with([](CornerFacts& f) { f.buttonHeld = true, f.foregroundClass = L"cabinetwclass"; }));
    EXPECT_FALSE(with([](CornerFacts& f) {
        f.buttonHeld = true, f.foregroundClass = L"CabinetWClass", f.launchpadShown = true;
    }));
    CornerFacts dragWithoutDock;
    dragWithoutDock.buttonHeld = true;
    dragWithoutDock.foregroundClass = L"CabinetWClass";
    EXPECT_FALSE(CornerTestAllowed(dragWithoutDock));
}

TEST(HotCornerTiming, OnlyTheLastReportOfABurstIsTestedAfterItsQuietTime) {
    PointerSettle settle;
    EXPECT_FALSE(settle.Due(0));
    EXPECT_FALSE(settle.Wait(0));
    settle.Report({1, 1}, 1000);
    settle.Report({2, 2}, 1040);
    EXPECT_EQ(settle.Wait(1040), 100);
    EXPECT_FALSE(settle.Due(1139));
    EXPECT_EQ(settle.Due(1140), (CornerPoint{2, 2}));
    EXPECT_FALSE(settle.Due(1300)) << "a report is tested once";
    EXPECT_EQ(settle.Reports(), 2u);
    settle.Report({3, 3}, 1300);
    EXPECT_FALSE(settle.Due(1350));
    EXPECT_EQ(settle.Due(2000), (CornerPoint{3, 3}));
}

TEST(HotCornerTiming, ThePointerIsSampledOftenOnlyWhileItMovesAndACornerActs) {
    PointerWatch watch;
    EXPECT_EQ(watch.Sampled(true, true, 1000), PointerWatch::kMovingMs);
    // At rest it is looked at less often, and less still after a while.
    EXPECT_EQ(watch.Sampled(false, true, 1025), PointerWatch::kRestingMs);
    EXPECT_EQ(watch.Sampled(false, true, 2900), PointerWatch::kRestingMs);
    EXPECT_EQ(watch.Sampled(false, true, 3000), PointerWatch::kLongRestMs);
    // A move brings the quick sampling back at once: the settle time still decides.
    EXPECT_EQ(watch.Sampled(true, true, 3250), PointerWatch::kMovingMs);
    EXPECT_EQ(watch.Sampled(false, true, 3275), PointerWatch::kRestingMs);
    // No corner has an action: nothing to answer, only a rare look for a new setting.
    EXPECT_EQ(watch.Sampled(true, false, 3300), PointerWatch::kNoCornerMs);
    // The slowest wait keeps a corner within about a third of a second of a move from rest.
    EXPECT_LE(PointerWatch::kLongRestMs + PointerSettle::kSettleMs, 400);
}

TEST(HotCornerTiming, TheTimerRunsOnlyWhileThePointerStaysInOneCorner) {
    CornerTracker tracker;
    using Step = CornerTracker::TimerStep;
    EXPECT_EQ(tracker.Observe(Corner::None), Step::Leave);
    EXPECT_EQ(tracker.Observe(Corner::BottomLeft), Step::Restart);
    EXPECT_EQ(tracker.Observe(Corner::BottomLeft), Step::Leave);
    // Left again before the timer fired: nothing will run.
    EXPECT_EQ(tracker.Observe(Corner::None), Step::Stop);
    EXPECT_EQ(tracker.Observe(Corner::BottomRight), Step::Restart);
    EXPECT_EQ(tracker.Observe(Corner::BottomLeft), Step::Restart);
    EXPECT_EQ(tracker.Take(), Corner::BottomLeft);
    EXPECT_EQ(tracker.Remembered(), Corner::None);
    // Forgotten once acted on, so a further move inside the corner arms it again.
    EXPECT_EQ(tracker.Observe(Corner::BottomLeft), Step::Restart);
    EXPECT_EQ(tracker.Take(), Corner::BottomLeft);
    EXPECT_EQ(tracker.Observe(Corner::BottomRight), Step::Restart);
    EXPECT_EQ(tracker.Take(), Corner::BottomRight);
}

TEST(HotCornerActions, SlotsStopAtTheFirstEmptyOneAndBadValuesReadAsEmpty) {
    struct Case {
        std::array<int, 3> slots;
        std::vector<CornerAction> expected;
        int bad;
    };
    using A = CornerAction;
    const Case cases[] = {
        {{0, 0, 0}, {}, 0},
        {{2, 0, 0}, {A::Launchpad}, 0},
        {{0, 5, 0}, {}, 0},
        {{2, 0, 5}, {A::Launchpad}, 0},
        {{1, 8, 3}, {A::AllWindows, A::Widgets, A::DisplaySleep}, 0},
        {{99, 2, 0}, {}, 1},
        {{4, 99, 2}, {A::StartMenu}, 1},
        {{4, -1, 2}, {A::StartMenu}, 1},
        {{7, 6, 9}, {A::ScreenSaver, A::ActionCenter}, 1},
    };
    for (const Case& c : cases) {
        int bad = 0;
        EXPECT_EQ(ActionsOf(c.slots, [&](int, int) { ++bad; }), c.expected) << c.slots[0] << c.slots[1] << c.slots[2];
        EXPECT_EQ(bad, c.bad);
    }
}

TEST(HotCornerActions, SettingsAreReadPerCornerAndABadKeyIsLoggedOnce) {
    fakes::SettingsFolder folder;
    folder.Config(u"[normal]\r\nbottomleft=2\r\nbottomleft2=5\r\nbottomright=99\r\nbottomright2=4\r\n");
    fakes::MemoryLog log;
    CornerSettingsReader reader;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(reader.Read(folder.store, Corner::BottomLeft),
                  (std::vector<CornerAction>{CornerAction::Launchpad, CornerAction::ShowDesktop}));
        EXPECT_TRUE(reader.Read(folder.store, Corner::BottomRight).empty());
    }
    folder.Config(u"[normal]\r\nbottomright=98\r\n");
    EXPECT_TRUE(reader.Read(folder.store, Corner::BottomRight).empty());
    EXPECT_EQ(log.Count("bottomright=99"), 1u) << log.Text();
    EXPECT_EQ(log.Count("bottomright=98"), 1u) << log.Text();
    EXPECT_EQ(log.Count("bottomleft"), 0u) << log.Text();
}

TEST(HotCornerActions, TheTimerRunsOneActionAndOffersSeveral) {
    using A = CornerAction;
    using K = TimerOutcome::Kind;
    EXPECT_EQ(DecideOnTimer({}).kind, K::HideChoice);
    const TimerOutcome one = DecideOnTimer({A::Launchpad});
    EXPECT_EQ(one.kind, K::Run);
    EXPECT_EQ(one.actions, std::vector<A>{A::Launchpad});
    const TimerOutcome three = DecideOnTimer({A::Launchpad, A::ShowDesktop, A::ScreenSaver});
    EXPECT_EQ(three.kind, K::OfferChoice);
    EXPECT_EQ(three.actions.size(), 3u);
}

TEST(HotCornerActions, EveryActionHasAPlanAndWidgetsNeedWindows11) {
    for (int value = 1; value <= kLastCornerAction; ++value) {
        const auto action = static_cast<CornerAction>(value);
        const ActionPlan plan = PlanAction(action, true);
        EXPECT_TRUE(plan.runs) << value;
        // Each plan does exactly one kind of thing.
        const int kinds = !plan.keys.empty() + !plan.uri.empty() + plan.toggleLaunchpad + plan.displayOff +
                          plan.screenSaverNow;
        EXPECT_EQ(kinds, 1) << value;
        EXPECT_FALSE(LabelOf(action).key.empty());
        EXPECT_FALSE(LabelOf(action).fallback.empty());
    }
    EXPECT_FALSE(PlanAction(CornerAction::Widgets, false).runs);
    EXPECT_TRUE(PlanAction(CornerAction::Widgets, false).keys.empty());
    EXPECT_TRUE(PlanAction(CornerAction::ShowDesktop, false).runs);
    EXPECT_FALSE(PlanAction(CornerAction::Nothing, true).runs);
    // The desktop comes forward only for the key presses it must receive.
    EXPECT_TRUE(PlanAction(CornerAction::StartMenu, false).activateDesktop);
    EXPECT_TRUE(PlanAction(CornerAction::ShowDesktop, false).activateDesktop);
    EXPECT_FALSE(PlanAction(CornerAction::AllWindows, false).activateDesktop);
    EXPECT_EQ(PlanAction(CornerAction::ShowDesktop, false).keys, (std::vector<std::uint8_t>{91, 68}));
    EXPECT_EQ(PlanAction(CornerAction::StartMenu, false).keys, (std::vector<std::uint8_t>{17, 27}));
    EXPECT_EQ(LabelOf(CornerAction::Launchpad).fallback, L"LaunchPad");
}

} // namespace
} // namespace kestrana::extras
