#pragma once
// The separable resampler behind every scaled drawing: an axis is described as one or
// more segments mapping destination spans onto source spans, so a plain scaled image
// (one segment) and a nine-grid (three segments per axis) share the same code. Each
// destination pixel gets a small table of source taps; sub-pixel placement, edge
// coverage and opacity are folded into the weights.

#include "gfx/bitmap.h"

#include <span>
#include <vector>

namespace kestrana::gfx {

struct AxisSegment {
    float destStart = 0, destEnd = 0; // target coordinates
    float srcStart = 0, srcEnd = 0;   // source coordinates; taps stay inside this span
};

struct AxisPlan {
    int outFirst = 0; // first target pixel
    int outCount = 0;
    int maxTaps = 0;
    std::vector<int> first;     // first source index of each output
    std::vector<int> count;     // taps of each output
    std::vector<float> weights; // outCount * maxTaps; sums to the pixel's coverage
    [[nodiscard]] int SourceBegin() const { return outCount ? first.front() : 0; }
    [[nodiscard]] int SourceEnd() const;
};

// Builds the taps for target pixels in [clipBegin, clipEnd) covered by the segments.
// Segments must be in order and touch each other. `srcSize` bounds every tap.
void BuildAxisPlan(std::span<const AxisSegment> segments, int srcSize, int clipBegin, int clipEnd,
                   AxisPlan& plan);

// Resamples into `out` (resized to the plans' output size), replacing its content.
void ResampleCopy(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& out);
// Resamples and blends (source over) into `target` at the plans' target position.
void ResampleBlend(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, float opacity, Bitmap& target);

// Source-over blending of a premultiplied bitmap at an integer position, clipped.
void BlendBitmap(const Bitmap& src, int x, int y, float opacity, const RectI& clip, Bitmap& target);

// High-quality scaled copy of the whole source (convenience for one-off uses).
[[nodiscard]] Bitmap ScaleBitmap(const Bitmap& src, int width, int height);

// Half-size copy by 2x2 area averaging (odd edges averaged with what exists).
[[nodiscard]] Bitmap HalveBitmap(const Bitmap& src);

} // namespace kestrana::gfx
