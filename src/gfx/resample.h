#pragma once
// The separable resampler behind every scaled drawing: an axis is described as one or
// more segments mapping destination spans onto source spans, so a plain scaled image
// (one segment) and a nine-grid (three segments per axis) share the same code. Each
// destination pixel gets a small table of source taps; sub-pixel placement, edge
// coverage and opacity are folded into the weights.

#include "gfx/bitmap.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace kestrana::gfx {

struct AxisSegment {
    float destStart = 0, destEnd = 0; // target coordinates
    float srcStart = 0, srcEnd = 0;   // source coordinates; taps stay inside this span
};

// Weights are integers in 1/256 (they multiply 8-bit channels packed four to a 64-bit
// word); an output's weights add up to its coverage times 256.
inline constexpr int kWeightOne = 256;

struct AxisPlan {
    int outFirst = 0; // first target pixel
    int outCount = 0;
    int maxTaps = 0;
    std::vector<int> first;              // first source index of each output
    std::vector<int> count;              // taps of each output
    std::vector<std::uint16_t> weights;  // outCount * maxTaps
    // For each output, the end of the run of outputs that read the same two source pixels
    // at full weight: where those two pixels are equal the whole run is one colour.
    std::vector<int> runEnd;
    // The range of source indices the taps read.
    [[nodiscard]] int SourceBegin() const;
    [[nodiscard]] int SourceEnd() const;
};

// Builds the taps for target pixels in [clipBegin, clipEnd) covered by the segments.
// Segments must be in order and touch each other. `srcSize` bounds every tap. `gain`
// (0..1) scales every weight, which is how opacity costs nothing extra.
void BuildAxisPlan(std::span<const AxisSegment> segments, int srcSize, int clipBegin, int clipEnd,
                   AxisPlan& plan, float gain = 1.0f);

// How a drawing meets what is already in the target. Replace writes the drawing's
// pixels as they are (partly covered edge pixels included): the cheap way to lay down
// the first layer of a frame.
enum class BlendMode { Over, Replace };

// Nine-grid insets in pixels of the source image (fractions allowed).
struct Insets {
    float left = 0, top = 0, right = 0, bottom = 0;
};

// The segments of one nine-grid axis: corners at their own size (shrunk in proportion
// when the destination is shorter than both insets), the middle stretched. Returns how
// many of `out` are used.
int NineGridAxis(float destStart, float destLength, float srcLength, float startInset, float endInset,
                 AxisSegment (&out)[3]);

// Resamples into `out` (resized to the plans' output size), replacing its content.
void ResampleCopy(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& out);
// Resamples into `target` at the plans' target position.
void ResampleBlend(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& target,
                   BlendMode mode = BlendMode::Over);

// Draws a premultiplied bitmap at an integer position, clipped.
void BlendBitmap(const Bitmap& src, int x, int y, float opacity, const RectI& clip, Bitmap& target,
                 BlendMode mode = BlendMode::Over);

// High-quality scaled copy of the whole source (convenience for one-off uses).
[[nodiscard]] Bitmap ScaleBitmap(const Bitmap& src, int width, int height);
// The same from a picture never held whole (a screen read in bands): `rowAt(y)` returns
// source row y (`srcWidth` pixels), asked for top to bottom, each row once.
[[nodiscard]] Bitmap ScaleRows(int srcWidth, int srcHeight, const std::function<const Pixel*(int)>& rowAt, int width,
                               int height);
// A scaled copy whose longer side is `size`, the aspect kept.
[[nodiscard]] Bitmap ScaleToFit(const Bitmap& src, int size);

// Half-size copy by 2x2 area averaging (odd edges averaged with what exists).
[[nodiscard]] Bitmap HalveBitmap(const Bitmap& src);

} // namespace kestrana::gfx
