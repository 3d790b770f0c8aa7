// The system monitors: loads from counters and system times, network totals and rates,
// the rate text, histories and when items are drawn again, the temperature reader's
// request cycle and messages, and what the items show and say.
#include "menubar/monitors.h"

#include "menubar/bar_picture.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kestrana::menubar {
namespace {

TEST(MonitorLoad, CounterValuesRoundClampAndShowAnyLoad) {
    EXPECT_EQ(LoadPercent(0.4), 1);
    EXPECT_EQ(LoadPercent(0.0), 0);
    EXPECT_EQ(LoadPercent(-3.0), 0);
    EXPECT_EQ(LoadPercent(1.49), 1);
    EXPECT_EQ(LoadPercent(1.5), 2);
    EXPECT_EQ(LoadPercent(99.6), 100);
    EXPECT_EQ(LoadPercent(130.0), 100);
    EXPECT_EQ(LoadPercent(std::nan("")), 0);
}

TEST(MonitorLoad, SystemTimesNeedABaselineAndCountKernelMinusIdle) {
    SystemTimesLoad load;
    EXPECT_EQ(load.Next(1000, 2000, 500), 0); // baseline only
    // kernel +400 of which idle +300, user +100: busy 200 of 500.
    EXPECT_EQ(load.Next(1300, 2400, 600), 40);
    EXPECT_EQ(load.Next(1300, 2400, 600), 0); // no time passed
    // busy 1 of 1000: 0.1 % still shows as some load.
    EXPECT_EQ(load.Next(2299, 3400, 600), 1);
    // Times that went backwards (a counter reset) give 0 and a new baseline.
    EXPECT_EQ(load.Next(10, 20, 5), 0);
    EXPECT_EQ(load.Next(10, 30, 15), 100);
}

TEST(MonitorLoad, CoresEachKeepTheirBaselineAndStartAfreshWhenTheirNumberChanges) {
    CoreLoads cores;
    const std::vector<CoreTimes> first{{100, 200, 0}, {100, 200, 0}};
    EXPECT_EQ(cores.Next(first), (std::vector<int>{0, 0}));
    const std::vector<CoreTimes> second{{200, 300, 0}, {110, 300, 100}}; // idle, then 190 of 200 busy
    EXPECT_EQ(cores.Next(second), (std::vector<int>{0, 95}));
    const std::vector<CoreTimes> three{{300, 400, 0}, {120, 400, 200}, {0, 10, 10}};
    EXPECT_EQ(cores.Next(three), (std::vector<int>{0, 0, 0})); // a core came: new baselines
}

TEST(MonitorNetwork, OnlyHardwareInterfacesWithAnAddressCount) {
    const std::vector<InterfaceRow> rows{
        {6, true, 1000, 200, 1},  // a real adapter
        {6, false, 1000, 200, 2}, // a filter interface stacked on it
        {0, true, 50, 50, 3},     // no physical address (loopback, tunnels)
        {6, true, 24, 8, 4, true},
    };
    InterfaceReading reading;
    const Traffic sum = reading.TableRead(rows);
    EXPECT_EQ(sum.received, 1024u);
    EXPECT_EQ(sum.sent, 208u);
    EXPECT_FALSE(sum.rebased) << "the first table is the first baseline, not a new one";
    EXPECT_EQ(reading.LiveInterfaces(), (std::vector<std::uint64_t>{1})) << "a down adapter is not read on its own";
}

TEST(MonitorNetwork, RatesFromTotalsOverAtLeastOneSecond) {
    NetworkRates rates;
    EXPECT_TRUE(rates.Update({1000, 5000}, 10'000)); // the first sample is drawn, at 0
    EXPECT_EQ(rates.Up(), 0u);
    EXPECT_EQ(rates.Down(), 0u);
    EXPECT_TRUE(rates.Update({5000, 25'000}, 12'000)); // 2 s
    EXPECT_EQ(rates.Up(), 2000u);
    EXPECT_EQ(rates.Down(), 10'000u);
    EXPECT_FALSE(rates.Update({9000, 45'000}, 14'000)); // the same rates: nothing to draw
    // Ticks closer than a second still count as one.
    EXPECT_TRUE(rates.Update({9500, 45'000}, 14'200));
    EXPECT_EQ(rates.Up(), 500u);
    // Totals that shrink (an adapter removed) give 0, not a wrapped huge rate.
    EXPECT_TRUE(rates.Update({100, 100}, 16'200));
    EXPECT_EQ(rates.Up(), 0u);
    EXPECT_EQ(rates.Down(), 0u);
    EXPECT_TRUE(rates.Update({2100, 100}, 18'200));
    EXPECT_EQ(rates.Up(), 1000u);
    // New baseline totals (an adapter came) that grew: still no rate this time.
    EXPECT_TRUE(rates.Update({900'000, 900'000, true}, 20'200));
    EXPECT_EQ(rates.Up(), 0u);
    EXPECT_EQ(rates.Down(), 0u);
    rates.Update({902'000, 900'000}, 22'200);
    EXPECT_EQ(rates.Up(), 1000u);
}

// The table is read first, then only the counted interfaces that are up, until the table
// is due again, one of them could not be read or the system said the interfaces changed.
TEST(MonitorNetwork, TableFirstThenLiveEntriesUntilDueAnEntryFailsOrAChange) {
    InterfaceReading reading;
    EXPECT_TRUE(reading.WantsTable());
    const std::vector<InterfaceRow> rows{{6, true, 1000, 100, 7}, {6, true, 500, 50, 8, true}, {6, true, 0, 0, 9}};
    reading.TableRead(rows);
    ASSERT_EQ(reading.LiveInterfaces(), (std::vector<std::uint64_t>{7, 9}));
    int entries = 0;
    Traffic last;
    while (!reading.WantsTable() && entries < 100) {
        const std::uint64_t n = static_cast<std::uint64_t>(entries) + 1;
        const std::vector<Octets> live{{1000 + n, 100 + n}, {n, 2 * n}};
        last = reading.EntriesRead(live);
        ++entries;
    }
    EXPECT_EQ(entries + 1, InterfaceReading::kSamplesPerTable) << "one table read per so many samples";
    const std::uint64_t n = static_cast<std::uint64_t>(entries);
    EXPECT_EQ(last.received, (1000 + n) + 500 + n) << "the live octets read now, the down one's from the table";
    EXPECT_EQ(last.sent, (100 + n) + 50 + 2 * n);
    EXPECT_FALSE(last.rebased);
    reading.TableRead(rows);
    reading.EntriesRead(std::vector<Octets>{{1000, 100}, {0, 0}});
    EXPECT_FALSE(reading.WantsTable());
    reading.EntryFailed();
    EXPECT_TRUE(reading.WantsTable()) << "an adapter gone is looked for in the table at once";
    reading.TableRead(rows);
    reading.InterfacesChanged();
    EXPECT_TRUE(reading.WantsTable()) << "a change the system reports is read at the next sample";
}

// Bytes of an unknown span never make a rate: a down adapter that moved bytes between
// two tables, an adapter that came or one that went.
TEST(MonitorNetwork, TablesThatShowUnseenBytesAreANewBaseline) {
    InterfaceReading reading;
    const InterfaceRow up{6, true, 1000, 100, 7}, down{6, true, 500, 50, 8, true};
    reading.TableRead(std::vector<InterfaceRow>{up, down});
    EXPECT_FALSE(reading.TableRead(std::vector<InterfaceRow>{{6, true, 9000, 900, 7}, down}).rebased)
        << "an up adapter's bytes were read all along";
    InterfaceRow cameUp = down;
    cameUp.inOctets += 4'000'000;
    cameUp.down = false;
    EXPECT_TRUE(reading.TableRead(std::vector<InterfaceRow>{up, cameUp}).rebased);
    EXPECT_EQ(reading.LiveInterfaces(), (std::vector<std::uint64_t>{7, 8}));
    EXPECT_FALSE(reading.TableRead(std::vector<InterfaceRow>{up, cameUp}).rebased);
    EXPECT_TRUE(reading.TableRead(std::vector<InterfaceRow>{up}).rebased) << "an adapter went";
    EXPECT_TRUE(reading.TableRead(std::vector<InterfaceRow>{up, {6, true, 70, 7, 11}}).rebased) << "an adapter came";
}

TEST(MonitorNetwork, RateTextsCompactAndLong) {
    EXPECT_EQ(FormatRate(1536, true), L"1.5KB");
    EXPECT_EQ(FormatRate(1536, false), L"1.5 KB/s");
    EXPECT_EQ(FormatRate(100, true), L"0.0KB");
    EXPECT_EQ(FormatRate(0, false), L"0.0 KB/s");
    EXPECT_EQ(FormatRate(5'000'000, true), L"4.7MB");
    EXPECT_EQ(FormatRate(1000, true), L"0.9KB");
    EXPECT_EQ(FormatRate(103, true), L"0.1KB");
    EXPECT_EQ(FormatRate(102, true), L"0.0KB");
    EXPECT_EQ(FormatRate(2048, true), L"2.0KB"); // whole numbers keep one decimal
    EXPECT_EQ(FormatRate(3ull << 30, true), L"3.0GB");
    EXPECT_EQ(FormatRate(5ull << 40, false), L"5.0 TB/s");
    EXPECT_EQ(FormatRate(5ull << 50, true), L"5.0KB"); // past terabytes the unit starts again
}

TEST(MonitorProcesses, CpuSharesNeedABaselineAndKeepTheBusiestFew) {
    ProcessRanking ranking;
    // Two processors over one second (10 000 000 units each).
    constexpr std::uint64_t kSecond = 10'000'000;
    std::vector<ProcessTimes> first{
        {0, 0, L"Idle", 50 * kSecond, 0}, {4, 1, L"System", 1000, 0}, {100, 7, L"a.exe", 0, 0},
        {200, 7, L"b.exe", 0, 0},         {300, 7, L"c.exe", 0, 0},  {400, 7, L"d.exe", 0, 0},
        {500, 7, L"e.exe", 0, 0},         {600, 7, L"f.exe", 0, 0}};
    EXPECT_TRUE(ranking.TopByCpu(first, kSecond, 2).empty()); // nothing to compare with yet
    EXPECT_TRUE(ranking.HasBaseline());
    std::vector<ProcessTimes> second = first;
    second[0].cpuTime += kSecond; // idle is not a process
    second[2].cpuTime = kSecond;  // a.exe: one full core of two = 50 %
    second[3].cpuTime = 1000;     // b.exe: 0.005 %, still listed, as 0.0
    second[4].cpuTime = 200'000;  // c.exe: 1 %
    second[5].cpuTime = 2;
    second[6].cpuTime = 3;
    second[7].cpuTime = 4;
    const auto top = ranking.TopByCpu(second, kSecond, 2);
    ASSERT_EQ(top.size(), kTopProcesses);
    EXPECT_EQ(top[0], (ProcessUse{L"a.exe", 500}));
    EXPECT_EQ(top[1], (ProcessUse{L"c.exe", 10}));
    EXPECT_EQ(top[2], (ProcessUse{L"b.exe", 0}));
    EXPECT_EQ(top[3].name, L"f.exe");
    // A reused id (another creation time) and times that went backwards give no share.
    std::vector<ProcessTimes> third = second;
    third[2] = {100, 8, L"new.exe", 5 * kSecond, 0};
    third[4].cpuTime = 0;
    third[7].cpuTime = 4 + kSecond / 10;
    const auto after = ranking.TopByCpu(third, kSecond, 2);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0], (ProcessUse{L"f.exe", 50}));
    // No time passed: no shares, but the baseline moves on.
    EXPECT_TRUE(ranking.TopByCpu(third, 0, 2).empty());
    ranking.Forget();
    EXPECT_FALSE(ranking.HasBaseline());
}

TEST(MonitorProcesses, MemoryListAndTexts) {
    const std::vector<ProcessTimes> now{{0, 0, L"Idle", 0, 1u << 30}, {10, 1, L"big.exe", 0, 3ull << 30},
                                        {11, 1, L"small.exe", 0, 5u << 20}, {12, 1, L"none.exe", 0, 0},
                                        {13, 1, L"also.exe", 0, 5u << 20}};
    const auto top = TopByMemory(now, 2);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].name, L"big.exe");
    EXPECT_EQ(top[1].name, L"also.exe"); // equal amounts in name order
    EXPECT_EQ(TopByMemory(now).size(), 3u);
    EXPECT_EQ(FormatBytes(5u << 20), L"5 MB");
    EXPECT_EQ(FormatBytes((1ull << 30) + (1ull << 29)), L"1.5 GB");
    EXPECT_EQ(FormatShare(0), L"0.0%");
    EXPECT_EQ(FormatShare(1000), L"100.0%");
}

TEST(MonitorDisks, LetteredVolumesOnlyInLetterOrder) {
    const std::vector<std::pair<std::wstring, double>> instances{
        {L"_Total", 40.0}, {L"d:", 0.4}, {L"HarddiskVolume3", 90.0}, {L"C:", 55.5}, {L"D:", 7.0}, {L"1:", 3.0}};
    const auto rows = DiskRows(instances);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (DiskUse{L"C:", 56}));
    EXPECT_EQ(rows[1], (DiskUse{L"D:", 1})); // the first of the same letter counts
    EXPECT_TRUE(DiskRows({}).empty());
}

TEST(MonitorHistory, DrawsOnFirstChangeGraphOrForce) {
    MonitorHistory h;
    EXPECT_TRUE(h.Append(10, false, false));
    EXPECT_FALSE(h.Append(10, false, false));
    EXPECT_TRUE(h.Append(10, true, false)); // a graph scrolls: the padding moves out
    EXPECT_TRUE(h.Append(10, false, true));
    EXPECT_TRUE(h.Append(11, false, false));
    EXPECT_EQ(h.Values().size(), 5u);
    EXPECT_EQ(h.Last(), 11);
}

TEST(MonitorHistory, AGraphIsDrawnAgainOnlyWhenAPointItShowsChanges) {
    MonitorHistory h;
    EXPECT_TRUE(h.Append(0, true, false)) << "the first value";
    EXPECT_FALSE(h.Append(0, true, false)) << "zeros over the zero padding look the same";
    for (std::size_t i = 0; i < kGraphPoints; ++i) h.Append(5, true, false);
    EXPECT_FALSE(h.Append(5, true, false)) << "a flat graph";
    EXPECT_TRUE(h.Append(6, true, false));
    // The 6 scrolls through the graph: every tick moves it until it leaves at the left.
    int drawn = 0;
    for (std::size_t i = 0; i < kGraphPoints + 5; ++i) drawn += h.Append(5, true, false) ? 1 : 0;
    EXPECT_EQ(drawn, static_cast<int>(kGraphPoints));
    EXPECT_TRUE(h.Append(5, true, true)) << "forced";
}

TEST(MonitorHistory, GraphPointsArePaddedInFrontAndKeepTheNewest) {
    MonitorHistory h;
    for (std::uint8_t v : {7, 8, 9}) h.Append(v, true, false);
    const auto three = h.Points();
    ASSERT_EQ(three.size(), kGraphPoints);
    EXPECT_EQ(three[26], 0);
    EXPECT_EQ(three[27], 7);
    EXPECT_EQ(three[29], 9);
    for (int i = 0; i < 40; ++i) h.Append(static_cast<std::uint8_t>(i), true, false);
    const auto full = h.Points();
    EXPECT_EQ(full.front(), 10);
    EXPECT_EQ(full.back(), 39);
    // A long run keeps memory bounded and the newest values intact.
    for (int i = 0; i < 5000; ++i) h.Append(static_cast<std::uint8_t>(i % 100), true, false);
    EXPECT_LE(h.Values().size(), 1024u);
    EXPECT_EQ(h.Last(), 99);
}

TEST(MonitorReader, AsksWaitsFortySamplesRetriesOnceThenStops) {
    ReaderLink link;
    int asks = 0, samples = 0;
    for (; samples < 200; ++samples)
        if (link.Sample(false) == ReaderLink::Step::Ask) {
            ++asks;
            link.Asked();
        }
    EXPECT_EQ(asks, 2);
    EXPECT_TRUE(link.GaveUp());
    // The second request came 40 samples after the first.
    ReaderLink again;
    EXPECT_EQ(again.Sample(false), ReaderLink::Step::Ask);
    again.Asked();
    for (int i = 1; i < ReaderLink::kWaitSamples; ++i) EXPECT_EQ(again.Sample(false), ReaderLink::Step::Nothing);
    EXPECT_EQ(again.Sample(false), ReaderLink::Step::Ask);
    // A request that found no companion is made again at once, and costs no retry.
    ReaderLink early;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(early.Sample(false), ReaderLink::Step::Ask);
    early.Asked();
    EXPECT_EQ(early.Sample(false), ReaderLink::Step::Nothing);
}

TEST(MonitorReader, AnnouncedReaderIsKeptWhileAliveAndAskedForAgainWhenGone) {
    ReaderLink link;
    EXPECT_EQ(link.Sample(false), ReaderLink::Step::Ask);
    link.Asked();
    link.Announced(0x1234);
    EXPECT_EQ(link.Handle(), 0x1234u);
    EXPECT_EQ(link.Sample(true), ReaderLink::Step::Nothing);
    EXPECT_EQ(link.Sample(false), ReaderLink::Step::Nothing); // cleared this time
    EXPECT_EQ(link.Handle(), 0u);
    EXPECT_EQ(link.Sample(false), ReaderLink::Step::Ask);       // and asked at the next
    link.Announced(0);                                           // a null handle is no announcement
    EXPECT_EQ(link.Handle(), 0u);
}

TEST(MonitorReader, ReadingsAreTakenOnlyWhenTheyChangeAndMakeSense) {
    TemperatureReadings t;
    EXPECT_TRUE(t.Reading(45, 0, false));
    EXPECT_FALSE(t.Reading(45, 0, false));
    EXPECT_EQ(t.Cpu().Values().size(), 1u); // equal values are not appended
    EXPECT_FALSE(t.Reading(0, 0, false));   // no reading
    EXPECT_FALSE(t.Reading(4000, 0, false)); // garbage
    EXPECT_FALSE(t.Reading(45, 60, false));  // GPU not wanted
    EXPECT_EQ(t.Gpu(), 0);
    EXPECT_TRUE(t.Reading(45, 60, true));
    EXPECT_EQ(t.Gpu(), 60);
    EXPECT_TRUE(t.Reading(47, 60, true));
    EXPECT_EQ(t.Cpu().Last(), 47);
}

TEST(MonitorReader, SensorListTakesAgreeingCountsAndIndexesWithinIt) {
    TemperatureReadings t;
    EXPECT_FALSE(t.SensorCount(3, 4));
    EXPECT_TRUE(t.Sensors().empty());
    EXPECT_FALSE(t.SensorCount(100'000, 100'000)); // a flood of sensors is refused
    EXPECT_TRUE(t.SensorCount(2, 2));
    EXPECT_FALSE(t.SensorCount(2, 2));
    EXPECT_FALSE(t.SensorReading(5, L"far", 40));
    EXPECT_FALSE(t.SensorReading(0, L"Zone 0", 41));
    EXPECT_TRUE(t.SensorReading(1, L"Zone 1", 52)); // the last one
    EXPECT_EQ(t.Sensors()[0], (Sensor{L"Zone 0", 41}));
    EXPECT_EQ(t.Sensors()[1].celsius, 52);
}

class FakeFacts final : public MonitorFacts {
public:
    std::wstring ProcessorName() override { return L"Test CPU 3000"; }
    std::vector<std::wstring> Addresses(bool ipv6) override {
        return ipv6 ? std::vector<std::wstring>{L"fe80::1"} : std::vector<std::wstring>{L"10.0.0.2"};
    }
};

struct BoardFixture : ::testing::Test {
    fakes::SettingsFolder folder;
    MonitorBoard board;
    FakeFacts facts;
    std::uint32_t Take(int cpu, std::uint64_t sent, std::uint64_t ms, DisplayTypes types = {}, bool force = false) {
        MonitorSample sample;
        sample.cpu = cpu;
        sample.memory = 50;
        sample.traffic = Traffic{sent, 0};
        sample.nowMs = ms;
        return board.Take(sample, types, force).faces;
    }
};

TEST_F(BoardFixture, RedrawsOnlyTheItemsWhoseReadingChanged) {
    EXPECT_EQ(Take(10, 0, 1000), KindBit(StatusKind::Cpu) | KindBit(StatusKind::Memory) | KindBit(StatusKind::Network));
    EXPECT_EQ(Take(10, 0, 3000), 0u);
    EXPECT_EQ(Take(12, 0, 5000), KindBit(StatusKind::Cpu));
    EXPECT_EQ(Take(12, 4000, 7000), KindBit(StatusKind::Network));
    DisplayTypes graph;
    graph.memory = 2;
    EXPECT_EQ(Take(12, 8000, 9000, graph), KindBit(StatusKind::Memory));
    const std::uint32_t all = Take(12, 12'000, 11'000, {}, true);
    for (StatusKind k : {StatusKind::Cpu, StatusKind::Memory, StatusKind::Network, StatusKind::Temperature})
        EXPECT_TRUE(all & KindBit(k));
    // Another display type redraws the item even with the same value, failed or not.
    DisplayTypes text;
    text.cpu = 3;
    EXPECT_EQ(Take(12, 16'000, 13'000, text), KindBit(StatusKind::Cpu)); // the same rate as before
    EXPECT_EQ(Take(12, 20'000, 15'000, text), 0u);
    text.cpu = 7; // out of range draws as the level bar: a change from the text
    MonitorSample unread;
    unread.nowMs = 16'000;
    EXPECT_EQ(board.Take(unread, text, false).faces, KindBit(StatusKind::Cpu));
    MonitorSample failed; // every reading failed: nothing drawn, the last values stay
    failed.nowMs = 13'000;
    EXPECT_EQ(board.Take(failed, {}, false).faces, 0u);
    EXPECT_EQ(board.LastOf(StatusKind::Cpu), 12);
}

TEST_F(BoardFixture, ALevelBarIsDrawnAgainOnlyWhenItsFillChangesOnSomeBar) {
    DisplayTypes level;
    level.levelTracks = {14.0f};
    ASSERT_NE(Take(2, 0, 1000, level) & KindBit(StatusKind::Cpu), 0u);
    EXPECT_EQ(Take(4, 0, 3000, level), 0u) << "one pixel at 2 % and at 4 %";
    EXPECT_EQ(board.LastOf(StatusKind::Cpu), 4) << "the value is kept all the same";
    EXPECT_EQ(Take(20, 0, 5000, level), KindBit(StatusKind::Cpu));
    EXPECT_EQ(Take(0, 0, 7000, level), KindBit(StatusKind::Cpu)) << "no load against some";
    EXPECT_EQ(Take(0, 0, 9000, level, true) & KindBit(StatusKind::Cpu), KindBit(StatusKind::Cpu));
    // 7 % and 10 % fill one pixel of 14 but one and two of 20: the larger bar needs it.
    EXPECT_NE(Take(7, 0, 11'000, level), 0u);
    EXPECT_EQ(Take(10, 0, 13'000, level), 0u);
    level.levelTracks = {14.0f, 20.0f};
    EXPECT_EQ(Take(7, 0, 15'000, level), KindBit(StatusKind::Cpu));
    // Without the bars' tracks, and for the other display types, every new value is drawn.
    EXPECT_EQ(Take(8, 0, 17'000), KindBit(StatusKind::Cpu));
    DisplayTypes text = level;
    text.cpu = 3;
    ASSERT_NE(Take(8, 0, 19'000, text), 0u); // the new type
    EXPECT_EQ(Take(9, 0, 21'000, text), KindBit(StatusKind::Cpu));
}

TEST_F(BoardFixture, TheNetworkItemIsDrawnAgainWhenItsTextsChangeAndItsPopUpWhenARateDoes) {
    const auto take = [&](std::uint64_t sent, std::uint64_t ms) {
        MonitorSample sample;
        sample.traffic = Traffic{sent, 0};
        sample.nowMs = ms;
        return board.Take(sample, {}, false);
    };
    EXPECT_EQ(take(0, 1000).faces, KindBit(StatusKind::Network)) << "the first rates";
    EXPECT_EQ(take(40, 3000).faces, 0u) << "20 B/s reads 0.0KB as none did";
    const MonitorChanges small = take(100, 5000); // 30 B/s
    EXPECT_EQ(small.faces, 0u);
    EXPECT_EQ(small.details, KindBit(StatusKind::Network)) << "the pop-up's exact rate changed";
    EXPECT_EQ(take(100, 7000).details, KindBit(StatusKind::Network)) << "back to none";
    EXPECT_EQ(take(100, 9000), (MonitorChanges{})) << "nothing moved";
    EXPECT_EQ(take(4196, 11'000).faces, KindBit(StatusKind::Network)) << "2 KB/s is another text";
}

TEST_F(BoardFixture, PopupDetailsCountAsChangedOnlyWhenTheyDiffer) {
    Take(10, 0, 1000);
    MonitorSample sample;
    sample.memory = 50;
    sample.memoryDetails = {3.01f, 16.0f, 1, 4};
    sample.cores = {5, 6};
    sample.topCpu = std::vector<ProcessUse>{{L"a.exe", 12}};
    sample.disks = std::vector<DiskUse>{{L"C:", 3}};
    const MonitorChanges first = board.Take(sample, {}, false);
    EXPECT_EQ(first.faces, 0u); // the items' readings are the same
    EXPECT_EQ(first.details, KindBit(StatusKind::Cpu) | KindBit(StatusKind::Memory) | KindBit(StatusKind::Disk));
    sample.memoryDetails.usedGb = 3.02f; // not seen in tenths
    EXPECT_EQ(board.Take(sample, {}, false).details, 0u);
    sample.topMemory = std::vector<ProcessUse>{{L"b.exe", 1u << 20}};
    EXPECT_EQ(board.Take(sample, {}, false).details, KindBit(StatusKind::Memory));
    // A sample without details (no pop-up open) keeps what the pop-ups showed last.
    MonitorSample plain;
    plain.memory = 50;
    plain.memoryDetails = sample.memoryDetails;
    EXPECT_EQ(board.Take(plain, {}, false).details, 0u);
    EXPECT_EQ(board.Disks().size(), 1u);
    MonitorSource disk(StatusKind::Disk, board, folder.store, facts);
    MonitorSource memory(StatusKind::Memory, board, folder.store, facts);
    MonitorSource cpu(StatusKind::Cpu, board, folder.store, facts);
    const auto has = [](const gfx::Menu& menu, const std::wstring& text, const std::wstring& detail) {
        return std::any_of(menu.begin(), menu.end(), [&](const gfx::MenuItem& i) { return i.text == text && i.detail == detail; });
    };
    EXPECT_TRUE(has(disk.Menu(), L"C:", L"3%"));
    EXPECT_TRUE(has(memory.Menu(), L"b.exe", L"1 MB"));
    EXPECT_TRUE(has(cpu.Menu(), L"a.exe", L"1.2%"));
    EXPECT_TRUE(has(cpu.Menu(), L"Processes", L""));
}

TEST_F(BoardFixture, FacesFollowTheDisplayTypeSettingAndNetworkShowsTwoRates) {
    Take(37, 0, 1000);
    Take(37, 3080, 3000); // 1540 bytes a second
    MonitorSource cpu(StatusKind::Cpu, board, folder.store, facts);
    const int widths[] = {32, 50, 62, 56};
    for (int type = 0; type < 4; ++type) {
        folder.store.WriteInt(L"findermonitor", L"CPUTYPE", type);
        const StatusFace face = cpu.Face();
        EXPECT_EQ(face.label, L"CPU");
        EXPECT_EQ(face.level, 37);
        EXPECT_EQ(FaceWidth(face, 0, 1.5f), static_cast<int>(widths[type] * 1.5f));
        EXPECT_EQ(face.points.size(), type == 2 ? kGraphPoints : 0u);
        EXPECT_EQ(face.text, type == 3 ? L"37%" : L"");
    }
    EXPECT_EQ(cpu.ReaderValue(), L"37%");

    MonitorSource net(StatusKind::Network, board, folder.store, facts);
    const StatusFace face = net.Face();
    EXPECT_EQ(face.meter, Meter::Lines);
    EXPECT_EQ(face.text, L"1.5KB");
    EXPECT_EQ(face.second, L"0.0KB");
    EXPECT_EQ(FaceWidth(face, 40, 1.0f), 54);
    EXPECT_EQ(net.ReaderValue(), L"Upload 1.5 KB/s, Download 0.0 KB/s");
}

TEST_F(BoardFixture, PopupsCarryTheirHeadingsAndDetails) {
    Take(5, 0, 1000);
    const auto hasRow = [](const gfx::Menu& menu, const std::wstring& text, const std::wstring& detail) {
        for (const auto& item : menu)
            if (item.text == text && item.detail == detail && !item.Selectable()) return true;
        return false;
    };
    MonitorSource cpu(StatusKind::Cpu, board, folder.store, facts);
    EXPECT_TRUE(hasRow(cpu.Menu(), L"Test CPU 3000", L""));
    EXPECT_TRUE(hasRow(cpu.Menu(), L"Usage", L"5%"));
    EXPECT_FALSE(hasRow(cpu.Menu(), L"CPU Cores", L"")); // no per-core times yet
    MonitorSample withCores;
    withCores.cores = {12, 97};
    board.Take(withCores, {}, false);
    EXPECT_TRUE(hasRow(cpu.Menu(), L"CPU Cores", L""));
    EXPECT_TRUE(hasRow(cpu.Menu(), L"CPU Core #2", L"97%"));
    MonitorSource net(StatusKind::Network, board, folder.store, facts);
    EXPECT_TRUE(hasRow(net.Menu(), L"IPV6", L"fe80::1"));
    EXPECT_TRUE(hasRow(net.Menu(), L"Upload", L"0.0 KB/s"));

    MonitorSource temp(StatusKind::Temperature, board, folder.store, facts);
    EXPECT_TRUE(temp.Face().text.empty()); // no reading yet: no value, still an item
    EXPECT_TRUE(temp.ReaderValue().empty());
    EXPECT_TRUE(hasRow(temp.Menu(), L"No reading", L""));
    board.Temperatures().Reading(52, 70, true);
    folder.store.WriteInt(L"findermonitor", L"TEMPGPU", 1);
    EXPECT_EQ(temp.ReaderValue(), L"52 \u00B0C");
    EXPECT_TRUE(hasRow(temp.Menu(), L"GPU Core", L"70\u00B0"));
}

TEST(MonitorReads, ASampleReadsOnlyWhatAnItemShowsOrAPopUpLists) {
    EXPECT_EQ(ReadsFor(KindBit(StatusKind::Cpu), 0), (MonitorReads{true, false, false, false}));
    // The temperatures come from the reader, not from the sample.
    EXPECT_EQ(ReadsFor(KindBit(StatusKind::Temperature), 0), MonitorReads{});
    EXPECT_EQ(ReadsFor(KindBit(StatusKind::Memory) | KindBit(StatusKind::Network), 0),
              (MonitorReads{false, true, false, true}));
    EXPECT_EQ(ReadsFor(KindBit(StatusKind::Cpu), KindBit(StatusKind::Disk)), (MonitorReads{true, false, true, false}));
    EXPECT_EQ(ReadsFor(DisplayTypes{}.items, 0), (MonitorReads{true, true, true, true})) << "unless told, all";
}

// The graph and the level bar as the bar draws them, at two scales: small changes of a
// light load leave the same pixels (so the bar is not handed the picture again), larger
// ones and any load at all against none do not.
gfx::Bitmap DrawMeter(Meter meter, std::vector<std::uint8_t> points, int level, float scale) {
    gfx::Bitmap frame(static_cast<int>(80 * scale), static_cast<int>(24 * scale));
    BarCell cell;
    cell.rect = {0, 0, static_cast<int>(MeterWidth(meter) * scale), frame.Height()};
    cell.meter = meter;
    cell.points = std::move(points);
    cell.level = level;
    BarLook look;
    look.alpha = 200;
    DrawBarFrame(frame, look, std::span<const BarCell>(&cell, 1), scale);
    return frame;
}

bool SamePixels(const gfx::Bitmap& a, const gfx::Bitmap& b) {
    const auto pa = a.Pixels(), pb = b.Pixels();
    return std::equal(pa.begin(), pa.end(), pb.begin(), pb.end());
}

TEST(MonitorMeterPicture, LoadsCloserThanAPixelDrawTheSamePicture) {
    const auto graph = [](std::vector<std::uint8_t> points, float scale) {
        return DrawMeter(Meter::Graph, std::move(points), 0, scale);
    };
    const auto level = [](int value, float scale) { return DrawMeter(Meter::Level, {}, value, scale); };
    const auto flat = [](std::uint8_t value) { return std::vector<std::uint8_t>(kGraphPoints, value); };
    for (const float scale : {1.0f, 1.25f}) {
        SCOPED_TRACE(scale);
        EXPECT_TRUE(SamePixels(graph(flat(2), scale), graph(flat(4), scale)));
        std::vector<std::uint8_t> jitter = flat(2);
        jitter[7] = 3;
        jitter[20] = 1;
        EXPECT_TRUE(SamePixels(graph(jitter, scale), graph(flat(2), scale)));
        EXPECT_FALSE(SamePixels(graph(flat(1), scale), graph(flat(0), scale))) << "any load shows";
        EXPECT_FALSE(SamePixels(graph(flat(50), scale), graph(flat(60), scale)));
        std::vector<std::uint8_t> spike = flat(2);
        spike[kGraphPoints - 1] = 40;
        EXPECT_FALSE(SamePixels(graph(spike, scale), graph(flat(2), scale)));

        EXPECT_TRUE(SamePixels(level(2, scale), level(4, scale)));
        EXPECT_FALSE(SamePixels(level(1, scale), level(0, scale))) << "any load shows";
        EXPECT_FALSE(SamePixels(level(50, scale), level(60, scale)));
        EXPECT_FALSE(SamePixels(level(99, scale), level(60, scale)));
    }
}

// What the board takes for no change must be no change on the screen, and the reverse:
// two loads draw the same level bar exactly when they fill its track alike.
TEST(MonitorMeterPicture, ALevelBarsPixelsFollowItsFillAndNothingElse) {
    for (const float scale : {1.0f, 1.25f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        const float track = LevelTrack(static_cast<int>(24 * scale), scale);
        std::vector<gfx::Bitmap> pictures;
        for (int load = 0; load <= 100; ++load) pictures.push_back(DrawMeter(Meter::Level, {}, load, scale));
        for (int a = 0; a <= 100; ++a)
            for (int b = a + 1; b <= 100; ++b)
                ASSERT_EQ(SamePixels(pictures[static_cast<std::size_t>(a)], pictures[static_cast<std::size_t>(b)]),
                          LevelFill(a, track) == LevelFill(b, track))
                    << a << " % against " << b << " %";
    }
}

} // namespace
} // namespace kestrana::menubar
