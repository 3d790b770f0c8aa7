#include "weather/weather_answer.h"

#include "foundation/text.h"
#include "weather/weather_codes.h"

#include <cjson/cJSON.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace kestrana::weather {

namespace {

using foundation::FromUtf8;

struct JsonDeleter {
    void operator()(cJSON* json) const { cJSON_Delete(json); }
};
using Json = std::unique_ptr<cJSON, JsonDeleter>;

constexpr wchar_t kDegree[] = L"\u00B0";

Json ParseBody(std::string_view body, std::vector<std::string>& problems) {
    if (body.size() > kMaxAnswerBytes) {
        problems.push_back("answer of " + std::to_string(body.size()) + " bytes is over the limit");
        return nullptr;
    }
    Json json(cJSON_ParseWithLength(body.data(), body.size()));
    if (!json) problems.push_back("answer is not JSON");
    return json;
}

const cJSON* Member(const cJSON* object, const char* name) {
    return cJSON_IsObject(object) ? cJSON_GetObjectItem(object, name) : nullptr;
}

// A value that must be shown as text: a string as is, a finite number in its shortest
// form. Objects, arrays, booleans and null are refused.
std::optional<std::wstring> Scalar(const cJSON* item) {
    if (cJSON_IsString(item) && item->valuestring) return FromUtf8(item->valuestring);
    if (cJSON_IsNumber(item) && std::isfinite(item->valuedouble)) {
        const double v = item->valuedouble;
        if (v == std::floor(v) && std::fabs(v) < 1e9) return std::to_wstring(static_cast<long long>(v));
        char text[32];
        std::snprintf(text, sizeof text, "%g", v);
        return FromUtf8(text);
    }
    return std::nullopt;
}

std::optional<std::wstring> Degrees(const cJSON* item) {
    if (cJSON_IsNumber(item) && std::isfinite(item->valuedouble) && std::fabs(item->valuedouble) < 1000)
        return std::to_wstring(std::lround(item->valuedouble)) + kDegree;
    if (cJSON_IsString(item) && item->valuestring) return DegreesText(FromUtf8(item->valuestring));
    return std::nullopt;
}

std::optional<std::wstring> WmoCondition(const cJSON* item) {
    if (!cJSON_IsNumber(item) || !std::isfinite(item->valuedouble) || std::fabs(item->valuedouble) > 1000) return std::nullopt;
    return ConditionFromWmo(int(item->valuedouble));
}

std::wstring PlaceName(const cJSON* entry, bool chinese) {
    const char* suffix = chinese ? "cn" : "en";
    const auto part = [&](const char* stem) {
        const std::string key = std::string(stem) + suffix;
        const cJSON* item = Member(entry, key.c_str());
        return cJSON_IsString(item) && item->valuestring ? FromUtf8(item->valuestring) : std::wstring();
    };
    std::wstring state = part("state_"), city = part("city_");
    if (state.empty()) return city;
    if (city.empty()) return state;
    return state + L" " + city;
}

// The text of "H:M" out of an ISO date-time ("2026-12-06T07:28" gives "7:28").
std::optional<std::wstring> IsoClock(const cJSON* item) {
    if (!cJSON_IsString(item) || !item->valuestring) return std::nullopt;
    const std::string_view text = item->valuestring;
    const auto t = text.find('T');
    if (t == std::string_view::npos || text.size() < t + 6 || text[t + 3] != ':') return std::nullopt;
    const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (!digit(t + 1) || !digit(t + 2) || !digit(t + 4) || !digit(t + 5)) return std::nullopt;
    const int hour = (text[t + 1] - '0') * 10 + (text[t + 2] - '0');
    const int minute = (text[t + 4] - '0') * 10 + (text[t + 5] - '0');
    return std::to_wstring(hour) + L":" + std::to_wstring(minute);
}

std::optional<std::vector<WeatherDay>> ServiceDays(const cJSON* array, const CivilDate& today, std::vector<std::string>& problems) {
    if (!cJSON_IsArray(array)) {
        problems.push_back("no \"day\" array");
        return std::nullopt;
    }
    if (cJSON_GetArraySize(array) < int(kForecastLength)) {
        problems.push_back("\"day\" array has " + std::to_string(cJSON_GetArraySize(array)) + " entries");
        return std::nullopt;
    }
    std::vector<WeatherDay> days;
    for (int i = 0; i < int(kForecastLength); ++i) {
        const cJSON* entry = cJSON_GetArrayItem(array, i);
        const auto maxT = Degrees(Member(entry, "maxt"));
        const auto minT = Degrees(Member(entry, "mint"));
        const auto dayCode = Scalar(Member(entry, "wx_day"));
        const auto nightCode = Scalar(Member(entry, "wx_night"));
        if (!maxT || !minT || !dayCode || !nightCode) {
            problems.push_back("\"day\" entry " + std::to_string(i) + " is malformed");
            return std::nullopt;
        }
        days.push_back({ForecastDay(today, i), *dayCode, *nightCode, *maxT, *minT});
    }
    return days;
}

std::optional<std::vector<WeatherHour>> ServiceHours(const cJSON* array, std::vector<std::string>& problems) {
    if (!cJSON_IsArray(array)) {
        problems.push_back("no \"hour\" array");
        return std::nullopt;
    }
    if (cJSON_GetArraySize(array) < int(kForecastLength)) {
        problems.push_back("\"hour\" array has " + std::to_string(cJSON_GetArraySize(array)) + " entries");
        return std::nullopt;
    }
    std::vector<WeatherHour> hours;
    for (int i = 0; i < int(kForecastLength); ++i) {
        const cJSON* entry = cJSON_GetArrayItem(array, i);
        const auto hour = Scalar(Member(entry, "hour"));
        const auto code = Scalar(Member(entry, "wx"));
        const auto temp = Degrees(Member(entry, "temp"));
        if (!hour || !code || !temp) {
            problems.push_back("\"hour\" entry " + std::to_string(i) + " is malformed");
            return std::nullopt;
        }
        hours.push_back({*hour, *code, *temp});
    }
    return hours;
}

std::wstring SunValue(const cJSON* detail, const char* name) {
    const cJSON* value = Member(Member(detail, name), "value");
    return cJSON_IsString(value) && value->valuestring ? FromUtf8(value->valuestring) : std::wstring();
}

// The free provider's arrays of one section, all of the same length and at least `need`.
bool Columns(const cJSON* section, std::initializer_list<const char*> names, int need, const char* what,
             std::vector<std::string>& problems) {
    for (const char* name : names) {
        const cJSON* column = Member(section, name);
        if (!cJSON_IsArray(column) || cJSON_GetArraySize(column) < need) {
            problems.push_back(std::string(what) + " \"" + name + "\" is missing or short");
            return false;
        }
    }
    return true;
}

const cJSON* At(const cJSON* section, const char* name, int i) {
    return cJSON_GetArrayItem(Member(section, name), i);
}

} // namespace

