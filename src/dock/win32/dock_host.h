#pragma once
// The docks of the program: one per monitor with "multiscreen" 2, otherwise one on the
// chosen monitor (or following the pointer with 1). Creates and re-creates them with the
// settings, the monitors and the skin, and loads each one's items.

#include "dock/dock_list.h"
#include "dock/item_list_manager.h"
#include "dock/live_pictures.h"
#include "foundation/job_runner.h"
#include "dock/window_tracker.h"
#include "dock/win32/dock_window.h"
#include "foundation/config_store.h"
#include "gfx/image_decoder.h"
#include "gfx/text_renderer.h"
#include "platform/battery.h"
#include "themes/clock_skin.h"
#include "themes/dock_skin.h"
#include "themes/theme_files.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace kestrana::dock::win32 {

struct DockServices {
    foundation::ConfigStore& store;
    foundation::JobRunner& jobs;
    gfx::TextRenderer& text;
    const gfx::ImageDecoder& decoder;
    // Loads each dock's row with its labels and pictures, and saves it after changes.
    ItemListManager& items;
    // Whether the dark appearance is in effect.
    std::function<bool()> darkMode{};
    // The icon set's files and the clock skin's name, for the live clock and calendar.
    const themes::ThemeFiles* theme = nullptr;
    std::function<std::wstring()> clockSkin{};
    // The menu bar's height on a screen (by device name), 0 where it has none.
    std::function<int(const std::wstring&)> menuBarHeight{};
    // Puts the running programs into every dock's row; none: the docks show pinned items only.
    WindowTracker* tracker = nullptr;
    // What the special items need: the companion's key window, the taskbar toggle.
    std::function<SpecialServices()> specialServices{};
    // Opens a folder item's stack (see DockClicks::Services).
    std::function<void(const std::wstring&, const std::wstring&, HWND, POINT)> openStack{};
    // The dock menu's "restart", "quit" and "preference" rows.
    std::function<void()> restart{};
    std::function<void()> quit{};
    std::function<void()> openSettings{};
    // A folder item's own menu entries and their handler (see DockMenus::Services).
    std::function<gfx::Menu(const Dockico& item, HWND dock)> folderRows{};
    std::function<void(const Dockico& item, int command)> folderCommand{};
    // After a folder item's command, with no lock held: its icon follows at once.
    std::function<void()> folderChanged{};
    // A picture of another program's window, for previews where the system gives no live
    // thumbnails (called on a worker). None: such previews show empty frames.
    PreviewWindow::WindowPicture windowPicture{};
    // The weather item's picture as it stands (the same pointer until it changes); none:
    // the item keeps its themed picture.
    std::function<std::shared_ptr<const gfx::Bitmap>()> weatherPicture{};
    // Whether it is night now by today's sunrise and sunset: the clock then shows its
    // skin's dark pictures. None: the dark appearance decides.
    std::function<bool()> clockNight{};
    // The machine's battery, shared with the menu bar's item (made at first use); none: a
    // battery item shows no battery.
    std::function<platform::BatteryReadings*()> battery{};
};

class DockHost {
public:
    explicit DockHost(DockServices services) : m_services(std::move(services)), m_docks(m_services.jobs) {}
    ~DockHost();
    DockHost(const DockHost&) = delete;
    DockHost& operator=(const DockHost&) = delete;

    // Builds the docks for the current settings and monitors; false when none could be made.
    bool Start();
    // Takes every dock down (at shutdown, or before a rebuild); writes "lastscreen". Waits
    // a little for the saves the docks asked for and for the docks' own jobs, never long.
    void Stop();
    // Hides every dock window without waiting for the user-interface thread (safe from
    // any thread, also while the program is crashing).
    void HideAll() noexcept;
    // Monitors, settings or the skin changed: build again.
    bool Rebuild();
    // Settings that need no new windows changed (sizes, effect, display mode): each dock
    // takes its monitor's values as they stand.
    void ApplySettings();
    // The dock hotkey: the primary monitor's dock (or the only one).
    void HotkeyPressed();
    // Redraws the live clock and calendar items when the minute or the day changed (or
    // at once with `force`) and the battery item when its charge changed, and keeps each
    // dock's weather timer running while it holds a weather item. Call every second.
    void UpdateLivePictures(bool force = false);
    // The system said the power state changed: battery items are drawn again when the
    // readings changed since they were last drawn.
    void PowerChanged();
    // Whether any dock shows a weather item (its data is fetched only then).
    [[nodiscard]] bool HasWeatherItem();

    // With "multiscreen" 1 the dock moves to the monitor under the pointer (never while
    // the pointer is on the dock). Call on a timer; true when the dock moved.
    bool FollowPointer();
    [[nodiscard]] bool FollowsPointer() const { return m_followPointer; }

    // The chat programs' unread messages, by lower-case program file name (0: some, no
    // count): their items show the marks. User-interface thread.
    void SetUnread(const std::map<std::wstring, int>& marks);

    [[nodiscard]] std::size_t Count() const { return m_docks.Size(); }
    [[nodiscard]] DockWindow* At(std::size_t index) { return index < m_docks.Size() ? m_docks[index].window.get() : nullptr; }

private:
    struct Dock {
        std::unique_ptr<themes::DockSkin> skin;
        std::unique_ptr<DockWindow> window; // after the skin, so destroyed before it
        WindowTracker::RowHandle trackedRow = 0;
        int pictureSize = 0; // the size its pictures were asked for
        foundation::JobRunner* jobs = nullptr; // its own runner, kept beside it by the dock list
    };
    bool AddDock(const MonitorInfo& monitor);
    void TakeDown();
    void LoadLiveSources();
    // Starts or stops each dock's weather timer as it holds a weather item or not.
    void FollowWeatherItems();
    // A dock's weather timer: its weather items take the current picture if it changed.
    void DrawWeather(DockWindow& window);
    // The size the live pictures are drawn at: the largest any dock draws them.
    [[nodiscard]] int LivePictureSize();
    // The clock's next frame: the second hand at `now`, the others at each new minute.
    std::shared_ptr<const gfx::Bitmap> DrawClock(const SYSTEMTIME& now);
    // The skin shows seconds: a second hand, or a digital skin's seconds text.
    [[nodiscard]] bool ClockMovesEachSecond() const;

    DockServices m_services;
    // One preview for every dock; declared before them, so gone after them.
    std::unique_ptr<PreviewWindow> m_preview;
    DockList<Dock> m_docks;

    std::size_t m_monitorCount = 0;
    ClockSkinPictures m_clockSkin;
    ClockSkinPictures m_clockSkinNight;
    ClockHands m_clockHands;
    bool m_clockDigits = false;                 // a digital skin: texts over the face
    std::array<themes::ClockText, 3> m_clockTexts; // hour, minute, second
    bool m_clockNight = false; // by the sun times, as of the last minute
    gfx::Bitmap m_calendarPage;
    gfx::Bitmap m_calendarPageNight; // by the sun times; empty: the day's page all day
    std::optional<themes::CalendarSkin> m_calendarSkin; // nothing: the built-in look
    int m_liveMinute = -1;
    std::optional<std::uint64_t> m_batteryShown; // the readings' generation last drawn
    // Draws the battery items when `force`, one was just added, or the readings changed.
    void DrawBattery(bool force);
    bool m_followPointer = false;
};

} // namespace kestrana::dock::win32
