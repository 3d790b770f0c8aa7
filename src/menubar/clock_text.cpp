#include "menubar/clock_text.h"

#include "foundation/config_store.h"
#include "menubar/bar_geometry.h"

#include <cstdlib>

namespace kestrana::menubar {

ClockPatterns LoadClockPatterns(const foundation::ConfigStore& store) {
    constexpr std::wstring_view section = L"findertime";
    ClockPatterns p;
    p.date = store.ReadInt(section, L"datefmt_customenable") == 1 ? store.ReadString(section, L"datefmt_custom")
                                                                  : store.ReadString(section, L"datefmt");
    p.time = store.ReadInt(section, L"timefmt_customenable") == 1 ? store.ReadString(section, L"timefmt_custom")
                                                                  : store.ReadString(section, L"timefmt", L"HH:mm");
    return p;
}

std::wstring BuildClockText(const ClockPatterns& patterns, ClockFormatter& formatter, const foundation::LocalTime& time) {
    std::wstring text;
    if (!patterns.date.empty()) text = formatter.FormatDate(patterns.date, time).value_or(L"") + L" ";
    // An empty time pattern (a custom one left blank) shows nothing for the time.
    if (!patterns.time.empty()) text += formatter.FormatTime(patterns.time, time).value_or(L"");
    return text;
}

std::optional<std::wstring> ClockTicker::Update(const foundation::LocalTime& now, bool force, ClockFormatter& formatter) {
    if (m_patterns.time.find(L":s") != std::wstring::npos) force = true;
    if (!force && now.second != 0 && now.minute == m_lastMinute) return std::nullopt;
    m_lastMinute = now.minute;
    return BuildClockText(m_patterns, formatter, now);
}

int ClockWidth(int currentWidth, int textWidth, int barHeight, float scale) {
    const int wanted = textWidth + barHeight;
    if (currentWidth > 0 && std::abs(wanted - currentWidth) < Scaled(8.0f, scale)) return currentWidth;
    return wanted;
}

namespace {
std::vector<std::wstring> Presets(const foundation::ConfigStore& store, std::wstring_view section) {
    std::vector<std::wstring> values;
    store.ReadSection(section, L"lang\\" + store.CurrentLanguage(), nullptr, &values);
    return values;
}
} // namespace

std::vector<std::wstring> DatePresets(const foundation::ConfigStore& store) { return Presets(store, L"formatdate"); }
std::vector<std::wstring> TimePresets(const foundation::ConfigStore& store) { return Presets(store, L"formattime"); }

void RunClockLoop(const ClockLoopPorts& ports) {
    auto stopped = [&] { return ports.stop && ports.stop->load(); };
    auto paused = [&] { return ports.paused && ports.paused->load(); };
    ports.update(true);
    const int startSecond = ports.second();
    while (!stopped() && ports.second() == startSecond) ports.sleepMs(100);
    std::int64_t wait = 1000;
    while (!stopped()) {
        if (!paused()) {
            const std::int64_t began = ports.nowMs();
            const bool minuteStarts = ports.second() == 0;
            ports.update(false);
            if (ports.afterTick) ports.afterTick();
            if (minuteStarts && ports.minuteStarted) ports.minuteStarted();
            wait = 1000 - (ports.nowMs() - began);
        }
        // A tick that took longer than a second is followed by the next at once.
        if (wait > 0 && wait <= 1000) ports.sleepMs(wait);
    }
}

} // namespace kestrana::menubar
