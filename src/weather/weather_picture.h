#pragma once
// The weather item's picture and the weather view's panel, drawn into bitmaps: a
// condition glyph (or the condition's picture file when the folder has one) with the
// temperature, and the place, now, the hours and the days.

#include "gfx/bitmap.h"
#include "gfx/text_renderer.h"
#include "weather/sun_times.h"
#include "weather/weather_data.h"

#include <functional>
#include <string>

namespace kestrana::weather {

// Picture of a condition code; an empty bitmap when there is no file for it.
using ConditionPictureSource = std::function<gfx::Bitmap(const std::wstring& code, bool night)>;

// The dock item: `size` square; without data the glyph of an unknown sky and no text.
[[nodiscard]] gfx::Bitmap DrawWeatherPicture(const WeatherData& data, bool night, gfx::TextRenderer& text,
                                             const ConditionPictureSource& pictures, int size);

struct WeatherPanelTexts {
    std::wstring place;
    std::wstring condition;                      // the current condition's text
    std::function<std::wstring(const CivilDate&)> weekday; // "Mon"
    std::wstring sunrise = L"Sunrise";
    std::wstring sunset = L"Sunset";
    std::wstring attribution;                    // empty when the provider asks for none
    std::wstring noData = L"No weather data yet";
};

// The pop-up view's content, `width` wide; its height follows the content.
[[nodiscard]] gfx::Bitmap DrawWeatherPanel(const WeatherData& data, const WeatherPanelTexts& texts, int hour,
                                           const SunTimes& sun, gfx::TextRenderer& text,
                                           const ConditionPictureSource& pictures, int width);

// What a screen reader hears as the item's value: "21°, Clear".
[[nodiscard]] std::wstring WeatherSummary(const WeatherData& data, const std::wstring& conditionText);

} // namespace kestrana::weather
