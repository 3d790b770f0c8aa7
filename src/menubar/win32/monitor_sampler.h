#pragma once
// The monitors' sampler: one worker thread that reads the CPU, memory, disk and network
// when the bar's 2-second timer asks, puts the readings on the shared board and posts
// which items changed back to the first bar. The user-interface thread never waits for
// a counter; a tick that finds the previous sample still running is dropped.

#include "menubar/monitors.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace kestrana::menubar::win32 {

// Posted to the first bar by the worker: wParam = the kinds whose items changed, lParam =
// the kinds whose pop-up rows changed (KindBit).
inline constexpr UINT kMsgMonitors = WM_APP + 60;
// From and to the temperature reader (fixed numbers both sides know).
inline constexpr UINT kMsgReaderValues = 49999;
inline constexpr UINT kMsgReaderSensors = 49998;

// The readings' sources (counter query, system times, memory status, interface table),
// used by one thread at a time: the sampler's worker.
class MonitorReaders {
public:
    explicit MonitorReaders(bool countersOff);
    ~MonitorReaders();
    MonitorReaders(const MonitorReaders&) = delete;
    MonitorReaders& operator=(const MonitorReaders&) = delete;
    // `details`: the kinds (KindBit) whose pop-up is open and wants its rows; `items`: the
    // kinds shown (the readings of the others are not taken).
    [[nodiscard]] MonitorSample Sample(std::uint32_t details = 0, std::uint32_t items = ~0u);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class MonitorSampler {
public:
    // `countersOff`: never open performance counters (the CPU comes from system times and
    // the disk reads 0), for systems whose counters lie.
    MonitorSampler(std::shared_ptr<MonitorBoard> board, bool countersOff);
    ~MonitorSampler();
    MonitorSampler(const MonitorSampler&) = delete;
    MonitorSampler& operator=(const MonitorSampler&) = delete;

    // Hands one sample to the worker; false when the last one is still running.
    // `details`: the kinds whose open pop-up wants its rows gathered too.
    bool Request(const DisplayTypes& types, bool force, std::uint32_t details, HWND target);

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};

// The pop-ups' facts from the registry and the IP helper.
class SystemMonitorFacts final : public MonitorFacts {
public:
    std::wstring ProcessorName() override;
    // Kept for a few seconds: an open network pop-up asks again with every new rate.
    std::vector<std::wstring> Addresses(bool ipv6) override;

private:
    std::vector<std::wstring> ReadAddresses(bool ipv6);
    struct Kept {
        ULONGLONG atMs = 0;
        std::vector<std::wstring> addresses;
    };
    Kept m_kept[2];
};

} // namespace kestrana::menubar::win32
