#include "foundation/startup_settings.h"

#include "foundation/crash_dump.h"

#include "foundation/text.h"

#include <algorithm>
#include <cmath>

namespace kestrana::foundation {

namespace {

void Run(const std::function<void()>& hook) {
    if (hook) hook();
}

// Crash dumps are named after the moment of the crash; only today's are kept.
void DeleteOldDumps(FileSystem& files, const std::wstring& baseFolder, const CalendarDate& today) {
    // The same stamp the crash handler puts at the front of a dump's name.
    const auto todayText = DumpDateStamp({today.year, today.month, today.day});
    for (const auto& entry : files.List(baseFolder)) {
        if (entry.isDirectory || !EndsWithIgnoreCase(entry.name, L".dmp")) continue;
        if (entry.name.find(todayText) != std::wstring::npos) continue;
        files.Remove(baseFolder + entry.name);
    }
}

bool SameMonitor(std::wstring_view deviceName, std::wstring_view saved) {
    constexpr std::wstring_view prefix = L"\\\\.\\";
    const auto bare = [&](std::wstring_view name) { return StartsWithIgnoreCase(name, prefix) ? name.substr(prefix.size()) : name; };
    return EqualsIgnoreCase(bare(deviceName), bare(saved));
}

// The monitor named by "lastscreen", else the primary one, else the first.
int ChooseMonitor(const std::vector<MonitorDescription>& monitors, std::wstring_view lastScreen) {
    int index = -1;
    if (!lastScreen.empty()) {
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (SameMonitor(monitors[i].deviceName, lastScreen)) {
                index = static_cast<int>(i);
                break;
            }
        }
    }
    if (index < 0) {
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (monitors[i].primary) {
                index = static_cast<int>(i);
                break;
            }
        }
    }
    if (index < 0 || index >= static_cast<int>(monitors.size())) index = 0;
    return index;
}

int CorrectedBlur(int blur) {
    if (blur == 0) return 30;
    return std::clamp(blur, 3, 100);
}

} // namespace

std::wstring LanguageForDisplay(std::wstring_view localeName) {
    if (localeName.empty()) return {};
    return StartsWithIgnoreCase(localeName, L"zh") && (localeName.size() == 2 || localeName[2] == L'-')
               ? L"Chinese"
               : L"English";
}

std::wstring LanguageForSteam(std::wstring_view steamLanguage) {
    struct Entry {
        const wchar_t* steam;
        const wchar_t* language;
    };
    static constexpr Entry table[] = {
        {L"schinese", L"Chinese"},     {L"tchinese", L"Traditional Chinese"}, {L"dutch", L"Dutch"},
        {L"english", L"English"},      {L"french", L"French"},                {L"german", L"German"},
        {L"italian", L"Italian"},      {L"japanese", L"Japanese"},            {L"koreana", L"Korean"},
        {L"portuguese", L"Portuguese"}, {L"arabic", L"Arabic"},               {L"russian", L"Russian"},
        {L"spanish", L"Spanish"},      {L"ukrainian", L"Ukrainian"},          {L"swedish", L"Swedish"},
        {L"thai", L"Thai"},            {L"brazilian", L"Portuguese Brazilian"}, {L"turkish", L"Turkish"},
        {L"polish", L"Polski"},        {L"bulgarian", L"Bulgarian"},          {L"vietnamese", L"Vietnam"},
        {L"hungarian", L"Hungarian"},
    };
    for (const auto& entry : table) {
        if (steamLanguage == entry.steam) return entry.language;
    }
    return L"English";
}

void ResetSettingsFileAttributes(FileSystem& files, const std::wstring& baseFolder) {
    for (const wchar_t* name : {L"config.ini", L"ico.ini", L"ico_bak.ini", L"padconfig.xml", L"padconfig_desktop.xml",
                                L"padconfig_startmenu.xml"}) {
        const auto path = baseFolder + name;
        if (files.IsFile(path)) files.ResetAttributes(path);
    }
}

std::optional<SunTime> ParseSunTime(std::wstring_view text) {
    const auto colon = text.find(L':');
    if (colon == std::wstring_view::npos || text.find(L':', colon + 1) != std::wstring_view::npos) return std::nullopt;
    return SunTime{ParseInt32(text.substr(0, colon)), ParseInt32(text.substr(colon + 1))};
}

