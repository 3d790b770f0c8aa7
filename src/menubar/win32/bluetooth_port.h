#pragma once
// The Bluetooth item's port over the classic Win32 Bluetooth calls: the first radio, the
// remembered and connected devices, and connecting an audio device by switching its
// audio services on or off. Read at start, when the menu opens and when the radio reports
// a connection event; without a radio the port says so once and the item shows it is
// unavailable.

#include "menubar/bluetooth_item.h"

#include <windows.h>

namespace kestrana::menubar::win32 {

class ClassicBluetoothPort final : public BluetoothPort {
public:
    ClassicBluetoothPort();
    ~ClassicBluetoothPort() override;
    ClassicBluetoothPort(const ClassicBluetoothPort&) = delete;
    ClassicBluetoothPort& operator=(const ClassicBluetoothPort&) = delete;

    // Asks for the radio's events as device messages to `window`; false without a radio.
    bool Follow(HWND window);
    // A device message's custom event: true when it came from the radio (the devices have
    // been read again).
    bool OnDeviceEvent(LPARAM data);

    BluetoothState State() const override { return m_state; }
    void Refresh() override;
    bool SetRadio(bool on) override;
    bool ConnectAudio(const std::wstring& id) override;
    bool DisconnectAudio(const std::wstring& id) override;

private:
    bool SwitchAudio(const std::wstring& id, bool on);

    HANDLE m_radio = nullptr;
    HDEVNOTIFY m_notify = nullptr;
    BluetoothState m_state;
    bool m_saidNoRadio = false;
};

} // namespace kestrana::menubar::win32
