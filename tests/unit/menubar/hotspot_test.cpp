// The hotspot pane's words for each state the system reports, and the Wi-Fi menu's row
// that opens it.
#include "menubar/hotspot_pane.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

TEST(HotspotPane, TheSwitchFollowsTheStateAndTheKeyShowsOnlyWhileOn) {
    fakes::SettingsFolder folder;
    HotspotFacts facts;
    facts.ssid = L"Laptop";
    facts.passphrase = L"s3cret pass";

    facts.state = HotspotState::On;
    HotspotWords words = HotspotPaneWords(facts, folder.store);
    EXPECT_EQ(words.title, L"Personal Hotspot");
    EXPECT_EQ(words.message, L"SSID: Laptop\nPIN: s3cret pass");
    EXPECT_EQ(words.action, HotspotAction::TurnOff);
    EXPECT_EQ(words.confirm, L"Turn Off");

    facts.state = HotspotState::Off;
    words = HotspotPaneWords(facts, folder.store);
    EXPECT_EQ(words.action, HotspotAction::TurnOn);
    EXPECT_EQ(words.message.find(L"s3cret"), std::wstring::npos);

    // Nothing to switch: the system's own page is offered instead.
    for (HotspotState state : {HotspotState::Unavailable, HotspotState::Changing}) {
        facts.state = state;
        words = HotspotPaneWords(facts, folder.store);
        EXPECT_EQ(words.action, HotspotAction::OpenSettings);
        EXPECT_EQ(words.message.find(L"s3cret"), std::wstring::npos);
        EXPECT_NE(words.confirm, words.close);
    }
    HotspotFacts unavailable, changing;
    changing.state = HotspotState::Changing;
    EXPECT_NE(HotspotPaneWords(unavailable, folder.store).message, HotspotPaneWords(changing, folder.store).message);
}

} // namespace
} // namespace kestrana::menubar
