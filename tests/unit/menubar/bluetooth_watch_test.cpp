// The device list the watchers keep: endpoints of both protocols merged by address,
// updates that carry only what changed, removals, earbud batteries heard nearby, and the
// choice between the runtime radio and the classic calls.
#include "menubar/bluetooth_watch.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

constexpr const wchar_t* kClassicBuds = L"Bluetooth#Bluetooth00:1a:7d:da:71:13-04:52:c7:0b:6e:9f";
constexpr const wchar_t* kLowEnergyBuds = L"BluetoothLE#BluetoothLE00:1a:7d:da:71:13-04:52:c7:0b:6e:9f";
constexpr const wchar_t* kMouse = L"BluetoothLE#BluetoothLE00:1a:7d:da:71:13-e1:22:33:44:55:66";

WatchReport Added(BluetoothProtocol protocol, const wchar_t* id, const wchar_t* name, bool paired, bool connected) {
    WatchReport r;
    r.protocol = protocol;
    r.change = WatchChange::Added;
    r.endpointId = id;
    r.name = name;
    r.paired = paired;
    r.connected = connected;
    return r;
}

WatchReport Changed(BluetoothProtocol protocol, const wchar_t* id, WatchChange change) {
    WatchReport r;
    r.protocol = protocol;
    r.change = change;
    r.endpointId = id;
    return r;
}

TEST(BluetoothAddress, KeysFromAddressesEndpointIdsAndNumbersAgree) {
    EXPECT_EQ(AddressKey(L"04:52:c7:0b:6e:9f"), L"0452C70B6E9F");
    EXPECT_EQ(AddressKey(L"04-52-C7-0B-6E-9F"), L"0452C70B6E9F");
    EXPECT_EQ(AddressKey(0x0452C70B6E9Full), L"0452C70B6E9F");
    EXPECT_EQ(AddressKey(L"04:52:c7:0b:6e"), L"");
    EXPECT_EQ(AddressKey(L"04:52:c7:0b:6e:9g"), L"");
    EXPECT_EQ(AddressKey(L"04:52:c7.0b:6e:9f"), L"");
    EXPECT_EQ(EndpointAddress(kClassicBuds), L"04:52:c7:0b:6e:9f");
    EXPECT_EQ(EndpointAddress(L"SWD\\something-else"), L"");
    EXPECT_EQ(EndpointAddress(L"no dash"), L"");
}

TEST(BluetoothWatch, SelectorNamesTheProtocolAndTheThreeSelections) {
    for (auto [protocol, id] : {std::pair{BluetoothProtocol::Classic, kClassicProtocolId},
                                std::pair{BluetoothProtocol::LowEnergy, kLowEnergyProtocolId}}) {
        const std::wstring selector = WatcherSelector(protocol);
        EXPECT_NE(selector.find(L"System.Devices.Aep.ProtocolId:=\"" + std::wstring(id) + L"\""), std::wstring::npos);
        for (const wchar_t* part : {L"CanPair:=System.StructuredQueryType.Boolean#True",
                                    L"IsPaired:=System.StructuredQueryType.Boolean#True",
                                    L"IsConnected:=System.StructuredQueryType.Boolean#False"})
            EXPECT_NE(selector.find(part), std::wstring::npos) << part;
    }
}

TEST(BluetoothWatch, ADeviceOfBothProtocolsIsListedOnceUntilBothEndpointsGo) {
    DeviceBook book;
    auto le = Added(BluetoothProtocol::LowEnergy, kLowEnergyBuds, L"LE-Buds", false, true);
    EXPECT_TRUE(book.Apply(le));
    auto classic = Added(BluetoothProtocol::Classic, kClassicBuds, L"Anna's Buds", true, false);
    classic.majorClass = 0x04;
    EXPECT_TRUE(book.Apply(classic));
    EXPECT_TRUE(book.Apply(Added(BluetoothProtocol::LowEnergy, kMouse, L"Mouse", true, false)));

    auto devices = book.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].id, L"0452C70B6E9F");
    EXPECT_EQ(devices[0].name, L"Anna's Buds"); // the classic endpoint's name wins
    EXPECT_EQ(devices[0].kind, BluetoothKind::Audio);
    EXPECT_TRUE(devices[0].paired);    // from the classic endpoint
    EXPECT_TRUE(devices[0].connected); // from the low-energy one
    EXPECT_EQ(devices[1].id, L"E12233445566");

    // The same add again (a watcher restarted) changes nothing.
    EXPECT_FALSE(book.Apply(classic));

    EXPECT_TRUE(book.Apply(Changed(BluetoothProtocol::LowEnergy, kLowEnergyBuds, WatchChange::Removed)));
    devices = book.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_FALSE(devices[0].connected);
    EXPECT_EQ(devices[0].name, L"Anna's Buds");
    EXPECT_TRUE(book.Apply(Changed(BluetoothProtocol::Classic, kClassicBuds, WatchChange::Removed)));
    ASSERT_EQ(book.Devices().size(), 1u);
    EXPECT_EQ(book.Devices()[0].name, L"Mouse");
    // Removing what is not there is no change.
    EXPECT_FALSE(book.Apply(Changed(BluetoothProtocol::Classic, kClassicBuds, WatchChange::Removed)));
}

