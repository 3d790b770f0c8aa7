#pragma once
// The Wi-Fi item's port to the WLAN service: the client handle, the first wireless
// interface, its networks and connection, and the connectivity listener that tells a
// wired connection from none. The service's notifications and the listener's events
// only post a message to a bar window; the cached state is read again on the
// user-interface thread. Nothing polls: without a service or an interface the port says
// so once and waits for the service to announce an interface.

#include "menubar/wifi_item.h"

#include <windows.h>

#include <memory>

namespace kestrana::menubar::win32 {

// Posted to the notification target when the WLAN service or the connectivity changed.
inline constexpr UINT kMsgWifiChanged = WM_APP + 70;

class SystemWlanPort final : public WlanPort {
public:
    SystemWlanPort();
    ~SystemWlanPort() override;
    SystemWlanPort(const SystemWlanPort&) = delete;
    SystemWlanPort& operator=(const SystemWlanPort&) = delete;

    // Where notifications go (a bar window); null stops them.
    void SetTarget(HWND target) noexcept;
    // Reads the interface's state again (user-interface thread, after kMsgWifiChanged).
    void Refresh() noexcept;

    WifiState State() const override;
    void Scan() override;
    std::vector<WifiNetwork> AvailableNetworks() override;
    std::vector<std::wstring> ProfileNames() override;
    bool SetProfile(const std::wstring& xml) override;
    bool ConnectWithProfile(const std::wstring& profile, int bssType) override;
    bool Disconnect() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace kestrana::menubar::win32
