#include "menubar/win32/bar_host.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/companion_channel.h"
#include "foundation/win32/folder_security.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/system_launch.h"
#include "gfx/win32/popup_menu.h"
#include "gfx/win32/prompt_window.h"
#include "gfx/win32/system_look.h"
#include "menubar/bar_geometry.h"
#include "menubar/bar_menus.h"
#include "menubar/status_tip.h"
#include "menubar/audio_item.h"
#include "menubar/win32/about_window.h"
#include "menubar/win32/clock_formatter.h"
#include "menubar/win32/core_audio.h"
#include "menubar/win32/lyrics_host.h"
#include "menubar/win32/media_sessions.h"
#include "menubar/media_item.h"
#include "menubar/win32/monitor_brightness.h"
#include "menubar/win32/monitor_sampler.h"
#include "menubar/display_item.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/win32/power_prompt.h"
#include "menubar/win32/tray_item.h"
#include "menubar/win32/varlo_bar.h"
#include "menubar/win32/system_bluetooth_port.h"
#include "menubar/win32/drive_eject.h"
#include "menubar/win32/hotspot_control.h"
#include "menubar/win32/wlan_port.h"
#include "menubar/win32/password_prompt.h"
#include "menubar/bluetooth_item.h"
#include "menubar/wifi_item.h"

#include <dbt.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <thread>

namespace kestrana::menubar::win32 {

// Shared with the clock thread, which may outlive the host by up to a second.
struct BarHost::ClockState {
    std::mutex mutex;
    ClockTicker ticker;
    Win32ClockFormatter formatter;
    std::wstring text;
    std::atomic<bool> stop{false};
    std::atomic<HWND> target{nullptr};
    // A theme with its own bar opacity is looked at again after every tick.
    std::atomic<bool> lookTicks{false};

    // The new text, when the tick needs one (under the lock).
    bool Update(bool force) {
        std::lock_guard lock(mutex);
        auto next = ticker.Update(LocalNow(), force, formatter);
        if (!next || *next == text) return false;
        text = std::move(*next);
        return true;
    }
};

BarHost::BarHost(BarServices services)
    : m_services(std::move(services)),
      // Numbered from the clock, so a file left by an earlier run is not taken for ours.
      m_handshake(std::make_unique<MenuHandshake>(m_services.store.Files(), m_services.store.BaseFolder(),
                                                  static_cast<std::uint32_t>(::GetTickCount64() & 0x7FFFFFFF))) {
    // Applications read and delete their requests there: nobody else may put anything in it.
    kestrana::win32::MakePrivateFolder(m_services.store.BaseFolder() + std::wstring(kHandshakeFolder));
}

BarHost::~BarHost() {
    m_driveNotice.reset();
    Stop();
}

bool BarHost::Start() {
    Stop();
    ReadBarSettings();
    if (!ChooseScreens()) return false;
    PlanOrder();
    ReadInputMethods();
    StartClock();
    StartSources();
    MakeBar(0);
    m_nextScreen = 1;
    if (m_bars.empty()) {
        foundation::LogFailure("menu bar", L"no bar could be made");
        Stop();
        return false;
    }
    AimSourcesAtFirstBar();
    WatchFromFirstBar();
    return true;
}

void BarHost::ReadBarSettings() {
    auto& store = Store();
    m_allScreens = store.ReadInt(L"finder", L"allscreens") == 1;
    m_darkMode = DarkModeFromSetting(store.ReadInt(L"finder", L"darkmode"));
    m_showMode = ShowModeFromSetting(store.ReadInt(L"finder", L"showmode"));
    m_autoColor = store.ReadInt(L"finder", L"autocolor") == 1;
}

// Every screen, or the one named in the settings (else the first); false with no screen at all.
bool BarHost::ChooseScreens() {
    auto& store = Store();
    const auto monitors = gfx::EnumerateMonitors();
    if (monitors.empty()) return false;
    std::vector<const gfx::MonitorInfo*> chosen;
    if (m_allScreens) {
        for (const auto& m : monitors) chosen.push_back(&m);
        // The primary screen's bar comes first, at once.
        std::stable_partition(chosen.begin(), chosen.end(), [](const auto* m) { return m->primary; });
    } else {
        const std::wstring wanted = store.ReadString(L"finder", L"screens");
        for (const auto& m : monitors)
            if (!wanted.empty() && (_wcsicmp(m.deviceName.c_str(), wanted.c_str()) == 0 ||
                                    _wcsicmp(ScreenSection(m.deviceName).c_str(), wanted.c_str()) == 0))
                chosen.push_back(&m);
        if (chosen.empty()) chosen.push_back(&monitors.front());
        chosen.resize(1);
    }
    m_screens.clear();
    for (const auto* m : chosen) {
        Screen screen;
        screen.monitor = *m;
        screen.scale = BarScaleFor(store, ScreenSection(m->deviceName), m_allScreens, m->dpiScale);
        screen.textScale = gfx::TextScale();
        screen.height = BarHeight(screen.scale, screen.textScale);
        m_screens.push_back(std::move(screen));
    }
    return true;
}

// The status items' order; a first run saves the order it chose.
void BarHost::PlanOrder() {
    auto& store = Store();
    WriteDefaultOnKeys(store);
    const StatusPlan plan = PlanStatusItems(store);
    m_order.clear();
    for (const auto& entry : plan.entries) m_order.push_back(entry.kind);
    if (plan.positionsMissing && !SavePositions(store, m_order))
        foundation::LogFailure("menu bar", L"the status items' first order could not be saved");
}

// Workers started before any bar existed now report to the first one.
void BarHost::AimSourcesAtFirstBar() {
    m_clock->target = FirstWindow();
    if (m_audio) m_audio->SetTarget(FirstWindow());
    if (m_media) m_media->SetTarget(FirstWindow());
    if (Store().ReadInt(L"finder", L"musicLyrics") == 1) {
        m_lyrics = std::make_unique<LyricsHost>(Store(), [](const std::wstring& uri) { Open(uri); });
        ::SetTimer(FirstWindow(), kTimerLyrics, 2000, nullptr);
        LyricsTick();
    }
    if (m_wlan) m_wlan->SetTarget(FirstWindow());
    if (m_bluetooth) m_bluetooth->Follow(FirstWindow());
    if (m_battery) {
        // The charge's changes come as power broadcasts to the first bar; no polling.
        static constexpr GUID kChargeRemaining{0xa7ad8041, 0xb45a, 0x4cae, {0x87, 0xa3, 0xee, 0xcb, 0xb4, 0x68, 0xa9, 0xe1}};
        m_chargeNotify = ::RegisterPowerSettingNotification(FirstWindow(), &kChargeRemaining, DEVICE_NOTIFY_WINDOW_HANDLE);
        if (!m_chargeNotify) foundation::LogFailure("battery", "charge changes cannot be followed");
    }
    if (!m_lowBatteryText.empty()) ::PostMessageW(FirstWindow(), kMsgLowBattery, 0, 0);
    if (m_brightnessTarget) {
        *m_brightnessTarget = FirstWindow();
        // The worker may have answered before there was a bar to tell.
        ::PostMessageW(FirstWindow(), kMsgBrightness, 0, 0);
    }
}

// The timers and watches the first bar runs for all of them.
void BarHost::WatchFromFirstBar() {
    StartMonitorTimer();
    if (m_screens.size() > 1) ::SetTimer(FirstWindow(), kTimerNextBar, 800, nullptr);
    m_inputMethodWatch = std::make_unique<InputMethodWatch>(FirstWindow(), kMsgInputMethods);
    m_foreground = nullptr;
    ForegroundHint(); // whatever is in front now
    // Wine tells nobody of a foreground change, and a window that stopped answering cannot
    // report through the hook module: there, the bars also look twice a second.
    if (kestrana::win32::RunningUnderWine()) ::SetTimer(FirstWindow(), kTimerForegroundPoll, 500, nullptr);
}

void BarHost::MakeBar(std::size_t index) {
    if (index >= m_screens.size()) return;
    const Screen& screen = m_screens[index];
    BarPlace place;
    place.screen = {screen.monitor.rect.left, screen.monitor.rect.top, screen.monitor.rect.right, screen.monitor.rect.bottom};
    place.monitor = screen.monitor.handle;
    place.deviceName = screen.monitor.deviceName;
    place.scale = screen.scale;
    place.textScale = screen.textScale;
    place.height = screen.height;
    auto bar = std::make_unique<VarloBar>(*this, std::move(place), m_order);
    if (!bar->Valid()) return;
    if (const auto inset = m_cornerInsets.find(screen.monitor.deviceName); inset != m_cornerInsets.end())
        bar->SetCornerInset(inset->second);
    m_bars.push_back(std::move(bar));
}

void BarHost::MakeNextBar() {
    if (m_nextScreen >= m_screens.size()) return;
    MakeBar(m_nextScreen++); // one screen after another
    if (m_nextScreen < m_screens.size() && FirstWindow()) ::SetTimer(FirstWindow(), kTimerNextBar, 800, nullptr);
}

void BarHost::DisplayChanged() {
    if (HWND first = FirstWindow()) ::SetTimer(first, kTimerRebuild, 500, nullptr);
}

void BarHost::Rebuild() {
    if (!Start()) foundation::LogFailure("menu bar", L"no bar after the screens changed");
}

void BarHost::Stop() {
    if (gfx::PopupMenuOpen()) gfx::CancelPopupMenu();
    m_inputMethodWatch.reset();
    StopClock();
    // The player's lyrics window is given back before the bars go.
    m_lyrics.reset();
    m_lyricsLineTimer = false; // it went with the first bar's window
    m_bars.clear();
    StopSources();
    m_foregroundPosted = false;
}

// --- status items that plug in as sources ------------------------------------------------

namespace {
double CounterMs() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart ? static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart) : 0;
}
constexpr int kBalloonMs = 6000; // how long a program's balloon stays under the tray item
} // namespace

