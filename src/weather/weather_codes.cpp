#include "weather/weather_codes.h"

#include <array>

namespace kestrana::weather {

namespace {

struct Condition {
    const wchar_t* code;
    const wchar_t* text;
};

constexpr std::array kConditions{
    Condition{L"0", L"Clear"},          Condition{L"1", L"Partly cloudy"}, Condition{L"2", L"Cloudy"},
    Condition{L"3", L"Fog"},            Condition{L"4", L"Drizzle"},       Condition{L"5", L"Rain"},
    Condition{L"6", L"Heavy rain"},     Condition{L"7", L"Freezing rain"}, Condition{L"8", L"Snow"},
    Condition{L"9", L"Rain showers"},   Condition{L"10", L"Snow showers"}, Condition{L"11", L"Thunderstorm"},
    Condition{L"12", L"Thunderstorm with hail"},
};

struct WmoRow {
    int wmo;
    const wchar_t* code;
};

// WMO 4677 codes as the free provider uses them; neighbours that look alike on a 32-pixel
// icon share a picture.
constexpr std::array kWmo{
    WmoRow{0, L"0"},  WmoRow{1, L"1"},  WmoRow{2, L"1"},  WmoRow{3, L"2"},  WmoRow{45, L"3"},
    WmoRow{48, L"3"}, WmoRow{51, L"4"}, WmoRow{53, L"4"}, WmoRow{55, L"4"}, WmoRow{56, L"7"},
    WmoRow{57, L"7"}, WmoRow{61, L"5"}, WmoRow{63, L"5"}, WmoRow{65, L"6"}, WmoRow{66, L"7"},
    WmoRow{67, L"7"}, WmoRow{71, L"8"}, WmoRow{73, L"8"}, WmoRow{75, L"8"}, WmoRow{77, L"8"},
    WmoRow{80, L"9"}, WmoRow{81, L"9"}, WmoRow{82, L"6"}, WmoRow{85, L"10"}, WmoRow{86, L"10"},
    WmoRow{95, L"11"}, WmoRow{96, L"12"}, WmoRow{99, L"12"},
};

} // namespace

std::optional<std::wstring> ConditionFromWmo(int wmoCode) {
    for (const WmoRow& row : kWmo)
        if (row.wmo == wmoCode) return std::wstring(row.code);
    return std::nullopt;
}

std::wstring ConditionDefaultText(std::wstring_view code) {
    for (const Condition& c : kConditions)
        if (code == c.code) return c.text;
    return {};
}

} // namespace kestrana::weather
