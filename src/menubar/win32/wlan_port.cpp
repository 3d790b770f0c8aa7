#include "menubar/win32/wlan_port.h"

#include "foundation/diagnostic_log.h"

#include <netlistmgr.h>
#include <ocidl.h>
#include <wlanapi.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// The available-network flags; this toolchain's header leaves them out.
constexpr DWORD kNetworkConnected = 0x1;
constexpr DWORD kNetworkHasProfile = 0x2;

struct WlanMemory {
    void* p = nullptr;
    ~WlanMemory() {
        if (p) ::WlanFreeMemory(p);
    }
};

std::wstring Ssid(const DOT11_SSID& ssid) {
    const ULONG length = ssid.uSSIDLength > DOT11_SSID_MAX_LENGTH ? DOT11_SSID_MAX_LENGTH : ssid.uSSIDLength;
    return SsidText(std::span<const std::uint8_t>(ssid.ucSSID, length));
}

// Listens to the connectivity of the machine as a whole; each change posts the message.
class ConnectivitySink final : public INetworkListManagerEvents {
public:
    explicit ConnectivitySink(std::atomic<HWND>& target) : m_target(target) {}
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(INetworkListManagerEvents)) {
            *out = static_cast<INetworkListManagerEvents*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ConnectivityChanged(NLM_CONNECTIVITY) override {
        if (HWND window = m_target.load()) ::PostMessageW(window, kMsgWifiChanged, 0, 0);
        return S_OK;
    }

private:
    std::atomic<HWND>& m_target;
    std::atomic<ULONG> m_refs{1};
};

} // namespace

struct SystemWlanPort::Impl {
    HANDLE client = nullptr;
    GUID interfaceId{};
    bool haveInterface = false;
    bool notifying = false;
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> posted{false};
    WifiState state;
    ComPtr<INetworkListManager> networks;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    bool saidNoInterface = false;

    static void WINAPI OnNotification(PWLAN_NOTIFICATION_DATA data, PVOID context) {
        auto* self = static_cast<Impl*>(context);
        if (!self || !data) return;
        // Many notifications come in bursts (a scan, a roam): one message until it is read.
        if (self->posted.exchange(true)) return;
        if (HWND window = self->target.load()) ::PostMessageW(window, kMsgWifiChanged, 0, 0);
        else self->posted = false;
    }

    void Open() {
        DWORD version = 0;
        const DWORD opened = ::WlanOpenHandle(2, nullptr, &version, &client);
        if (opened != ERROR_SUCCESS) {
            client = nullptr;
            foundation::LogFailure("wifi", L"no WLAN service (" + std::to_wstring(opened) +
                                               L"): the Wi-Fi item shows it is unavailable");
            return;
        }
        DWORD previous = 0;
        const DWORD registered = ::WlanRegisterNotification(client, WLAN_NOTIFICATION_SOURCE_ACM | WLAN_NOTIFICATION_SOURCE_MSM,
                                                            TRUE, &Impl::OnNotification, this, nullptr, &previous);
        notifying = registered == ERROR_SUCCESS;
        if (!notifying)
            foundation::LogFailure("wifi", L"the WLAN service sends no notifications (" + std::to_wstring(registered) +
                                               L"): the Wi-Fi item is read when its menu opens");
    }

