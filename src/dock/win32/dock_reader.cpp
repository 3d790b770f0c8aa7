#include "dock/win32/dock_reader.h"

#include "dock/dock_accessible.h"
#include "foundation/diagnostic_log.h"

#include <oleacc.h>

#include <mutex>

namespace kestrana::dock::win32 {
namespace {

std::wstring Today() {
    wchar_t text[128] = {};
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, text, 128, nullptr) == 0) return {};
    return text;
}

// The time the clock item's hands show (they move each minute).
std::wstring Now() {
    wchar_t text[64] = {};
    if (::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, nullptr, nullptr, text, 64) == 0) return {};
    return text;
}

std::function<std::wstring()>& WeatherValueSource() {
    static std::function<std::wstring()> source;
    return source;
}

struct ReaderBattery {
    std::mutex lock;
    BatteryLevel level;
};

ReaderBattery& LastBattery() {
    static ReaderBattery battery;
    return battery;
}

} // namespace

void SetReaderBattery(const BatteryLevel& level) {
    auto& battery = LastBattery();
    std::lock_guard lock(battery.lock);
    battery.level = level;
}

void SetWeatherValueSource(std::function<std::wstring()> source) {
    WeatherValueSource() = std::move(source);
}

std::unique_ptr<kestrana::win32::AccessibleHost> MakeDockReader(HWND window, OndelBar& bar,
                                                                std::function<std::optional<bool>()> trashFull) {
    auto build = [&bar, trashFull = std::move(trashFull)]() -> std::optional<foundation::AccessibleTree> {
        DockLiveValues live;
        live.calendarDate = Today();
        live.clockTime = Now();
        if (trashFull) live.trashFull = trashFull();
        if (WeatherValueSource()) live.weather = WeatherValueSource()();
        {
            auto& battery = LastBattery();
            std::lock_guard lock(battery.lock);
            if (battery.level.present) {
                live.batteryPercent = battery.level.percent;
                live.batteryCharging = battery.level.charging;
            }
        }
        // A reader never waits for a worker that reads the row: it hears the previous
        // snapshot instead.
        std::unique_lock lock(bar.Items().ListMutex(), std::try_to_lock);
        if (!lock) return std::nullopt;
        DockFocus focus;
        focus.focused = bar.KeyboardFocus();
        return BuildDockTree(bar.Items(), bar.Model(), live, focus);
    };
    kestrana::win32::AccessibleActions actions;
    actions.invoke = [window](foundation::AccessibleId id) {
        return ::PostMessageW(window, kMsgReaderInvoke, static_cast<WPARAM>(id), 0) != FALSE;
    };
    return std::make_unique<kestrana::win32::AccessibleHost>(window, std::move(build), std::move(actions));
}

void InvokeForReader(OndelBar& bar, DockClicks* clicks, bool menuOpen, WPARAM itemId) {
    if (!clicks || itemId == 0 || itemId > static_cast<WPARAM>(foundation::kAccessibleMaxId)) return;
    std::size_t index = 0;
    {
        std::lock_guard lock(bar.Items().ListMutex());
        index = bar.Items().IndexOfId(static_cast<std::int32_t>(itemId));
        if (index == 0 || bar.Items()[index].IsSeparator()) return;
    }
    clicks->Pressed(bar.Items(), index, ClickButton::Left);
    clicks->Released(bar.Items(), index, ClickButton::Left, menuOpen);
}

std::optional<LRESULT> AnswerDockReader(std::unique_ptr<kestrana::win32::AccessibleHost>& host, HWND window,
                                        OndelBar& bar, const std::function<std::optional<bool>()>& trashFull,
                                        WPARAM wParam, LPARAM lParam) noexcept {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return std::nullopt;
    try {
        if (!host) host = MakeDockReader(window, bar, trashFull);
        return host->OnGetObject(wParam, lParam);
    } catch (...) {
        foundation::LogCaught("dock reader");
        return std::nullopt;
    }
}

} // namespace kestrana::dock::win32
