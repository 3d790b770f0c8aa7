// The battery: the system's reports summed over batteries, what the item shows by its
// settings, its tip and menu, and the low-charge prompt, against a fake power source.
#include "menubar/battery.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

class FakeBatteryPort final : public BatteryPort {
public:
    std::optional<PowerReading> reading;
    int reads = 0;
    std::optional<PowerReading> Read() override {
        ++reads;
        return reading;
    }
};

PowerReading OneBattery(std::uint32_t full, std::uint32_t remaining, bool onMains, bool charging, std::uint32_t seconds = 0) {
    PowerReading r;
    r.onMains = onMains;
    r.charging = charging;
    r.discharging = !onMains;
    r.seconds = seconds;
    r.batteries = {{full, remaining, charging, seconds}};
    return r;
}

TEST(BatterySum, CapacitiesAreSummedAndRoundedHalfUp) {
    PowerReading two;
    two.discharging = true;
    two.batteries = {{50, 25, false, 1200}, {30, 30, false, 600}};
    BatteryStatus s = SumBatteries(two);
    EXPECT_TRUE(s.present);
    EXPECT_EQ(s.percent, 69); // 55 of 80
    EXPECT_EQ(s.averagePercent, 75);
    EXPECT_EQ(s.remainingSeconds, 1800u); // the times added
    EXPECT_FALSE(s.charging);

    two.batteries[1].charging = true; // one charging is enough
    EXPECT_TRUE(SumBatteries(two).charging);

    // Rounding and the cap: 1 of 200 is 0.5 %, more remaining than full is still 100.
    EXPECT_EQ(SumBatteries(OneBattery(200, 1, false, false)).percent, 1);
    EXPECT_EQ(SumBatteries(OneBattery(300, 1, false, false)).percent, 0);
    EXPECT_EQ(SumBatteries(OneBattery(100, 140, true, false)).percent, 100);
}

TEST(BatterySum, NoBatteryOrNoCapacitiesFallBackSanely) {
    PowerReading none;
    none.onMains = true;
    EXPECT_FALSE(SumBatteries(none).present); // as a desktop machine reports itself

    PowerReading unknown = OneBattery(0, 0, false, false);
    unknown.percent = 255;
    EXPECT_FALSE(SumBatteries(unknown).present);
    unknown.percent = 180; // garbage is clamped
    EXPECT_EQ(SumBatteries(unknown).percent, 100);
    unknown.percent = 42;
    EXPECT_EQ(SumBatteries(unknown).percent, 42);

    // On mains and not charging, no time is left to show.
    PowerReading idle = OneBattery(100, 100, true, false, 5000);
    idle.discharging = false;
    EXPECT_EQ(SumBatteries(idle).remainingSeconds, 0u);
    EXPECT_EQ(SumBatteries(OneBattery(100, 50, false, false, 5000)).remainingSeconds, 5000u);
}

