// Cost of the live items' frames and of taking a forecast in: a clock frame from a skin
// at the item's 256-pixel size (the goal is 0.5 ms), a calendar frame from a skin with
// turned texts, the battery item, the weather item's picture, the view's panel, and
// reading the free provider's recorded answer (done on a worker).
#include "dock/live_pictures.h"
#include "gfx/builtin_text_renderer.h"
#include "gfx/canvas.h"
#include "weather/weather_answer.h"
#include "weather/weather_picture.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

using namespace kestrana;

gfx::Bitmap Filled(int size, gfx::Color colour, float inset) {
    gfx::Bitmap b(size, size);
    gfx::Canvas canvas(b);
    const float s = float(size);
    canvas.FillRoundedRect({s * inset, s * inset, s * (1 - 2 * inset), s * (1 - 2 * inset)}, s * 0.1f, colour);
    return b;
}

void ClockFrame(benchmark::State& state) {
    dock::ClockSkinPictures skin;
    skin.face = Filled(256, {240, 240, 245, 255}, 0.05f);
    skin.hour = Filled(256, {30, 30, 30, 255}, 0.47f);
    skin.minute = Filled(256, {30, 30, 30, 255}, 0.48f);
    skin.second = Filled(256, {220, 40, 40, 255}, 0.49f);
    int second = 0;
    for (auto _ : state) {
        auto frame = dock::DrawClockPicture(skin, 10, 7, second, true, 256);
        second = (second + 1) % 60;
        benchmark::DoNotOptimize(frame);
    }
}

void CalendarFrame(benchmark::State& state) {
    gfx::BuiltinTextRenderer text;
    const gfx::Bitmap page = Filled(256, {30, 80, 220, 255}, 0.05f);
    themes::CalendarSkin skin;
    skin.rotate = -8;
    skin.month = {L"", 40, 0xFFFFFFFFu, themes::SkinAlign::Centre, 0, 20};
    skin.day = {L"", 120, 0xFFFFFFFFu, themes::SkinAlign::Centre, 0, 80};
    int day = 1;
    for (auto _ : state) {
        auto frame = dock::DrawSkinnedCalendar(page, skin, text, L"Dec", day, 256);
        day = day % 31 + 1;
        benchmark::DoNotOptimize(frame);
    }
}

void BatteryFrame(benchmark::State& state) {
    gfx::BuiltinTextRenderer text;
    int percent = 0;
    for (auto _ : state) {
        auto frame = dock::DrawBatteryPicture({true, percent, percent % 2 == 0}, text, false, 256);
        percent = (percent + 7) % 101;
        benchmark::DoNotOptimize(frame);
    }
}

std::string Recorded(const char* name) {
    std::ifstream in(std::string(KESTRANA_SOURCE_DIR) + "/tests/data/weather/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

weather::WeatherData Forecast() {
    weather::WeatherData data;
    weather::ApplyUpdate(data, weather::ParseOpenMeteoAnswer(Recorded("open_meteo_forecast.json")));
    return data;
}

void WeatherItem(benchmark::State& state) {
    gfx::BuiltinTextRenderer text;
    const weather::WeatherData data = Forecast();
    for (auto _ : state) {
        auto picture = weather::DrawWeatherPicture(data, false, text, {}, 256);
        benchmark::DoNotOptimize(picture);
    }
}

void WeatherPanel(benchmark::State& state) {
    gfx::BuiltinTextRenderer text;
    const weather::WeatherData data = Forecast();
    weather::WeatherPanelTexts texts;
    texts.place = L"Beijing";
    texts.condition = L"Cloudy";
    texts.weekday = [](const weather::CivilDate&) { return std::wstring(L"Mon"); };
    for (auto _ : state) {
        auto panel = weather::DrawWeatherPanel(data, texts, 12, {}, text, {}, 340);
        benchmark::DoNotOptimize(panel);
    }
}

void ReadForecast(benchmark::State& state) {
    const std::string body = Recorded("open_meteo_forecast.json");
    for (auto _ : state) {
        auto update = weather::ParseOpenMeteoAnswer(body);
        benchmark::DoNotOptimize(update);
    }
}

} // namespace

BENCHMARK(ClockFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(CalendarFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BatteryFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(WeatherItem)->Unit(benchmark::kMicrosecond);
BENCHMARK(WeatherPanel)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadForecast)->Unit(benchmark::kMicrosecond);
