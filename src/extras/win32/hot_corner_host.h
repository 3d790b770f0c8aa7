#pragma once
// Hot corners on the desktop: a watcher thread notes where the pointer is, the main
// window tests the settled position against the corners, and the corner timer runs the
// corner's action or offers its choice in a pop-up drawn like the program's other menus.

#include "extras/hot_corners.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrana::foundation {
class ConfigStore;
}
namespace kestrana::gfx {
class TextRenderer;
}

namespace kestrana::extras::win32 {

inline constexpr UINT_PTR kCornerTimer = 6;
inline constexpr UINT kCornerTimerMs = 100;
// Posted to the main window by the watcher: a settled position waits to be tested. It
// carries nothing; the position is taken from the watcher.
inline constexpr UINT kMsgCornerPointer = WM_APP + 0x2C6;
inline constexpr wchar_t kChoiceProperty[] = L"KestranaHotCornerptr";

// What the docks can say about themselves at the moment of a test.
struct DockCornerFacts {
    bool exists = false;
    bool busy = false;        // an icon lifted and being dragged
    bool secondBusy = false;  // a menu or pop-up of the dock is open
    bool suspended = false;   // the dock of the pointer's monitor is going away
};

struct HotCornerServices {
    HWND mainWindow = nullptr;
    foundation::ConfigStore* store = nullptr;
    // The text engine is slow to start: it is asked for only when a choice is shown.
    std::function<gfx::TextRenderer&()> text;
    bool windows11 = false;
    std::function<DockCornerFacts(POINT)> dockFacts;
    std::function<bool()> launchpadShown;
    std::function<void()> toggleLaunchpad;
    std::function<void(std::uint16_t, std::uint16_t)> pressKeys;
};

class HotCornerHost {
public:
    explicit HotCornerHost(HotCornerServices services);
    ~HotCornerHost();
    HotCornerHost(const HotCornerHost&) = delete;
    HotCornerHost& operator=(const HotCornerHost&) = delete;

    // The main window's kMsgCornerPointer and timer kCornerTimer (user-interface thread).
    void PointerSettled() noexcept;
    void TimerFired() noexcept;

private:
    void Watch();
    [[nodiscard]] CornerFacts GatherFacts(POINT at) const;
    void Run(CornerAction action) noexcept;
    void OfferChoice(Corner corner, const std::vector<CornerAction>& actions) noexcept;

    HotCornerServices m_services;
    CornerTracker m_tracker;
    CornerSettingsReader m_reader;
    bool m_choiceOpen = false;

    std::mutex m_mutex;
    // Whether a corner has a first action: the pointer is then watched closely.
    [[nodiscard]] bool AnyCornerActs() const;
    std::condition_variable m_wake;
    bool m_stop = false;
    PointerSettle m_settle;  // under m_mutex
    CornerPoint m_settled;   // under m_mutex
    std::thread m_watcher;
};

} // namespace kestrana::extras::win32
