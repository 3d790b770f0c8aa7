// The Wi-Fi item: signal levels, the profile written before joining (parsed back), how a
// network is joined, and the menu over fake WLAN services.
#include "menubar/wifi_item.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

namespace kestrana::menubar {
namespace {

std::string Utf8(const std::wstring& text) { return pugi::as_utf8(text); }

struct Parsed {
    pugi::xml_document doc;
    bool ok = false;
    [[nodiscard]] pugi::xml_node Root() const { return doc.child("WLANProfile"); }
    [[nodiscard]] std::string At(const char* path) const { return Root().first_element_by_path(path).text().get(); }
    [[nodiscard]] bool Has(const char* path) const { return bool(Root().first_element_by_path(path)); }
};

void Parse(Parsed& p, const std::wstring& xml) {
    const std::string text = Utf8(xml);
    p.ok = p.doc.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8).status == pugi::status_ok;
}

WifiNetwork Net(std::wstring ssid, int auth, int cipher, int quality = 50, bool profile = false) {
    WifiNetwork n;
    n.ssid = std::move(ssid);
    n.authAlgorithm = auth;
    n.cipherAlgorithm = cipher;
    n.quality = quality;
    n.hasProfile = profile;
    return n;
}

TEST(WifiSignal, ThreeLevelsMeetAtTheirBounds) {
    EXPECT_EQ(SignalLevelOf(100), SignalLevel::Full);
    EXPECT_EQ(SignalLevelOf(67), SignalLevel::Full);
    EXPECT_EQ(SignalLevelOf(66), SignalLevel::Middle);
    EXPECT_EQ(SignalLevelOf(34), SignalLevel::Middle);
    EXPECT_EQ(SignalLevelOf(33), SignalLevel::Low);
    EXPECT_EQ(SignalLevelOf(0), SignalLevel::Low);
    // Never falls as the quality rises.
    for (int q = 1; q <= 100; ++q) EXPECT_GE(SignalLevelOf(q), SignalLevelOf(q - 1)) << q;
}

TEST(WifiProfile, EveryAlgorithmPairNamesItsAuthenticationCipherAndKeyType) {
    const std::pair<int, const char*> auths[] = {{1, "open"}, {2, "shared"}, {3, "WPA"}, {4, "WPAPSK"}, {5, "WPA"},
                                                 {6, "WPA2"}, {7, "WPA2PSK"}, {8, "open"}, {0, "open"}, {-1, "open"}};
    const std::pair<int, const char*> ciphers[] = {{0, "none"}, {1, "WEP"},  {257, "WEP"}, {2, "TKIP"}, {4, "AES"},
                                                   {5, "AES"},  {256, "AES"}, {3, "none"},  {258, "none"}};
    for (const auto& [auth, authText] : auths) {
        for (const auto& [cipher, cipherText] : ciphers) {
            Parsed p;
            Parse(p, BuildWifiProfile(Net(L"Home", auth, cipher), std::wstring_view(L"secret"), 0));
            ASSERT_TRUE(p.ok) << auth << "/" << cipher;
            EXPECT_EQ(p.At("MSM/security/authEncryption/authentication"), authText) << auth;
            EXPECT_EQ(p.At("MSM/security/authEncryption/encryption"), cipherText) << cipher;
            EXPECT_EQ(p.At("MSM/security/sharedKey/keyType"), std::string(cipherText) == "WEP" ? "networkKey" : "passPhrase");
            EXPECT_EQ(p.At("MSM/security/sharedKey/keyMaterial"), "secret");
        }
    }
}

TEST(WifiProfile, OpenNetworkWithoutPasswordHasNoKeyElementAndStaysInOrder) {
    Parsed p;
    Parse(p, BuildWifiProfile(Net(L"Cafe", 1, 0), std::nullopt, 0));
    ASSERT_TRUE(p.ok);
    EXPECT_STREQ(p.Root().attribute("xmlns").value(), "http://www.microsoft.com/networking/WLAN/profile/v1");
    EXPECT_EQ(p.At("MSM/security/authEncryption/authentication"), "open");
    EXPECT_EQ(p.At("MSM/security/authEncryption/encryption"), "none");
    EXPECT_EQ(p.At("MSM/security/sharedKey/keyType"), "passPhrase");
    EXPECT_FALSE(p.Has("MSM/security/sharedKey/keyMaterial"));
    std::string order;
    for (const auto& child : p.Root().children()) order += std::string(child.name()) + " ";
    EXPECT_EQ(order, "name SSIDConfig connectionType connectionMode autoSwitch MSM ");
    EXPECT_EQ(p.At("name"), "Cafe");
    EXPECT_EQ(p.At("SSIDConfig/SSID/name"), "Cafe");
}

TEST(WifiProfile, HostileSsidsAndPasswordsRoundTripWithoutAddingElements) {
    const std::wstring hostile[] = {
        L"a<b>&c\"d'e",
        L"</name><keyMaterial>x</keyMaterial>",
        L"]]><!--",
        L"%password%",      // a placeholder as a value is not replaced again
        L"%ssid% and %name%",
        L"&amp;",
        L"tab\there\nline\rreturn",
        L"  spaced  ",
    };
    for (const auto& ssid : hostile) {
        for (const auto& password : hostile) {
            const std::wstring xml = BuildWifiProfile(Net(ssid, 7, 4), std::wstring_view(password), 0);
            Parsed p;
            Parse(p, xml);
            ASSERT_TRUE(p.ok) << Utf8(ssid) << " / " << Utf8(password);
            EXPECT_EQ(p.At("name"), Utf8(ssid));
            EXPECT_EQ(p.At("SSIDConfig/SSID/name"), Utf8(ssid));
            EXPECT_EQ(p.At("MSM/security/sharedKey/keyMaterial"), Utf8(password));
            EXPECT_EQ(p.At("MSM/security/authEncryption/authentication"), "WPA2PSK");
            int elements = 0;
            for (const auto& node : p.doc.select_nodes("//*")) elements += node.node() ? 1 : 0;
            EXPECT_EQ(elements, 18) << Utf8(ssid) << " / " << Utf8(password);
        }
    }
    // What XML cannot carry is refused, not written.
    EXPECT_TRUE(BuildWifiProfile(Net(std::wstring(L"bad\x01", 4), 7, 4), std::nullopt, 0).empty());
    EXPECT_TRUE(BuildWifiProfile(Net(L"ok", 7, 4), std::wstring_view(L"k\x1b"), 0).empty());
}

TEST(WifiProfile, NonLatinSsidTradesAutoSwitchForMacRandomisation) {
    Parsed p;
    const std::wstring ssid = L"\u4E2D\u6587\u7F51\u7EDC";
    Parse(p, BuildWifiProfile(Net(ssid, 7, 4), std::wstring_view(L"pw"), 1733500000));
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.At("SSIDConfig/SSID/name"), Utf8(ssid));
    EXPECT_FALSE(p.Has("autoSwitch"));
    const pugi::xml_node mac = p.Root().last_child();
    EXPECT_STREQ(mac.name(), "MacRandomization");
    EXPECT_STREQ(mac.attribute("xmlns").value(), "http://www.microsoft.com/networking/WLAN/profile/v3");
    EXPECT_STREQ(mac.child("enableRandomization").text().get(), "false");
    EXPECT_EQ(mac.child("randomizationSeed").text().as_llong(), 1733500000);

