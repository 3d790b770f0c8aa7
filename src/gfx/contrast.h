#pragma once
// The colours of the user's high-contrast scheme, which replace a surface's own look
// while it is on: plain, opaque, and drawn with the system's brushes.

#include "gfx/bitmap.h"

namespace kestrana::gfx {

struct ContrastColours {
    Color window{0, 0, 0, 255};        // backgrounds
    Color text{255, 255, 255, 255};    // text, glyphs, outlines
    Color highlight{26, 235, 255, 255}; // the focus and selected things
    bool operator==(const ContrastColours&) const = default;
};

} // namespace kestrana::gfx
