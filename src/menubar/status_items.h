#pragma once
// The status items of the bar's right side: which kinds exist, the setting that holds
// each one's position, the order in which they are created and the positions they start
// with, including the default order a first start writes back.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

enum class StatusKind : std::uint8_t {
    Time,
    SystemControl,
    Search,
    UserAccount,
    InputMethod,
    InputMethodZh,
    Tray,
    Audio,
    MediaControl,
    Microphone,
    Battery,
    Display,
    Wifi,
    Bluetooth,
    Cpu,
    Temperature,
    Memory,
    Disk,
    Network,
    StageManager,
};

// Creation order (position 1 is the rightmost item).
inline constexpr std::array<StatusKind, 20> kCreationOrder{
    StatusKind::Time,        StatusKind::SystemControl, StatusKind::Search,      StatusKind::UserAccount,
    StatusKind::InputMethod, StatusKind::InputMethodZh, StatusKind::Tray,        StatusKind::Audio,
    StatusKind::MediaControl, StatusKind::Microphone,   StatusKind::Battery,     StatusKind::Display,
    StatusKind::Wifi,        StatusKind::Bluetooth,     StatusKind::Cpu,         StatusKind::Temperature,
    StatusKind::Memory,      StatusKind::Disk,          StatusKind::Network,     StatusKind::StageManager};

struct StatusKey {
    std::wstring_view section;
    std::wstring_view key;
};

// The setting that holds an item's position (0 = not shown).
[[nodiscard]] StatusKey KeyOf(StatusKind kind);
// The kind whose position `key` holds (either section), if any.
[[nodiscard]] std::optional<StatusKind> KindOfKey(std::wstring_view key);
// Shown while their key is absent.
[[nodiscard]] bool OnByDefault(StatusKind kind);

struct StatusEntry {
    StatusKind kind{};
    int position = 0;
};

struct StatusPlan {
    std::vector<StatusEntry> entries; // sorted by position
    bool positionsMissing = false;    // a first start: the default order must be written
};

// Writes 1 for the hardware items that are on by default ("audio", "battery", "display",
// "wifi", "bluetooth") whose key is absent.
void WriteDefaultOnKeys(foundation::ConfigStore& store);

// The items to create and their positions, from the settings. On a first start (no
// "systemtime") every created item takes the next position in creation order.
[[nodiscard]] StatusPlan PlanStatusItems(const foundation::ConfigStore& store);

// Writes each item's index + 1, in list order, to its key.
bool SavePositions(foundation::ConfigStore& store, const std::vector<StatusKind>& order);

} // namespace kestrana::menubar
