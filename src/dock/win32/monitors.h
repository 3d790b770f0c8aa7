#pragma once
// The monitors as the dock needs them: rectangle, device name, scale and refresh rate.

#include "dock/dock_geometry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrana::dock::win32 {

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

} // namespace kestrana::dock::win32
