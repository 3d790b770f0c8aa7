// The Bluetooth item: earbud batteries from recorded advertisement frames, the device
// menu and what it does, and the connection notices, over a fake radio.
#include "menubar/bluetooth_item.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <array>

namespace kestrana::menubar {
namespace {

// Status frames as a listener records them (manufacturer data after the company id).
// Status byte 0x2B: left bud reported in the low nibble; 0x0B: in the high nibble.
constexpr std::array<std::uint8_t, 27> kLeftLow{0x07, 0x19, 0x01, 0x0E, 0x20, 0x2B, 0x98, 0x55, 0x8F, 0x01, 0x00, 0x05, 0x6D, 0x2C,
                                                0x34, 0x11, 0x94, 0xA8, 0x01, 0x4E, 0x2C, 0x1B, 0x9A, 0x63, 0xF1, 0x0E, 0x7A};
constexpr std::array<std::uint8_t, 27> kLeftHigh{0x07, 0x19, 0x01, 0x0F, 0x20, 0x0B, 0x98, 0x12, 0x8F, 0x01, 0x00, 0x05, 0x6D, 0x2C,
                                                 0x34, 0x11, 0x94, 0xA8, 0x01, 0x4E, 0x2C, 0x1B, 0x9A, 0x63, 0xF1, 0x0E, 0x7A};

TEST(EarbudFrame, BudsFollowTheOrientationBitAndUnknownsStayUnknown) {
    const auto a = DecodeEarbudFrame(kEarbudCompany, kLeftLow);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->left.percent, 80);  // low nibble 8
    EXPECT_EQ(a->right.percent, 90); // high nibble 9
    EXPECT_EQ(a->caseLevel.percent, 50);
    EXPECT_TRUE(a->left.charging);   // flags 5: first-reported bud and the case
    EXPECT_FALSE(a->right.charging);
    EXPECT_TRUE(a->caseLevel.charging);

    // The same nibbles with the bit clear swap the buds and their flags.
    const auto b = DecodeEarbudFrame(kEarbudCompany, kLeftHigh);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->left.percent, 90);
    EXPECT_EQ(b->right.percent, 80);
    EXPECT_EQ(b->caseLevel.percent, 20);
    EXPECT_FALSE(b->left.charging);
    EXPECT_TRUE(b->right.charging);
    EXPECT_FALSE(b->caseLevel.charging);

    auto away = kLeftLow;
    away[6] = 0xFA; // right away (15), left full (10)
    away[7] = 0x0F; // case away
    const auto c = DecodeEarbudFrame(kEarbudCompany, away);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->left.percent, 100);
    EXPECT_FALSE(c->right.percent);
    EXPECT_FALSE(c->caseLevel.percent);
    EXPECT_EQ(EarbudText(*c), L"L 100%");
    EXPECT_EQ(EarbudText(*a), L"L 80%+ \u00B7 R 90% \u00B7 Case 50%+");
    EXPECT_EQ(EarbudText({}), L"");
}

TEST(EarbudFrame, OtherCompaniesTypesAndCutFramesAreRefused) {
    EXPECT_FALSE(DecodeEarbudFrame(0x0006, kLeftLow));
    auto other = kLeftLow;
    other[0] = 0x10; // another message type of the same company
    EXPECT_FALSE(DecodeEarbudFrame(kEarbudCompany, other));
    for (std::size_t n = 0; n < kLeftLow.size(); ++n)
        EXPECT_FALSE(DecodeEarbudFrame(kEarbudCompany, std::span(kLeftLow.data(), n))) << n;
    EXPECT_TRUE(DecodeEarbudFrame(kEarbudCompany, kLeftLow));
}

TEST(EarbudName, RecognisedWhateverTheCase) {
    EXPECT_TRUE(IsEarbudName(L"Anna's AirPods Pro"));
    EXPECT_TRUE(IsEarbudName(L"Airpods Max"));
    EXPECT_FALSE(IsEarbudName(L"Air Pods"));
    EXPECT_FALSE(IsEarbudName(L"Pods"));
}

BluetoothDevice Device(std::wstring id, std::wstring name, BluetoothKind kind, bool paired, bool connected) {
    BluetoothDevice d;
    d.id = std::move(id);
    d.name = std::move(name);
    d.kind = kind;
    d.paired = paired;
    d.connected = connected;
    return d;
}

