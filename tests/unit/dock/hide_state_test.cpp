// The dock's states between the pointer, magnification and hiding, mode by mode.
#include "dock/hide_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrana::dock {
namespace {

using S = DockState;
using E = DockEvent;
using A = DockAction;

struct Step {
    E event;
    S next;
    A action;
    bool grow = true;   // the animator started a grow on this event
    bool shrink = true; // ... a shrink
};

void Play(DisplayMode mode, S state, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        const DockTransition t = NextDockState(state, s.event, {mode, s.grow, s.shrink});
        ASSERT_EQ(t, (DockTransition{s.next, s.action})) << "mode " << int(mode) << " step " << i;
        state = t.next;
    }
}

TEST(DockStateModes, AutoHideAndHideGoWhenThePointerLeaves) {
    for (DisplayMode mode : {DisplayMode::AutoHide, DisplayMode::Hide}) {
        Play(mode, S::ShownAtRest,
             {{E::PointerEntered, S::Growing, A::StartGrow},
              {E::HideDecided, S::Growing, A::None}, // not from under the pointer
              {E::AnimationDone, S::Magnified, A::Redraw},
              {E::PointerLeft, S::Shrinking, A::StartShrink},
              {E::HideDecided, S::Shrinking, A::None}, // the end of the shrink decides
              {E::AnimationDone, S::Hiding, A::StartHide},
              {E::PointerEntered, S::Hiding, A::None}, // the hide's watch sees it
              {E::HideUndone, S::Showing, A::StartShow},
              {E::ShowDone, S::ShownAtRest, A::Redraw},
              // No magnification and no light: leaving hides at once.
              {E::PointerLeft, S::Hiding, A::StartHide, false, false},
              {E::HideDone, S::Hidden, A::None},
              {E::PointerLeft, S::Hidden, A::None},
              {E::ShowDecided, S::Showing, A::StartShow},
              {E::ShowDone, S::ShownAtRest, A::Redraw}});
    }
}

TEST(DockStateModes, SmartModeAsksTheWindowTestAfterTheShrink) {
    Play(DisplayMode::Smart, S::ShownAtRest,
         {{E::PointerEntered, S::Growing, A::StartGrow},
          {E::PointerLeft, S::Shrinking, A::StartShrink}, // grow cut short
          {E::PointerEntered, S::Growing, A::StartGrow},  // and taken up again
          {E::PointerLeft, S::Shrinking, A::StartShrink},
          {E::AnimationDone, S::ShownAtRest, A::DecideHide},
          {E::HideDecided, S::Hiding, A::StartHide},
          {E::ShowDecided, S::Showing, A::StartShow}, // the window went away meanwhile
          {E::ShowDone, S::ShownAtRest, A::Redraw},
          {E::HideDecided, S::Hiding, A::StartHide},
          {E::HideDone, S::Hidden, A::None},
          {E::HideDecided, S::Hidden, A::None},
          {E::ShowDecided, S::Showing, A::StartShow}});
}

TEST(DockStateModes, ShownModesIgnoreTheDecisionAndTheHotkeyOnlyShows) {
    for (DisplayMode mode : {DisplayMode::Normal, DisplayMode::Bottom, DisplayMode::Always, DisplayMode::AlwaysOnTop,
                             DisplayMode::Desktop}) {
        Play(mode, S::ShownAtRest,
             {{E::HideDecided, S::ShownAtRest, A::None},
              {E::HotkeyPressed, S::ShownAtRest, A::None},
              {E::PointerEntered, S::Growing, A::StartGrow},
              {E::PointerLeft, S::Shrinking, A::StartShrink},
              {E::AnimationDone, S::ShownAtRest, A::Redraw},
              // Effects without magnification: only a redraw for the light.
              {E::PointerEntered, S::ShownAtRest, A::Redraw, false, false},
              {E::PointerLeft, S::Shrinking, A::StartShrink, false, true}});
        // Hidden by a mode it had before: the hotkey brings it back.
        Play(mode, S::Hidden, {{E::HotkeyPressed, S::Showing, A::StartShow}});
    }
}

TEST(DockStateModes, HotkeyModeFlipsOnTheHotkeyOnly) {
    Play(DisplayMode::Hotkey, S::ShownAtRest,
         {{E::HideDecided, S::ShownAtRest, A::None},
          {E::PointerLeft, S::ShownAtRest, A::Redraw, false, false},
          {E::HotkeyPressed, S::Hiding, A::StartHide},
          {E::HideDone, S::Hidden, A::None},
          {E::ShowDecided, S::Showing, A::StartShow},
          {E::HotkeyPressed, S::Hiding, A::StartHide},
          {E::HotkeyPressed, S::Showing, A::StartShow},
          {E::ShowDone, S::ShownAtRest, A::Redraw},
          {E::PointerEntered, S::Growing, A::StartGrow},
          {E::HotkeyPressed, S::Hiding, A::StartHide}});
}

} // namespace
} // namespace kestrana::dock