    // Latin-1 letters are not enough for it.
    Parsed latin;
    Parse(latin, BuildWifiProfile(Net(L"Caf\u00E9", 7, 4), std::nullopt, 5));
    EXPECT_TRUE(latin.Has("autoSwitch"));
    EXPECT_FALSE(latin.Has("MacRandomization"));
}

TEST(WifiSsid, BytesAreUtf8WhenTheyCanBeElseOneCharacterEach) {
    const std::uint8_t utf8[] = {0xE4, 0xB8, 0xAD, 'x'};
    EXPECT_EQ(SsidText(utf8), L"\u4E2Dx");
    const std::uint8_t latin[] = {'C', 'a', 'f', 0xE9};   // cut short as UTF-8
    EXPECT_EQ(SsidText(latin), L"Caf\u00E9");
    const std::uint8_t overlong[] = {0xC0, 0xAF};
    EXPECT_EQ(SsidText(overlong), std::wstring(L"\u00C0\u00AF"));
    EXPECT_EQ(SsidText({}), L"");
}

// --- joining and the menu over a fake service -----------------------------------------

class FakeWlan final : public WlanPort {
public:
    WifiState state;
    std::vector<std::wstring> profiles;
    bool setProfileWorks = true, connectWorks = true;
    std::vector<std::wstring> calls;
    std::wstring storedProfile;
    int scans = 0;

    WifiState State() const override { return state; }
    void Scan() override { ++scans; }
    std::vector<WifiNetwork> AvailableNetworks() override {
        calls.push_back(L"list");
        return state.networks;
    }
    std::vector<std::wstring> ProfileNames() override {
        calls.push_back(L"profiles");
        return profiles;
    }
    bool SetProfile(const std::wstring& xml) override {
        calls.push_back(L"set");
        storedProfile = xml;
        return setProfileWorks;
    }
    bool ConnectWithProfile(const std::wstring& profile, int bssType) override {
        calls.push_back(L"connect " + profile + L" " + std::to_wstring(bssType));
        return connectWorks;
    }
    bool Disconnect() override {
        calls.push_back(L"disconnect");
        return true;
    }
};

