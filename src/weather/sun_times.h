#pragma once
// Sunrise and sunset from the machine's position, computed locally so that the clock
// skin's night pictures work without a network.

#include "weather/civil_date.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::weather {

struct ClockTime {
    int hour = 0;
    int minute = 0;
    bool operator==(const ClockTime&) const = default;
};

struct SunTimes {
    ClockTime sunrise;
    ClockTime sunset;
    bool operator==(const SunTimes&) const = default;
};

struct GeoPosition {
    double latitude = 0;  // degrees, north positive
    double longitude = 0; // degrees, east positive
    [[nodiscard]] bool Known() const { return latitude != 0 || longitude != 0; }
};

// Used whenever the position is unknown or a stored pair is unset (hour 0).
inline constexpr SunTimes kDefaultSunTimes{{6, 0}, {18, 0}};

// The zone the times are given in, from the longitude alone: 116.4 gives 8, -73.9 gives
// -5, 0 gives 1. The machine's own zone is deliberately not used.
[[nodiscard]] int SunTimeZone(double longitude);
// The event's universal time in degrees (15 per hour, may lie outside 0..360), or
// nullopt when the sun does not cross the horizon that day (polar day or night).
[[nodiscard]] std::optional<double> SunEventDegrees(const GeoPosition& position, const CivilDate& date, bool sunrise);
// Both events in the longitude's zone; nullopt in polar day or night.
[[nodiscard]] std::optional<SunTimes> ComputeSunTimes(const GeoPosition& position, const CivilDate& date);

// "6:7": hour and minute, plain decimal, as the settings keep them.
[[nodiscard]] std::wstring FormatClockTime(ClockTime time);
// "H:M" with digits only on both sides; nullopt otherwise.
[[nodiscard]] std::optional<ClockTime> ParseClockTime(std::wstring_view text);
// A stored pair whose hour is 0 counts as unset and gives the default.
[[nodiscard]] SunTimes EffectiveSunTimes(const SunTimes& stored);
// Night is before the sunrise hour or from the sunset hour on (whole hours, as the
// weather pictures choose their night variant).
[[nodiscard]] bool IsNightHour(int hour, const SunTimes& sun);
// To the minute, as the clock skin switches: night from the sunset minute on and before
// the sunrise minute (with 6:40 and 18:20, 6:39 and 18:20 are night, 6:40 and 18:19 day).
[[nodiscard]] bool IsNightAt(int hour, int minute, const SunTimes& sun);

} // namespace kestrana::weather
