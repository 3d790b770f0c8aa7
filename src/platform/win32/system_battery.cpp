#include "platform/win32/system_battery.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <winioctl.h>
#include <poclass.h>
#include <powrprof.h>
#include <setupapi.h>

#include <memory>

namespace kestrana::platform::win32 {
namespace {

// The battery device class, {72631e54-78a4-11d0-bcf7-00aa00b7b32a}.
constexpr GUID kBatteryClass{0x72631e54, 0x78a4, 0x11d0, {0xbc, 0xf7, 0x00, 0xaa, 0x00, 0xb7, 0xb3, 0x2a}};

struct DeviceListDeleter {
    void operator()(void* list) const noexcept { ::SetupDiDestroyDeviceInfoList(list); }
};

// One battery's capacities and state from its own driver; nothing when it does not answer.
std::optional<BatteryCell> ReadBattery(const wchar_t* path) {
    kestrana::win32::UniqueHandle<kestrana::win32::FileHandleTraits> device(
        ::CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device) return std::nullopt;
    DWORD wait = 0, bytes = 0;
    BATTERY_QUERY_INFORMATION query{};
    if (!::DeviceIoControl(device.Get(), IOCTL_BATTERY_QUERY_TAG, &wait, sizeof(wait), &query.BatteryTag,
                           sizeof(query.BatteryTag), &bytes, nullptr) ||
        query.BatteryTag == 0)
        return std::nullopt;
    BATTERY_INFORMATION info{};
    query.InformationLevel = BatteryInformation;
    if (!::DeviceIoControl(device.Get(), IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof(query), &info, sizeof(info),
                           &bytes, nullptr))
        return std::nullopt;
    BATTERY_WAIT_STATUS waitStatus{};
    waitStatus.BatteryTag = query.BatteryTag;
    BATTERY_STATUS status{};
    if (!::DeviceIoControl(device.Get(), IOCTL_BATTERY_QUERY_STATUS, &waitStatus, sizeof(waitStatus), &status,
                           sizeof(status), &bytes, nullptr))
        return std::nullopt;
    if (info.FullChargedCapacity == BATTERY_UNKNOWN_CAPACITY || status.Capacity == BATTERY_UNKNOWN_CAPACITY)
        return std::nullopt;
    BatteryCell cell{info.FullChargedCapacity, status.Capacity, (status.PowerState & BATTERY_CHARGING) != 0, 0};
    ULONG seconds = 0;
    query.InformationLevel = BatteryEstimatedTime;
    if (::DeviceIoControl(device.Get(), IOCTL_BATTERY_QUERY_INFORMATION, &query, sizeof(query), &seconds,
                          sizeof(seconds), &bytes, nullptr) &&
        seconds != static_cast<ULONG>(-1))
        cell.seconds = seconds;
    return cell;
}

// Every battery of the machine on its own, so that they can be summed; empty when the
// drivers cannot be reached (the composite state stands in then).
std::vector<BatteryCell> ReadEachBattery() {
    std::vector<BatteryCell> cells;
    const HDEVINFO found = ::SetupDiGetClassDevsW(&kBatteryClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (found == INVALID_HANDLE_VALUE) return cells;
    const std::unique_ptr<void, DeviceListDeleter> list(found);
    for (DWORD i = 0; i < 16; ++i) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInterfaces(found, nullptr, &kBatteryClass, i, &data)) break;
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(found, &data, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || size > 4096) continue;
        std::vector<std::uint8_t> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!::SetupDiGetDeviceInterfaceDetailW(found, &data, detail, size, nullptr, nullptr)) continue;
        if (auto cell = ReadBattery(detail->DevicePath)) cells.push_back(*cell);
    }
    return cells;
}

} // namespace

std::optional<PowerReading> SystemBatteryPort::Read() {
    SYSTEM_POWER_STATUS summary{};
    if (!::GetSystemPowerStatus(&summary)) {
        foundation::LogFailure("battery", "the power status could not be read (" + std::to_string(::GetLastError()) + ")");
        return std::nullopt;
    }
    PowerReading reading;
    reading.onMains = summary.ACLineStatus == 1;
    reading.percent = summary.BatteryLifePercent; // 255 when unknown
    // 0xFFFFFFFF: no estimate.
    reading.seconds = summary.BatteryLifeTime == static_cast<DWORD>(-1) ? 0 : summary.BatteryLifeTime;
    reading.charging = (summary.BatteryFlag & 8) != 0 && summary.BatteryFlag != 255;
    reading.discharging = !reading.onMains && summary.ACLineStatus != 255;
    const bool noBattery = (summary.BatteryFlag & 128) != 0 && summary.BatteryFlag != 255;

    SYSTEM_BATTERY_STATE state{};
    const LONG status = ::CallNtPowerInformation(SystemBatteryState, nullptr, 0, &state, sizeof(state));
    if (status == 0) {
        reading.onMains = state.AcOnLine != FALSE;
        reading.charging = state.Charging != FALSE;
        reading.discharging = state.Discharging != FALSE;
        if (state.EstimatedTime != static_cast<DWORD>(-1) && state.EstimatedTime != 0)
            reading.seconds = state.EstimatedTime;
        if (state.BatteryPresent) {
            reading.batteries = ReadEachBattery();
            // The drivers out of reach: the system's own sum counts as one battery.
            if (reading.batteries.empty())
                reading.batteries.push_back({state.MaxCapacity, state.RemainingCapacity, reading.charging, reading.seconds});
        }
        return reading;
    }
    // Without the composite state the summary alone speaks, when it knows of a battery.
    if (!noBattery && summary.BatteryFlag != 255) reading.batteries.push_back({0, 0, reading.charging, reading.seconds});
    return reading;
}

} // namespace kestrana::platform::win32
