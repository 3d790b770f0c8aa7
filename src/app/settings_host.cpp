#include "app/settings_host.h"

#include "app/app_services.h"
#include "app/hotkeys_host.h"
#include "app/lifecycle.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/stage_host.h"
#include "dock/item_backup.h"
#include "dock/win32/dock_host.h"
#include "dock/win32/item_system.h"
#include "gfx/win32/monitors.h"
#include "extras/animation_settings_page.h"
#include "foundation/diagnostic_log.h"
#include "foundation/general_settings_page.h"
#include "foundation/instance_request.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/process_memory.h"
#include "foundation/win32/system_launch.h"
#include "foundation/win32/unique_handle.h"
#include "launchers/catalogue_pack.h"
#include "launchers/launchpad_settings_page.h"
#include "menubar/win32/clock_formatter.h"
#include "settings/backup_settings_page.h"
#include "settings/settings_backup.h"
#include "settings/win32/settings_window.h"
#include "weather/weather_settings_page.h"
#include "weather/win32/winhttp_client.h"

#include <commdlg.h>
#include <shellapi.h>

#include <chrono>
#include <cwchar>
#include <memory>
#include <optional>

namespace kestrana::app {
namespace {

// Made on the first request and kept; closing the window destroys its windows only.
std::unique_ptr<settings::win32::SettingsWindow> g_settings;

settings::PagePorts MakePorts() {
    settings::PagePorts ports;
    ports.autostart = {[] { return win32::ReadAutostart(); },
                       [](foundation::AutostartMode mode) { return win32::WriteAutostart(mode); }};
    ports.monitors = [] {
        std::vector<foundation::Choice> choices;
        for (const auto& monitor : gfx::EnumerateMonitors()) {
            std::wstring name = monitor.deviceName;
            if (name.rfind(L"\\\\.\\", 0) == 0) name.erase(0, 4);
            choices.push_back({monitor.deviceName, {L"", L"", name}});
        }
        return choices;
    };
    ports.clockSample = [](const std::wstring& pattern, bool date) {
        menubar::win32::Win32ClockFormatter formatter;
        const auto now = menubar::win32::LocalNow();
        return (date ? formatter.FormatDate(pattern, now) : formatter.FormatTime(pattern, now)).value_or(pattern);
    };
    ports.windows11 = foundation::Process().windows11;
    // No companion with UI access is shipped with this build: Windows grants UI access only
    // to a signed program in a protected folder.
    ports.uiAccessPossible = [] { return false; };
    ports.unsafeFolder = foundation::Process().unsafeElevatedFolder.load();
    ports.confirm = [](const std::wstring& question) {
        return ::MessageBoxW(::GetActiveWindow(), question.c_str(), L"Kestrana", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    };
    ports.hotkeyStatus = [](foundation::HotkeyId id) { return HotkeyStatusOf(id); };
    return ports;
}

// One set for the window's whole life: the actions read the lists' chosen entries from it.
settings::PagePorts& Ports() {
    static settings::PagePorts ports = MakePorts();
    return ports;
}

void Apply(AppServices& services, foundation::SettingEffect effect) {
    auto* docks = services.Docks();
    switch (effect) {
    case foundation::SettingEffect::Dock:
        if (docks) docks->ApplySettings();
        return;
    case foundation::SettingEffect::DockRebuild:
        if (docks) docks->Rebuild();
        RegisterDockHotkeys(); // a rebuild may leave no dock, or make the first
        return;
    case foundation::SettingEffect::MenuBar: MenuBarClockChanged(); return;
    case foundation::SettingEffect::MenuBarItems: MenuBarItemsChanged(); return;
    case foundation::SettingEffect::Hotkeys: RegisterAllHotkeys(); return;
    case foundation::SettingEffect::ScreenCorners:
        if (Handlers().screenCornersChanged) Handlers().screenCornersChanged();
        return;
    case foundation::SettingEffect::StageManager: StageManagerSettingsChanged(); return;
    case foundation::SettingEffect::None:
    case foundation::SettingEffect::Restart: return; // the page says so and offers the restart
    }
}

// A zip file chosen in the standard open or save dialog (`name`: the name a saved file
// is offered under); nothing when the user cancels.
std::optional<std::wstring> ChooseZipFile(HWND owner, const std::wstring& folder, const wchar_t* filter,
                                          const wchar_t* name = nullptr) {
    std::wstring file(MAX_PATH * 4, L'\0');
    if (name) file.replace(0, std::wcslen(name), name);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.c_str();
    dialog.lpstrDefExt = L"zip";
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const bool chosen = name ? (dialog.Flags |= OFN_OVERWRITEPROMPT, ::GetSaveFileNameW(&dialog))
                             : (dialog.Flags |= OFN_FILEMUSTEXIST, ::GetOpenFileNameW(&dialog));
    if (!chosen) return std::nullopt;
    file.resize(std::wcslen(file.c_str()));
    return file;
}

constexpr wchar_t kBackupFilter[] = L"Kestrana backup (*.zip)\0*.zip\0";
constexpr wchar_t kPackFilter[] = L"Launchpad (pad.zip)\0*.zip\0";

// The Launchpad's and the animations' own actions; nothing when `action` is neither's.
std::optional<std::optional<foundation::TextRef>> ActOnLists(AppServices& services, std::wstring_view action, HWND owner) {
    auto& store = services.Store();
    const auto tip = [](const wchar_t* key, const wchar_t* fallback) {
        return std::optional<foundation::TextRef>(foundation::TextRef{L"settingtips", key, fallback});
    };
    if (action == launchers::kPadExportAction) {
        const auto path = ChooseZipFile(owner, store.BaseFolder(), kPackFilter, launchers::kPackFile);
        if (!path) return std::optional<foundation::TextRef>{};
        if (!launchers::ExportPack(store.Files(), store.BaseFolder(), *path)) {
            foundation::LogFailure("settings window", L"the Launchpad could not be exported to " + *path);
            return tip(L"padexportfailed", L"The Launchpad could not be exported.");
        }
        return tip(L"padexported", L"The Launchpad has been exported.");
    }
    if (action == launchers::kPadImportAction) {
        const auto path = ChooseZipFile(owner, store.BaseFolder(), kPackFilter);
        if (!path) return std::optional<foundation::TextRef>{};
        const auto report = launchers::ImportPack(store.Files(), store.BaseFolder(), *path);
        if (!report.opened || report.written == 0) {
            foundation::LogFailure("settings window", L"nothing could be imported from " + *path);
            return tip(L"padimportfailed", L"This file holds no Launchpad to import. Nothing was changed.");
        }
        if (Handlers().reloadLaunchpad) Handlers().reloadLaunchpad();
        return tip(L"padimported", L"The Launchpad has been imported.");
    }
    if (action == launchers::kPadIncludeAction) {
        if (!launchers::IncludeApplication(store, *Ports().padExcluded)) return tip(L"choosefirst", L"Choose one of the list first.");
        Ports().padExcluded->clear();
        if (Handlers().reloadLaunchpad) Handlers().reloadLaunchpad();
        return std::optional<foundation::TextRef>{};
    }
    if (action == extras::kAnimationIncludeAction) {
        if (!extras::IncludeProgram(store, *Ports().animationExcluded)) return tip(L"choosefirst", L"Choose one of the list first.");
        Ports().animationExcluded->clear();
        return std::optional<foundation::TextRef>{};
    }
    return std::nullopt;
}

std::optional<foundation::TextRef> Act(AppServices& services, std::wstring_view action, HWND owner) {
    auto& store = services.Store();
    const dock::Win32LocalClock clock;
    const auto tip = [](const wchar_t* key, const wchar_t* fallback) {
        return foundation::TextRef{L"settingtips", key, fallback};
    };
    if (action == foundation::kOpenProgramFolderAction) {
        ::ShellExecuteW(owner, L"open", store.BaseFolder().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return std::nullopt;
    }
    if (action == settings::kBackupAction) {
        const auto report = settings::WriteSettingsBackup(store.Files(), store.BaseFolder(), clock.Now());
        if (!report.written) return tip(L"backupfailed", L"The backup could not be saved.");
        if (!report.unreadable.empty())
            return tip(L"backupunreadable", L"The backup has been saved, but some files could not be read and are missing from it.");
        return tip(L"backupsaved", L"The backup has been saved in the backup folder.");
    }
    if (action == settings::kRestoreAction) {
        const auto path = ChooseZipFile(owner, store.BaseFolder() + settings::kBackupFolder, kBackupFilter);
        if (!path) return std::nullopt;
        const auto result = settings::RestoreSettingsBackup(store.Files(), store.BaseFolder(), *path, clock.Now());
        switch (result.outcome) {
        case settings::RestoreOutcome::Restored:
            // The running features hold the old values: start again on the restored files.
            RestartProgram(nullptr);
            return std::nullopt;
        case settings::RestoreOutcome::Refused:
            return tip(L"restorerefused",
                       L"This file is not a Kestrana backup, or it holds files that do not belong in one. Nothing was changed.");
        default: return tip(L"restorefailed", L"The backup could not be restored. Your settings are as they were.");
        }
    }
    if (auto done = ActOnLists(services, action, owner)) return *done;
    if (action == weather::kPlaceSearchAction) {
        // The search waits for the answer (at most the client's 10 s): its results are
        // what the page shows next.
        weather::win32::WinHttpClient http;
        if (weather::RunPlaceSearch(*Ports().placeSearch, http, store, ::GetSystemDefaultLCID() == 2052) == 0)
            return tip(L"weathernoplace", L"No place of that name was found.");
        return tip(L"weatherchoose", L"Choose a place from the list, then use it.");
    }
    if (action == weather::kPlaceUseAction) {
        if (!weather::UseChosenPlace(store, *Ports().placeSearch)) return tip(L"choosefirst", L"Choose one of the list first.");
        return std::nullopt;
    }
    if (action == settings::kItemBackupAction) {
        const auto result = dock::BackupItemList(store, clock);
        return foundation::TextRef{L"", L"", result.message};
    }
    if (action == settings::kItemRestoreAction) {
        if (!dock::RestoreItemList(store)) return tip(L"itemrestorefailed", L"There is no dock item backup to restore.");
        if (auto* docks = services.Docks()) docks->Rebuild(); // the docks load the restored list
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

void WireSettingsWindow(AppServices& services) noexcept {
    Handlers().openSettings = [&services] {
        if (!g_settings) {
            Ports().themeChoices = &services.ThemeChoices();
            Ports().decoder = &services.Decoder();
            g_settings = std::make_unique<settings::win32::SettingsWindow>(settings::win32::WindowServices{
                services.Store(), Ports(), [&services](foundation::SettingEffect effect) { Apply(services, effect); },
                [] { RestartProgram(nullptr); },
                [&services](std::wstring_view action, HWND owner) { return Act(services, action, owner); }});
        }
        // What a request costs: the time until the window has drawn itself, and the memory
        // it adds (given back when it closes, which the window logs).
        const auto began = std::chrono::steady_clock::now();
        const long long before = kestrana::win32::PrivateMemoryKilobytes();
        if (!g_settings->Show()) {
            foundation::LogFailure("settings window", L"could not be shown");
            return;
        }
        if (!foundation::DetailLogging()) return;
        if (HWND shown = ::FindWindowW(settings::win32::kSettingsWindowClass, nullptr)) ::UpdateWindow(shown);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
        const long long after = kestrana::win32::PrivateMemoryKilobytes();
        wchar_t line[160];
        std::swprintf(line, std::size(line), L"shown in %.1f ms; private memory %+lld KB (%lld KB)", ms, after - before,
                      after);
        foundation::LogDetail("settings window", line);
    };
}

void OpenSettingsWindow() noexcept {
    try {
        if (Handlers().openSettings) Handlers().openSettings();
    } catch (...) {
        foundation::LogCaught("settings window open");
    }
}

bool SettingsDialogMessage(MSG& message) noexcept { return settings::win32::SettingsWindow::HandleDialogMessage(message); }

bool AskRunningInstanceToOpenSettings() noexcept {
    try {
        HWND main = ::FindWindowW(std::wstring(foundation::kMainWindowClass).c_str(), nullptr);
        if (!main) return false;
        // The running instance checks the process behind this window before it obeys.
        win32::UniqueWindow sender(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                                     ::GetModuleHandleW(nullptr), nullptr));
        if (!sender) return false;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        // The started program may bring a window to the front; it passes that on.
        if (pid) ::AllowSetForegroundWindow(pid);
        auto record = foundation::EncodeInstanceRequest(foundation::InstanceRequest::OpenSettings);
        COPYDATASTRUCT data{foundation::kInstanceRequestKind, static_cast<DWORD>(record.size()), record.data()};
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(sender.Get()),
                                   reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 3000, &result))
            return false;
        return result == 1;
    } catch (...) {
        foundation::LogCaught("settings action");
        return false;
    }
}

} // namespace kestrana::app
