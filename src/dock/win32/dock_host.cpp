#include "dock/win32/dock_host.h"

#include "dock/unread_marks.h"

#include "foundation/diagnostic_log.h"
#include "themes/surface_appearance.h"

#include <algorithm>

namespace kestrana::dock::win32 {
namespace {

SkinSpacing SpacingOf(const themes::DockSkin& skin) {
    SkinSpacing spacing;
    if (!skin.HasSkin()) return spacing;
    const auto& s = skin.Spacing();
    spacing.present = true;
    spacing.spaceLeft = s.spaceLeft;
    spacing.spaceTop = s.spaceTop;
    spacing.spaceRight = s.spaceRight;
    spacing.spaceBottom = s.spaceBottom;
    spacing.runOffset = s.runOffset;
    return spacing;
}

const MonitorInfo* MonitorUnderPointer(const std::vector<MonitorInfo>& monitors) {
    POINT p{};
    ::GetCursorPos(&p);
    for (const auto& m : monitors)
        if (m.rect.Contains({p.x, p.y})) return &m;
    return nullptr;
}

// Saves write a few small files; longer than this and the disk is stuck, not slow.
constexpr std::chrono::milliseconds kSaveWait{500};
// The first frame waits this long at most for the item pictures, so that the dock
// appears whole rather than filling in; pictures that take longer follow on their own.
constexpr std::chrono::milliseconds kFirstFramePictureWait{100};

} // namespace

DockHost::~DockHost() { Stop(); }

bool DockHost::AddDock(const MonitorInfo& screen) {
    MonitorInfo monitor = screen;
    if (m_services.menuBarHeight) monitor.menuBarHeight = m_services.menuBarHeight(monitor.deviceName);
    auto& store = m_services.store;
    const DockSettings settings = ReadDockSettings(store, monitor.deviceName, monitor.dpiScale);
    auto jobs = m_docks.NewJobs();
    auto dock = std::make_unique<Dock>();
    themes::DockSkinOptions options;
    options.dark = m_services.darkMode ? m_services.darkMode() : false;
    options.scale = monitor.dpiScale;
    options.screenPosition = static_cast<int>(settings.screenPosition);
    dock->skin = std::make_unique<themes::DockSkin>(themes::DockSkin::Load(store, m_services.decoder, options));
    dock->window = std::make_unique<DockWindow>(*jobs, *dock->skin, m_services.text, settings, monitor,
                                                SpacingOf(*dock->skin));
    if (!dock->window->Valid()) {
        foundation::LogFailure("docks", L"the windows of the dock on " + monitor.deviceName + L" could not be made");
        return false;
    }

    OndelBar& bar = dock->window->Bar();
    PictureState pictureState;
    pictureState.dark = options.dark;
    const PictureDelivery delivery{jobs.get(), dock->window->PicturesArrived()};
    LoadedRow loaded = m_services.items.Load(bar.Items(), pictureState, delivery);
    if (!loaded.pictures.Wait(kFirstFramePictureWait))
        foundation::LogDetail("item pictures", L"the first frame shows the dock before all of them");
    bar.SetDark(options.dark);
    const themes::SurfaceAppearance look = themes::ReadSurfaceAppearance(store, themes::Surface::Dock);
    if (look.enabled) bar.SetBackdrop(true, look.opacity);
    DockWindow* window = dock->window.get();
    foundation::JobRunner* dockJobs = jobs.get();
    if (!m_preview)
        m_preview = std::make_unique<PreviewWindow>(
            PreviewWindow::Services{m_services.jobs, store, m_services.text, m_services.windowPicture});
    dock->window->EnablePreviews(m_preview.get());
    dock->window->EnableClicks({*jobs, store, nullptr, m_services.specialServices, [this, window, dockJobs](bool full) {
                                    // The dock's own message: the window, its jobs and the host are there.
                                    PictureState state;
                                    state.dark = m_services.darkMode ? m_services.darkMode() : false;
                                    state.trashFull = full;
                                    m_services.items.PicturesChanged(window->Bar().Items(), state,
                                                                     {dockJobs, window->PicturesArrived()});
                                },
                                m_services.openStack});
    DockMenus::Services menus{*jobs, store, m_services.items, m_services.text};
    menus.special = m_services.specialServices;
    menus.restart = m_services.restart;
    menus.quit = m_services.quit;
    menus.openSettings = m_services.openSettings;
    menus.folderRows = m_services.folderRows;
    menus.folderCommand = m_services.folderCommand;
    menus.folderChanged = m_services.folderChanged;
    menus.itemsAdded = [this, window, dockJobs] {
        PictureState state;
        state.dark = m_services.darkMode ? m_services.darkMode() : false;
        state.trashFull = window->TrashFull();
        m_services.items.PicturesChanged(window->Bar().Items(), state, {dockJobs, window->PicturesArrived()});
    };
    if (WindowTracker* tracker = m_services.tracker) menus.runningRulesChanged = [tracker] { tracker->LookAgain(); };
    dock->window->EnableMenus(std::move(menus));
    bar.ItemsChanged();
    if (WindowTracker* tracker = m_services.tracker) {
        const auto row = tracker->AttachRow(bar.Items(), dock->window->RowChangedPoster(), bar.Model().IconSize());
        dock->trackedRow = row;
        dock->window->SetRowChangedHook([tracker, row](float iconSize) { tracker->SetIconSize(row, iconSize); });
    }
    m_docks.Add(std::move(jobs), std::move(dock));
    return true;
}

namespace {

// The weather picture changed between minutes: only the weather items take it.
template <class Docks>
void UpdateWeatherPictures(Docks& docks, const std::shared_ptr<const gfx::Bitmap>& weather) {
    docks.ForEach([&](auto& dock) {
        if (!dock.window) return;
        OndelBar& bar = dock.window->Bar();
        bool changed = false;
        {
            std::lock_guard lock(bar.Items().ListMutex());
            bar.Items().ForEachReal([&](std::size_t, Dockico& item) {
                if (item.live != LivePicture::Weather) return;
                item.picture = weather;
                changed = true;
            });
        }
        if (changed) bar.Redraw();
    });
}

} // namespace

void DockHost::LoadLiveSources() {
    m_clockSkin = {};
    m_clockSkinNight = {};
    m_calendarPage = {};
    const bool dark = m_services.darkMode ? m_services.darkMode() : false;
    auto& files = m_services.store.Files();
    auto decode = [&](const std::wstring& path) -> gfx::Bitmap {
        const auto bytes = files.Read(path);
        if (!bytes) return {};
        auto picture = m_services.decoder.Decode(*bytes, {kItemPictureSize, kItemPictureSize});
        return picture ? std::move(*picture) : gfx::Bitmap();
    };
    if (m_services.theme) {
        m_calendarPage = decode(m_services.theme->ThemeIconPath(L"Calendar", dark));
        // The clock skin's pictures: the chosen skin's, else the shipped default's.
        const std::wstring base = m_services.store.BaseFolder();
        for (const std::wstring& skin : {m_services.clockSkin ? m_services.clockSkin() : std::wstring(L"default"),
                                         std::wstring(L"default")}) {
            const std::wstring folder = themes::ThemeFolder(base, skin) + L"clock\\";
            const std::wstring config = folder + L"config.ini";
            if (!files.IsFile(config)) continue;
            auto picture = [&](const wchar_t* key, bool darkPicture) {
                std::wstring name;
                if (darkPicture) name = m_services.store.ReadString(L"config", std::wstring(key) + L"_dark", L"", config);
                if (name.empty()) name = m_services.store.ReadString(L"config", key, L"", config);
                return name.empty() ? gfx::Bitmap() : decode(folder + name);
            };
            // With sun times the skin's dark pictures are its night; without, the appearance's.
            const bool byNight = static_cast<bool>(m_services.clockNight);
            for (auto [pictures, darkPicture] : {std::pair{&m_clockSkin, dark && !byNight}, std::pair{&m_clockSkinNight, true}}) {
                if (!byNight && pictures == &m_clockSkinNight) continue;
                pictures->face = picture(L"bg", darkPicture);
                pictures->hour = picture(L"hour", darkPicture);
                pictures->minute = picture(L"minute", darkPicture);
                pictures->second = picture(L"second", darkPicture);
            }
            if (m_clockSkin.Usable()) break;
        }
    }
}

bool DockHost::HasWeatherItem() {
    bool found = false;
    m_docks.ForEach([&](Dock& dock) {
        if (found || !dock.window) return;
        OndelBar& bar = dock.window->Bar();
        std::lock_guard lock(bar.Items().ListMutex());
        bar.Items().ForEachReal([&](std::size_t, Dockico& item) { found = found || item.live == LivePicture::Weather; });
    });
    return found;
}

void DockHost::UpdateLivePictures(bool force) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const int minuteOfYear = (now.wYear * 400 + now.wMonth * 32 + now.wDay) * 1440 + now.wHour * 60 + now.wMinute;
    std::shared_ptr<const gfx::Bitmap> weather = m_services.weatherPicture ? m_services.weatherPicture() : nullptr;
    const bool weatherChanged = weather != m_weatherPicture;
    m_weatherPicture = weather;
    if (!force && minuteOfYear == m_liveMinute) {
        if (weatherChanged && weather) UpdateWeatherPictures(m_docks, weather);
        return;
    }
    m_liveMinute = minuteOfYear;
    wchar_t monthName[32] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, L"MMM", monthName, 32, nullptr);
    const bool night = m_services.clockNight && m_services.clockNight();
    std::shared_ptr<const gfx::Bitmap> clock, calendar;
    m_docks.ForEach([&](Dock& dock) {
        OndelBar& bar = dock.window->Bar();
        bool changed = false;
        {
            std::lock_guard lock(bar.Items().ListMutex());
            bar.Items().ForEachReal([&](std::size_t, Dockico& item) {
                if (item.live == LivePicture::Clock && m_clockSkin.Usable()) {
                    const ClockSkinPictures& skin = night && m_clockSkinNight.Usable() ? m_clockSkinNight : m_clockSkin;
                    if (!clock)
                        clock = std::make_shared<const gfx::Bitmap>(DrawClockPicture(
                            skin, now.wHour, now.wMinute, now.wSecond, false, kItemPictureSize));
                    item.picture = clock;
                    changed = true;
                } else if (item.live == LivePicture::Weather && weather) {
                    item.picture = weather;
                    changed = true;
                } else if (item.live == LivePicture::Calendar && !m_calendarPage.Empty()) {
                    if (!calendar)
                        calendar = std::make_shared<const gfx::Bitmap>(DrawCalendarPicture(
                            m_calendarPage, m_services.text, monthName, now.wDay, kItemPictureSize));
                    item.picture = calendar;
                    changed = true;
                }
            });
        }
        if (changed) bar.Redraw();
    });
}

