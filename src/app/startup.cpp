#include "app/startup.h"

#include "app/app_services.h"
#include "app/hotkeys_host.h"
#include "app/lifecycle.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/settings_host.h"
#include "app/stage_host.h"
#include "app/steam_start.h"
#include "dock/win32/dock_host.h"
#include "dock/win32/dock_window.h"
#include "foundation/win32/system_function.h"
#include "gfx/win32/monitors.h"
#include "extras/win32/hot_corner_host.h"
#include "extras/win32/minimise_watcher.h"
#include "extras/win32/screen_corner_switch.h"
#include "extras/win32/window_entrances.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/startup_settings.h"
#include "foundation/startup_verbs.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/startup_environment.h"
#include "foundation/win32/win32_log_files.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/process_clock.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/system_launch.h"
#include "foundation/win32/unique_handle.h"
#include "foundation/win32/process_start.h"
#include "launchers/pad_rules.h"
#include "launchers/win32/pad_window.h"
#include "themes/theme_files.h"

#include <dwmapi.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <wtsapi32.h>

#include <string>
#include <vector>

namespace kestrana::app {
namespace {

using foundation::Process;
namespace msg = foundation;

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// The argument text of the command line: everything after the program's own name.
std::wstring ArgumentText() {
    const wchar_t* line = ::GetCommandLineW();
    if (!line) return {};
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void EnableDebugPrivilege() noexcept {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return;
    win32::UniqueKernelHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid))
        ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

void ReadWindowsVersion() noexcept {
    auto& process = Process();
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = kestrana::win32::LoadedFunction<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (rtlGetVersion && rtlGetVersion(&info) == 0) {
        process.windowsMajor = info.dwMajorVersion;
        process.windowsBuild = info.dwBuildNumber;
    }
    process.windows11 = foundation::IsWindows11(process.windowsMajor, process.windowsBuild);

    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    const auto isWow64Process2 = kestrana::win32::LoadedFunction<IsWow64Process2Fn>(L"kernel32.dll", "IsWow64Process2");
    if (isWow64Process2 && isWow64Process2(::GetCurrentProcess(), &processMachine, &nativeMachine)) {
        process.windowsArm64 = nativeMachine == IMAGE_FILE_MACHINE_ARM64;
        process.windows64 = nativeMachine == IMAGE_FILE_MACHINE_AMD64 || process.windowsArm64 ||
                            nativeMachine == IMAGE_FILE_MACHINE_IA64;
    } else {
        SYSTEM_INFO system{};
        ::GetNativeSystemInfo(&system);
        process.windows64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                            system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ||
                            system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
        process.windowsArm64 = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
    }
}

// True when the parent process runs this same executable (a restart or an update).
bool StartedByThisProgram() noexcept {
    const DWORD self = ::GetCurrentProcessId();
    win32::UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    DWORD parent = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    if (!parent) return false;
    win32::UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, parent));
    if (!process) return false;
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    return ::QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
           ::lstrcmpiW(image, Process().exePath.c_str()) == 0;
}

void RegisterMessages() noexcept {
    auto& m = Messages();
    UINT* slots[] = {&m.share, &m.shareHwnd, &m.shareTemp, &m.shareMemoryTask, &m.shareKey,
                     &m.hwndMenu, &m.stageManager, &m.tabSwitch, &m.shellHook, &m.taskbarCreated,
                     &m.windowReport};
    static_assert(std::size(slots) == msg::kRegisteredMessageNames.size());
    for (std::size_t i = 0; i < std::size(slots); ++i) {
        const std::wstring name(msg::kRegisteredMessageNames[i]);
        *slots[i] = ::RegisterWindowMessageW(name.c_str());
        if (*slots[i]) ::ChangeWindowMessageFilter(*slots[i], MSGFLT_ADD);
    }
    for (std::uint32_t fixed : msg::kFilteredFixedMessages) ::ChangeWindowMessageFilter(fixed, MSGFLT_ADD);
}

