#pragma once
// The dock's settings as plain values, with the defaults and limits each key obeys. The
// rules take these values; only the reader touches the settings file.

#include "dock/display_mode.h"
#include "dock/dock_geometry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// "dockicoeffect": what the pointer does to the icons under it.
enum class IconEffect : std::uint8_t {
    None = 0,
    Scale = 1,          // magnification
    Select = 2,         // a selection look, no magnification
    Light = 3,          // a light behind the icons, the hovered icon lit
    ScaleAndLight = 4,  // magnification with the light and the lit icon
    SelectAndLight = 5, // selection with the light
};

struct EffectTraits {
    bool magnifies = false;      // the grow and shrink animations run
    bool light = false;          // a light is drawn with the two light strengths
    bool litIconOnHover = false; // the hovered icon's picture is brightened
    bool select = false;
};

[[nodiscard]] constexpr EffectTraits TraitsOf(IconEffect effect) {
    switch (effect) {
    case IconEffect::None: return {};
    case IconEffect::Scale: return {true, false, false, false};
    case IconEffect::Select: return {false, false, false, true};
    case IconEffect::Light: return {false, true, true, false};
    case IconEffect::ScaleAndLight: return {true, true, true, false};
    case IconEffect::SelectAndLight: return {false, true, false, true};
    }
    return {};
}

// Brightening factor for the hovered icon's picture; 0 when it is not lit.
[[nodiscard]] float HoverLightFactor(IconEffect effect, int iconLight, bool separator);

enum class MultiScreen : std::uint8_t {
    Named = 0,         // one dock, on the monitor named by "screens"
    FollowPointer = 1, // one dock that moves to the monitor holding the pointer
    PerMonitor = 2,    // one dock per monitor
};

struct DockSettings {
    Edge screenPosition = Edge::Bottom;       // "screenposition"
    MultiScreen multiScreen = MultiScreen::Named; // "multiscreen"
    std::wstring screens;                     // "screens": monitor device name

    int defaultSize = 64;  // "defaultsize" for this monitor, 25-256
    int maxSize = 128;     // "maxsize" for this monitor
    int iconSpace = 0;     // "iconspace", 0-20
    int edgeDistance = 0;  // "edgedistance"

    IconEffect iconEffect = IconEffect::Scale; // "dockicoeffect"
    int backgroundLight = 50;                  // "dockicoeffect_bglight", 0-100
    int iconLight = 50;                        // "dockicoeffect_icolight", 0-100

    DisplayMode displayMode = DisplayMode::Normal; // "displaymode"
    int showHideType = 0;                          // "showhidetype": 1 fade, otherwise slide
    bool showModeWindows = false;                  // "showmodewindows": all processes' windows count
    int mouseActSleep = 0;                         // "mouseactsleep": tenths of a second
    int showActBar = 0;                            // "showactbar", 0-2
    ActivationBarSize actBar;                      // "actbaroffset", "actbarheight", "actbarwidth"

    bool jumpIcon = false;       // "jumpicon"
    bool lockIcon = false;       // "lockicon"
    bool runIcon = false;        // "runicon"
    bool runIconTag = false;     // "runicontag"
    bool runIconLim = false;     // "runicolim"
    bool darkModeSystem = false; // "darkmodesystem"
    bool trayIcoDock = false;    // "trayico_dock"
    bool enableDock = false;     // "themes"/"enable_dock"
};

// The limits, one per key, as the reader applies them.
[[nodiscard]] Edge ScreenPositionFromSetting(int value);
[[nodiscard]] MultiScreen MultiScreenFromSetting(int value);
// The first non-zero of the monitor's and the general value, else 64 at this scale.
[[nodiscard]] int DefaultSizeFrom(int monitorValue, int generalValue, float dpiScale);
// The first non-zero of the monitor's and the general value, else 128 at this scale.
[[nodiscard]] int MaxSizeFrom(int monitorValue, int generalValue, float dpiScale);
[[nodiscard]] int IconSpaceFromSetting(int value);
[[nodiscard]] int EdgeDistanceFromSetting(int value, float dpiScale);
[[nodiscard]] IconEffect IconEffectFromSetting(int value);
[[nodiscard]] int LightStrengthFromSetting(int value);
[[nodiscard]] int ShowHideTypeFromSetting(int value);
[[nodiscard]] bool ShowModeWindowsFromSetting(int value);
[[nodiscard]] int MouseActSleepFromSetting(int value);
[[nodiscard]] int ShowActBarFromSetting(int value);

// Per-monitor keys live in a section named after the monitor's device name without its
// "\\.\" prefix ("DISPLAY1").
[[nodiscard]] std::wstring MonitorSectionName(std::wstring_view deviceName);

// Reads the dock's settings for one monitor from config.ini ("normal", the monitor's own
// section and "themes"). Never writes: keys an older settings file lacks read as their
// defaults, and CompleteDockSettings writes them.
[[nodiscard]] DockSettings ReadDockSettings(const foundation::ConfigStore& store, std::wstring_view monitorDeviceName,
                                            float dpiScale);

// Writes back the defaults an older settings file lacks: the effect and light strengths,
// and the activation bar's three sizes. Once, when the docks are built.
void CompleteDockSettings(foundation::ConfigStore& store);

// With "darkmodesystem" on, the program's dark flag ("normal"/"darkmode") takes the
// system's app mode. True when the flag changed (and was written): the docks must be
// built again to show it.
bool FollowSystemDark(foundation::ConfigStore& store, bool systemDark);

// The settings page's "maxsize": kept both as the general value and for this monitor.
bool WriteMaxSize(foundation::ConfigStore& store, std::wstring_view monitorDeviceName, int value);

} // namespace kestrana::dock