TEST(BatterySettings, EachValueShowsInItsState) {
    BatteryStatus mains;
    mains.present = mains.onMains = true;
    BatteryStatus onBattery;
    onBattery.present = onBattery.discharging = true;
    const struct {
        int setting;
        bool onMains, onBattery;
    } cases[] = {{0, false, false}, {1, true, true}, {2, true, false}, {3, false, true},
                 {4, false, false}, {9, false, false}, {-1, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(ShowsBySetting(c.setting, mains), c.onMains) << c.setting;
        EXPECT_EQ(ShowsBySetting(c.setting, onBattery), c.onBattery) << c.setting;
    }
    EXPECT_EQ(ClockTime(3900), L"1:05");
    EXPECT_EQ(ClockTime(59), L"0:00");
    EXPECT_EQ(ClockTime(36000 + 59 * 60), L"10:59");
}

struct BatteryItem : ::testing::Test {
    fakes::SettingsFolder folder;
    FakeBatteryPort port;
    std::vector<std::wstring> opened, prompts;
    int changes = 0;

    std::unique_ptr<BatteryReadings> readings;
    std::unique_ptr<BatterySource> Make() {
        readings = std::make_unique<BatteryReadings>(port);
        auto source = std::make_unique<BatterySource>(
            *readings, folder.store, [this](const std::wstring& uri) { opened.push_back(uri); },
            [this](const std::wstring& text) { prompts.push_back(text); });
        source->OnChanged([this] { ++changes; });
        return source;
    }
};

TEST_F(BatteryItem, TextsFollowTheSettingsAndTheItemHidesWithoutABattery) {
    port.reading = OneBattery(100, 80, true, true, 0);
    folder.store.WriteInt(L"finder", L"batteryvalue", 2);
    folder.store.WriteInt(L"finder", L"batterytime", 3);
    auto item = Make();
    StatusFace face = item->Face();
    EXPECT_TRUE(face.shown);
    EXPECT_EQ(face.level, 80);
    EXPECT_TRUE(face.crossed);
    EXPECT_EQ(face.text, L"80%"); // plugged in: the percentage, no time

    port.reading = OneBattery(100, 60, false, false, 3900);
    item->PowerChanged();
    EXPECT_EQ(changes, 1);
    face = item->Face();
    EXPECT_EQ(face.text, L"1:05"); // on battery: the time only
    EXPECT_FALSE(face.crossed);
    folder.store.WriteInt(L"finder", L"batteryvalue", 1);
    EXPECT_EQ(item->Face().text, L"60% 1:05");

    // The same reading again changes nothing; a failed read keeps the last one.
    item->PowerChanged();
    port.reading.reset();
    item->PowerChanged();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(item->Face().level, 60);

    port.reading = PowerReading{};
    port.reading->onMains = true;
    item->PowerChanged();
    EXPECT_FALSE(item->Face().shown);
    EXPECT_EQ(FaceWidth(item->Face(), 40, 1.0f), 0);
    EXPECT_EQ(item->Tip(), L"");
}

TEST_F(BatteryItem, RedrawsAChangeTheDockReadFirst) {
    port.reading = OneBattery(100, 80, true, true);
    auto item = Make();
    // The dock hears the power notice first and refreshes the shared readings.
    port.reading = OneBattery(100, 79, true, true);
    EXPECT_TRUE(readings->Refresh());
    item->PowerChanged();
    EXPECT_EQ(changes, 1) << "the item still showed 80 %";
    EXPECT_EQ(item->Face().level, 79);
    item->PowerChanged();
    EXPECT_EQ(changes, 1);
}

TEST_F(BatteryItem, TipAndMenuTellTheStateAndTheTimeLeft) {
    port.reading = OneBattery(100, 100, true, false);
    port.reading->discharging = false;
    auto item = Make();
    EXPECT_NE(item->Tip().find(L"100%"), std::wstring::npos);
    EXPECT_NE(item->Tip().find(L"Fully charged"), std::wstring::npos);
    port.reading = OneBattery(100, 50, true, false);
    port.reading->discharging = false;
    item->PowerChanged();
    EXPECT_NE(item->Tip().find(L"Not charging"), std::wstring::npos);
    port.reading = OneBattery(100, 50, false, false, 2 * 3600 + 5 * 60);
    item->PowerChanged();
    EXPECT_NE(item->Tip().find(L"Using battery power"), std::wstring::npos);
    EXPECT_NE(item->ReaderValue().find(L"50%"), std::wstring::npos);

    const gfx::Menu menu = item->Menu();
    ASSERT_GE(menu.size(), 4u);
    EXPECT_EQ(menu[0].text, L"Battery 50%");
    EXPECT_EQ(menu[2].detail, L"2 h 5 min");
    EXPECT_EQ(menu.back().id, battery_command::kSettings);
    item->Choose(battery_command::kSettings);
    item->Choose(77);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:batterysaver"}));
}

TEST_F(BatteryItem, LowChargePromptsOncePerRunAndNotWhileCharging) {
    port.reading = OneBattery(100, 15, true, true);
    auto item = Make();
    EXPECT_TRUE(prompts.empty()); // charging
    port.reading = OneBattery(100, 25, false, false);
    item->PowerChanged();
    EXPECT_TRUE(prompts.empty()); // not low
    port.reading = OneBattery(100, 19, false, false);
    item->PowerChanged();
    EXPECT_EQ(prompts.size(), 1u);
    port.reading = OneBattery(100, 10, false, false);
    item->PowerChanged();
    EXPECT_EQ(prompts.size(), 1u);

    // The average of the batteries' own percents decides, not the summed charge: 5 %
    // and 45 % of unequal batteries make 37 % together but average 25 %.
    PowerReading pair;
    pair.discharging = true;
    pair.batteries = {{20, 1, false, 0}, {80, 36, false, 0}};
    EXPECT_EQ(SumBatteries(pair).averagePercent, 25);
    pair.batteries = {{20, 1, false, 0}, {80, 20, false, 0}};
    port.reading = pair;
    prompts.clear();
    auto second = Make(); // a new run
    EXPECT_EQ(prompts.size(), 1u);
}

} // namespace
} // namespace kestrana::menubar
