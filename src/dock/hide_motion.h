#pragma once
// The timed parts of hiding and showing: the hide motion with its watch that can undo it,
// the trigger strip that brings a hidden dock back, and the activation bar. Each is a
// step function over a millisecond time passed in; the caller does the waiting.

#include "dock/display_mode.h"
#include "dock/dock_geometry.h"
#include "dock/hide_state.h"

#include <cstdint>

namespace kestrana::dock {

inline constexpr int kHideMotionMs = 400;
inline constexpr int kQuietPollMs = 100;
inline constexpr int kHideWatchSteps = 26;
inline constexpr int kHideWatchStepMs = 15;
inline constexpr int kPointerSampleMs = 100;

enum class HideMotionKind : std::uint8_t { Slide, Fade };
// "showhidetype" 1 fades; everything else slides.
[[nodiscard]] constexpr HideMotionKind MotionKindFromSetting(int showHideType) {
    return showHideType == 1 ? HideMotionKind::Fade : HideMotionKind::Slide;
}

struct HideWatchFacts {
    bool menuOpen = false;  // the dock's own menu
    bool dragging = false;
    bool popupOpen = false; // a preview, stack or other pop-up of the dock
    bool pointerInside = false;
    bool quitting = false;
    bool edgeChanged = false; // "screenposition" changed since the hide began
};

enum class HideStepAction : std::uint8_t {
    Wait,        // something of the dock is still open: check again later
    StartMotion, // move the dock out now (slide or fade over 400 ms)
    Watch,       // moving out; check again later
    Undo,        // bring the dock back: feed HideUndone
    Finish,      // the dock is hidden: feed HideDone
    Abort,       // the program is ending before anything moved
};

struct HideStep {
    HideStepAction action = HideStepAction::Wait;
    std::int64_t nextStepMs = 0; // for Wait and Watch
};

class HideMotion {
public:
    void Begin();
    HideStep Step(std::int64_t nowMs, const HideWatchFacts& facts);
    void Cancel() { m_phase = Phase::Idle; }
    [[nodiscard]] bool Active() const { return m_phase != Phase::Idle; }

private:
    enum class Phase : std::uint8_t { Idle, WaitingForQuiet, Watching };
    Phase m_phase = Phase::Idle;
    int m_watched = 0;
};

// Watches the pointer samples of a hidden dock for a touch of the trigger strip.
class StripWatcher {
public:
    enum class Action : std::uint8_t { None, Show, ScheduleCheck };
    struct Result {
        Action action = Action::None;
        std::int64_t checkAtMs = 0; // for ScheduleCheck
    };

    // A pointer sample changed. Shows at once without a delay, else schedules one check
    // (never two at a time).
    Result OnPointer(std::int64_t nowMs, ScreenPoint pointer, bool buttonHeld, const ScreenRect& strip,
                     DisplayMode mode, bool hidden, int mouseActSleep);
    // The scheduled check: show if the pointer is still on the strip.
    bool OnCheckDue(ScreenPoint pointer, const ScreenRect& strip, bool hidden);
    [[nodiscard]] bool Pending() const { return m_pending; }
    void Reset() { m_pending = false; }

private:
    bool m_pending = false;
};

// "showactbar" 1 or 2 marks a hidden dock with its activation bar.
[[nodiscard]] constexpr bool ActivationBarShown(int showActBar, DockState state) {
    return (showActBar == 1 || showActBar == 2) && state == DockState::Hidden;
}

} // namespace kestrana::dock
