#include "fakes/settings_folder.h"
#include "foundation/text.h"
#include "weather/fetch_schedule.h"
#include "weather/weather_service.h"
#include "weather/weather_settings_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kestrana::weather {
namespace {

// Answers every GET with one prepared answer and remembers what was asked.
class ScriptedHttp final : public HttpClient {
public:
    HttpAnswer answer;
    std::vector<std::string> urls;
    std::size_t lastLimit = 0;
    HttpAnswer Get(const std::string& url, std::size_t maxBytes) override {
        urls.push_back(url);
        lastLimit = maxBytes;
        return answer;
    }
};

std::string Recorded(const char* name) {
    std::ifstream in(std::string(KESTRANA_TEST_DATA) + "/weather/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WeatherService, PlainHttpIsAllowedOnlyToLoopback) {
    for (const char* ok : {"https://weather.example", "HTTPS://w.example:8443", "http://127.0.0.1:8080", "http://127.1.2.3",
                           "http://localhost:9", "http://[::1]:8080"})
        EXPECT_TRUE(BaseAddressAllowed(ok)) << ok;
    for (const char* bad : {"", "https://", "http://example.com", "http://127.0.0.1.evil.com", "http://128.0.0.1",
                            "http://127.0.0.256", "http://localhost.evil.com", "ftp://127.0.0.1", "http://[::1].x",
                            "https://a.example/x?y", "http://10.0.0.1:80"})
        EXPECT_FALSE(BaseAddressAllowed(bad)) << bad;

    fakes::SettingsFolder folder;
    EXPECT_EQ(ReadProvider(folder.store).provider, Provider::OpenMeteo);
    folder.Config(u"[weather]\r\nservice=http://127.0.0.1:8123/\r\n");
    const ProviderChoice local = ReadProvider(folder.store);
    EXPECT_EQ(local.provider, Provider::Service);
    EXPECT_EQ(local.base, "http://127.0.0.1:8123");
    folder.Config(u"[weather]\r\nservice=http://weather.example\r\n");
    EXPECT_EQ(ReadProvider(folder.store).provider, Provider::OpenMeteo);
}

TEST(WeatherService, PlaceComesFromSettingsThenPositionThenDefault) {
    fakes::SettingsFolder folder;
    int asked = 0;
    const auto london = [&]() -> std::optional<GeoPosition> {
        ++asked;
        return GeoPosition{51.5074, -0.1278};
    };
    const auto nowhere = []() -> std::optional<GeoPosition> { return GeoPosition{0, 0}; };

    folder.Config(u"[weather]\r\ncitycode=2.35,48.85\r\ncityname=Paris\r\n");
    const WeatherPlace stored = ResolvePlace(folder.store, london);
    EXPECT_EQ(stored.coordinates, L"2.35,48.85");
    EXPECT_EQ(stored.name, L"Paris");
    EXPECT_EQ(asked, 0);

    // A stored text without "," is not a place.
    folder.Config(u"[weather]\r\ncitycode=101010100\r\n");
    EXPECT_EQ(ResolvePlace(folder.store, nowhere).coordinates, kDefaultPlace);
    const WeatherPlace located = ResolvePlace(folder.store, london);
    EXPECT_EQ(ParsePlace(located.coordinates)->latitude, 51.5074);
    EXPECT_EQ(folder.store.ReadString(L"weather", L"citycode"), located.coordinates);

    for (const wchar_t* bad : {L"", L"116.4", L"x,39", L"116.4,", L"200,10", L"10,-91", L"1,2,3"})
        EXPECT_FALSE(ParsePlace(bad)) << bad;
}

TEST(WeatherService, RequestsCarryThePlaceForEitherProvider) {
    const WeatherPlace place{L"116.40717,39.90469", L""};
    EXPECT_EQ(ForecastUrl({Provider::Service, "http://127.0.0.1:9"}, place),
              "http://127.0.0.1:9/api_v2/weather.cgi?format=JSON&ver=2&lon=116.40717&lat=39.90469");
    const std::string free = ForecastUrl({}, place);
    EXPECT_NE(free.find("&latitude=39.90469"), std::string::npos);
    EXPECT_NE(free.find("&longitude=116.40717"), std::string::npos);
    EXPECT_EQ(free.find("https://api.open-meteo.com/"), 0u);
    // Whatever the settings hold cannot add parameters of its own.
    EXPECT_EQ(ForecastUrl({Provider::Service, "https://w"}, {L"1&x=2,3#", L""}),
              "https://w/api_v2/weather.cgi?format=JSON&ver=2&lon=1%26x%3D2&lat=3%23");
    EXPECT_EQ(PlaceSearchUrl({Provider::Service, "https://w"}, L"S\u00E3o Paulo"),
              "https://w/api/searchcity.cgi?format=JSON&ver=2&APP_ID=DeskSkyClient&query=S%C3%A3o%20Paulo");
    EXPECT_NE(PlaceSearchUrl({}, L"Oslo").find("geocoding-api.open-meteo.com/v1/search?"), std::string::npos);
}

TEST(WeatherService, FailedFetchesBringNoUpdateAndSayWhy) {
    ScriptedHttp http;
    const ProviderChoice service{Provider::Service, "http://127.0.0.1:9"};
    const WeatherPlace place{kDefaultPlace, L""};
    const FetchContext context{{2024, 2, 27}, false};

    http.answer = {200, Recorded("service_forecast.json"), false, ""};
    const FetchOutcome good = FetchWeather(http, service, place, context);
    EXPECT_TRUE(good.failure.empty());
    EXPECT_TRUE(good.update.Usable());
    EXPECT_EQ(http.lastLimit, kMaxAnswerBytes);

    const HttpAnswer failures[] = {{0, "", false, "timed out"}, {503, "busy", false, ""}, {200, "[{", true, ""}};
    for (const HttpAnswer& answer : failures) {
        http.answer = answer;
        const FetchOutcome outcome = FetchWeather(http, service, place, context);
        EXPECT_FALSE(outcome.update.Usable());
        EXPECT_FALSE(outcome.failure.empty());
    }
    http.answer = {200, "not json", false, ""};
    const FetchOutcome garbage = FetchWeather(http, {}, place, context);
    EXPECT_TRUE(garbage.failure.empty());
    EXPECT_FALSE(garbage.update.Usable());
    EXPECT_FALSE(garbage.update.problems.empty());

    http.answer = {200, Recorded("open_meteo_places.json"), false, ""};
    EXPECT_EQ(SearchPlaces(http, {}, L"  London ", false).size(), 2u);
    EXPECT_NE(http.urls.back().find("name=London"), std::string::npos);
    const std::size_t asked = http.urls.size();
    EXPECT_TRUE(SearchPlaces(http, {}, L"   ", false).empty());
    EXPECT_EQ(http.urls.size(), asked);
}

TEST(SunTimesJob, WritesComputedOrDefaultTimesAndKeepsThemInPolarNight) {
    fakes::SettingsFolder folder;
    EXPECT_EQ(RunSunTimesJob(folder.store, std::nullopt, {2024, 6, 21}), kDefaultSunTimes);
    EXPECT_EQ(folder.store.ReadString(L"normal", L"sunrise"), L"6:0");
    EXPECT_EQ(folder.store.ReadString(L"normal", L"sunset"), L"18:0");

    const GeoPosition beijing{39.90469, 116.40717};
    const auto times = RunSunTimesJob(folder.store, beijing, {2024, 6, 21});
    ASSERT_TRUE(times);
    EXPECT_EQ(times, ComputeSunTimes(beijing, {2024, 6, 21}));
    EXPECT_EQ(folder.store.ReadString(L"normal", L"sunrise"), FormatClockTime(times->sunrise));

    EXPECT_FALSE(RunSunTimesJob(folder.store, GeoPosition{69.6492, 18.9553}, {2024, 12, 21}));
    EXPECT_EQ(folder.store.ReadString(L"normal", L"sunset"), FormatClockTime(times->sunset));
}

TEST(FetchSchedule, OneAtATimeEveryHalfHourSoonerAfterFailureAndOnResume) {
    FetchSchedule schedule;
    const auto t0 = FetchSchedule::Clock::time_point{} + std::chrono::hours(1);
    using std::chrono::minutes;
    EXPECT_FALSE(schedule.Due(t0, false));
    ASSERT_TRUE(schedule.Due(t0, true));
    schedule.Started(t0);
    EXPECT_FALSE(schedule.Due(t0 + minutes(60), true));
    schedule.Finished(t0 + minutes(1), true);
    EXPECT_FALSE(schedule.Due(t0 + minutes(30), true));
    EXPECT_TRUE(schedule.Due(t0 + minutes(31), true));
    schedule.Started(t0 + minutes(31));
    schedule.Finished(t0 + minutes(31), false);
    EXPECT_FALSE(schedule.Due(t0 + minutes(35), true));
    EXPECT_TRUE(schedule.Due(t0 + minutes(36), true));
    schedule.Started(t0 + minutes(36));
    schedule.Finished(t0 + minutes(36), true);
    schedule.Resumed();
    EXPECT_TRUE(schedule.Due(t0 + minutes(37), true));
}

TEST(WeatherSettingsPage, SearchByNameThenUseTheChosenPlace) {
    fakes::SettingsFolder folder;
    auto search = std::make_shared<PlaceSearchState>();
    const foundation::PageDescriptor page = WeatherSettingsPage(search);
    foundation::SettingsModel model(folder.store);
    const auto control = [&](const wchar_t* id) {
        for (const auto& c : page.controls)
            if (c.id == id) return &c;
        ADD_FAILURE() << foundation::ToUtf8(id);
        return &page.controls.front();
    };
    EXPECT_EQ(model.Write(*control(L"weatherquery"), L"London").status, foundation::WriteStatus::Written);
    EXPECT_TRUE(folder.ConfigText().find("London") == std::string::npos); // the query is not a setting

    ScriptedHttp http;
    http.answer = {200, Recorded("open_meteo_places.json"), false, ""};
    EXPECT_FALSE(UseChosenPlace(folder.store, *search)); // nothing found yet
    ASSERT_EQ(RunPlaceSearch(*search, http, folder.store, false), 2u);
    EXPECT_NE(http.urls.back().find("name=London"), std::string::npos);
    const auto listed = model.Choices(*control(L"weatherresults"));
    ASSERT_EQ(listed.size(), 2u);
    model.Write(*control(L"weatherresults"), listed[1].value);
    ASSERT_TRUE(UseChosenPlace(folder.store, *search));
    EXPECT_EQ(folder.store.ReadString(L"weather", L"citycode"), L"-81.23304,42.98339");
    EXPECT_EQ(folder.store.ReadString(L"weather", L"cityname"), L"London, Ontario, Canada");

    // A new search forgets the old choice.
    http.answer = {500, "", false, ""};
    EXPECT_EQ(RunPlaceSearch(*search, http, folder.store, false), 0u);
    EXPECT_FALSE(UseChosenPlace(folder.store, *search));
}

} // namespace
} // namespace kestrana::weather
