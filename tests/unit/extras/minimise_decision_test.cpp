#include "extras/minimise_decision.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace kestrana::extras {
namespace {

WindowId W(std::uint64_t n) { return WindowId{n}; }

class FakeWindows final : public AnimationWindowPort {
public:
    WindowLook Look(WindowId window) const override {
        auto it = looks.find(window);
        return it == looks.end() ? WindowLook{} : it->second;
    }
    bool Exists(WindowId window) const override { return looks.contains(window) && !closed.contains(window); }
    void Add(WindowId window, std::wstring process = L"notepad.exe", std::wstring cls = L"Notepad") {
        WindowLook look;
        look.exists = look.appWindow = true;
        look.className = std::move(cls);
        look.title = L"Untitled";
        look.processName = process;
        look.programKeys = {process};
        looks[window] = look;
    }
    std::map<WindowId, WindowLook> looks;
    std::set<WindowId> closed;
};

struct DecisionTest : ::testing::Test {
    DecisionTest() {
        settings.enabled = true;
        windows.Add(W(1));
    }
    Verdict Ask(std::uintptr_t code, WindowId w, SystemState system = {}) {
        return decider.Decide(code, w, settings, system, [this](std::wstring_view k) { return excluded.contains(std::wstring(k)); });
    }
    FakeWindows windows;
    AnimatedWindows animated{4};
    MinimiseDecider decider{windows, animated};
    MinimiseSettings settings;
    std::set<std::wstring> excluded;
};

TEST_F(DecisionTest, MinimiseThenRestoreRoundTrip) {
    EXPECT_EQ(Ask(kAskMinimise, W(1)), (Verdict{1, Play::Minimise}));
    // Asked again mid-flight: the flight owns the window.
    EXPECT_EQ(Ask(kAskMinimiseBySystemMenu, W(1)), (Verdict{1, Play::None}));
    // The program's own minimise at the end passes through without a second flight.
    animated.SetState(W(1), FlightState::Completing);
    EXPECT_EQ(Ask(kAskMinimise, W(1)), (Verdict{0, Play::None}));
    animated.SetState(W(1), FlightState::Minimised);
    // No image kept: the system restores it.
    EXPECT_EQ(Ask(kAskRestore, W(1)), (Verdict{0, Play::None}));
    animated.Keep(W(1), std::make_shared<KeptImage>());
    EXPECT_EQ(Ask(kAskRestore, W(1)), (Verdict{1, Play::Restore}));
    EXPECT_EQ(animated.State(W(1)), FlightState::Restoring);
    // A window the program never minimised is restored by the system.
    windows.Add(W(2));
    EXPECT_EQ(Ask(kAskRestore, W(2)), (Verdict{0, Play::None}));
}

TEST_F(DecisionTest, EachFailedTestLeavesTheMinimiseToTheSystem) {
    const auto refused = [&](const char* what) {
        EXPECT_EQ(Ask(kAskMinimise, W(1)).answer, 0) << what;
        EXPECT_FALSE(animated.State(W(1))) << what;
    };
    settings.enabled = false;
    refused("off");
    settings.enabled = true;
    settings.disabled = true;
    refused("DisableMinAnimation");
    settings.disabled = false;
    EXPECT_EQ(Ask(kAskMinimise, W(1), {.quitting = true}).answer, 0);
    EXPECT_EQ(Ask(kAskMinimise, W(1), {.suspended = true}).answer, 0);
    EXPECT_EQ(Ask(kAskMinimise, W(1), {.locked = true}).answer, 0);
    EXPECT_EQ(Ask(kAskMinimise, W(1), {.animationsOff = true}).answer, 0); // the system's animations are off
    windows.looks[W(1)].fullScreen = true;
    refused("full screen");
    windows.looks[W(1)].fullScreen = false;
    windows.looks[W(1)].cloaked = true;
    refused("cloaked");
    windows.looks[W(1)].cloaked = false;
    excluded.insert(L"notepad.exe");
    refused("blacklistwindows");
    excluded.clear();
    windows.Add(W(1), L"mismartsharehandoff.exe");
    refused("excluded process");
    windows.Add(W(1), L"notepad.exe", L"ApplicationFrameWindow");
    windows.looks[W(1)].title.clear();
    refused("untitled frame");
    windows.looks[W(1)].title = L"Plan.DWG";
    refused("drawing");
    EXPECT_EQ(Ask(kAskMinimise, W(99)).answer, 0);
    EXPECT_EQ(Ask(7, W(1)).answer, 0);
}

TEST_F(DecisionTest, QuitAndRestoreRulesApplyToWindowsAlreadyMinimised) {
    ASSERT_EQ(Ask(kAskMinimise, W(1)).answer, 1);
    animated.SetState(W(1), FlightState::Minimised);
    animated.Keep(W(1), std::make_shared<KeptImage>());
    EXPECT_EQ(Ask(kAskRestore, W(1), {.quitting = true}).answer, 0);
    settings.enabled = false;
    EXPECT_EQ(Ask(kAskRestore, W(1)).answer, 0);
    settings.enabled = true;
    excluded.insert(L"notepad.exe");
    EXPECT_EQ(Ask(kAskRestore, W(1)).answer, 0);
    EXPECT_FALSE(animated.State(W(1))) << "an excluded window is dropped from the list";
}

TEST_F(DecisionTest, StageManagerQuestionAnswersTheQualification) {
    EXPECT_EQ(Ask(kAskStageManager, W(1)), (Verdict{1, Play::None}));
    EXPECT_FALSE(animated.State(W(1))) << "the question takes no entry";
    excluded.insert(L"notepad.exe");
    EXPECT_EQ(Ask(kAskStageManager, W(1)).answer, 0);
}

TEST(AnimatedWindowsList, StaysBoundedDroppingClosedThenOldestMinimised) {
    AnimatedWindows list(3);
    std::set<WindowId> gone;
    const auto exists = [&](WindowId w) { return !gone.contains(w); };
    for (std::uint64_t i = 1; i <= 3; ++i) {
        ASSERT_TRUE(list.BeginMinimise(W(i), exists));
    }
    EXPECT_FALSE(list.BeginMinimise(W(4), exists)) << "every entry still flies";
    for (std::uint64_t i = 1; i <= 3; ++i) list.SetState(W(i), FlightState::Minimised);
    gone.insert(W(2));
    ASSERT_TRUE(list.BeginMinimise(W(4), exists));
    EXPECT_FALSE(list.State(W(2))) << "the closed window went first";
    EXPECT_TRUE(list.State(W(1)));
    list.SetState(W(4), FlightState::Minimised);
    ASSERT_TRUE(list.BeginMinimise(W(5), exists));
    EXPECT_FALSE(list.State(W(1))) << "then the oldest minimised one";
    EXPECT_EQ(list.Size(), 3u);
}

} // namespace
} // namespace kestrana::extras
