#include "weather/weather_feed.h"

#include "foundation/diagnostic_log.h"

namespace kestrana::weather {

WeatherFeed::WeatherFeed(WeatherFeedPorts ports) : m_ports(std::move(ports)) {
    const auto stored = [&](const wchar_t* key) {
        return ParseClockTime(m_ports.store.ReadString(L"normal", key)).value_or(ClockTime{});
    };
    m_sun = {stored(L"sunrise"), stored(L"sunset")};
}

void WeatherFeed::StartLocating() {
    if (m_locating || m_located) return;
    m_locating = true;
    std::shared_ptr<Inbox> inbox = m_inbox;
    std::shared_ptr<PositionSource> source = m_ports.position;
    const CivilDate today = m_ports.today();
    const bool started = m_ports.runWorker([inbox, source, today] {
        std::optional<GeoPosition> position = source ? source->Read(kPositionWait) : std::nullopt;
        if (position && !position->Known()) position.reset();
        // With no position the default times are still worth storing; a silent source
        // keeps the stored ones, as it may answer on the next start.
        std::optional<SunTimes> sun;
        if (position) sun = ComputeSunTimes(*position, today);
        std::lock_guard lock(inbox->mutex);
        inbox->located = true;
        inbox->position = position;
        inbox->sun = sun;
    });
    if (!started) {
        foundation::LogFailure("weather position", "no worker for the position; the stored place and sun times stay");
        m_locating = false;
        m_located = true;
    }
}

void WeatherFeed::NewMinute() {
    if (!m_sunDay || !m_position) return;
    const CivilDate today = m_ports.today();
    if (today == *m_sunDay) return;
    m_sunDay = today;
    if (const auto sun = RunSunTimesJob(m_ports.store, m_position, today)) {
        m_sun = *sun;
        ++m_generation;
        foundation::LogDetail("sun times", "a new day: sunrise and sunset worked out again");
    }
}

void WeatherFeed::PlaceChanged() {
    m_place = {};
    m_schedule.Resumed();
}

void WeatherFeed::TakeOver(FetchSchedule::Clock::time_point now) {
    std::optional<FetchOutcome> fetched;
    {
        std::lock_guard lock(m_inbox->mutex);
        if (m_inbox->located && !m_located) {
            m_located = true;
            m_locating = false;
            m_position = m_inbox->position;
            if (!m_position) foundation::LogFailure("weather position", "no position; the stored place and sun times stay");
            const CivilDate today = m_ports.today();
            if (const auto sun = RunSunTimesJob(m_ports.store, m_position, today); sun && m_position) {
                m_sun = *sun;
                ++m_generation;
            }
            m_sunDay = today;
        }
        fetched.swap(m_inbox->fetched);
    }
    if (!fetched) return;
    for (const std::string& problem : fetched->update.problems) foundation::LogFailure("weather answer", problem);
    if (!fetched->failure.empty()) foundation::LogFailure("weather fetch", fetched->failure + "; last data kept");
    const bool taken = fetched->failure.empty() && ApplyUpdate(m_data, fetched->update);
    if (taken) {
        m_dataProvider = m_fetchProvider;
        if (m_place.name.empty() && !fetched->update.placeName.empty()) {
            m_place.name = fetched->update.placeName;
            m_ports.store.WriteString(L"weather", L"cityname", m_place.name);
        }
        ++m_generation;
    }
    m_schedule.Finished(now, taken);
}

void WeatherFeed::StartFetch(FetchSchedule::Clock::time_point now) {
    const ProviderChoice provider = ReadProvider(m_ports.store);
    if (m_place.coordinates.empty()) {
        const std::optional<GeoPosition> position = m_position;
        m_place = ResolvePlace(m_ports.store, [position] { return position; });
        ++m_generation;
    }
    m_fetchProvider = provider.provider;
    m_schedule.Started(now);
    const FetchContext context{m_ports.today(), m_ports.chineseNames};
    std::shared_ptr<Inbox> inbox = m_inbox;
    std::shared_ptr<HttpClient> http = m_ports.http;
    const bool started = m_ports.runWorker([inbox, http, provider, place = m_place, context] {
        FetchOutcome outcome = FetchWeather(*http, provider, place, context);
        std::lock_guard lock(inbox->mutex);
        inbox->fetched = std::move(outcome);
    });
    if (!started) {
        foundation::LogFailure("weather fetch", "no worker free; trying again later");
        m_schedule.Finished(now, false);
    }
}

void WeatherFeed::Tick(FetchSchedule::Clock::time_point now, bool itemShown) {
    TakeOver(now);
    // The first fetch waits for the position (bounded), since the place may come from it.
    if (m_locating && !m_located) return;
    // A place chosen in the settings window counts at once.
    if (!m_place.coordinates.empty() && !m_schedule.Running()) {
        const std::wstring stored = m_ports.store.ReadString(L"weather", L"citycode");
        if (stored.find(L',') != std::wstring::npos && stored != m_place.coordinates) PlaceChanged();
    }
    if (m_schedule.Due(now, itemShown && m_ports.http)) StartFetch(now);
}

} // namespace kestrana::weather
