#pragma once
// What the accessible objects of one surface share with its host: the window, the
// snapshot's source and the actions. Objects reach it through a weak link only.

#include "foundation/accessible_surface.h"
#include "foundation/win32/accessible_host.h"

#include <windows.h>

#include <optional>

namespace kestrana::win32 {

struct AccessibleHost::Shared {
    HWND window = nullptr;
    // Emptied when the host goes: the builder reads its owner, which goes with it.
    std::optional<foundation::AccessibleSurface> surface;
    AccessibleActions actions;
    // A client asked at least once: only then are events worth raising.
    bool asked = false;
    // ...and one of them through UI Automation.
    bool askedUia = false;
};

} // namespace kestrana::win32
