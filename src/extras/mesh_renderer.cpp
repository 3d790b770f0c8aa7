#include "extras/mesh_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kestrana::extras {

namespace {

using gfx::Bitmap;
using gfx::Pixel;

// Halves a picture, averaging each 2 × 2 block (an odd last row or column is left out).
Bitmap Halve(const Bitmap& src) {
    const int w = std::max(1, src.Width() / 2), h = std::max(1, src.Height() / 2);
    Bitmap out(w, h);
    for (int y = 0; y < h; ++y) {
        const Pixel* r0 = src.Row(std::min(2 * y, src.Height() - 1));
        const Pixel* r1 = src.Row(std::min(2 * y + 1, src.Height() - 1));
        Pixel* o = out.Row(y);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::min(2 * x, src.Width() - 1), x1 = std::min(2 * x + 1, src.Width() - 1);
            const Pixel p[4] = {r0[x0], r0[x1], r1[x0], r1[x1]};
            std::uint32_t sum[4] = {};
            for (const Pixel q : p)
                for (int c = 0; c < 4; ++c) sum[c] += (q >> (8 * c)) & 0xFF;
            Pixel v = 0;
            for (int c = 0; c < 4; ++c) v |= ((sum[c] + 2) / 4) << (8 * c);
            o[x] = v;
        }
    }
    return out;
}

Bitmap Transpose(const Bitmap& src) {
    Bitmap out(src.Height(), src.Width());
    for (int y = 0; y < src.Height(); ++y) {
        const Pixel* row = src.Row(y);
        for (int x = 0; x < src.Width(); ++x) out.Row(x)[y] = row[x];
    }
    return out;
}

