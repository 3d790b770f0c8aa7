#pragma once
// The system's taskbar window. The menu bar may host a tray window of the taskbar's class
// so that programs send it their icons; that one is ours and is never the taskbar.

#include <windows.h>

namespace kestrana::win32 {

// The first "Shell_TrayWnd" of another process; null without one.
[[nodiscard]] HWND FindTaskbarWindow() noexcept;
[[nodiscard]] bool OfThisProcess(HWND window) noexcept;

} // namespace kestrana::win32
