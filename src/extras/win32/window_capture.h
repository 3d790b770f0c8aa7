#pragma once
// The picture of another program's window, taken just before it flies: the system's
// full-content print of the window, or, when that gives nothing (a window that draws
// only on the screen, or a system that prints other processes' windows blank), the
// screen under the window.

#include "gfx/bitmap.h"

#include <windows.h>

#include <functional>

namespace kestrana::extras::win32 {

// `rect` is the window's visible rectangle on the screen. Empty on failure. Opaque.
[[nodiscard]] gfx::Bitmap CaptureWindowImage(HWND window, const RECT& rect) noexcept;
// A small picture of the window, `width` x `height`, for a thumbnail: the full-size copy
// is scaled down by the system as it is taken. A window whose print once came back
// blank is copied from the screen straight away afterwards. Empty on failure. Opaque.
[[nodiscard]] gfx::Bitmap CaptureWindowThumbnail(HWND window, const RECT& rect, int width, int height) noexcept;
// The screen copy alone (what is seen there, other windows on top included).
[[nodiscard]] gfx::Bitmap CopyScreenImage(const RECT& rect) noexcept;

// Runs `job` (a picture of another program's window) on a capture worker: a print is
// drawn by that window's thread, so one that never answers holds a worker, never the
// user-interface thread, and the workers are few. False when none could take it.
bool RunCaptureJob(std::function<void()> job) noexcept;

// The window's rectangle as seen: without the invisible resize borders where the window
// manager reports them.
[[nodiscard]] RECT VisibleWindowRect(HWND window) noexcept;

} // namespace kestrana::extras::win32
