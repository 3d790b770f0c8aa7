#include "menubar/bluetooth_watch.h"

#include <algorithm>
#include <cstdio>

namespace kestrana::menubar {

std::wstring WatcherSelector(BluetoothProtocol protocol) {
    const std::wstring_view id = protocol == BluetoothProtocol::Classic ? kClassicProtocolId : kLowEnergyProtocolId;
    return L"System.Devices.Aep.ProtocolId:=\"" + std::wstring(id) +
           L"\" AND (System.Devices.Aep.CanPair:=System.StructuredQueryType.Boolean#True OR "
           L"System.Devices.Aep.IsPaired:=System.StructuredQueryType.Boolean#True OR "
           L"System.Devices.Aep.IsConnected:=System.StructuredQueryType.Boolean#False)";
}

std::wstring AddressKey(std::wstring_view address) {
    // Six pairs of hex digits apart by ':' or '-'.
    if (address.size() != 17) return {};
    std::wstring key;
    for (std::size_t i = 0; i < address.size(); ++i) {
        const wchar_t c = address[i];
        if (i % 3 == 2) {
            if (c != L':' && c != L'-') return {};
            continue;
        }
        if (c >= L'0' && c <= L'9') key += c;
        else if (c >= L'a' && c <= L'f') key += static_cast<wchar_t>(c - L'a' + L'A');
        else if (c >= L'A' && c <= L'F') key += c;
        else return {};
    }
    return key;
}

std::wstring AddressKey(std::uint64_t address) {
    wchar_t text[20] = {};
    std::swprintf(text, 20, L"%012llX", static_cast<unsigned long long>(address & 0xFFFFFFFFFFFFull));
    return text;
}

std::wstring EndpointAddress(std::wstring_view endpointId) {
    const auto dash = endpointId.rfind(L'-');
    if (dash == std::wstring_view::npos) return {};
    const std::wstring_view tail = endpointId.substr(dash + 1);
    return AddressKey(tail).empty() ? std::wstring{} : std::wstring(tail);
}

BluetoothKind KindOfMajorClass(std::uint32_t majorClass) {
    switch (majorClass) {
    case 0x01: return BluetoothKind::Computer;
    case 0x02: return BluetoothKind::Phone;
    case 0x04: return BluetoothKind::Audio;
    case 0x05: return BluetoothKind::Input;
    default: return BluetoothKind::Other;
    }
}

bool DeviceBook::Apply(const WatchReport& report) {
    const auto before = Devices();
    auto at = std::find_if(m_endpoints.begin(), m_endpoints.end(),
                           [&](const Endpoint& e) { return e.id == report.endpointId && e.protocol == report.protocol; });
    switch (report.change) {
    case WatchChange::Removed:
        if (at != m_endpoints.end()) m_endpoints.erase(at);
        break;
    case WatchChange::Added:
        if (at == m_endpoints.end()) {
            Endpoint fresh;
            fresh.protocol = report.protocol;
            fresh.id = report.endpointId;
            at = m_endpoints.insert(m_endpoints.end(), std::move(fresh));
        }
        [[fallthrough]];
    case WatchChange::Updated:
        // An update for an endpoint never added (it was left out of the selection) is dropped.
        if (at == m_endpoints.end()) break;
        if (report.name) at->name = *report.name;
        if (report.paired) at->paired = *report.paired;
        if (report.connected) at->connected = *report.connected;
        if (report.majorClass) at->majorClass = *report.majorClass;
        if (at->key.empty() || report.address) {
            std::wstring key = AddressKey(report.address.value_or(EndpointAddress(at->id)));
            if (key.empty()) key = AddressKey(EndpointAddress(at->id));
            at->key = key.empty() ? at->id : key;
        }
        break;
    }
    // Levels of earbuds that went away or let go would be stale the next time.
    const auto now = Devices();
    std::erase_if(m_batteries, [&](const auto& entry) {
        return std::none_of(now.begin(), now.end(), [&](const BluetoothDevice& d) { return d.id == entry.first && d.connected; });
    });
    return now != before;
}

bool DeviceBook::HearBattery(const EarbudBattery& battery, int signalDbm) {
    if (signalDbm < kNearbySignalDbm) return false;
    bool changed = false;
    for (const BluetoothDevice& device : Devices()) {
        if (!device.connected || !IsEarbudName(device.name)) continue;
        auto& held = m_batteries[device.id];
        changed = changed || held != battery;
        held = battery;
    }
    return changed;
}

std::vector<BluetoothDevice> DeviceBook::Devices() const {
    std::vector<BluetoothDevice> out;
    for (const Endpoint& e : m_endpoints) {
        auto device = std::find_if(out.begin(), out.end(), [&](const BluetoothDevice& d) { return d.id == e.key; });
        if (device == out.end()) {
            device = out.insert(out.end(), BluetoothDevice{});
            device->id = e.key;
        }
        // The classic endpoint names a dual device as the user paired it; the low-energy
        // one may only carry an advertised name.
        if (!e.name.empty() && (device->name.empty() || e.protocol == BluetoothProtocol::Classic)) device->name = e.name;
        device->paired = device->paired || e.paired;
        device->connected = device->connected || e.connected;
        if (e.majorClass && (device->kind == BluetoothKind::Other || e.protocol == BluetoothProtocol::Classic))
            device->kind = KindOfMajorClass(*e.majorClass);
    }
    for (BluetoothDevice& device : out) {
        if (device.name.empty()) device.name = device.id;
        const auto battery = m_batteries.find(device.id);
        if (battery != m_batteries.end() && device.connected) device.battery = battery->second;
    }
    return out;
}

} // namespace kestrana::menubar

namespace kestrana::menubar {

RuntimeRadio WithRadioNews(RuntimeRadio known, const std::optional<RuntimeRadio>& findings,
                           const std::optional<bool>& reportedOn) {
    if (findings) known = *findings;
    if (reportedOn && known.found) known.on = *reportedOn;
    return known;
}

BluetoothState CombinedState(const RuntimeRadio& runtime, const std::vector<BluetoothDevice>& watched,
                             const BluetoothState& classic) {
    if (!runtime.found) {
        BluetoothState state = classic;
        state.canSwitch = false;
        return state;
    }
    BluetoothState state;
    state.available = true;
    state.radioOn = runtime.on;
    state.canSwitch = true;
    state.devices = runtime.watching ? watched : classic.devices;
    return state;
}

} // namespace kestrana::menubar