void WriteFirstRunDefaults(ConfigStore& store, std::vector<ConfigStore::Setting> more) {
    // One write for the whole table: a first start waits for one disk sync, not forty.
    std::vector<ConfigStore::Setting> defaults = std::move(more);
    const auto add = [&](const wchar_t* section, std::wstring key, std::wstring value) {
        defaults.push_back(ConfigStore::Setting{section, std::move(key), std::move(value)});
    };
    add(L"normal", L"dockicoeffect", L"1");
    add(L"normal", L"dockicoeffect_bglight", L"50");
    add(L"normal", L"dockicoeffect_icolight", L"50");
    for (const wchar_t* key : {L"accentcolor", L"systemaero", L"jumpicon", L"runicon", L"runicontag", L"showicontag", L"iconmask"}) {
        add(L"normal", key, L"1");
    }
    add(L"normal", L"blurvalue", L"30");
    add(L"normal", L"actbaroffset", L"12");
    add(L"normal", L"actbarheight", L"12");
    add(L"normal", L"actbarwidth", L"400");
    add(L"normal", L"usbdevicenotice", L"1");
    add(L"normal", L"bluetoothdevicenotice", L"1");
    for (const wchar_t* key : {L"enabled", L"control", L"title", L"aeropeek"}) add(L"DWMThumbnail", key, L"1");
    add(L"DWMThumbnail", L"size", L"200");
    add(L"DWMThumbnail", L"delay", L"3");
    add(L"minimize", L"enabled", L"1");
    add(L"minimize", L"effect", L"genie");
    for (const wchar_t* program : {L"qq", L"tim", L"yy", L"aliim", L"aliworkbench", L"dingtalk", L"wechat", L"wechatstore",
                                   L"wxwork", L"discord"}) {
        add(L"MsgTips", std::wstring(program) + L".exe", L"1");
    }
    add(L"brisel", L"ondel", L"1");
    add(L"brisel", L"varlo", L"1");
    for (const wchar_t* key : {L"autocolor", L"findermenu", L"usbdevicenotice"}) add(L"finder", key, L"1");
    add(L"finder", L"bluetoothbattery", L"1");
    store.WriteStrings(defaults);
}

namespace {

// The language: Steam's choice wins and is remembered; otherwise the saved one; with neither, the
// display language.
void ChooseLanguage(ConfigStore& store, const StartupPorts& ports) {
    if (ports.steamLanguage) {
        const auto language = LanguageForSteam(*ports.steamLanguage);
        store.SetCurrentLanguage(language);
        store.WriteString(L"normal", L"language", language);
    }
    if (!store.CurrentLanguage().empty()) return;
    // A line "language=" with nothing after it is a choice too; only a missing key is not.
    constexpr std::wstring_view kAbsent = L"|absent|";
    std::wstring language = store.ReadString(L"normal", L"language", kAbsent);
    if (language == kAbsent) {
        // Nothing chose yet (a fresh install without Steam): speak the user's display
        // language and remember it, so the choice stays put.
        language = LanguageForDisplay(ports.displayLanguage);
        if (language.empty()) language = L"chinese";
        else store.WriteString(L"normal", L"language", language);
    }
    store.SetCurrentLanguage(language);
}

// The interface font, remembered once known.
std::wstring InterfaceFont(ConfigStore& store, const SystemFont& font) {
    std::wstring name = store.ReadString(L"font", L"allfont");
    if (name.empty()) {
        name = font.UiFontName();
        if (!name.empty()) store.WriteString(L"font", L"allfont", name);
    }
    return name;
}

// The accent colour, the bars' monitor and the drawing scale.
void ChooseMonitorAndScale(const ConfigStore& store, const MonitorList& monitorList, StartupSettings& settings) {
    settings.accentColor = store.ReadInt(L"normal", L"accentcolor");
    const auto monitors = monitorList.Monitors();
    settings.monitorIndex = ChooseMonitor(monitors, store.ReadString(L"normal", L"lastscreen"));
    if (!monitors.empty()) {
        const auto& monitor = monitors[static_cast<std::size_t>(settings.monitorIndex)];
        settings.globalScale = monitor.dpiScale < 1.0f ? monitor.recordedScale : monitor.dpiScale;
    }
}

int DefaultIconSize(float scale) { return std::min(static_cast<int>(std::trunc(64.0f * scale)), 256); }
int MaxIconSize(float scale) { return std::min(static_cast<int>(std::trunc(128.0f * scale)), 256); }

// Icon sizes, blur strength within 3..100, the icon mask and the program's
// own folders.
void ReadSizesAndFolders(ConfigStore& store, StartupSettings& settings) {
    if (!store.HasKey(L"normal", L"maxsize") || !store.HasKey(L"normal", L"defaultsize")) {
        store.WriteStrings({{L"normal", L"defaultsize", std::to_wstring(DefaultIconSize(settings.globalScale))},
                            {L"normal", L"maxsize", std::to_wstring(MaxIconSize(settings.globalScale))}});
    }
    settings.defaultSize = store.ReadInt(L"normal", L"defaultsize");
    settings.maxSize = store.ReadInt(L"normal", L"maxsize");

    const int blur = store.ReadInt(L"normal", L"blurvalue");
    settings.blurValue = CorrectedBlur(blur);
    if (settings.blurValue != blur) store.WriteInt(L"normal", L"blurvalue", settings.blurValue);

    settings.iconMask = store.ReadBool(L"normal", L"iconmask");
    FileSystem& files = store.Files();
    for (const wchar_t* folder : {L"png", L"single icon", L"wallpaper"}) {
        if (!files.IsDirectory(store.BaseFolder() + folder)) files.CreateFolder(store.BaseFolder() + folder);
    }
}

// Sun times, flags and the window animations.
void ReadTimesAndAnimations(const ConfigStore& store, StartupSettings& settings) {
    settings.sunrise = ParseSunTime(store.ReadString(L"normal", L"sunrise"));
    settings.sunset = ParseSunTime(store.ReadString(L"normal", L"sunset"));
    settings.rebootWaitGame = store.ReadBool(L"normal", L"rebootwaitgame");
    for (auto [section, animation] : {std::pair{L"WindowsClose", &settings.windowsClose}, std::pair{L"WindowsOpen", &settings.windowsOpen}}) {
        animation->enabled = store.ReadBool(section, L"enable");
        animation->effect = store.ReadInt(section, L"AnimationEffect");
        animation->speed = store.ReadInt(section, L"AnimationSpeed");
    }
    settings.windowsCenter = store.ReadBool(L"normal", L"windowscenter");
    settings.processRecentFiles = store.ReadInt(L"normal", L"ProcessRecentFiles");
}

// Starts the menu bar when it is on, and the minimise watcher unless the bar runs without the dock.
void StartBarAndWatcher(const ConfigStore& store, const StartupHooks& hooks, StartupSettings& settings) {
    if (store.ReadBool(L"brisel", L"Varlo")) {
        Run(hooks.startMenuBar);
        settings.menuBarStarted = true;
        if (store.HasKey(L"brisel", L"Ondel") && store.ReadInt(L"brisel", L"Ondel") == 0) return;
    }
    Run(hooks.startMinimiseWatcher);
    settings.minimiseWatcherStarted = true;
}

// What the choices below would each write when their key is missing (all of them on a first
// start), decided up front so that the start waits for one disk sync: the display
// language, the interface font, the blur strength and the icon sizes for the screen's scale.
std::vector<ConfigStore::Setting> MissingChoices(const ConfigStore& store, const StartupPorts& ports) {
    std::vector<ConfigStore::Setting> choices;
    constexpr std::wstring_view kAbsent = L"|absent|";
    if (!ports.steamLanguage && store.CurrentLanguage().empty() &&
        store.ReadString(L"normal", L"language", kAbsent) == kAbsent) {
        const std::wstring language = LanguageForDisplay(ports.displayLanguage);
        if (!language.empty()) choices.push_back({L"normal", L"language", language});
    }
    if (store.ReadString(L"font", L"allfont").empty()) {
        if (std::wstring font = ports.font.UiFontName(); !font.empty()) choices.push_back({L"font", L"allfont", std::move(font)});
    }
    if (ports.workshopMode) return choices;
    if (const int blur = store.ReadInt(L"normal", L"blurvalue"); CorrectedBlur(blur) != blur)
        choices.push_back({L"normal", L"blurvalue", std::to_wstring(CorrectedBlur(blur))});
    if (!store.HasKey(L"normal", L"maxsize") || !store.HasKey(L"normal", L"defaultsize")) {
        StartupSettings probe;
        ChooseMonitorAndScale(store, ports.monitors, probe);
        choices.push_back({L"normal", L"defaultsize", std::to_wstring(DefaultIconSize(probe.globalScale))});
        choices.push_back({L"normal", L"maxsize", std::to_wstring(MaxIconSize(probe.globalScale))});
    }
    return choices;
}

} // namespace

