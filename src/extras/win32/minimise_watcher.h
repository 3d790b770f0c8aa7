#pragma once
// The "dockhook32" watcher: the hidden window the hook companion asks before another
// program's window is minimised or restored. It answers at once from the settings and
// the window's facts; when it takes a window over, the flight starts right after the
// answer: the window's image is taken, an animation window shows it in place, the real
// window is made invisible, and a worker paces the frames into the dock item. At the end
// the window is minimised (or restored) for real, with the system's own animation off,
// and made visible again. Every way out of a flight, failures and time-outs included,
// makes the window visible again.

#include "extras/win32/animation_services.h"
#include "gfx/bitmap.h"

#include <windows.h>

#include <memory>

namespace kestrana::extras::win32 {

// Creates the watcher once (later calls only read the settings again). User-interface thread.
bool StartMinimiseWatcher(AnimationServices services) noexcept;
// Ends every flight and shows its window again. Safe from any thread, also in a crash.
void StopMinimiseWatcher() noexcept;

// The image `window` showed when its minimise was animated, while it stays listed; null
// otherwise. Safe from any thread.
[[nodiscard]] std::shared_ptr<const gfx::Bitmap> MinimisedWindowImage(HWND window) noexcept;

} // namespace kestrana::extras::win32
