#include "menubar/bar_geometry.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cmath>

namespace kestrana::menubar {

float BarScale(std::optional<float> configured, float systemScale) {
    if (configured && std::isfinite(*configured) && *configured >= 1.0f && *configured <= 4.0f) return *configured;
    return systemScale;
}

float BarScaleFor(const foundation::ConfigStore& store, std::wstring_view screenSection, bool allScreens,
                  float systemScale) {
    std::optional<float> configured;
    if (allScreens && !screenSection.empty() && store.HasKey(screenSection, L"varloDPI"))
        configured = store.ReadFloat(screenSection, L"varloDPI");
    else if (store.HasKey(L"finder", L"varloDPI"))
        configured = store.ReadFloat(L"finder", L"varloDPI");
    return BarScale(configured, systemScale);
}

namespace {
float TextFactor(float textScale) { return std::isfinite(textScale) ? std::clamp(textScale, 1.0f, 2.25f) : 1.0f; }
} // namespace

int BarHeight(float scale, float textScale) {
    const float grown = BarTextSize(scale, textScale) - BarTextSize(scale);
    const int height = Scaled(24.0f, scale) + static_cast<int>(std::lround(std::isfinite(grown) ? grown : 0.0f));
    return height % 2 ? height + 1 : height;
}

float BarTextSize(float scale, float textScale) { return 13.0f * scale * TextFactor(textScale); }

int Scaled(float value, float scale) {
    const float product = value * scale;
    return std::isfinite(product) ? static_cast<int>(product) : 0;
}

LeftSide LayOutLeftSide(int left, float scale) {
    LeftSide side;
    side.logoWidth = Scaled(33.0f, scale);
    side.nameX = left + Scaled(46.0f, scale);
    side.logoX = side.nameX - side.logoWidth;
    return side;
}

std::wstring TitleWithoutAccessKey(std::wstring_view title) {
    if (!title.empty() && title.back() == L')') {
        const auto open = title.rfind(L'(');
        if (open != std::wstring_view::npos) title = title.substr(0, open);
    }
    return std::wstring(title);
}

std::wstring ScreenSection(std::wstring_view deviceName) {
    constexpr std::wstring_view prefix = L"\\\\.\\";
    if (deviceName.substr(0, prefix.size()) == prefix) deviceName.remove_prefix(prefix.size());
    return std::wstring(deviceName);
}

} // namespace kestrana::menubar
