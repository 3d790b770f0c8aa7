#include "app/steam_start.h"

#include "app/app_services.h"
#include "app/lifecycle.h"
#include "foundation/process_state.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/system_launch.h"
#include "foundation/win32/process_start.h"

#include <shellapi.h>

namespace kestrana::app {

SteamSession StartSteam() noexcept {
    // The program is built without the Steam client library.
    return {};
}

int RunSteamJob(const SteamSession&) noexcept { return 0; }

bool RunSteamStartSteps(const SteamSession& steam, bool steamOffline) noexcept {
    if (!steam.available) return false;
    auto* settings = Settings();
    if (!settings) return false;
    const auto& process = foundation::Process();
    // The installer runs with this process's rights.
    const auto update = foundation::CheckDownloadedUpdate(
        settings->Files(), process.baseFolder, process.exePath,
        [](const std::wstring& download) { return win32::MayInstallUpdateFile(download, win32::IsElevated()); });
    if (update == foundation::PendingUpdate::HandOver) {
        // The installer replaces the running program and starts it again.
        const std::wstring installer = process.baseFolder + L"temp_64.exe";
        win32::StartWithShell({.file = installer.c_str(), .folder = process.baseFolder.c_str()}, "start update");
        return true;
    }
    if (steamOffline) {
        RestartProgram(nullptr);
        return true;
    }
    return false;
}

} // namespace kestrana::app