void DockHost::SetUnread(const std::map<std::wstring, int>& marks) {
    m_docks.ForEach([&](Dock& dock) {
        if (!dock.window) return;
        OndelBar& bar = dock.window->Bar();
        bool changed = false;
        {
            std::lock_guard lock(bar.Items().ListMutex());
            changed = ApplyUnreadMarks(bar.Items(), marks);
        }
        if (changed) bar.Redraw();
    });
}

bool DockHost::Start() {
    Stop();
    const std::vector<MonitorInfo> monitors = EnumerateMonitors();
    m_monitorCount = monitors.size();
    if (monitors.empty()) return false;

    CompleteDockSettings(m_services.store);
    const DockSettings general = ReadDockSettings(m_services.store, monitors.front().deviceName, monitors.front().dpiScale);
    m_followPointer = general.multiScreen == MultiScreen::FollowPointer && monitors.size() > 1;
    if (general.multiScreen == MultiScreen::PerMonitor) {
        // A monitor whose dock failed (logged) goes without; the others keep theirs.
        for (const auto& monitor : monitors) AddDock(monitor);
        LoadLiveSources();
        UpdateLivePictures(true);
        if (m_docks.Empty()) foundation::LogFailure("docks", L"no dock could be made on any monitor");
        return !m_docks.Empty();
    }
    const MonitorInfo* chosen = nullptr;
    if (!general.screens.empty()) {
        for (const auto& m : monitors)
            if (_wcsicmp(m.deviceName.c_str(), general.screens.c_str()) == 0) chosen = &m;
    }
    if (!chosen) chosen = MonitorUnderPointer(monitors);
    if (!chosen) chosen = &monitors.front();
    const bool added = AddDock(*chosen);
    if (!added) foundation::LogFailure("docks", L"no dock could be made");
    // The live clock and calendar are drawn just after the first frame, and their
    // sources are read only then: the first frame never showed them.
    LoadLiveSources();
    UpdateLivePictures(true);
    return added;
}

