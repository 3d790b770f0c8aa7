#pragma once
// The picture of a dock skin shown by the settings window, the theme manager and the
// Workshop upload: the skin's bar across the picture with the icon set's preview icons
// on it, a separator before the trash and running dots under two icons. The skin
// "default" shows the built-in look.

#include "foundation/config_store.h"
#include "gfx/bitmap.h"
#include "gfx/image_decoder.h"
#include "themes/dock_skin.h"
#include "themes/theme_files.h"

#include <array>
#include <string_view>

namespace kestrana::themes {

// The icons drawn on a preview, in order. Only the trash pair has dark twins.
struct PreviewIconName {
    std::wstring_view name;
    bool darkVariant = false;
};
inline constexpr std::array<PreviewIconName, 6> kPreviewIcons = {{{L"explorer", false},
                                                                  {L"ControlPlanel", false},
                                                                  {L"folder", false},
                                                                  {L"pad", false},
                                                                  {L"trash_empty", true},
                                                                  {L"Trash_Full", true}}};
// The separator stands before this icon; the running dots are under the first and third.
inline constexpr std::size_t kPreviewSeparatorBefore = 4;

struct PreviewLayout {
    gfx::RectF bar;
    std::array<gfx::RectF, kPreviewIcons.size()> icons{}; // empty when no icon fits
    float separatorCentre = 0;                            // along x
};

// The bar fills the picture's height and starts at the top; in a square picture it is
// half as high and centred. The icons are as large as the spaces across the bar allow
// and as the row (six icons and half an icon for the separator) fits between the end
// spaces; the row is centred in the room the spaces leave.
[[nodiscard]] PreviewLayout LayoutPreview(int width, int height, const DockSkinSpacing& spacing);

// Draws over `target` (normally transparent). False when the skin has no readable "bg"
// picture: then nothing is drawn.
bool DrawDockSkinPreview(gfx::Bitmap& target, const foundation::ConfigStore& store, const ThemeFiles& icons,
                         const gfx::ImageDecoder& decoder, std::wstring_view skinName, bool dark);

} // namespace kestrana::themes
