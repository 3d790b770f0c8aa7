#include "dock/dock_settings.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cmath>

namespace kestrana::dock {

float HoverLightFactor(IconEffect effect, int iconLight, bool separator) {
    if (separator || !TraitsOf(effect).litIconOnHover) return 0.0f;
    return static_cast<float>(LightStrengthFromSetting(iconLight)) / 100.0f;
}

Edge ScreenPositionFromSetting(int value) {
    if (value < 1 || value > 4) return Edge::Bottom;
    return static_cast<Edge>(value);
}

MultiScreen MultiScreenFromSetting(int value) {
    if (value < 0 || value > 2) return MultiScreen::Named;
    return static_cast<MultiScreen>(value);
}

int DefaultSizeFrom(int monitorValue, int generalValue, float dpiScale) {
    int size = monitorValue != 0 ? monitorValue : generalValue;
    if (size == 0) size = static_cast<int>(std::floor(64.0 * (dpiScale > 0 ? dpiScale : 1.0f)));
    return std::clamp(size, kMinIconSize, kMaxMagnifiedSize);
}

int MaxSizeFrom(int monitorValue, int generalValue, float dpiScale) {
    int size = monitorValue != 0 ? monitorValue : generalValue;
    if (size == 0) size = std::min(kMaxMagnifiedSize, static_cast<int>(128.0 * (dpiScale > 0 ? dpiScale : 1.0f)));
    return std::max(0, size);
}

int IconSpaceFromSetting(int value) {
    return std::clamp(value, 0, 20);
}

int EdgeDistanceFromSetting(int value, float dpiScale) {
    const int sunk = Rnd(5.0 * (dpiScale > 0 ? dpiScale : 1.0f) + 0.5);
    return std::clamp(value, -sunk, 200);
}

IconEffect IconEffectFromSetting(int value) {
    if (value < 0 || value > 5) return IconEffect::Scale;
    return static_cast<IconEffect>(value);
}

int LightStrengthFromSetting(int value) {
    return std::clamp(value, 0, 100);
}

int ShowHideTypeFromSetting(int value) {
    return value < 0 || value > 2 ? 0 : value;
}

bool ShowModeWindowsFromSetting(int value) {
    return value == 1;
}

int MouseActSleepFromSetting(int value) {
    return std::max(0, value);
}

int ShowActBarFromSetting(int value) {
    return value < 0 || value > 2 ? 0 : value;
}

std::wstring MonitorSectionName(std::wstring_view deviceName) {
    constexpr std::wstring_view prefix = L"\\\\.\\";
    if (deviceName.substr(0, prefix.size()) == prefix) deviceName.remove_prefix(prefix.size());
    return std::wstring(deviceName);
}

namespace {

constexpr std::wstring_view kNormal = L"normal";

// A setting that is on or non-zero by default: only an absent (or empty) key takes the
// default, so an explicit 0 stays 0.
int ReadIntOr(const foundation::ConfigStore& store, std::wstring_view section, std::wstring_view key, int fallback) {
    return store.HasKey(section, key) ? store.ReadInt(section, key) : fallback;
}

} // namespace

DockSettings ReadDockSettings(const foundation::ConfigStore& store, std::wstring_view monitorDeviceName, float dpiScale) {
    DockSettings s;
    const std::wstring monitor = MonitorSectionName(monitorDeviceName);
    const auto monitorInt = [&](std::wstring_view key) { return monitor.empty() ? 0 : store.ReadInt(monitor, key); };

    s.screenPosition = ScreenPositionFromSetting(store.ReadInt(kNormal, L"screenposition"));
    s.multiScreen = MultiScreenFromSetting(store.ReadInt(kNormal, L"multiscreen"));
    s.screens = store.ReadString(kNormal, L"screens");

    s.defaultSize = DefaultSizeFrom(monitorInt(L"defaultsize"), store.ReadInt(kNormal, L"defaultsize"), dpiScale);
    s.maxSize = MaxSizeFrom(monitorInt(L"maxsize"), store.ReadInt(kNormal, L"maxsize"), dpiScale);
    s.iconSpace = IconSpaceFromSetting(store.ReadInt(kNormal, L"iconspace"));
    s.edgeDistance = EdgeDistanceFromSetting(store.ReadInt(kNormal, L"edgedistance"), dpiScale);

    const DockSettings defaults;
    // A file from before the light effects starts over at magnification.
    s.iconEffect = store.HasKey(kNormal, L"dockicoeffect_bglight")
                       ? IconEffectFromSetting(ReadIntOr(store, kNormal, L"dockicoeffect", static_cast<int>(IconEffect::Scale)))
                       : IconEffect::Scale;
    s.backgroundLight = LightStrengthFromSetting(ReadIntOr(store, kNormal, L"dockicoeffect_bglight", defaults.backgroundLight));
    s.iconLight = LightStrengthFromSetting(ReadIntOr(store, kNormal, L"dockicoeffect_icolight", defaults.iconLight));

    s.displayMode = DisplayModeFromSetting(store.ReadInt(kNormal, L"displaymode"));
    s.showHideType = ShowHideTypeFromSetting(store.ReadInt(kNormal, L"showhidetype"));
    s.showModeWindows = ShowModeWindowsFromSetting(store.ReadInt(kNormal, L"showmodewindows"));
    s.mouseActSleep = MouseActSleepFromSetting(store.ReadInt(kNormal, L"mouseactsleep"));
    s.showActBar = ShowActBarFromSetting(store.ReadInt(kNormal, L"showactbar"));

    if (store.HasKey(kNormal, L"actbaroffset")) {
        s.actBar.offset = std::max(0, store.ReadInt(kNormal, L"actbaroffset"));
        s.actBar.height = std::max(0, ReadIntOr(store, kNormal, L"actbarheight", defaults.actBar.height));
        s.actBar.width = std::max(0, ReadIntOr(store, kNormal, L"actbarwidth", defaults.actBar.width));
    }

    s.jumpIcon = store.ReadBool(kNormal, L"jumpicon");
    s.lockIcon = store.ReadBool(kNormal, L"lockicon");
    s.runIcon = store.ReadBool(kNormal, L"runicon");
    s.runIconTag = store.ReadBool(kNormal, L"runicontag");
    s.runIconLim = store.ReadBool(kNormal, L"runicolim");
    s.darkModeSystem = store.ReadBool(kNormal, L"darkmodesystem");
    s.trayIcoDock = store.ReadBool(kNormal, L"trayico_dock");
    s.enableDock = store.ReadBool(L"themes", L"enable_dock");
    return s;
}

bool FollowSystemDark(foundation::ConfigStore& store, bool systemDark) {
    if (!store.ReadBool(kNormal, L"darkmodesystem")) return false;
    if (store.HasKey(kNormal, L"darkmode") && store.ReadBool(kNormal, L"darkmode") == systemDark) return false;
    if (!systemDark && !store.HasKey(kNormal, L"darkmode")) return false; // absent reads as light already
    return store.WriteBool(kNormal, L"darkmode", systemDark);
}

void CompleteDockSettings(foundation::ConfigStore& store) {
    const DockSettings defaults;
    if (!store.HasKey(kNormal, L"dockicoeffect_bglight")) {
        // A settings file from before the light effects: start from magnification and
        // record the light strengths so this happens once.
        store.WriteInt(kNormal, L"dockicoeffect", static_cast<int>(IconEffect::Scale));
        store.WriteInt(kNormal, L"dockicoeffect_bglight", defaults.backgroundLight);
        if (!store.HasKey(kNormal, L"dockicoeffect_icolight"))
            store.WriteInt(kNormal, L"dockicoeffect_icolight", defaults.iconLight);
    }
    if (!store.HasKey(kNormal, L"actbaroffset")) {
        store.WriteInt(kNormal, L"actbaroffset", defaults.actBar.offset);
        store.WriteInt(kNormal, L"actbarheight", defaults.actBar.height);
        store.WriteInt(kNormal, L"actbarwidth", defaults.actBar.width);
    }
}

bool WriteMaxSize(foundation::ConfigStore& store, std::wstring_view monitorDeviceName, int value) {
    bool written = store.WriteInt(kNormal, L"maxsize", value);
    const std::wstring monitor = MonitorSectionName(monitorDeviceName);
    if (!monitor.empty()) written = store.WriteInt(monitor, L"maxsize", value) && written;
    return written;
}

} // namespace kestrana::dock
