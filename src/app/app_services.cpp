#include "app/app_services.h"

#include "app/lifecycle.h"
#include "app/main_window.h"
#include "app/menu_bar.h"
#include "app/settings_host.h"
#include "app/stack_icons.h"
#include "dock/dock_menus.h"
#include "dock/dock_settings.h"
#include "dock/item_list_manager.h"
#include "dock/window_tracker.h"
#include "dock/item_pictures.h"
#include "dock/win32/dock_host.h"
#include "dock/win32/dock_reader.h"
#include "gfx/win32/shell_icon_source.h"
#include "dock/win32/item_system.h"
#include "dock/win32/tracker_pictures.h"
#include "dock/win32/win32_window_facts.h"
#include "dock/win32/window_event_sources.h"
#include "extras/win32/minimise_watcher.h"
#include "extras/win32/window_capture.h"
#include "foundation/companion_update.h"
#include "foundation/hook_protocol.h"
#include "foundation/process_state.h"
#include "foundation/text.h"
#include "foundation/win32/folder_security.h"
#include "foundation/win32/process_clock.h"
#include "foundation/win32/system_launch.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/builtin_text_renderer.h"
#include "gfx/image_decoder.h"
#include "gfx/win32/direct_write_text_renderer.h"
#include "gfx/win32/system_look.h"
#include "gfx/win32/wic_image_decoder.h"
#include "launchers/stack_settings.h"
#include "platform/win32/system_battery.h"
#include "launchers/win32/stack_window.h"
#include "menubar/app_menus.h"
#include "menubar/win32/system_actions.h"
#include "menubar/win32/tray_item.h"
#include "themes/theme_files.h"
#include "weather/win32/weather_host.h"

#include <windows.h>