    void ListenToConnectivity() {
        if (FAILED(::CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&networks)))) {
            foundation::LogFailure("wifi", L"no connectivity listener: a wired connection is not shown");
            return;
        }
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(networks.As(&container)) ||
            FAILED(container->FindConnectionPoint(__uuidof(INetworkListManagerEvents), &point))) {
            foundation::LogFailure("wifi", L"the connectivity listener sends no events");
            return;
        }
        auto* sink = new (std::nothrow) ConnectivitySink(target);
        if (!sink) return;
        if (FAILED(point->Advise(sink, &cookie))) {
            cookie = 0;
            foundation::LogFailure("wifi", L"the connectivity listener refused to send events");
        }
        sink->Release();
    }

    bool FindInterface() {
        haveInterface = false;
        if (!client) return false;
        WlanMemory memory;
        PWLAN_INTERFACE_INFO_LIST list = nullptr;
        if (::WlanEnumInterfaces(client, nullptr, &list) != ERROR_SUCCESS || !list) return false;
        memory.p = list;
        if (list->dwNumberOfItems == 0) {
            if (!saidNoInterface)
                foundation::LogFailure("wifi", L"no wireless interface: the Wi-Fi item shows it is unavailable");
            saidNoInterface = true;
            return false;
        }
        interfaceId = list->InterfaceInfo[0].InterfaceGuid;
        haveInterface = true;
        return true;
    }

    std::vector<WifiNetwork> ReadNetworks() const {
        std::vector<WifiNetwork> out;
        if (!haveInterface) return out;
        WlanMemory memory;
        PWLAN_AVAILABLE_NETWORK_LIST list = nullptr;
        if (::WlanGetAvailableNetworkList(client, &interfaceId, 0, nullptr, &list) != ERROR_SUCCESS || !list) return out;
        memory.p = list;
        for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
            const WLAN_AVAILABLE_NETWORK& n = list->Network[i];
            WifiNetwork network;
            network.ssid = Ssid(n.dot11Ssid);
            network.hasProfile = (n.dwFlags & kNetworkHasProfile) != 0;
            network.connected = (n.dwFlags & kNetworkConnected) != 0;
            network.quality = static_cast<int>(n.wlanSignalQuality > 100 ? 100 : n.wlanSignalQuality);
            network.authAlgorithm = static_cast<int>(n.dot11DefaultAuthAlgorithm);
            network.cipherAlgorithm = static_cast<int>(n.dot11DefaultCipherAlgorithm);
            network.bssType = static_cast<int>(n.dot11BssType);
            out.push_back(std::move(network));
        }
        return out;
    }

    void ReadConnection(WifiState& s) const {
        s.link = LinkKind::None;
        if (haveInterface) {
            DWORD size = 0;
            void* data = nullptr;
            const DWORD queried = ::WlanQueryInterface(client, &interfaceId, wlan_intf_opcode_current_connection, nullptr,
                                                       &size, &data, nullptr);
            WlanMemory memory{data};
            if (queried == ERROR_SUCCESS && data && size >= sizeof(WLAN_CONNECTION_ATTRIBUTES)) {
                const auto* c = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data);
                if (c->isState == wlan_interface_state_connected) {
                    s.link = LinkKind::Wifi;
                    s.ssid = Ssid(c->wlanAssociationAttributes.dot11Ssid);
                    s.quality = static_cast<int>(c->wlanAssociationAttributes.wlanSignalQuality);
                    // The rate comes in units of 1 kbit/s.
                    s.linkMbps = static_cast<int>(c->wlanAssociationAttributes.ulRxRate / 1000);
                }
            } else if (queried == ERROR_ACCESS_DENIED) {
                // Without location consent the system keeps the connection's name back.
                s.namesWithheld = true;
            }
        }
        if (s.link == LinkKind::None && networks) {
            NLM_CONNECTIVITY connectivity = NLM_CONNECTIVITY_DISCONNECTED;
            if (SUCCEEDED(networks->GetConnectivity(&connectivity)) && connectivity != NLM_CONNECTIVITY_DISCONNECTED) {
                // Connected without a Wi-Fi association: a cable (or a withheld Wi-Fi link).
                s.link = s.namesWithheld ? LinkKind::Wifi : LinkKind::Wired;
            }
        }
    }
};

SystemWlanPort::SystemWlanPort() : m_impl(std::make_unique<Impl>()) {
    m_impl->Open();
    m_impl->ListenToConnectivity();
    Refresh();
}

SystemWlanPort::~SystemWlanPort() {
    m_impl->target = nullptr;
    if (m_impl->point && m_impl->cookie) m_impl->point->Unadvise(m_impl->cookie);
    // Closing the handle waits for running callbacks and ends the registration.
    if (m_impl->client) ::WlanCloseHandle(m_impl->client, nullptr);
}

void SystemWlanPort::SetTarget(HWND target) noexcept {
    m_impl->target = target;
    m_impl->posted = false;
}

