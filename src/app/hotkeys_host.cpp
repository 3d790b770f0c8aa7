#include "app/hotkeys_host.h"

#include "app/app_services.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/stage_host.h"
#include "dock/win32/dock_host.h"
#include "dock/win32/item_actions.h"
#include "foundation/diagnostic_log.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/brightness.h"
#include "menubar/win32/monitor_brightness.h"
#include "menubar/win32/system_actions.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kestrana::app {
namespace {

using foundation::HotkeyAction;
using foundation::HotkeyGroup;
using foundation::HotkeyId;

class Win32HotkeyPort final : public foundation::HotkeyPort {
public:
    explicit Win32HotkeyPort(HWND window) : m_window(window) {}
    bool Register(HotkeyId id, int modifiers, int key) override {
        return ::RegisterHotKey(m_window, static_cast<int>(id), static_cast<UINT>(modifiers), static_cast<UINT>(key)) !=
               FALSE;
    }
    void Unregister(HotkeyId id) override { ::UnregisterHotKey(m_window, static_cast<int>(id)); }

private:
    HWND m_window;
};

struct HotkeyHost {
    HotkeyHost(AppServices& s, HWND window) : services(s), mainWindow(window), port(window), registrar(s.Store(), port) {}
    AppServices& services;
    HWND mainWindow;
    Win32HotkeyPort port;
    foundation::HotkeyRegistrar registrar;
    foundation::HotkeyDispatcher dispatcher;
    // The brightness keys without the menu bar's display item: a worker of our own over
    // the monitors it was made for.
    std::shared_ptr<menubar::BrightnessWorker> brightness;
    std::vector<HMONITOR> brightnessScreens;
};

// Made once at start and kept until the process ends.
HotkeyHost* g_host = nullptr;

bool OnUiThread() { return ::GetCurrentThreadId() == foundation::Process().uiThreadId; }

// The dock of the primary monitor, or the only one.
dock::win32::DockWindow* PrimaryDock(AppServices& services) {
    auto* docks = services.Docks();
    for (std::size_t i = 0; docks && i < docks->Count(); ++i) {
        auto* dock = docks->At(i);
        if (dock && (dock->Monitor().primary || docks->Count() == 1)) return dock;
    }
    return nullptr;
}

bool DockExists(AppServices& services) { return services.Docks() && services.Docks()->Count() > 0; }

// The default recording device's level (0..100) stepped, or its mute flipped.
void ChangeMicrophone(int step, bool toggleMute) noexcept {
    try {
        kestrana::win32::ComApartment com(COINIT_MULTITHREADED);
        Microsoft::WRL::ComPtr<IMMDeviceEnumerator> devices;
        Microsoft::WRL::ComPtr<IMMDevice> device;
        Microsoft::WRL::ComPtr<IAudioEndpointVolume> volume;
        if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                      reinterpret_cast<void**>(devices.GetAddressOf()))) ||
            FAILED(devices->GetDefaultAudioEndpoint(eCapture, eConsole, device.GetAddressOf())) ||
            FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                    reinterpret_cast<void**>(volume.GetAddressOf())))) {
            foundation::LogFailure("hotkeys", L"no recording device to change");
            return;
        }
        if (toggleMute) {
            BOOL muted = FALSE;
            if (FAILED(volume->GetMute(&muted)) || FAILED(volume->SetMute(!muted, nullptr)))
                foundation::LogFailure("hotkeys", L"the microphone's mute could not be changed");
            return;
        }
        float level = 0.0f;
        if (FAILED(volume->GetMasterVolumeLevelScalar(&level))) {
            foundation::LogFailure("hotkeys", L"the microphone's level could not be read");
            return;
        }
        const int now = static_cast<int>(std::lround(level * 100.0f));
        const int next = foundation::SteppedMicrophoneLevel(now, step);
        if (next != now && FAILED(volume->SetMasterVolumeLevelScalar(static_cast<float>(next) / 100.0f, nullptr)))
            foundation::LogFailure("hotkeys", L"the microphone's level could not be set");
    } catch (...) {
        foundation::LogCaught("hotkeys microphone");
    }
}

