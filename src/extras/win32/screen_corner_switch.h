#pragma once
// The program's side of the rounded screen corners: switches a monitor's caps on and off,
// makes sure the corner process runs, tells it, and tells the menu bar how far to keep
// from the corners. The corner process is started on a worker, which waits for its window
// and then hands it the state of every monitor, so a switch made meanwhile is not lost.

#include "extras/screen_corners.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras::win32 {

struct ScreenCornerServices {
    foundation::ConfigStore* store = nullptr;
    std::wstring baseFolder;   // ends in a backslash
    // The menu bar keeps `inset` pixels from the corners of the screen `device` (0: none).
    std::function<void(const std::wstring& device, int inset)> menuBarInset;
};

class ScreenCornerSwitch {
public:
    explicit ScreenCornerSwitch(ScreenCornerServices services);
    ~ScreenCornerSwitch();
    ScreenCornerSwitch(const ScreenCornerSwitch&) = delete;
    ScreenCornerSwitch& operator=(const ScreenCornerSwitch&) = delete;

    // User-interface thread. An index past the present monitors is ignored.
    void Switch(int index, bool on);
    // At start and after the monitors changed: every monitor as its setting says, and
    // the caps of monitors that went away switched off.
    void ApplyAll();

    // The corner process's window, or null.
    [[nodiscard]] static HWND CornerWindow() noexcept;

private:
    void EnsureProcess();

    ScreenCornerServices m_services;
    ScreenCornerReader m_reader;
    struct Shared {
        std::mutex mutex;
        std::map<int, bool> state; // what the corner process should show, by monitor index
        bool starting = false;
        bool gone = false;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

} // namespace kestrana::extras::win32
