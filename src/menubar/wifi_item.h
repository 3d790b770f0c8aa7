#pragma once
// The Wi-Fi item: the signal of the network in use on the bar (or a wired connection, or
// none), and a menu with the network in use and its link speed, the other networks with
// their signal, and the network settings. Opening the menu asks for a scan; the menu
// shows what the last scan found at once. The system is reached through a WlanPort.

#include "menubar/status_source.h"
#include "menubar/wifi_profile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

enum class LinkKind : std::uint8_t { None, Wifi, Wired };

struct WifiState {
    bool available = false;      // a WLAN service and a wireless interface
    bool radioOn = true;
    bool namesWithheld = false;  // the system keeps network names back without location consent
    LinkKind link = LinkKind::None;
    std::wstring ssid;           // of the network in use; empty when withheld
    int quality = 0;
    int linkMbps = 0;
    std::vector<WifiNetwork> networks; // as the last scan found them
};

// The WLAN service as the item needs it. State() is what the port knows already and never
// waits; the rest may fail and say so.
class WlanPort {
public:
    virtual ~WlanPort() = default;
    [[nodiscard]] virtual WifiState State() const = 0;
    // Asks for a fresh scan; its results come later through the item's change hook.
    virtual void Scan() = 0;
    // The interface's networks now (no flags), its saved profile names, and the calls
    // that store a profile and connect with one.
    [[nodiscard]] virtual std::vector<WifiNetwork> AvailableNetworks() = 0;
    [[nodiscard]] virtual std::vector<std::wstring> ProfileNames() = 0;
    virtual bool SetProfile(const std::wstring& xml) = 0;
    virtual bool ConnectWithProfile(const std::wstring& profile, int bssType) = 0;
    virtual bool Disconnect() = 0;
};

// Joins `ssid`: with its saved profile when there is one and no password is given, else
// with a profile built for it; false when the network is not there or a call fails (no
// profile is removed then).
bool JoinNetwork(WlanPort& port, const std::wstring& ssid, std::optional<std::wstring_view> password,
                 std::int64_t nowSeconds);

// The networks a menu lists: named ones only, one row per name (the strongest), the one
// in use left out, strongest first.
[[nodiscard]] std::vector<WifiNetwork> OtherNetworks(const WifiState& state);

namespace wifi_command {
inline constexpr int kDisconnect = 1;
inline constexpr int kSettings = 2;
inline constexpr int kLocationConsent = 3;
inline constexpr int kHotspot = 4;
inline constexpr int kNetworkFirst = 100; // + index in OtherNetworks
inline constexpr int kNetworkLast = 199;
} // namespace wifi_command

struct WifiActions {
    std::function<void(const std::wstring& uri)> open;
    // The key for a secured network without a saved profile; nothing when the user gave none.
    std::function<std::optional<std::wstring>(const WifiNetwork& network)> askPassword;
    std::function<std::int64_t()> now; // seconds
    std::function<void(const std::wstring& ssid, bool joined)> joined; // for the log
    std::function<void()> hotspot; // opens the hotspot pane; without it the menu offers none
};

class WifiSource final : public StatusSource {
public:
    WifiSource(WlanPort& port, const foundation::ConfigStore& store, WifiActions actions);

    [[nodiscard]] StatusKind Kind() const override { return StatusKind::Wifi; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    // The menu's rows as the port knows them now, asking for no scan: an open menu takes
    // them when a scan ends.
    [[nodiscard]] gfx::Menu Rows();
    void Choose(int id) override;
    [[nodiscard]] std::wstring ReaderValue() const override;

    // The port learned something (a scan ended, a connection changed).
    void StateChanged() { Changed(); }

private:
    [[nodiscard]] std::wstring Text(const wchar_t* key, const wchar_t* fallback) const;

    WlanPort& m_port;
    const foundation::ConfigStore& m_store;
    WifiActions m_actions;
    std::vector<WifiNetwork> m_listed; // the rows of the menu last built
};

} // namespace kestrana::menubar