StartupSettings LoadStartupSettings(ConfigStore& store, const StartupPorts& ports, const StartupHooks& hooks) {
    StartupSettings settings;
    FileSystem& files = store.Files();
    const std::wstring& base = store.BaseFolder();

    // A settings file left read-only or hidden would refuse every write below.
    ResetSettingsFileAttributes(files, base);

    if (hooks.setCurrentDirectory) hooks.setCurrentDirectory(base);
    settings.firstRun = !files.IsFile(base + L"config.ini");
    if (settings.firstRun) WriteFirstRunDefaults(store, MissingChoices(store, ports));
    else if (auto missing = MissingChoices(store, ports); !missing.empty()) store.WriteStrings(missing);
    ChooseLanguage(store, ports);
    settings.language = store.CurrentLanguage();
    DeleteOldDumps(files, base, ports.calendar.Today());
    settings.fontName = InterfaceFont(store, ports.font);
    if (!ports.workshopMode) {
        Run(hooks.updateCompanionFiles);
        if (store.ReadBool(L"normal", L"hidetaskbar")) Run(hooks.hideTaskbar);
    }
    ChooseMonitorAndScale(store, ports.monitors, settings);
    if (ports.workshopMode) {
        settings.workshopMode = true;
        Run(hooks.showWorkshopWindow);
        return settings;
    }
    ReadSizesAndFolders(store, settings);
    // The saved monitor serves one start only.
    store.DeleteKey(L"normal", L"lastscreen");
    ReadTimesAndAnimations(store, settings);
    Run(hooks.registerHotkeyGroups);
    StartBarAndWatcher(store, hooks, settings);
    return settings;
}

} // namespace kestrana::foundation
