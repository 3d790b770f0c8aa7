// Screen brightness against fake monitors: retries, ranges, clamping, the cached value,
// and a worker that never makes the caller wait for a slow monitor.
#include "menubar/brightness.h"

#include "menubar/display_item.h"

#include "fakes/memory_log.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>

namespace kestrana::menubar {
namespace {

using namespace std::chrono_literals;

struct LinkLog {
    std::mutex mutex;
    std::vector<int> writes;
    std::atomic<int> reads{0};
};

class FakeLink final : public MonitorLink {
public:
    FakeLink(std::shared_ptr<LinkLog> log, std::deque<std::optional<BrightnessRange>> answers,
             std::chrono::milliseconds delay = 0ms, bool refuse = false)
        : m_log(std::move(log)), m_answers(std::move(answers)), m_delay(delay), m_refuse(refuse) {}
    std::optional<BrightnessRange> Read() override {
        ++m_log->reads;
        if (m_answers.empty()) return std::nullopt;
        auto answer = m_answers.front();
        if (m_answers.size() > 1) m_answers.pop_front();
        return answer;
    }
    bool Write(int value) override {
        std::this_thread::sleep_for(m_delay); // a slow monitor bus, on the worker
        std::lock_guard lock(m_log->mutex);
        m_log->writes.push_back(value);
        return !m_refuse;
    }

private:
    std::shared_ptr<LinkLog> m_log;
    std::deque<std::optional<BrightnessRange>> m_answers;
    std::chrono::milliseconds m_delay;
    bool m_refuse;
};

MonitorRecord Record(std::shared_ptr<LinkLog> log, std::deque<std::optional<BrightnessRange>> answers) {
    MonitorRecord record;
    record.link = std::make_unique<FakeLink>(std::move(log), std::move(answers));
    return record;
}

TEST(Brightness, ReadsRetryFourTimesAndRefuseGarbage) {
    auto log = std::make_shared<LinkLog>();
    MonitorRecord late = Record(log, {std::nullopt, std::nullopt, std::nullopt, BrightnessRange{0, 40, 100}});
    EXPECT_TRUE(Probe(late));
    EXPECT_EQ(log->reads, 4);
    EXPECT_EQ(late.range.current, 40);

    log->reads = 0;
    MonitorRecord silent = Record(log, {std::nullopt});
    EXPECT_FALSE(Probe(silent));
    EXPECT_EQ(log->reads, kBrightnessAttempts);
    EXPECT_FALSE(SetBrightness(silent, 50)); // an invalid record does nothing
    EXPECT_TRUE(log->writes.empty());

    // Ranges out of order or a current value outside the range are no answer.
    for (const BrightnessRange garbage : {BrightnessRange{100, 50, 0}, BrightnessRange{0, 150, 100},
                                          BrightnessRange{10, 5, 90}, BrightnessRange{7, 7, 7}}) {
        MonitorRecord odd = Record(log, {garbage});
        EXPECT_FALSE(Probe(odd)) << garbage.minimum << " " << garbage.current << " " << garbage.maximum;
    }
}

TEST(Brightness, RequestsAreClampedAndRepeatsSendNothing) {
    auto log = std::make_shared<LinkLog>();
    MonitorRecord record = Record(log, {BrightnessRange{0, 60, 100}});
    ASSERT_TRUE(Probe(record));
    EXPECT_TRUE(SetBrightness(record, 120));
    EXPECT_EQ(log->writes, (std::vector<int>{100}));
    EXPECT_FALSE(SetBrightness(record, 100)); // equal to the cached value: nothing sent
    EXPECT_FALSE(SetBrightness(record, 130));
    EXPECT_TRUE(SetBrightness(record, -5));
    EXPECT_EQ(log->writes, (std::vector<int>{100, 0}));
    EXPECT_EQ(log->reads, 1); // the range is read once and cached

    // Percents map onto other ranges and back.
    for (const BrightnessRange range : {BrightnessRange{0, 0, 100}, BrightnessRange{20, 20, 80}, BrightnessRange{0, 0, 255}}) {
        for (int percent = 0; percent <= 100; ++percent) {
            BrightnessRange at = range;
            at.current = BrightnessValue(range, percent);
            EXPECT_GE(at.current, range.minimum);
            EXPECT_LE(at.current, range.maximum);
            EXPECT_NEAR(BrightnessPercent(at), percent, range.maximum - range.minimum < 100 ? 1 : 0);
        }
    }
    EXPECT_EQ(BrightnessValue({0, 0, 100}, 250), 100);
}

// Waits (with a time-out) for the worker's reports.
struct Reports {
    std::mutex mutex;
    std::condition_variable cv;
    int count = 0;
    void Add() {
        {
            std::lock_guard lock(mutex);
            ++count;
        }
        cv.notify_all();
    }
    template <class Pred> bool WaitFor(Pred pred) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, 5s, pred);
    }
};

