#include "themes/surface_appearance.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kestrana::themes {

SurfaceKeys KeysFor(Surface surface) {
    switch (surface) {
    case Surface::Dock: return {L"enable_dock", L"opacity_dock", nullptr, L"blur_dock"};
    case Surface::MenuBar: return {L"enable_finder", L"opacity_finder", nullptr, L"blur_finder"};
    case Surface::FolderStack: return {L"enable_folder", L"opacity_folder", L"stroke_folder", L"blur_folder"};
    case Surface::FolderIcon: return {L"enable_folder_ico", nullptr, nullptr, nullptr};
    case Surface::Menu: return {L"enable_menu", L"opacity_menu", L"stroke_menu", L"blur_menu"};
    case Surface::IconTag: return {L"enable_icontag", L"opacity_icontag", L"stroke_icontag", L"blur_icontag"};
    case Surface::IconReflection:
        return {L"enable_iconreflection", L"opacity_iconreflection", nullptr, L"blur_iconreflection"};
    case Surface::Window: return {L"enable_window", L"opacity_window", L"stroke_window", L"blur_window"};
    case Surface::Launchpad: return {L"enable_launchpad", nullptr, nullptr, L"blur_launchpad"};
    }
    return {L"", nullptr, nullptr, nullptr};
}

std::uint8_t PercentToAlpha(int percent) {
    const int p = std::clamp(percent, 0, 100);
    return std::uint8_t(double(p) * 2.55);
}

SurfaceAppearance ReadSurfaceAppearance(const foundation::ConfigStore& store, Surface surface) {
    constexpr std::wstring_view section = L"themes";
    const SurfaceKeys keys = KeysFor(surface);
    SurfaceAppearance a;
    a.enabled = store.ReadInt(section, keys.enable) != 0;
    if (keys.opacity) {
        a.opacity = PercentToAlpha(store.ReadInt(section, keys.opacity));
    }
    if (keys.stroke) {
        // The border is drawn with a fraction, so only the percentage is held to its range.
        a.stroke = float(std::clamp(store.ReadInt(section, keys.stroke), 0, 100)) / 100.0f;
    }
    if (keys.blur) {
        const float blur = store.ReadFloat(section, keys.blur);
        a.blur = std::isfinite(blur) ? std::max(blur, 0.0f) : 0.0f;
    }
    switch (surface) {
    case Surface::MenuBar:
        a.colorOpacity = PercentToAlpha(store.ReadInt(section, L"opacity_finder_dwmcolor"));
        break;
    case Surface::FolderIcon:
        a.folderIconSize = store.ReadInt(section, L"folder_ico_size");
        break;
    case Surface::IconReflection:
        a.reflectionOffset = store.ReadInt(section, L"blur_iconreflectionoffset");
        a.reflectionStopPoint = store.ReadInt(section, L"blur_iconreflectionstoppoint");
        break;
    case Surface::Launchpad:
        a.launchpadBackdrop = store.ReadInt(section, L"enable_launchpad_backdrop") != 0;
        a.launchpadWinUI = store.ReadInt(section, L"paduseWinUI") != 0;
        break;
    default:
        break;
    }
    return a;
}

} // namespace kestrana::themes
