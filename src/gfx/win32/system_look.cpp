#include "gfx/win32/system_look.h"

#include "gfx/system_look.h"

namespace kestrana::gfx {
namespace {

Color SystemColour(int index) {
    const COLORREF c = ::GetSysColor(index);
    return {GetRValue(c), GetGValue(c), GetBValue(c), 255};
}

} // namespace

std::optional<ContrastColours> HighContrastColours() noexcept {
    HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) ||
        !(contrast.dwFlags & HCF_HIGHCONTRASTON))
        return std::nullopt;
    return ContrastColours{SystemColour(COLOR_WINDOW), SystemColour(COLOR_WINDOWTEXT), SystemColour(COLOR_HIGHLIGHT)};
}

bool SystemAnimations() noexcept {
    BOOL on = TRUE;
    // Not known (older systems): animations are on, as Windows' own default.
    if (!::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return true;
    return on != FALSE;
}

float TextScale() noexcept {
    DWORD percent = 0, size = sizeof(percent);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", L"TextScaleFactor", RRF_RT_REG_DWORD,
                       nullptr, &percent, &size) != ERROR_SUCCESS)
        return 1.0f;
    return TextScaleFromPercent(static_cast<long long>(percent));
}

bool SystemLookChange(WPARAM wParam, LPARAM lParam) noexcept {
    if (wParam == SPI_SETHIGHCONTRAST || wParam == SPI_SETCLIENTAREAANIMATION) return true;
    const auto* area = reinterpret_cast<const wchar_t*>(lParam);
    return area && (::lstrcmpiW(area, L"WindowsThemeElement") == 0 || ::lstrcmpiW(area, L"ImmersiveColorSet") == 0);
}

bool AppsUseDarkTheme() noexcept {
    DWORD light = 1, size = sizeof light;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                       L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size) != ERROR_SUCCESS)
        return false; // no choice made: Windows shows the light mode
    return light == 0;
}

} // namespace kestrana::gfx
