#include "foundation/win32/process_clock.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace kestrana::win32 {
namespace {

std::atomic<std::int64_t> g_entry{0}; // 100 ns units of the system time; 0 before entry

std::int64_t NowTicks() noexcept {
    // The precise clock where the system has it; the plain one ticks in 15 ms steps on Windows.
    using PreciseFn = void(WINAPI*)(FILETIME*);
    static const auto precise =
        kestrana::win32::LoadedFunction<PreciseFn>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    FILETIME now{};
    if (precise) precise(&now);
    else ::GetSystemTimeAsFileTime(&now);
    return (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

} // namespace

void MarkProgramEntry() noexcept { g_entry.store(NowTicks()); }

double MsSinceProcessCreated() noexcept {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const std::int64_t start = (static_cast<std::int64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return static_cast<double>(NowTicks() - start) / 10000.0;
}

double MsSinceProgramEntry() noexcept {
    const std::int64_t entry = g_entry.load();
    return entry ? static_cast<double>(NowTicks() - entry) / 10000.0 : 0.0;
}

void LogStartupStep(std::wstring_view step) noexcept {
    if (!foundation::DetailLogging()) return;
    try {
        wchar_t figures[96] = {};
        std::swprintf(figures, std::size(figures), L": %.1f ms after entry (%.1f ms after the process was created)",
                      MsSinceProgramEntry(), MsSinceProcessCreated());
        foundation::LogDetail("start-up", std::wstring(step) + figures);
    } catch (...) {
        foundation::LogCaught("start-up step");
    }
}

} // namespace kestrana::win32
