#include "gfx/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kestrana::gfx {
namespace {

// Catmull-Rom: interpolates (exact copies at 1:1), sharp without visible ringing; widened
// by the reduction factor when shrinking, so every source pixel is weighed in (no aliasing).
float CatmullRom(float x) {
    x = std::fabs(x);
    if (x < 1.0f) {
        return (1.5f * x - 2.5f) * x * x + 1.0f;
    }
    if (x < 2.0f) {
        return ((-0.5f * x + 2.5f) * x - 4.0f) * x + 2.0f;
    }
    return 0.0f;
}
constexpr float kSupport = 2.0f;

struct Float4 {
    float v[4];
};

inline void Unpack(Pixel p, Float4& out) {
    out.v[0] = float(p & 0xFF);
    out.v[1] = float((p >> 8) & 0xFF);
    out.v[2] = float((p >> 16) & 0xFF);
    out.v[3] = float(p >> 24);
}

inline Pixel Pack(const float* v) {
    float a = v[3];
    a = a < 0.0f ? 0.0f : (a > 255.0f ? 255.0f : a);
    auto channel = [a](float c) {
        c = c < 0.0f ? 0.0f : (c > a ? a : c);
        return std::uint32_t(c + 0.5f);
    };
    const std::uint32_t b = channel(v[0]);
    const std::uint32_t g = channel(v[1]);
    const std::uint32_t r = channel(v[2]);
    return (std::uint32_t(a + 0.5f) << 24) | (r << 16) | (g << 8) | b;
}

// Source over: d = s + d * (1 - sa). `s` is already clamped to the premultiplied range.
inline Pixel Over(Pixel s, Pixel d) {
    const std::uint32_t sa = s >> 24;
    if (sa == 255) {
        return s;
    }
    if (s == 0) {
        return d;
    }
    const std::uint32_t k = 255 - sa;
    // Red and blue, then green and alpha, two channels at a time in one 32-bit lane each.
    const std::uint32_t rb = d & 0x00FF00FFu;
    const std::uint32_t ga = (d >> 8) & 0x00FF00FFu;
    std::uint32_t rbk = rb * k + 0x00800080u;
    rbk = ((rbk + ((rbk >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    std::uint32_t gak = ga * k + 0x00800080u;
    gak = ((gak + ((gak >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    return s + (rbk | (gak << 8));
}

// Scratch rows reused between calls on the same thread (frames are drawn over and over).
struct Scratch {
    std::vector<float> srcRow;
    std::vector<float> ring;
    std::vector<int> ringRow;
    std::vector<float> acc;
};
Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

void HorizontalRow(const Pixel* srcRow, int srcWidth, const AxisPlan& xs, float* tmp, float* out) {
    const int begin = xs.SourceBegin();
    const int end = xs.SourceEnd();
    for (int x = begin; x < end; ++x) {
        Float4 f;
        Unpack(srcRow[x], f);
        float* t = tmp + std::size_t(x) * 4;
        t[0] = f.v[0];
        t[1] = f.v[1];
        t[2] = f.v[2];
        t[3] = f.v[3];
    }
    (void)srcWidth;
    const int taps = xs.maxTaps;
    for (int i = 0; i < xs.outCount; ++i) {
        const float* w = xs.weights.data() + std::size_t(i) * taps;
        const float* s = tmp + std::size_t(xs.first[i]) * 4;
        float a0 = 0, a1 = 0, a2 = 0, a3 = 0;
        const int n = xs.count[i];
        for (int k = 0; k < n; ++k) {
            const float wk = w[k];
            a0 += wk * s[0];
            a1 += wk * s[1];
            a2 += wk * s[2];
            a3 += wk * s[3];
            s += 4;
        }
        out[0] = a0;
        out[1] = a1;
        out[2] = a2;
        out[3] = a3;
        out += 4;
    }
}

// Runs both passes and hands each finished row of floats to `emit(rowIndex, floats)`.
template <typename Emit>
void Resample(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, float scale, Emit emit) {
    if (xs.outCount <= 0 || ys.outCount <= 0 || src.Empty()) {
        return;
    }
    Scratch& s = ThreadScratch();
    const std::size_t rowFloats = std::size_t(xs.outCount) * 4;
    const int ringSize = std::max(1, ys.maxTaps);
    s.srcRow.resize(std::size_t(src.Width()) * 4);
    s.ring.resize(rowFloats * ringSize);
    s.ringRow.assign(ringSize, -1);
    s.acc.resize(rowFloats);
    float* acc = s.acc.data();
    for (int j = 0; j < ys.outCount; ++j) {
        std::fill(acc, acc + rowFloats, 0.0f);
        const float* w = ys.weights.data() + std::size_t(j) * ys.maxTaps;
        const int n = ys.count[j];
        for (int k = 0; k < n; ++k) {
            const int row = ys.first[j] + k;
            const int slot = row % ringSize;
            float* inter = s.ring.data() + rowFloats * slot;
            if (s.ringRow[slot] != row) {
                HorizontalRow(src.Row(row), src.Width(), xs, s.srcRow.data(), inter);
                s.ringRow[slot] = row;
            }
            const float wk = w[k] * scale;
            if (wk == 0.0f) {
                continue;
            }
            for (int i = 0; i < xs.outCount; ++i) {
                float* a = acc + std::size_t(i) * 4;
                const float* v = inter + std::size_t(i) * 4;
                a[0] += wk * v[0];
                a[1] += wk * v[1];
                a[2] += wk * v[2];
                a[3] += wk * v[3];
            }
        }
        emit(j, static_cast<const float*>(acc));
    }
}

} // namespace

int AxisPlan::SourceEnd() const {
    int end = 0;
    for (int i = 0; i < outCount; ++i) {
        end = std::max(end, first[i] + count[i]);
    }
    return end;
}

void BuildAxisPlan(std::span<const AxisSegment> segments, int srcSize, int clipBegin, int clipEnd,
                   AxisPlan& plan) {
    plan.outCount = 0;
    plan.first.clear();
    plan.count.clear();
    plan.weights.clear();
    if (segments.empty() || srcSize <= 0) {
        return;
    }
    const float destLo = segments.front().destStart;
    const float destHi = segments.back().destEnd;
    if (!(destHi > destLo) || !std::isfinite(destLo) || !std::isfinite(destHi)) {
        return;
    }
    const float lo = std::max(float(clipBegin), std::floor(destLo));
    const float hi = std::min(float(clipEnd), std::ceil(destHi));
    if (!(hi > lo)) {
        return;
    }
    plan.outFirst = int(lo);
    plan.outCount = int(hi) - plan.outFirst;

    float maxRadius = kSupport;
    for (const AxisSegment& seg : segments) {
        const float len = seg.destEnd - seg.destStart;
        if (len > 0) {
            maxRadius = std::max(maxRadius, kSupport * (seg.srcEnd - seg.srcStart) / len);
        }
    }
    plan.maxTaps = std::min(srcSize, int(std::ceil(2.0f * maxRadius)) + 2);
    plan.first.resize(plan.outCount);
    plan.count.resize(plan.outCount);
    plan.weights.assign(std::size_t(plan.outCount) * plan.maxTaps, 0.0f);

    std::size_t segIndex = 0;
    for (int i = 0; i < plan.outCount; ++i) {
        const float left = float(plan.outFirst + i);
        const float centre = left + 0.5f;
        const float coverage = std::min(left + 1.0f, destHi) - std::max(left, destLo);
        while (segIndex + 1 < segments.size() &&
               (centre >= segments[segIndex].destEnd || !(segments[segIndex].destEnd > segments[segIndex].destStart))) {
            ++segIndex;
        }
        const AxisSegment& seg = segments[segIndex];
        const float len = seg.destEnd - seg.destStart;
        const float srcLen = seg.srcEnd - seg.srcStart;
        const float ratio = len > 0 ? srcLen / len : 1.0f;
        const float c = std::clamp(centre, seg.destStart, seg.destEnd);
        const float u = seg.srcStart + (c - seg.destStart) * ratio;
        const float filterScale = std::max(1.0f, ratio);
        const float radius = kSupport * filterScale;
        int tapLo = int(std::floor(u - radius));
        int tapHi = int(std::ceil(u + radius));
        const int segLo = std::clamp(int(std::floor(seg.srcStart)), 0, srcSize - 1);
        const int segHi = std::min(srcSize, std::max(segLo + 1, int(std::ceil(seg.srcEnd))));
        tapLo = std::max(tapLo, segLo);
        tapHi = std::min({tapHi, segHi, tapLo + plan.maxTaps});
        float* w = plan.weights.data() + std::size_t(i) * plan.maxTaps;
        float sum = 0;
        int n = 0;
        for (int j = tapLo; j < tapHi; ++j, ++n) {
            w[n] = CatmullRom((float(j) + 0.5f - u) / filterScale);
            sum += w[n];
        }
        if (n == 0 || std::fabs(sum) < 1e-6f) {
            // Degenerate span: take the nearest pixel of the segment.
            tapLo = std::clamp(int(std::floor(u)), segLo, segHi - 1);
            n = 1;
            w[0] = 1.0f;
            sum = 1.0f;
        }
        const float norm = std::max(0.0f, coverage) / sum;
        for (int k = 0; k < n; ++k) {
            w[k] *= norm;
        }
        plan.first[i] = tapLo;
        plan.count[i] = n;
    }
}

void ResampleCopy(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& out) {
    out.Reset(xs.outCount, ys.outCount);
    Resample(src, xs, ys, 1.0f, [&out, &xs](int j, const float* row) {
        Pixel* dst = out.Row(j);
        for (int i = 0; i < xs.outCount; ++i) {
            dst[i] = Pack(row + std::size_t(i) * 4);
        }
    });
}

void ResampleBlend(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, float opacity, Bitmap& target) {
    if (!(opacity > 0.0f)) {
        return;
    }
    opacity = std::min(opacity, 1.0f);
    Resample(src, xs, ys, opacity, [&target, &xs, &ys](int j, const float* row) {
        Pixel* dst = target.Row(ys.outFirst + j) + xs.outFirst;
        for (int i = 0; i < xs.outCount; ++i) {
            dst[i] = Over(Pack(row + std::size_t(i) * 4), dst[i]);
        }
    });
}

void BlendBitmap(const Bitmap& src, int x, int y, float opacity, const RectI& clip, Bitmap& target) {
    const RectI area = Intersect(Intersect(clip, target.Bounds()), {x, y, src.Width(), src.Height()});
    if (area.Empty() || !(opacity > 0.0f)) {
        return;
    }
    const std::uint32_t k = std::uint32_t(std::min(opacity, 1.0f) * 256.0f + 0.5f);
    for (int row = area.y; row < area.Bottom(); ++row) {
        const Pixel* s = src.Row(row - y) + (area.x - x);
        Pixel* d = target.Row(row) + area.x;
        if (k >= 256) {
            for (int i = 0; i < area.width; ++i) {
                d[i] = Over(s[i], d[i]);
            }
        } else {
            for (int i = 0; i < area.width; ++i) {
                // Scaling all four channels by the same factor keeps colour <= alpha.
                const Pixel p = s[i];
                const std::uint32_t rb = (((p & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
                const std::uint32_t ga = ((((p >> 8) & 0x00FF00FFu) * k) >> 8) & 0x00FF00FFu;
                d[i] = Over(rb | (ga << 8), d[i]);
            }
        }
    }
}

Bitmap ScaleBitmap(const Bitmap& src, int width, int height) {
    Bitmap out;
    if (src.Empty() || width <= 0 || height <= 0) {
        return out;
    }
    const AxisSegment xSeg{0, float(width), 0, float(src.Width())};
    const AxisSegment ySeg{0, float(height), 0, float(src.Height())};
    AxisPlan xs, ys;
    BuildAxisPlan({&xSeg, 1}, src.Width(), 0, width, xs);
    BuildAxisPlan({&ySeg, 1}, src.Height(), 0, height, ys);
    ResampleCopy(src, xs, ys, out);
    return out;
}

Bitmap HalveBitmap(const Bitmap& src) {
    if (src.Empty()) {
        return {};
    }
    const int w = (src.Width() + 1) / 2;
    const int h = (src.Height() + 1) / 2;
    Bitmap out(w, h);
    for (int y = 0; y < h; ++y) {
        const Pixel* r0 = src.Row(2 * y);
        const Pixel* r1 = src.Row(std::min(2 * y + 1, src.Height() - 1));
        Pixel* d = out.Row(y);
        for (int x = 0; x < w; ++x) {
            const int x0 = 2 * x;
            const int x1 = std::min(x0 + 1, src.Width() - 1);
            const Pixel p[4] = {r0[x0], r0[x1], r1[x0], r1[x1]};
            // Averaging is a convex combination, so colour stays <= alpha.
            std::uint32_t rb = 0, ga = 0;
            for (Pixel q : p) {
                rb += q & 0x00FF00FFu;
                ga += (q >> 8) & 0x00FF00FFu;
            }
            rb = ((rb + 0x00020002u) >> 2) & 0x00FF00FFu;
            ga = ((ga + 0x00020002u) >> 2) & 0x00FF00FFu;
            d[x] = rb | (ga << 8);
        }
    }
    return out;
}

} // namespace kestrana::gfx
