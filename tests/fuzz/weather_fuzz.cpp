// Feeds arbitrary bytes to the weather answer readers of both providers, forecast and
// place search. Whatever arrives, reading must neither crash nor read out of bounds, and
// a list is either left alone or filled with exactly six entries.
//
// Input: byte 0 picks the reader (bits 0-1) and the name language (bit 2); the rest is
// the answer body.
#include "weather/weather_answer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace kestrana::weather;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    const bool chinese = data[0] & 4;
    switch (data[0] & 3) {
    case 0:
    case 1: {
        const WeatherUpdate update =
            (data[0] & 3) == 0 ? ParseServiceAnswer(body, {{2024, 2, 27}, chinese}) : ParseOpenMeteoAnswer(body);
        if (update.days && update.days->size() != kForecastLength) std::abort();
        if (update.hours && update.hours->size() != kForecastLength) std::abort();
        if (!update.now && (update.days || update.hours)) std::abort();
        WeatherData data;
        if (ApplyUpdate(data, update) != update.Usable()) std::abort();
        break;
    }
    case 2:
        if (ParseServiceCities(body, chinese).size() > kMaxPlaceChoices) std::abort();
        break;
    default:
        if (ParseOpenMeteoPlaces(body).size() > kMaxPlaceChoices) std::abort();
        break;
    }
    return 0;
}