TEST(BluetoothNotices, ConnectionsThatCameOrWentAreAnnouncedOnce) {
    const std::vector<BluetoothDevice> before{Device(L"1", L"Buds", BluetoothKind::Audio, true, false),
                                              Device(L"2", L"Mouse", BluetoothKind::Input, true, true),
                                              Device(L"3", L"Phone", BluetoothKind::Phone, true, true)};
    std::vector<BluetoothDevice> after = before;
    EXPECT_TRUE(ConnectionNotices(before, after).empty());
    after[0].connected = true;       // came
    after[1].connected = false;      // went
    after.erase(after.begin() + 2);  // vanished while connected
    after.push_back(Device(L"4", L"Pen", BluetoothKind::Input, true, true)); // new and connected
    after.push_back(Device(L"5", L"Speaker", BluetoothKind::Audio, true, false)); // new, idle
    EXPECT_EQ(ConnectionNotices(before, after),
              (std::vector<DeviceNotice>{{L"Buds", true}, {L"Mouse", false}, {L"Pen", true}, {L"Phone", false}}));
    fakes::SettingsFolder folder;
    EXPECT_EQ(BluetoothNoticeText({L"Buds", true}, folder.store), L"Buds is connected");
    EXPECT_EQ(BluetoothNoticeText({L"Mouse", false}, folder.store), L"Mouse is disconnected");
}

class FakeRadio final : public BluetoothPort {
public:
    BluetoothState state;
    bool works = true;
    std::vector<std::wstring> calls;
    BluetoothState State() const override { return state; }
    bool SetRadio(bool on) override {
        calls.push_back(on ? L"on" : L"off");
        if (works) state.radioOn = on;
        return works;
    }
    bool ConnectAudio(const std::wstring& id) override {
        calls.push_back(L"connect " + id);
        return works;
    }
    bool DisconnectAudio(const std::wstring& id) override {
        calls.push_back(L"disconnect " + id);
        return works;
    }
};

struct BluetoothFixture : ::testing::Test {
    fakes::SettingsFolder folder;
    FakeRadio radio;
    std::vector<std::wstring> opened;
    int changes = 0;
    std::unique_ptr<BluetoothSource> source;
    void SetUp() override {
        BluetoothActions actions;
        actions.open = [this](const std::wstring& uri) { opened.push_back(uri); };
        source = std::make_unique<BluetoothSource>(radio, folder.store, std::move(actions));
        source->OnChanged([this] { ++changes; });
    }
};

std::vector<std::wstring> Rows(const gfx::Menu& menu) {
    std::vector<std::wstring> out;
    for (const auto& item : menu) out.push_back(item.separator ? L"-" : item.text);
    return out;
}

TEST_F(BluetoothFixture, NoRadioShowsUnavailableAndOnlyTheSettings) {
    EXPECT_TRUE(source->Face().crossed);
    EXPECT_EQ(source->ReaderValue(), L"Unavailable");
    const gfx::Menu menu = source->Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Bluetooth", L"Unavailable", L"-", L"Bluetooth Settings"}));
    source->Choose(menu.back().id);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:bluetooth"}));
    source->Choose(bluetooth_command::kRadio); // not offered: the radio is left alone
    EXPECT_TRUE(radio.calls.empty());
}

TEST_F(BluetoothFixture, DevicesConnectedFirstAudioRowsConnectAndBatteriesWhenWanted) {
    radio.state.available = radio.state.radioOn = radio.state.canSwitch = true;
    radio.state.devices = {Device(L"a", L"Keyboard", BluetoothKind::Input, true, true),
                           Device(L"b", L"AirPods Pro", BluetoothKind::Audio, true, true),
                           Device(L"c", L"Speaker", BluetoothKind::Audio, true, false),
                           Device(L"d", L"Stranger", BluetoothKind::Phone, false, false)};
    radio.state.devices[1].battery = DecodeEarbudFrame(kEarbudCompany, kLeftLow);
    EXPECT_EQ(source->ReaderValue(), L"Connected 2");
    gfx::Menu menu = source->Menu();
    EXPECT_EQ(Rows(menu), (std::vector<std::wstring>{L"Bluetooth", L"Bluetooth On", L"Devices", L"AirPods Pro", L"Keyboard",
                                                     L"Speaker", L"-", L"Bluetooth Settings"}));
    EXPECT_TRUE(menu[3].checked);
    EXPECT_TRUE(menu[3].detail.empty()); // "bluetoothbattery" is off
    EXPECT_FALSE(menu[4].enabled);       // not an audio device

    folder.store.WriteInt(L"finder", L"bluetoothbattery", 1);
    menu = source->Menu();
    EXPECT_EQ(menu[3].detail, L"L 80%+ \u00B7 R 90% \u00B7 Case 50%+");

    source->Choose(menu[3].id);
    source->Choose(menu[5].id);
    source->Choose(menu[4].id); // refused: not audio
    EXPECT_EQ(radio.calls, (std::vector<std::wstring>{L"disconnect b", L"connect c"}));

    source->Choose(bluetooth_command::kRadio);
    EXPECT_FALSE(radio.state.radioOn);
    EXPECT_TRUE(source->Face().crossed);
    EXPECT_EQ(source->ReaderValue(), L"Off");
    EXPECT_EQ(Rows(source->Menu()), (std::vector<std::wstring>{L"Bluetooth", L"Bluetooth On", L"-", L"Bluetooth Settings"}));
    EXPECT_EQ(changes, 3);
}

} // namespace
} // namespace kestrana::menubar
