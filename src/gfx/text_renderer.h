#pragma once
// The port through which bars measure and draw single lines of text (labels, menu-bar
// items, clock faces). On Windows it is DirectWrite; BuiltinTextRenderer is a small,
// deterministic stand-in for tests.

#include "gfx/bitmap.h"

#include <string>
#include <string_view>

namespace kestrana::gfx {

struct TextStyle {
    std::wstring family;  // empty: the system's user-interface font
    float size = 12.0f;   // em size in pixels
    int weight = 400;     // 100 (thin) to 900 (black); 700 is bold
    Color color{0, 0, 0, 255};
};

struct TextExtent {
    int width = 0;     // pixels, after any ellipsis; never above a positive maxWidth
    int height = 0;    // line height in pixels
    int baseline = 0;  // from the top of the line
    bool truncated = false;
};

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // What Draw would produce. `maxWidth` <= 0 means no limit; otherwise text that does
    // not fit is cut and ends with an ellipsis.
    [[nodiscard]] virtual TextExtent Measure(std::wstring_view text, const TextStyle& style, int maxWidth = 0) = 0;
    // The line drawn into a transparent bitmap of exactly the measured size, anti-aliased
    // with per-pixel alpha in the style's colour. Empty for empty text.
    [[nodiscard]] virtual Bitmap Draw(std::wstring_view text, const TextStyle& style, int maxWidth = 0) = 0;
};

} // namespace kestrana::gfx