void BarHost::StartSources() {
    StopSources();
    const auto shown = [this](StatusKind kind) { return std::find(m_order.begin(), m_order.end(), kind) != m_order.end(); };
    const bool sound = shown(StatusKind::Audio), microphone = shown(StatusKind::Microphone);
    BatteryReadings* battery = shown(StatusKind::Battery) && m_services.battery ? m_services.battery() : nullptr;
    if (shown(StatusKind::Battery) && !battery)
        foundation::LogFailure("battery", "no battery readings were handed to the menu bar");
    if (battery) {
        m_battery = battery;
        m_sources.push_back(std::make_unique<BatterySource>(
            *m_battery, Store(), [](const std::wstring& uri) { Open(uri); },
            [this](const std::wstring& text) {
                if (m_lowBatteryShown || !m_lowBatteryText.empty()) return;
                m_lowBatteryText = text;
                // Before the first bar exists the prompt waits for it.
                if (HWND first = FirstWindow()) ::PostMessageW(first, kMsgLowBattery, 0, 0);
            }));
    }
    if (shown(StatusKind::Display)) {
        std::vector<HMONITOR> monitors;
        std::vector<std::wstring> names;
        for (const Screen& screen : m_screens) {
            monitors.push_back(screen.monitor.handle);
            names.push_back(ScreenSection(screen.monitor.deviceName));
        }
        m_brightnessTarget = std::make_shared<std::atomic<HWND>>(nullptr);
        m_brightness = std::make_unique<BrightnessWorker>(
            [monitors] { return MonitorLinks(monitors); },
            [target = m_brightnessTarget] {
                if (HWND window = target->load()) ::PostMessageW(window, kMsgBrightness, 0, 0);
            },
            [] { return std::make_shared<kestrana::win32::ComApartment>(COINIT_MULTITHREADED); });
        DisplayActions actions;
        actions.open = [](const std::wstring& uri) { Open(uri); };
        actions.project = [] { PressWindowsKeyWith('P'); };
        actions.systemDark = [] { return AppsUseDarkTheme(); };
        actions.setSystemDark = [](bool dark) { SetSystemDark(dark); };
        m_sources.push_back(std::make_unique<DisplaySource>(*m_brightness, std::move(names), Store(), std::move(actions)));
    }
    if (sound || microphone) {
        m_audio = std::make_unique<CoreAudioPort>();
        const auto open = [](const std::wstring& uri) { Open(uri); };
        if (sound) m_sources.push_back(std::make_unique<AudioSource>(AudioFlow::Output, *m_audio, Store(), open));
        if (microphone) m_sources.push_back(std::make_unique<AudioSource>(AudioFlow::Input, *m_audio, Store(), open));
    }
    if (shown(StatusKind::MediaControl)) {
        m_media = std::make_unique<SystemMediaPort>();
        m_sources.push_back(std::make_unique<MediaSource>(*m_media, Store()));
    }
    StartWireless();
    ListPresentDrives();
    // The tray item shows nothing unless the tray icons are wanted in the bar.
    if (shown(StatusKind::Tray) && Store().ReadInt(L"normal", L"trayico_finder") == 1)
        m_sources.push_back(std::make_unique<TraySource>(Store(), [this](const std::wstring& text) {
            if (!m_bars.empty()) m_bars.front()->ShowTip(StatusKind::Tray, text, kBalloonMs);
        }));
    if (shown(StatusKind::StageManager) && m_services.stageManager.toggle)
        m_sources.push_back(std::make_unique<StageManagerSource>(m_services.stageManager, Store()));
    std::vector<StatusKind> monitors;
    std::copy_if(m_order.begin(), m_order.end(), std::back_inserter(monitors), IsMonitorKind);
    AddMonitorSources(monitors);
    for (auto& source : m_sources) {
        const StatusKind kind = source->Kind();
        source->OnChanged([this, kind] {
            for (auto& bar : m_bars) bar->SourceChanged(kind);
        });
    }
}

