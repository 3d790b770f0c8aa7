#include "themes/skin_geometry.h"

#include <cmath>

namespace kestrana::themes {

SkinEdge SkinEdgeFromScreenPosition(int screenPosition) {
    return screenPosition >= 1 && screenPosition <= 4 ? SkinEdge(screenPosition) : SkinEdge::Bottom;
}

gfx::Insets InsetsForEdge(const gfx::Insets& i, SkinEdge edge) {
    switch (edge) {
    case SkinEdge::Left: return {i.bottom, i.left, i.top, i.right};
    case SkinEdge::Right: return {i.top, i.right, i.bottom, i.left};
    case SkinEdge::Top: return {i.left, i.bottom, i.right, i.top};
    case SkinEdge::Bottom: break;
    }
    return i;
}

gfx::Bitmap TurnForEdge(const gfx::Bitmap& src, SkinEdge edge) {
    switch (edge) {
    case SkinEdge::Left: return gfx::RotateClockwise(src, 1);
    case SkinEdge::Right: return gfx::RotateClockwise(src, -1);
    case SkinEdge::Top: return gfx::FlipVertical(src);
    case SkinEdge::Bottom: break;
    }
    return src.Clone();
}

std::optional<gfx::Insets> UsableInsets(const gfx::Insets& insets, int width, int height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    gfx::Insets out = insets;
    for (float v : {out.left, out.top, out.right, out.bottom}) {
        if (!std::isfinite(v) || v < 0) {
            return std::nullopt;
        }
    }
    const auto fit = [](float first, float& second, int size) {
        if (first >= float(size)) {
            return false;
        }
        if (first + second >= float(size)) {
            second = float(size) - first - 1.0f;
        }
        return second >= 0;
    };
    if (!fit(out.left, out.right, width) || !fit(out.top, out.bottom, height)) {
        return std::nullopt;
    }
    return out;
}

void MaskByAlpha(gfx::Bitmap& content, const gfx::Bitmap& mask) {
    for (int y = 0; y < content.Height(); ++y) {
        gfx::Pixel* row = content.Row(y);
        const gfx::Pixel* m = y < mask.Height() ? mask.Row(y) : nullptr;
        for (int x = 0; x < content.Width(); ++x) {
            const std::uint32_t k = m && x < mask.Width() ? gfx::PixelA(m[x]) : 0;
            if (k == 255) {
                continue;
            }
            const gfx::Pixel p = row[x];
            // Each channel times k / 255, rounded; premultiplied stays premultiplied.
            const auto scale = [k](std::uint32_t c) { return (c * k + 127) / 255; };
            row[x] = gfx::MakePixel(std::uint8_t(scale(gfx::PixelR(p))), std::uint8_t(scale(gfx::PixelG(p))),
                                    std::uint8_t(scale(gfx::PixelB(p))), std::uint8_t(scale(gfx::PixelA(p))));
        }
    }
}

} // namespace kestrana::themes
