#pragma once
// The machine's position from the Windows location interface, asked on the calling
// thread (a worker) and given up after the caller's limit.

#include "weather/weather_ports.h"

namespace kestrana::weather::win32 {

class Win32PositionSource final : public PositionSource {
public:
    std::optional<GeoPosition> Read(std::chrono::milliseconds limit) override;
};

} // namespace kestrana::weather::win32
