#pragma once
// How the bar looks: light or dark (from the wallpaper, the system's app theme or fixed),
// the tint taken from the active application, its backdrop, and its display mode.

#include "gfx/bitmap.h"
#include "gfx/contrast.h"

#include <cstdint>

#include <optional>
#include <span>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

enum class DarkMode : std::uint8_t {
    Wallpaper = 0, // sampled under the bar every 10 s
    AppTheme = 1,  // the system's app theme
    Light = 2,
    Dark = 3,
};
[[nodiscard]] DarkMode DarkModeFromSetting(int value);

enum class ShowMode : std::uint8_t {
    Always = 0,
    HideWhenLeft = 1,   // hidden once the pointer leaves, back when it reaches the top edge
    HideWhenCovered = 2, // the same, but only while a window reaches into the bar's area
};
[[nodiscard]] ShowMode ShowModeFromSetting(int value);

// Brightness at or above this counts as light (the bar then draws dark text).
inline constexpr int kLightThreshold = 131;

// Perceived brightness 0..255 of a colour.
[[nodiscard]] int Brightness(gfx::Color color);
// The average straight colour of premultiplied samples (transparent ones are skipped).
[[nodiscard]] std::optional<gfx::Color> AverageColor(std::span<const gfx::Bitmap* const> samples);
// True when a backdrop of this colour needs the dark bar (light text).
[[nodiscard]] bool NeedsDarkBar(gfx::Color backdrop);

// The dark flag for a mode; `wallpaperDark` is unknown until sampled (then light).
[[nodiscard]] bool ResolveDark(DarkMode mode, std::optional<bool> wallpaperDark, bool appsDark);

// The bar's backdrop: its colour and alpha from the theme, and whether to blur behind.
struct BarLook {
    bool dark = false;
    std::uint8_t alpha = 0;
    bool blur = false;
    std::optional<gfx::Color> tint; // "autocolor": the active application's colour
    // High contrast: the scheme's colours, opaque, over everything above.
    std::optional<gfx::ContrastColours> contrast;
    [[nodiscard]] gfx::Color Background() const;
    [[nodiscard]] gfx::Color Text() const;
};

// Whether the theme gives the bar an opacity of its own; such a bar looks at its look again
// after every clock tick (the system's colours and app theme may have changed under it).
[[nodiscard]] bool ThemeHasBarOpacity(const foundation::ConfigStore& store);

// Without a theme of its own the bar is a calm translucent strip; a theme sets its
// opacity ("opacity_finder_dwmcolor") and blur ("blur_finder").
[[nodiscard]] BarLook ReadBarLook(const foundation::ConfigStore& store, bool dark);

} // namespace kestrana::menubar
