#pragma once
// The menu bars of the program: one on the chosen screen, or one per screen with
// "allscreens" (made 800 ms apart). Owns what the bars share: the clock thread and its
// text, the input methods and their registry watch, the foreground as the window event
// sources report it, the menu hand-over files, the power actions and the settings the
// context menu changes.

#include "gfx/win32/monitors.h"
#include "foundation/config_store.h"
#include "gfx/image_decoder.h"
#include "gfx/menu_model.h"
#include "gfx/text_renderer.h"
#include "menubar/bar_appearance.h"
#include "menubar/clock_text.h"
#include "menubar/menu_handshake.h"
#include "menubar/monitors.h"
#include "menubar/stage_item.h"
#include "menubar/battery.h"
#include "menubar/bluetooth_item.h"
#include "menubar/drive_notices.h"
#include "menubar/brightness.h"
#include "menubar/status_items.h"
#include "menubar/status_source.h"
#include "menubar/win32/system_actions.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::gfx {
class PromptWindow;
}

namespace kestrana::menubar::win32 {

class VarloBar;
class CoreAudioPort;
class SystemWlanPort;
class SystemBluetoothPort;
class HotspotControl;
class MonitorSampler;
class SystemMonitorFacts;
class SystemMediaPort;
class LyricsHost;

struct BarServices {
    foundation::ConfigStore& store;
    gfx::TextRenderer& text;
    const gfx::ImageDecoder& decoder;
    std::function<void()> restartProgram; // the context menu's "restart"
    std::function<void()> openSettings;   // and its "preference"
    // The name of the dock item of a program path; empty without one (or without docks).
    std::function<std::wstring(const std::wstring& imagePath)> dockItemName;
    // Run on the user-interface thread at second 0 of each minute, from the clock's tick.
    std::function<void()> minuteTasks;
    // The machine's battery, as the dock's battery item reads it too (made at first use).
    std::function<platform::BatteryReadings*()> battery;
    // The stage manager's switch for the screen under the pointer; none: no stage-manager item.
    StageSwitch stageManager;
};

// Messages the bars' windows receive from the host's threads and hooks.
inline constexpr UINT kMsgClockText = WM_APP + 40;
inline constexpr UINT kMsgForeground = WM_APP + 41;
inline constexpr UINT kMsgInputMethods = WM_APP + 42;
inline constexpr UINT kMsgAppBar = WM_APP + 43;
inline constexpr UINT kMsgEndBars = WM_APP + 44;
inline constexpr UINT kMsgLowBattery = WM_APP + 50;
inline constexpr UINT kMsgBrightness = WM_APP + 51;
inline constexpr UINT kMsgLookTick = WM_APP + 53;   // the clock's tick: does the bar's look still hold?
inline constexpr UINT kMsgMinuteTick = WM_APP + 54; // second 0 of a minute
inline constexpr UINT_PTR kTimerNextBar = 41;
inline constexpr UINT_PTR kTimerRebuild = 42;
inline constexpr UINT_PTR kTimerForegroundAgain = 43;
inline constexpr UINT_PTR kTimerForegroundPoll = 44;
inline constexpr UINT_PTR kTimerDriveScan = 13; // after a drive arrived, 500 ms on the first bar
inline constexpr UINT_PTR kTimerMonitors = 14; // the monitors' sampler, every 2000 ms on the first bar
inline constexpr UINT_PTR kTimerLyrics = 31;   // with "musicLyrics": the lyrics window looked for and placed, every 2000 ms
inline constexpr UINT_PTR kTimerLyricsLine = 32; // with "musicLyrics_color" while a line is placed: its picture taken again, every 250 ms

class BarHost {
public:
    explicit BarHost(BarServices services);
    ~BarHost();
    BarHost(const BarHost&) = delete;
    BarHost& operator=(const BarHost&) = delete;

    // Makes the first bar at once (the others of "allscreens" follow); false when none.
    bool Start();
    // Takes every bar down and gives the screen space back (user-interface thread).
    void Stop();
    // Hides the bars and gives the space back from any thread (a crash, a restart).
    void ReleaseScreenSpace() noexcept;
    // The height of the bar on a screen ("\\.\DISPLAY1"), 0 without one. Known from the
    // start for every screen that gets a bar, also before its bar is made.
    [[nodiscard]] int HeightOn(const std::wstring& deviceName) const;
    [[nodiscard]] std::size_t Count() const { return m_bars.size(); }

    // The window event sources saw a window come to the front (any thread's report,
    // on the user-interface thread): the bars look at the foreground once.
    void ForegroundHint();
    // The bars follow the foreground window when it changed since they last looked.
    void LookAtForeground();

