#include "weather/weather_answer.h"
#include "weather/weather_codes.h"

#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <fstream>
#include <sstream>
#include <string>

namespace kestrana::weather {
namespace {

std::string Recorded(const char* name) {
    std::ifstream in(std::string(KESTRANA_TEST_DATA) + "/weather/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the first occurrence of `from`, which the test expects to be there.
std::string Edited(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

const ServiceAnswerContext kFebruary{{2024, 2, 27}, false};

TEST(ServiceAnswer, RecordedAnswerFillsNowDaysAndHours) {
    const WeatherUpdate update = ParseServiceAnswer(Recorded("service_forecast.json"), kFebruary);
    ASSERT_TRUE(update.Usable());
    EXPECT_TRUE(update.problems.empty());
    EXPECT_EQ(*update.now, (WeatherNow{L"21\u00B0", L"1", L"5:46", L"19:12"}));
    EXPECT_EQ(update.placeName, L"Beijing Shi Beijing");
    ASSERT_EQ(update.days->size(), kForecastLength);
    const CivilDate dates[] = {{2024, 2, 27}, {2024, 2, 28}, {2024, 2, 29}, {2024, 3, 1}, {2024, 3, 2}, {2024, 3, 3}};
    for (std::size_t i = 0; i < kForecastLength; ++i) {
        const WeatherDay& day = (*update.days)[i];
        EXPECT_EQ(day.date, dates[i]);
        EXPECT_EQ(day.maxTemperature, std::to_wstring(25 + i) + L"\u00B0");
        EXPECT_EQ(day.minTemperature, std::to_wstring(12 + i) + L"\u00B0");
        EXPECT_EQ(day.dayCode, std::to_wstring(i % 4));
        EXPECT_EQ(day.nightCode, std::to_wstring((i + 1) % 4));
    }
    ASSERT_EQ(update.hours->size(), kForecastLength);
    EXPECT_EQ(update.hours->front(), (WeatherHour{L"14", L"0", L"21\u00B0"}));
    EXPECT_EQ(update.hours->back(), (WeatherHour{L"19", L"2", L"16\u00B0"}));

    const WeatherUpdate chinese = ParseServiceAnswer(Recorded("service_forecast.json"), {{2024, 2, 27}, true});
    EXPECT_EQ(chinese.placeName, L"\u5317\u4EAC\u5E02 \u5317\u4EAC");
}

TEST(ServiceAnswer, BrokenAnswersKeepWhatWasShown) {
    const std::string good = Recorded("service_forecast.json");
    WeatherData shown;
    ASSERT_TRUE(ApplyUpdate(shown, ParseServiceAnswer(good, kFebruary)));
    struct Case {
        const char* what;
        std::string body;
    };
    const Case refused[] = {
        {"not JSON", "<html>502 Bad Gateway</html>"},
        {"cut short", good.substr(0, good.size() / 2)},
        {"empty array", "[]"},
        {"number at the top", "42"},
        {"temperature is an object", Edited(good, "\"temp\": \"21\"", "\"temp\": {\"v\": 21}")},
        {"condition is null", Edited(good, "\"wx\": \"1\"", "\"wx\": null")},
        {"20 MB", "[{\"temp\":\"1\",\"wx\":\"1\",\"pad\":\"" + std::string(20 * 1024 * 1024, 'x') + "\"}]"},
    };
    for (const Case& c : refused) {
        WeatherData data = shown;
        const WeatherUpdate update = ParseServiceAnswer(c.body, kFebruary);
        EXPECT_FALSE(ApplyUpdate(data, update)) << c.what;
        EXPECT_EQ(data, shown) << c.what;
        EXPECT_FALSE(update.problems.empty()) << c.what;
    }

    // A malformed list leaves that list alone; the rest of the answer is still taken.
    const auto withoutFirst = [](const std::string& body, const char* list, int count) {
        cJSON* json = cJSON_Parse(body.c_str());
        for (int i = 0; i < count; ++i) cJSON_DeleteItemFromArray(cJSON_GetObjectItem(cJSON_GetArrayItem(json, 0), list), 0);
        char* text = cJSON_PrintUnformatted(json);
        std::string edited = text;
        cJSON_free(text);
        cJSON_Delete(json);
        return edited;
    };
    struct ListCase {
        const char* what;
        std::string body;
        bool daysKept, hoursKept;
    };
    const ListCase lists[] = {
        {"day with an array for a number", Edited(good, "\"maxt\": \"27\"", "\"maxt\": [27]"), true, false},
        {"no day array", Edited(good, "\"day\"", "\"days\""), true, false},
        {"hour temperature an object", Edited(good, "\"temp\": \"18\"", "\"temp\": {}"), false, true},
        {"five days", withoutFirst(good, "day", 2), true, false},
        {"five hours", withoutFirst(good, "hour", 3), false, true},
        {"six of seven days", withoutFirst(good, "day", 1), false, false},
    };
    WeatherData old = shown;
    old.now->temperature = L"old";
    old.hours[0].temperature = L"old";
    for (const ListCase& c : lists) {
        WeatherData data = old;
        const WeatherUpdate update = ParseServiceAnswer(c.body, {{2030, 1, 1}, false});
        EXPECT_TRUE(ApplyUpdate(data, update)) << c.what;
        EXPECT_EQ(data.now->temperature, L"21\u00B0") << c.what;
        EXPECT_EQ(data.days == old.days, c.daysKept) << c.what;
        EXPECT_EQ(data.hours == old.hours, c.hoursKept) << c.what;
        EXPECT_EQ(update.problems.size(), (c.daysKept || c.hoursKept) ? 1u : 0u) << c.what;
    }
}

TEST(OpenMeteoAnswer, RecordedAnswerStartsTheHoursAtTheCurrentOne) {
    const WeatherUpdate update = ParseOpenMeteoAnswer(Recorded("open_meteo_forecast.json"));
    ASSERT_TRUE(update.Usable());
    EXPECT_TRUE(update.problems.empty());
    // -2.6 °C, WMO 3 (overcast); the day's sunrise and sunset from the daily series.
    EXPECT_EQ(*update.now, (WeatherNow{L"-3\u00B0", *ConditionFromWmo(3), L"7:20", L"16:50"}));
    ASSERT_EQ(update.days->size(), kForecastLength);
    EXPECT_EQ(update.days->front().date, (CivilDate{2026, 12, 6}));
    EXPECT_EQ(update.days->back().date, (CivilDate{2026, 12, 11}));
    EXPECT_EQ(update.days->at(3).dayCode, *ConditionFromWmo(71));
    EXPECT_EQ(update.days->at(3).minTemperature, L"-9\u00B0");
    ASSERT_EQ(update.hours->size(), kForecastLength);
    for (std::size_t i = 0; i < kForecastLength; ++i) EXPECT_EQ(update.hours->at(i).hour, std::to_wstring(19 + i == 24 ? 0 : (19 + i) % 24));
}

TEST(OpenMeteoAnswer, RefusalsAndGapsAreReportedNotTaken) {
    const std::string good = Recorded("open_meteo_forecast.json");
    for (const std::string& body : {std::string(R"({"error":true,"reason":"Latitude must be in range"})"),
                                    Edited(good, "\"temperature_2m\": -2.6", "\"temperature_2m\": {}"),
                                    Edited(good, "\"weather_code\": 3, \"is_day\"", "\"weather_code\": 1234, \"is_day\"")}) {
        const WeatherUpdate update = ParseOpenMeteoAnswer(body);
        EXPECT_FALSE(update.Usable());
        EXPECT_FALSE(update.problems.empty());
    }
    // An hourly series that ends before six hours from now keeps the hours unchanged.
    const WeatherUpdate late = ParseOpenMeteoAnswer(Edited(good, "\"time\": \"2026-12-06T19:30\"", "\"time\": \"2026-12-12T21:00\""));
    EXPECT_TRUE(late.Usable());
    EXPECT_FALSE(late.hours);
    EXPECT_TRUE(late.days);
    EXPECT_EQ(late.problems.size(), 1u);
}

TEST(ConditionCodes, EveryPublishedWmoCodeHasAPictureAndAText) {
    const int published[] = {0, 1, 2, 3, 45, 48, 51, 53, 55, 56, 57, 61, 63, 65, 66, 67, 71, 73, 75, 77, 80, 81, 82, 85, 86, 95, 96, 99};
    for (int wmo = -1; wmo <= 100; ++wmo) {
        const bool known = std::find(std::begin(published), std::end(published), wmo) != std::end(published);
        const auto code = ConditionFromWmo(wmo);
        ASSERT_EQ(code.has_value(), known) << wmo;
        if (code) {
            EXPECT_FALSE(ConditionDefaultText(*code).empty()) << wmo;
        }
    }
    EXPECT_NE(*ConditionFromWmo(0), *ConditionFromWmo(61));
    EXPECT_NE(*ConditionFromWmo(71), *ConditionFromWmo(95));

    const auto onlyNight = [](const std::wstring& path) { return path == L"C:\\K\\weather\\5n.png"; };
    EXPECT_EQ(ConditionPicture(L"C:\\K\\", L"5", true, onlyNight), L"C:\\K\\weather\\5n.png");
    EXPECT_EQ(ConditionPicture(L"C:\\K\\", L"5", false, onlyNight), L"C:\\K\\weather\\5.png");
    EXPECT_EQ(ConditionPicture(L"C:\\K\\", L"6", true, onlyNight), L"C:\\K\\weather\\6.png");
}

TEST(PlaceSearch, BothProvidersGiveCoordinatesAndNames) {
    const auto cities = ParseServiceCities(Recorded("service_cities.json"), false);
    ASSERT_EQ(cities.size(), 2u); // the third entry has no longitude
    EXPECT_EQ(cities[1], (PlaceChoice{L"-0.1278,51.5074", L"England London"}));
    EXPECT_EQ(ParseServiceCities(Recorded("service_cities.json"), true)[0].name, L"\u5317\u4EAC\u5E02 \u5317\u4EAC");

    const auto places = ParseOpenMeteoPlaces(Recorded("open_meteo_places.json"));
    ASSERT_EQ(places.size(), 2u); // "Nowhere" has a text latitude
    EXPECT_EQ(places[0], (PlaceChoice{L"-0.12574,51.50853", L"London, England, United Kingdom"}));
    EXPECT_EQ(places[1].coordinates, L"-81.23304,42.98339");

    for (const char* body : {"", "{\"cities\": {\"lon\": 1}}", "{\"results\": 5}", "[1,2]"}) {
        EXPECT_TRUE(ParseServiceCities(body, false).empty()) << body;
        EXPECT_TRUE(ParseOpenMeteoPlaces(body).empty()) << body;
    }
}

} // namespace
} // namespace kestrana::weather
