#pragma once
// Reading the two providers' JSON answers into one model: the configured service's
// forecast and city search, and the free provider's forecast and geocoding search.
// Nothing here trusts the answer: wrong types, short arrays and oversized bodies are
// reported as problems and leave the affected part of the data as it was.

#include "weather/civil_date.h"
#include "weather/weather_data.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrana::weather {

// Larger answers are refused unread; a real forecast is a few tens of kilobytes.
inline constexpr std::size_t kMaxAnswerBytes = 1024 * 1024;

struct ServiceAnswerContext {
    CivilDate today;            // the first forecast day
    bool chineseNames = false;  // the system locale is Chinese (simplified)
};

[[nodiscard]] WeatherUpdate ParseServiceAnswer(std::string_view body, const ServiceAnswerContext& context);
[[nodiscard]] WeatherUpdate ParseOpenMeteoAnswer(std::string_view body);

// One result of a place search.
struct PlaceChoice {
    std::wstring coordinates; // "lon,lat"
    std::wstring name;
    bool operator==(const PlaceChoice&) const = default;
};

inline constexpr std::size_t kMaxPlaceChoices = 20;

[[nodiscard]] std::vector<PlaceChoice> ParseServiceCities(std::string_view body, bool chineseNames);
[[nodiscard]] std::vector<PlaceChoice> ParseOpenMeteoPlaces(std::string_view body);

// "21°": numbers rounded to whole degrees, texts as sent.
[[nodiscard]] std::wstring DegreesText(std::wstring_view number);

} // namespace kestrana::weather
