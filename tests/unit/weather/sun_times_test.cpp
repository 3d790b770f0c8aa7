#include "weather/civil_date.h"
#include "weather/sun_times.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace kestrana::weather {
namespace {

TEST(CivilDate, DayNumberCountsFromTheFirstOf2000AndAgreesWithDayStepping) {
    EXPECT_EQ(DayNumber({2000, 1, 1}), 1);
    EXPECT_EQ(DayNumber({2024, 3, 1}), 8826);
    EXPECT_EQ(Weekday({2000, 1, 1}), 6); // a Saturday
    // Step through a century day by day with an independent Gregorian stepper: the day
    // number must grow by one each day and the weekday must turn once a week.
    CivilDate d{2001, 1, 1};
    int weekday = Weekday(d);
    for (int n = DayNumber(d); n < 36600; ++n) {
        ASSERT_EQ(DayNumber(d), n) << d.year << "-" << d.month << "-" << d.day;
        if (++d.day > DaysInMonth(d.year, d.month)) {
            d.day = 1;
            if (++d.month > 12) d = {d.year + 1, 1, 1};
        }
        weekday = (weekday + 1) % 7;
        ASSERT_EQ(Weekday(d), weekday);
    }
}

TEST(CivilDate, ForecastDaysCrossMonthAndYearEnds) {
    struct Case {
        CivilDate from;
        int days;
        CivilDate expected;
    };
    for (const Case& c : {Case{{2024, 2, 28}, 1, {2024, 2, 29}}, Case{{2023, 2, 28}, 1, {2023, 3, 1}},
                          Case{{2024, 2, 27}, 5, {2024, 3, 3}}, Case{{2024, 12, 30}, 5, {2025, 1, 4}},
                          Case{{2025, 4, 30}, 1, {2025, 5, 1}}, Case{{2025, 1, 31}, 1, {2025, 2, 1}},
                          // The service dates every fourth year's February with 29 days.
                          Case{{2100, 2, 28}, 1, {2100, 2, 29}}}) {
        EXPECT_EQ(ForecastDay(c.from, c.days), c.expected) << c.from.year << "-" << c.from.month << "-" << c.from.day;
    }
    for (int year = 2001; year < 2100; ++year)
        for (int month = 1; month <= 12; ++month) {
            const CivilDate start{year, month, DaysInMonth(year, month) - 2};
            for (int i = 0; i < 6; ++i) ASSERT_EQ(DayNumber(ForecastDay(start, i)), DayNumber(start) + i);
        }
}

TEST(CivilDate, IsoDatesAreReadOnlyWhenReal) {
    EXPECT_EQ(ParseIsoDate("2024-02-29T07:31"), (CivilDate{2024, 2, 29}));
    for (const char* bad : {"2023-02-29", "2024-13-01", "2024-00-10", "2024-1-01", "24-01-01", "2024/01/01", "", "2024-01-0x"})
        EXPECT_FALSE(ParseIsoDate(bad)) << bad;
}

TEST(SunTimes, ZoneComesFromTheLongitudeAlone) {
    for (const auto& [longitude, zone] : {std::pair{116.4, 8}, {-73.9, -5}, {0.0, 1}, {-0.1278, -1}, {14.9, 1}, {15.0, 2}, {179.9, 12}})
        EXPECT_EQ(SunTimeZone(longitude), zone) << longitude;
}

// Sunrise and sunset in minutes after midnight UTC from NOAA's solar calculator (negative:
// the evening before). The formula is simpler than NOAA's, so a few minutes apart is fine.
struct NoaaCase {
    const char* place;
    GeoPosition position;
    CivilDate date;
    int riseUtc;
    int setUtc;
};

TEST(SunTimes, AgreeWithNoaaAtSolsticesAndEquinoxes) {
    const GeoPosition beijing{39.90469, 116.40717}, london{51.5074, -0.1278};
    const NoaaCase cases[] = {
        {"Beijing", beijing, {2024, 3, 20}, -102, 626},  {"Beijing", beijing, {2024, 6, 21}, -194, 706},
        {"Beijing", beijing, {2024, 9, 22}, -118, 611},  {"Beijing", beijing, {2024, 12, 21}, -28, 533},
        {"London", london, {2024, 3, 20}, 362, 1094},    {"London", london, {2024, 6, 21}, 223, 1222},
        {"London", london, {2024, 9, 22}, 347, 1078},    {"London", london, {2024, 12, 21}, 484, 954},
    };
    for (const NoaaCase& c : cases) {
        const auto times = ComputeSunTimes(c.position, c.date);
        ASSERT_TRUE(times) << c.place;
        const int zoneMinutes = SunTimeZone(c.position.longitude) * 60;
        const auto minutes = [](ClockTime t) { return t.hour * 60 + t.minute; };
        EXPECT_NEAR(minutes(times->sunrise), c.riseUtc + zoneMinutes, 3) << c.place << " sunrise " << c.date.month;
        EXPECT_NEAR(minutes(times->sunset), c.setUtc + zoneMinutes, 3) << c.place << " sunset " << c.date.month;
        EXPECT_LT(times->sunrise.minute, 60);
        EXPECT_GE(times->sunrise.minute, 0);
    }
}

TEST(SunTimes, PolarDayAndNightGiveNoTimesInsteadOfLooping) {
    const GeoPosition tromso{69.6492, 18.9553};
    EXPECT_FALSE(ComputeSunTimes(tromso, {2024, 6, 21}));
    EXPECT_FALSE(ComputeSunTimes(tromso, {2024, 12, 21}));
    EXPECT_TRUE(ComputeSunTimes(tromso, {2024, 3, 20}));
}

TEST(SunTimes, StoredTextsAndTheNightTest) {
    EXPECT_EQ(FormatClockTime({6, 7}), L"6:7");
    EXPECT_EQ(ParseClockTime(FormatClockTime({18, 0})), (ClockTime{18, 0}));
    EXPECT_EQ(ParseClockTime(L"07:05"), (ClockTime{7, 5}));
    for (const wchar_t* bad : {L"", L"6", L":5", L"6:", L"a:5", L"6:5:1", L"-1:5"}) EXPECT_FALSE(ParseClockTime(bad)) << bad;

    const SunTimes sun{{7, 30}, {16, 50}};
    EXPECT_TRUE(IsNightHour(6, sun));
    EXPECT_FALSE(IsNightHour(7, sun));
    EXPECT_FALSE(IsNightHour(15, sun));
    EXPECT_TRUE(IsNightHour(16, sun));
    // An unset pair (hour 0) stands for 6:00 and 18:00.
    EXPECT_FALSE(IsNightHour(17, SunTimes{{0, 0}, {0, 0}}));
    EXPECT_TRUE(IsNightHour(18, SunTimes{{0, 0}, {0, 0}}));
    EXPECT_TRUE(IsNightHour(5, SunTimes{{0, 0}, {20, 0}}));

    const SunTimes minutes{{6, 40}, {18, 20}};
    for (const auto& [hour, minute, night] : {std::tuple{6, 39, true}, {6, 40, false}, {18, 19, false}, {18, 20, true},
                                              {0, 0, true}, {12, 0, false}, {23, 59, true}, {5, 59, true}})
        EXPECT_EQ(IsNightAt(hour, minute, minutes), night) << hour << ":" << minute;
    EXPECT_TRUE(IsNightAt(18, 0, SunTimes{}));
    EXPECT_FALSE(IsNightAt(6, 0, SunTimes{}));
}

} // namespace
} // namespace kestrana::weather
