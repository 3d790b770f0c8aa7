#include "dock/win32/dock_host.h"
#include "dock/win32/dock_reader.h"

#include "dock/unread_marks.h"

#include "foundation/diagnostic_log.h"
#include "themes/clock_skin.h"
#include "themes/surface_appearance.h"

#include <algorithm>
#include <vector>

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

// The largest a dock draws its pictures: they are resolved and held at that size.
int PictureSizeOf(DockWindow& window) {
    const OndelBarModel& model = window.Bar().Model();
    return PictureSizeFor(model.ConfiguredSize(), model.Settings().maxSize);
}

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
    pictureState.pictureSize = PictureSizeFor(ClampConfiguredSize(settings.defaultSize), settings.maxSize);
    dock->pictureSize = pictureState.pictureSize;
    dock->jobs = jobs.get();
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
                                    state.pictureSize = PictureSizeOf(*window);
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
        state.pictureSize = PictureSizeOf(*window);
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

// A live picture changed between minutes: only the items of its kind that show another
// take it. True when one did (the dock was drawn again).
bool SetLivePicture(DockWindow& window, LivePicture kind, const std::shared_ptr<const gfx::Bitmap>& picture) {
    OndelBar& bar = window.Bar();
    bool changed = false;
    {
        std::lock_guard lock(bar.Items().ListMutex());
        bar.Items().ForEachReal([&](std::size_t, Dockico& item) {
            if (item.live != kind || item.picture == picture) return;
            item.picture = picture;
            changed = true;
        });
    }
    if (changed) bar.Redraw();
    return changed;
}

template <class Docks>
void UpdateLiveItems(Docks& docks, LivePicture kind, const std::shared_ptr<const gfx::Bitmap>& picture) {
    docks.ForEach([&](auto& dock) {
        if (dock.window) SetLivePicture(*dock.window, kind, picture);
    });
}

struct LiveItemsSeen {
    bool any = false;
    bool bare = false; // one of them has no picture yet (just added)
};

template <class Docks>
LiveItemsSeen SeeLiveItems(Docks& docks, LivePicture kind) {
    LiveItemsSeen seen;
    docks.ForEach([&](auto& dock) {
        if (!dock.window) return;
        OndelBar& bar = dock.window->Bar();
        std::lock_guard lock(bar.Items().ListMutex());
        bar.Items().ForEachReal([&](std::size_t, Dockico& item) {
            if (item.live != kind) return;
            seen.any = true;
            seen.bare = seen.bare || !item.picture;
        });
    });
    return seen;
}

} // namespace

void DockHost::LoadLiveSources() {
    m_clockSkin = {};
    m_clockSkinNight = {};
    m_calendarPage = {};
    m_calendarPageNight = {};
    m_calendarSkin.reset();
    m_clockHands = {}; // all three hands are set at the first frame
    const bool dark = m_services.darkMode ? m_services.darkMode() : false;
    auto& files = m_services.store.Files();
    // Decoded at the size the live pictures are drawn: nothing larger is kept.
    const int size = LivePictureSize();
    auto decode = [&](const std::wstring& path) -> gfx::Bitmap {
        if (path.empty()) return {};
        const auto bytes = files.Read(path);
        if (!bytes) return {};
        auto picture = m_services.decoder.Decode(*bytes, {size, size});
        return picture ? std::move(*picture) : gfx::Bitmap();
    };
    if (m_services.theme) {
        std::wstring iconSet = m_services.store.ReadString(L"themes", L"dockicons");
        if (iconSet.empty()) iconSet = themes::kDefaultTheme;
        m_calendarSkin = themes::ReadCalendarSkin(m_services.store, iconSet);
        if (m_calendarSkin && !m_calendarSkin->picture.empty()) {
            m_calendarPage = decode(m_calendarSkin->picture);
            if (m_calendarPage.Empty())
                foundation::LogFailure("calendar skin", L"the picture " + m_calendarSkin->picture +
                                                            L" could not be read; the icon set's calendar stands in");
        }
        // With sun times the skins' dark pictures are their night; without, the appearance's.
        const bool byNight = static_cast<bool>(m_services.clockNight);
        const bool skinPage = !m_calendarPage.Empty();
        if (byNight && skinPage) m_calendarPageNight = decode(themes::NightTwinPath(m_calendarSkin->picture));
        if (!skinPage) {
            m_calendarPage = decode(m_services.theme->ThemeIconPath(L"Calendar", dark));
            if (byNight) m_calendarPageNight = decode(m_services.theme->ThemeIconPath(L"Calendar", true));
        }
        // The clock skin: the chosen one, its missing files from the shipped default.
        const std::wstring skinName = m_services.clockSkin ? m_services.clockSkin() : std::wstring(themes::kDefaultTheme);
        const auto& store = m_services.store;
        auto load = [&](ClockSkinPictures& pictures, bool night) {
            pictures.face = decode(themes::ClockImagePath(store, skinName, night, themes::ClockPart::Face));
            pictures.hour = decode(themes::ClockImagePath(store, skinName, night, themes::ClockPart::Hour));
            pictures.minute = decode(themes::ClockImagePath(store, skinName, night, themes::ClockPart::Minute));
            pictures.second = decode(themes::ClockImagePath(store, skinName, night, themes::ClockPart::Second));
        };
        load(m_clockSkin, dark && !byNight);
        if (byNight) load(m_clockSkinNight, true);
        m_clockDigits = themes::ReadClockType(store, skinName) == themes::ClockType::Digits;
        if (m_clockDigits) {
            m_clockTexts = {themes::ReadClockText(store, skinName, themes::ClockTextPart::Hour),
                            themes::ReadClockText(store, skinName, themes::ClockTextPart::Minute),
                            themes::ReadClockText(store, skinName, themes::ClockTextPart::Second)};
        }
        if (!m_clockSkin.Usable())
            foundation::LogFailure("clock skin", L"no face for the clock skin " + skinName + L"; the clock item keeps its picture");
    }
}

