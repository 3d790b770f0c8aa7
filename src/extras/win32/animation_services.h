#pragma once
// What the window animations take from the rest of the program.

#include <functional>

#include <windows.h>

namespace kestrana::foundation {
class ConfigStore;
}
namespace kestrana::dock::win32 {
class DockHost;
}

namespace kestrana::extras::win32 {

struct AnimationServices {
    foundation::ConfigStore* store = nullptr;
    // The docks, when they run (they may start after the animations).
    std::function<dock::win32::DockHost*()> docks{};
    // The stage manager of the window's monitor takes the window (on there, and the
    // window may go into its column); none while it is not running.
    std::function<bool(HWND)> stageManagerTakes{};
};

} // namespace kestrana::extras::win32
