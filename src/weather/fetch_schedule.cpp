#include "weather/fetch_schedule.h"

namespace kestrana::weather {

bool FetchSchedule::Due(Clock::time_point now, bool itemShown) const {
    return itemShown && !m_running && (!m_next || now >= *m_next);
}

void FetchSchedule::Started(Clock::time_point now) {
    m_running = true;
}

void FetchSchedule::Finished(Clock::time_point now, bool succeeded) {
    m_running = false;
    m_next = now + (succeeded ? std::chrono::duration_cast<Clock::duration>(kPeriod) : std::chrono::duration_cast<Clock::duration>(kRetry));
}

void FetchSchedule::Resumed() {
    m_next.reset();
}

} // namespace kestrana::weather
