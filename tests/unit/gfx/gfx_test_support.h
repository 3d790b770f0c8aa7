#pragma once
// Picture builders and checks shared by the compositor tests.

#include "fakes/golden_image.h"
#include "gfx/bitmap.h"

#include <cstdint>
#include <random>
#include <string>

namespace kestrana::gfx::testing {

// Random premultiplied pixels (alpha first, then each colour at most alpha).
inline Bitmap NoiseBitmap(int width, int height, std::uint32_t seed, bool opaque = false) {
    Bitmap b(width, height);
    std::mt19937 rng(seed);
    for (Pixel& p : b.Pixels()) {
        const std::uint32_t a = opaque ? 255 : rng() % 256;
        auto c = [&] { return a ? std::uint32_t(rng() % (a + 1)) : 0u; };
        p = MakePixel(std::uint8_t(c()), std::uint8_t(c()), std::uint8_t(c()), std::uint8_t(a));
    }
    return b;
}

inline Bitmap Checkerboard(int width, int height, int cell, Pixel a, Pixel b) {
    Bitmap out(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.Set(x, y, ((x / cell + y / cell) % 2) ? b : a);
        }
    }
    return out;
}

inline Bitmap Solid(int width, int height, Pixel p) {
    Bitmap out(width, height);
    out.Fill(p);
    return out;
}

// The first pixel whose channel breaks the premultiplied rule, as text; empty when none.
inline std::string FirstUnpremultipliedPixel(const Bitmap& b) {
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const Pixel p = b.At(x, y);
            const int a = PixelA(p);
            if (PixelR(p) > a || PixelG(p) > a || PixelB(p) > a) {
                return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
            }
        }
    }
    return {};
}

inline std::uint64_t TotalAlpha(const Bitmap& b) {
    std::uint64_t sum = 0;
    for (Pixel p : b.Pixels()) {
        sum += PixelA(p);
    }
    return sum;
}

using kestrana::testing::ChannelDifference;

// Largest per-channel difference between two same-sized bitmaps (-1 when sizes differ).
inline int MaxDifference(const Bitmap& a, const Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) {
        return -1;
    }
    int worst = 0;
    for (std::size_t i = 0; i < a.Pixels().size(); ++i) {
        worst = std::max(worst, ChannelDifference(a.Pixels()[i], b.Pixels()[i]));
    }
    return worst;
}

} // namespace kestrana::gfx::testing