void BarHost::StopSources() {
    m_sampler.reset();
    if (m_audio) m_audio->SetTarget(nullptr);
    if (m_wlan) m_wlan->SetTarget(nullptr);
    if (m_chargeNotify) ::UnregisterPowerSettingNotification(m_chargeNotify);
    m_chargeNotify = nullptr;
    if (m_brightnessTarget) *m_brightnessTarget = nullptr;
    if (m_media) m_media->SetTarget(nullptr);
    m_sources.clear();
    m_audio.reset();
    m_media.reset(); // waits for its worker
    // Waits for the worker: at most one monitor call in flight.
    m_brightness.reset();
    m_brightnessTarget.reset();
    m_battery = nullptr;
    m_wlan.reset();
    m_bluetooth.reset();
    m_hotspot.reset();
}

void BarHost::StartWireless() {
    const auto shown = [this](StatusKind kind) { return std::find(m_order.begin(), m_order.end(), kind) != m_order.end(); };
    if (shown(StatusKind::Wifi)) {
        m_wlan = std::make_unique<SystemWlanPort>();
        WifiActions actions;
        actions.open = [](const std::wstring& uri) { Open(uri); };
        actions.now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
        actions.askPassword = [this](const WifiNetwork& network) -> std::optional<std::wstring> {
            if (m_bars.empty()) return std::nullopt;
            const VarloBar& bar = *m_bars.front();
            PasswordTexts texts;
            texts.title = Store().LanguageText(L"findermenu", L"wifipassword", L"Password for") + L" \u201C" + network.ssid + L"\u201D";
            texts.cancel = Store().LanguageText(L"promptwindow", L"cancel", L"Cancel");
            texts.join = Store().LanguageText(L"findermenu", L"wifijoin", L"Join");
            return AskWifiPassword(texts, CipherText(network.cipherAlgorithm) == L"WEP", Text(), bar.Place().scale, bar.Dark(),
                                   bar.Place().screen);
        };
        actions.joined = [](const std::wstring& ssid, bool joined) {
            foundation::LogDetail("wifi", (joined ? L"joining \"" : L"could not join \"") + ssid + L"\"");
        };
        actions.hotspot = [this] {
            if (!m_hotspot) m_hotspot = std::make_unique<HotspotControl>();
            m_hotspot->Read(FirstWindow());
        };
        m_sources.push_back(std::make_unique<WifiSource>(*m_wlan, Store(), std::move(actions)));
    }
    if (shown(StatusKind::Bluetooth)) {
        m_bluetooth = std::make_unique<SystemBluetoothPort>(Store().ReadInt(L"finder", L"bluetoothbattery") == 1);
        BluetoothActions actions;
        actions.open = [](const std::wstring& uri) { Open(uri); };
        actions.done = [](const std::wstring& what, bool done) {
            foundation::LogDetail("bluetooth", what + (done ? L": asked" : L": refused"));
        };
        m_sources.push_back(std::make_unique<BluetoothSource>(*m_bluetooth, Store(), std::move(actions)));
    }
}

void BarHost::WirelessChanged() {
    if (!m_wlan) return;
    m_wlan->Refresh();
    auto* source = static_cast<WifiSource*>(Source(StatusKind::Wifi));
    if (!source) return;
    source->StateChanged();
    // A scan that ended while the menu is open shows in it at once.
    if (m_openItem == StatusKind::Wifi && gfx::PopupMenuOpen()) gfx::UpdatePopupMenu(source->Rows());
}

namespace {

// The volume a device message points at, read so that a bad pointer from elsewhere fails
// instead of faulting.
std::optional<DEV_BROADCAST_VOLUME> VolumeOf(LPARAM data) {
    if (!data) return std::nullopt;
    DEV_BROADCAST_HDR header{};
    SIZE_T read = 0;
    HANDLE self = ::GetCurrentProcess();
    const auto* at = reinterpret_cast<const void*>(data);
    if (!::ReadProcessMemory(self, at, &header, sizeof(header), &read) || read != sizeof(header)) return std::nullopt;
    if (header.dbch_devicetype != DBT_DEVTYP_VOLUME || header.dbch_size < sizeof(DEV_BROADCAST_VOLUME)) return std::nullopt;
    DEV_BROADCAST_VOLUME volume{};
    if (!::ReadProcessMemory(self, at, &volume, sizeof(volume), &read) || read != sizeof(volume)) return std::nullopt;
    return volume;
}

std::optional<std::wstring> DriveLabel(const std::wstring& root) {
    if (::GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) return L"";
    return std::wstring(label);
}

// Removable drives there now. A: and B: are left alone, as asking a floppy drive waits for
// the disk.
std::uint32_t PresentRemovableDrives() {
    std::uint32_t mask = 0;
    const DWORD present = ::GetLogicalDrives();
    for (int bit = 2; bit < 26; ++bit) {
        if (!(present & (1u << bit))) continue;
        const wchar_t root[] = {static_cast<wchar_t>(L'A' + bit), L':', L'\\', L'\0'};
        if (::GetDriveTypeW(root) == DRIVE_REMOVABLE) mask |= 1u << bit;
    }
    return mask;
}

} // namespace

void BarHost::ListPresentDrives() {
    // Their names are known when they leave.
    (void)m_drives.Arrived(PresentRemovableDrives(), DriveLabel);
}

void BarHost::ScanDrives() {
    // Any letter still there keeps its drive: a disk that came by a notice may well be a
    // fixed one (USB hard disks are), which the removable list above would leave out.
    const std::uint32_t present = ::GetLogicalDrives() & ~0x3u;
    const std::size_t forgotten = m_drives.Rescan(present, DriveLabel);
    if (forgotten) foundation::LogDetail("usb", L"drives gone without a notice: " + std::to_wstring(forgotten));
    if (const auto& shown = m_noticeSlot.Shown(); shown && !m_drives.NameOf(shown->root)) DriveLeft(std::wstring(shown->root));
}

