#pragma once
// What the bar asks of the active application's window: the facts its rules decide on,
// the program file's description, the titles of a classic menu bar when they can be read
// from here, and the companion that reaches the window's process. Nothing here sends the
// window a message that could wait on it.

#include "menubar/app_menus.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::menubar::win32 {

[[nodiscard]] ForegroundFacts ReadForegroundFacts(HWND window, HMONITOR barMonitor) noexcept;

// The "FileDescription" of the file's version resource; empty without one.
[[nodiscard]] std::wstring FileDescription(const std::wstring& path) noexcept;

struct MenuBarRead {
    HMENU menu = nullptr;     // the window's classic menu bar; null without one
    bool readable = false;    // its titles could be read from this process
    std::vector<std::wstring> titles; // raw, as the menu holds them
};
// Where menu handles are shared between processes the titles are read here; elsewhere
// only the inside of the application can read them (see MenuHandshake).
[[nodiscard]] MenuBarRead ReadMenuBar(HWND window) noexcept;

// A menu pop-up (classic or XAML) on screen in the window's process; null when none.
// Asks the system only, never the application.
[[nodiscard]] HWND MenuPopupOf(HWND window) noexcept;

// The companion window of the window's bitness; null when none runs.
[[nodiscard]] HWND CompanionFor(HWND window) noexcept;
// Hands request `number` to the companion; false when it could not be posted.
bool AskCompanion(HWND companion, std::uint32_t number) noexcept;

} // namespace kestrana::menubar::win32
