#pragma once
// Calendar dates without a time zone: the day number the sun-time formula counts from,
// and the day-by-day stepping the forecast days are dated with.

#include <optional>
#include <string_view>

namespace kestrana::weather {

struct CivilDate {
    int year = 2000;
    int month = 1; // 1 to 12
    int day = 1;
    bool operator==(const CivilDate&) const = default;
};

// Gregorian rule: every fourth year, but not centuries unless divisible by 400.
[[nodiscard]] bool IsLeapYear(int year);
[[nodiscard]] int DaysInMonth(int year, int month);
// The sun formula's day count: 1 January 2000 is 1, 1 March 2024 is 8826. It rises by
// one a day from 2001 on; earlier years count as zero whole years.
[[nodiscard]] int DayNumber(const CivilDate& date);
// The date `days` days after `date` (days >= 0). Forecast days are stepped as the
// weather service dates them: February has 29 days in every year divisible by four.
[[nodiscard]] CivilDate ForecastDay(const CivilDate& date, int days);
// 0 = Sunday ... 6 = Saturday (proleptic Gregorian).
[[nodiscard]] int Weekday(const CivilDate& date);
// "YYYY-MM-DD" at the start of the text (an ISO date or date-time); nullopt when it is
// not a real date.
[[nodiscard]] std::optional<CivilDate> ParseIsoDate(std::string_view text);

} // namespace kestrana::weather