void DockHost::TakeDown() {
    if (m_docks.Empty()) return;
    // A save asked for just before (at load, say) reads the row it was asked for, and a
    // dock built next loads what it wrote.
    if (!m_services.items.WaitForSaves(kSaveWait))
        foundation::LogFailure("item save", L"still running when its dock was taken down");
    if (m_services.tracker) m_docks.ForEach([this](Dock& dock) { m_services.tracker->DetachRow(dock.trackedRow); });
    m_docks.Clear();
}

void DockHost::Stop() {
    // One dock on a system with several monitors: remember where it stood for next time.
    if (m_docks.Size() == 1 && m_monitorCount > 1 && m_docks[0].window)
        m_services.store.WriteString(L"normal", L"lastscreen", m_docks[0].window->Monitor().deviceName);
    TakeDown();
}

void DockHost::HideAll() noexcept {
    try {
        m_docks.TryForEach(std::chrono::milliseconds(100), [](Dock& dock) {
            if (!dock.window) return;
            for (HWND w : {dock.window->InputWindow(), dock.window->RenderWindow()}) ::ShowWindowAsync(w, SW_HIDE);
        });
    } catch (...) {
        // Called while crashing: hiding is a courtesy, never a second fault.
    }
}

bool DockHost::Rebuild() {
    // "lastscreen" is for the next start only, not for a rebuild.
    m_monitorCount = 0;
    return Start();
}

