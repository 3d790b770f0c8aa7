#pragma once
// The settings window's Themes page: the dock skin, the icon set (with a picture of the
// two together) and the clock skin, each chosen from the themes found under "themes\",
// and the translucent backdrop of each surface (switch, opacity, border, blur).

#include "foundation/settings_pages.h"

namespace kestrana::gfx {
class ImageDecoder;
}

namespace kestrana::themes {

class ThemeChoices;

// Without `choices` (no running program to share them with) the page reads the choices
// from the store. With a `decoder` the page shows the chosen skin and icons as a picture.
[[nodiscard]] foundation::PageDescriptor ThemeSettingsPage(foundation::ConfigStore& store, ThemeChoices* choices,
                                                           const gfx::ImageDecoder* decoder = nullptr);

} // namespace kestrana::themes
