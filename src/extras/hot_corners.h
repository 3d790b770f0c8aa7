#pragma once
// Hot corners: which bottom corner of the desktop the pointer stands in, when the test may
// run at all, the quiet time a pointer report waits, the corner remembered between
// reports, and the actions a corner's settings ask for. Everything the Win32 side needs to
// decide is here; it only gathers the facts and carries the plan out.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

struct CornerPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const CornerPoint&, const CornerPoint&) = default;
};

// A monitor's rectangle in virtual-screen pixels; right and bottom are one past the last
// pixel, as the system gives them.
struct MonitorBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] bool Contains(CornerPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

enum class Corner : int { None = 0, BottomLeft = 1, BottomRight = 2 };

inline constexpr int kCornerZone = 4;       // pixels from the monitor's edges
inline constexpr int kNeighbourReach = 10;  // a monitor this close makes a corner an inner one

// The corner the pointer stands in, on the monitor that holds it. With several monitors
// a corner that another monitor meets (within kNeighbourReach pixels of the points just
// outside it) is no edge of the desktop and never counts.
[[nodiscard]] Corner CornerAt(CornerPoint pointer, std::span<const MonitorBox> monitors);

// What the user-interface side knows at the moment of a corner test.
struct CornerFacts {
    bool dockBusy = false;         // the dock is animating or laying out
    bool userLockedOut = false;    // session locked or the secure desktop up
    bool fullScreenApp = false;    // the shell reports a full-screen Direct3D program
    bool dockExists = false;
    bool dockSecondBusy = false;   // the dock's menu or a drag holds it
    bool pointerDockSuspended = false;
    bool buttonHeld = false;       // left or right button down: something is being dragged
    bool launchpadShown = false;
    std::wstring foregroundClass;
};

// False while the corner test must not run. A drag counts only when it comes from a
// file window (a file dragged to a corner to reach a program), never a drag inside some
// other program.
[[nodiscard]] bool CornerTestAllowed(const CornerFacts& facts);

// The quiet time after a pointer report: only the last report of a burst is tested, once
// no newer one came for kSettleMs.
class PointerSettle {
public:
    static constexpr std::int64_t kSettleMs = 100;
    void Report(CornerPoint pointer, std::int64_t nowMs);
    // The position to test, once per report, when the settle time has passed since it.
    [[nodiscard]] std::optional<CornerPoint> Due(std::int64_t nowMs);
    [[nodiscard]] std::uint64_t Reports() const { return m_reports; }
    // Time until the pending report is due, or nullopt when none waits.
    [[nodiscard]] std::optional<std::int64_t> Wait(std::int64_t nowMs) const;

private:
    std::uint64_t m_reports = 0;
    std::uint64_t m_tested = 0;
    CornerPoint m_last;
    std::int64_t m_lastAt = 0;
};

// How often the pointer is looked at. Windows tells no process of pointer moves over
// other programs' windows without a hook in every input, so the position is sampled:
// often while it moves (a corner must answer within its settle time), less often once it
// rests, and rarely while no corner has an action (only to notice one being set).
class PointerWatch {
public:
    static constexpr std::int64_t kMovingMs = 25;
    static constexpr std::int64_t kRestingMs = 100;
    static constexpr std::int64_t kLongRestMs = 250;   // after kLongRestAfterMs without a move
    static constexpr std::int64_t kLongRestAfterMs = 2000;
    static constexpr std::int64_t kNoCornerMs = 1000;
    // A sample at `nowMs`; returns the wait until the next.
    [[nodiscard]] std::int64_t Sampled(bool moved, bool anyCornerAction, std::int64_t nowMs);

private:
    std::int64_t m_lastMoveMs = 0;
};

// The corner in progress between a test and the corner timer.
class CornerTracker {
public:
    enum class TimerStep { Leave, Stop, Restart };
    // The result of a test: a change of corner stops the timer, and starts it again when
    // the new result is a corner.
    [[nodiscard]] TimerStep Observe(Corner result);
    // When the timer fires: the corner to act on, forgotten so that a further move inside
    // the corner arms it again.
    [[nodiscard]] Corner Take();
    [[nodiscard]] Corner Remembered() const { return m_corner; }

private:
    Corner m_corner = Corner::None;
};

enum class CornerAction : int {
    Nothing = 0,
    AllWindows = 1,
    Launchpad = 2,
    DisplaySleep = 3,
    StartMenu = 4,
    ShowDesktop = 5,
    ActionCenter = 6,
    ScreenSaver = 7,
    Widgets = 8,
};
inline constexpr int kLastCornerAction = 8;

// The label of an action: its key in section "hotcorners" of the language file and the
// text used when the language has none.
struct ActionLabel {
    std::wstring_view key;
    std::wstring_view fallback;
};
[[nodiscard]] ActionLabel LabelOf(CornerAction action);

// The settings keys of a corner's three slots, first to third.
[[nodiscard]] std::array<std::wstring_view, 3> SlotKeys(Corner corner);

// The corner's actions from the three raw slot values: the non-zero ones in order,
// stopping at the first 0. A value outside the table is read as 0 and handed to
// `badValue` (slot index and value).
[[nodiscard]] std::vector<CornerAction> ActionsOf(std::span<const int, 3> slots,
                                                  const std::function<void(int slot, int value)>& badValue = {});

// Reads the corner's slots from section "normal"; a bad value is noted in the diagnostic
// log once per key and value for the life of the reader.
class CornerSettingsReader {
public:
    [[nodiscard]] std::vector<CornerAction> Read(const foundation::ConfigStore& store, Corner corner);

private:
    std::set<std::wstring> m_reported;
};

// What the corner timer does with the corner's actions.
struct TimerOutcome {
    enum class Kind { HideChoice, Run, OfferChoice } kind = Kind::HideChoice;
    std::vector<CornerAction> actions; // one to run, or the two or three to offer
};
[[nodiscard]] TimerOutcome DecideOnTimer(std::vector<CornerAction> actions);

// How one action is carried out, as plain steps the Win32 side follows in order.
struct ActionPlan {
    bool runs = false;                  // false: the action does nothing here
    bool activateDesktop = false;       // bring the desktop window forward before the keys
    std::vector<std::uint8_t> keys;     // virtual keys pressed together, then released
    std::wstring uri;                   // opened with the shell
    bool toggleLaunchpad = false;
    bool displayOff = false;            // monitor-power system command, lParam 2
    bool screenSaverNow = false;        // screen-saver time-out set to 1 second
};
[[nodiscard]] ActionPlan PlanAction(CornerAction action, bool windows11);

} // namespace kestrana::extras
