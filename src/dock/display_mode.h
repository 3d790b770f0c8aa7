#pragma once
// The dock's display modes ("displaymode" 1-9): whether it hides, what brings it back
// and where it sits in the z-order.

#include <cstdint>
#include <string_view>

namespace kestrana::dock {

enum class DisplayMode : std::uint8_t {
    Normal = 1,      // "displaynormal": always shown, topmost
    Bottom = 2,      // "displaybottom": always shown, not topmost, so windows may cover it
    AutoHide = 3,    // "displayauto": hides whenever the pointer leaves the dock
    Smart = 4,       // "displaysmart": hides while a window covers the dock's area on its monitor
    Always = 5,      // "displayalways": always shown; the hide decision never hides it
    Hotkey = 6,      // "displayhotkey": shown and hidden only by the dock hotkey
    Hide = 7,        // "displayhide": hides as AutoHide does, but the trigger strip does not bring it back
    AlwaysOnTop = 8, // "displayalwaysshow": topmost re-asserted, except during full screen, presentation or quiet time
    Desktop = 9,     // "displaydesktop": just above the desktop, under every other window
};

// Any value outside 1-9 is the normal mode.
[[nodiscard]] DisplayMode DisplayModeFromSetting(int value);
// The mode's key in the settings page's list ("displaynormal" ...).
[[nodiscard]] std::wstring_view DisplayModeKey(DisplayMode mode);

// Modes whose dock hides as soon as the pointer is off it.
[[nodiscard]] constexpr bool HidesWhenPointerLeaves(DisplayMode m) {
    return m == DisplayMode::AutoHide || m == DisplayMode::Hide;
}
// Modes in which the once-a-second hide decision runs.
[[nodiscard]] constexpr bool UsesHideDecision(DisplayMode m) {
    return m == DisplayMode::AutoHide || m == DisplayMode::Smart || m == DisplayMode::Hide;
}
// Whether touching the trigger strip shows a hidden dock.
[[nodiscard]] constexpr bool TriggerStripShows(DisplayMode m) {
    return m != DisplayMode::Hotkey && m != DisplayMode::Hide;
}

enum class ZOrder : std::uint8_t {
    Unchanged,
    Topmost,
    NotTopmost,
    AboveDesktop, // not topmost, directly above the desktop window
};

// What the shell reports about the user's attention (its notification state).
struct ShellAttention {
    bool fullScreen = false;   // a full-screen program or game runs
    bool presentation = false; // presentation mode
    bool quietTime = false;
};

// How the dock windows are placed when they are created or the mode changes.
[[nodiscard]] ZOrder InitialZOrder(DisplayMode mode);
// What to do when the z-order is checked again (foreground changes, a timer): only the
// always-on-top mode takes the top back, and never over a full-screen program.
[[nodiscard]] ZOrder ReassertedZOrder(DisplayMode mode, const ShellAttention& attention);

// Why the settings page refuses a mode: the "settingtips" text key to show, or empty.
[[nodiscard]] std::wstring_view ModeChoiceRefusal(DisplayMode mode, bool dockHotkeySet, bool conflictingOptionOn);

} // namespace kestrana::dock