void DockHost::ApplySettings() {
    if (m_preview) m_preview->Reload();
    m_docks.ForEach([this](Dock& dock) {
        if (!dock.window || !dock.skin) return;
        const MonitorInfo monitor = dock.window->Monitor();
        dock.window->Reconfigure(ReadDockSettings(m_services.store, monitor.deviceName, monitor.dpiScale), monitor,
                                 SpacingOf(*dock.skin));
    });
}

bool DockHost::FollowPointer() {
    if (!m_followPointer || m_docks.Size() != 1) return false;
    DockWindow& window = *m_docks[0].window;
    if (window.Bar().PointerInside()) return false;
    const std::vector<MonitorInfo> monitors = EnumerateMonitors();
    const MonitorInfo* under = MonitorUnderPointer(monitors);
    if (!under || _wcsicmp(under->deviceName.c_str(), window.Monitor().deviceName.c_str()) == 0) return false;
    const MonitorInfo before = window.Monitor();
    // A new dock on the new monitor, with that monitor's settings, scale and skin.
    TakeDown();
    bool added = AddDock(*under);
    if (!added) {
        // Better the dock where it was than no dock at all.
        foundation::LogFailure("docks", L"could not follow the pointer to " + under->deviceName);
        if (!AddDock(before)) foundation::LogFailure("docks", L"no dock could be made");
    }
    UpdateLivePictures(true);
    return added;
}

void DockHost::HotkeyPressed() {
    for (std::size_t i = 0; i < m_docks.Size(); ++i) {
        if (m_docks[i].window->Monitor().primary || m_docks.Size() == 1) {
            m_docks[i].window->Bar().HotkeyPressed();
            return;
        }
    }
}

} // namespace kestrana::dock::win32
