#pragma once
// The clock item's text: the date and time patterns from the settings, the text built
// with the system's formatting, when a tick has to redraw it, how the item's width
// follows the text, and the loop of the clock thread.

#include "foundation/crash_dump.h" // LocalTime

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

struct ClockPatterns {
    std::wstring date; // empty: the time alone
    std::wstring time;
    bool operator==(const ClockPatterns&) const = default;
};

// The effective patterns from section "findertime" (the custom ones when enabled).
[[nodiscard]] ClockPatterns LoadClockPatterns(const foundation::ConfigStore& store);

// Formats with the system's date and time pictures in the user's locale; nullopt when
// the system refuses the pattern (or the result would not fit in 100 characters).
class ClockFormatter {
public:
    virtual ~ClockFormatter() = default;
    [[nodiscard]] virtual std::optional<std::wstring> FormatDate(const std::wstring& pattern,
                                                                 const foundation::LocalTime& time) = 0;
    [[nodiscard]] virtual std::optional<std::wstring> FormatTime(const std::wstring& pattern,
                                                                 const foundation::LocalTime& time) = 0;
};

// The date, a space and the time; the time alone without a date pattern.
[[nodiscard]] std::wstring BuildClockText(const ClockPatterns& patterns, ClockFormatter& formatter,
                                          const foundation::LocalTime& time);

// Decides, tick by tick, whether the clock needs a new text. Shared by every bar.
class ClockTicker {
public:
    void SetPatterns(ClockPatterns patterns) { m_patterns = std::move(patterns); }
    [[nodiscard]] const ClockPatterns& Patterns() const { return m_patterns; }
    // A pattern with seconds redraws every tick; otherwise only a forced tick, second 0
    // and a minute other than the last drawn one do. The new text, or nullopt.
    [[nodiscard]] std::optional<std::wstring> Update(const foundation::LocalTime& now, bool force,
                                                     ClockFormatter& formatter);

private:
    ClockPatterns m_patterns;
    int m_lastMinute = -1;
};

// The item's width for a text: text width + bar height, but a change of less than
// 8 x scale keeps the current width (digits of different widths must not shake the row).
[[nodiscard]] int ClockWidth(int currentWidth, int textWidth, int barHeight, float scale);

// The date presets (section "formatdate") and time presets ("formattime") of the
// language file, in file order.
[[nodiscard]] std::vector<std::wstring> DatePresets(const foundation::ConfigStore& store);
[[nodiscard]] std::vector<std::wstring> TimePresets(const foundation::ConfigStore& store);

// What the clock thread needs; the program passes the system's clock and sleep, the
// tests a fake one.
struct ClockLoopPorts {
    std::function<std::int64_t()> nowMs;   // a steady tick count
    std::function<int()> second;           // the wall clock's second, 0..59
    std::function<void(std::int64_t)> sleepMs;
    std::function<void(bool force)> update;
    std::function<void()> afterTick;       // the bar-opacity refresh, when the theme has one
    std::function<void()> minuteStarted;   // the tasks of second 0: the day/night check and the hourly ones
    const std::atomic<bool>* paused = nullptr;
    const std::atomic<bool>* stop = nullptr;
};

// Draws at once, waits for the next second boundary (polling every 100 ms), then ticks
// once a second until stopped, sleeping 1000 ms minus what the tick took.
void RunClockLoop(const ClockLoopPorts& ports);

} // namespace kestrana::menubar
