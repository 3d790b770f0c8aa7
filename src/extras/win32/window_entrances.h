#pragma once
// Open and close animations of other programs' windows, driven by the hook's reports to
// the main window (message 50014: lParam 1 a window was created, other values it is
// being destroyed).
//
// Opening: once the new window shows and has drawn itself, its picture is taken, the
// window is made invisible in place and the picture grows into place in an animation
// window; at the end the window itself is made visible again under the last frame. Every
// way out (a failed picture, a stuck worker, the window closing, the program ending)
// makes the window visible again. It is not hidden before it first shows: that would
// change its style while its thread is still creating it, and the system would hold our
// thread until that thread got round to it.
//
// Closing: when the hook reports a window that is still on screen and waits for the
// answer, its picture is copied from the screen and an animation window takes its place
// before the answer goes back; the window then goes and the picture shrinks and fades.

#include "extras/win32/animation_services.h"

#include <windows.h>

namespace kestrana::extras::win32 {

// Once, on the user-interface thread; later calls change nothing.
bool StartWindowEntrances(AnimationServices services) noexcept;
// The main window's 50014. User-interface thread.
void OnWindowOpenedOrClosed(HWND window, bool opened) noexcept;
// Ends every animation and shows its window again. Safe from any thread.
void StopWindowEntrances() noexcept;

} // namespace kestrana::extras::win32
