#pragma once
// The themed translucent backdrop of each surface, from section "themes" of config.ini.
// Each surface has a switch; its other values apply only while the switch is on (they
// are read either way, so the settings page can show them).

#include "foundation/config_store.h"

#include <cstdint>

namespace kestrana::themes {

enum class Surface : std::uint8_t {
    Dock,           // "enable_dock"
    MenuBar,        // "enable_finder"
    FolderStack,    // "enable_folder"
    FolderIcon,     // "enable_folder_ico"
    Menu,           // "enable_menu"
    IconTag,        // "enable_icontag"
    IconReflection, // "enable_iconreflection"
    Window,         // "enable_window"
    Launchpad,      // "enable_launchpad"
};

struct SurfaceAppearance {
    bool enabled = false;
    std::uint8_t opacity = 0;      // alpha byte from "opacity_<surface>"
    std::uint8_t colorOpacity = 0; // menu bar only: alpha of the accent colour ("opacity_finder_dwmcolor")
    float stroke = 0;              // border strength 0..1 from "stroke_<surface>"
    float blur = 0;                // blur amount from "blur_<surface>"
    int folderIconSize = 0;        // folder icon: "folder_ico_size"
    int reflectionOffset = 0;      // icon reflection: "blur_iconreflectionoffset"
    int reflectionStopPoint = 0;   // icon reflection: "blur_iconreflectionstoppoint"
    bool launchpadBackdrop = false; // Launchpad: "enable_launchpad_backdrop"
    bool launchpadWinUI = false;    // Launchpad: "paduseWinUI"
};

// The keys of a surface's backdrop in section "themes"; nullptr where it has none.
struct SurfaceKeys {
    const wchar_t* enable;
    const wchar_t* opacity;
    const wchar_t* stroke;
    const wchar_t* blur;
};
[[nodiscard]] SurfaceKeys KeysFor(Surface surface);

// Percent (0..100) to an alpha byte: the value times 2.55, cut to an integer, computed in
// double precision as the stored settings always have been (so 100 gives 254). Values
// outside 0..100 are held to that range.
[[nodiscard]] std::uint8_t PercentToAlpha(int percent);

[[nodiscard]] SurfaceAppearance ReadSurfaceAppearance(const foundation::ConfigStore& store, Surface surface);

} // namespace kestrana::themes
