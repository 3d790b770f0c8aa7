#pragma once
// What the weather rules need from the system: the machine's position, the local time
// and an HTTP GET. The Windows layer implements them; tests pass fakes.

#include "weather/civil_date.h"
#include "weather/sun_times.h"

#include <chrono>
#include <optional>
#include <string>

namespace kestrana::weather {

class PositionSource {
public:
    virtual ~PositionSource() = default;
    // The first report within `limit`; nullopt when the service is off, refused or silent.
    [[nodiscard]] virtual std::optional<GeoPosition> Read(std::chrono::milliseconds limit) = 0;
};

struct LocalDateTime {
    CivilDate date;
    int hour = 0;
    int minute = 0;
};

class WallClock {
public:
    virtual ~WallClock() = default;
    [[nodiscard]] virtual LocalDateTime Now() const = 0;
};

struct HttpAnswer {
    int status = 0;         // 0 when no answer arrived
    std::string body;       // at most the caller's limit
    bool truncated = false; // the body went on past the limit
    std::string failure;    // why no answer arrived (transport), empty otherwise
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    // One GET; reads at most `maxBytes` of the body.
    [[nodiscard]] virtual HttpAnswer Get(const std::string& url, std::size_t maxBytes) = 0;
};

} // namespace kestrana::weather
