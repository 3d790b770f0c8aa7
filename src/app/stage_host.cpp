#include "app/stage_host.h"

#include "app/app_services.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "dock/win32/dock_host.h"
#include "dock/win32/dock_window.h"
#include "extras/win32/stage_strip.h"
#include "extras/win32/window_capture.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>
#include <memory>

namespace kestrana::app {
namespace {

std::unique_ptr<extras::win32::StageManager>& Manager() {
    static std::unique_ptr<extras::win32::StageManager> manager;
    return manager;
}

// How much of the monitor's height its dock keeps: the thickness of the dock window there.
int DockLength(AppServices& services, const std::wstring& deviceName) {
    auto* docks = services.Docks();
    for (std::size_t i = 0; docks && i < docks->Count(); ++i) {
        auto* dock = docks->At(i);
        if (!dock || dock->Monitor().deviceName != deviceName) continue;
        RECT r{};
        if (!::GetWindowRect(dock->InputWindow(), &r)) continue;
        return std::min(r.right - r.left, r.bottom - r.top);
    }
    return 0;
}

} // namespace

void StartStageManager(AppServices& services) noexcept {
    try {
        if (!Manager()) {
            extras::win32::StageServices stage;
            stage.store = &services.Store();
            stage.jobs = &services.Jobs();
            stage.text = &services.Text();
            stage.picture = [](HWND window, const RECT& rect, int width, int height) {
                return extras::win32::CaptureWindowThumbnail(window, rect, width, height);
            };
            stage.menuBarHeight = [](const std::wstring& device) { return MenuBarHeightOn(device); };
            stage.dockLength = [&services](const std::wstring& device) { return DockLength(services, device); };
            Manager() = std::make_unique<extras::win32::StageManager>(std::move(stage));
        }
        Manager()->ApplySettings();
        Handlers().stageWindowsChanged = [] {
            if (Manager()) Manager()->WindowsChanged();
        };
    } catch (...) {
        foundation::LogCaught("stage manager start");
    }
}

void StageManagerSettingsChanged() noexcept {
    try {
        if (Manager()) Manager()->ApplySettings();
    } catch (...) {
        foundation::LogCaught("stage manager settings");
    }
}

void ToggleStageManagerUnderPointer() noexcept {
    try {
        if (Manager()) Manager()->ToggleUnderPointer();
    } catch (...) {
        foundation::LogCaught("stage manager toggle");
    }
}

bool StageManagerOnUnderPointer() noexcept {
    try {
        return Manager() && Manager()->IsOnUnderPointer();
    } catch (...) {
        return false;
    }
}

bool StageManagerTakes(HWND window) noexcept {
    try {
        return Manager() && Manager()->Takes(window);
    } catch (...) {
        foundation::LogCaught("stage manager question");
        return false;
    }
}

std::vector<std::wstring> StageManagerColumn() noexcept {
    try {
        return Manager() ? Manager()->ColumnTitles() : std::vector<std::wstring>{};
    } catch (...) {
        return {};
    }
}

void StageManagerChoose(std::size_t index) noexcept {
    try {
        if (Manager()) Manager()->ChooseFromColumns(index);
    } catch (...) {
        foundation::LogCaught("stage manager choice");
    }
}

} // namespace kestrana::app