void RunOnJobs(AppServices& services, const char* what, std::function<void()> work) {
    if (!services.Jobs().Run([work = std::move(work)](const foundation::JobContext&) { work(); }))
        foundation::LogFailure("hotkeys", std::string(what) + ": every worker is busy, the press is dropped");
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
    return TRUE;
}

// Lets go of the worker on a job: its thread may be inside a slow monitor call.
void DropBrightness(HotkeyHost& host) {
    if (!host.brightness) return;
    RunOnJobs(host.services, "brightness worker's end", [worker = std::move(host.brightness)]() mutable { worker.reset(); });
    host.brightness.reset();
    host.brightnessScreens.clear();
}

// The screen under the pointer steps; monitor buses are slow, so it is all on a worker.
void StepBrightness(HotkeyHost& host, int units) {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    if (MenuBarStepBrightness(pointer.x, pointer.y, units)) {
        // The display item's worker caches the monitors now: a second cache would go stale.
        DropBrightness(host);
        return;
    }
    std::vector<HMONITOR> screens;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&screens));
    if (screens != host.brightnessScreens) DropBrightness(host);
    if (!host.brightness) {
        host.brightnessScreens = screens;
        host.brightness = std::make_shared<menubar::BrightnessWorker>(
            [screens] { return menubar::win32::MonitorLinks(screens); }, [] {},
            [] { return std::make_shared<kestrana::win32::ComApartment>(COINIT_MULTITHREADED); });
    }
    const HMONITOR under = ::MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
    const auto found = std::find(screens.begin(), screens.end(), under);
    const std::size_t screen = found == screens.end() ? 0 : static_cast<std::size_t>(found - screens.begin());
    host.brightness->Step(screen, units, [] { menubar::win32::ShowBrightnessIndicator(); });
}

void Carry(HotkeyHost& host, const foundation::HotkeyChoice& choice) {
    AppServices& services = host.services;
    auto* docks = services.Docks();
    switch (choice.action) {
    case HotkeyAction::None: return;
    case HotkeyAction::FlipDockHidden:
    case HotkeyAction::ShowDock:
        // The dock's own states flip it in the hotkey mode and bring it into view otherwise.
        if (docks) docks->HotkeyPressed();
        return;
    case HotkeyAction::ToggleLaunchpad:
        // Queued, so the press returns at once; the main window owns the Launchpad.
        ::PostMessageW(host.mainWindow, foundation::kMsgLaunchpadRequest, 1, foundation::kLaunchpadConfiguredEffect);
        return;
    case HotkeyAction::PressVolumeKey: {
        const auto key = static_cast<std::uint16_t>(choice.key);
        RunOnJobs(services, "volume key", [key] { dock::win32::PressKeys(DockSpecialServices(), key, 0); });
        return;
    }
    case HotkeyAction::StepBrightness: StepBrightness(host, choice.step); return;
    case HotkeyAction::StepMicrophone:
    case HotkeyAction::ToggleMicrophoneMute: {
        const int step = choice.step;
        const bool mute = choice.action == HotkeyAction::ToggleMicrophoneMute;
        RunOnJobs(services, "microphone", [step, mute] { ChangeMicrophone(step, mute); });
        return;
    }
    case HotkeyAction::BorderOn:
    case HotkeyAction::BorderOff: {
        auto& store = services.Store();
        const bool written = choice.action == HotkeyAction::BorderOn ? store.WriteBool(L"normal", L"border", true)
                                                                     : store.DeleteKey(L"normal", L"border");
        if (!written) foundation::LogFailure("hotkeys", L"the dock border could not be saved");
        // The settings window's check box follows on its own refresh.
        if (docks) docks->ApplySettings();
        return;
    }
    case HotkeyAction::FocusDock:
        if (auto* dock = PrimaryDock(services)) dock->TakeKeyboard();
        return;
    case HotkeyAction::FocusBar: MenuBarTakeKeyboard(); return;
    case HotkeyAction::ToggleStageManager: ToggleStageManagerUnderPointer(); return;
    case HotkeyAction::ToggleTaskbar:
        menubar::win32::SetTaskbarShown(menubar::win32::TaskbarHidden());
        return;
    }
}