void SystemWlanPort::Refresh() noexcept {
    m_impl->posted = false;
    WifiState s;
    if (!m_impl->haveInterface) m_impl->FindInterface();
    s.available = m_impl->haveInterface;
    if (s.available) {
        DWORD size = 0;
        void* data = nullptr;
        const DWORD queried = ::WlanQueryInterface(m_impl->client, &m_impl->interfaceId, wlan_intf_opcode_radio_state,
                                                   nullptr, &size, &data, nullptr);
        WlanMemory memory{data};
        if (queried == ERROR_SUCCESS && data && size >= sizeof(WLAN_RADIO_STATE)) {
            const auto* radio = static_cast<const WLAN_RADIO_STATE*>(data);
            if (radio->dwNumberOfPhys > 0)
                s.radioOn = radio->PhyRadioState[0].dot11SoftwareRadioState == dot11_radio_state_on &&
                            radio->PhyRadioState[0].dot11HardwareRadioState == dot11_radio_state_on;
        }
        s.networks = m_impl->ReadNetworks();
        // An interface that went away is looked for again at the next notification.
        if (s.networks.empty() && !m_impl->FindInterface()) s.available = false;
    }
    m_impl->ReadConnection(s);
    m_impl->state = std::move(s);
}

WifiState SystemWlanPort::State() const { return m_impl->state; }

void SystemWlanPort::Scan() {
    // Without notifications the menu's opening is the only time to look again.
    if (!m_impl->notifying) Refresh();
    if (!m_impl->haveInterface) return;
    const DWORD scanned = ::WlanScan(m_impl->client, &m_impl->interfaceId, nullptr, nullptr, nullptr);
    if (scanned != ERROR_SUCCESS) foundation::LogDetail("wifi", L"scan refused (" + std::to_wstring(scanned) + L")");
}

std::vector<WifiNetwork> SystemWlanPort::AvailableNetworks() { return m_impl->ReadNetworks(); }

std::vector<std::wstring> SystemWlanPort::ProfileNames() {
    std::vector<std::wstring> out;
    if (!m_impl->haveInterface) return out;
    WlanMemory memory;
    PWLAN_PROFILE_INFO_LIST list = nullptr;
    if (::WlanGetProfileList(m_impl->client, &m_impl->interfaceId, nullptr, &list) != ERROR_SUCCESS || !list) return out;
    memory.p = list;
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) out.emplace_back(list->ProfileInfo[i].strProfileName);
    return out;
}

bool SystemWlanPort::SetProfile(const std::wstring& xml) {
    if (!m_impl->haveInterface) return false;
    DWORD reason = 0;
    const DWORD set = ::WlanSetProfile(m_impl->client, &m_impl->interfaceId, 0, xml.c_str(), nullptr, TRUE, nullptr, &reason);
    if (set != ERROR_SUCCESS)
        foundation::LogFailure("wifi", L"the profile was refused (" + std::to_wstring(set) + L", reason " +
                                           std::to_wstring(reason) + L")");
    return set == ERROR_SUCCESS;
}

bool SystemWlanPort::ConnectWithProfile(const std::wstring& profile, int bssType) {
    if (!m_impl->haveInterface) return false;
    WLAN_CONNECTION_PARAMETERS parameters{};
    parameters.wlanConnectionMode = wlan_connection_mode_profile;
    parameters.strProfile = profile.c_str();
    parameters.dot11BssType = static_cast<DOT11_BSS_TYPE>(bssType);
    const DWORD connected = ::WlanConnect(m_impl->client, &m_impl->interfaceId, &parameters, nullptr);
    if (connected != ERROR_SUCCESS) foundation::LogFailure("wifi", L"connect refused (" + std::to_wstring(connected) + L")");
    return connected == ERROR_SUCCESS;
}

bool SystemWlanPort::Disconnect() {
    if (!m_impl->haveInterface) return false;
    return ::WlanDisconnect(m_impl->client, &m_impl->interfaceId, nullptr) == ERROR_SUCCESS;
}

} // namespace kestrana::menubar::win32
