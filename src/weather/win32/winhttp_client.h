#pragma once
// HTTP GET through WinHTTP for the weather: the system's proxy settings, a 10 s limit on
// every stage, and plain HTTP only to the loopback address.

#include "weather/weather_ports.h"

namespace kestrana::weather::win32 {

class WinHttpClient final : public HttpClient {
public:
    static constexpr int kTimeoutMs = 10000;
    HttpAnswer Get(const std::string& url, std::size_t maxBytes) override;
};

} // namespace kestrana::weather::win32
