#include "foundation/win32/taskbar_window.h"

namespace kestrana::win32 {

bool OfThisProcess(HWND window) noexcept {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid == ::GetCurrentProcessId();
}

HWND FindTaskbarWindow() noexcept {
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"Shell_TrayWnd", nullptr)) != nullptr)
        if (!OfThisProcess(window)) return window;
    return nullptr;
}

} // namespace kestrana::win32
