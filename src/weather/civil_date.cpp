#include "weather/civil_date.h"

namespace kestrana::weather {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int ServiceMonthDays(int year, int month) {
    if (month == 2) return year % 4 == 0 ? 29 : 28;
    return kMonthDays[month - 1];
}

} // namespace

bool IsLeapYear(int year) {
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 0;
    if (month == 2 && IsLeapYear(year)) return 29;
    return kMonthDays[month - 1];
}

int DayNumber(const CivilDate& date) {
    // 2000 counts as a common year here: the sun formula's epoch is noon of 1 January
    // 2000, and this keeps later dates on the day it expects (1 March 2024 is 8826).
    int n = 0;
    for (int y = 2000; y < date.year; ++y) n += (y != 2000 && IsLeapYear(y)) ? 366 : 365;
    for (int m = 1; m < date.month && m <= 12; ++m) n += DaysInMonth(date.year, m);
    return n + date.day;
}

CivilDate ForecastDay(const CivilDate& date, int days) {
    CivilDate d = date;
    if (d.month < 1 || d.month > 12) return d;
    for (int i = 0; i < days; ++i) {
        if (++d.day > ServiceMonthDays(d.year, d.month)) {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
    }
    return d;
}

int Weekday(const CivilDate& date) {
    // Days since 1970-01-01 (a Thursday) by the civil-from-days inverse.
    const int y = date.year - (date.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (date.month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + date.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = long(era) * 146097 + doe - 719468;
    const long w = (days + 4) % 7;
    return int(w < 0 ? w + 7 : w);
}

std::optional<CivilDate> ParseIsoDate(std::string_view text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const auto digits = [&](std::size_t at, std::size_t count) -> int {
        int v = 0;
        for (std::size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9') return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const CivilDate d{digits(0, 4), digits(5, 2), digits(8, 2)};
    if (d.year < 0 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysInMonth(d.year, d.month)) return std::nullopt;
    return d;
}

} // namespace kestrana::weather