    // --- for the bars -------------------------------------------------------------
    [[nodiscard]] foundation::ConfigStore& Store() { return m_services.store; }
    [[nodiscard]] gfx::TextRenderer& Text() { return m_services.text; }
    [[nodiscard]] const gfx::ImageDecoder& Decoder() { return m_services.decoder; }
    [[nodiscard]] bool AllScreens() const { return m_allScreens; }
    [[nodiscard]] std::wstring ClockText();
    [[nodiscard]] const std::vector<InputMethod>& InputMethods() const { return m_inputMethods; }
    [[nodiscard]] bool ChineseInstalled() const { return m_chineseInstalled; }
    [[nodiscard]] DarkMode Dark() const { return m_darkMode; }
    [[nodiscard]] ShowMode Show() const { return m_showMode; }
    [[nodiscard]] bool AutoColor() const { return m_autoColor; }
    [[nodiscard]] MenuHandshake& Handshake() { return *m_handshake; }
    [[nodiscard]] std::wstring DockItemName(const std::wstring& imagePath) const {
        return m_services.dockItemName ? m_services.dockItemName(imagePath) : std::wstring();
    }
    // The source of a status item kind that plugs in as one, or null.
    [[nodiscard]] StatusSource* Source(StatusKind kind) const;
    // Sound notifications posted by the system's threads to the first bar.
    void OnAudioMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // A device message reached `bar`: drives that came or went are announced.
    void DeviceChange(HWND bar, WPARAM event, LPARAM data);
    // Timer 13: the present drives looked at again, their labels ready by now.
    void ScanDrives();
    // The radio reported a connection event: the devices are read again and announced.
    void BluetoothEvent(LPARAM data);
    // The runtime's radio or watchers reported (kMsgBluetoothChanged).
    void BluetoothNews();
    // A drive arrived (kMsgDriveOffer): its notice with the eject button, left up under
    // the first bar's right end without taking the keyboard.
    void OfferEject(wchar_t letter);
    // An eject ended (kMsgDriveEjected, `answer` packed): the outcome is shown and logged.
    void DriveEjected(wchar_t letter, LPARAM answer);
    // The system's power state may have changed (a power broadcast reached `bar`).
    void PowerChanged(HWND bar);
    // The low-battery prompt, posted to the first bar.
    void ShowLowBattery();
    // A bar's new order after a drag: saved, and given to the other bars.
    void OrderChanged(const std::vector<StatusKind>& order);
    // The logo menu as the system stands now (hibernation, updates, recent files).
    [[nodiscard]] gfx::Menu LogoMenu();
    [[nodiscard]] gfx::Menu InputMethodMenu();
    // Runs a menu command chosen on `bar`.
    void RunCommand(VarloBar& bar, int id);
    // Asks for confirmation first when the settings say so.
    void RunPower(VarloBar& bar, PowerAction action, bool installUpdates);
    // A message the host's threads and hooks post to the first bar, and its timer for
    // the next bar of "allscreens".
    void OnHostMessage(UINT message);
    void MakeNextBar();
    // The screens changed: the bars are made again after 500 ms without further changes.
    void DisplayChanged();
    // The items' settings changed: the bars are made again the same way.
    void RebuildSoon() { DisplayChanged(); }
    void Rebuild();
    // The clock's patterns changed in the settings: every bar shows the new text at once.
    void ClockSettingsChanged();
    // The settings page changed the appearance, the hide mode or the colour pass: applied
    // to the running bars.
    void LookSettingsChanged();
    // The bar of the primary screen (or the first) takes the keyboard.
    void TakeKeyboard();
    // The rounded corners of the screen `deviceName` ("\\.\DISPLAY1"), remembered for
    // bars made later.
    void SetCornerInset(const std::wstring& deviceName, int inset);
    // A brightness key: the screen's monitors under `point` step by `units` on the display
    // item's worker. False when the display item is off or that screen has no bar (someone
    // else must do it).
    bool StepBrightness(POINT point, int units);
    // The monitors' timer: hands a sample to the sampler's worker.
    void MonitorTick();
    // The worker's readings changed the items of `faces` and the pop-up rows of
    // `details` (KindBit each).
    void MonitorsChanged(std::uint32_t faces, std::uint32_t details);
    // A bar opened (or, with nothing, closed) the pop-up of an item: a monitor's pop-up
    // has its rows gathered and redrawn while it stays open.
    void ItemMenuOpen(std::optional<StatusKind> kind);
    // The monitor items' settings may have changed: items switched on are made, items
    // switched off removed, without a restart.
    void MonitorSettingsChanged();
    // Timer 31: the hosted lyrics follow the first bar's free middle.
    void LyricsTick();
    // Timer 32: the recoloured line's picture taken again and handed to the first bar.
    void LyricsLineTick();
    // The temperature reader's messages to the first bar (49999, 49998, copy-data).
    void OnReaderMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Screen {
        gfx::MonitorInfo monitor;
        float scale = 1.0f;
        float textScale = 1.0f; // "make text bigger"
        int height = 0;
    };
    struct ClockState;

