#pragma once
// The weather item's data source on the user-interface thread: finds the position once
// (bounded, on a worker), keeps the sun times, fetches the forecast on a worker as the
// schedule says and takes each result over on the next tick, so parsing and waiting
// never happen on the user-interface thread.

#include "foundation/config_store.h"
#include "weather/fetch_schedule.h"
#include "weather/weather_service.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace kestrana::weather {

struct WeatherFeedPorts {
    foundation::ConfigStore& store;
    std::shared_ptr<HttpClient> http;
    std::shared_ptr<PositionSource> position;
    // Starts a job on a worker thread; false when it could not be started.
    std::function<bool(std::function<void()>)> runWorker;
    std::function<CivilDate()> today;
    bool chineseNames = false;
};

class WeatherFeed {
public:
    static constexpr std::chrono::seconds kPositionWait{10};

    explicit WeatherFeed(WeatherFeedPorts ports);

    // Asks for the position on a worker (at most kPositionWait), then works out today's
    // sun times from it. Start-up goes on meanwhile.
    void StartLocating();
    // Every second or so on the user-interface thread: takes over what the workers
    // finished and starts a fetch when one is due and a weather item is shown.
    void Tick(FetchSchedule::Clock::time_point now, bool itemShown);
    void Resumed() { m_schedule.Resumed(); }
    // At the start of each minute: once the date has changed since the sun times were
    // worked out, works them out for the new day (the program may run for weeks).
    void NewMinute();
    // The place changed in the settings: fetch again on the next tick.
    void PlaceChanged();

    [[nodiscard]] const WeatherData& Data() const { return m_data; }
    [[nodiscard]] const WeatherPlace& Place() const { return m_place; }
    [[nodiscard]] Provider DataProvider() const { return m_dataProvider; }
    [[nodiscard]] SunTimes Sun() const { return m_sun; }
    // Grows whenever Data(), Place() or Sun() changed.
    [[nodiscard]] std::uint64_t Generation() const { return m_generation; }
    [[nodiscard]] bool Fetching() const { return m_schedule.Running(); }

private:
    struct Inbox {
        std::mutex mutex;
        bool located = false;
        std::optional<GeoPosition> position;
        std::optional<SunTimes> sun;
        std::optional<FetchOutcome> fetched;
    };
    void TakeOver(FetchSchedule::Clock::time_point now);
    void StartFetch(FetchSchedule::Clock::time_point now);

    WeatherFeedPorts m_ports;
    std::shared_ptr<Inbox> m_inbox = std::make_shared<Inbox>();
    FetchSchedule m_schedule;
    WeatherData m_data;
    WeatherPlace m_place;
    Provider m_dataProvider = Provider::OpenMeteo;
    Provider m_fetchProvider = Provider::OpenMeteo;
    SunTimes m_sun{};
    bool m_locating = false;
    bool m_located = false;
    std::optional<GeoPosition> m_position;
    std::optional<CivilDate> m_sunDay; // the day the sun times were worked out for
    std::uint64_t m_generation = 0;
};

} // namespace kestrana::weather
