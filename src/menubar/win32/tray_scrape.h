#pragma once
// Reads the taskbar's notification toolbars (the visible area and the overflow) across
// the process boundary: each button's record and the tray data behind it are copied out
// of the taskbar's memory through a buffer placed there. Runs on a worker thread.

#include "menubar/tray/tray_list.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace kestrana::menubar::win32 {

// The icons in taskbar order, or nothing when the taskbar cannot be read (the list then
// stays as it was).
[[nodiscard]] std::optional<std::vector<tray::TrayIcon>> ReadTaskbarTray();

// Whether this process can read the memory of the process that owns `toolbar`.
[[nodiscard]] bool ToolbarReadableFromHere(HWND toolbar);

} // namespace kestrana::menubar::win32