TEST(WifiJoin, SavedProfileFirstElseBuiltProfileThenConnect) {
    FakeWlan wlan;
    wlan.state.networks = {Net(L"Home", 7, 4), Net(L"Office", 7, 4)};
    wlan.state.networks[1].bssType = 2;
    wlan.profiles = {L"Home"};

    EXPECT_TRUE(JoinNetwork(wlan, L"Home", std::nullopt, 0));
    EXPECT_EQ(wlan.calls, (std::vector<std::wstring>{L"list", L"profiles", L"connect Home 1"}));

    // A password replaces the saved profile.
    wlan.calls.clear();
    EXPECT_TRUE(JoinNetwork(wlan, L"Home", std::wstring_view(L"new"), 0));
    EXPECT_EQ(wlan.calls, (std::vector<std::wstring>{L"list", L"set", L"connect Home 1"}));
    EXPECT_NE(wlan.storedProfile.find(L"<keyMaterial>new</keyMaterial>"), std::wstring::npos);

    // No saved profile: built, stored, joined with the network's BSS type.
    wlan.calls.clear();
    EXPECT_TRUE(JoinNetwork(wlan, L"Office", std::nullopt, 0));
    EXPECT_EQ(wlan.calls, (std::vector<std::wstring>{L"list", L"profiles", L"set", L"connect Office 2"}));

    // Absent network, refused profile, refused connect: false, nothing removed.
    wlan.calls.clear();
    EXPECT_FALSE(JoinNetwork(wlan, L"Elsewhere", std::nullopt, 0));
    EXPECT_EQ(wlan.calls, (std::vector<std::wstring>{L"list"}));
    wlan.setProfileWorks = false;
    EXPECT_FALSE(JoinNetwork(wlan, L"Office", std::wstring_view(L"pw"), 0));
    wlan.setProfileWorks = true;
    wlan.connectWorks = false;
    EXPECT_FALSE(JoinNetwork(wlan, L"Home", std::nullopt, 0));
}

std::vector<std::wstring> Rows(const gfx::Menu& menu) {
    std::vector<std::wstring> out;
    for (const auto& item : menu) out.push_back(item.separator ? L"-" : item.text);
    return out;
}

struct WifiFixture : ::testing::Test {
    fakes::SettingsFolder folder;
    FakeWlan wlan;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> asked;
    std::optional<std::wstring> answer;
    std::unique_ptr<WifiSource> source;

    void SetUp() override {
        WifiActions actions;
        actions.open = [this](const std::wstring& uri) { opened.push_back(uri); };
        actions.askPassword = [this](const WifiNetwork& network) {
            asked.push_back(network.ssid);
            return answer;
        };
        actions.now = [] { return std::int64_t{42}; };
        source = std::make_unique<WifiSource>(wlan, folder.store, std::move(actions));
        wlan.state.available = true;
    }
};

TEST_F(WifiFixture, UnavailableAndEmptyStatesStillOfferTheSettings) {
    wlan.state.available = false;
    EXPECT_TRUE(source->Face().crossed);
    EXPECT_EQ(source->ReaderValue(), L"Unavailable");
    EXPECT_EQ(Rows(source->Menu()), (std::vector<std::wstring>{L"Wi-Fi", L"Unavailable", L"-", L"Network Settings"}));

    wlan.state.available = true; // zero networks
    EXPECT_FALSE(source->Face().crossed);
    EXPECT_EQ(source->ReaderValue(), L"Not connected");
    const gfx::Menu menu = source->Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Wi-Fi", L"-", L"Network Settings"}));
    source->Choose(menu.back().id);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:network-wifi"}));
    EXPECT_EQ(wlan.scans, 2); // every opening asks for a fresh scan

    // The scan ends while the menu is open: its rows show the networks found, and taking
    // them asks for no further scan (which would end in another refresh, and so on).
    wlan.state.networks = {Net(L"Found", 7, 4, 90)};
    const auto rows = Rows(source->Rows());
    EXPECT_NE(std::find(rows.begin(), rows.end(), L"Found"), rows.end());
    EXPECT_EQ(wlan.scans, 2);
}

