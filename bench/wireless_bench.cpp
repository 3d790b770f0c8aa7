// Opening the Wi-Fi menu: it is built from what the last scan found, with forty networks
// around (the fresh scan is only asked for and arrives later). The goal is that opening
// never waits: the menu's rows must cost far less than a frame.
#include "fakes/settings_folder.h"
#include "menubar/wifi_item.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace kestrana;
using namespace kestrana::menubar;

class CachedWlan final : public WlanPort {
public:
    WifiState state;
    int scans = 0;

    WifiState State() const override { return state; }
    void Scan() override { ++scans; }
    std::vector<WifiNetwork> AvailableNetworks() override { return state.networks; }
    std::vector<std::wstring> ProfileNames() override { return {}; }
    bool SetProfile(const std::wstring&) override { return false; }
    bool ConnectWithProfile(const std::wstring&, int) override { return false; }
    bool Disconnect() override { return false; }
};

void WifiMenuFromTheLastScan(benchmark::State& state) {
    fakes::SettingsFolder folder;
    CachedWlan wlan;
    wlan.state.available = true;
    wlan.state.link = LinkKind::Wifi;
    wlan.state.ssid = L"Home";
    wlan.state.quality = 80;
    wlan.state.linkMbps = 866;
    for (int i = 0; i < 40; ++i) {
        WifiNetwork network;
        // Some names come twice (several access points): one row each.
        network.ssid = L"Network " + std::to_wstring(i % 32);
        network.quality = (i * 37) % 100;
        network.authAlgorithm = i % 4 == 0 ? 1 : 7;
        network.cipherAlgorithm = i % 4 == 0 ? 0 : 4;
        wlan.state.networks.push_back(network);
    }
    WifiActions actions;
    actions.hotspot = [] {};
    WifiSource source(wlan, folder.store, std::move(actions));
    for (auto _ : state) benchmark::DoNotOptimize(source.Menu());
    state.counters["scans asked"] = benchmark::Counter(double(wlan.scans), benchmark::Counter::kAvgIterations);
}
BENCHMARK(WifiMenuFromTheLastScan);

} // namespace
