#pragma once
// "About This PC": gathers the machine's facts and shows them in a window of our own,
// one at a time (a second request brings the open one forward).

#include "foundation/config_store.h"
#include "gfx/text_renderer.h"
#include "menubar/system_summary.h"

#include <windows.h>

namespace kestrana::menubar::win32 {

[[nodiscard]] SystemSummary GatherSystemSummary() noexcept;

void ShowAboutWindow(const foundation::ConfigStore& store, gfx::TextRenderer& text, float scale, bool dark,
                     const RECT& screen) noexcept;

} // namespace kestrana::menubar::win32
