#include "menubar/accessible_menu_track.h"

namespace kestrana::menubar {

AccessibleOpen AccessibleOpenFor(std::wstring_view menuBarClass) {
    return menuBarClass == kOwlMenuBarClass ? AccessibleOpen::PostShowSubmenu : AccessibleOpen::Invoke;
}

bool IsMenuPopupClass(std::wstring_view className) {
    for (std::wstring_view popup : kMenuPopupClasses)
        if (className == popup) return true;
    return false;
}

void AccessibleMenuTrack::Begin(int title, double nowMs) {
    *this = {};
    m_lit = title;
    m_since = nowMs;
}

AccessibleMenuTrack::Step AccessibleMenuTrack::Tick(int pointerTitle, std::uint64_t popup, double nowMs) {
    Step step;
    if (m_lit < 0) return step;
    if (m_popup == 0) {
        // The old pop-up may linger a moment after a switch; only a new one is the lit title's.
        // An application that re-uses one pop-up window for every menu shows it again, and
        // that is taken once the pick-up time has passed.
        const bool waited = nowMs - m_since >= kAccessiblePickUpMs;
        if (popup != 0 && (popup != m_previous || waited)) {
            m_popup = popup;
            m_previous = 0;
        } else if (waited) {
            End();
            step.litChanged = true;
            return step;
        } else {
            return step;
        }
    } else if (popup == 0) {
        End();
        step.litChanged = true;
        return step;
    } else {
        m_popup = popup; // a sub-menu above it, or back to it
    }
    if (pointerTitle >= 0 && pointerTitle != m_lit) {
        step.open = pointerTitle;
        step.litChanged = true;
        m_previous = m_popup;
        m_popup = 0;
        m_lit = pointerTitle;
        m_since = nowMs;
    }
    return step;
}

} // namespace kestrana::menubar
