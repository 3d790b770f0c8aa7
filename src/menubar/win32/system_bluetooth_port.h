#pragma once
// The Bluetooth item's port as the bar uses it: the runtime radio and device watchers
// where the system has them, the classic calls where it does not (and always for audio
// devices, which connect through their services).

#include "menubar/bluetooth_watch.h"
#include "menubar/win32/bluetooth_port.h"
#include "menubar/win32/runtime_bluetooth.h"

#include <memory>

namespace kestrana::menubar::win32 {

class SystemBluetoothPort final : public BluetoothPort {
public:
    explicit SystemBluetoothPort(bool batteries) : m_batteries(batteries) {}

    // Radio events and the runtime's news go to `window` (the first bar).
    void Follow(HWND window);
    // A device message's custom event: true when the classic radio's devices changed.
    bool OnDeviceEvent(LPARAM data) { return m_classic.OnDeviceEvent(data); }
    // After kMsgBluetoothChanged: true when what the item shows changed.
    bool TakeNews();

    BluetoothState State() const override;
    void Refresh() override;
    bool SetRadio(bool on) override;
    bool ConnectAudio(const std::wstring& id) override { return m_classic.ConnectAudio(id); }
    bool DisconnectAudio(const std::wstring& id) override { return m_classic.DisconnectAudio(id); }

private:
    bool m_batteries;
    ClassicBluetoothPort m_classic;
    DeviceBook m_book;
    RuntimeRadio m_radio;
    std::unique_ptr<RuntimeBluetooth> m_runtime; // last: its worker stops first
};

} // namespace kestrana::menubar::win32
