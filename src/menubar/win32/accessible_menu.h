#pragma once
// Menu bars that a window offers only through the accessibility interfaces (no classic
// menu handle), also inside XAML islands and in menu bar windows of their own. Each call
// asks the application's process and may wait on it for as long as it takes, so these
// run on workers only, never on the user-interface thread, and each initialises COM on
// its own thread.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrana::menubar::win32 {

struct AccessibleMenuBar {
    HWND window = nullptr;           // the window whose tree holds the menu bar
    std::vector<std::wstring> titles;
};

// The first menu bar in the window's accessible tree (or in a XAML island's), searched
// to a few levels; nullopt without one.
[[nodiscard]] std::optional<AccessibleMenuBar> FindAccessibleMenuBar(HWND window) noexcept;

// Invokes the title at `index` of the menu bar in `window`'s tree (opening its menu, as
// a click would); false when it is gone or refused.
bool InvokeAccessibleTitle(HWND window, int index) noexcept;

} // namespace kestrana::menubar::win32