void DockHost::FollowWeatherItems() {
    m_docks.ForEach([this](Dock& dock) {
        if (!dock.window) return;
        DockWindow* window = dock.window.get();
        bool holds = false;
        {
            OndelBar& bar = window->Bar();
            std::lock_guard lock(bar.Items().ListMutex());
            bar.Items().ForEachReal([&](std::size_t, Dockico& item) { holds = holds || item.live == LivePicture::Weather; });
        }
        if (holds == window->WeatherTicking()) return;
        // The tick lives in the dock's own window, so it never outlives the dock.
        window->SetWeatherTick(holds ? std::function<void()>([this, window] { DrawWeather(*window); })
                                     : std::function<void()>());
    });
}

void DockHost::DrawWeather(DockWindow& window) {
    std::shared_ptr<const gfx::Bitmap> weather = m_services.weatherPicture ? m_services.weatherPicture() : nullptr;
    // Before the first fetch the item keeps the icon set's picture.
    if (weather) SetLivePicture(window, LivePicture::Weather, weather);
}

bool DockHost::HasWeatherItem() { return SeeLiveItems(m_docks, LivePicture::Weather).any; }

bool DockHost::ClockMovesEachSecond() const {
    if (m_clockDigits) return m_clockTexts[2].Draws();
    const ClockSkinPictures& skin = m_clockNight && m_clockSkinNight.Usable() ? m_clockSkinNight : m_clockSkin;
    return !skin.second.Empty();
}

std::shared_ptr<const gfx::Bitmap> DockHost::DrawClock(const SYSTEMTIME& now) {
    const ClockSkinPictures& skin = m_clockNight && m_clockSkinNight.Usable() ? m_clockSkinNight : m_clockSkin;
    if (m_clockDigits) {
        std::vector<ClockTextLine> lines;
        for (const themes::ClockText& part : m_clockTexts) {
            if (!part.Draws()) continue;
            wchar_t text[101] = {};
            if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, part.format.c_str(), text, 101) == 0) continue;
            lines.push_back({part.look, text});
        }
        return std::make_shared<const gfx::Bitmap>(DrawDigitalClock(skin.face, lines, m_services.text, LivePictureSize()));
    }
    m_clockHands.Tick(now.wHour, now.wMinute, now.wSecond);
    return std::make_shared<const gfx::Bitmap>(DrawClockPicture(skin, m_clockHands, !skin.second.Empty(), LivePictureSize()));
}

void DockHost::DrawBattery(bool force) {
    const LiveItemsSeen batteries = SeeLiveItems(m_docks, LivePicture::Battery);
    if (!batteries.any) {
        m_batteryShown.reset();
        return;
    }
    // The readings follow the system's power notices; nothing is polled here.
    platform::BatteryReadings* readings = m_services.battery ? m_services.battery() : nullptr;
    const std::uint64_t generation = readings ? readings->Generation() : 0;
    if (!force && !batteries.bare && m_batteryShown == generation) return;
    m_batteryShown = generation;
    const BatteryLevel level = readings ? BatteryLevelOf(readings->Status()) : BatteryLevel{};
    SetReaderBattery(level);
    const bool dark = m_services.darkMode ? m_services.darkMode() : false;
    UpdateLiveItems(m_docks, LivePicture::Battery,
                    std::make_shared<const gfx::Bitmap>(DrawBatteryPicture(level, m_services.text, dark, LivePictureSize())));
}