void BarHost::DeviceChange(HWND bar, WPARAM event, LPARAM data) {
    // Every bar hears the broadcast; the first one speaks for all.
    if (bar != FirstWindow() || m_bars.empty()) return;
    if (event == DBT_CUSTOMEVENT) {
        BluetoothEvent(data);
        return;
    }
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return;
    const auto volume = VolumeOf(data);
    if (!volume) return;
    // A drive's label can lag behind its arrival: it is read again once the drive settled.
    if (event == DBT_DEVICEARRIVAL) ::SetTimer(bar, kTimerDriveScan, 500, nullptr);
    const auto notices = event == DBT_DEVICEARRIVAL ? m_drives.Arrived(volume->dbcv_unitmask, DriveLabel)
                                                    : m_drives.Removed(volume->dbcv_unitmask);
    for (const DriveNotice& notice : notices)
        if (!notice.arrived) DriveLeft(notice.root);
    if (Store().ReadInt(L"finder", L"usbdevicenotice") != 1) return;
    for (const DriveNotice& notice : notices) {
        const std::wstring text = DriveNoticeText(notice, Store());
        foundation::LogDetail("usb", text);
        // An arrival's notice offers to eject; it is made once the device message is answered.
        if (notice.arrived) ::PostMessageW(bar, kMsgDriveOffer, notice.root[0], 0);
        else m_bars.front()->ShowNotice(text);
    }
}

void BarHost::BluetoothEvent(LPARAM data) {
    if (!m_bluetooth) return;
    const auto before = m_bluetooth->State().devices;
    if (!m_bluetooth->OnDeviceEvent(data)) return;
    BluetoothChanged(before);
}

void BarHost::BluetoothNews() {
    if (!m_bluetooth) return;
    const auto before = m_bluetooth->State().devices;
    if (m_bluetooth->TakeNews()) BluetoothChanged(before);
}

void BarHost::BluetoothChanged(const std::vector<BluetoothDevice>& before) {
    if (m_bars.empty()) return;
    if (auto* source = static_cast<BluetoothSource*>(Source(StatusKind::Bluetooth))) {
        source->StateChanged();
        if (m_openItem == StatusKind::Bluetooth && gfx::PopupMenuOpen()) gfx::UpdatePopupMenu(source->Rows());
    }
    if (Store().ReadInt(L"finder", L"bluetoothdevicenotice") != 1) return;
    for (const DeviceNotice& notice : ConnectionNotices(before, m_bluetooth->State().devices)) {
        const std::wstring text = BluetoothNoticeText(notice, Store());
        foundation::LogDetail("bluetooth", text);
        m_bars.front()->ShowNotice(text);
    }
}

// --- system monitors ---------------------------------------------------------------------

void BarHost::AddMonitorSources(const std::vector<StatusKind>& kinds) {
    if (kinds.empty()) return;
    if (!m_monitorBoard) m_monitorBoard = std::make_shared<MonitorBoard>();
    if (!m_monitorFacts) m_monitorFacts = std::make_unique<SystemMonitorFacts>();
    for (StatusKind kind : kinds) {
        if (Source(kind)) continue;
        auto source = std::make_unique<MonitorSource>(kind, *m_monitorBoard, Store(), *m_monitorFacts);
        source->OnChanged([this, kind] {
            for (auto& bar : m_bars) bar->SourceChanged(kind);
        });
        m_sources.push_back(std::move(source));
    }
    if (!m_sampler) m_sampler = std::make_unique<MonitorSampler>(m_monitorBoard, Store().ReadInt(L"findermonitor", L"nocounters") == 1);
}

void BarHost::StartMonitorTimer() {
    HWND first = FirstWindow();
    if (!first) return;
    // It runs without monitor items too: its tick is what sees them switched on in the file.
    ::SetTimer(first, kTimerMonitors, 2000, nullptr);
    // The items show their first readings at once rather than after two seconds.
    if (m_sampler) m_sampler->Request(MonitorTypes(), true, PopupDetails(), first);
}

DisplayTypes BarHost::MonitorTypes() const {
    DisplayTypes types;
    types.cpu = m_services.store.ReadInt(L"findermonitor", L"CPUTYPE");
    types.memory = m_services.store.ReadInt(L"findermonitor", L"MENTYPE");
    types.disk = m_services.store.ReadInt(L"findermonitor", L"DISKTYPE");
    types.items = ShownMonitorItems();
    types.levelTracks = LevelTracks();
    return types;
}

std::vector<float> BarHost::LevelTracks() const {
    std::vector<float> tracks;
    for (const auto& bar : m_bars) {
        const float track = LevelTrack(bar->Place().height, bar->Place().scale);
        if (std::find(tracks.begin(), tracks.end(), track) == tracks.end()) tracks.push_back(track);
    }
    return tracks;
}

std::uint32_t BarHost::ShownMonitorItems() const {
    std::uint32_t items = 0;
    for (StatusKind kind : m_order)
        if (IsMonitorKind(kind)) items |= KindBit(kind);
    return items;
}

void BarHost::MonitorTick() {
    // The settings are read again only when their file changed: an idle tick costs one
    // look at the file's stamp, not a read of every key.
    const auto stamp = Store().Files().Stat(Store().BaseFolder() + L"config.ini");
    if (!stamp || stamp->recent || !m_monitorStamp || *stamp != *m_monitorStamp) {
        m_monitorStamp = stamp;
        MonitorSettingsChanged();
        m_monitorTypes = MonitorTypes();
    }
    HWND first = FirstWindow();
    if (!first) return;
    const bool any = std::any_of(m_order.begin(), m_order.end(), IsMonitorKind);
    if (!any || !m_sampler) {
        // Nothing to sample: the worker goes, the tick only looks at the file's stamp.
        m_sampler.reset();
        return;
    }
    if (foundation::Process().suspended) return;
    if (Source(StatusKind::Temperature)) KeepReader();
    // A sample still running (a slow counter) makes this tick drop out.
    m_monitorTypes.items = ShownMonitorItems();
    m_monitorTypes.levelTracks = LevelTracks(); // a bar may have moved to a screen of another scale
    m_sampler->Request(m_monitorTypes, false, PopupDetails(), first);
}

std::uint32_t BarHost::PopupDetails() const {
    return m_openMonitor && gfx::PopupMenuOpen() ? KindBit(*m_openMonitor) : 0;
}

