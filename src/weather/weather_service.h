#pragma once
// Where the weather comes from and for which place: the configured service (the
// "weather"/"service" base address) or, when none is set, the free provider; the stored
// place with its fall-backs; and one fetch turned into an update or a reason.

#include "foundation/config_store.h"
#include "weather/weather_answer.h"
#include "weather/weather_ports.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::weather {

inline constexpr wchar_t kDefaultPlace[] = L"116.40717,39.90469";

struct WeatherPlace {
    std::wstring coordinates; // "lon,lat"
    std::wstring name;
};

enum class Provider { Service, OpenMeteo };

struct ProviderChoice {
    Provider provider = Provider::OpenMeteo;
    std::string base; // "https://host[:port]" without a trailing slash, for Provider::Service
};

// https to any host; plain http only to the loopback address, so tests can serve
// recorded answers without opening a cleartext path to the network.
[[nodiscard]] bool BaseAddressAllowed(std::string_view base);
// From "weather"/"service"; an address that is not allowed falls back to the free provider.
[[nodiscard]] ProviderChoice ReadProvider(const foundation::ConfigStore& store);

// "116.40717,39.90469" as longitude and latitude; nullopt without a "," or with a part
// that is not a number in range.
[[nodiscard]] std::optional<GeoPosition> ParsePlace(std::wstring_view coordinates);
[[nodiscard]] std::wstring PlaceText(const GeoPosition& position);
// The stored place when it holds a ","; else the machine's position (written back);
// else the default. `position` is asked only when needed.
[[nodiscard]] WeatherPlace ResolvePlace(foundation::ConfigStore& store, const std::function<std::optional<GeoPosition>()>& position);

[[nodiscard]] std::string ForecastUrl(const ProviderChoice& provider, const WeatherPlace& place);
[[nodiscard]] std::string PlaceSearchUrl(const ProviderChoice& provider, std::wstring_view query);
// Percent-encodes everything but unreserved characters, from UTF-8.
[[nodiscard]] std::string UrlEncode(std::wstring_view text);

struct FetchOutcome {
    WeatherUpdate update; // Usable() when the fetch brought current conditions
    std::string failure;  // transport or HTTP failure, empty when an answer was read
};

struct FetchContext {
    CivilDate today;
    bool chineseNames = false;
};

// One forecast request and its parse; runs on a worker.
[[nodiscard]] FetchOutcome FetchWeather(HttpClient& http, const ProviderChoice& provider, const WeatherPlace& place,
                                        const FetchContext& context);
[[nodiscard]] std::vector<PlaceChoice> SearchPlaces(HttpClient& http, const ProviderChoice& provider, std::wstring_view query,
                                                    bool chineseNames);

// The sun-times job: computes today's times from the position (the defaults when it is
// unknown), writes "normal"/"sunrise" and "normal"/"sunset" and returns them; nullopt
// (nothing written) in polar day or night.
std::optional<SunTimes> RunSunTimesJob(foundation::ConfigStore& store, const std::optional<GeoPosition>& position,
                                       const CivilDate& today);

} // namespace kestrana::weather
