#pragma once
// When the weather item fetches: at once when it appears, then every 30 minutes, sooner
// (5 minutes) after a failure, again after the machine resumes, and never two at a time.

#include <chrono>
#include <optional>

namespace kestrana::weather {

class FetchSchedule {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kPeriod{30};
    static constexpr std::chrono::minutes kRetry{5};

    // True when a fetch should start now: a weather item is shown, none is running and
    // the next one is due.
    [[nodiscard]] bool Due(Clock::time_point now, bool itemShown) const;
    void Started(Clock::time_point now);
    void Finished(Clock::time_point now, bool succeeded);
    // After sleep the data is stale whatever the timer says.
    void Resumed();
    [[nodiscard]] bool Running() const { return m_running; }

private:
    bool m_running = false;
    std::optional<Clock::time_point> m_next; // empty: due at once
};

} // namespace kestrana::weather
