#include "menubar/win32/system_bluetooth_port.h"

namespace kestrana::menubar::win32 {

void SystemBluetoothPort::Follow(HWND window) {
    m_classic.Follow(window);
    if (m_runtime) m_runtime->SetTarget(window);
    else if (window) m_runtime = std::make_unique<RuntimeBluetooth>(window, m_batteries);
}

bool SystemBluetoothPort::TakeNews() {
    if (!m_runtime) return false;
    const BluetoothState before = State();
    RuntimeNews news = m_runtime->Take();
    m_radio = WithRadioNews(m_radio, news.radio, news.radioOn);
    for (const WatchReport& report : news.reports) m_book.Apply(report);
    for (const HeardBattery& heard : news.heard) m_book.HearBattery(heard.battery, heard.signalDbm);
    const BluetoothState after = State();
    return before.available != after.available || before.radioOn != after.radioOn || before.canSwitch != after.canSwitch ||
           before.devices != after.devices;
}

BluetoothState SystemBluetoothPort::State() const { return CombinedState(m_radio, m_book.Devices(), m_classic.State()); }

void SystemBluetoothPort::Refresh() {
    // The watchers keep their list current; the classic list is read when it is the one shown.
    if (!m_radio.found || !m_radio.watching) m_classic.Refresh();
}

bool SystemBluetoothPort::SetRadio(bool on) { return m_runtime && m_runtime->SetRadio(on); }

} // namespace kestrana::menubar::win32
