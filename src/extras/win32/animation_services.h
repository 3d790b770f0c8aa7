#pragma once
// What the window animations take from the rest of the program.

#include <functional>

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
    std::function<dock::win32::DockHost*()> docks;
};

} // namespace kestrana::extras::win32
