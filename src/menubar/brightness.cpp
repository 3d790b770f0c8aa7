#include "menubar/brightness.h"

#include "foundation/diagnostic_log.h"
#include "foundation/hotkeys.h"

#include <algorithm>

namespace kestrana::menubar {

bool Probe(MonitorRecord& record, int attempts) {
    record.valid = false;
    if (!record.link) return false;
    for (int i = 0; i < attempts; ++i) {
        const auto range = record.link->Read();
        if (!range || range->minimum >= range->maximum || range->current < range->minimum ||
            range->current > range->maximum)
            continue;
        record.range = *range;
        record.valid = true;
        return true;
    }
    return false;
}

bool SetBrightness(MonitorRecord& record, int value) {
    if (!record.valid || !record.link) return false;
    value = std::clamp(value, record.range.minimum, record.range.maximum);
    if (value == record.range.current) return false;
    if (!record.link->Write(value)) return false;
    record.range.current = value;
    return true;
}

int BrightnessPercent(const BrightnessRange& range) {
    const int span = range.maximum - range.minimum;
    if (span <= 0) return 0;
    const int offset = std::clamp(range.current, range.minimum, range.maximum) - range.minimum;
    return (offset * 100 + span / 2) / span;
}

int BrightnessValue(const BrightnessRange& range, int percent) {
    const int span = std::max(0, range.maximum - range.minimum);
    return range.minimum + (std::clamp(percent, 0, 100) * span + 50) / 100;
}

BrightnessWorker::BrightnessWorker(ScreenLinks links, std::function<void()> changed, ThreadScope threadScope)
    : m_changed(std::move(changed)) {
    m_thread = std::thread([this, links = std::move(links), threadScope = std::move(threadScope)]() mutable {
        try {
            Run(std::move(links), threadScope);
        } catch (...) {
            foundation::LogCaught("brightness worker");
        }
    });
}

BrightnessWorker::~BrightnessWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void BrightnessWorker::Request(std::size_t screen, int percent) {
    {
        std::lock_guard lock(m_mutex);
        if (screen >= m_pending.size()) m_pending.resize(screen + 1);
        // A slider's value says where the user wants it: earlier key steps no longer count.
        m_pending[screen].percent = std::clamp(percent, 0, 100);
        m_pending[screen].steps.clear();
    }
    m_wake.notify_all();
}

void BrightnessWorker::Step(std::size_t screen, int units, std::function<void()> stepped) {
    {
        std::lock_guard lock(m_mutex);
        if (screen >= m_pending.size()) m_pending.resize(screen + 1);
        // A held key repeats faster than a slow bus answers: past a few, presses are dropped.
        auto& steps = m_pending[screen].steps;
        if (steps.size() < 16) steps.push_back({units, std::move(stepped)});
    }
    m_wake.notify_all();
}

std::vector<BrightnessWorker::Screen> BrightnessWorker::Snapshot() const {
    std::lock_guard lock(m_mutex);
    return m_screens;
}

bool BrightnessWorker::Ready() const {
    std::lock_guard lock(m_mutex);
    return m_ready;
}

void BrightnessWorker::Run(ScreenLinks links, const ThreadScope& threadScope) {
    const std::shared_ptr<void> scope = threadScope ? threadScope() : nullptr;
    // Everything that talks to a monitor stays on this thread.
    std::vector<std::vector<MonitorRecord>> records;
    for (auto& screenLinks : links ? links() : decltype(links()){}) {
        std::vector<MonitorRecord> screen;
        for (auto& link : screenLinks) {
            MonitorRecord record;
            record.link = std::move(link);
            if (!Probe(record)) foundation::LogDetail("brightness", "a monitor gave no brightness in 4 attempts");
            screen.push_back(std::move(record));
        }
        records.push_back(std::move(screen));
    }
    const auto snapshot = [&records] {
        std::vector<Screen> screens;
        for (const auto& screen : records) {
            Screen s;
            for (const auto& r : screen) {
                if (!r.valid) continue;
                s.supported = true;
                s.percent = BrightnessPercent(r.range);
                break;
            }
            screens.push_back(s);
        }
        return screens;
    };
    {
        std::lock_guard lock(m_mutex);
        m_screens = snapshot();
        m_ready = true;
    }
    if (m_changed) m_changed();
    for (;;) {
        std::vector<Pending> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] {
                return m_stop || std::any_of(m_pending.begin(), m_pending.end(), [](const Pending& p) { return p.Any(); });
            });
            if (m_stop) return;
            work.swap(m_pending);
        }
        bool changed = false;
        for (std::size_t i = 0; i < work.size() && i < records.size(); ++i) {
            const Pending& pending = work[i];
            for (MonitorRecord& record : records[i]) {
                if (!record.valid || !pending.percent) continue;
                const int value = BrightnessValue(record.range, *pending.percent);
                if (SetBrightness(record, value)) changed = true;
                else if (value != record.range.current)
                    foundation::LogFailure("brightness", "a monitor refused the brightness " + std::to_string(*pending.percent) + "%");
            }
            for (const auto& step : pending.steps) {
                bool stepped = false;
                for (MonitorRecord& record : records[i]) {
                    if (!record.valid) continue;
                    // Already at an end: nothing is sent and nobody is told.
                    const auto value = foundation::SteppedBrightness(record.range.current, record.range.minimum,
                                                                     record.range.maximum, step.units);
                    if (!value) continue;
                    if (SetBrightness(record, *value)) changed = stepped = true;
                    else foundation::LogFailure("brightness", "a monitor refused a brightness step");
                }
                if (stepped && step.stepped) step.stepped();
            }
        }
        if (!changed) continue;
        {
            std::lock_guard lock(m_mutex);
            m_screens = snapshot();
        }
        if (m_changed) m_changed();
    }
}

} // namespace kestrana::menubar
