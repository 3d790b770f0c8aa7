#include "gfx/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace kestrana::gfx {
namespace {

bool Finite(const RectF& r) {
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

// Pixel span [begin, end) of a float range, limited to [lo, hi) before any conversion.
struct Span {
    int begin = 0, end = 0;
};
Span PixelSpan(double from, double to, int lo, int hi) {
    const double b = std::clamp(std::floor(from), double(lo), double(hi));
    const double e = std::clamp(std::ceil(to), double(lo), double(hi));
    return {int(b), int(std::max(b, e))};
}

// Blends `color` scaled by `coverage` (0..1) over `dst`.
inline Pixel CoverOver(Pixel color, float coverage, Pixel dst) {
    if (coverage >= 1.0f) {
        if ((color >> 24) == 255) {
            return color;
        }
    } else if (coverage <= 0.0f) {
        return dst;
    }
    const std::uint32_t k = std::uint32_t(std::min(coverage, 1.0f) * 256.0f + 0.5f);
    const std::uint32_t rb = (((color & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
    const std::uint32_t ga = ((((color >> 8) & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
    const Pixel s = k >= 256 ? color : (rb | (ga << 8));
    const std::uint32_t inv = 255 - (s >> 24);
    std::uint32_t drb = (dst & 0x00FF00FFu) * inv + 0x00800080u;
    drb = ((drb + ((drb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t dga = ((dst >> 8) & 0x00FF00FFu) * inv + 0x00800080u;
    dga = ((dga + ((dga >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    return s + (drb | (dga << 8));
}

// Signed distance from a point to a rounded rectangle (negative inside).
float RoundedRectDistance(float px, float py, float cx, float cy, float hx, float hy, float r) {
    const float qx = std::fabs(px - cx) - (hx - r);
    const float qy = std::fabs(py - cy) - (hy - r);
    const float ox = std::max(qx, 0.0f);
    const float oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

} // namespace

Canvas::Canvas(Bitmap& target) : m_target(target), m_clip(target.Bounds()) {}

void Canvas::SetClip(const RectI& clip) {
    m_clip = Intersect(clip, m_target.Bounds());
}

void Canvas::ResetClip() {
    m_clip = m_target.Bounds();
}

void Canvas::Clear(Pixel premultiplied) {
    for (int y = m_clip.y; y < m_clip.Bottom(); ++y) {
        if (premultiplied == 0) {
            std::memset(m_target.Row(y) + m_clip.x, 0, std::size_t(m_clip.width) * sizeof(Pixel));
        } else {
            std::fill_n(m_target.Row(y) + m_clip.x, m_clip.width, premultiplied);
        }
    }
}

void Canvas::FillRect(const RectF& rect, Pixel color) {
    if (rect.Empty() || !Finite(rect) || color == 0) {
        return;
    }
    const Span xs = PixelSpan(rect.x, double(rect.x) + rect.width, m_clip.x, m_clip.Right());
    const Span ys = PixelSpan(rect.y, double(rect.y) + rect.height, m_clip.y, m_clip.Bottom());
    const int x0 = xs.begin, x1 = xs.end, y0 = ys.begin, y1 = ys.end;
    auto cover = [](int i, float lo, float hi) {
        return std::clamp(std::min(float(i) + 1.0f, hi) - std::max(float(i), lo), 0.0f, 1.0f);
    };
    for (int y = y0; y < y1; ++y) {
        const float cy = cover(y, rect.y, rect.Bottom());
        Pixel* row = m_target.Row(y);
        for (int x = x0; x < x1; ++x) {
            row[x] = CoverOver(color, cy * cover(x, rect.x, rect.Right()), row[x]);
        }
    }
}

void Canvas::Resampled(const Bitmap& source, std::span<const AxisSegment> xs, std::span<const AxisSegment> ys,
                       float opacity) {
    BuildAxisPlan(xs, source.Width(), m_clip.x, m_clip.Right(), m_xs);
    BuildAxisPlan(ys, source.Height(), m_clip.y, m_clip.Bottom(), m_ys, opacity);
    ResampleBlend(source, m_xs, m_ys, m_target);
}

void Canvas::DrawBitmap(const Bitmap& source, const RectF& dest, float opacity) {
    DrawBitmap(source, RectF{0, 0, float(source.Width()), float(source.Height())}, dest, opacity);
}

void Canvas::DrawBitmap(const Bitmap& source, const RectF& sourceRect, const RectF& dest, float opacity) {
    if (source.Empty() || dest.Empty() || sourceRect.Empty() || !Finite(dest) || !Finite(sourceRect) ||
        m_clip.Empty()) {
        return;
    }
    const float sx0 = std::clamp(sourceRect.x, 0.0f, float(source.Width()));
    const float sx1 = std::clamp(sourceRect.Right(), sx0, float(source.Width()));
    const float sy0 = std::clamp(sourceRect.y, 0.0f, float(source.Height()));
    const float sy1 = std::clamp(sourceRect.Bottom(), sy0, float(source.Height()));
    const AxisSegment xSeg{dest.x, dest.Right(), sx0, sx1};
    const AxisSegment ySeg{dest.y, dest.Bottom(), sy0, sy1};
    Resampled(source, {&xSeg, 1}, {&ySeg, 1}, opacity);
}

void Canvas::DrawImage(CachedImage& image, const RectF& dest, float opacity, BlendMode mode) {
    image.Draw(m_target, dest, m_clip, opacity, mode);
}

void Canvas::DrawNineGrid(const Bitmap& source, const Insets& insets, const RectF& dest, float opacity) {
    if (source.Empty() || dest.Empty() || !Finite(dest) || m_clip.Empty()) {
        return;
    }
    AxisSegment xs[3], ys[3];
    const int nx = NineGridAxis(dest.x, dest.width, float(source.Width()), insets.left, insets.right, xs);
    const int ny = NineGridAxis(dest.y, dest.height, float(source.Height()), insets.top, insets.bottom, ys);
    if (nx == 0 || ny == 0) {
        return;
    }
    Resampled(source, {xs, std::size_t(nx)}, {ys, std::size_t(ny)}, opacity);
}

namespace {

// Cosine and sine of a turn in degrees, exact at the quarter turns.
void TurnCosSin(float degrees, double& c, double& s) {
    double turn = std::fmod(double(degrees), 360.0);
    if (turn < 0) {
        turn += 360.0;
    }
    if (turn == 0.0) {
        c = 1, s = 0;
    } else if (turn == 90.0) {
        c = 0, s = 1;
    } else if (turn == 180.0) {
        c = -1, s = 0;
    } else if (turn == 270.0) {
        c = 0, s = -1;
    } else {
        const double rad = turn * 3.14159265358979323846 / 180.0;
        c = std::cos(rad);
        s = std::sin(rad);
    }
}

// Bilinear sample of `level` at (u, v) in its pixels (centres at whole numbers), as
// premultiplied channels scaled by `opacity`; 0 when nothing of the picture is there.
Pixel SampleBilinear(const Bitmap& level, double u, double v, float opacity) {
    const int w = level.Width();
    const int h = level.Height();
    if (u <= -1.0 || v <= -1.0 || u >= w || v >= h) {
        return 0;
    }
    const double fu = std::floor(u);
    const double fv = std::floor(v);
    const int ix = int(fu);
    const int iy = int(fv);
    const float ax = float(u - fu);
    const float ay = float(v - fv);
    float acc[4] = {0, 0, 0, 0};
    auto fetch = [&](int x, int y, float weight) {
        if (x < 0 || y < 0 || x >= w || y >= h || weight == 0.0f) {
            return;
        }
        const Pixel p = level.Row(y)[x];
        acc[0] += weight * float(p & 0xFF);
        acc[1] += weight * float((p >> 8) & 0xFF);
        acc[2] += weight * float((p >> 16) & 0xFF);
        acc[3] += weight * float(p >> 24);
    };
    fetch(ix, iy, (1 - ax) * (1 - ay));
    fetch(ix + 1, iy, ax * (1 - ay));
    fetch(ix, iy + 1, (1 - ax) * ay);
    fetch(ix + 1, iy + 1, ax * ay);
    if (acc[3] <= 0.0f) {
        return 0;
    }
    const float a = std::min(acc[3] * opacity, 255.0f);
    auto ch = [a, opacity](float value) { return std::uint32_t(std::min(value * opacity, a) + 0.5f); };
    return (std::uint32_t(a + 0.5f) << 24) | (ch(acc[2]) << 16) | (ch(acc[1]) << 8) | ch(acc[0]);
}

// Shrinking a lot: sampling starts from a half-size copy (kept in `halves`) so bilinear
// sampling does not alias.
const Bitmap* SampledLevel(const Bitmap& source, float scale, Bitmap (&halves)[8]) {
    const Bitmap* level = &source;
    int used = 0;
    while (scale * float(source.Width()) / float(level->Width()) < 0.5f && level->Width() > 1 &&
           level->Height() > 1 && used < 8) {
        halves[used] = HalveBitmap(*level);
        level = &halves[used++];
    }
    return level;
}

// Bounding box of the four corners of `source` turned by (c, s) and scaled about the pivots.
void TurnedBounds(const Bitmap& source, PointF sourcePivot, PointF destPivot, double c, double s, float scale,
                  double& minX, double& minY, double& maxX, double& maxY) {
    minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    const double corners[4][2] = {{0, 0}, {double(source.Width()), 0}, {0, double(source.Height())},
                                  {double(source.Width()), double(source.Height())}};
    for (const auto& p : corners) {
        const double dx = (p[0] - sourcePivot.x) * scale;
        const double dy = (p[1] - sourcePivot.y) * scale;
        const double x = destPivot.x + c * dx - s * dy;
        const double y = destPivot.y + s * dx + c * dy;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
}

// Narrows the row's steps [t0, t1) to those where start + t * step lies in (-1, limit).
void KeepWithin(double start, double step, double limit, double& t0, double& t1) {
    if (step == 0.0) {
        if (start <= -1.0 || start >= limit) t1 = t0 - 1;
        return;
    }
    double a = (-1.0 - start) / step, b = (limit - start) / step;
    if (a > b) std::swap(a, b);
    t0 = std::max(t0, std::floor(a)), t1 = std::min(t1, std::ceil(b) + 1);
}

} // namespace

void Canvas::DrawRotated(const Bitmap& source, PointF sourcePivot, PointF destPivot, float degrees, float scale,
                         float opacity) {
    if (source.Empty() || !(scale > 0.0f) || !(opacity > 0.0f) || !std::isfinite(degrees) ||
        !std::isfinite(scale) || m_clip.Empty()) {
        return;
    }
    opacity = std::min(opacity, 1.0f);
    Bitmap halves[8];
    const Bitmap* level = SampledLevel(source, scale, halves);
    const double lx = double(level->Width()) / source.Width();
    const double ly = double(level->Height()) / source.Height();
    double c, s;
    TurnCosSin(degrees, c, s);
    double minX, minY, maxX, maxY;
    TurnedBounds(source, sourcePivot, destPivot, c, s, scale, minX, minY, maxX, maxY);
    if (!std::isfinite(minX) || !std::isfinite(maxX) || !std::isfinite(minY) || !std::isfinite(maxY) ||
        !std::isfinite(sourcePivot.x) || !std::isfinite(sourcePivot.y)) {
        return;
    }
    const Span xs = PixelSpan(minX - 1, maxX + 1, m_clip.x, m_clip.Right());
    const Span ys = PixelSpan(minY - 1, maxY + 1, m_clip.y, m_clip.Bottom());
    // Source coordinates move by a fixed step along a row: (du, dv) per pixel.
    const double du = c / scale * lx, dv = -s / scale * ly;
    const int w = level->Width(), h = level->Height();
    const std::uint32_t k = std::uint32_t(opacity * 256.0f + 0.5f);
    for (int y = ys.begin; y < ys.end; ++y) {
        Pixel* row = m_target.Row(y);
        const double dy = y + 0.5 - destPivot.y;
        // Inverse rotation, then into level pixels; sample centres sit at +0.5.
        const double dx0 = xs.begin + 0.5 - destPivot.x;
        const double u0 = (sourcePivot.x + (c * dx0 + s * dy) / scale) * lx - 0.5;
        const double v0 = (sourcePivot.y + (-s * dx0 + c * dy) / scale) * ly - 0.5;
        // Only the pixels whose sample can touch the source: -1 < u < w and -1 < v < h.
        double t0 = 0, t1 = xs.end - xs.begin;
        KeepWithin(u0, du, w, t0, t1);
        KeepWithin(v0, dv, h, t0, t1);
        if (!(t0 < t1)) continue;
        for (int x = xs.begin + int(t0), end = xs.begin + int(t1); x < end; ++x) {
            const double t = x - xs.begin;
            const double u = u0 + t * du, v = v0 + t * dv;
            Pixel p;
            const double fu = std::floor(u), fv = std::floor(v);
            // Compared as doubles: a far sample must not be converted to int at all.
            if (fu >= 0 && fv >= 0 && fu + 1 < w && fv + 1 < h) {
                const int ix = int(fu), iy = int(fv);
                // Inside: all four neighbours exist, so 8-bit weights on packed lanes suffice.
                const std::uint32_t fx = std::uint32_t((u - fu) * 256.0), fy = std::uint32_t((v - fv) * 256.0);
                const std::uint32_t w11 = (fx * fy) >> 8, w10 = fx - w11, w01 = fy - w11;
                const std::uint32_t w00 = 256 - fx - fy + w11;
                const Pixel* r0 = level->Row(iy) + ix;
                const Pixel* r1 = level->Row(iy + 1) + ix;
                const std::uint32_t rb = (r0[0] & 0x00FF00FFu) * w00 + (r0[1] & 0x00FF00FFu) * w10 +
                                         (r1[0] & 0x00FF00FFu) * w01 + (r1[1] & 0x00FF00FFu) * w11;
                const std::uint32_t ga = ((r0[0] >> 8) & 0x00FF00FFu) * w00 + ((r0[1] >> 8) & 0x00FF00FFu) * w10 +
                                         ((r1[0] >> 8) & 0x00FF00FFu) * w01 + ((r1[1] >> 8) & 0x00FF00FFu) * w11;
                std::uint32_t prb = ((rb + 0x00800080u) >> 8) & 0x00FF00FFu;
                std::uint32_t pga = ((ga + 0x00800080u) >> 8) & 0x00FF00FFu;
                if (k < 256) {
                    prb = ((prb * k) >> 8) & 0x00FF00FFu;
                    pga = ((pga * k) >> 8) & 0x00FF00FFu;
                }
                p = prb | (pga << 8);
            } else {
                p = SampleBilinear(*level, u, v, opacity);
            }
            if (p != 0) {
                row[x] = CoverOver(p, 1.0f, row[x]);
            }
        }
    }
}

void Canvas::FillRoundedRect(const RectF& rect, float radius, Color color) {
    StrokeRoundedRect(rect, radius, -1.0f, color);
}

void Canvas::StrokeRoundedRect(const RectF& rect, float radius, float width, Color color) {
    if (rect.Empty() || !Finite(rect) || !std::isfinite(radius) || color.a == 0) {
        return;
    }
    const Pixel p = color.Premultiplied();
    const float hx = rect.width / 2, hy = rect.height / 2;
    const float cx = rect.x + hx, cy = rect.y + hy;
    const float r = std::clamp(radius, 0.0f, std::min(hx, hy));
    const bool stroke = width > 0.0f;
    // The inner edge of a stroke: the rectangle shrunk by the width, corners by as much.
    const float ihx = hx - width, ihy = hy - width;
    const float ir = std::clamp(r - width, 0.0f, std::max(0.0f, std::min(ihx, ihy)));
    const bool hollow = stroke && ihx > 0 && ihy > 0;
    const Span xs = PixelSpan(rect.x, double(rect.x) + rect.width, m_clip.x, m_clip.Right());
    const Span ys = PixelSpan(rect.y, double(rect.y) + rect.height, m_clip.y, m_clip.Bottom());
    const int x0 = xs.begin, x1 = xs.end, y0 = ys.begin, y1 = ys.end;
    for (int y = y0; y < y1; ++y) {
        Pixel* row = m_target.Row(y);
        const float py = float(y) + 0.5f;
        for (int x = x0; x < x1; ++x) {
            const float px = float(x) + 0.5f;
            float cover = std::clamp(0.5f - RoundedRectDistance(px, py, cx, cy, hx, hy, r), 0.0f, 1.0f);
            if (hollow && cover > 0.0f) {
                const float inner = std::clamp(0.5f - RoundedRectDistance(px, py, cx, cy, ihx, ihy, ir), 0.0f, 1.0f);
                cover = std::max(0.0f, cover - inner);
            }
            row[x] = CoverOver(p, cover, row[x]);
        }
    }
}

void Canvas::StrokeLine(PointF from, PointF to, float width, Color color) {
    if (!(width > 0) || color.a == 0 || !std::isfinite(from.x) || !std::isfinite(from.y) || !std::isfinite(to.x) ||
        !std::isfinite(to.y)) {
        return;
    }
    const Pixel p = color.Premultiplied();
    const float half = width / 2;
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float lengthSquared = dx * dx + dy * dy;
    const Span xs = PixelSpan(double(std::min(from.x, to.x)) - half - 1, double(std::max(from.x, to.x)) + half + 1,
                              m_clip.x, m_clip.Right());
    const Span ys = PixelSpan(double(std::min(from.y, to.y)) - half - 1, double(std::max(from.y, to.y)) + half + 1,
                              m_clip.y, m_clip.Bottom());
    for (int y = ys.begin; y < ys.end; ++y) {
        Pixel* row = m_target.Row(y);
        const float py = float(y) + 0.5f;
        for (int x = xs.begin; x < xs.end; ++x) {
            const float px = float(x) + 0.5f;
            // Distance to the segment: project onto it and clamp to its ends.
            float t = lengthSquared > 0 ? ((px - from.x) * dx + (py - from.y) * dy) / lengthSquared : 0.0f;
            t = std::clamp(t, 0.0f, 1.0f);
            const float ex = px - (from.x + t * dx), ey = py - (from.y + t * dy);
            const float cover = std::clamp(half + 0.5f - std::sqrt(ex * ex + ey * ey), 0.0f, 1.0f);
            if (cover > 0.0f) row[x] = CoverOver(p, cover, row[x]);
        }
    }
}

void Canvas::DrawCoverage(const Bitmap& mask, int x, int y, Color color) {
    if (mask.Empty() || color.a == 0) return;
    const RectI area = Intersect({x, y, mask.Width(), mask.Height()}, m_clip);
    if (area.Empty()) return;
    const Pixel p = color.Premultiplied();
    for (int row = area.y; row < area.Bottom(); ++row) {
        Pixel* out = m_target.Row(row);
        const Pixel* in = mask.Row(row - y);
        for (int col = area.x; col < area.Right(); ++col) {
            const std::uint8_t a = PixelA(in[col - x]);
            if (a) out[col] = CoverOver(p, float(a) / 255.0f, out[col]);
        }
    }
}

} // namespace kestrana::gfx