void BarHost::MonitorsChanged(std::uint32_t faces, std::uint32_t details) {
    // A sample changes several items at once: each bar hands its picture over once.
    for (auto& bar : m_bars) bar->BeginChanges();
    for (StatusKind kind : kCreationOrder)
        if ((faces & KindBit(kind)) && IsMonitorKind(kind))
            if (auto* source = static_cast<MonitorSource*>(Source(kind))) source->ReadingChanged();
    for (auto& bar : m_bars) bar->EndChanges();
    if (m_openMonitor && ((faces | details) & KindBit(*m_openMonitor))) RefreshOpenPopup();
}

void BarHost::RefreshOpenPopup() {
    if (!m_openMonitor || !gfx::PopupMenuOpen()) return;
    // The open pop-up takes the rows anew; it redraws only when one of them differs.
    if (StatusSource* source = Source(*m_openMonitor)) gfx::UpdatePopupMenu(source->Menu());
}

void BarHost::ItemMenuOpen(std::optional<StatusKind> kind) {
    m_openItem = kind;
    m_openMonitor = kind && IsMonitorKind(*kind) ? kind : std::nullopt;
    // Its rows come within a moment rather than at the next tick.
    if (m_openMonitor && m_sampler && *m_openMonitor != StatusKind::Temperature && *m_openMonitor != StatusKind::Network)
        m_sampler->Request(MonitorTypes(), false, KindBit(*m_openMonitor), FirstWindow());
}

void BarHost::MonitorSettingsChanged() {
    if (m_bars.empty()) return;
    std::vector<StatusKind> planned;
    for (const auto& entry : PlanStatusItems(Store()).entries) planned.push_back(entry.kind);
    const auto monitorsOf = [](const std::vector<StatusKind>& order) {
        std::vector<StatusKind> kinds;
        std::copy_if(order.begin(), order.end(), std::back_inserter(kinds), IsMonitorKind);
        std::sort(kinds.begin(), kinds.end());
        return kinds;
    };
    const std::vector<StatusKind> wanted = monitorsOf(planned), have = monitorsOf(m_order);
    if (wanted == have) return;
    std::vector<StatusKind> added, removed;
    std::set_difference(wanted.begin(), wanted.end(), have.begin(), have.end(), std::back_inserter(added));
    std::set_difference(have.begin(), have.end(), wanted.begin(), wanted.end(), std::back_inserter(removed));
    foundation::LogDetail("monitors", L"monitor items switched: " + std::to_wstring(added.size()) + L" on, " +
                                          std::to_wstring(removed.size()) + L" off");
    AddMonitorSources(added);
    // The other items keep their places; the monitors go where the settings put them.
    std::vector<StatusKind> order;
    for (StatusKind kind : planned)
        if (!IsMonitorKind(kind) ? std::find(m_order.begin(), m_order.end(), kind) != m_order.end()
                                 : std::binary_search(wanted.begin(), wanted.end(), kind))
            order.push_back(kind);
    for (StatusKind kind : m_order)
        if (!IsMonitorKind(kind) && std::find(order.begin(), order.end(), kind) == order.end()) order.push_back(kind);
    m_order = std::move(order);
    for (auto& bar : m_bars) {
        bar->SetOrder(m_order);
        for (StatusKind kind : added) bar->SourceChanged(kind);
    }
    if (std::find(removed.begin(), removed.end(), StatusKind::Temperature) != removed.end()) StopReader();
    std::erase_if(m_sources, [&removed](const auto& source) {
        return std::find(removed.begin(), removed.end(), source->Kind()) != removed.end();
    });
    // The items that came show their first readings at once rather than at the next tick.
    if (m_sampler && !added.empty()) m_sampler->Request(MonitorTypes(), true, PopupDetails(), FirstWindow());
}

// The temperature reader: kept going through the hook companion while its item exists.
void BarHost::KeepReader() {
    const auto reader = reinterpret_cast<HWND>(m_thermel.Handle());
    if (m_thermel.Sample(reader && ::IsWindow(reader)) == ReaderLink::Step::Ask) {
        HWND companion = ::FindWindowW(L"hookel32", nullptr);
        const ULONGLONG now = ::GetTickCount64();
        // Started at most every 30 s: the program's own start may have one on its way.
        if (!companion && !foundation::Process().quit && !foundation::Process().selfUpdatePending &&
            (m_companionStartMs == 0 || now - m_companionStartMs > 30000)) {
            m_companionStartMs = now;
            // A companion that never comes counts as an unanswered request, so the wait,
            // the one retry and the giving up bound the attempts (and their log lines).
            if (++m_companionStarts > 3) m_thermel.Asked();
            // Where the 32-bit companion cannot run, the 64-bit one stands in for it.
            if (!kestrana::win32::StartProcess(kestrana::win32::CompanionExecutable(), {}, 0))
                kestrana::win32::StartProcess(foundation::Process().baseFolder + L"Hookel64.exe", {}, 0);
            companion = ::FindWindowW(L"hookel32", nullptr);
        }
        static const UINT temp = ::RegisterWindowMessageW(std::wstring(foundation::kMsgShareTemp).c_str());
        // The companion starts a program only for the program itself, which it learns from the pipe.
        if (companion &&
            kestrana::win32::ConfirmToCompanion(companion, {foundation::ConfirmKind::StartTemperatureReader, 0, 0}) &&
            ::PostMessageW(companion, temp, 1, 0)) {
            m_thermel.Asked();
            m_companionStarts = 0;
        }
    }
    if (m_thermel.GaveUp() && m_thermelGpu != -2) {
        m_thermelGpu = -2;
        foundation::LogFailure("monitors", "the temperature reader never answered: no longer asked for");
    }
    // The GPU wish follows the setting.
    const int gpu = Store().ReadInt(L"findermonitor", L"TEMPGPU") == 1 ? 1 : 0;
    if (m_thermel.Handle() && gpu != m_thermelGpu) {
        ::PostMessageW(reinterpret_cast<HWND>(m_thermel.Handle()), kMsgReaderValues, 1, gpu);
        m_thermelGpu = gpu;
    }
}

void BarHost::StopReader() {
    if (const auto reader = reinterpret_cast<HWND>(m_thermel.Handle()); reader && ::IsWindow(reader))
        ::PostMessageW(reader, kMsgReaderValues, 0, 0);
    m_thermel.Reset();
    m_thermelGpu = -1;
    if (m_monitorBoard) m_monitorBoard->Temperatures().Clear();
}

