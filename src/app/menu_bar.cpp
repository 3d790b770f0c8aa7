#include "app/menu_bar.h"

#include "app/app_services.h"
#include "app/lifecycle.h"
#include "app/main_window.h"
#include "app/settings_host.h"
#include "app/stage_host.h"
#include "foundation/diagnostic_log.h"
#include "foundation/process_state.h"
#include "foundation/win32/process_clock.h"
#include "menubar/win32/bar_host.h"

#include <atomic>
#include <map>
#include <memory>

namespace kestrana::app {
namespace {

// Made once and kept until the process ends (shutdown terminates without destructors).
std::atomic<menubar::win32::BarHost*> g_bars{nullptr};

// The screens' corner insets as the corner switch gave them (user-interface thread).
std::map<std::wstring, int>& CornerInsets() {
    static std::map<std::wstring, int> insets;
    return insets;
}

} // namespace

void StartMenuBar(AppServices& services) noexcept {
    try {
        auto* bars = g_bars.load();
        if (!bars) {
            bars = new menubar::win32::BarHost({services.Store(), services.Text(), services.Decoder(),
                                                [] { RestartProgram(nullptr); }, [] { OpenSettingsWindow(); },
                                                [&services](const std::wstring& path) {
                                                    return services.DockItemName(path);
                                                },
                                                [&services] { services.MinuteTasks(); },
                                                [&services] { return services.Battery(); },
                                                {[] { return StageManagerOnUnderPointer(); },
                                                 [] { ToggleStageManagerUnderPointer(); },
                                                 [] { return StageManagerColumn(); },
                                                 [](std::size_t index) { StageManagerChoose(index); }}});
            g_bars.store(bars);
            // The screen corners may have been switched before the bars came.
            for (const auto& [device, inset] : CornerInsets()) bars->SetCornerInset(device, inset);
        }
        if (!bars->Start()) foundation::LogFailure("menu bar", L"no menu bar was made");
        Handlers().stopMenuBar = [] { StopMenuBar(); };
        Handlers().foregroundHint = [bars] { bars->ForegroundHint(); };
        win32::LogStartupStep(L"menu bar started");
    } catch (...) {
        foundation::LogCaught("start-up StartMenuBar");
    }
}

void StopMenuBar() noexcept {
    auto* bars = g_bars.load();
    if (!bars) return;
    try {
        if (::GetCurrentThreadId() == foundation::Process().uiThreadId) bars->Stop();
        else bars->ReleaseScreenSpace();
    } catch (...) {
        // Leaving: the screen space is a courtesy, never a second fault.
    }
}

void MenuBarClockChanged() noexcept {
    try {
        if (auto* bars = g_bars.load()) {
            bars->ClockSettingsChanged();
            bars->LookSettingsChanged();
            bars->MonitorSettingsChanged(); // the bar page also switches the monitor items
        }
    } catch (...) {
        foundation::LogCaught("menu bar clock settings");
    }
}

int MenuBarHeightOn(const std::wstring& deviceName) noexcept {
    auto* bars = g_bars.load();
    try {
        return bars ? bars->HeightOn(deviceName) : 0;
    } catch (...) {
        foundation::LogCaught("menu bar height");
        return 0;
    }
}

void MenuBarSetCornerInset(const std::wstring& deviceName, int inset) noexcept {
    try {
        CornerInsets()[deviceName] = inset;
        if (auto* bars = g_bars.load()) bars->SetCornerInset(deviceName, inset);
    } catch (...) {
        foundation::LogCaught("menu bar corner inset");
    }
}

void MenuBarItemsChanged() noexcept {
    try {
        if (auto* bars = g_bars.load()) bars->RebuildSoon();
    } catch (...) {
        foundation::LogCaught("menu bar items");
    }
}

bool MenuBarStepBrightness(int x, int y, int units) noexcept {
    try {
        if (auto* bars = g_bars.load()) return bars->StepBrightness(POINT{x, y}, units);
    } catch (...) {
        foundation::LogCaught("menu bar brightness");
    }
    return false;
}

bool MenuBarRunning() noexcept { return g_bars.load() != nullptr; }

void MenuBarTakeKeyboard() noexcept {
    try {
        if (auto* bars = g_bars.load()) bars->TakeKeyboard();
    } catch (...) {
        foundation::LogCaught("menu bar keyboard");
    }
}

} // namespace kestrana::app
