#pragma once
// Screen brightness: one record per physical monitor of a screen, read with retries
// (monitor buses are slow and drop answers), set within the monitor's range and only
// when the value changes. The calls take tens of milliseconds each, so every record
// lives on a worker thread of its own: the user-interface thread only hands requests
// over (the last one per screen wins) and reads the last known percents.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kestrana::menubar {

struct BrightnessRange {
    int minimum = 0;
    int current = 0;
    int maximum = 100;
};

// One monitor's brightness channel (the monitor's control bus, or a built-in panel's
// driver). One call is one attempt; retrying is the record's business.
class MonitorLink {
public:
    virtual ~MonitorLink() = default;
    [[nodiscard]] virtual std::optional<BrightnessRange> Read() = 0;
    virtual bool Write(int value) = 0;
};

struct MonitorRecord {
    bool valid = false;
    BrightnessRange range; // cached after the first good read
    std::unique_ptr<MonitorLink> link;
};

inline constexpr int kBrightnessAttempts = 4;

// Reads the range; valid when one of `attempts` reads answered sensibly (a range whose
// ends are out of order, or a current value outside it, counts as no answer).
bool Probe(MonitorRecord& record, int attempts = kBrightnessAttempts);
// Sets `value` (the monitor's units) clamped to the cached range; sends nothing when it
// equals the cached current value or the record is not valid. True when sent and taken.
bool SetBrightness(MonitorRecord& record, int value);

// Percent (0..100) and the monitor's units, both ways.
[[nodiscard]] int BrightnessPercent(const BrightnessRange& range);
[[nodiscard]] int BrightnessValue(const BrightnessRange& range, int percent);

// The monitors of each screen, made on the worker (a bus may be slow even to open).
using ScreenLinks = std::function<std::vector<std::vector<std::unique_ptr<MonitorLink>>>()>;

class BrightnessWorker {
public:
    struct Screen {
        bool supported = false; // some monitor of the screen answered
        int percent = 0;        // its first answering monitor's
    };
    // `links` runs on the worker first; `changed` runs on the worker after each change
    // of the snapshot (it should only post to the user-interface thread). What
    // `threadScope` returns is held while the worker runs (the platform's per-thread
    // set-up) and let go after the links.
    using ThreadScope = std::function<std::shared_ptr<void>()>;
    BrightnessWorker(ScreenLinks links, std::function<void()> changed, ThreadScope threadScope = {});
    ~BrightnessWorker();
    BrightnessWorker(const BrightnessWorker&) = delete;
    BrightnessWorker& operator=(const BrightnessWorker&) = delete;

    // Never waits for a monitor: the request replaces any older one for the screen.
    void Request(std::size_t screen, int percent);
    // Moves the screen's monitors by `units` of their own scale, held to each monitor's
    // range (the brightness keys); steps wait their turn, each held to the range on its
    // own. `stepped` runs on the worker when a monitor took the step's new value.
    void Step(std::size_t screen, int units, std::function<void()> stepped = {});
    [[nodiscard]] std::vector<Screen> Snapshot() const;
    // True once the first probe of every monitor is over.
    [[nodiscard]] bool Ready() const;

private:
    void Run(ScreenLinks links, const ThreadScope& threadScope);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    struct Pending {
        struct KeyStep {
            int units = 0;
            std::function<void()> stepped;
        };
        std::optional<int> percent;
        std::vector<KeyStep> steps;
        [[nodiscard]] bool Any() const { return percent.has_value() || !steps.empty(); }
    };
    std::vector<Pending> m_pending; // by screen
    std::vector<Screen> m_screens;
    bool m_ready = false;
    bool m_stop = false;
    std::function<void()> m_changed;
    std::thread m_thread;
};

} // namespace kestrana::menubar