void BarHost::OnReaderMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto* source = static_cast<MonitorSource*>(Source(StatusKind::Temperature));
    if (message == kMsgReaderValues && wParam == 999) {
        const auto reader = reinterpret_cast<HWND>(lParam);
        const std::wstring folder = kestrana::win32::ProgramFolder();
        const foundation::SenderRule rule{folder, L"Thermel.exe",
                                          kestrana::win32::RunningUnderWine() ? 0u : foundation::kIntegrityMedium};
        if (!reader || !::IsWindow(reader) ||
            !kestrana::win32::AcceptSender(kestrana::win32::WindowFacts(reader), rule, "monitors", L"temperature reader"))
            return;
        if (!source || !m_monitorBoard) {
            // A reader nobody here asked for (the item is off): it is told to end.
            ::PostMessageW(reader, kMsgReaderValues, 0, 0);
            return;
        }
        m_thermel.Announced(reinterpret_cast<std::uintptr_t>(reader));
        m_thermelGpu = -1;
        foundation::LogDetail("monitors", "the temperature reader announced itself");
        KeepReader();
        return;
    }
    // Values only from a reader that announced itself; anything else is noise.
    if (!source || !m_monitorBoard || !m_thermel.Handle()) return;
    TemperatureReadings& readings = m_monitorBoard->Temperatures();
    bool changed = false;
    if (message == kMsgReaderValues) {
        changed = readings.Reading(wParam, lParam, Store().ReadInt(L"findermonitor", L"TEMPGPU") == 1);
    } else if (message == kMsgReaderSensors) {
        readings.SensorCount(wParam, lParam);
    } else if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        constexpr DWORD kMaxName = 128 * sizeof(wchar_t);
        if (!data || !data->lpData || data->cbData % sizeof(wchar_t) != 0 || data->cbData > kMaxName) return;
        std::wstring name(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        if (const auto end = name.find(L'\0'); end != std::wstring::npos) name.resize(end);
        // After the last sensor the open temperature pop-up shows the list anew.
        if (readings.SensorReading(wParam, std::move(name), data->dwData) && m_openMonitor == StatusKind::Temperature)
            RefreshOpenPopup();
    }
    if (changed) {
        source->ReadingChanged();
        if (m_openMonitor == StatusKind::Temperature) RefreshOpenPopup();
    }
}

void BarHost::PowerChanged(HWND bar) {
    // Every bar hears the broadcast; the first one speaks for all.
    if (bar != FirstWindow()) return;
    if (auto* source = static_cast<BatterySource*>(Source(StatusKind::Battery))) source->PowerChanged();
}

void BarHost::ShowLowBattery() {
    if (m_lowBatteryShown || m_lowBatteryText.empty()) return;
    m_lowBatteryShown = true;
    const std::wstring text = std::move(m_lowBatteryText);
    m_lowBatteryText.clear();
    foundation::LogDetail("battery", L"low charge: " + text);
    const std::wstring title = Store().LanguageText(L"findertips", L"battery", L"Battery");
    ::MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND);
}

StatusSource* BarHost::Source(StatusKind kind) const {
    for (const auto& source : m_sources)
        if (source->Kind() == kind) return source.get();
    return nullptr;
}

void BarHost::OnAudioMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_audio) return;
    if (message == kMsgAudioDevices) {
        // Listen to whatever is default now, then every audio item reads again.
        m_audio->Rebind();
        for (StatusKind kind : {StatusKind::Audio, StatusKind::Microphone})
            if (auto* source = static_cast<AudioSource*>(Source(kind))) source->DevicesChanged();
        return;
    }
    const auto state = UnpackVolume(lParam);
    if (!state || wParam > 1) {
        foundation::LogFailure("sound", "a volume report that makes no sense was ignored");
        return;
    }
    const StatusKind kind = wParam == 0 ? StatusKind::Audio : StatusKind::Microphone;
    auto* source = static_cast<AudioSource*>(Source(kind));
    if (!source) return;
    const auto before = source->State();
    const double taken = CounterMs();
    source->VolumeChanged(*state); // the bars draw the item at once
    // The volume tip shows a change made elsewhere (keys, another program), on the first bar.
    if (kind == StatusKind::Audio && before && before->percent != state->percent && !m_bars.empty() &&
        Store().ReadInt(L"finder", L"audiotip") == 1)
        m_bars.front()->ShowTip(kind, source->Tip(), VolumeTipMs(Store().ReadInt(L"finder", L"voltiptime")));
    if (foundation::DetailLogging()) {
        // A change must be on screen within a frame of its report; the times are on the
        // machine-wide counter, so a sender can compare its own.
        const double drawn = CounterMs();
        char text[96];
        std::snprintf(text, sizeof text, "volume %d drawn at %.3f ms, %.3f ms after it was taken up", state->percent, drawn,
                      drawn - taken);
        foundation::LogDetail("sound", std::string_view(text));
    }
}

void BarHost::ReleaseScreenSpace() noexcept {
    try {
        for (auto& bar : m_bars)
            if (bar) bar->ReleaseScreenSpace();
    } catch (...) {
        // Called while crashing: a courtesy, never a second fault.
    }
}

int BarHost::HeightOn(const std::wstring& deviceName) const {
    for (const Screen& screen : m_screens)
        if (_wcsicmp(screen.monitor.deviceName.c_str(), deviceName.c_str()) == 0) return screen.height;
    return 0;
}

HWND BarHost::FirstWindow() const { return m_bars.empty() ? nullptr : m_bars.front()->Window(); }

// --- clock ---------------------------------------------------------------------------

void BarHost::StartClock() {
    m_clock = std::make_shared<ClockState>();
    m_clock->ticker.SetPatterns(LoadClockPatterns(Store()));
    m_clock->lookTicks = ThemeHasBarOpacity(Store());
    m_clock->Update(true); // the first bar shows the time at once
    try {
        std::thread([state = m_clock] {
            ClockLoopPorts ports;
            ports.nowMs = [] { return static_cast<std::int64_t>(::GetTickCount64()); };
            ports.second = [] {
                SYSTEMTIME st{};
                ::GetLocalTime(&st);
                return static_cast<int>(st.wSecond);
            };
            ports.sleepMs = [](std::int64_t ms) { ::Sleep(static_cast<DWORD>(ms)); };
            ports.update = [&state](bool force) {
                if (state->Update(force)) {
                    if (HWND target = state->target.load()) ::PostMessageW(target, kMsgClockText, 0, 0);
                }
            };
            ports.afterTick = [&state] {
                if (!state->lookTicks) return;
                if (HWND target = state->target.load()) ::PostMessageW(target, kMsgLookTick, 0, 0);
            };
            ports.minuteStarted = [&state] {
                if (HWND target = state->target.load()) ::PostMessageW(target, kMsgMinuteTick, 0, 0);
            };
            ports.paused = &foundation::Process().suspended;
            ports.stop = &state->stop;
            try {
                RunClockLoop(ports);
            } catch (...) {
                foundation::LogCaught("menu bar clock");
            }
        }).detach();
    } catch (...) {
        foundation::LogCaught("menu bar clock start");
    }
}

