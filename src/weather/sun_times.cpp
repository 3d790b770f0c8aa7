#include "weather/sun_times.h"

#include <cmath>

namespace kestrana::weather {

namespace {

// The constants the stored times have always been computed with; keeping them keeps
// the times the same minute as before.
constexpr double kPi = 3.1415926;
constexpr double kDegreesPerRadian = 57.295780490442965;
constexpr int kMaxSteps = 50;

double SinD(double degrees) { return std::sin(degrees * kPi / 180.0); }
double CosD(double degrees) { return std::cos(degrees * kPi / 180.0); }

} // namespace

int SunTimeZone(double longitude) {
    const int whole = int(std::trunc(longitude / 15.0));
    return longitude >= 0 ? whole + 1 : whole - 1;
}

std::optional<double> SunEventDegrees(const GeoPosition& position, const CivilDate& date, bool sunrise) {
    const double n = DayNumber(date);
    const double phi = position.latitude;
    double u = 180.0;
    for (int step = 0; step < kMaxSteps; ++step) {
        const double t = (n + u / 360.0) / 36525.0;
        const double g = 357.528 + 35999.05 * t;
        const double l = 280.46 + 36000.77 * t;
        const double lambda = l + 1.915 * SinD(g) + 0.02 * SinD(2 * g);
        const double epsilon = 23.4393 - 0.013 * t;
        const double delta = std::asin(SinD(epsilon) * SinD(lambda)) * kDegreesPerRadian;
        const double e = u - 180.0 - 1.915 * SinD(g) - 0.02 * SinD(2 * g) + 2.466 * SinD(2 * lambda) - 0.053 * SinD(4 * lambda);
        const double cosHour = (SinD(-0.833) - SinD(phi) * SinD(delta)) / (CosD(phi) * CosD(delta));
        // Outside [-1, 1] the sun stays above or below the horizon all day.
        if (!(cosHour >= -1.0 && cosHour <= 1.0)) return std::nullopt;
        const double hourAngle = std::acos(cosHour) * kDegreesPerRadian;
        const double next = sunrise ? u - (e + position.longitude + hourAngle) : u - (e + position.longitude - hourAngle);
        if (!std::isfinite(next)) return std::nullopt;
        const bool settled = std::fabs(next - u) < 0.1;
        u = next;
        if (settled) return u;
    }
    return std::nullopt;
}

std::optional<SunTimes> ComputeSunTimes(const GeoPosition& position, const CivilDate& date) {
    const auto rise = SunEventDegrees(position, date, true);
    const auto set = SunEventDegrees(position, date, false);
    if (!rise || !set) return std::nullopt;
    const int zone = SunTimeZone(position.longitude);
    const auto toClock = [zone](double u) {
        const double x = u / 15.0 + zone;
        const int hour = int(std::trunc(x));
        return ClockTime{hour, int(std::trunc(60.0 * (x - hour)))};
    };
    return SunTimes{toClock(*rise), toClock(*set)};
}

std::wstring FormatClockTime(ClockTime time) {
    return std::to_wstring(time.hour) + L":" + std::to_wstring(time.minute);
}

std::optional<ClockTime> ParseClockTime(std::wstring_view text) {
    const auto colon = text.find(L':');
    if (colon == std::wstring_view::npos) return std::nullopt;
    const auto number = [](std::wstring_view part) -> std::optional<int> {
        if (part.empty() || part.size() > 4) return std::nullopt;
        int v = 0;
        for (wchar_t c : part) {
            if (c < L'0' || c > L'9') return std::nullopt;
            v = v * 10 + (c - L'0');
        }
        return v;
    };
    const auto h = number(text.substr(0, colon));
    const auto m = number(text.substr(colon + 1));
    if (!h || !m) return std::nullopt;
    return ClockTime{*h, *m};
}

SunTimes EffectiveSunTimes(const SunTimes& stored) {
    return {stored.sunrise.hour == 0 ? kDefaultSunTimes.sunrise : stored.sunrise,
            stored.sunset.hour == 0 ? kDefaultSunTimes.sunset : stored.sunset};
}

bool IsNightHour(int hour, const SunTimes& sun) {
    const SunTimes s = EffectiveSunTimes(sun);
    return !(hour >= s.sunrise.hour && hour < s.sunset.hour);
}

bool IsNightAt(int hour, int minute, const SunTimes& sun) {
    const SunTimes s = EffectiveSunTimes(sun);
    const int now = hour * 60 + minute;
    return now >= s.sunset.hour * 60 + s.sunset.minute || now < s.sunrise.hour * 60 + s.sunrise.minute;
}

} // namespace kestrana::weather
