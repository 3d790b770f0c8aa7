#include "fakes/settings_folder.h"
#include "gfx/builtin_text_renderer.h"
#include "weather/weather_feed.h"
#include "weather/weather_picture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kestrana::weather {
namespace {

using namespace std::chrono_literals;

std::string Recorded(const char* name) {
    std::ifstream in(std::string(KESTRANA_TEST_DATA) + "/weather/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class QueuedHttp final : public HttpClient {
public:
    HttpAnswer answer;
    std::vector<std::string> urls;
    HttpAnswer Get(const std::string& url, std::size_t) override {
        urls.push_back(url);
        return answer;
    }
};

class FixedPosition final : public PositionSource {
public:
    std::optional<GeoPosition> position;
    std::chrono::milliseconds asked{0};
    std::optional<GeoPosition> Read(std::chrono::milliseconds limit) override {
        asked = limit;
        return position;
    }
};

// Workers are queued and run when the test says, as threads would finish later.
struct FeedWorld {
    fakes::SettingsFolder folder;
    std::shared_ptr<QueuedHttp> http = std::make_shared<QueuedHttp>();
    std::shared_ptr<FixedPosition> position = std::make_shared<FixedPosition>();
    std::vector<std::function<void()>> jobs;
    bool workersAvailable = true;
    WeatherFeed feed{{folder.store, http, position,
                      [this](std::function<void()> job) {
                          if (!workersAvailable) return false;
                          jobs.push_back(std::move(job));
                          return true;
                      },
                      [this] { return today; }}};
    CivilDate today{2024, 2, 27};
    FetchSchedule::Clock::time_point t = FetchSchedule::Clock::time_point{} + 1h;

    void RunJobs() {
        auto pending = std::move(jobs);
        jobs.clear();
        for (auto& job : pending) job();
    }
};

TEST(WeatherFeed, LocatesFirstThenFetchesOnAWorkerAndTakesTheResultOnTheNextTick) {
    FeedWorld w;
    w.folder.Config(u"[weather]\r\nservice=http://127.0.0.1:9\r\n");
    w.position->position = GeoPosition{51.5074, -0.1278};
    w.http->answer = {200, Recorded("service_forecast.json"), false, ""};
    w.feed.StartLocating();
    ASSERT_EQ(w.jobs.size(), 1u);
    w.feed.Tick(w.t, true);
    EXPECT_TRUE(w.http->urls.empty()); // the place may still come from the position
    w.RunJobs();
    EXPECT_EQ(w.position->asked, WeatherFeed::kPositionWait);
    const auto generation = w.feed.Generation();
    w.feed.Tick(w.t, true);
    EXPECT_EQ(w.feed.Sun(), *ComputeSunTimes(*w.position->position, {2024, 2, 27}));
    EXPECT_EQ(w.folder.store.ReadString(L"normal", L"sunset"), FormatClockTime(w.feed.Sun().sunset));
    ASSERT_EQ(w.jobs.size(), 1u);
    EXPECT_TRUE(w.feed.Fetching());
    w.feed.Tick(w.t + 1s, true); // one fetch at a time
    EXPECT_EQ(w.jobs.size(), 1u);
    w.RunJobs();
    EXPECT_FALSE(w.feed.Data().now);
    w.feed.Tick(w.t + 2s, true);
    ASSERT_TRUE(w.feed.Data().now);
    EXPECT_GT(w.feed.Generation(), generation);
    EXPECT_EQ(w.feed.Data().days.size(), kForecastLength);
    EXPECT_NE(w.http->urls[0].find("lon=-0.12780&lat=51.50740"), std::string::npos);
    EXPECT_EQ(w.folder.store.ReadString(L"weather", L"citycode"), L"-0.12780,51.50740");
    EXPECT_EQ(w.folder.store.ReadString(L"weather", L"cityname"), L"Beijing Shi Beijing");
    EXPECT_EQ(w.feed.DataProvider(), Provider::Service);

    // A place chosen in the settings is fetched on the next tick, not half an hour later.
    w.folder.store.WriteString(L"weather", L"citycode", L"2.35,48.85");
    w.feed.Tick(w.t + 3s, true);
    ASSERT_EQ(w.jobs.size(), 1u);
    w.RunJobs();
    EXPECT_NE(w.http->urls.back().find("lon=2.35&lat=48.85"), std::string::npos);
}

TEST(WeatherFeed, ANewDayWorksTheSunTimesOutAgain) {
    FeedWorld w;
    w.feed.NewMinute(); // nothing located yet: nothing to work out
    EXPECT_EQ(w.feed.Generation(), 0u);
    w.position->position = GeoPosition{59.33, 18.07}; // far north: the days change quickly in spring
    w.feed.StartLocating();
    w.RunJobs();
    w.feed.Tick(w.t, false);
    const SunTimes first = w.feed.Sun();
    const auto generation = w.feed.Generation();
    w.feed.NewMinute(); // the same day
    EXPECT_EQ(w.feed.Generation(), generation);

    w.today = {2024, 3, 27};
    w.feed.NewMinute();
    EXPECT_GT(w.feed.Generation(), generation);
    EXPECT_EQ(w.feed.Sun(), *ComputeSunTimes(*w.position->position, {2024, 3, 27}));
    EXPECT_NE(w.feed.Sun(), first);
    EXPECT_EQ(w.folder.store.ReadString(L"normal", L"sunrise"), FormatClockTime(w.feed.Sun().sunrise));
}

TEST(WeatherFeed, FailuresKeepTheDataAndRetryLater) {
    FeedWorld w;
    w.folder.Config(u"[normal]\r\nsunrise=7:5\r\nsunset=17:1\r\n[weather]\r\ncitycode=2.35,48.85\r\ncityname=Paris\r\n");
    WeatherFeed& feed = w.feed;
    // A feed made before the settings were written read no sun times; make one now.
    WeatherFeed stored({w.folder.store, w.http, w.position, [](std::function<void()>) { return false; }, [] { return CivilDate{}; }});
    EXPECT_EQ(stored.Sun(), (SunTimes{{7, 5}, {17, 1}}));
    stored.StartLocating(); // no worker: start-up goes on without a position
    stored.Tick(w.t, false);
    EXPECT_EQ(w.folder.store.ReadString(L"normal", L"sunrise"), L"7:5");

    feed.StartLocating();
    w.RunJobs(); // no position: the stored sun times stay
    w.http->answer = {200, Recorded("open_meteo_forecast.json"), false, ""};
    feed.Tick(w.t, false);
    EXPECT_TRUE(w.jobs.empty()); // no weather item, no fetch
    feed.Tick(w.t, true);
    w.RunJobs();
    feed.Tick(w.t, true);
    ASSERT_TRUE(feed.Data().now);
    EXPECT_EQ(feed.Place().name, L"Paris");
    const WeatherData before = feed.Data();

    for (const HttpAnswer& bad : {HttpAnswer{0, "", false, "no connection"}, HttpAnswer{500, "", false, ""},
                                  HttpAnswer{200, "{\"current\": 5}", false, ""}}) {
        w.http->answer = bad;
        w.t += 31min;
        feed.Tick(w.t, true);
        ASSERT_EQ(w.jobs.size(), 1u);
        w.RunJobs();
        feed.Tick(w.t, true);
        EXPECT_EQ(feed.Data(), before);
        feed.Tick(w.t + 4min, true);
        EXPECT_TRUE(w.jobs.empty()); // the retry waits five minutes
        w.t += 5min;
        w.workersAvailable = false;
        feed.Tick(w.t, true); // no worker free: counted as a failure, retried later
        w.workersAvailable = true;
        EXPECT_FALSE(feed.Fetching());
    }
}

TEST(WeatherPicture, ShowsConditionTemperatureAndNight) {
    gfx::BuiltinTextRenderer text;
    WeatherData data;
    const gfx::Bitmap empty = DrawWeatherPicture(data, false, text, {}, 64);
    data.now = WeatherNow{L"21\u00B0", L"0", L"", L""};
    const gfx::Bitmap day = DrawWeatherPicture(data, false, text, {}, 64);
    const gfx::Bitmap night = DrawWeatherPicture(data, true, text, {}, 64);
    data.now->code = L"5";
    const gfx::Bitmap rain = DrawWeatherPicture(data, false, text, {}, 64);
    const auto same = [](const gfx::Bitmap& a, const gfx::Bitmap& b) {
        return std::equal(a.Pixels().begin(), a.Pixels().end(), b.Pixels().begin(), b.Pixels().end());
    };
    EXPECT_EQ(day.Width(), 64);
    EXPECT_FALSE(same(empty, day));
    EXPECT_FALSE(same(day, night));
    EXPECT_FALSE(same(day, rain));
    // A picture file for the condition replaces the drawn glyph.
    gfx::Bitmap file(8, 8);
    for (auto& p : file.Pixels()) p = gfx::Color{255, 0, 255, 255}.Premultiplied();
    std::wstring asked;
    const gfx::Bitmap fromFile = DrawWeatherPicture(data, true, text, [&](const std::wstring& code, bool n) {
        asked = code + (n ? L"n" : L"");
        return file.Clone();
    }, 64);
    EXPECT_EQ(asked, L"5n");
    EXPECT_EQ(fromFile.Pixels()[20 * 64 + 32], file.Pixels()[0]);

    EXPECT_EQ(WeatherSummary(data, L"Rain"), L"21\u00B0, Rain");
    EXPECT_EQ(WeatherSummary(WeatherData{}, L"Rain"), L"");
}

TEST(WeatherPicture, PanelShowsEachHourByItsOwnDayOrNightAndTheAttributionWhenAsked) {
    gfx::BuiltinTextRenderer text;
    WeatherData data;
    WeatherPanelTexts texts;
    texts.place = L"Beijing";
    const gfx::Bitmap empty = DrawWeatherPanel(data, texts, 12, {}, text, {}, 200);
    data.now = WeatherNow{L"-3\u00B0", L"2", L"7:20", L"16:50"};
    for (int i = 0; i < 6; ++i) data.hours.push_back({std::to_wstring(15 + i), std::to_wstring(i), L"1\u00B0"});
    for (int i = 0; i < 6; ++i) data.days.push_back({ForecastDay({2026, 12, 6}, i), L"8", L"8", L"2\u00B0", L"-5\u00B0"});

    std::vector<std::wstring> asked;
    const ConditionPictureSource record = [&](const std::wstring& code, bool night) {
        asked.push_back(code + (night ? L"n" : L""));
        return gfx::Bitmap();
    };
    std::vector<CivilDate> weekdays;
    texts.weekday = [&](const CivilDate& d) {
        weekdays.push_back(d);
        return std::wstring(L"Day");
    };
    const SunTimes sun{{7, 20}, {17, 5}};
    const gfx::Bitmap plain = DrawWeatherPanel(data, texts, 16, sun, text, record, 200);
    // Now (16:00, day), then the hours 15 to 20 (night from 17), then the six days by day.
    const std::vector<std::wstring> expected{L"2", L"0", L"1", L"2n", L"3n", L"4n", L"5n", L"8", L"8", L"8", L"8", L"8", L"8"};
    EXPECT_EQ(asked, expected);
    ASSERT_EQ(weekdays.size(), 6u);
    EXPECT_EQ(weekdays.back(), (CivilDate{2026, 12, 11}));
    EXPECT_GT(plain.Height(), empty.Height());
    EXPECT_EQ(plain.Width(), 200);

    texts.attribution = L"Weather data by Open-Meteo.com";
    const gfx::Bitmap credited = DrawWeatherPanel(data, texts, 16, sun, text, {}, 200);
    ASSERT_GT(credited.Height(), plain.Height());
    // The credit line lies below everything else.
    int creditedInk = 0, plainInk = 0;
    const auto ink = [](const gfx::Bitmap& b, int fromRow, int toRow) {
        int count = 0;
        for (int y = fromRow; y < toRow; ++y)
            for (int x = 0; x < b.Width(); ++x) count += gfx::PixelR(b.At(x, y)) > 150;
        return count;
    };
    creditedInk = ink(credited, plain.Height() - 4, credited.Height());
    plainInk = ink(plain, plain.Height() - 4, plain.Height());
    EXPECT_GT(creditedInk, plainInk);
}

} // namespace
} // namespace kestrana::weather
