#include "menubar/wifi_item.h"

#include "foundation/config_store.h"

#include <algorithm>

namespace kestrana::menubar {
namespace {

const wchar_t* SignalMarks(int quality) {
    switch (SignalLevelOf(quality)) {
    case SignalLevel::Full: return L"\u25CF\u25CF\u25CF";
    case SignalLevel::Middle: return L"\u25CF\u25CF\u25CB";
    default: return L"\u25CF\u25CB\u25CB";
    }
}

} // namespace

bool JoinNetwork(WlanPort& port, const std::wstring& ssid, std::optional<std::wstring_view> password,
                 std::int64_t nowSeconds) {
    const auto networks = port.AvailableNetworks();
    const auto found = std::find_if(networks.begin(), networks.end(), [&](const WifiNetwork& n) { return n.ssid == ssid; });
    if (found == networks.end()) return false;
    if (!password) {
        const auto names = port.ProfileNames();
        if (std::find(names.begin(), names.end(), ssid) != names.end()) return port.ConnectWithProfile(ssid, found->bssType);
    }
    std::wstring profile = BuildWifiProfile(*found, password, nowSeconds);
    if (profile.empty()) return false;
    const bool stored = port.SetProfile(profile);
    WipeText(profile); // it holds the key in clear
    return stored && port.ConnectWithProfile(ssid, found->bssType);
}

std::vector<WifiNetwork> OtherNetworks(const WifiState& state) {
    std::vector<WifiNetwork> out;
    for (const WifiNetwork& n : state.networks) {
        if (n.ssid.empty() || n.connected) continue;
        if (state.link == LinkKind::Wifi && !state.ssid.empty() && n.ssid == state.ssid) continue;
        auto same = std::find_if(out.begin(), out.end(), [&](const WifiNetwork& o) { return o.ssid == n.ssid; });
        if (same == out.end()) {
            out.push_back(n);
            continue;
        }
        // The service lists a network once per saved profile and once without.
        const bool profile = same->hasProfile || n.hasProfile;
        if (n.quality > same->quality) *same = n;
        same->hasProfile = profile;
    }
    std::stable_sort(out.begin(), out.end(), [](const WifiNetwork& a, const WifiNetwork& b) { return a.quality > b.quality; });
    return out;
}

WifiSource::WifiSource(WlanPort& port, const foundation::ConfigStore& store, WifiActions actions)
    : m_port(port), m_store(store), m_actions(std::move(actions)) {}

std::wstring WifiSource::Text(const wchar_t* key, const wchar_t* fallback) const {
    return m_store.LanguageText(L"findermenu", key, fallback);
}

std::wstring WifiSource::Name() const { return Text(L"WiFi", L"Wi-Fi"); }

StatusFace WifiSource::Face() const {
    const WifiState state = m_port.State();
    StatusFace face;
    if (state.link == LinkKind::Wired) {
        face.glyph = Glyph::Wired;
        return face;
    }
    face.glyph = Glyph::Wifi;
    if (state.link == LinkKind::Wifi) face.level = static_cast<int>(SignalLevelOf(state.quality));
    face.crossed = !state.available || !state.radioOn;
    return face;
}

std::wstring WifiSource::ReaderValue() const {
    const WifiState state = m_port.State();
    if (state.link == LinkKind::Wired)
        return Text(L"wired", L"Wired connection") + (state.available ? L"" : L"; Wi-Fi " + Text(L"wifiunavailable", L"Unavailable"));
    if (!state.available) return Text(L"wifiunavailable", L"Unavailable");
    if (!state.radioOn) return Text(L"wifioff", L"Off");
    if (state.link == LinkKind::None) return Text(L"notconnected", L"Not connected");
    const std::wstring name = state.ssid.empty() ? Text(L"connected", L"Connected") : state.ssid;
    return name + L", " + std::to_wstring(static_cast<int>(SignalLevelOf(state.quality))) + L"/3";
}

gfx::Menu WifiSource::Menu() {
    m_port.Scan(); // the fresh list comes later; what is known shows now
    return Rows();
}

gfx::Menu WifiSource::Rows() {
    const WifiState state = m_port.State();
    gfx::Menu menu;
    menu.push_back(gfx::MenuItem::Command(0, Text(L"WiFi", L"Wi-Fi"), false, false));
    if (state.link == LinkKind::Wired) menu.push_back(gfx::MenuItem::Command(0, Text(L"wired", L"Wired connection"), true, false));
    if (!state.available || !state.radioOn) {
        menu.push_back(gfx::MenuItem::Command(
            0, state.available ? Text(L"wifioff", L"Off") : Text(L"wifiunavailable", L"Unavailable"), false, false));
    } else {
        if (state.link == LinkKind::Wifi) {
            menu.push_back(gfx::MenuItem::Command(0, Text(L"Preferred network ", L"Preferred network "), false, false));
            auto row = gfx::MenuItem::Command(wifi_command::kDisconnect,
                                              state.ssid.empty() ? Text(L"connected", L"Connected") : state.ssid, true);
            if (state.linkMbps > 0) row.detail = std::to_wstring(state.linkMbps) + L" Mbps";
            menu.push_back(std::move(row));
        }
        if (state.namesWithheld) {
            // Without location consent the system names no network; say how to allow it.
            menu.push_back(gfx::MenuItem::Command(
                wifi_command::kLocationConsent,
                Text(L"wifilocation", L"Allow location access to see network names\u2026")));
        }
        m_listed = OtherNetworks(state);
        if (!m_listed.empty()) menu.push_back(gfx::MenuItem::Command(0, Text(L"other networks", L"Other Networks"), false, false));
        for (std::size_t i = 0; i < m_listed.size(); ++i) {
            const int id = wifi_command::kNetworkFirst + static_cast<int>(i);
            if (id > wifi_command::kNetworkLast) break;
            auto row = gfx::MenuItem::Command(id, m_listed[i].ssid);
            row.detail = SignalMarks(m_listed[i].quality);
            menu.push_back(std::move(row));
        }
    }
    menu.push_back(gfx::MenuItem::Rule());
    if (m_actions.hotspot) menu.push_back(gfx::MenuItem::Command(wifi_command::kHotspot, Text(L"hotspot", L"Personal Hotspot")));
    menu.push_back(gfx::MenuItem::Command(wifi_command::kSettings, Text(L"network settings", L"Network Settings")));
    return menu;
}

void WifiSource::Choose(int id) {
    switch (id) {
    case wifi_command::kDisconnect: m_port.Disconnect(); return;
    case wifi_command::kSettings:
        if (m_actions.open) m_actions.open(L"ms-settings:network-wifi");
        return;
    case wifi_command::kLocationConsent:
        if (m_actions.open) m_actions.open(L"ms-settings:privacy-location");
        return;
    case wifi_command::kHotspot:
        if (m_actions.hotspot) m_actions.hotspot();
        return;
    default: break;
    }
    if (id < wifi_command::kNetworkFirst || id > wifi_command::kNetworkLast) return;
    const auto index = static_cast<std::size_t>(id - wifi_command::kNetworkFirst);
    if (index >= m_listed.size()) return;
    const WifiNetwork network = m_listed[index];
    const std::int64_t now = m_actions.now ? m_actions.now() : 0;
    bool joined = false;
    if (network.hasProfile || !network.Secured()) {
        joined = JoinNetwork(m_port, network.ssid, std::nullopt, now);
    } else {
        std::optional<std::wstring> password = m_actions.askPassword ? m_actions.askPassword(network) : std::nullopt;
        if (!password) {
            // No key to join with here: the system's own page can ask for one.
            if (m_actions.open) m_actions.open(L"ms-settings:network-wifi");
            return;
        }
        joined = JoinNetwork(m_port, network.ssid, std::wstring_view(*password), now);
        WipeText(*password);
    }
    if (m_actions.joined) m_actions.joined(network.ssid, joined);
}

} // namespace kestrana::menubar