std::wstring DegreesText(std::wstring_view number) {
    return std::wstring(number) + kDegree;
}

WeatherUpdate ParseServiceAnswer(std::string_view body, const ServiceAnswerContext& context) {
    WeatherUpdate update;
    const Json json = ParseBody(body, update.problems);
    if (!json) return update;
    // The forecast is the first element of the top level, whether that is an array or
    // an object holding one.
    const cJSON* first = (cJSON_IsArray(json.get()) || cJSON_IsObject(json.get())) ? json->child : nullptr;
    if (!cJSON_IsObject(first)) {
        update.problems.push_back("answer has no forecast object");
        return update;
    }
    const auto temp = Degrees(Member(first, "temp"));
    const auto code = Scalar(Member(first, "wx"));
    if (!temp || !code) {
        update.problems.push_back("\"temp\" or \"wx\" is missing or not a value");
        return update;
    }
    const cJSON* detail = Member(first, "detailinfo");
    update.now = WeatherNow{*temp, *code, SunValue(detail, "sunrise"), SunValue(detail, "sunset")};
    update.placeName = PlaceName(first, context.chineseNames);
    update.days = ServiceDays(Member(first, "day"), context.today, update.problems);
    update.hours = ServiceHours(Member(first, "hour"), update.problems);
    return update;
}

