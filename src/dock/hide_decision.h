#pragma once
// The once-a-second decision whether a dock in the auto-hide, smart or hide mode should go
// or come back, from facts about the other windows that the platform layer gathers.

#include "dock/display_mode.h"
#include "dock/dock_geometry.h"
#include "dock/dockico.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace kestrana::dock {

inline constexpr unsigned kHideTimerId = 9898;
inline constexpr int kHideTimerIntervalMs = 1000;

// What the decision needs to know about one top-level window. The gatherer leaves out the
// dock's own windows.
struct WindowFacts {
    WindowId id = WindowId::None;
    std::wstring className;
    std::uint32_t processId = 0;
    std::uint64_t monitor = 0; // the monitor the window is on, in the gatherer's numbering
    bool visible = false;
    bool cloaked = false;   // hidden by the window manager (another virtual desktop, suspended app)
    bool minimised = false;
    bool maximised = false;
    bool popupStyle = false; // a pop-up window: games, players and full-screen surfaces
    ScreenRect rect;
    ScreenRect rootOwnerRect; // its root owner's rectangle (its own when it has no owner)
};

struct HideContext {
    DisplayMode mode = DisplayMode::Normal;
    bool hidden = false;        // the dock is hidden now
    bool pointerInside = false; // the pointer is over the dock
    std::uint64_t monitor = 0;  // the dock's monitor
    ScreenRect monitorRect;
    ScreenRect dockArea;        // see DockArea()
    bool showModeWindows = false;           // every process's windows count, not just the foreground one
    std::uint32_t foregroundProcessId = 0;
};

enum class HideVerdict : std::uint8_t { Stay, Hide, Show };

// Whether a window can push the dock away in the smart mode.
[[nodiscard]] bool CountsAgainstDock(const WindowFacts& window, const HideContext& context);
[[nodiscard]] HideVerdict DecideHide(const HideContext& context, std::span<const WindowFacts> windows);

// When the timer's tick runs the decision at all.
struct DockActivity {
    bool itemChange = false; // the item list is being changed
    bool buttonHeld = false; // a mouse button is down
    bool dragging = false;
    bool popupOpen = false;  // a menu, preview or stack of this dock
};

class HideTicker {
public:
    // Suppresses the next `ticks` decisions (another part of the dock knows better).
    void SkipNext(int ticks) { m_skip.store(ticks > 0 ? ticks : 0, std::memory_order_relaxed); }
    [[nodiscard]] int Skipping() const { return m_skip.load(std::memory_order_relaxed); }
    // True when this tick should run the decision; a skipped tick uses up one skip.
    bool Tick(const DockActivity& activity);

private:
    std::atomic<int> m_skip{0};
};

} // namespace kestrana::dock
