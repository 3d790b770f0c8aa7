#pragma once
// Row kernels shared by the resampler and the blits. They work on blocks of four pixels
// held in small local arrays of 16-bit lanes, a shape compilers turn into vector
// instructions on their own, with a plain loop for the rest of the row.

#include "gfx/bitmap.h"

#include <cstdint>

namespace kestrana::gfx {

// out[i] = sum of weights[k] * rows[k][i], per channel, weights in 1/256 adding up to at
// most 256 (so the result never exceeds the inputs' range or breaks colour <= alpha).
void MixRows(const Pixel* const* rows, const std::uint16_t* weights, int taps, int count, Pixel* out);

// dst = src + dst * (255 - src alpha) / 255, for premultiplied pixels.
void OverRow(const Pixel* src, Pixel* dst, int count);
// The same with src scaled by k / 256 first (k <= 256).
void OverRowScaled(const Pixel* src, std::uint32_t k, Pixel* dst, int count);
// dst = src * k / 256 (k <= 256).
void ScaleRow(const Pixel* src, std::uint32_t k, Pixel* dst, int count);

} // namespace kestrana::gfx
