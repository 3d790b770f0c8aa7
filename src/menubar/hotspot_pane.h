#pragma once
// The hotspot pane of the Wi-Fi menu: the mobile hotspot's state as the system reports
// it, and what the pane says and offers for it (its title, the network's name and pass
// phrase while it is on, and the switch).

#include <cstdint>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

enum class HotspotState : std::uint8_t { Unavailable, Off, On, Changing };

struct HotspotFacts {
    HotspotState state = HotspotState::Unavailable;
    std::wstring ssid;
    std::wstring passphrase;
    std::wstring why; // for the log when unavailable or a switch failed
    bool operator==(const HotspotFacts&) const = default;
};

enum class HotspotAction : std::uint8_t { TurnOn, TurnOff, OpenSettings };

struct HotspotWords {
    std::wstring title;
    std::wstring message; // lines apart by '\n'
    std::wstring close;
    std::wstring confirm; // the switch, or the system's hotspot page when there is nothing to switch
    HotspotAction action = HotspotAction::OpenSettings;
};

inline constexpr const wchar_t* kHotspotSettings = L"ms-settings:network-mobilehotspot";

[[nodiscard]] HotspotWords HotspotPaneWords(const HotspotFacts& facts, const foundation::ConfigStore& store);

} // namespace kestrana::menubar