void BarHost::TakeKeyboard() {
    // The primary screen's bar is made first.
    if (!m_bars.empty() && m_bars.front()) m_bars.front()->TakeKeyboard();
}

void BarHost::SetCornerInset(const std::wstring& deviceName, int inset) {
    m_cornerInsets[deviceName] = inset;
    for (auto& bar : m_bars)
        if (bar->Place().deviceName == deviceName) bar->SetCornerInset(inset);
}

bool BarHost::StepBrightness(POINT point, int units) {
    if (!m_brightness) return false;
    HMONITOR under = ::MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY);
    std::size_t screen = m_screens.size();
    for (std::size_t i = 0; i < m_screens.size(); ++i)
        if (m_screens[i].monitor.handle == under) screen = i;
    // A screen without a bar is not this worker's: the caller steps it another way.
    if (screen == m_screens.size()) return false;
    // The worker's own report redraws the item; the indicator is the shell's.
    m_brightness->Step(screen, units, [] { ShowBrightnessIndicator(); });
    return true;
}

void BarHost::ClockSettingsChanged() {
    if (!m_clock) return;
    {
        std::lock_guard lock(m_clock->mutex);
        m_clock->ticker.SetPatterns(LoadClockPatterns(Store()));
    }
    m_clock->lookTicks = ThemeHasBarOpacity(Store());
    if (m_clock->Update(true))
        if (HWND target = m_clock->target.load()) ::PostMessageW(target, kMsgClockText, 0, 0);
}

void BarHost::LookSettingsChanged() {
    auto& store = Store();
    const DarkMode dark = DarkModeFromSetting(store.ReadInt(L"finder", L"darkmode"));
    const ShowMode show = ShowModeFromSetting(store.ReadInt(L"finder", L"showmode"));
    const bool autoColor = store.ReadInt(L"finder", L"autocolor") == 1;
    const bool lookChanged = dark != m_darkMode || autoColor != m_autoColor;
    const bool colourPass = autoColor != m_autoColor;
    const bool showChanged = show != m_showMode;
    m_darkMode = dark;
    m_autoColor = autoColor;
    m_showMode = show;
    for (auto& bar : m_bars) {
        if (colourPass) bar->ForegroundChanged();
        if (lookChanged) bar->ApplyLook();
        if (showChanged) bar->ApplyShowMode();
    }
}

void BarHost::StopClock() {
    if (!m_clock) return;
    m_clock->stop = true;
    m_clock->target = nullptr;
    m_clock.reset();
}

std::wstring BarHost::ClockText() {
    if (!m_clock) return {};
    std::lock_guard lock(m_clock->mutex);
    return m_clock->text;
}

// --- messages from threads and hooks ---------------------------------------------------

void BarHost::ForegroundHint() {
    HWND first = FirstWindow();
    if (!first || m_foregroundPosted) return;
    // Reports come in bursts (several sources tell of one change): one look for all.
    m_foregroundPosted = ::PostMessageW(first, kMsgForeground, 0, 0) != FALSE;
}

void BarHost::OnHostMessage(UINT message) {
    switch (message) {
    case kMsgClockText:
        for (auto& bar : m_bars) bar->ClockChanged();
        return;
    case kMsgLookTick:
        for (auto& bar : m_bars) bar->RefreshLook();
        return;
    case kMsgMinuteTick:
        if (m_services.minuteTasks) m_services.minuteTasks();
        return;
    case kMsgForeground:
        m_foregroundPosted = false;
        // Some reports come before the system has finished the change: look once more.
        if (HWND first = FirstWindow()) ::SetTimer(first, kTimerForegroundAgain, 150, nullptr);
        LookAtForeground();
        return;
    case kMsgInputMethods:
        ReadInputMethods();
        for (auto& bar : m_bars) bar->InputMethodChanged();
        return;
    case kMsgEndBars: Stop(); return;
    case kMsgLowBattery: ShowLowBattery(); return;
    case kMsgBrightness:
        if (auto* source = static_cast<DisplaySource*>(Source(StatusKind::Display))) source->BrightnessChanged();
        return;
    case kMsgWifiChanged: WirelessChanged(); return;
    case kMsgMedia:
        if (auto* source = static_cast<MediaSource*>(Source(StatusKind::MediaControl))) source->SessionChanged();
        return;
    case kMsgBluetoothChanged: BluetoothNews(); return;
    case kMsgHotspot: ShowHotspot(); return;
    default: return;
    }
}

void BarHost::LyricsTick() {
    if (!m_lyrics || m_bars.empty()) return;
    const VarloBar& bar = *m_bars.front();
    m_lyrics->Follow({bar.Place().screen.left, bar.Place().screen.top}, bar.FreeMiddle(), bar.Place().scale);
    // The recoloured line is pictured again only while one is placed.
    const bool picture = m_lyrics->Recolours() && m_lyrics->Placed();
    if (picture != m_lyricsLineTimer) {
        m_lyricsLineTimer = picture;
        if (picture) ::SetTimer(FirstWindow(), kTimerLyricsLine, 250, nullptr);
        else ::KillTimer(FirstWindow(), kTimerLyricsLine);
    }
    if (picture) LyricsLineTick();
    else m_bars.front()->ShowLyricsLine({}, {});
}

void BarHost::LyricsLineTick() {
    if (!m_lyrics || m_bars.empty()) return;
    auto line = m_lyrics->PictureLine();
    if (line) m_bars.front()->ShowLyricsLine(std::move(line->mask), line->host);
    else m_bars.front()->ShowLyricsLine({}, {});
    // Recolouring given up: the player's own line is put back in the bar at once.
    if (m_lyricsLineTimer && !m_lyrics->Recolours()) LyricsTick();
}

void BarHost::LookAtForeground() {
    HWND now = ::GetForegroundWindow();
    if (now == m_foreground) return;
    m_foreground = now;
    for (auto& bar : m_bars) bar->ForegroundChanged();
}

void BarHost::ReadInputMethods() {
    m_inputMethods = win32::ReadInputMethods();
    m_chineseInstalled = std::any_of(m_inputMethods.begin(), m_inputMethods.end(),
                                     [](const InputMethod& m) { return m.language == 2052; });
}

