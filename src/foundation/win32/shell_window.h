#pragma once
// Every window of the program is created here, on the user-interface thread. A worker
// thread's request is marshalled to the main window and waits for the handle.

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrana::win32 {

struct ShellWindowRequest {
    std::wstring title;
    std::wstring className;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool layered = false;
    bool clickThrough = false; // WS_EX_TRANSPARENT
    bool toolWindow = false;
    bool topmost = false;
    bool noActivate = false;
    HWND owner = nullptr;
    bool noRedirectionBitmap = false;
    bool createOnThisThread = false;
};

// Registers a window class of this module with the arrow cursor; `procedure` null means
// the default procedure. True also when the class was registered before.
bool RegisterWindowClass(std::wstring_view name, WNDPROC procedure, UINT style = CS_HREDRAW | CS_VREDRAW) noexcept;

// Tells the factory which window serves requests from other threads and which thread
// owns the user interface. Called once, when the main window exists.
void SetShellWindowHost(HWND mainWindow, DWORD uiThreadId) noexcept;
[[nodiscard]] HWND ShellWindowHost() noexcept;
[[nodiscard]] DWORD UiThreadId() noexcept;

// Creates the window on the calling thread when it is the user-interface thread (or
// createOnThisThread is set), otherwise on the user-interface thread. Returns null on
// failure, also when the user-interface thread does not answer within 500 ms.
[[nodiscard]] HWND CreateShellWindow(const ShellWindowRequest& request) noexcept;

// The main window's handler for a marshalled request: lParam must be a request block
// that this process issued and still waits for; anything else is refused with 0.
[[nodiscard]] LRESULT ServeShellWindowRequest(LPARAM lParam) noexcept;

// True (once) for a window whose cross-thread request timed out after it was made: the
// worker asks the main window to destroy it again.
[[nodiscard]] bool TakeAbandonedWindow(HWND window) noexcept;

// Keeps a hidden window out of Aero Peek, Flip 3D and window transitions.
void ExcludeFromPeek(HWND window) noexcept;

// Windows 11 would round our popups; the bars draw their own shapes.
void RequestSquareCorners(HWND window) noexcept;

// True for a window of this process (and not null).
[[nodiscard]] bool IsOwnWindow(HWND window) noexcept;

} // namespace kestrana::win32
