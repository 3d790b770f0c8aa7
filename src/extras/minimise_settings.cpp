#include "extras/minimise_settings.h"

#include "foundation/config_store.h"
#include "foundation/text.h"

#include <array>
#include <cmath>
#include <utility>

namespace kestrana::extras {

MinimiseEffect EffectFromText(std::wstring_view text) {
    using foundation::EqualsIgnoreCase;
    if (EqualsIgnoreCase(text, L"scale") || EqualsIgnoreCase(text, L"scaledx")) return MinimiseEffect::Scale;
    if (EqualsIgnoreCase(text, L"suck")) return MinimiseEffect::Suck;
    return MinimiseEffect::Genie;
}

float ClampSpeed(float speed) {
    if (speed == 0.0f || !std::isfinite(speed)) return 1.0f;
    if (speed < kMinSpeed) return kMinSpeed;
    if (speed > kMaxSpeed) return kMaxSpeed;
    return speed;
}

std::wstring SpeedLabel(float speed) {
    static constexpr std::array<std::pair<int, const wchar_t*>, 8> kLabels{{
        {25, L"3.0x"}, {40, L"2.5x"}, {50, L"2.0x"}, {67, L"1.5x"},
        {80, L"1.25x"}, {100, L"1.0x"}, {150, L"0.75x"}, {200, L"0.5x"},
    }};
    const int hundredths = static_cast<int>(std::lround(speed * 100.0f));
    for (const auto& [value, label] : kLabels)
        if (value == hundredths) return label;
    return {};
}

MinimiseSettings ReadMinimiseSettings(const foundation::ConfigStore& store, bool captureAvailable) {
    constexpr std::wstring_view section = L"minimize";
    MinimiseSettings s;
    s.enabled = store.ReadBool(section, L"enabled");
    s.effect = EffectFromText(store.ReadString(section, L"effect"));
    s.speed = ClampSpeed(store.ReadFloat(section, L"Animationspeed"));
    s.toOwnIcon = store.ReadBool(section, L"mintoico");
    s.slowdown = store.ReadBool(section, L"slowdown");
    s.disabled = store.ReadBool(section, L"DisableMinAnimation");
    s.graphicsCapture = captureAvailable && store.ReadBool(section, L"UWPCapture");
    s.placeChoice = store.ReadInt(section, L"minicopos");
    return s;
}

bool IsExcludedProgram(const foundation::ConfigStore& store, std::wstring_view key) {
    return !key.empty() && store.ReadInt(L"blacklistwindows", key) != 0;
}

} // namespace kestrana::extras
