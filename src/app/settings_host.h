#pragma once
// The settings window's place in the program: made on the first request (the dock's and
// the menu bar's "preference", a second start, "--settings") and applying each change to
// the running docks and bars. A second start asks the running instance over copy-data.

#include <windows.h>

namespace kestrana::app {

class AppServices;

// Fills the main window's handler that opens the window. After the docks and bars exist.
void WireSettingsWindow(AppServices& services) noexcept;
// Opens (or brings to the front) the settings window. User-interface thread.
void OpenSettingsWindow() noexcept;
// The message loop's dialog keys for the window (Tab, arrows, Enter, Escape).
[[nodiscard]] bool SettingsDialogMessage(MSG& message) noexcept;

// A second start: asks the running instance to open its settings window; true when it
// answered that it did.
bool AskRunningInstanceToOpenSettings() noexcept;

} // namespace kestrana::app