    void ReadBarSettings();
    bool ChooseScreens();
    void PlanOrder();
    void AimSourcesAtFirstBar();
    void WatchFromFirstBar();
    void MakeBar(std::size_t index);
    void StartSources();
    void StopSources();
    // The Wi-Fi and Bluetooth items and their ports.
    void StartWireless();
    void ListPresentDrives();
    void ShowDriveNotice(const DriveNotice& drive);
    // The drive notice closed: Eject chosen, or closed unanswered.
    void DriveNoticeDone(const std::wstring& root, bool eject);
    // A drive left: its notice goes with it.
    void DriveLeft(const std::wstring& root);
    void EjectListed(const std::wstring& root);
    // The Bluetooth devices or radio changed from `before`: the item shows it, notices say it.
    void BluetoothChanged(const std::vector<BluetoothDevice>& before);
    // The WLAN service or the connectivity changed (kMsgWifiChanged).
    void WirelessChanged();
    // The hotspot's facts came (kMsgHotspot): the pane shows them.
    void ShowHotspot();
    void StartClock();
    void StopClock();
    void ReadInputMethods();
    void SetDarkMode(int mode);
    void SetShowMode(int mode);
    void SetAutoColor(bool on);
    [[nodiscard]] HWND FirstWindow() const;
    void AddMonitorSources(const std::vector<StatusKind>& kinds);
    void StartMonitorTimer();
    [[nodiscard]] DisplayTypes MonitorTypes() const;
    [[nodiscard]] std::uint32_t ShownMonitorItems() const;
    [[nodiscard]] std::vector<float> LevelTracks() const;
    void KeepReader();
    void StopReader();
    [[nodiscard]] std::uint32_t PopupDetails() const;
    void RefreshOpenPopup();

    BarServices m_services;
    std::map<std::wstring, int> m_cornerInsets; // by screen device name
    std::vector<Screen> m_screens;
    std::size_t m_nextScreen = 0;
    std::unique_ptr<MenuHandshake> m_handshake; // outlives the bars, whose requests it holds
    std::vector<std::unique_ptr<VarloBar>> m_bars;
    std::vector<StatusKind> m_order;
    bool m_allScreens = false;
    DarkMode m_darkMode = DarkMode::Wallpaper;
    ShowMode m_showMode = ShowMode::Always;
    bool m_autoColor = false;
    std::shared_ptr<ClockState> m_clock;
    std::vector<InputMethod> m_inputMethods;
    bool m_chineseInstalled = false;
    std::unique_ptr<InputMethodWatch> m_inputMethodWatch;
    HWND m_foreground = nullptr;      // as the bars last looked at it
    bool m_foregroundPosted = false;
    Win32PowerPort m_power;
    std::unique_ptr<CoreAudioPort> m_audio;
    std::unique_ptr<SystemWlanPort> m_wlan;
    std::unique_ptr<SystemBluetoothPort> m_bluetooth;
    std::unique_ptr<SystemMediaPort> m_media;
    std::unique_ptr<LyricsHost> m_lyrics;
    bool m_lyricsLineTimer = false;
    DriveList m_drives;
    DriveNoticeSlot m_noticeSlot;
    // Belongs to the host, not to a bar: it stays while the bars are made again.
    std::unique_ptr<gfx::PromptWindow> m_driveNotice;
    std::unique_ptr<HotspotControl> m_hotspot;
    std::wstring m_hotspotWhy; // last said in the log
    BatteryReadings* m_battery = nullptr; // the program's, while a battery item is shown
    std::shared_ptr<std::atomic<HWND>> m_brightnessTarget; // the worker posts there
    std::unique_ptr<BrightnessWorker> m_brightness;
    std::vector<std::unique_ptr<StatusSource>> m_sources; // outlive the bars that show them
    HPOWERNOTIFY m_chargeNotify = nullptr;
    std::wstring m_lowBatteryText; // waiting to be shown
    bool m_lowBatteryShown = false; // once per run of the program
    std::vector<RecentFile> m_recent; // as last offered by the logo menu
    std::shared_ptr<MonitorBoard> m_monitorBoard; // the histories outlive a rebuild of the bars
    std::unique_ptr<SystemMonitorFacts> m_monitorFacts;
    std::unique_ptr<MonitorSampler> m_sampler;
    ReaderLink m_thermel;
    int m_thermelGpu = -1; // the GPU wish last told to the reader
    std::optional<StatusKind> m_openMonitor; // the monitor whose pop-up is open
    std::optional<StatusKind> m_openItem;    // the status item whose menu is open
    std::optional<foundation::FileStamp> m_monitorStamp; // of the settings when last read
    DisplayTypes m_monitorTypes;
    ULONGLONG m_companionStartMs = 0;
    int m_companionStarts = 0; // since the last request that reached the companion
};

} // namespace kestrana::menubar::win32