TEST(BrightnessWorker, ASlowMonitorNeverHoldsTheCallerAndTheLastRequestWins) {
    fakes::MemoryLog memory;
    auto log = std::make_shared<LinkLog>();
    Reports reports;
    BrightnessWorker worker(
        [log] {
            std::vector<std::vector<std::unique_ptr<MonitorLink>>> screens(2);
            screens[0].push_back(std::make_unique<FakeLink>(log, std::deque<std::optional<BrightnessRange>>{BrightnessRange{0, 30, 100}}, 200ms));
            screens[1].push_back(std::make_unique<FakeLink>(log, std::deque<std::optional<BrightnessRange>>{std::nullopt}));
            return screens;
        },
        [&reports] { reports.Add(); });
    ASSERT_TRUE(reports.WaitFor([&] { return reports.count >= 1; }));
    ASSERT_TRUE(worker.Ready());
    auto screens = worker.Snapshot();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_TRUE(screens[0].supported);
    EXPECT_EQ(screens[0].percent, 30);
    EXPECT_FALSE(screens[1].supported); // the prompt's case: no brightness there

    // A drag: many requests at once, each taking no time here although a write takes 200 ms.
    const auto start = std::chrono::steady_clock::now();
    for (int percent = 31; percent <= 70; ++percent) worker.Request(0, percent);
    worker.Request(1, 90); // a screen without brightness is left alone
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    ASSERT_TRUE(reports.WaitFor([&] { return worker.Snapshot()[0].percent == 70; }));
    std::lock_guard lock(log->mutex);
    EXPECT_LT(log->writes.size(), 5u); // coalesced, not 40 writes of 200 ms
    EXPECT_EQ(log->writes.back(), 70);
}

TEST(BrightnessWorker, ARefusedWriteIsLoggedAndKeepsTheLastValue) {
    fakes::MemoryLog memory;
    auto log = std::make_shared<LinkLog>();
    Reports reports;
    {
        BrightnessWorker worker(
            [log] {
                std::vector<std::vector<std::unique_ptr<MonitorLink>>> screens(1);
                screens[0].push_back(std::make_unique<FakeLink>(
                    log, std::deque<std::optional<BrightnessRange>>{BrightnessRange{0, 50, 100}}, 0ms, true));
                return screens;
            },
            [&reports] { reports.Add(); });
        ASSERT_TRUE(reports.WaitFor([&] { return reports.count >= 1; }));
        worker.Request(0, 80);
        // A refused write tells nobody, so this looks rather than waits to be told.
        const auto written = [&] {
            std::lock_guard lock(log->mutex);
            return !log->writes.empty();
        };
        for (int i = 0; i < 1000 && !written(); ++i) std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(written());
        // The worker ends with the object even while it waits for work.
    }
    EXPECT_EQ(memory.Count("refused the brightness 80%"), 1u);
}

