#pragma once
// The Bluetooth item: the radio's state on the bar, and a menu with the radio switch, the
// known devices (connected ones checked, earbud batteries beside them when wanted) and
// the Bluetooth settings. Audio devices connect and disconnect from their row. The
// system is reached through a BluetoothPort.

#include "menubar/earbud_battery.h"
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

enum class BluetoothKind : std::uint8_t { Other, Audio, Input, Phone, Computer };

struct BluetoothDevice {
    std::wstring id; // the system's address or endpoint id
    std::wstring name;
    BluetoothKind kind = BluetoothKind::Other;
    bool paired = false;
    bool connected = false;
    std::optional<EarbudBattery> battery;
    bool operator==(const BluetoothDevice&) const = default;
};

struct BluetoothState {
    bool available = false; // a radio is there
    bool radioOn = false;
    bool canSwitch = false; // the radio can be switched from here
    std::vector<BluetoothDevice> devices;
};

class BluetoothPort {
public:
    virtual ~BluetoothPort() = default;
    // What the port knows already; never waits.
    [[nodiscard]] virtual BluetoothState State() const = 0;
    // Reads the devices again (the menu is opening); what it finds comes through State().
    virtual void Refresh() {}
    virtual bool SetRadio(bool on) = 0;
    virtual bool ConnectAudio(const std::wstring& id) = 0;
    virtual bool DisconnectAudio(const std::wstring& id) = 0;
};

namespace bluetooth_command {
inline constexpr int kRadio = 1;
inline constexpr int kSettings = 2;
inline constexpr int kDeviceFirst = 100; // + index in the menu's device list
inline constexpr int kDeviceLast = 199;
} // namespace bluetooth_command

// The devices a menu lists: connected ones first, then paired ones, each group by name.
[[nodiscard]] std::vector<BluetoothDevice> ListedDevices(const std::vector<BluetoothDevice>& devices);

struct DeviceNotice {
    std::wstring name;
    bool connected = false;
    bool operator==(const DeviceNotice&) const = default;
};

// What to announce between two device lists: each device whose connection came or went
// (a device that vanished while connected went).
[[nodiscard]] std::vector<DeviceNotice> ConnectionNotices(const std::vector<BluetoothDevice>& before,
                                                          const std::vector<BluetoothDevice>& after);

[[nodiscard]] std::wstring BluetoothNoticeText(const DeviceNotice& notice, const foundation::ConfigStore& store);

struct BluetoothActions {
    std::function<void(const std::wstring& uri)> open;
    std::function<void(const std::wstring& what, bool done)> done; // for the log (done: asked of the system)
};

class BluetoothSource final : public StatusSource {
public:
    BluetoothSource(BluetoothPort& port, const foundation::ConfigStore& store, BluetoothActions actions);

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::Bluetooth; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    // The rows as the port knows them now, without asking it to look again: an open menu
    // takes them when a device comes, goes or changes.
    [[nodiscard]] gfx::Menu Rows();
    void Choose(int id) override;
    [[nodiscard]] std::wstring ReaderValue() const override;

    void StateChanged() { Changed(); }

private:
    [[nodiscard]] std::wstring Text(const wchar_t* key, const wchar_t* fallback) const;

    BluetoothPort& m_port;
    const foundation::ConfigStore& m_store;
    BluetoothActions m_actions;
    std::vector<BluetoothDevice> m_listed;
};

} // namespace kestrana::menubar
