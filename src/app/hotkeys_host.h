#pragma once
// The global hotkeys in the running program: registered on the main window from the
// settings, renewed after a change on the settings page and when the shell's taskbar
// comes back, and each press carried out. User-interface thread only.

#include "foundation/hotkeys.h"

#include <windows.h>

namespace kestrana::app {

class AppServices;

// Before the settings are loaded: the registrations live on `mainWindow`.
void StartHotkeys(AppServices& services, HWND mainWindow) noexcept;
// After the other features took the taskbar's return: the hotkeys are renewed after them.
void RenewHotkeysWithTaskbar() noexcept;
// The groups start-up registers (taskbar, stage manager, microphone, volume, brightness).
void RegisterStartupHotkeys() noexcept;
// After the docks were built or built again: the dock, Launchpad and border hotkeys.
void RegisterDockHotkeys() noexcept;
// After a change on the settings page: every group, from the settings as they stand.
void RegisterAllHotkeys() noexcept;
// What became of a binding, for the settings page.
[[nodiscard]] foundation::HotkeyStatus HotkeyStatusOf(foundation::HotkeyId id) noexcept;

} // namespace kestrana::app
