#pragma once
// The rounded screen corners' per-monitor settings as the program reads them, with their
// defaults and clamps; a replaced value is noted once.

#include "extras/screen_corner_caps.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

struct ScreenCornerSettings {
    bool on = false;
    int radius = kDefaultCornerRadius;  // at 96 dpi
    std::uint32_t color = 0;            // 0x00BBGGRR, as the system's colour values
};

// Reads one monitor's settings; a radius or colour that had to be replaced is noted in the
// diagnostic log once per monitor, key and value for the life of the reader.
class ScreenCornerReader {
public:
    [[nodiscard]] ScreenCornerSettings Read(const foundation::ConfigStore& store, std::wstring_view deviceName);

private:
    void Report(const std::wstring& what);
    std::set<std::wstring> m_reported;
};

} // namespace kestrana::extras
