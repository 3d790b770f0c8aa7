#include "platform/battery.h"

#include <algorithm>

namespace kestrana::platform {
namespace {

int PercentOf(std::uint64_t remaining, std::uint64_t full) {
    if (full == 0) return 0;
    // Whole numbers only: remaining x 100 / full rounded half up.
    const std::uint64_t percent = (remaining * 200 + full) / (2 * full);
    return static_cast<int>(std::min<std::uint64_t>(percent, 100));
}

} // namespace

BatteryStatus SumBatteries(const PowerReading& reading) {
    BatteryStatus status;
    status.onMains = reading.onMains;
    status.charging = reading.charging;
    status.discharging = reading.discharging;
    std::uint64_t full = 0, remaining = 0, seconds = 0;
    int percentSum = 0, counted = 0;
    for (const BatteryCell& cell : reading.batteries) {
        full += cell.full;
        remaining += cell.remaining;
        seconds += cell.seconds;
        status.charging = status.charging || cell.charging;
        if (cell.full > 0) {
            percentSum += PercentOf(cell.remaining, cell.full);
            ++counted;
        }
    }
    if (full > 0) {
        status.present = true;
        status.percent = PercentOf(remaining, full);
        status.averagePercent = percentSum / counted;
    } else if (!reading.batteries.empty() && reading.percent >= 0 && reading.percent != 255) {
        // Batteries without capacities: the system's figure, within bounds.
        status.present = true;
        status.percent = std::clamp(reading.percent, 0, 100);
        status.averagePercent = status.percent;
    }
    if (reading.batteries.size() < 2) seconds = reading.seconds ? reading.seconds : seconds;
    if (status.charging || status.discharging) status.remainingSeconds = static_cast<std::uint32_t>(std::min<std::uint64_t>(seconds, 0xFFFFFFFEu));
    return status;
}

bool BatteryReadings::Refresh() {
    const auto reading = m_port.Read();
    if (!reading) return false;
    const BatteryStatus next = SumBatteries(*reading);
    if (next == m_status) return false;
    m_status = next;
    ++m_generation;
    return true;
}

} // namespace kestrana::platform
