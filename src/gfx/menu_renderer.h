#pragma once
// Draws one level of a pop-up menu into its picture: a rounded panel, the lit row, check
// marks, submenu arrows, rules, and the texts, light or dark. The texts are drawn once
// per level as coverage and tinted on every redraw, so moving the lit row costs no text
// drawing.

#include "gfx/bitmap.h"
#include "gfx/contrast.h"
#include "gfx/menu_layout.h"
#include "gfx/menu_model.h"
#include "gfx/text_renderer.h"

#include <cstdint>
#include <vector>

namespace kestrana::gfx {

struct MenuLook {
    Color background;
    Color border;
    Color text;
    Color disabledText;
    Color detailText;
    Color highlight;
    Color highlightText;
    Color separator;

    // `opacity` is the panel's alpha (the theme's menu opacity, or nearly opaque).
    [[nodiscard]] static MenuLook For(bool dark, std::uint8_t opacity = 246);
    // High contrast: the scheme's own colours, opaque, the lit row in its highlight.
    [[nodiscard]] static MenuLook For(const ContrastColours& scheme);
};

struct MenuLabels {
    std::vector<Bitmap> text;   // one per item; empty for rules
    std::vector<Bitmap> detail; // one per item; empty when the item has none
};

[[nodiscard]] MenuLabels DrawMenuLabels(const Menu& items, const MenuMetrics& metrics, TextRenderer& text);

// `target` must have the layout's size; `hot` is the lit row or -1.
void DrawMenu(Bitmap& target, const Menu& items, const MenuLayout& layout, const MenuMetrics& metrics,
              const MenuLook& look, const MenuLabels& labels, int hot);

} // namespace kestrana::gfx
