#pragma once
// The program's long-lived objects, made once at start and alive until the process ends:
// the file system and registry ports, the settings store, the job runner, the image and
// text services, the theme choices and the docks.

#include "foundation/job_runner.h"
#include "dock/win32/item_actions.h"
#include "foundation/config_store.h"
#include "foundation/startup_settings.h"
#include "foundation/win32/startup_environment.h"
#include "foundation/win32/system_code_page.h"
#include "foundation/win32/win32_registry.h"
#include "gfx/image_decoder.h"
#include "gfx/text_renderer.h"
#include "platform/battery.h"
#include "platform/win32/win32_file_system.h"
#include "themes/theme_choices.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace kestrana::dock {
class ItemListManager;
class PictureLoader;
class Win32ItemShell;
class Win32LocalClock;
class Win32RegistryReader;
class Win32WindowFacts;
class Win32Pause;
class WindowTracker;
class WindowEventSources;
class WindowEventSink;
namespace win32 {
class DockHost;
struct DockServices;
class Win32TrackerPictures;
} // namespace win32
} // namespace kestrana::dock
namespace kestrana::gfx {
class ShellIconSource;
}
namespace kestrana::themes {
class ThemeFiles;
}
namespace kestrana::launchers::win32 {
class StackHost;
}
namespace kestrana::weather::win32 {
class WeatherHost;
}

namespace kestrana::app {

class StackIcons;

// The companion that types the special items' and the volume hotkeys' chords, and the
// taskbar toggle, as they are now.
[[nodiscard]] dock::win32::SpecialServices DockSpecialServices();

// Presses a key chord the way the dock's special items do: through the companion when it
// runs, else synthesised.
void PressKeyChord(std::uint16_t first, std::uint16_t second) noexcept;

class AppServices {
public:
    explicit AppServices(const std::wstring& baseFolder);
    ~AppServices();
    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    [[nodiscard]] platform::Win32FileSystem& Files() { return m_files; }
    [[nodiscard]] foundation::ConfigStore& Store() { return m_store; }
    [[nodiscard]] foundation::JobRunner& Jobs() { return m_jobs; }

    // What the settings loader decided at start (scale, font, sun times, the window
    // animation flags): later features read it here instead of loading again.
    [[nodiscard]] const foundation::StartupSettings& Startup() const { return m_startup; }
    void SetStartup(foundation::StartupSettings settings) { m_startup = std::move(settings); }

    // Needs COM on the calling thread; made on first use.
    [[nodiscard]] gfx::TextRenderer& Text();
    // Usable from any thread, several at once.
    [[nodiscard]] const gfx::ImageDecoder& Decoder();
    [[nodiscard]] themes::ThemeChoices& ThemeChoices();

    // The companion files an update left beside the program replace the old ones.
    void UpdateCompanionFiles();

    // Starts the docks (when the settings ask for them); false when none was made.
    bool StartDocks();
    // "darkmodesystem": the dark flag takes the system's app mode. True when it changed.
    bool FollowSystemDark();
    // The battery readings, made at first use (user-interface thread).
    [[nodiscard]] platform::BatteryReadings* Battery();
    // The system's power state changed: the battery items follow.
    void PowerChanged();
    // After StartDocks: the system's window notifications reach the docks' window tracker,
    // through `mainWindow` (a window of the user-interface thread) for the shell's own.
    void StartWindowTracking(HWND mainWindow);
    // Takes the docks down, writing what they keep for the next start.
    void StopDocks();
    [[nodiscard]] dock::win32::DockHost* Docks() { return m_docks.get(); }
    // Picture requests that found the job runner full are asked again, and folders shown
    // as stacks get their piles. Every second.
    void RetryItemPictures();
    // The folder items shown as stacks take their piles (or their own icons) as set now.
    void RefreshStackIcons();
    // The weather: its position and sun times are asked for once the docks start; every
    // second it takes over finished fetches and fetches while a weather item shows.
    void TickWeather();
    // The tasks of each minute's start: a new day's sun times.
    void MinuteTasks();
    void WeatherResumed();
    // The name of the first dock item (of any dock) launched from `imagePath`; the menu
    // bar names the active application with it. User-interface thread.
    [[nodiscard]] std::wstring DockItemName(const std::wstring& imagePath);

private:
    // The dock's services that live as long as the program: item files, pictures, the window tracker.
    void MakeDockServices();
    // The folder stacks' rows and commands in the dock's item menus, and the stacks themselves.
    void AddFolderServices(dock::win32::DockServices& services);
    // The weather data behind the weather item and the clock's night.
    void StartWeather();
    platform::Win32FileSystem m_files;
    win32::Win32Registry m_registry;
    win32::SystemCodePage m_codePage;
    foundation::ConfigStore m_store;
    foundation::JobRunner m_jobs;
    foundation::StartupSettings m_startup;
    std::unique_ptr<gfx::TextRenderer> m_text;
    std::unique_ptr<gfx::TextRenderer> m_textOnFirstUse; // passes on to m_text, making it on the first call
    std::unique_ptr<gfx::ImageDecoder> m_decoder;
    std::unique_ptr<themes::ThemeChoices> m_themeChoices;
    std::unique_ptr<themes::ThemeFiles> m_themeFiles;
    std::unique_ptr<dock::Win32ItemShell> m_itemShell;
    std::unique_ptr<dock::Win32LocalClock> m_clock;
    std::unique_ptr<dock::Win32RegistryReader> m_registryReader;
    std::unique_ptr<gfx::ShellIconSource> m_icons;
    std::unique_ptr<dock::PictureLoader> m_pictures;
    std::unique_ptr<dock::ItemListManager> m_items;
    // Destroyed in the reverse order: the docks let go of the tracker's rows first, and the
    // event sources stop before the tracker they report to.
    std::unique_ptr<dock::Win32WindowFacts> m_windowFacts;
    std::unique_ptr<dock::Win32Pause> m_pause;
    std::unique_ptr<dock::win32::Win32TrackerPictures> m_trackerPictures;
    std::unique_ptr<dock::WindowTracker> m_tracker;
    std::unique_ptr<dock::WindowEventSink> m_windowSink; // the tracker, and the menu bar for activations
    std::unique_ptr<dock::WindowEventSources> m_windowSources;
    // The machine's battery, read by the dock's and the menu bar's battery items alike.
    std::unique_ptr<platform::BatteryPort> m_batteryPort;
    std::unique_ptr<platform::BatteryReadings> m_battery;
    std::unique_ptr<weather::win32::WeatherHost> m_weather; // before the docks, which draw its picture
    std::unique_ptr<dock::win32::DockHost> m_docks;
    std::unique_ptr<launchers::win32::StackHost> m_stacks; // made on the first folder click
    std::unique_ptr<StackIcons> m_stackIcons;
};

} // namespace kestrana::app
