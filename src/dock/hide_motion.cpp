#include "dock/hide_motion.h"

namespace kestrana::dock {

void HideMotion::Begin() {
    m_phase = Phase::WaitingForQuiet;
    m_watched = 0;
}

HideStep HideMotion::Step(std::int64_t nowMs, const HideWatchFacts& f) {
    switch (m_phase) {
    case Phase::Idle: return {HideStepAction::Abort, nowMs};

    case Phase::WaitingForQuiet:
        if (f.quitting) {
            m_phase = Phase::Idle;
            return {HideStepAction::Abort, nowMs};
        }
        if (f.menuOpen || f.dragging || f.popupOpen) return {HideStepAction::Wait, nowMs + kQuietPollMs};
        m_phase = Phase::Watching;
        m_watched = 0;
        return {HideStepAction::StartMotion, nowMs + kHideWatchStepMs};

    case Phase::Watching:
        if (f.pointerInside || f.menuOpen || f.quitting || f.edgeChanged) {
            m_phase = Phase::Idle;
            return {HideStepAction::Undo, nowMs};
        }
        if (++m_watched >= kHideWatchSteps) {
            m_phase = Phase::Idle;
            return {HideStepAction::Finish, nowMs};
        }
        return {HideStepAction::Watch, nowMs + kHideWatchStepMs};
    }
    return {HideStepAction::Abort, nowMs};
}

StripWatcher::Result StripWatcher::OnPointer(std::int64_t nowMs, ScreenPoint pointer, bool buttonHeld,
                                             const ScreenRect& strip, DisplayMode mode, bool hidden,
                                             int mouseActSleep) {
    if (!hidden || buttonHeld || !TriggerStripShows(mode) || !strip.Contains(pointer)) return {};
    if (mouseActSleep <= 0) return {Action::Show, 0};
    if (m_pending) return {};
    m_pending = true;
    return {Action::ScheduleCheck, nowMs + static_cast<std::int64_t>(mouseActSleep) * 100};
}

bool StripWatcher::OnCheckDue(ScreenPoint pointer, const ScreenRect& strip, bool hidden) {
    m_pending = false;
    return hidden && strip.Contains(pointer);
}

} // namespace kestrana::dock
