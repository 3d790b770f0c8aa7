#include "menubar/battery.h"

#include "foundation/config_store.h"

#include <algorithm>

namespace kestrana::menubar {
bool ShowsBySetting(int setting, const BatteryStatus& status) {
    switch (setting) {
    case 1: return true;
    case 2: return status.onMains;
    case 3: return status.discharging && !status.onMains;
    default: return false;
    }
}

std::wstring ClockTime(std::uint32_t seconds) {
    const std::uint32_t minutes = seconds / 60;
    const std::uint32_t rest = minutes % 60;
    return std::to_wstring(minutes / 60) + (rest < 10 ? L":0" : L":") + std::to_wstring(rest);
}

BatterySource::BatterySource(BatteryReadings& readings, const foundation::ConfigStore& store, OpenPage open,
                             Prompt lowBattery)
    : m_readings(readings), m_store(store), m_open(std::move(open)), m_lowBattery(std::move(lowBattery)),
      m_shown(readings.Generation()) {
    CheckLow();
}

std::wstring BatterySource::Name() const { return m_store.LanguageText(L"findermenu", L"batteryitem", L"Battery"); }

StatusFace BatterySource::Face() const {
    const BatteryStatus& s = m_readings.Status();
    StatusFace face;
    face.shown = s.present;
    face.glyph = Glyph::Battery;
    face.level = s.percent;
    face.crossed = s.charging;
    if (!s.present) return face;
    const int valueSetting = m_store.ReadInt(L"finder", L"batteryvalue");
    const int timeSetting = m_store.ReadInt(L"finder", L"batterytime");
    if (ShowsBySetting(valueSetting, s)) face.text = std::to_wstring(s.percent) + L"%";
    if (ShowsBySetting(timeSetting, s) && s.remainingSeconds > 0) {
        if (!face.text.empty()) face.text += L" ";
        face.text += ClockTime(s.remainingSeconds);
    }
    return face;
}

std::wstring BatterySource::StateText() const {
    const BatteryStatus& s = m_readings.Status();
    if (!s.onMains) return m_store.LanguageText(L"findertips", L"Usebattery", L"Using battery power");
    std::wstring state;
    if (s.charging) state = m_store.LanguageText(L"findertips", L"Charging", L"Charging");
    else if (s.percent >= 100) state = m_store.LanguageText(L"findertips", L"Full battery", L"Fully charged");
    else state = m_store.LanguageText(L"findertips", L"notCharging", L"Not charging");
    return m_store.LanguageText(L"findertips", L"AcOnLine", L"Power adapter") + L", " + state;
}

std::wstring BatterySource::Tip() const {
    const BatteryStatus& s = m_readings.Status();
    if (!s.present) return {};
    return m_store.LanguageText(L"findertips", L"battery", L"Battery") + L" " + std::to_wstring(s.percent) + L"%\n" +
           StateText();
}

std::wstring BatterySource::ReaderValue() const {
    const BatteryStatus& s = m_readings.Status();
    if (!s.present) return {};
    return std::to_wstring(s.percent) + L"%, " + StateText();
}

gfx::Menu BatterySource::Menu() {
    m_readings.Refresh();
    const BatteryStatus& s = m_readings.Status();
    gfx::Menu menu;
    if (s.present) {
        menu.push_back(gfx::MenuItem::Command(0, m_store.LanguageText(L"findertips", L"battery", L"Battery") + L" " +
                                                     std::to_wstring(s.percent) + L"%",
                                              false, false));
        menu.push_back(gfx::MenuItem::Command(0, StateText(), false, false));
        if (s.remainingSeconds > 0) {
            const std::uint32_t minutes = s.remainingSeconds / 60;
            gfx::MenuItem time = gfx::MenuItem::Command(
                0, m_store.LanguageText(L"findermenu", L"BatteryEstimatedTime", L"Estimated time"), false, false);
            time.detail = std::to_wstring(minutes / 60) + L" " +
                          m_store.LanguageText(L"findermenu", L"batterytime_hour", L"h") + L" " +
                          std::to_wstring(minutes % 60) + L" " +
                          m_store.LanguageText(L"findermenu", L"batterytime_min", L"min");
            menu.push_back(std::move(time));
        }
        menu.push_back(gfx::MenuItem::Rule());
    }
    menu.push_back(gfx::MenuItem::Command(battery_command::kSettings,
                                          m_store.LanguageText(L"findermenu", L"battery settings", L"Battery Settings")));
    return menu;
}

void BatterySource::Choose(int id) {
    if (id == battery_command::kSettings && m_open) m_open(L"ms-settings:batterysaver");
}

void BatterySource::PowerChanged() {
    // The dock may have read the change first: what counts is whether this item showed it.
    m_readings.Refresh();
    if (m_readings.Generation() != m_shown) {
        m_shown = m_readings.Generation();
        Changed();
    }
    CheckLow();
}

void BatterySource::CheckLow() {
    const BatteryStatus& s = m_readings.Status();
    if (m_prompted || !s.present || s.charging || s.averagePercent >= 20) return;
    m_prompted = true;
    if (m_lowBattery)
        m_lowBattery(m_store.LanguageText(L"promptwindow", L"batterytip",
                                          L"The battery is running low. Plug in the power adapter."));
}

} // namespace kestrana::menubar
