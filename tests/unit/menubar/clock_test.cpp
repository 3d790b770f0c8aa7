// The clock item's text, when it is redrawn, how its width follows the text, and the
// clock thread's timing, all with a fake clock and formatter.
#include "menubar/clock_text.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace kestrana::menubar {
namespace {

using foundation::LocalTime;

// Knows the few pictures the tests use; anything else is refused.
class FakeFormatter final : public ClockFormatter {
public:
    int calls = 0;
    std::optional<std::wstring> FormatDate(const std::wstring& pattern, const LocalTime& t) override {
        ++calls;
        if (pattern != L"yyyy-MM-dd") return std::nullopt;
        wchar_t text[16];
        std::swprintf(text, 16, L"%04d-%02d-%02d", t.year, t.month, t.day);
        return text;
    }
    std::optional<std::wstring> FormatTime(const std::wstring& pattern, const LocalTime& t) override {
        ++calls;
        wchar_t text[16];
        if (pattern == L"HH:mm") std::swprintf(text, 16, L"%02d:%02d", t.hour, t.minute);
        else if (pattern == L"HH:mm:ss") std::swprintf(text, 16, L"%02d:%02d:%02d", t.hour, t.minute, t.second);
        else return std::nullopt;
        return text;
    }
};

TEST(ClockText, PatternsComeFromTheSettings) {
    FakeFormatter formatter;
    const LocalTime t{2026, 3, 2, 14, 7, 9};
    fakes::SettingsFolder empty;
    EXPECT_EQ(BuildClockText(LoadClockPatterns(empty.store), formatter, {2026, 3, 2, 9, 5, 0}), L"09:05");

    fakes::SettingsFolder dated;
    dated.Config(u"[findertime]\r\ndatefmt=yyyy-MM-dd\r\ntimefmt=HH:mm\r\n");
    EXPECT_EQ(BuildClockText(LoadClockPatterns(dated.store), formatter, t), L"2026-03-02 14:07");

    fakes::SettingsFolder custom;
    custom.Config(u"[findertime]\r\ndatefmt=yyyy-MM-dd\r\ntimefmt=HH:mm\r\ntimefmt_customenable=1\r\n"
                  u"datefmt_customenable=1\r\ndatefmt_custom=yyyy-MM-dd\r\n");
    EXPECT_EQ(BuildClockText(LoadClockPatterns(custom.store), formatter, t), L"2026-03-02 ");
}

TEST(ClockText, PresetsComeFromTheLanguageFileInItsOrder) {
    fakes::SettingsFolder folder;
    folder.files.AddFile(folder.base + L"lang\\English.ini",
                         fakes::Utf16File(u"[formatdate]\r\nb=yyyy-MM-dd\r\na=ddd\r\n[formattime]\r\n1=HH:mm:ss\r\n"));
    folder.store.SetCurrentLanguage(L"English");
    EXPECT_EQ(DatePresets(folder.store), (std::vector<std::wstring>{L"yyyy-MM-dd", L"ddd"}));
    EXPECT_EQ(TimePresets(folder.store), (std::vector<std::wstring>{L"HH:mm:ss"}));
}

TEST(ClockText, RedrawsOnceAMinuteUnlessSecondsAreShown) {
    FakeFormatter formatter;
    ClockTicker ticker;
    ticker.SetPatterns({L"", L"HH:mm"});
    EXPECT_EQ(ticker.Update({2026, 1, 1, 9, 59, 30}, true, formatter), L"09:59");
    int redraws = 0;
    for (int s = 31; s < 60; ++s) redraws += ticker.Update({2026, 1, 1, 9, 59, s}, false, formatter).has_value();
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(ticker.Update({2026, 1, 1, 10, 0, 0}, false, formatter), L"10:00");
    EXPECT_FALSE(ticker.Update({2026, 1, 1, 10, 0, 1}, false, formatter));
    // After a sleep the minute differs even when the second is not 0.
    EXPECT_EQ(ticker.Update({2026, 1, 1, 11, 42, 17}, false, formatter), L"11:42");

    ticker.SetPatterns({L"", L"HH:mm:ss"});
    EXPECT_EQ(ticker.Update({2026, 1, 1, 11, 42, 18}, false, formatter), L"11:42:18");
    EXPECT_EQ(ticker.Update({2026, 1, 1, 11, 42, 19}, false, formatter), L"11:42:19");
}

TEST(ClockText, WidthKeepsStillForSmallChanges) {
    // Bar height 24 at scale 1: threshold 8 pixels; at 1.5 it is 12.
    EXPECT_EQ(ClockWidth(0, 40, 24, 1.0f), 64);
    EXPECT_EQ(ClockWidth(64, 47, 24, 1.0f), 64);
    EXPECT_EQ(ClockWidth(64, 48, 24, 1.0f), 72);
    EXPECT_EQ(ClockWidth(64, 33, 24, 1.0f), 64);
    EXPECT_EQ(ClockWidth(96, 71, 36, 1.5f), 96);
    EXPECT_EQ(ClockWidth(96, 72, 36, 1.5f), 108);
}

TEST(ClockLoop, AlignsToTheSecondAndSubtractsTheTicksCost) {
    std::int64_t now = 350; // ms into the current second
    std::atomic<bool> stop{false}, paused{false};
    std::vector<std::int64_t> sleeps, ticksAt;
    int forced = 0, pausedSleeps = 0;
    ClockLoopPorts ports;
    ports.nowMs = [&] { return now; };
    ports.second = [&] { return int(now / 1000) % 60; };
    ports.sleepMs = [&](std::int64_t ms) {
        sleeps.push_back(ms);
        now += ms;
        if (paused && ++pausedSleeps == 5) stop = true;
    };
    ports.update = [&](bool force) {
        if (force) {
            ++forced;
            return;
        }
        ticksAt.push_back(now);
        now += 30; // a tick costs 30 ms
        if (ticksAt.size() == 3) paused = true;
    };
    ports.paused = &paused;
    ports.stop = &stop;
    RunClockLoop(ports);
    EXPECT_EQ(forced, 1);
    // Seven polls of 100 ms pass the boundary at 1000; then 970 ms of sleep after each
    // 30 ms tick keep the ticks just after each second.
    EXPECT_EQ(ticksAt, (std::vector<std::int64_t>{1050, 2050, 3050}));
    // While paused it keeps sleeping the last wait and does not tick.
    EXPECT_EQ(sleeps.back(), 970);
    EXPECT_EQ(pausedSleeps, 5);
}

TEST(ClockLoop, TheMinutesTasksRunAtSecondZeroOnlyAndNotWhilePaused) {
    std::int64_t now = 58'400; // two seconds before a minute starts
    std::atomic<bool> stop{false}, paused{false};
    std::vector<std::int64_t> minutesAt;
    int ticks = 0, refreshes = 0;
    ClockLoopPorts ports;
    ports.nowMs = [&] { return now; };
    ports.second = [&] { return int(now / 1000) % 60; };
    ports.sleepMs = [&](std::int64_t ms) {
        now += ms;
        if (now > 250'000) stop = true;
    };
    ports.update = [&](bool force) {
        if (force) return;
        now += 5;
        if (++ticks == 100) paused = true; // asleep over the third and fourth minutes' start
    };
    ports.afterTick = [&] { ++refreshes; };
    ports.minuteStarted = [&] { minutesAt.push_back(now / 1000); };
    ports.paused = &paused;
    ports.stop = &stop;
    RunClockLoop(ports);
    // Ticks fall just after 59 s, 60 s, ...: the minute's tasks run on the 60 s and 120 s ticks.
    EXPECT_EQ(minutesAt, (std::vector<std::int64_t>{60, 120}));
    EXPECT_EQ(refreshes, 100);
}

} // namespace
} // namespace kestrana::menubar