namespace kestrana::app {

AppServices::AppServices(const std::wstring& baseFolder)
    : m_store(m_files, baseFolder, &m_registry, m_codePage), m_jobs(&foundation::Process().quit) {}

AppServices::~AppServices() = default;

namespace {

void OffsetMenuIds(gfx::Menu& menu, int offset) {
    for (gfx::MenuItem& item : menu) {
        if (item.id > 0) item.id += offset;
        OffsetMenuIds(item.submenu, offset);
    }
}


// The docks draw text only for the calendar picture and the item labels, neither of
// which is in their first frame; the text engine (slow to start) is made on first use.
class TextOnFirstUse final : public gfx::TextRenderer {
public:
    explicit TextOnFirstUse(AppServices& services) : m_services(services) {}
    gfx::TextExtent Measure(std::wstring_view text, const gfx::TextStyle& style, int maxWidth) override {
        return m_services.Text().Measure(text, style, maxWidth);
    }
    gfx::Bitmap Draw(std::wstring_view text, const gfx::TextStyle& style, int maxWidth) override {
        return m_services.Text().Draw(text, style, maxWidth);
    }

private:
    AppServices& m_services;
};

} // namespace

// The companion that types the special items' chords, and the taskbar toggle.
dock::win32::SpecialServices DockSpecialServices() {
    dock::win32::SpecialServices services;
    for (const auto cls : {foundation::kCompanion32Class, foundation::kCompanion64Class}) {
        services.companion = ::FindWindowW(std::wstring(cls).c_str(), nullptr);
        if (services.companion) break;
    }
    services.shareKeyMessage = Messages().shareKey;
    services.toggleTaskbar = [] { menubar::win32::SetTaskbarShown(menubar::win32::TaskbarHidden()); };
    // Without the weather package the item opens our own view; the request is posted, so
    // a worker may make it.
    if (const HWND view = ::FindWindowW(weather::win32::WeatherHost::kViewClass, nullptr)) {
        services.weatherView = [view] { ::PostMessageW(view, weather::win32::WeatherHost::kMsgShowView, 0, 0); };
    }
    return services;
}

void PressKeyChord(std::uint16_t first, std::uint16_t second) noexcept {
    dock::win32::PressKeys(DockSpecialServices(), first, second);
}

gfx::TextRenderer& AppServices::Text() {
    if (!m_text) {
        if (auto direct = gfx::DirectWriteTextRenderer::Create()) m_text = std::move(direct);
        else m_text = std::make_unique<gfx::BuiltinTextRenderer>();
        win32::LogStartupStep(L"text renderer made");
    }
    return *m_text;
}

const gfx::ImageDecoder& AppServices::Decoder() {
    // The shipped pictures are PNG files, which the native reader decodes as fast as the
    // imaging component without loading it; the imaging component reads the other formats.
    if (!m_decoder) m_decoder = std::make_unique<gfx::AnyThreadImageDecoder>();
    return *m_decoder;
}

themes::ThemeChoices& AppServices::ThemeChoices() {
    if (!m_themeChoices) m_themeChoices = std::make_unique<themes::ThemeChoices>(m_store);
    return *m_themeChoices;
}

void AppServices::UpdateCompanionFiles() {
    foundation::CompanionProcessPort processes;
    processes.terminateImage = [](const std::wstring& image) { return win32::TerminateProcessesOf(image); };
    processes.sleep = [](std::uint32_t ms) { ::Sleep(ms); };
    processes.mayInstall = [](const std::wstring& update, std::wstring_view name) {
        return win32::MayInstallUpdateFile(update, win32::CompanionFileMayRunElevated(name));
    };
    const auto result = foundation::UpdateCompanionFiles(m_files, m_store.BaseFolder(), processes);
    if (result.selfUpdatePending) foundation::Process().selfUpdatePending.store(true);
}

bool AppServices::FollowSystemDark() {
    const bool changed = dock::FollowSystemDark(m_store, gfx::AppsUseDarkTheme());
    if (changed) foundation::LogDetail("docks", L"the system's app mode changed: the docks take it");
    return changed;
}

void AppServices::MakeDockServices() {
    m_textOnFirstUse = std::make_unique<TextOnFirstUse>(*this);
    m_themeFiles = std::make_unique<themes::ThemeFiles>(m_files, m_store.BaseFolder(), ThemeChoices());
    m_itemShell = std::make_unique<dock::Win32ItemShell>();
    m_clock = std::make_unique<dock::Win32LocalClock>();
    m_registryReader = std::make_unique<dock::Win32RegistryReader>();
    m_icons = std::make_unique<gfx::ShellIconSource>();
    dock::PictureSources sources{m_files, *m_themeFiles, Decoder(), *m_icons, *m_registryReader, *m_itemShell};
    // The shell's icons need an apartment on the worker that asks for them.
    sources.prepareIcons = [] { return std::shared_ptr<void>(std::make_shared<win32::ComApartment>()); };
    m_pictures = std::make_unique<dock::PictureLoader>(std::move(sources));
    m_items = std::make_unique<dock::ItemListManager>(m_store, *m_itemShell, *m_clock, *m_pictures, m_jobs,
                                                      m_codePage);
    m_windowFacts = std::make_unique<dock::Win32WindowFacts>();
    m_pause = std::make_unique<dock::Win32Pause>();
    m_trackerPictures = std::make_unique<dock::win32::Win32TrackerPictures>(
        m_store, dock::PictureSources{m_files, *m_themeFiles, Decoder(), *m_icons, *m_registryReader, *m_itemShell});
    // A minimised window's own item shows the image its minimise flight took.
    m_trackerPictures->SetKeptImages(
        [](dock::WindowId window) { return extras::win32::MinimisedWindowImage(dock::ToHwnd(window)); });
    dock::TrackerOptions options;
    options.ownImagePath = foundation::AsciiLower(foundation::Process().exePath);
    options.nowMs = [] { return static_cast<std::int64_t>(::GetTickCount64()); };
    m_tracker = std::make_unique<dock::WindowTracker>(
        dock::TrackerPorts{*m_windowFacts, *m_windowFacts, *m_pause, *m_windowFacts, m_store, *m_trackerPictures},
        m_jobs, std::move(options));
}

void AppServices::AddFolderServices(dock::win32::DockServices& services) {
    // The stack's commands keep their own numbers; in the dock's item menu they sit in the
    // folder range.
    constexpr int kStackToDock = dock::dock_command::kFolderFirst - launchers::kStackGrid + 1;
    services.folderRows = [this](const dock::Dockico& item, HWND dock) {
        gfx::Menu rows;
        if (!item.key.starts_with(L"folder-")) return rows;
        const auto settings = launchers::ReadFolderStackSettings(m_store, item.realpath);
        const auto shown = launchers::DrawnLayout(settings.Layout(), launchers::win32::DockEdgeOf(dock), false);
        rows = launchers::FolderItemMenu(settings, m_store, shown);
        OffsetMenuIds(rows, kStackToDock);
        return rows;
    };
    services.folderCommand = [this](const dock::Dockico& item, int command) {
        (void)launchers::ApplyStackCommand(m_store, item.realpath, command - kStackToDock);
    };
    // The pile, its order or the folder's own icon follow at once, not at the next
    // once-a-second look.
    services.folderChanged = [this] { RefreshStackIcons(); };
    services.openStack = [this](const std::wstring& folder, const std::wstring& title, HWND dock, POINT pointer) {
        if (!m_stacks)
            m_stacks = std::make_unique<launchers::win32::StackHost>(launchers::win32::StackServices{
                m_store, m_jobs, Text(), Decoder(), std::make_shared<launchers::win32::StackPictureCache>()});
        m_stacks->Open(folder, title, dock, pointer);
    };
}

void AppServices::StartWeather() {
    m_weather = std::make_unique<weather::win32::WeatherHost>(weather::win32::WeatherHostServices{
        m_store, Text(), Decoder(), [this](std::function<void()> job) {
            return m_jobs.Run([job = std::move(job)](const foundation::JobContext&) { job(); });
        }});
    m_weather->Start();
    dock::win32::SetWeatherValueSource([this] { return m_weather ? m_weather->Summary() : std::wstring(); });
}

bool AppServices::StartDocks() {
    if (m_store.HasKey(L"brisel", L"Ondel") && m_store.ReadInt(L"brisel", L"Ondel") == 0) return false;
    FollowSystemDark();
    if (!m_items) MakeDockServices();
    win32::LogStartupStep(L"dock services ready");
    dock::win32::DockServices services{m_store,
                                       m_jobs,
                                       *m_textOnFirstUse,
                                       Decoder(),
                                       *m_items,
                                       [this] { return m_store.ReadBool(L"normal", L"darkmode"); },
                                       m_themeFiles.get(),
                                       [this] { return ThemeChoices().TimeSkin(); },
                                       [](const std::wstring& deviceName) { return MenuBarHeightOn(deviceName); },
                                       m_tracker.get(),
                                       [] { return DockSpecialServices(); },
                                       {},
                                       [] { RestartProgram(nullptr); },
                                       [] { RequestQuit(); }};
    services.openSettings = [] { OpenSettingsWindow(); };
    services.windowPicture = [](HWND window, const RECT& rect, int width, int height) {
        return extras::win32::CaptureWindowThumbnail(window, rect, width, height);
    };
    AddFolderServices(services);
    if (!m_weather) StartWeather();
    services.weatherPicture = [this] { return m_weather ? m_weather->Picture() : nullptr; };
    services.clockNight = [this] { return m_weather && m_weather->NightForClock(); };
    services.battery = [this] { return Battery(); };
    m_docks = std::make_unique<dock::win32::DockHost>(std::move(services));
    // The chat programs' unread messages, seen by the menu bar's tray, mark their items.
    menubar::win32::SetUnreadListener([this](const menubar::tray::UnreadMarks& marks) {
        if (m_docks) m_docks->SetUnread(marks);
    });
    return m_docks->Start();
}

platform::BatteryReadings* AppServices::Battery() {
    if (!m_battery) {
        m_batteryPort = std::make_unique<platform::win32::SystemBatteryPort>();
        m_battery = std::make_unique<platform::BatteryReadings>(*m_batteryPort);
    }
    return m_battery.get();
}

void AppServices::PowerChanged() {
    // The menu bar's item hears the same notice on its own windows; the readings are shared.
    if (m_docks) m_docks->PowerChanged();
}

void AppServices::TickWeather() {
    if (m_weather) m_weather->Tick(m_docks && m_docks->HasWeatherItem());
}

void AppServices::MinuteTasks() {
    if (m_weather) m_weather->NewMinute();
}

void AppServices::WeatherResumed() {
    if (m_weather) m_weather->Resumed();
}

namespace {

// The window tracker gets every report; a window coming to the front also makes the menu
// bar look at the foreground, so both follow the same sources.
class TrackerAndMenuBar final : public dock::WindowEventSink {
public:
    explicit TrackerAndMenuBar(dock::WindowEventSink& tracker) : m_tracker(tracker) {}
    void OnWindowEvent(const dock::WindowEvent& event) override {
        m_tracker.OnWindowEvent(event);
        if (event.kind == dock::WindowEventKind::Activated && Handlers().foregroundHint) Handlers().foregroundHint();
        const bool comesOrGoes = event.kind == dock::WindowEventKind::Activated ||
                                 event.kind == dock::WindowEventKind::Appeared ||
                                 event.kind == dock::WindowEventKind::Destroyed;
        if (comesOrGoes && Handlers().stageWindowsChanged) Handlers().stageWindowsChanged();
    }
    void OnPassEnded() override { m_tracker.OnPassEnded(); }

private:
    dock::WindowEventSink& m_tracker;
};

} // namespace

std::wstring AppServices::DockItemName(const std::wstring& imagePath) {
    if (!m_docks) return {};
    std::vector<menubar::DockItemName> items;
    for (std::size_t i = 0; i < m_docks->Count(); ++i) {
        auto* dock = m_docks->At(i);
        if (!dock) continue;
        std::lock_guard bars(dock::BarsListMutex());
        const auto& row = dock->Bar().Items();
        std::lock_guard list(row.ListMutex());
        // Pinned items only: a running-only item is labelled with a window's title.
        row.ForEachReal([&](std::size_t, const dock::Dockico& item) {
            if (item.kept) items.push_back({item.realpath, item.appname, item.tag});
        });
    }
    return menubar::DockNameFor(items, imagePath);
}

void AppServices::StartWindowTracking(HWND mainWindow) {
    if (!m_tracker || !m_docks || m_windowSources) return;
    m_windowSources = std::make_unique<dock::WindowEventSources>(*m_windowFacts);
    m_windowSink = std::make_unique<TrackerAndMenuBar>(*m_tracker);
    if (!m_windowSources->Start(mainWindow, *m_windowSink)) {
        foundation::LogFailure("window tracking", L"the window notifications could not be started");
        m_windowSources.reset();
        return;
    }
    auto& handlers = Handlers();
    handlers.shellHook = [this](WPARAM code, LPARAM window) {
        if (m_windowSources) m_windowSources->OnShellHook(code, window);
    };
    handlers.taskbarRecreated = [this] {
        if (m_windowSources) m_windowSources->OnTaskbarCreated();
    };
    handlers.windowEvent = [this](const dock::WindowEvent& event) {
        if (m_windowSources && event.kind != dock::WindowEventKind::Changed)
            m_windowSources->Quicken(event.kind == dock::WindowEventKind::Appeared ||
                                     event.kind == dock::WindowEventKind::Activated);
        m_windowSink->OnWindowEvent(event);
    };
    handlers.trackedWindows = [this] {
        std::vector<HWND> windows;
        for (const dock::WindowId window : m_tracker->TrackedWindows()) windows.push_back(dock::ToHwnd(window));
        return windows;
    };
}

void AppServices::RetryItemPictures() {
    if (m_items) m_items->RetryPictures();
    RefreshStackIcons();
}

void AppServices::RefreshStackIcons() {
    if (!m_docks) return;
    if (!m_stackIcons) m_stackIcons = std::make_unique<StackIcons>(m_store, m_jobs, Decoder());
    m_stackIcons->Refresh(*m_docks);
}

void AppServices::StopDocks() {
    if (m_docks) m_docks->Stop();
}

} // namespace kestrana::app