TEST(WifiHotspot, TheRowShowsOnlyWithAPaneToOpenAndOpensIt) {
    fakes::SettingsFolder folder;
    FakeWlan wlan;
    wlan.state.available = true;
    int opened = 0;
    WifiActions actions;
    actions.hotspot = [&opened] { ++opened; };
    WifiSource source(wlan, folder.store, std::move(actions));
    const gfx::Menu menu = source.Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Wi-Fi", L"-", L"Personal Hotspot", L"Network Settings"}));
    source.Choose(menu[2].id);
    EXPECT_EQ(opened, 1);
}

TEST_F(WifiFixture, ConnectedNetworkShowsItsSpeedAndChoosingItDisconnects) {
    wlan.state.link = LinkKind::Wifi;
    wlan.state.ssid = L"Home";
    wlan.state.quality = 70;
    wlan.state.linkMbps = 866;
    wlan.state.networks = {Net(L"Home", 7, 4, 70, true), Net(L"Next door", 7, 4, 20)};
    wlan.state.networks[0].connected = true;
    EXPECT_EQ(source->Face().level, 3);
    EXPECT_EQ(source->ReaderValue(), L"Home, 3/3");
    const gfx::Menu menu = source->Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Wi-Fi", L"Preferred network ", L"Home", L"Other Networks", L"Next door",
                                                     L"-", L"Network Settings"}));
    EXPECT_EQ(menu[2].detail, L"866 Mbps");
    EXPECT_TRUE(menu[2].checked);
    source->Choose(menu[2].id);
    EXPECT_EQ(wlan.calls, (std::vector<std::wstring>{L"disconnect"}));
}

TEST_F(WifiFixture, FortyNetworksAreListedOncePerNameStrongestFirst) {
    for (int i = 0; i < 40; ++i) wlan.state.networks.push_back(Net(L"net" + std::to_wstring(i), 7, 4, (i * 37) % 101));
    wlan.state.networks.push_back(Net(L"net5", 7, 4, 100, true)); // the same name again, with a profile
    wlan.state.networks.push_back(Net(L"", 7, 4, 99));             // hidden
    const gfx::Menu menu = source->Menu();
    int rows = 0;
    for (const auto& item : menu) {
        if (item.id < wifi_command::kNetworkFirst) continue;
        ++rows;
        EXPECT_NE(item.text, L"");
    }
    EXPECT_EQ(rows, 40);
    const auto listed = OtherNetworks(wlan.state);
    ASSERT_EQ(listed.size(), 40u);
    EXPECT_EQ(listed.front().ssid, L"net5");
    EXPECT_TRUE(listed.front().hasProfile);
    for (std::size_t i = 1; i < listed.size(); ++i) EXPECT_GE(listed[i - 1].quality, listed[i].quality);

    // Choosing the saved one joins with its profile, no password asked.
    wlan.profiles = {L"net5"};
    source->Choose(wifi_command::kNetworkFirst);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(wlan.calls.back(), L"connect net5 1");
}

TEST_F(WifiFixture, SecuredNetworkAsksForItsKeyAndFallsBackToTheSettings) {
    wlan.state.networks = {Net(L"Locked", 7, 4, 80), Net(L"Open", 1, 0, 60)};
    (void)source->Menu();
    source->Choose(wifi_command::kNetworkFirst); // no key given
    EXPECT_EQ(asked, (std::vector<std::wstring>{L"Locked"}));
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:network-wifi"}));
    EXPECT_TRUE(wlan.calls.empty());

    answer = L"hunter2";
    source->Choose(wifi_command::kNetworkFirst);
    EXPECT_NE(wlan.storedProfile.find(L"hunter2"), std::wstring::npos);
    EXPECT_EQ(wlan.calls.back(), L"connect Locked 1");

    // An open network is joined without asking.
    wlan.calls.clear();
    source->Choose(wifi_command::kNetworkFirst + 1);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(wlan.calls.back(), L"connect Open 1");
    EXPECT_EQ(wlan.storedProfile.find(L"keyMaterial"), std::wstring::npos);
}

TEST_F(WifiFixture, WithheldNamesShowTheConnectionUnnamedAndTheConsentRow) {
    wlan.state.link = LinkKind::Wifi;
    wlan.state.namesWithheld = true;
    wlan.state.quality = 40;
    const gfx::Menu menu = source->Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Wi-Fi", L"Preferred network ", L"Connected",
                                                     L"Allow location access to see network names\u2026", L"-",
                                                     L"Network Settings"}));
    source->Choose(menu[3].id);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:privacy-location"}));
    EXPECT_EQ(source->ReaderValue(), L"Connected, 2/3");

    wlan.state.link = LinkKind::Wired;
    EXPECT_EQ(source->Face().glyph, Glyph::Wired);
    EXPECT_EQ(source->ReaderValue(), L"Wired connection");
}

} // namespace
} // namespace kestrana::menubar
