// Which presents may hand the system only the changed part of a layered window's picture.
#include "gfx/present_plan.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

constexpr RectI kPart{10, 20, 300, 80};
constexpr RectI kWindow{500, 900, 300, 80};

PresentedState Shown() { return {true, kPart, 255, kWindow}; }

PresentRequest Request(std::optional<RectI> dirty) {
    PresentRequest r;
    r.part = kPart;
    r.dirty = dirty;
    r.window = kWindow;
    r.windowNow = kWindow;
    return r;
}

TEST(PresentPlan, OnlyTheChangedPartGoesOverWhileTheWindowIsAsItWasLeft) {
    const PresentPlan changed = PlanPresent(Shown(), Request(RectI{50, 30, 40, 40}));
    EXPECT_EQ(changed.kind, PresentKind::Changed);
    EXPECT_EQ(changed.area, (RectI{50, 30, 40, 40}));
    EXPECT_TRUE(changed.onScreen);
    // A change of everything at the same place may still be compared with what the
    // system shows.
    EXPECT_TRUE(PlanPresent(Shown(), Request(kPart)).onScreen);
    // Clipped to the part shown; a change outside it, or none, only places the window.
    EXPECT_EQ(PlanPresent(Shown(), Request(RectI{0, 0, 20, 30})).area, (RectI{10, 20, 10, 10}));
    EXPECT_EQ(PlanPresent(Shown(), Request(RectI{})).kind, PresentKind::MoveOnly);
    EXPECT_EQ(PlanPresent(Shown(), Request(RectI{400, 0, 10, 10})).kind, PresentKind::MoveOnly);
}

TEST(PresentPlan, EverythingGoesOverWhenTheSystemMayNotHoldTheRest) {
    struct Case {
        const char* what;
        PresentedState last;
        PresentRequest request;
    };
    const RectI small{50, 30, 40, 40};
    std::vector<Case> cases;
    cases.push_back({"no change named", Shown(), Request(std::nullopt)});
    cases.push_back({"nothing shown yet", {false, kPart, 255, kWindow}, Request(small)});
    PresentedState otherPart = Shown();
    otherPart.part = {0, 20, 300, 80};
    cases.push_back({"another part of the frame", otherPart, Request(small)});
    PresentedState otherSize = Shown();
    otherSize.part = {10, 20, 320, 80};
    cases.push_back({"another size", otherSize, Request(small)});
    PresentedState dimmer = Shown();
    dimmer.opacity = 128;
    cases.push_back({"another opacity", dimmer, Request(small)});
    PresentRequest hidden = Request(small);
    hidden.visible = false;
    cases.push_back({"the window is hidden", Shown(), hidden});
    // Someone else moved or resized the window (or its surface was made anew).
    PresentRequest movedAway = Request(small);
    movedAway.windowNow = {0, 0, 300, 80};
    cases.push_back({"the window was moved behind our back", Shown(), movedAway});
    PresentRequest resized = Request(small);
    resized.windowNow = {500, 900, 256, 256};
    cases.push_back({"the window was resized behind our back", Shown(), resized});
    PresentRequest moving = Request(small);
    moving.window = {520, 900, 300, 80};
    cases.push_back({"the window moves while its picture changes", Shown(), moving});
    for (const Case& c : cases) {
        const PresentPlan plan = PlanPresent(c.last, c.request);
        EXPECT_EQ(plan.kind, PresentKind::Whole) << c.what;
        EXPECT_EQ(plan.area, kPart) << c.what;
        // What the system holds is not known to match the buffer: nothing may be skipped.
        EXPECT_FALSE(plan.onScreen) << c.what;
    }
}

} // namespace
} // namespace kestrana::gfx