void RegisterClasses(bool workshop) noexcept {
    win32::RegisterWindowClass(workshop ? msg::kWorkshopMainWindowClass : msg::kMainWindowClass, MainWindowProc);
    win32::RegisterWindowClass(msg::kIconHostClass, nullptr);
    win32::RegisterWindowClass(msg::kUnownedIconHostClass, nullptr);
    // Feature windows; each feature's procedure takes over its class when it is built.
    win32::RegisterWindowClass(msg::kStackClass, nullptr);
    win32::RegisterWindowClass(msg::kStageManagerClass, nullptr);
    win32::RegisterWindowClass(msg::kNoticeClass, nullptr);
    // The hot corners' choice is a pop-up menu: the menu registers its class with its own
    // procedure, which a class registered here first would shadow.
    win32::RegisterWindowClass(msg::kAnimationWindowClass, nullptr);
    win32::RegisterWindowClass(msg::kAnimationShadowClass, nullptr);
    if (workshop) win32::RegisterWindowClass(msg::kWorkshopClass, nullptr);
}

HWND CreateMainWindow(bool workshop) noexcept {
    win32::ShellWindowRequest request;
    request.className = std::wstring(workshop ? msg::kWorkshopMainWindowClass : msg::kMainWindowClass);
    request.width = 2;
    request.height = 2;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    request.noRedirectionBitmap = true;
    request.createOnThisThread = true;
    HWND window = win32::CreateShellWindow(request);
    if (!window) return nullptr;
    // The hidden edit child gives the window a text sink for clipboard and IME work.
    ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 20, 1000, 100, window, nullptr, ::GetModuleHandleW(nullptr),
                      nullptr);
    win32::ExcludeFromPeek(window);
    return window;
}

void CreateCloakedIconHost(HWND mainWindow) noexcept {
    HWND host = reinterpret_cast<HWND>(::SendMessageW(mainWindow, msg::kMsgShellWindowRequest, msg::kCreateIconHost, 0));
    if (!host) return;
    ::ShowWindow(host, SW_SHOWNOACTIVATE);
    const BOOL cloak = TRUE;
    ::DwmSetWindowAttribute(host, DWMWA_CLOAK, &cloak, sizeof(cloak));
}

void ReadMainsPower() noexcept {
    SYSTEM_POWER_STATUS status{};
    if (::GetSystemPowerStatus(&status)) Process().onMainsPower.store(status.ACLineStatus != 0);
}

void LoadSettings(AppServices& services, bool workshop) noexcept {
    try {
        const win32::Win32MonitorList monitors;
        const win32::Win32Calendar calendar;
        const win32::Win32SystemFont font;
        foundation::StartupPorts ports{monitors, calendar, font, std::nullopt, workshop, {}};
        wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
        if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), locale, LOCALE_NAME_MAX_LENGTH, 0))
            ports.displayLanguage = locale;
        foundation::StartupHooks hooks;
        hooks.setCurrentDirectory = [](const std::wstring& folder) { win32::SetProcessCurrentDirectory(folder); };
        hooks.updateCompanionFiles = [&services] { services.UpdateCompanionFiles(); };
        hooks.startMenuBar = [&services] { StartMenuBar(services); };
        hooks.registerHotkeyGroups = [] { RegisterStartupHotkeys(); };
        hooks.startMinimiseWatcher = [app = &services] {
            extras::win32::AnimationServices watcher{&app->Store(), [app] { return app->Docks(); },
                                                     [](HWND window) { return StageManagerTakes(window); }};
            if (extras::win32::StartMinimiseWatcher(std::move(watcher)))
                Handlers().stopMinimiseWatcher = extras::win32::StopMinimiseWatcher;
            // Open and close animations start beside it; their stop joins the watcher's.
            if (extras::win32::StartWindowEntrances({&app->Store(), [app] { return app->Docks(); }})) {
                Handlers().windowOpenClose = extras::win32::OnWindowOpenedOrClosed;
                Handlers().stopMinimiseWatcher = [] {
                    extras::win32::StopMinimiseWatcher();
                    extras::win32::StopWindowEntrances();
                };
            }
        };
        services.SetStartup(foundation::LoadStartupSettings(services.Store(), ports, hooks));
    } catch (...) {
        kestrana::foundation::LogCaught("start-up LoadSettings");
        // A broken settings file must not keep the program from running on defaults.
    }
}