WeatherUpdate ParseOpenMeteoAnswer(std::string_view body) {
    WeatherUpdate update;
    const Json json = ParseBody(body, update.problems);
    if (!json) return update;
    if (cJSON_IsTrue(Member(json.get(), "error"))) {
        const cJSON* reason = Member(json.get(), "reason");
        update.problems.push_back(std::string("provider refused: ") +
                                  (cJSON_IsString(reason) && reason->valuestring ? reason->valuestring : "no reason"));
        return update;
    }
    const cJSON* current = Member(json.get(), "current");
    const auto temp = Degrees(Member(current, "temperature_2m"));
    const auto code = WmoCondition(Member(current, "weather_code"));
    if (!temp || !code) {
        update.problems.push_back("\"current\" lacks a temperature or a known weather code");
        return update;
    }
    WeatherNow now{*temp, *code, {}, {}};

    const cJSON* daily = Member(json.get(), "daily");
    const int need = int(kForecastLength);
    if (Columns(daily, {"time", "weather_code", "temperature_2m_max", "temperature_2m_min", "sunrise", "sunset"}, need, "daily",
                update.problems)) {
        std::vector<WeatherDay> days;
        for (int i = 0; i < need; ++i) {
            const cJSON* time = At(daily, "time", i);
            const auto date = cJSON_IsString(time) && time->valuestring ? ParseIsoDate(time->valuestring) : std::nullopt;
            const auto dayCode = WmoCondition(At(daily, "weather_code", i));
            const auto maxT = Degrees(At(daily, "temperature_2m_max", i));
            const auto minT = Degrees(At(daily, "temperature_2m_min", i));
            if (!date || !dayCode || !maxT || !minT) {
                update.problems.push_back("daily entry " + std::to_string(i) + " is malformed");
                days.clear();
                break;
            }
            // One code per day; the night picture is chosen by the hour, not the code.
            days.push_back({*date, *dayCode, *dayCode, *maxT, *minT});
        }
        if (!days.empty()) update.days = std::move(days);
        now.sunrise = IsoClock(At(daily, "sunrise", 0)).value_or(L"");
        now.sunset = IsoClock(At(daily, "sunset", 0)).value_or(L"");
    }
    update.now = now;

    // The hours start at the current one: the hourly series begins at midnight.
    const cJSON* hourly = Member(json.get(), "hourly");
    const cJSON* nowTime = Member(current, "time");
    if (Columns(hourly, {"time", "temperature_2m", "weather_code"}, need, "hourly", update.problems)) {
        const std::string currentHour =
            cJSON_IsString(nowTime) && nowTime->valuestring ? std::string(nowTime->valuestring).substr(0, 13) : std::string();
        const int count = std::min({cJSON_GetArraySize(Member(hourly, "time")), cJSON_GetArraySize(Member(hourly, "temperature_2m")),
                                    cJSON_GetArraySize(Member(hourly, "weather_code"))});
        int start = 0;
        while (start < count) {
            const cJSON* t = At(hourly, "time", start);
            if (cJSON_IsString(t) && t->valuestring && std::string_view(t->valuestring).substr(0, 13) >= currentHour) break;
            ++start;
        }
        std::vector<WeatherHour> hours;
        for (int i = start; i < count && hours.size() < kForecastLength; ++i) {
            const auto clock = IsoClock(At(hourly, "time", i));
            const auto code = WmoCondition(At(hourly, "weather_code", i));
            const auto temp = Degrees(At(hourly, "temperature_2m", i));
            if (!clock || !code || !temp) {
                update.problems.push_back("hourly entry " + std::to_string(i) + " is malformed");
                hours.clear();
                break;
            }
            hours.push_back({clock->substr(0, clock->find(L':')), *code, *temp});
        }
        if (hours.size() == kForecastLength)
            update.hours = std::move(hours);
        else if (!hours.empty())
            update.problems.push_back("fewer than six hours left in the hourly series");
    }
    return update;
}

std::vector<PlaceChoice> ParseServiceCities(std::string_view body, bool chineseNames) {
    std::vector<std::string> problems;
    const Json json = ParseBody(body, problems);
    std::vector<PlaceChoice> choices;
    const cJSON* cities = Member(json.get(), "cities");
    if (!cJSON_IsArray(cities)) return choices;
    const cJSON* city = nullptr;
    cJSON_ArrayForEach(city, cities) {
        if (choices.size() == kMaxPlaceChoices) break;
        const auto lon = Scalar(Member(city, "lon"));
        const auto lat = Scalar(Member(city, "lat"));
        if (!lon || !lat || lon->empty() || lat->empty()) continue;
        choices.push_back({*lon + L"," + *lat, PlaceName(city, chineseNames)});
    }
    return choices;
}

std::vector<PlaceChoice> ParseOpenMeteoPlaces(std::string_view body) {
    std::vector<std::string> problems;
    const Json json = ParseBody(body, problems);
    std::vector<PlaceChoice> choices;
    const cJSON* results = Member(json.get(), "results");
    if (!cJSON_IsArray(results)) return choices;
    const cJSON* place = nullptr;
    cJSON_ArrayForEach(place, results) {
        if (choices.size() == kMaxPlaceChoices) break;
        const cJSON* lat = Member(place, "latitude");
        const cJSON* lon = Member(place, "longitude");
        const auto name = Scalar(Member(place, "name"));
        if (!cJSON_IsNumber(lat) || !cJSON_IsNumber(lon) || !name || std::fabs(lat->valuedouble) > 90 ||
            std::fabs(lon->valuedouble) > 180)
            continue;
        char coordinates[64];
        std::snprintf(coordinates, sizeof coordinates, "%.5f,%.5f", lon->valuedouble, lat->valuedouble);
        std::wstring label = *name;
        for (const char* extra : {"admin1", "country"}) {
            const auto part = Scalar(Member(place, extra));
            if (part && !part->empty()) label += L", " + *part;
        }
        choices.push_back({FromUtf8(coordinates), label});
    }
    return choices;
}

bool ApplyUpdate(WeatherData& data, const WeatherUpdate& update) {
    if (!update.now) return false;
    data.now = update.now;
    if (update.days) data.days = *update.days;
    if (update.hours) data.hours = *update.hours;
    return true;
}

} // namespace kestrana::weather
