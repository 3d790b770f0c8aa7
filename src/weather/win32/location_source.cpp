#include "weather/win32/location_source.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <locationapi.h>
#include <wrl/client.h>

#include <thread>

namespace kestrana::weather::win32 {

using Microsoft::WRL::ComPtr;

std::optional<GeoPosition> Win32PositionSource::Read(std::chrono::milliseconds limit) {
    try {
        kestrana::win32::ComApartment apartment(COINIT_MULTITHREADED);
        ComPtr<ILocation> location;
        HRESULT hr = ::CoCreateInstance(__uuidof(Location), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&location));
        if (FAILED(hr)) {
            foundation::LogFailure("weather position", "no location service (" + std::to_string(hr) + ")");
            return std::nullopt;
        }
        IID types[] = {__uuidof(ILatLongReport)};
        hr = location->RequestPermissions(nullptr, types, 1, FALSE);
        if (FAILED(hr)) {
            foundation::LogFailure("weather position", "location refused (" + std::to_string(hr) + ")");
            return std::nullopt;
        }
        // Asking for the report until one comes spares a COM event sink that would have
        // to outlive this thread when the wait is given up.
        const auto end = std::chrono::steady_clock::now() + limit;
        do {
            ComPtr<ILocationReport> report;
            ComPtr<ILatLongReport> latLong;
            if (SUCCEEDED(location->GetReport(__uuidof(ILatLongReport), &report)) && report &&
                SUCCEEDED(report.As(&latLong))) {
                DOUBLE latitude = 0, longitude = 0;
                if (SUCCEEDED(latLong->GetLatitude(&latitude)) && SUCCEEDED(latLong->GetLongitude(&longitude)) &&
                    (latitude != 0 || longitude != 0))
                    return GeoPosition{latitude, longitude};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        } while (std::chrono::steady_clock::now() < end);
        foundation::LogFailure("weather position", "no position report within the wait");
    } catch (...) {
        foundation::LogCaught("weather position");
    }
    return std::nullopt;
}

} // namespace kestrana::weather::win32
