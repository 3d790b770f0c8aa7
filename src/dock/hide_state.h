#pragma once
// The states a dock goes through between the pointer, the magnification and hiding, and
// the one function that moves between them. The bar feeds it events and carries out the
// action it returns; the animations and motions themselves live elsewhere.

#include "dock/display_mode.h"

#include <cstdint>

namespace kestrana::dock {

enum class DockState : std::uint8_t {
    ShownAtRest, // on screen, nothing magnified (the pointer may still be over it)
    Growing,     // the magnification rises towards M
    Magnified,   // fully magnified under the pointer
    Shrinking,   // the magnification (and the light) fades back to rest
    Hiding,      // waiting for menus and drags to close, then moving out and watching
    Hidden,      // off screen; the trigger strip and the activation bar remain
    Showing,     // moving back in
};

enum class DockEvent : std::uint8_t {
    PointerEntered,
    PointerLeft,
    AnimationDone, // the grow or shrink reached its end
    HideDecided,   // the hide decision wants the dock out of the way
    ShowDecided,   // the smart decision, the trigger strip or a mode change wants it back
    HotkeyPressed, // the dock hotkey
    HideUndone,    // the watch after the hide motion saw a reason to stay
    HideDone,      // moved out and the watch ran out
    ShowDone,      // moved back in
};

enum class DockAction : std::uint8_t {
    None,
    Redraw,      // the light or the hover changed
    StartGrow,   // run the grow frames
    StartShrink, // run the shrink frames
    StartHide,   // begin the hide motion (it waits for menus and drags first)
    StartShow,   // cancel any hide motion and move the dock back in
    DecideHide,  // run the smart mode's window test now rather than at the next tick
};

struct DockContext {
    DisplayMode mode = DisplayMode::Normal;
    bool growStarted = false;   // the animator started a grow for this event
    bool shrinkStarted = false; // the animator started a shrink (or a light fade)
};

struct DockTransition {
    DockState next = DockState::ShownAtRest;
    DockAction action = DockAction::None;
    bool operator==(const DockTransition&) const = default;
};

// Events that make no sense in a state leave it unchanged with no action. A pointer
// arriving while the dock hides or shows is not remembered here: when ShowDone or
// HideUndone brings the dock back, the bar feeds PointerEntered again if the pointer is
// over it.
[[nodiscard]] DockTransition NextDockState(DockState state, DockEvent event, const DockContext& context);

[[nodiscard]] constexpr bool IsOnScreen(DockState s) {
    return s != DockState::Hidden;
}

} // namespace kestrana::dock
