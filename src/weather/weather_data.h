#pragma once
// What the weather item shows: the current conditions and two short forecasts, filled
// from either provider's answer. Condition codes are our own (see weather_codes.h).

#include "weather/civil_date.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrana::weather {

inline constexpr std::size_t kForecastLength = 6;

struct WeatherNow {
    std::wstring temperature; // "21°"
    std::wstring code;        // condition code
    std::wstring sunrise;     // "H:M" as the service gives it; may be empty
    std::wstring sunset;
    bool operator==(const WeatherNow&) const = default;
};

struct WeatherDay {
    CivilDate date;
    std::wstring dayCode;
    std::wstring nightCode;
    std::wstring maxTemperature; // "25°"
    std::wstring minTemperature;
    bool operator==(const WeatherDay&) const = default;
};

struct WeatherHour {
    std::wstring hour; // "14"
    std::wstring code;
    std::wstring temperature;
    bool operator==(const WeatherHour&) const = default;
};

struct WeatherData {
    std::optional<WeatherNow> now; // empty until the first good answer
    std::vector<WeatherDay> days;
    std::vector<WeatherHour> hours;
    bool operator==(const WeatherData&) const = default;
};

// One parsed answer. A part that was missing or malformed stays empty, so applying the
// update keeps what the item showed before; `problems` says why, for the log.
struct WeatherUpdate {
    std::optional<WeatherNow> now;
    std::optional<std::vector<WeatherDay>> days;
    std::optional<std::vector<WeatherHour>> hours;
    std::wstring placeName; // the service's own name for the place, when it gives one
    std::vector<std::string> problems;
    [[nodiscard]] bool Usable() const { return now.has_value(); }
};

// Takes over the parts the update carries; an update without current conditions is
// refused as a whole. True when anything was taken.
bool ApplyUpdate(WeatherData& data, const WeatherUpdate& update);

} // namespace kestrana::weather
