#pragma once
// Turning skin pictures, which are drawn for a dock on the bottom edge, to the edge the
// dock stands on, and the small pixel helpers the skin drawing needs.

#include "gfx/bitmap.h"
#include "gfx/resample.h"

#include <cstdint>
#include <optional>

namespace kestrana::themes {

// The dock's screen edge, numbered as "normal"/"screenposition" stores it.
enum class SkinEdge : std::uint8_t { Left = 1, Bottom = 2, Right = 3, Top = 4 };

// 1 to 4; anything else (absent included) is the bottom edge.
[[nodiscard]] SkinEdge SkinEdgeFromScreenPosition(int screenPosition);
[[nodiscard]] constexpr bool IsVerticalEdge(SkinEdge edge) { return edge == SkinEdge::Left || edge == SkinEdge::Right; }

// The insets of a bottom-edge picture as they apply to the picture turned for `edge`
// (left, top, right, bottom):
//   bottom (l, t, r, b); left (b, l, t, r); right (t, r, b, l); top (l, b, r, t).
[[nodiscard]] gfx::Insets InsetsForEdge(const gfx::Insets& bottomEdge, SkinEdge edge);

// The picture turned so that its bottom side faces the screen edge: a quarter turn
// clockwise for the left edge, anticlockwise for the right edge, mirrored top to bottom
// for the top edge. Pixels are moved, never resampled.
[[nodiscard]] gfx::Bitmap TurnForEdge(const gfx::Bitmap& bottomEdge, SkinEdge edge);

// Insets that a picture of `width` by `height` can be cut with. Where two opposite
// insets meet or cross, the second becomes size - first - 1, leaving a one-pixel middle
// to stretch. Nothing for a negative or non-finite inset or one that alone covers the
// picture: such a picture is not drawn.
[[nodiscard]] std::optional<gfx::Insets> UsableInsets(const gfx::Insets& insets, int width, int height);

// Multiplies every pixel of `content` by the alpha of the pixel at the same place in
// `mask` (same size; outside the mask counts as transparent). This is how a blurred
// backdrop takes the shape of the skin's blur mask.
void MaskByAlpha(gfx::Bitmap& content, const gfx::Bitmap& mask);

} // namespace kestrana::themes
