#pragma once
// Asks the window manager to blur what lies behind a window: the accent blur of Windows
// 10 and 11 first, the older blur-behind second. False where neither is offered (Wine),
// so the caller keeps its translucent picture alone.

#include <windows.h>

namespace kestrana::gfx {

bool EnableBlurBehind(HWND window) noexcept;

} // namespace kestrana::gfx
