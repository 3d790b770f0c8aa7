#pragma once
// The view of a File Explorer window, reached through the shell's list of its open
// windows: whether it can be commanded at all (and so whether the bar offers the "file"
// and "window" titles), how it is sorted and grouped, and changing that. Every call goes
// to the shell's process and may wait on it, so these run on workers only; each
// initialises COM on its own thread.

#include "menubar/app_menus.h"

#include <windows.h>

#include <optional>

namespace kestrana::menubar::win32 {

// The view's arrangement; nullopt when the window is not in the shell's list or its view
// offers no commands.
[[nodiscard]] std::optional<Arrangement> ReadExplorerView(HWND window) noexcept;

// Gives the view `arrangement`; a sort column of None keeps the view's own column. The
// arrangement the view has afterwards, nullopt when it could not be reached.
[[nodiscard]] std::optional<Arrangement> ArrangeExplorerView(HWND window, const Arrangement& arrangement) noexcept;

// Packs an answer into a message parameter and back: bit 0 set when there is one.
[[nodiscard]] LPARAM PackArrangement(const std::optional<Arrangement>& arrangement) noexcept;
[[nodiscard]] std::optional<Arrangement> UnpackArrangement(LPARAM packed) noexcept;

} // namespace kestrana::menubar::win32
