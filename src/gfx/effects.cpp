#include "gfx/effects.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrana::gfx {
namespace {

// One box pass over a line of `n` pixels. `clampEdges` repeats the end pixels outward;
// otherwise the outside is transparent.
void BoxLine(const Pixel* in, Pixel* out, int n, int radius, bool clampEdges) {
    if (radius <= 0) {
        std::copy_n(in, n, out);
        return;
    }
    const float inv = 1.0f / float(2 * radius + 1);
    std::uint32_t sum[4] = {0, 0, 0, 0};
    auto at = [in, n, clampEdges](int i) -> Pixel {
        if (i < 0) {
            return clampEdges ? in[0] : 0;
        }
        if (i >= n) {
            return clampEdges ? in[n - 1] : 0;
        }
        return in[i];
    };
    auto add = [&sum](Pixel p, int sign) {
        sum[0] += std::uint32_t(sign * int(p & 0xFF));
        sum[1] += std::uint32_t(sign * int((p >> 8) & 0xFF));
        sum[2] += std::uint32_t(sign * int((p >> 16) & 0xFF));
        sum[3] += std::uint32_t(sign * int(p >> 24));
    };
    for (int i = -radius; i <= radius; ++i) {
        add(at(i), 1);
    }
    for (int i = 0; i < n; ++i) {
        // Rounding each channel the same way keeps colour <= alpha.
        const std::uint32_t a = std::uint32_t(float(sum[3]) * inv + 0.5f);
        auto ch = [inv, a](std::uint32_t s) { return std::min(a, std::uint32_t(float(s) * inv + 0.5f)); };
        out[i] = (a << 24) | (ch(sum[2]) << 16) | (ch(sum[1]) << 8) | ch(sum[0]);
        add(at(i + radius + 1), 1);
        add(at(i - radius), -1);
    }
}

void BlurArea(Bitmap& bitmap, float sigma, const RectI& area, bool clampEdges) {
    if (area.Empty() || !(sigma > 0.0f) || !std::isfinite(sigma)) {
        return;
    }
    const BoxSizes boxes = BoxesForGauss(sigma);
    std::vector<Pixel> a(std::size_t(std::max(area.width, area.height)));
    std::vector<Pixel> b(a.size());
    for (int y = area.y; y < area.Bottom(); ++y) {
        Pixel* row = bitmap.Row(y) + area.x;
        std::copy_n(row, area.width, a.data());
        for (int pass = 0; pass < 3; ++pass) {
            BoxLine(a.data(), b.data(), area.width, boxes.sizes[pass] / 2, clampEdges);
            a.swap(b);
        }
        std::copy_n(a.data(), area.width, row);
    }
    for (int x = area.x; x < area.Right(); ++x) {
        for (int y = 0; y < area.height; ++y) {
            a[y] = bitmap.Row(area.y + y)[x];
        }
        for (int pass = 0; pass < 3; ++pass) {
            BoxLine(a.data(), b.data(), area.height, boxes.sizes[pass] / 2, clampEdges);
            a.swap(b);
        }
        for (int y = 0; y < area.height; ++y) {
            bitmap.Row(area.y + y)[x] = a[y];
        }
    }
}

} // namespace

BoxSizes BoxesForGauss(float sigma) {
    BoxSizes out;
    if (!(sigma > 0.0f) || !std::isfinite(sigma)) {
        return out;
    }
    sigma = std::min(sigma, 2000.0f);
    // Three boxes of widths wl or wl + 2 whose variances add up to sigma^2.
    const double s2 = double(sigma) * sigma;
    int wl = int(std::floor(std::sqrt(12.0 * s2 / 3.0 + 1.0)));
    if (wl % 2 == 0) {
        --wl;
    }
    wl = std::max(wl, 1);
    const int wu = wl + 2;
    const int m = int(std::lround((12.0 * s2 - 3.0 * wl * wl - 12.0 * wl - 9.0) / (-4.0 * wl - 4.0)));
    for (int i = 0; i < 3; ++i) {
        out.sizes[i] = i < m ? wl : wu;
    }
    return out;
}

void Blur(Bitmap& bitmap, float sigma) {
    BlurArea(bitmap, sigma, bitmap.Bounds(), false);
}

void Blur(Bitmap& bitmap, float sigma, const RectI& region) {
    BlurArea(bitmap, sigma, Intersect(region, bitmap.Bounds()), true);
}

void Brighten(Bitmap& bitmap, float factor) {
    if (!(factor >= 0.0f) || !std::isfinite(factor) || factor == 1.0f) {
        return;
    }
    const std::uint32_t k = std::uint32_t(std::min(factor, 255.0f) * 256.0f + 0.5f);
    for (Pixel& p : bitmap.Pixels()) {
        const std::uint32_t a = p >> 24;
        auto ch = [a, k](std::uint32_t c) { return std::min(a, (c * k + 128) >> 8); };
        p = (a << 24) | (ch((p >> 16) & 0xFF) << 16) | (ch((p >> 8) & 0xFF) << 8) | ch(p & 0xFF);
    }
}

} // namespace kestrana::gfx
