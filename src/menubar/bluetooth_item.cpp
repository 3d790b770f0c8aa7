#include "menubar/bluetooth_item.h"

#include "foundation/config_store.h"

#include <algorithm>

namespace kestrana::menubar {

std::vector<BluetoothDevice> ListedDevices(const std::vector<BluetoothDevice>& devices) {
    std::vector<BluetoothDevice> out;
    for (const auto& d : devices)
        if (d.paired || d.connected) out.push_back(d);
    std::stable_sort(out.begin(), out.end(), [](const BluetoothDevice& a, const BluetoothDevice& b) {
        if (a.connected != b.connected) return a.connected;
        return a.name < b.name;
    });
    return out;
}

std::vector<DeviceNotice> ConnectionNotices(const std::vector<BluetoothDevice>& before,
                                            const std::vector<BluetoothDevice>& after) {
    std::vector<DeviceNotice> out;
    const auto find = [](const std::vector<BluetoothDevice>& list, const std::wstring& id) {
        return std::find_if(list.begin(), list.end(), [&](const BluetoothDevice& d) { return d.id == id; });
    };
    for (const auto& now : after) {
        const auto was = find(before, now.id);
        const bool wasConnected = was != before.end() && was->connected;
        if (now.connected != wasConnected) out.push_back({now.name, now.connected});
    }
    for (const auto& was : before)
        if (was.connected && find(after, was.id) == after.end()) out.push_back({was.name, false});
    return out;
}

std::wstring BluetoothNoticeText(const DeviceNotice& notice, const foundation::ConfigStore& store) {
    return notice.name + L" " +
           (notice.connected ? store.LanguageText(L"promptwindow", L"btconnected", L"is connected")
                             : store.LanguageText(L"promptwindow", L"btdisconnected", L"is disconnected"));
}

BluetoothSource::BluetoothSource(BluetoothPort& port, const foundation::ConfigStore& store, BluetoothActions actions)
    : m_port(port), m_store(store), m_actions(std::move(actions)) {}

std::wstring BluetoothSource::Text(const wchar_t* key, const wchar_t* fallback) const {
    return m_store.LanguageText(L"findermenu", key, fallback);
}

std::wstring BluetoothSource::Name() const { return Text(L"bluetooth", L"Bluetooth"); }

StatusFace BluetoothSource::Face() const {
    const BluetoothState state = m_port.State();
    StatusFace face;
    face.glyph = Glyph::Bluetooth;
    face.crossed = !state.available || !state.radioOn;
    face.level = std::any_of(state.devices.begin(), state.devices.end(), [](const auto& d) { return d.connected; }) ? 100 : 0;
    return face;
}

std::wstring BluetoothSource::ReaderValue() const {
    const BluetoothState state = m_port.State();
    if (!state.available) return Text(L"bluetoothunavailable", L"Unavailable");
    if (!state.radioOn) return Text(L"bluetoothoff", L"Off");
    const auto connected = std::count_if(state.devices.begin(), state.devices.end(), [](const auto& d) { return d.connected; });
    if (connected == 0) return Text(L"bluetoothon", L"On");
    return Text(L"bluetoothconnected", L"Connected") + L" " + std::to_wstring(connected);
}

gfx::Menu BluetoothSource::Menu() {
    m_port.Refresh();
    return Rows();
}

gfx::Menu BluetoothSource::Rows() {
    const BluetoothState state = m_port.State();
    gfx::Menu menu;
    menu.push_back(gfx::MenuItem::Command(0, Text(L"bluetooth", L"Bluetooth"), false, false));
    if (!state.available) {
        menu.push_back(gfx::MenuItem::Command(0, Text(L"bluetoothunavailable", L"Unavailable"), false, false));
        m_listed.clear();
    } else {
        menu.push_back(gfx::MenuItem::Command(bluetooth_command::kRadio, Text(L"bluetoothradio", L"Bluetooth On"),
                                              state.radioOn, state.canSwitch));
        m_listed = state.radioOn ? ListedDevices(state.devices) : std::vector<BluetoothDevice>{};
        if (!m_listed.empty()) menu.push_back(gfx::MenuItem::Command(0, Text(L"device", L"Devices"), false, false));
        const bool batteries = m_store.ReadInt(L"finder", L"bluetoothbattery") == 1;
        for (std::size_t i = 0; i < m_listed.size(); ++i) {
            const int id = bluetooth_command::kDeviceFirst + static_cast<int>(i);
            if (id > bluetooth_command::kDeviceLast) break;
            const BluetoothDevice& d = m_listed[i];
            // Only audio devices are connected from here; the others show their state.
            auto row = gfx::MenuItem::Command(id, d.name, d.connected, d.kind == BluetoothKind::Audio);
            if (batteries && d.battery && IsEarbudName(d.name)) row.detail = EarbudText(*d.battery);
            menu.push_back(std::move(row));
        }
    }
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(gfx::MenuItem::Command(bluetooth_command::kSettings, Text(L"Bluetooth settings", L"Bluetooth Settings")));
    return menu;
}

void BluetoothSource::Choose(int id) {
    if (id == bluetooth_command::kSettings) {
        if (m_actions.open) m_actions.open(L"ms-settings:bluetooth");
        return;
    }
    if (id == bluetooth_command::kRadio) {
        const BluetoothState state = m_port.State();
        if (!state.available || !state.canSwitch) return;
        const bool on = !state.radioOn;
        const bool done = m_port.SetRadio(on);
        if (m_actions.done) m_actions.done(on ? L"radio on" : L"radio off", done);
        Changed();
        return;
    }
    if (id < bluetooth_command::kDeviceFirst || id > bluetooth_command::kDeviceLast) return;
    const auto index = static_cast<std::size_t>(id - bluetooth_command::kDeviceFirst);
    if (index >= m_listed.size() || m_listed[index].kind != BluetoothKind::Audio) return;
    const BluetoothDevice device = m_listed[index];
    const bool done = device.connected ? m_port.DisconnectAudio(device.id) : m_port.ConnectAudio(device.id);
    if (m_actions.done) m_actions.done((device.connected ? L"disconnect " : L"connect ") + device.name, done);
    Changed();
}

} // namespace kestrana::menubar
