#pragma once
// The display item's links to real monitors: each physical monitor of a screen through
// its control bus (the high-level monitor configuration calls), and a built-in panel
// through the management instrumentation's brightness class. Made and used only on the
// brightness worker's thread.

#include "menubar/brightness.h"

#include <windows.h>

#include <vector>

namespace kestrana::menubar::win32 {

// One list of links per screen, in the order of `screens`.
[[nodiscard]] std::vector<std::vector<std::unique_ptr<MonitorLink>>> MonitorLinks(const std::vector<HMONITOR>& screens);

} // namespace kestrana::menubar::win32