void OnHotkey(int id) {
    if (!g_host) return;
    HotkeyHost& host = *g_host;
    // Any program can post this message: only a binding we hold is acted on.
    if (!foundation::FindHotkey(id) ||
        host.registrar.Status(static_cast<HotkeyId>(id)) != foundation::HotkeyStatus::Registered) {
        foundation::LogFailure("hotkeys", "a hotkey message for " + std::to_string(id) + ", which is not registered, is ignored");
        return;
    }
    foundation::HotkeyFacts facts;
    if (auto* dock = PrimaryDock(host.services)) {
        facts.dockDisplayMode = static_cast<int>(dock->Bar().Model().Settings().displayMode);
        facts.dockBorder = host.services.Store().ReadBool(L"normal", L"border");
    }
    facts.launchpadShown = Handlers().launchpadShown && Handlers().launchpadShown();
    facts.menuBarRunning = MenuBarRunning();
    facts.barsRunning = DockExists(host.services) || facts.menuBarRunning;
    facts.mainWindowVisible = ::IsWindowVisible(host.mainWindow) != FALSE;
    const auto choice = host.dispatcher.Choose(id, facts, static_cast<std::int64_t>(::GetTickCount64()));
    foundation::LogDetail("hotkeys", "hotkey " + std::to_string(id) + " pressed, action " +
                                         std::to_string(static_cast<int>(choice.action)));
    Carry(host, choice);
}

template <std::size_t N>
void Register(const std::array<HotkeyGroup, N>& groups) noexcept {
    try {
        if (!g_host || !OnUiThread()) return;
        auto& registrar = g_host->registrar;
        registrar.SetDockExists(DockExists(g_host->services));
        std::vector<foundation::HotkeyStatus> before;
        for (const auto& keys : foundation::AllHotkeys()) before.push_back(registrar.Status(keys.id));
        registrar.RegisterGroups(groups);
        // A binding that comes or goes is worth a line when looking into a missing hotkey.
        std::size_t i = 0;
        for (const auto& keys : foundation::AllHotkeys()) {
            const auto now = registrar.Status(keys.id);
            if (now != before[i++])
                foundation::LogDetail("hotkeys", "hotkey " + std::to_string(static_cast<int>(keys.id)) + " is now " +
                                                     std::to_string(static_cast<int>(now)));
        }
    } catch (...) {
        foundation::LogCaught("hotkeys register");
    }
}

} // namespace

void StartHotkeys(AppServices& services, HWND mainWindow) noexcept {
    try {
        if (g_host || !mainWindow) return;
        g_host = new HotkeyHost(services, mainWindow); // lives until the process ends
        Handlers().hotkey = [](int id) { OnHotkey(id); };
    } catch (...) {
        foundation::LogCaught("hotkeys start");
    }
}

void RenewHotkeysWithTaskbar() noexcept {
    try {
        // A new shell may have taken combinations while it started: the groups are asked
        // for again.
        auto before = std::move(Handlers().taskbarRecreated);
        Handlers().taskbarRecreated = [before = std::move(before)] {
            if (before) before();
            foundation::LogDetail("hotkeys", "the taskbar came back: registering again");
            Register(foundation::kTaskbarRecreatedGroups);
        };
    } catch (...) {
        foundation::LogCaught("hotkeys taskbar");
    }
}

void RegisterStartupHotkeys() noexcept { Register(foundation::kStartupGroups); }

void RegisterDockHotkeys() noexcept { Register(foundation::kDockGroups); }

void RegisterAllHotkeys() noexcept {
    Register(foundation::kStartupGroups);
    Register(foundation::kDockGroups);
}

foundation::HotkeyStatus HotkeyStatusOf(foundation::HotkeyId id) noexcept {
    return g_host ? g_host->registrar.Status(id) : foundation::HotkeyStatus::Unset;
}

} // namespace kestrana::app
