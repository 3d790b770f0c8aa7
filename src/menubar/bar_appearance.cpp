#include "menubar/bar_appearance.h"

#include "foundation/config_store.h"
#include "themes/surface_appearance.h"

#include <algorithm>

namespace kestrana::menubar {

DarkMode DarkModeFromSetting(int value) {
    return value >= 0 && value <= 3 ? static_cast<DarkMode>(value) : DarkMode::Wallpaper;
}

ShowMode ShowModeFromSetting(int value) {
    return value >= 0 && value <= 2 ? static_cast<ShowMode>(value) : ShowMode::Always;
}

int Brightness(gfx::Color c) { return (299 * c.r + 587 * c.g + 114 * c.b) / 1000; }

std::optional<gfx::Color> AverageColor(std::span<const gfx::Bitmap* const> samples) {
    std::uint64_t r = 0, g = 0, b = 0, n = 0;
    for (const gfx::Bitmap* sample : samples) {
        if (!sample) continue;
        for (gfx::Pixel p : sample->Pixels()) {
            if (gfx::PixelA(p) == 0) continue;
            const gfx::Color c = gfx::Unpremultiply(p);
            r += c.r;
            g += c.g;
            b += c.b;
            ++n;
        }
    }
    if (n == 0) return std::nullopt;
    return gfx::Color{std::uint8_t(r / n), std::uint8_t(g / n), std::uint8_t(b / n), 255};
}

bool NeedsDarkBar(gfx::Color backdrop) { return Brightness(backdrop) < kLightThreshold; }

bool ResolveDark(DarkMode mode, std::optional<bool> wallpaperDark, bool appsDark) {
    switch (mode) {
    case DarkMode::Wallpaper: return wallpaperDark.value_or(false);
    case DarkMode::AppTheme: return appsDark;
    case DarkMode::Light: return false;
    case DarkMode::Dark: return true;
    }
    return false;
}

gfx::Color BarLook::Background() const {
    if (contrast) return {contrast->window.r, contrast->window.g, contrast->window.b, 255};
    if (tint) return {tint->r, tint->g, tint->b, std::max<std::uint8_t>(alpha, 1)};
    // Never fully transparent: a layered window lets clicks through where alpha is 0.
    return dark ? gfx::Color{28, 28, 30, std::max<std::uint8_t>(alpha, 1)}
                : gfx::Color{246, 246, 246, std::max<std::uint8_t>(alpha, 1)};
}

gfx::Color BarLook::Text() const {
    if (contrast) return {contrast->text.r, contrast->text.g, contrast->text.b, 255};
    return dark ? gfx::Color{255, 255, 255, 255} : gfx::Color{0, 0, 0, 255};
}

bool ThemeHasBarOpacity(const foundation::ConfigStore& store) {
    const themes::SurfaceAppearance theme = themes::ReadSurfaceAppearance(store, themes::Surface::MenuBar);
    return theme.enabled && theme.colorOpacity != 0;
}

BarLook ReadBarLook(const foundation::ConfigStore& store, bool dark) {
    const themes::SurfaceAppearance theme = themes::ReadSurfaceAppearance(store, themes::Surface::MenuBar);
    BarLook look;
    look.dark = dark;
    if (theme.enabled) {
        look.alpha = theme.colorOpacity;
        look.blur = theme.blur > 0;
    } else {
        look.alpha = themes::PercentToAlpha(72);
    }
    return look;
}

} // namespace kestrana::menubar
