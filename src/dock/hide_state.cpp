#include "dock/hide_state.h"

namespace kestrana::dock {

namespace {

// The pointer is off the dock and nothing animates any more: hide if the mode says so.
DockTransition Settled(const DockContext& c) {
    if (HidesWhenPointerLeaves(c.mode)) return {DockState::Hiding, DockAction::StartHide};
    if (c.mode == DisplayMode::Smart) return {DockState::ShownAtRest, DockAction::DecideHide};
    return {DockState::ShownAtRest, DockAction::Redraw};
}

DockTransition Left(const DockContext& c) {
    if (c.shrinkStarted) return {DockState::Shrinking, DockAction::StartShrink};
    return Settled(c);
}

DockTransition Entered(const DockContext& c) {
    if (c.growStarted) return {DockState::Growing, DockAction::StartGrow};
    return {DockState::ShownAtRest, DockAction::Redraw};
}

} // namespace

DockTransition NextDockState(DockState state, DockEvent event, const DockContext& c) {
    const DockTransition stay{state, DockAction::None};
    const bool hotkeyHides = c.mode == DisplayMode::Hotkey;

    switch (state) {
    case DockState::ShownAtRest:
        switch (event) {
        case DockEvent::PointerEntered: return Entered(c);
        case DockEvent::PointerLeft: return Left(c);
        case DockEvent::HideDecided:
            return UsesHideDecision(c.mode) ? DockTransition{DockState::Hiding, DockAction::StartHide} : stay;
        case DockEvent::HotkeyPressed:
            return hotkeyHides ? DockTransition{DockState::Hiding, DockAction::StartHide} : stay;
        default: return stay;
        }

    case DockState::Growing:
    case DockState::Magnified:
        switch (event) {
        case DockEvent::PointerLeft: return Left(c);
        case DockEvent::AnimationDone:
            return state == DockState::Growing ? DockTransition{DockState::Magnified, DockAction::Redraw} : stay;
        case DockEvent::HotkeyPressed:
            return hotkeyHides ? DockTransition{DockState::Hiding, DockAction::StartHide} : stay;
        // The pointer is on the dock: no decision hides it from under the user.
        default: return stay;
        }

    case DockState::Shrinking:
        switch (event) {
        case DockEvent::PointerEntered: return Entered(c);
        case DockEvent::AnimationDone: return Settled(c);
        case DockEvent::HotkeyPressed:
            return hotkeyHides ? DockTransition{DockState::Hiding, DockAction::StartHide} : stay;
        // The end of the shrink decides.
        default: return stay;
        }

    case DockState::Hiding:
        switch (event) {
        case DockEvent::HideDone: return {DockState::Hidden, DockAction::None};
        case DockEvent::HideUndone:
        case DockEvent::ShowDecided:
        case DockEvent::HotkeyPressed: return {DockState::Showing, DockAction::StartShow};
        default: return stay;
        }

    case DockState::Hidden:
        switch (event) {
        case DockEvent::ShowDecided:
        case DockEvent::HotkeyPressed: return {DockState::Showing, DockAction::StartShow};
        default: return stay;
        }

    case DockState::Showing:
        switch (event) {
        case DockEvent::ShowDone: return {DockState::ShownAtRest, DockAction::Redraw};
        case DockEvent::HotkeyPressed:
            return hotkeyHides ? DockTransition{DockState::Hiding, DockAction::StartHide} : stay;
        default: return stay;
        }
    }
    return stay;
}

} // namespace kestrana::dock
