#pragma once
// Whole-picture effects on premultiplied bitmaps: a Gaussian-like blur (three box passes
// each way) and the brightening used to light an icon up when it is pressed.

#include "gfx/bitmap.h"

namespace kestrana::gfx {

// Blurs with about the given standard deviation in pixels. Outside the bitmap counts as
// transparent, so a shape away from the borders keeps its total alpha.
void Blur(Bitmap& bitmap, float sigma);
// Blurs only `region`; its edge pixels are repeated outward, so a flat area stays flat
// and nothing outside the region is read or written.
void Blur(Bitmap& bitmap, float sigma, const RectI& region);

// The three box widths (odd) whose repeated application approximates the Gaussian.
struct BoxSizes {
    int sizes[3] = {1, 1, 1};
};
[[nodiscard]] BoxSizes BoxesForGauss(float sigma);

// Scales colour by `factor` toward white (never past the pixel's alpha); alpha is kept.
// Factors below 1 darken.
void Brighten(Bitmap& bitmap, float factor);

} // namespace kestrana::gfx