TEST(BluetoothWatch, UpdatesChangeOnlyWhatTheyCarryAndNeedAnAddFirst) {
    DeviceBook book;
    // An update for an endpoint never added is dropped.
    auto early = Changed(BluetoothProtocol::Classic, kClassicBuds, WatchChange::Updated);
    early.connected = true;
    EXPECT_FALSE(book.Apply(early));
    EXPECT_TRUE(book.Devices().empty());

    book.Apply(Added(BluetoothProtocol::Classic, kClassicBuds, L"Buds", true, false));
    auto connect = Changed(BluetoothProtocol::Classic, kClassicBuds, WatchChange::Updated);
    connect.connected = true;
    EXPECT_TRUE(book.Apply(connect));
    EXPECT_TRUE(book.Devices()[0].connected);
    EXPECT_TRUE(book.Devices()[0].paired); // untouched
    EXPECT_EQ(book.Devices()[0].name, L"Buds");

    // The same endpoint id under the other protocol is another endpoint.
    auto other = Changed(BluetoothProtocol::LowEnergy, kClassicBuds, WatchChange::Updated);
    other.connected = false;
    EXPECT_FALSE(book.Apply(other));

    // An endpoint without an address in its id is its own device, named by its id when nameless.
    auto odd = Added(BluetoothProtocol::LowEnergy, L"odd-endpoint", L"", false, false);
    odd.name.reset();
    EXPECT_TRUE(book.Apply(odd));
    ASSERT_EQ(book.Devices().size(), 2u);
    EXPECT_EQ(book.Devices()[1].id, L"odd-endpoint");
    EXPECT_EQ(book.Devices()[1].name, L"odd-endpoint");
}

TEST(BluetoothWatch, BatteriesGoToConnectedEarbudsHeardNearbyAndLeaveWithTheConnection) {
    DeviceBook book;
    book.Apply(Added(BluetoothProtocol::Classic, kClassicBuds, L"Anna's AirPods Pro", true, true));
    book.Apply(Added(BluetoothProtocol::LowEnergy, kMouse, L"Mouse", true, true));
    EarbudBattery levels;
    levels.left.percent = 80;
    levels.right.percent = 70;
    EXPECT_FALSE(book.HearBattery(levels, kNearbySignalDbm - 1)); // someone else's, farther away
    EXPECT_FALSE(book.Devices()[0].battery);
    EXPECT_TRUE(book.HearBattery(levels, kNearbySignalDbm));
    EXPECT_EQ(book.Devices()[0].battery, levels);
    EXPECT_FALSE(book.Devices()[1].battery); // not earbuds
    EXPECT_FALSE(book.HearBattery(levels, -40)); // the same levels again

    auto gone = Changed(BluetoothProtocol::Classic, kClassicBuds, WatchChange::Updated);
    gone.connected = false;
    book.Apply(gone);
    EXPECT_FALSE(book.Devices()[0].battery);
    EXPECT_FALSE(book.HearBattery(levels, -40)); // not connected: nobody to give them to
    auto back = gone;
    back.connected = true;
    book.Apply(back);
    EXPECT_FALSE(book.Devices()[0].battery); // the old levels were dropped, not kept
}

TEST(BluetoothWatch, TheRuntimeRadioServesWhenFoundTheClassicCallsOtherwise) {
    BluetoothState classic;
    classic.available = true;
    classic.radioOn = true;
    classic.canSwitch = true;
    classic.devices = {BluetoothDevice{L"C", L"Classic", BluetoothKind::Audio, true, true, std::nullopt}};
    const std::vector<BluetoothDevice> watched{BluetoothDevice{L"W", L"Watched", BluetoothKind::Other, true, false, std::nullopt}};

    const BluetoothState none = CombinedState({}, watched, classic);
    EXPECT_TRUE(none.available);
    EXPECT_FALSE(none.canSwitch); // the classic calls cannot switch the radio
    EXPECT_EQ(none.devices, classic.devices);

    const BluetoothState off = CombinedState({true, false, true}, watched, BluetoothState{});
    EXPECT_TRUE(off.available);
    EXPECT_FALSE(off.radioOn);
    EXPECT_TRUE(off.canSwitch);
    EXPECT_EQ(off.devices, watched);

    // The radio's own reports count once the worker found it; its findings replace them.
    RuntimeRadio radio = WithRadioNews({}, std::nullopt, true);
    EXPECT_FALSE(radio.found);
    EXPECT_FALSE(radio.on);
    radio = WithRadioNews(radio, RuntimeRadio{true, false, true}, true); // switched on after it was read
    EXPECT_TRUE(radio.on);
    EXPECT_TRUE(radio.watching);
    radio = WithRadioNews(radio, std::nullopt, false);
    EXPECT_FALSE(radio.on);
    EXPECT_TRUE(radio.found);
    radio = WithRadioNews(radio, RuntimeRadio{true, true, false}, std::nullopt);
    EXPECT_TRUE(radio.on);
    EXPECT_FALSE(radio.watching);

    // The radio found but the watchers not running: the classic list.
    EXPECT_EQ(CombinedState({true, true, false}, watched, classic).devices, classic.devices);
}

} // namespace
} // namespace kestrana::menubar
