#include "menubar/win32/bluetooth_port.h"

#include "foundation/diagnostic_log.h"
#include "menubar/bluetooth_watch.h"

#include <initguid.h>
#include <bthdef.h>
#include <bluetoothapis.h>
#include <dbt.h>

#include <cstddef>
#include <cwchar>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

// The service switch's two values; this toolchain's header leaves them out.
constexpr DWORD kServiceDisable = 0x00;
constexpr DWORD kServiceEnable = 0x01;

} // namespace

ClassicBluetoothPort::ClassicBluetoothPort() { Refresh(); }

ClassicBluetoothPort::~ClassicBluetoothPort() {
    if (m_notify) ::UnregisterDeviceNotification(m_notify);
    if (m_radio) ::CloseHandle(m_radio);
}

bool ClassicBluetoothPort::Follow(HWND window) {
    if (m_notify) ::UnregisterDeviceNotification(m_notify);
    m_notify = nullptr;
    if (!m_radio || !window) return false;
    DEV_BROADCAST_HANDLE filter{};
    filter.dbch_size = sizeof(filter);
    filter.dbch_devicetype = DBT_DEVTYP_HANDLE;
    filter.dbch_handle = m_radio;
    m_notify = ::RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!m_notify) foundation::LogFailure("bluetooth", L"the radio's events cannot be followed");
    return m_notify != nullptr;
}

bool ClassicBluetoothPort::OnDeviceEvent(LPARAM data) {
    if (!m_notify || !data) return false;
    // Read so that a bad pointer from elsewhere fails instead of faulting.
    DEV_BROADCAST_HANDLE event{};
    SIZE_T read = 0;
    const auto* at = reinterpret_cast<const void*>(data);
    if (!::ReadProcessMemory(::GetCurrentProcess(), at, &event, offsetof(DEV_BROADCAST_HANDLE, dbch_data), &read) ||
        read != offsetof(DEV_BROADCAST_HANDLE, dbch_data))
        return false;
    if (event.dbch_devicetype != DBT_DEVTYP_HANDLE || event.dbch_handle != m_radio) return false;
    if (!::IsEqualGUID(event.dbch_eventguid, GUID_BLUETOOTH_HCI_EVENT) &&
        !::IsEqualGUID(event.dbch_eventguid, GUID_BLUETOOTH_L2CAP_EVENT))
        return false;
    Refresh();
    return true;
}

void ClassicBluetoothPort::Refresh() {
    if (!m_radio) {
        BLUETOOTH_FIND_RADIO_PARAMS params{sizeof(params)};
        HBLUETOOTH_RADIO_FIND find = ::BluetoothFindFirstRadio(&params, &m_radio);
        if (find) {
            ::BluetoothFindRadioClose(find);
        } else {
            m_radio = nullptr;
            if (!m_saidNoRadio)
                foundation::LogFailure("bluetooth", L"no Bluetooth radio (" + std::to_wstring(::GetLastError()) +
                                                        L"): the Bluetooth item shows it is unavailable");
            m_saidNoRadio = true;
        }
    }
    BluetoothState state;
    state.available = m_radio != nullptr;
    // A radio the classic calls find is switched on; switching it is not offered here.
    state.radioOn = state.available;
    if (state.available) {
        BLUETOOTH_DEVICE_SEARCH_PARAMS search{};
        search.dwSize = sizeof(search);
        search.fReturnAuthenticated = TRUE;
        search.fReturnRemembered = TRUE;
        search.fReturnConnected = TRUE;
        search.fIssueInquiry = FALSE; // only what the system knows: an inquiry takes seconds
        search.hRadio = m_radio;
        BLUETOOTH_DEVICE_INFO info{};
        info.dwSize = sizeof(info);
        HBLUETOOTH_DEVICE_FIND find = ::BluetoothFindFirstDevice(&search, &info);
        if (find) {
            do {
                BluetoothDevice device;
                device.id = AddressKey(static_cast<std::uint64_t>(info.Address.ullLong));
                device.name = info.szName[0] ? std::wstring(info.szName) : device.id;
                device.kind = KindOfMajorClass((info.ulClassofDevice >> 8) & 0x1F); // the major class: bits 8..12
                device.paired = info.fAuthenticated || info.fRemembered;
                device.connected = info.fConnected != FALSE;
                state.devices.push_back(std::move(device));
                info = {};
                info.dwSize = sizeof(info);
            } while (::BluetoothFindNextDevice(find, &info));
            ::BluetoothFindDeviceClose(find);
        }
    }
    m_state = std::move(state);
}

bool ClassicBluetoothPort::SetRadio(bool) { return false; }

bool ClassicBluetoothPort::SwitchAudio(const std::wstring& id, bool on) {
    if (!m_radio) return false;
    BLUETOOTH_DEVICE_INFO info{};
    info.dwSize = sizeof(info);
    info.Address.ullLong = std::wcstoull(id.c_str(), nullptr, 16);
    if (::BluetoothGetDeviceInfo(m_radio, &info) != ERROR_SUCCESS) return false;
    // The switch can take seconds (the system may set up drivers): it runs on a worker with
    // a radio handle of its own, and the radio's connection events bring the outcome.
    HANDLE radio = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), m_radio, ::GetCurrentProcess(), &radio, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return false;
    try {
        std::thread([radio, info, on]() mutable {
            // The system connects an audio device when its audio services are enabled, and
            // lets it go when they are disabled.
            const DWORD flag = on ? kServiceEnable : kServiceDisable;
            GUID sink = AudioSinkServiceClass_UUID, handsFree = HandsfreeServiceClass_UUID;
            const DWORD a = ::BluetoothSetServiceState(radio, &info, &sink, flag);
            const DWORD b = ::BluetoothSetServiceState(radio, &info, &handsFree, flag);
            if (a != ERROR_SUCCESS && b != ERROR_SUCCESS)
                foundation::LogFailure("bluetooth", L"the audio services of " + std::wstring(info.szName) +
                                                        L" were not switched (" + std::to_wstring(a) + L")");
            ::CloseHandle(radio);
        }).detach();
    } catch (...) {
        ::CloseHandle(radio);
        foundation::LogFailure("bluetooth", L"no worker for switching an audio device");
        return false;
    }
    return true;
}

bool ClassicBluetoothPort::ConnectAudio(const std::wstring& id) { return SwitchAudio(id, true); }
bool ClassicBluetoothPort::DisconnectAudio(const std::wstring& id) { return SwitchAudio(id, false); }

} // namespace kestrana::menubar::win32
