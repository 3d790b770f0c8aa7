#pragma once
// The machine's battery: what the system reports, summed over its batteries, and the
// battery item of the bar (the fill level, the percentage and time texts by
// "batteryvalue" and "batterytime", the hover tip, the menu) with the once-per-run
// prompt when the charge runs low. The readings are shared with the dock's battery item.

#include "menubar/status_source.h"
#include "platform/battery.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

using platform::BatteryCell;
using platform::BatteryPort;
using platform::BatteryReadings;
using platform::BatteryStatus;
using platform::PowerReading;
using platform::SumBatteries;

// "batteryvalue" and "batterytime": 0 never, 1 always, 2 on mains power, 3 while
// discharging; 4 names no state and shows nothing, as do values past it.
[[nodiscard]] bool ShowsBySetting(int setting, const BatteryStatus& status);
// Seconds as hours and minutes, "1:05".
[[nodiscard]] std::wstring ClockTime(std::uint32_t seconds);

namespace battery_command {
inline constexpr int kSettings = 1;
}

class BatterySource final : public StatusSource {
public:
    using OpenPage = std::function<void(const std::wstring& uri)>;
    using Prompt = std::function<void(const std::wstring& text)>;
    BatterySource(BatteryReadings& readings, const foundation::ConfigStore& store, OpenPage open, Prompt lowBattery);

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::Battery; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int id) override;
    [[nodiscard]] std::wstring ReaderValue() const override;
    [[nodiscard]] std::wstring Tip() const override;

    // The system said the power state changed: read again, and prompt once per run
    // when the charge is low and not charging.
    void PowerChanged();

private:
    [[nodiscard]] std::wstring StateText() const;
    void CheckLow();

    BatteryReadings& m_readings;
    const foundation::ConfigStore& m_store;
    OpenPage m_open;
    Prompt m_lowBattery;
    bool m_prompted = false;
    std::uint64_t m_shown = 0; // the readings' generation this item last showed
};

} // namespace kestrana::menubar
