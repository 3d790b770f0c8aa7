#pragma once
// Names of the crash dumps the program writes next to itself.

#include <string>

namespace kestrana::foundation {

struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// year_month_day_hour_minute_second_<version>_error.dmp, plain numbers without leading
// zeros: 2026_12_4_9_5_7_0.1.0_error.dmp.
[[nodiscard]] std::wstring CrashDumpName(const LocalTime& time, const std::wstring& version);

// "2026_12_4": a dump whose name holds today's stamp is kept at start, others are removed.
[[nodiscard]] std::wstring DumpDateStamp(const LocalTime& time);

} // namespace kestrana::foundation