TEST(BrightnessWorker, KeyStepsMoveInTheMonitorsUnitsAndStopAtItsEnds) {
    fakes::MemoryLog memory;
    auto log = std::make_shared<LinkLog>();
    Reports reports;
    BrightnessWorker worker(
        [log] {
            std::vector<std::vector<std::unique_ptr<MonitorLink>>> screens(1);
            screens[0].push_back(std::make_unique<FakeLink>(log, std::deque<std::optional<BrightnessRange>>{BrightnessRange{20, 76, 80}}));
            return screens;
        },
        [&reports] { reports.Add(); });
    ASSERT_TRUE(reports.WaitFor([&] { return reports.count >= 1; }));
    std::atomic<int> told{0};
    const auto tell = [&told, &reports] {
        ++told;
        reports.Add();
    };
    worker.Step(0, 6, tell); // 76 + 6 is held to the monitor's 80
    ASSERT_TRUE(reports.WaitFor([&] { return told == 1; }));
    {
        std::lock_guard lock(log->mutex);
        EXPECT_EQ(log->writes, (std::vector<int>{80}));
    }
    worker.Step(0, 6, tell); // already at the top: nothing sent, no indicator
    worker.Step(0, -6);      // ...then down twice, each press on its own
    worker.Step(0, -6, tell);
    ASSERT_TRUE(reports.WaitFor([&] { return worker.Snapshot()[0].percent == BrightnessPercent({20, 68, 80}); }));
    std::lock_guard lock(log->mutex);
    EXPECT_EQ(log->writes, (std::vector<int>{80, 74, 68}));
    EXPECT_EQ(told, 2);
}

} // namespace
} // namespace kestrana::menubar

namespace kestrana::menubar {
namespace {

TEST(DisplayItem, MenuOffersASliderPerAnsweringScreenOrThePrompt) {
    fakes::MemoryLog memory;
    fakes::SettingsFolder folder;
    auto log = std::make_shared<LinkLog>();
    Reports reports;
    std::vector<std::wstring> opened;
    int projected = 0;
    bool dark = false;
    const auto make = [&](bool answers) {
        return std::make_unique<BrightnessWorker>(
            [log, answers] {
                std::vector<std::vector<std::unique_ptr<MonitorLink>>> screens(2);
                screens[1].push_back(std::make_unique<FakeLink>(
                    log, std::deque<std::optional<BrightnessRange>>{answers ? std::optional(BrightnessRange{0, 40, 100})
                                                                            : std::nullopt}));
                return screens;
            },
            [&reports] { reports.Add(); });
    };
    DisplayActions actions;
    actions.open = [&](const std::wstring& uri) { opened.push_back(uri); };
    actions.project = [&] { ++projected; };
    actions.systemDark = [&] { return dark; };
    actions.setSystemDark = [&](bool on) { dark = on; };

    auto worker = make(true);
    ASSERT_TRUE(reports.WaitFor([&] { return reports.count >= 1; }));
    DisplaySource display(*worker, {L"DISPLAY1", L"DISPLAY2"}, folder.store, actions);
    gfx::Menu menu = display.Menu();
    std::vector<int> sliders;
    for (const auto& item : menu)
        if (item.slider) sliders.push_back(item.id);
    EXPECT_EQ(sliders, (std::vector<int>{display_command::kSliderFirst + 1})); // only the screen that answers
    EXPECT_EQ(display.Slide(display_command::kSliderFirst + 1, 75), 75);
    ASSERT_TRUE(reports.WaitFor([&] { return worker->Snapshot()[1].percent == 75; }));
    EXPECT_EQ(display.Slide(display_command::kSliderFirst + 7, 10), 10); // no such screen: nothing asked
    EXPECT_EQ(worker->Snapshot()[1].percent, 75);

    display.Choose(display_command::kSystemDark);
    EXPECT_TRUE(dark);
    bool darkChecked = false;
    for (const auto& item : display.Menu())
        if (item.id == display_command::kSystemDark) darkChecked = item.checked;
    EXPECT_TRUE(darkChecked);
    display.Choose(display_command::kProjection);
    display.Choose(display_command::kNightLight);
    display.Choose(display_command::kDisplaySettings);
    EXPECT_EQ(projected, 1);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"ms-settings:nightlight", L"ms-settings:display"}));

    reports.count = 0;
    auto none = make(false);
    ASSERT_TRUE(reports.WaitFor([&] { return reports.count >= 1; }));
    DisplaySource without(*none, {L"DISPLAY1", L"DISPLAY2"}, folder.store, actions);
    menu = without.Menu();
    for (const auto& item : menu) EXPECT_FALSE(item.slider);
    EXPECT_EQ(menu[1].text, L"This screen does not let its brightness be set here.");
    EXPECT_TRUE(without.Face().shown);
    EXPECT_EQ(without.ReaderValue(), L"");
}

} // namespace
} // namespace kestrana::menubar
