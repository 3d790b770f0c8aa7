#pragma once
// Answers screen readers for one surface window through Active Accessibility and UI
// Automation: the window's client object is an IAccessible, and its UI Automation root a
// fragment root, both over the surface's accessible snapshot, built only when a client
// asks (WM_GETOBJECT). The COM objects handed out hold a weak link
// to the host; once the window's owner is gone they answer CO_E_OBJNOTCONNECTED, and ids
// of elements that left the surface answer E_INVALIDARG.

#include "foundation/accessible_surface.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

namespace kestrana::win32 {

struct AccessibleActions {
    // Carries out an element's default action; false when it could not.
    std::function<bool(foundation::AccessibleId)> invoke;
    // Makes a selectable element the selected one of its container (a page of Launchpad);
    // false when it could not. None: a reader cannot select.
    std::function<bool(foundation::AccessibleId)> select{};
    // Gives an element the keyboard when a reader moves its focus there (a notice shown
    // without taking the keyboard); false when it could not. None: focus is not a
    // reader's to move.
    std::function<bool(foundation::AccessibleId)> focus{};
};

class AccessibleHost {
public:
    AccessibleHost(HWND window, foundation::AccessibleSurface::Builder builder, AccessibleActions actions = {});
    ~AccessibleHost();
    AccessibleHost(const AccessibleHost&) = delete;
    AccessibleHost& operator=(const AccessibleHost&) = delete;

    // WM_GETOBJECT: the answer for OBJID_CLIENT, nothing for any other object (the
    // caller passes those on to DefWindowProc).
    [[nodiscard]] std::optional<LRESULT> OnGetObject(WPARAM wParam, LPARAM lParam) noexcept;

    // The surface changed: the next question builds a new snapshot, and readers hear of
    // it (only once one has asked: nobody listens before).
    void Changed() noexcept;
    void ValueChanged(foundation::AccessibleId id) noexcept;
    void FocusChanged(foundation::AccessibleId id) noexcept;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

} // namespace kestrana::win32