// a + (b − a) × f / 256 on all four channels at once.
inline Pixel Mix(Pixel a, Pixel b, std::uint32_t f) {
    const std::uint32_t g = 256 - f;
    const std::uint32_t rb = (((a & 0x00FF00FFu) * g + (b & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    const std::uint32_t ag = ((((a >> 8) & 0x00FF00FFu) * g + ((b >> 8) & 0x00FF00FFu) * f) >> 8) & 0x00FF00FFu;
    return rb | (ag << 8);
}

inline Pixel Scale(Pixel p, std::uint32_t f) { return Mix(0, p, f); }

// The four channels spread over 16-bit lanes, so one multiply weighs all of them.
inline std::uint64_t Spread(Pixel p) {
    std::uint64_t x = p;
    x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
    return (x | (x << 8)) & 0x00FF00FF00FF00FFull;
}

inline std::uint64_t MixSpread(std::uint64_t a, std::uint64_t b, std::uint32_t f) {
    return ((a * (256 - f) + b * f) >> 8) & 0x00FF00FF00FF00FFull;
}

inline Pixel Gather(std::uint64_t x) {
    x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
    return static_cast<Pixel>(x | (x >> 16));
}

// Bilinear sample of the 2 × 2 block at x0..x1 of rows r0, r1.
inline Pixel Sample(const Pixel* r0, const Pixel* r1, int x0, int x1, std::uint32_t fx, std::uint32_t fy) {
    const std::uint64_t top = MixSpread(Spread(r0[x0]), Spread(r0[x1]), fx);
    const std::uint64_t bottom = MixSpread(Spread(r1[x0]), Spread(r1[x1]), fx);
    return Gather(MixSpread(top, bottom, fy));
}

struct Target {
    Pixel* base;
    std::ptrdiff_t alongStep, crossStep;
    int alongMin, alongMax; // screen pixels covered by the bitmap, end exclusive
    int crossMin, crossMax;
};

// One line of the output: image line `v` (in level pixels) stretched over from..to.
void DrawSpan(const Bitmap& level, double v, int along, double from, double to, const Target& t, gfx::RectI& drawn,
              bool vertical, int originX, int originY) {
    if (!(to - from > 0.01)) return;
    // A hair inwards, so rounding noise on an end does not add a pixel of no coverage.
    const int first = std::max(t.crossMin, static_cast<int>(std::floor(from + 1e-3)));
    const int last = std::min(t.crossMax, static_cast<int>(std::ceil(to - 1e-3))); // exclusive
    if (first >= last) return;
    const int srcW = level.Width(), srcH = level.Height();
    v = std::clamp(v - 0.5, 0.0, double(srcH - 1));
    int y0 = static_cast<int>(v);
    // Within 1/64 of a line counts as on it: the rows' float rounding would otherwise blend
    // two lines (and take the slow path) for an image standing still.
    auto fy = static_cast<std::uint32_t>(std::lround((v - y0) * 256.0));
    if (fy <= 4) fy = 0;
    if (fy >= 252) {
        fy = 0;
        y0 = std::min(y0 + 1, srcH - 1);
    }
    const int y1 = std::min(y0 + 1, srcH - 1);
    const Pixel* r0 = level.Row(y0);
    const Pixel* r1 = level.Row(y1);
    const double perPixel = srcW / (to - from);
    // 16.16 fixed point across the line (a level is at most 16384 wide, so it fits).
    const auto du = static_cast<std::int32_t>(perPixel * 65536.0);
    auto u = static_cast<std::int32_t>(((first + 0.5 - from) * perPixel - 0.5) * 65536.0);
    const std::int32_t uMax = (srcW - 1) << 16;
    Pixel* const start = t.base + std::ptrdiff_t(along - t.alongMin) * t.alongStep +
                         std::ptrdiff_t(first - t.crossMin) * t.crossStep;
    Pixel* out = start;
    if (fy == 0 && du == (1 << 16) && (u & 0xFFFF) == 0 && u >= 0 && (u >> 16) + (last - first) <= srcW) {
        // One image pixel per output pixel: a plain copy (the window in place).
        const Pixel* src = r0 + (u >> 16);
        for (int c = first; c < last; ++c, out += t.crossStep) *out = *src++;
    } else if (fy == 0) {
        for (int c = first; c < last; ++c, u += du, out += t.crossStep) {
            const std::int32_t uc = std::clamp(u, 0, uMax);
            const int x0 = uc >> 16, x1 = std::min(x0 + 1, srcW - 1);
            *out = Mix(r0[x0], r0[x1], static_cast<std::uint32_t>((uc >> 8) & 0xFF));
        }
    } else {
        for (int c = first; c < last; ++c, u += du, out += t.crossStep) {
            const std::int32_t uc = std::clamp(u, 0, uMax);
            const int x0 = uc >> 16, x1 = std::min(x0 + 1, srcW - 1);
            const auto fx = static_cast<std::uint32_t>((uc >> 8) & 0xFF);
            *out = Sample(r0, r1, x0, x1, fx, fy);
        }
    }
    // The two end pixels are only partly covered: soften them so the edges do not stair-step.
    const auto soften = [&](int c, Pixel* p) {
        const double cover = std::min(double(c + 1), to) - std::max(double(c), from);
        if (cover < 0.999) *p = Scale(*p, static_cast<std::uint32_t>(std::max(0.0, cover) * 256.0));
    };
    soften(first, start);
    if (last - 1 > first) soften(last - 1, start + std::ptrdiff_t(last - 1 - first) * t.crossStep);
    gfx::RectI span = vertical ? gfx::RectI{along - originX, first - originY, 1, last - first}
                               : gfx::RectI{first - originX, along - originY, last - first, 1};
    if (drawn.Empty()) {
        drawn = span;
    } else {
        const int x0 = std::min(drawn.x, span.x), y0r = std::min(drawn.y, span.y);
        const int x1 = std::max(drawn.Right(), span.Right()), y1r = std::max(drawn.Bottom(), span.Bottom());
        drawn = {x0, y0r, x1 - x0, y1r - y0r};
    }
}

} // namespace

MeshSource::MeshSource(const gfx::Bitmap& image, FlowEdge edge) : m_edge(edge) {
    if (image.Empty()) return;
    m_levels.push_back(IsVertical(edge) ? Transpose(image) : image.Clone());
    while (m_levels.back().Width() > 1 || m_levels.back().Height() > 1) {
        if (m_levels.size() >= 8) break;
        m_levels.push_back(Halve(m_levels.back()));
    }
}

gfx::RectI DrawMeshFrame(const MeshSource& source, const MeshFrame& frame, gfx::Bitmap& target, int originX,
                         int originY) {
    gfx::RectI drawn;
    if (source.Empty() || target.Empty()) return drawn;
    const bool vertical = IsVertical(frame.edge);
    Target t{};
    t.base = target.Row(0);
    if (vertical) {
        t.alongStep = 1;
        t.crossStep = target.Width();
        t.alongMin = originX, t.alongMax = originX + target.Width();
        t.crossMin = originY, t.crossMax = originY + target.Height();
    } else {
        t.alongStep = target.Width();
        t.crossStep = 1;
        t.alongMin = originY, t.alongMax = originY + target.Height();
        t.crossMin = originX, t.crossMax = originX + target.Width();
    }
    const auto& levels = source.Levels();
    const double fullCross = levels[0].Width();
    for (int i = 0; i + 1 < kMeshRows; ++i) {
        const MeshRow* lo = &frame.rows[i];
        const MeshRow* hi = &frame.rows[i + 1];
        if (lo->along > hi->along) std::swap(lo, hi);
        const double length = double(hi->along) - lo->along;
        if (!(length > 1e-3)) continue;
        // The level whose pixels are about as large as the output's in both directions.
        const double alongRatio = std::abs(double(hi->source) - lo->source) / length;
        const double width = std::max(1e-3, ((hi->to - hi->from) + (lo->to - lo->from)) / 2.0);
        const double ratio = std::max({1.0, alongRatio, fullCross / width});
        const std::size_t level =
            std::min(levels.size() - 1, static_cast<std::size_t>(std::floor(std::log2(ratio))));
        const Bitmap& img = levels[level];
        const double shrink = double(img.Height()) / levels[0].Height();
        const int first = std::max(t.alongMin, static_cast<int>(std::ceil(lo->along - 0.5)));
        const int last = std::min(t.alongMax, static_cast<int>(std::ceil(hi->along - 0.5)));
        for (int p = first; p < last; ++p) {
            const double s = (p + 0.5 - lo->along) / length;
            const double from = lo->from + (hi->from - lo->from) * s;
            const double to = lo->to + (hi->to - lo->to) * s;
            const double v = (lo->source + (hi->source - lo->source) * s) * shrink;
            DrawSpan(img, v, p, from, to, t, drawn, vertical, originX, originY);
        }
    }
    return drawn;
}

} // namespace kestrana::extras
