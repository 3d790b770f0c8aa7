#pragma once
// The device list the system's device watchers keep: one watcher per Bluetooth protocol
// (classic and low energy) reports association endpoints as they are added, updated and
// removed; a device that speaks both protocols comes from both and is listed once, by its
// address. Earbud batteries heard in advertisements are given to the connected earbuds.

#include "menubar/bluetooth_item.h"
#include "menubar/earbud_battery.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar {

enum class BluetoothProtocol : std::uint8_t { Classic, LowEnergy };

inline constexpr std::wstring_view kClassicProtocolId = L"{e0cbf06c-cd8b-4647-bb8a-263b43f0f974}";
inline constexpr std::wstring_view kLowEnergyProtocolId = L"{bb7bb05e-5972-42b5-94fc-76eaa7084d49}";

// The endpoint properties a watcher asks for besides the name.
inline constexpr const wchar_t* kAddressProperty = L"System.Devices.Aep.DeviceAddress";
inline constexpr const wchar_t* kPairedProperty = L"System.Devices.Aep.IsPaired";
inline constexpr const wchar_t* kConnectedProperty = L"System.Devices.Aep.IsConnected";
inline constexpr const wchar_t* kMajorClassProperty = L"System.Devices.Aep.Bluetooth.Cod.Major";

// The selection of one protocol's endpoints: those that can pair, are paired, or are not
// connected.
[[nodiscard]] std::wstring WatcherSelector(BluetoothProtocol protocol);

enum class WatchChange : std::uint8_t { Added, Updated, Removed };

// One watcher event; an update carries only what changed.
struct WatchReport {
    BluetoothProtocol protocol = BluetoothProtocol::Classic;
    WatchChange change = WatchChange::Added;
    std::wstring endpointId;
    std::optional<std::wstring> name;
    std::optional<std::wstring> address; // "04:52:c7:0b:6e:9f"
    std::optional<bool> paired, connected;
    std::optional<std::uint32_t> majorClass;
};

// "0452C70B6E9F" from "04:52:c7:0b:6e:9f" (the id the classic calls take); empty when
// the text is no address.
[[nodiscard]] std::wstring AddressKey(std::wstring_view address);
[[nodiscard]] std::wstring AddressKey(std::uint64_t address);
// The device's address at the end of an endpoint id ("Bluetooth#Bluetooth<radio>-<device>").
[[nodiscard]] std::wstring EndpointAddress(std::wstring_view endpointId);

[[nodiscard]] BluetoothKind KindOfMajorClass(std::uint32_t majorClass);

// Advertisements weaker than this come from earbuds farther away than one's own.
inline constexpr int kNearbySignalDbm = -60;

class DeviceBook {
public:
    // True when the listed devices changed.
    bool Apply(const WatchReport& report);
    // A decoded earbud frame heard at `signalDbm`: given to every connected device with an
    // earbud name (earbuds advertise from an address of their own, so the address cannot
    // tell whose they are). True when a shown level changed.
    bool HearBattery(const EarbudBattery& battery, int signalDbm);
    [[nodiscard]] std::vector<BluetoothDevice> Devices() const;

private:
    struct Endpoint {
        BluetoothProtocol protocol = BluetoothProtocol::Classic;
        std::wstring id;
        std::wstring key; // the device's address key, or the endpoint id without one
        std::wstring name;
        bool paired = false;
        bool connected = false;
        std::optional<std::uint32_t> majorClass;
    };

    std::vector<Endpoint> m_endpoints; // in the order they came
    std::map<std::wstring, EarbudBattery> m_batteries; // by key, while connected
};

} // namespace kestrana::menubar

namespace kestrana::menubar {

// What the system's runtime radio interface told: whether it found a Bluetooth radio,
// its state, and whether the device watchers run.
struct RuntimeRadio {
    bool found = false;
    bool on = false;
    bool watching = false;
};

// The runtime radio after news: the worker's findings replace what was known; the radio's
// own state report then says only whether it is on, and only once a radio was found.
[[nodiscard]] RuntimeRadio WithRadioNews(RuntimeRadio known, const std::optional<RuntimeRadio>& findings,
                                         const std::optional<bool>& reportedOn);

// The item's state from both sources: the runtime radio when it found one (it can be
// switched), with the watchers' devices while they run; otherwise the classic calls'.
[[nodiscard]] BluetoothState CombinedState(const RuntimeRadio& runtime, const std::vector<BluetoothDevice>& watched,
                                           const BluetoothState& classic);

} // namespace kestrana::menubar
