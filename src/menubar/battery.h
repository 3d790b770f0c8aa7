#pragma once
// The machine's battery: what the system reports, summed over its batteries, and the
// battery item of the bar (the fill level, the percentage and time texts by
// "batteryvalue" and "batterytime", the hover tip, the menu) with the once-per-run
// prompt when the charge runs low. The readings come through a BatteryPort; the dock's
// battery item can share the same BatteryReadings.

#include "menubar/status_source.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// One battery as the system reports it; capacities in the system's units.
struct BatteryCell {
    std::uint32_t full = 0;
    std::uint32_t remaining = 0;
    bool charging = false;
    std::uint32_t seconds = 0; // estimated time left; 0 unknown
};

struct PowerReading {
    bool onMains = false;
    bool charging = false;
    bool discharging = false;
    int percent = 255;          // the system's own figure; 255 unknown
    std::uint32_t seconds = 0;  // its estimate of the time left; 0 unknown
    std::vector<BatteryCell> batteries;
};

struct BatteryStatus {
    bool present = false;
    bool onMains = false;
    bool charging = false;
    bool discharging = false;
    int percent = 0;                   // 0..100
    int averagePercent = 0;            // the batteries' own percents, averaged
    std::uint32_t remainingSeconds = 0; // 0 while neither charging nor discharging
    bool operator==(const BatteryStatus&) const = default;
};

// The batteries summed: capacities added, charging when any charges, the times added;
// percent = remaining / full x 100 rounded half up, at most 100. Without capacities the
// system's own percent is used, clamped (it says 255 when it does not know).
[[nodiscard]] BatteryStatus SumBatteries(const PowerReading& reading);

class BatteryPort {
public:
    virtual ~BatteryPort() = default;
    // Nothing when the system gives no answer at all.
    [[nodiscard]] virtual std::optional<PowerReading> Read() = 0;
};

// The last reading, shared by the surfaces that show the battery.
class BatteryReadings {
public:
    explicit BatteryReadings(BatteryPort& port) : m_port(port) { Refresh(); }
    // Reads again; true when what it shows changed. A failed read keeps the last status.
    bool Refresh();
    [[nodiscard]] const BatteryStatus& Status() const { return m_status; }

private:
    BatteryPort& m_port;
    BatteryStatus m_status;
};

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
};

} // namespace kestrana::menubar
