#pragma once
// Reading the settings at start-up, after the hidden windows exist and before the message
// loop: first-run defaults, the language, old crash dumps, the interface font, the monitor
// and scale the bars start on, default sizes, blur, the program's folders, sun times and
// the window-animation flags, then the start of the menu bar and the minimise watcher.
// Facts come from small ports; what later features do at their step comes in as hooks.

#include "foundation/config_store.h"
#include "foundation/file_system.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

struct CalendarDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
};

struct MonitorDescription {
    std::wstring deviceName; // as the system names it, e.g. "\\.\DISPLAY1"
    bool primary = false;
    float dpiScale = 1.0f;      // from the monitor's DPI, 96 dpi = 1.0
    float recordedScale = 1.0f; // recorded with the monitor's description; used when the DPI gives less than 1.0
};

class MonitorList {
public:
    virtual ~MonitorList() = default;
    [[nodiscard]] virtual std::vector<MonitorDescription> Monitors() const = 0;
};

class Calendar {
public:
    virtual ~Calendar() = default;
    [[nodiscard]] virtual CalendarDate Today() const = 0;
};

class SystemFont {
public:
    virtual ~SystemFont() = default;
    // The system's default user-interface font, e.g. "Segoe UI"; empty when unknown.
    [[nodiscard]] virtual std::wstring UiFontName() const = 0;
};

struct StartupPorts {
    const MonitorList& monitors;
    const Calendar& calendar;
    const SystemFont& font;
    // The Steam client's current game language, present only when its library started.
    std::optional<std::wstring> steamLanguage;
    // Started by Steam to run the workshop window only: loading stops after the scale.
    bool workshopMode = false;
    // The Windows display language as a locale name ("zh-CN", "en-GB"); empty when unknown.
    std::wstring displayLanguage;
};

// What later features do at their step; an empty hook is skipped.
struct StartupHooks {
    std::function<void(const std::wstring& folder)> setCurrentDirectory;
    std::function<void()> updateCompanionFiles;
    std::function<void()> hideTaskbar;
    std::function<void()> showWorkshopWindow;
    // The taskbar and stage-manager hotkeys, and the volume, microphone and brightness
    // hotkeys of the menu bar's audio item.
    std::function<void()> registerHotkeyGroups;
    std::function<void()> startMenuBar;
    std::function<void()> startMinimiseWatcher;
};

struct SunTime {
    int hour = 0;
    int minute = 0;
    bool operator==(const SunTime&) const = default;
};

struct WindowAnimation {
    bool enabled = false;
    int effect = 0;
    int speed = 0;
};

struct StartupSettings {
    bool firstRun = false;
    std::wstring language;
    std::wstring fontName;
    int accentColor = 0;
    int monitorIndex = 0; // the monitor the bars start on
    float globalScale = 1.0f;
    bool workshopMode = false; // loading stopped after the scale
    int defaultSize = 0;
    int maxSize = 0;
    int blurValue = 0;
    bool iconMask = false;
    std::optional<SunTime> sunrise;
    std::optional<SunTime> sunset;
    bool rebootWaitGame = false;
    WindowAnimation windowsClose;
    WindowAnimation windowsOpen;
    bool windowsCenter = false;
    int processRecentFiles = 0;
    bool menuBarStarted = false;
    bool minimiseWatcherStarted = false;
};

[[nodiscard]] StartupSettings LoadStartupSettings(ConfigStore& store, const StartupPorts& ports, const StartupHooks& hooks);

// The defaults a first run writes to config.ini, with `more` in the same replace.
void WriteFirstRunDefaults(ConfigStore& store, std::vector<ConfigStore::Setting> more = {});

// The language name for a Steam game language ("schinese" -> "Chinese"); "English" for
// one the program has no language for.
[[nodiscard]] std::wstring LanguageForSteam(std::wstring_view steamLanguage);
// The language for a Windows display language: "Chinese" for any Chinese, else "English";
// empty when the display language is unknown.
[[nodiscard]] std::wstring LanguageForDisplay(std::wstring_view localeName);

// Clears read-only, hidden and system flags of the settings and list files that exist.
void ResetSettingsFileAttributes(FileSystem& files, const std::wstring& baseFolder);

// "H:M" as hour and minute; nullopt unless the text splits into exactly two parts.
[[nodiscard]] std::optional<SunTime> ParseSunTime(std::wstring_view text);

} // namespace kestrana::foundation
