#include "extras/win32/window_veil.h"

#include "foundation/diagnostic_log.h"

namespace kestrana::extras::win32 {

bool WindowVeil::Drop(HWND window) noexcept {
    Lift();
    if (!::IsWindow(window)) return false;
    const LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    m_wasLayered = (ex & WS_EX_LAYERED) != 0;
    // A window already layered through its attributes keeps them for later; one that
    // presents its own layered pictures has none and is hidden by a region instead.
    if (!m_wasLayered || ::GetLayeredWindowAttributes(window, &m_key, &m_alpha, &m_flags)) {
        if (!m_wasLayered) ::SetWindowLongPtrW(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        if (::SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA)) {
            m_window = window;
            m_way = Way::Alpha;
            return true;
        }
        if (!m_wasLayered) ::SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
    }
    HRGN own = ::CreateRectRgn(0, 0, 0, 0);
    if (own && ::GetWindowRgn(window, own) == ERROR) {
        ::DeleteObject(own);
        own = nullptr;
    }
    HRGN empty = ::CreateRectRgn(0, 0, 0, 0);
    if (empty && ::SetWindowRgn(window, empty, TRUE)) {
        m_window = window;
        m_way = Way::Region;
        m_region = own;
        return true; // the system owns `empty` now
    }
    if (empty) ::DeleteObject(empty);
    if (own) ::DeleteObject(own);
    foundation::LogFailure("window veil", L"the window could not be hidden");
    return false;
}

void WindowVeil::Lift() noexcept {
    HWND window = m_window;
    if (!window) return;
    m_window = nullptr;
    if (!::IsWindow(window)) {
        if (m_region) ::DeleteObject(m_region);
        m_region = nullptr;
        return;
    }
    if (m_way == Way::Region) {
        if (!::SetWindowRgn(window, m_region, TRUE) && m_region) ::DeleteObject(m_region);
        m_region = nullptr;
        return;
    }
    // A window that set its own layering meanwhile (a new window still setting itself up)
    // keeps it: undoing it would break how it draws.
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (::GetLayeredWindowAttributes(window, &key, &alpha, &flags) && (flags != LWA_ALPHA || alpha != 0)) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
        return;
    }
    if (m_wasLayered) {
        ::SetLayeredWindowAttributes(window, m_key, m_alpha, m_flags);
    } else {
        ::SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
        ::SetWindowLongPtrW(window, GWL_EXSTYLE, ::GetWindowLongPtrW(window, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_LAYERED));
    }
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE);
}

} // namespace kestrana::extras::win32
