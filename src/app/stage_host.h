#pragma once
// The stage manager in the running program: started with the settings, switched by its
// hotkey, the menu-bar item and the settings page, asked by the minimise watcher, and
// told when windows come and go. User-interface thread only.

#include <windows.h>

#include <string>
#include <vector>

namespace kestrana::app {

class AppServices;

void StartStageManager(AppServices& services) noexcept;
// The settings page or the monitors changed: every monitor as its settings now say.
void StageManagerSettingsChanged() noexcept;
// The hotkey and the menu-bar item: the monitor under the pointer switches.
void ToggleStageManagerUnderPointer() noexcept;
[[nodiscard]] bool StageManagerOnUnderPointer() noexcept;
// The minimise watcher's question (wParam 1).
[[nodiscard]] bool StageManagerTakes(HWND window) noexcept;
// The menu-bar item's list of the columns' windows, and a choice from it.
[[nodiscard]] std::vector<std::wstring> StageManagerColumn() noexcept;
void StageManagerChoose(std::size_t index) noexcept;

} // namespace kestrana::app
