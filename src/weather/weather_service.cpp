#include "weather/weather_service.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace kestrana::weather {

namespace {

using foundation::ToUtf8;

constexpr char kOpenMeteoForecast[] =
    "https://api.open-meteo.com/v1/forecast?current=temperature_2m,weather_code,is_day"
    "&hourly=temperature_2m,weather_code&daily=weather_code,temperature_2m_max,temperature_2m_min,sunrise,sunset"
    "&timezone=auto&forecast_days=7";
constexpr char kOpenMeteoSearch[] = "https://geocoding-api.open-meteo.com/v1/search?count=10&language=en&format=json&name=";

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && foundation::EqualsIgnoreCase(foundation::FromUtf8(text.substr(0, prefix.size())),
                                                                        foundation::FromUtf8(prefix));
}

std::optional<double> Number(std::wstring_view text) {
    text = foundation::TrimBlanks(text);
    if (text.empty() || text.size() > 40) return std::nullopt;
    const std::wstring copy(text);
    wchar_t* end = nullptr;
    const double v = std::wcstod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

bool BaseAddressAllowed(std::string_view base) {
    if (base.find_first_of(" ?#\r\n\t") != std::string_view::npos) return false;
    if (StartsWith(base, "https://")) return base.size() > 8;
    if (!StartsWith(base, "http://")) return false;
    std::string_view host = base.substr(7);
    host = host.substr(0, host.find('/'));
    if (host.starts_with("[::1]")) return host.size() == 5 || host[5] == ':';
    host = host.substr(0, host.find(':'));
    if (foundation::EqualsIgnoreCase(foundation::FromUtf8(host), L"localhost")) return true;
    // 127.0.0.0/8, written as four decimal parts.
    int parts = 0, value = -1;
    for (const char c : host) {
        if (c == '.') {
            if (value < 0 || value > 255) return false;
            ++parts;
            value = -1;
        } else if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 255) return false;
        } else {
            return false;
        }
    }
    return parts == 3 && value >= 0 && host.starts_with("127.");
}

ProviderChoice ReadProvider(const foundation::ConfigStore& store) {
    std::string base = ToUtf8(foundation::TrimBlanks(store.ReadString(L"weather", L"service")));
    while (!base.empty() && base.back() == '/') base.pop_back();
    if (base.empty()) return {};
    if (!BaseAddressAllowed(base)) {
        foundation::LogFailure("weather service", "address \"" + base + "\" is not https or loopback; using the free provider");
        return {};
    }
    return {Provider::Service, base};
}

std::optional<GeoPosition> ParsePlace(std::wstring_view coordinates) {
    const auto comma = coordinates.find(L',');
    if (comma == std::wstring_view::npos) return std::nullopt;
    const auto lon = Number(coordinates.substr(0, comma));
    const auto lat = Number(coordinates.substr(comma + 1));
    if (!lon || !lat || std::fabs(*lon) > 180 || std::fabs(*lat) > 90) return std::nullopt;
    return GeoPosition{*lat, *lon};
}

std::wstring PlaceText(const GeoPosition& position) {
    char text[64];
    std::snprintf(text, sizeof text, "%.5f,%.5f", position.longitude, position.latitude);
    return foundation::FromUtf8(text);
}

WeatherPlace ResolvePlace(foundation::ConfigStore& store, const std::function<std::optional<GeoPosition>()>& position) {
    const std::wstring stored = store.ReadString(L"weather", L"citycode");
    if (!stored.empty() && stored.find(L',') != std::wstring::npos) return {stored, store.ReadString(L"weather", L"cityname")};
    if (position) {
        if (const auto p = position(); p && p->Known()) {
            WeatherPlace place{PlaceText(*p), {}};
            store.WriteString(L"weather", L"citycode", place.coordinates);
            return place;
        }
    }
    return {kDefaultPlace, {}};
}

std::string UrlEncode(std::wstring_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : ToUtf8(text)) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~') {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string ForecastUrl(const ProviderChoice& provider, const WeatherPlace& place) {
    const auto comma = place.coordinates.find(L',');
    const std::wstring lon = place.coordinates.substr(0, comma);
    const std::wstring lat = comma == std::wstring::npos ? std::wstring() : place.coordinates.substr(comma + 1);
    if (provider.provider == Provider::Service)
        return provider.base + "/api_v2/weather.cgi?format=JSON&ver=2&lon=" + UrlEncode(lon) + "&lat=" + UrlEncode(lat);
    return std::string(kOpenMeteoForecast) + "&latitude=" + UrlEncode(lat) + "&longitude=" + UrlEncode(lon);
}

std::string PlaceSearchUrl(const ProviderChoice& provider, std::wstring_view query) {
    if (provider.provider == Provider::Service)
        return provider.base + "/api/searchcity.cgi?format=JSON&ver=2&APP_ID=DeskSkyClient&query=" + UrlEncode(query);
    return kOpenMeteoSearch + UrlEncode(query);
}

FetchOutcome FetchWeather(HttpClient& http, const ProviderChoice& provider, const WeatherPlace& place, const FetchContext& context) {
    FetchOutcome outcome;
    const HttpAnswer answer = http.Get(ForecastUrl(provider, place), kMaxAnswerBytes);
    if (!answer.failure.empty()) {
        outcome.failure = answer.failure;
    } else if (answer.truncated) {
        outcome.failure = "answer is larger than " + std::to_string(kMaxAnswerBytes) + " bytes";
    } else if (answer.status != 200) {
        outcome.failure = "HTTP status " + std::to_string(answer.status);
    }
    if (!outcome.failure.empty()) return outcome;
    outcome.update = provider.provider == Provider::Service
                         ? ParseServiceAnswer(answer.body, {context.today, context.chineseNames})
                         : ParseOpenMeteoAnswer(answer.body);
    return outcome;
}

std::vector<PlaceChoice> SearchPlaces(HttpClient& http, const ProviderChoice& provider, std::wstring_view query, bool chineseNames) {
    if (foundation::TrimBlanks(query).empty()) return {};
    const HttpAnswer answer = http.Get(PlaceSearchUrl(provider, foundation::TrimBlanks(query)), kMaxAnswerBytes);
    if (!answer.failure.empty() || answer.truncated || answer.status != 200) {
        foundation::LogFailure("weather place search", answer.failure.empty() ? "HTTP status " + std::to_string(answer.status) : answer.failure);
        return {};
    }
    return provider.provider == Provider::Service ? ParseServiceCities(answer.body, chineseNames) : ParseOpenMeteoPlaces(answer.body);
}

std::optional<SunTimes> RunSunTimesJob(foundation::ConfigStore& store, const std::optional<GeoPosition>& position,
                                       const CivilDate& today) {
    std::optional<SunTimes> times = kDefaultSunTimes;
    if (position && position->Known()) times = ComputeSunTimes(*position, today);
    if (!times) {
        foundation::LogDetail("sun times", "the sun does not cross the horizon today; stored times kept");
        return std::nullopt;
    }
    if (times->sunrise.hour == 0 && times->sunset.hour == 0) return std::nullopt;
    store.WriteStrings({{L"normal", L"sunrise", FormatClockTime(times->sunrise)}, {L"normal", L"sunset", FormatClockTime(times->sunset)}});
    return times;
}

} // namespace kestrana::weather
