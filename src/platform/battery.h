#pragma once
// The machine's battery as the system reports it, summed over its batteries, and the last
// reading, shared by every surface that shows the battery (the menu bar's item and the
// dock's). The readings come through a BatteryPort.

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrana::platform {

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

// The last reading, shared by the surfaces that show the battery. User-interface thread.
class BatteryReadings {
public:
    explicit BatteryReadings(BatteryPort& port) : m_port(port) { Refresh(); }
    // Reads again; true when what it shows changed. A failed read keeps the last status.
    bool Refresh();
    [[nodiscard]] const BatteryStatus& Status() const { return m_status; }
    // Counts the changes of Status(): a surface that keeps the count it last showed knows
    // whether to draw again, whoever read first.
    [[nodiscard]] std::uint64_t Generation() const { return m_generation; }

private:
    BatteryPort& m_port;
    BatteryStatus m_status;
    std::uint64_t m_generation = 0;
};

} // namespace kestrana::platform