void RunMessageLoop() noexcept {
    MSG message{};
    while (!Process().quit.load() || ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        try {
            const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == 0 || got == -1) break;
            if (SettingsDialogMessage(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        } catch (...) {
            kestrana::foundation::LogCaught("start-up RunMessageLoop");
            // A handler that throws loses its message, never the program.
        }
    }
}

void Shutdown() noexcept {
    auto& process = Process();
    process.quit.store(true);
    if (Handlers().hideBars) Handlers().hideBars(); // the docks write "lastscreen" as they go
    StopMenuBar(); // gives the top of the screens back
    // No other program's window may stay hidden behind an unfinished flight.
    if (Handlers().stopMinimiseWatcher) Handlers().stopMinimiseWatcher();
    ReleaseInstanceEvent();
    if (Handlers().showWindowsTaskbar) Handlers().showWindowsTaskbar();
    if (Handlers().endLivePreview) Handlers().endLivePreview();
    // Nothing else is cleaned up: every write is already on disk.
    foundation::FlushDiagnosticLog();
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

} // namespace

namespace {

// The program's folder and working directory come first: every relative file name in the
// settings is relative to it, and the verbs work in it. Then the settings store and the log.
AppServices* OpenProgramFolder() {
    auto& process = Process();
    // Before any window exists, so every window gets its monitor's scale.
    gfx::EnablePerMonitorDpiAwareness();
    process.exePath = ModulePath();
    process.baseFolder = FolderOf(process.exePath);
    ::SetCurrentDirectoryW(process.baseFolder.c_str());
    // Lives until the process ends: shutdown terminates without running destructors.
    auto* services = new AppServices(process.baseFolder);
    SetSettings(&services->Store());
    if (auto log = win32::MakeProgramLog(process.baseFolder)) {
        log->SetDetail(services->Store().ReadInt(L"normal", L"detaillog") == 1);
        foundation::InstallDiagnosticLog(std::move(log));
    }
    win32::LogStartupStep(L"log open");
    return services;
}

// One instance per user session: the event is made unless another instance holds it.
struct InstanceCheck {
    win32::UniqueKernelHandle existing;
    bool other = false;
};

InstanceCheck CheckInstance() {
    const std::wstring eventName(msg::kInstanceEventName);
    InstanceCheck check;
    check.existing.Reset(::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, eventName.c_str()));
    check.other = static_cast<bool>(check.existing);
    if (!check.other) SetInstanceEvent(::CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    return check;
}

// Another instance runs: a Steam launch takes over from it; otherwise the start ends here
// once settings exist. True when this start goes on.
bool TakeOverFromOtherInstance(InstanceCheck& check, bool steamAvailable) {
    auto& process = Process();
    if (steamAvailable && !process.workshopMode.load()) {
        const std::wstring eventName(msg::kInstanceEventName);
        check.existing.Reset(); // our own handle would keep the event alive
        win32::TerminateProcessesOf(process.exePath);
        win32::UniqueKernelHandle still(::OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str()));
        if (still) return false;
        SetInstanceEvent(::CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
        return true;
    }
    return ::GetFileAttributesW((process.baseFolder + L"config.ini").c_str()) == INVALID_FILE_ATTRIBUTES;
}

HWND CreateWindowsOfTheProgram(bool workshop) {
    RegisterClasses(workshop);
    ReadMainsPower();
    HWND mainWindow = CreateMainWindow(workshop);
    if (!mainWindow) return nullptr;
    win32::SetShellWindowHost(mainWindow, Process().uiThreadId);
    // Window events of the shell and lock or unlock of the session reach the main window.
    ::RegisterShellHookWindow(mainWindow);
    ::WTSRegisterSessionNotification(mainWindow, NOTIFY_FOR_THIS_SESSION);
    InstallCrashHandler();
    win32::LogStartupStep(L"main window");
    return mainWindow;
}

void StartDocksAndTheirTimers(AppServices* services, HWND mainWindow) {
    services->StartDocks();
    win32::LogStartupStep(L"docks started");
    services->StartWindowTracking(mainWindow);
    win32::LogStartupStep(L"window tracking started");
    // On the user-interface thread (quitting, restarting) the docks are taken down and
    // write what they keep; from any other thread (a crash) they are only hidden.
    Handlers().hideBars = [services] {
        if (::GetCurrentThreadId() == Process().uiThreadId) services->StopDocks();
        else if (auto* docks = services->Docks()) docks->HideAll();
    };
    Handlers().displayChanged = [services] {
        if (auto* docks = services->Docks()) docks->Rebuild();
        RegisterDockHotkeys(); // the rebuild may have left no dock, or made the first
        if (Handlers().screenCornersChanged) Handlers().screenCornersChanged();
        StageManagerSettingsChanged(); // strips of monitors that left go; the others follow their work area
    };
    Handlers().appModeChanged = [services] { return services->Docks() && services->FollowSystemDark(); };
    Handlers().followPointer = [services] {
        if (auto* docks = services->Docks()) docks->FollowPointer();
    };
    if (services->Docks() && services->Docks()->FollowsPointer()) StartFollowPointerTimer(mainWindow);
    Handlers().everySecond = [services, lastMinute = -1]() mutable {
        // The menu bar's clock runs the minute's tasks; without a bar this timer does.
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        if (!MenuBarRunning() && lastMinute >= 0 && now.wMinute != lastMinute) services->MinuteTasks();
        lastMinute = now.wMinute;
        services->TickWeather();
        if (auto* docks = services->Docks()) docks->UpdateLivePictures();
        services->RetryItemPictures();
    };
    ::SetTimer(mainWindow, kTimerEverySecond, 1000, nullptr);
    Handlers().powerStatusChanged = [services] { services->PowerChanged(); };
    // Each step of the charge, not only the plug and the warning levels: the dock's
    // battery item follows them without a menu bar.
    static constexpr GUID kChargeRemaining{0xa7ad8041, 0xb45a, 0x4cae, {0x87, 0xa3, 0xee, 0xcb, 0xb4, 0x68, 0xa9, 0xe1}};
    struct ChargeNotices {
        HPOWERNOTIFY handle = nullptr;
        ~ChargeNotices() {
            if (handle) ::UnregisterPowerSettingNotification(handle);
        }
    };
    static ChargeNotices notices;
    if (!notices.handle)
        notices.handle = ::RegisterPowerSettingNotification(mainWindow, &kChargeRemaining, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!notices.handle) foundation::LogFailure("battery", "charge changes cannot be followed by the dock");
    // After sleep the forecast is stale; whoever else listens still hears the resume.
    Handlers().powerResumed = [services, before = std::move(Handlers().powerResumed)] {
        if (before) before();
        services->WeatherResumed();
    };
}

// The Launchpad is made on its first request (the dock's item, later hotkeys and hot
// corners) and then only shown and hidden.
using SharedPad = std::shared_ptr<std::unique_ptr<launchers::LaunchpadWindow>>;

SharedPad WireLaunchpad(AppServices* services) {
    auto pad = std::make_shared<std::unique_ptr<launchers::LaunchpadWindow>>();
    Handlers().launchpadRequest = [services, pad](WPARAM, LPARAM effect) {
        if (!*pad) {
            auto dockOn = [services](const std::wstring& device) -> std::optional<launchers::DockBand> {
                auto* docks = services->Docks();
                for (std::size_t i = 0; docks && i < docks->Count(); ++i) {
                    auto* dock = docks->At(i);
                    if (!dock || dock->Monitor().deviceName != device) continue;
                    const auto& model = dock->Bar().Model();
                    return launchers::DockBand{static_cast<launchers::DockSide>(model.GetEdge()), model.Thickness()};
                }
                return std::nullopt;
            };
            auto padIcon = [services](bool dark) -> std::shared_ptr<const gfx::Bitmap> {
                const themes::ThemeFiles theme(services->Files(), services->Store().BaseFolder(), services->ThemeChoices());
                const auto bytes = services->Files().Read(theme.ThemeIconPath(L"pad", dark));
                auto picture = bytes ? services->Decoder().Decode(*bytes, {128, 128}) : std::nullopt;
                return picture ? std::make_shared<const gfx::Bitmap>(std::move(*picture)) : nullptr;
            };
            *pad = std::make_unique<launchers::LaunchpadWindow>(launchers::PadWindowServices{
                services->Store(), services->Text(), services->Jobs(), std::move(dockOn), std::move(padIcon)});
        }
        const int chosen = effect == foundation::kLaunchpadConfiguredEffect
                               ? launchers::ConfiguredEffect(services->Store().ReadInt(L"normal", L"padeffect"))
                               : static_cast<int>(effect);
        foundation::LogDetail("launchpad", "toggled with effect " + std::to_string(chosen));
        (*pad)->Toggle(chosen);
    };
    Handlers().hideLaunchpad = [pad] {
        if (*pad) (*pad)->HideNow();
    };
    // Made again on the next request, it loads the catalogue as it now stands.
    Handlers().reloadLaunchpad = [pad] {
        if (!*pad) return;
        (*pad)->HideNow();
        pad->reset();
    };
    Handlers().launchpadShown = [pad] { return *pad && (*pad)->Shown(); };
    return pad;
}

// Rounded screen corners: every monitor as its setting says, now and whenever the
// monitors change. The corner process draws them; the switch lives until the process ends.
void WireScreenCorners(AppServices* services) {
    extras::win32::ScreenCornerServices corner;
    corner.store = &services->Store();
    corner.baseFolder = Process().baseFolder;
    corner.menuBarInset = [](const std::wstring& device, int inset) { MenuBarSetCornerInset(device, inset); };
    static std::unique_ptr<extras::win32::ScreenCornerSwitch> corners;
    corners = std::make_unique<extras::win32::ScreenCornerSwitch>(std::move(corner));
    Handlers().screenCornersChanged = [] {
        if (corners) corners->ApplyAll();
    };
    corners->ApplyAll();
}

// The bottom corners of the screens run the actions chosen for them. Lives until the
// process ends; the watcher thread stops with it.
void WireHotCorners(AppServices* services, HWND mainWindow, SharedPad pad) {
    extras::win32::HotCornerServices corner;
    corner.mainWindow = mainWindow;
    corner.store = &services->Store();
    corner.text = [services]() -> gfx::TextRenderer& { return services->Text(); };
    corner.windows11 = Process().windows11;
    corner.dockFacts = [services](POINT at) {
        extras::win32::DockCornerFacts facts;
        auto* docks = services->Docks();
        for (std::size_t i = 0; docks && i < docks->Count(); ++i) {
            auto* dock = docks->At(i);
            if (!dock) continue;
            facts.exists = true;
            const dock::DockOpenFacts open = dock->Bar().OpenFacts();
            facts.busy = facts.busy || open.dragging;
            facts.secondBusy = facts.secondBusy || open.menuOpen || open.popupOpen;
            const auto& r = dock->Monitor().rect;
            if (at.x >= r.left && at.x < r.right && at.y >= r.top && at.y < r.bottom) facts.suspended = open.quitting;
        }
        return facts;
    };
    corner.launchpadShown = [pad] { return *pad && (*pad)->Shown(); };
    // The same road as the dock's item: the main window hands the toggle on, with the
    // effect the Launchpad is set to.
    corner.toggleLaunchpad = [mainWindow] {
        ::PostMessageW(mainWindow, msg::kMsgLaunchpadRequest, 1, static_cast<LPARAM>(-1));
    };
    corner.pressKeys = [](std::uint16_t first, std::uint16_t second) { PressKeyChord(first, second); };
    static std::unique_ptr<extras::win32::HotCornerHost> host;
    host = std::make_unique<extras::win32::HotCornerHost>(std::move(corner));
    Handlers().hotCornerPointer = [] {
        if (host) host->PointerSettled();
    };
    Handlers().hotCornerTimer = [] {
        if (host) host->TimerFired();
    };
}

} // namespace

int Run() noexcept {
    win32::MarkProgramEntry();
    auto& process = Process();
    // Kept for the features that return focus to where the user was.
    [[maybe_unused]] HWND foregroundAtStart = ::GetForegroundWindow();
    AppServices* services = OpenProgramFolder();

    const foundation::ParsedCommandLine command = foundation::ParseCommandLine(ArgumentText());
    if (const auto exitCode = RunVerb(command)) return *exitCode;
    EndWorkshopWindow();
    InstanceCheck instance = CheckInstance();

    process.uiThreadId = ::GetCurrentThreadId();
    process.startTimeMs = ::timeGetTime();
    EnableDebugPrivilege();
    ReadWindowsVersion();
    if (!foundation::IsSupportedWindows(process.windowsMajor, process.windowsBuild)) {
        win32::StartWithShell({.file = L"winver"}, "show Windows version");
        ::MessageBoxW(nullptr, L"Windows10 1809 later!", L"", MB_OK);
        return 0;
    }
    RegisterMessages();

    const SteamSession steam = StartSteam();
    process.steamAvailable.store(steam.available);
    if (steam.available && !StartedByThisProgram()) {
        if (!steam.runType.empty()) return RunSteamJob(steam);
        if (RunSteamStartSteps(steam, command.verb == foundation::StartVerb::SteamOffline)) return 0;
    }
    if (instance.other && !TakeOverFromOtherInstance(instance, steam.available)) {
        // Starting the program again is how people look for its settings.
        if (!AskRunningInstanceToOpenSettings())
            foundation::LogFailure("second start", L"the running instance did not open its settings window");
        return 0;
    }

    ::SetDllDirectoryW((process.baseFolder + L"dll\\x64").c_str());
    win32::ComApartment com;
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY, RPC_C_IMP_LEVEL_IMPERSONATE,
                           nullptr, EOAC_NONE, nullptr);

    const bool workshop = process.workshopMode.load();
    HWND mainWindow = CreateWindowsOfTheProgram(workshop);
    if (!mainWindow) return 0;
    if (!workshop) {
        CreateCloakedIconHost(mainWindow);
        StartHotkeys(*services, mainWindow);
    }
    LoadSettings(*services, workshop);
    win32::LogStartupStep(L"settings loaded");
    if (!workshop) {
        StartDocksAndTheirTimers(services, mainWindow);
        SharedPad pad = WireLaunchpad(services);
        RenewHotkeysWithTaskbar();
        RegisterDockHotkeys();
        WireHotCorners(services, mainWindow, std::move(pad));
        WireScreenCorners(services);
        StartStageManager(*services);
        // As administrator from a folder others can change, whoever can change it would run
        // their code with those rights: the helpers refuse to start elevated, and the
        // settings window says why.
        if (kestrana::win32::RunningElevated() &&
            !kestrana::win32::FolderIsAdminOnly(foundation::Process().baseFolder, "program start")) {
            foundation::Process().unsafeElevatedFolder = true;
            foundation::LogFailure("start-up", L"running as administrator from a folder others can change: the helpers "
                                               L"will not start with administrator rights");
        }
        WireSettingsWindow(*services);
        StartCompanionLinkAsync(mainWindow);
        if (command.verb == foundation::StartVerb::OpenSettings) OpenSettingsWindow();
    }
    win32::LogStartupStep(L"message loop");

    RunMessageLoop();
    Shutdown();
    return 0;
}

} // namespace kestrana::app
