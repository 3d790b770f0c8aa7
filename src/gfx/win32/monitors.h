#pragma once
// The monitors as the bars and the Launchpad need them: rectangle, device name, scale
// and refresh rate.

#include "gfx/screen_rect.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrana::gfx {

struct MonitorInfo {
    HMONITOR handle = nullptr;
    std::wstring deviceName; // "\\.\DISPLAY1"
    ScreenRect rect;
    ScreenRect workArea;
    bool primary = false;
    float dpiScale = 1.0f;
    int refreshHz = 60; // 0 or 1 reported by some drivers is taken as 60 later
    int menuBarHeight = 0; // the menu bar across the top, when one is shown there
};

[[nodiscard]] std::vector<MonitorInfo> EnumerateMonitors();

// Asks for per-monitor DPI awareness (version 2 where the system has it, else version 1),
// before any window exists.
void EnablePerMonitorDpiAwareness() noexcept;

} // namespace kestrana::gfx
