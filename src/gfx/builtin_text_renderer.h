#pragma once
// A tiny blocky font (3 by 5 cells for ASCII, a box for anything else), scaled to the
// asked size. The same input always gives the same pixels on every platform, which is
// what tests and golden images need; it ignores the family.

#include "gfx/text_renderer.h"

namespace kestrana::gfx {

class BuiltinTextRenderer final : public TextRenderer {
public:
    [[nodiscard]] TextExtent Measure(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;
    [[nodiscard]] Bitmap Draw(std::wstring_view text, const TextStyle& style, int maxWidth = 0) override;
};

} // namespace kestrana::gfx
