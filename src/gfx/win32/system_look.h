#pragma once
// What the user asked Windows for that changes how our surfaces look and move: the high
// contrast scheme, whether animations are shown, and the size of text. Read where a
// surface decides its look; the surfaces read again when Windows announces a change.

#include "gfx/contrast.h"

#include <windows.h>

#include <optional>

namespace kestrana::gfx {

// The scheme's colours while high contrast is on; nothing otherwise.
[[nodiscard]] std::optional<ContrastColours> HighContrastColours() noexcept;
// "Show animations in Windows": false when the user turned animations off.
[[nodiscard]] bool SystemAnimations() noexcept;
// "Make text bigger", as a factor from 1 to 2.25.
[[nodiscard]] float TextScale() noexcept;
// The system's app theme is dark ("choose your app mode").
[[nodiscard]] bool AppsUseDarkTheme() noexcept;
// A WM_SETTINGCHANGE that may have changed one of the above.
[[nodiscard]] bool SystemLookChange(WPARAM wParam, LPARAM lParam) noexcept;

} // namespace kestrana::gfx