void BarHost::OrderChanged(const std::vector<StatusKind>& order) {
    m_order = order;
    if (!SavePositions(Store(), m_order)) foundation::LogFailure("menu bar", L"the new order could not be saved");
    for (auto& bar : m_bars) bar->SetOrder(m_order);
}

// --- menus and commands ------------------------------------------------------------------

gfx::Menu BarHost::LogoMenu() {
    LogoMenuFacts facts;
    facts.aboutAvailable = true;
    facts.hibernateAllowed = HibernateAllowed();
    facts.updatesWaiting = UpdatesWaiting();
    m_recent = RecentFiles(12);
    for (const auto& file : m_recent) facts.recentFiles.push_back(file.name);
    return menubar::LogoMenu(Store(), facts);
}

gfx::Menu BarHost::InputMethodMenu() {
    std::vector<std::wstring> names;
    int current = -1;
    const HKL layout = ForegroundLayout();
    for (std::size_t i = 0; i < m_inputMethods.size(); ++i) {
        names.push_back(m_inputMethods[i].name);
        if (current < 0 && (m_inputMethods[i].layout == layout ||
                            (!m_inputMethods[i].layout && m_inputMethods[i].language == LOWORD(reinterpret_cast<UINT_PTR>(layout)))))
            current = static_cast<int>(i);
    }
    return menubar::InputMethodMenu(Store(), names, current, Store().ReadInt(L"finder", L"IMEname") == 1);
}

void BarHost::RunPower(VarloBar& bar, PowerAction action, bool installUpdates) {
    auto& store = Store();
    if (NeedsConfirmation(action, store.ReadInt(L"finder", L"messageboxshutdown") == 1)) {
        PromptTexts texts;
        texts.question = ConfirmationQuestion(store, action);
        texts.now = store.LanguageText(L"shutdown", L"now", L"Now");
        texts.minute = store.LanguageText(L"shutdown", L"minute", L"minutes");
        texts.cancel = store.LanguageText(L"promptwindow", L"cancel", L"Cancel");
        texts.confirm = store.LanguageText(L"promptwindow", L"confirm", L"Confirm");
        if (!ConfirmPowerAction(texts, Text(), bar.Place().scale, bar.Dark(), bar.Place().screen)) return;
    }
    RunPowerAction(m_power, action, installUpdates);
}

void BarHost::SetDarkMode(int mode) {
    m_darkMode = DarkModeFromSetting(mode);
    Store().WriteInt(L"finder", L"darkmode", static_cast<int>(m_darkMode));
    for (auto& bar : m_bars) bar->ApplyLook();
}

void BarHost::SetShowMode(int mode) {
    m_showMode = ShowModeFromSetting(mode);
    Store().WriteInt(L"finder", L"showmode", static_cast<int>(m_showMode));
    for (auto& bar : m_bars) bar->ApplyShowMode();
}

void BarHost::SetAutoColor(bool on) {
    m_autoColor = on;
    Store().WriteInt(L"finder", L"autocolor", on ? 1 : 0);
    for (auto& bar : m_bars) {
        bar->ForegroundChanged();
        bar->ApplyLook();
    }
}

void BarHost::RunCommand(VarloBar& bar, int id) {
    using namespace command;
    auto& store = Store();
    if (const auto power = PowerChoiceOf(id)) {
        RunPower(bar, power->action, power->installUpdates);
        return;
    }
    if (id >= kRecentFirst && id <= kRecentLast) {
        const auto index = static_cast<std::size_t>(id - kRecentFirst);
        if (index < m_recent.size()) Open(m_recent[index].path);
        return;
    }
    if (id >= kInputMethodFirst && id <= kInputMethodLast) {
        const auto index = static_cast<std::size_t>(id - kInputMethodFirst);
        if (index < m_inputMethods.size()) SelectInputMethod(m_inputMethods[index]);
        return;
    }
    if (id >= kDarkModeFirst && id < kDarkModeFirst + 4) return SetDarkMode(id - kDarkModeFirst);
    if (id >= kShowModeFirst && id < kShowModeFirst + 3) return SetShowMode(id - kShowModeFirst);
    if (id >= kFocusOff && id < kFocusOff + 3) {
        SetFocusAssistLevel(id - kFocusOff);
        return;
    }
    switch (id) {
    case kAbout:
        ShowAboutWindow(store, Text(), bar.Place().scale, bar.Dark(), bar.Place().screen);
        return;
    case kSystemSettings: Open(L"ms-settings:"); return;
    case kAppStore: Open(L"ms-windows-store:"); return;
    case kTaskManager: Open(L"Taskmgr.exe"); return;
    case kLockScreen: LockScreen(); return;
    case kHideMenu: {
        const bool hidden = store.HasKey(L"finder", L"findermenu") && store.ReadInt(L"finder", L"findermenu") == 0;
        store.WriteInt(L"finder", L"findermenu", hidden ? 1 : 0);
        for (auto& b : m_bars) b->MenuSettingChanged();
        return;
    }
    case kEmptyTrash: EmptyTrash(bar.Window()); return;
    case kShowTaskbar:
    case kHideTaskbar:
        SetTaskbarShown(id == kShowTaskbar);
        store.WriteInt(L"normal", L"hidetaskbar", id == kHideTaskbar ? 1 : 0);
        return;
    case kShowDesktop: PressWindowsKeyWith('D'); return;
    case kRestartProgram:
        if (m_services.restartProgram) m_services.restartProgram();
        return;
    case kPreference:
        if (m_services.openSettings) m_services.openSettings();
        return;
    case kEndBar:
        // Not now: the bar that asked is still on the stack.
        ::PostMessageW(bar.Window(), kMsgEndBars, 0, 0);
        return;
    case kAutoColor: SetAutoColor(!m_autoColor); return;
    case kSymbols: Open(L"charmap.exe"); return;
    case kScreenKeyboard: Open(L"osk.exe"); return;
    case kInputMethodName:
        store.WriteInt(L"finder", L"IMEname", store.ReadInt(L"finder", L"IMEname") == 1 ? 0 : 1);
        for (auto& b : m_bars) b->InputMethodChanged();
        return;
    case kKeyboardSettings: Open(L"ms-settings:regionlanguage"); return;
    case kNotificationSettings: Open(L"ms-settings:notifications"); return;
    case kUserSettings: Open(L"ms-settings:account"); return;
    case kDateTimeSettings: Open(L"ms-settings:dateandtime"); return;
    default: return;
    }
}

} // namespace kestrana::menubar::win32