void DockHost::PowerChanged() {
    if (platform::BatteryReadings* readings = m_services.battery ? m_services.battery() : nullptr) readings->Refresh();
    DrawBattery(false);
}

void DockHost::UpdateLivePictures(bool force) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const int minuteOfYear = (now.wYear * 400 + now.wMonth * 32 + now.wDay) * 1440 + now.wHour * 60 + now.wMinute;
    FollowWeatherItems();
    DrawBattery(force);
    const LiveItemsSeen clocks = SeeLiveItems(m_docks, LivePicture::Clock);
    // A clock or calendar just added is drawn at the next tick, not at the next minute.
    const bool added = (clocks.bare && m_clockSkin.Usable()) ||
                       ((m_calendarSkin || !m_calendarPage.Empty()) && SeeLiveItems(m_docks, LivePicture::Calendar).bare);
    if (!force && minuteOfYear == m_liveMinute && !added) {
        // A skin that shows seconds is drawn at every tick, but only while a clock is shown.
        if (clocks.any && m_clockSkin.Usable() && ClockMovesEachSecond())
            UpdateLiveItems(m_docks, LivePicture::Clock, DrawClock(now));
        return;
    }
    m_liveMinute = minuteOfYear;
    wchar_t monthName[32] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, L"MMM", monthName, 32, nullptr);
    m_clockNight = m_services.clockNight && m_services.clockNight();
    std::shared_ptr<const gfx::Bitmap> clock, calendar;
    const gfx::Bitmap& page = m_clockNight && !m_calendarPageNight.Empty() ? m_calendarPageNight : m_calendarPage;
    m_docks.ForEach([&](Dock& dock) {
        OndelBar& bar = dock.window->Bar();
        bool changed = false;
        {
            std::lock_guard lock(bar.Items().ListMutex());
            bar.Items().ForEachReal([&](std::size_t, Dockico& item) {
                if (item.live == LivePicture::Clock && m_clockSkin.Usable()) {
                    if (!clock) clock = DrawClock(now);
                    item.picture = clock;
                    changed = true;
                } else if (item.live == LivePicture::Calendar && m_calendarSkin) {
                    if (!calendar) {
                        const std::wstring month = m_services.store.LanguageText(
                            L"calicon", themes::CalendarMonthKey(now.wMonth), monthName);
                        calendar = std::make_shared<const gfx::Bitmap>(DrawSkinnedCalendar(
                            page, *m_calendarSkin, m_services.text, month, now.wDay, LivePictureSize()));
                    }
                    item.picture = calendar;
                    changed = true;
                } else if (item.live == LivePicture::Calendar && !m_calendarPage.Empty()) {
                    if (!calendar)
                        calendar = std::make_shared<const gfx::Bitmap>(DrawCalendarPicture(
                            page, m_services.text, monthName, now.wDay, LivePictureSize()));
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
    bool resized = false;
    m_docks.ForEach([this, &resized](Dock& dock) {
        if (!dock.window || !dock.skin) return;
        const MonitorInfo monitor = dock.window->Monitor();
        dock.window->Reconfigure(ReadDockSettings(m_services.store, monitor.deviceName, monitor.dpiScale), monitor,
                                 SpacingOf(*dock.skin));
        // A larger magnification needs larger pictures; a smaller one gives memory back.
        const int size = PictureSizeOf(*dock.window);
        if (size == dock.pictureSize) return;
        dock.pictureSize = size;
        resized = true;
        PictureState state;
        state.dark = m_services.darkMode ? m_services.darkMode() : false;
        state.trashFull = dock.window->TrashFull();
        state.pictureSize = size;
        m_services.items.PicturesChanged(dock.window->Bar().Items(), state,
                                         {dock.jobs, dock.window->PicturesArrived()});
    });
    if (!resized) return;
    LoadLiveSources();
    UpdateLivePictures(true);
}

int DockHost::LivePictureSize() {
    int size = 0;
    m_docks.ForEach([&size](Dock& dock) { size = std::max(size, dock.pictureSize); });
    return size > 0 ? size : kItemPictureSize;
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
