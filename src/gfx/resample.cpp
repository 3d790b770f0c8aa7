#include "gfx/resample.h"

#include "gfx/image_decoder.h"

#include "gfx/pixel_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>

namespace kestrana::gfx {
namespace {

// A pixel spread over a 64-bit word, one 16-bit lane per channel (B, R, G, A), so a
// weight up to 256 multiplies all four channels at once without overflow.
using Wide = std::uint64_t;
constexpr Wide kLanes = 0x00FF00FF00FF00FFull;
constexpr Wide kHalf = 0x0080008000800080ull;

inline Wide Spread(Pixel p) {
    return Wide(p & 0x00FF00FFu) | (Wide(p & 0xFF00FF00u) << 24);
}
inline Pixel Gather(Wide w) {
    return Pixel(w & 0x00FF00FFu) | Pixel((w >> 24) & 0xFF00FF00u);
}
// Sum of weights <= 256 per output, so each lane stays below 65536 and rounds back to 8 bits.
inline Wide Settle(Wide acc) {
    return ((acc + kHalf) >> 8) & kLanes;
}

// Tent filter: bilinear when enlarging; widened by the reduction factor when shrinking,
// so every source pixel is weighed in and fine patterns average out instead of aliasing.
// Its weights are never negative, which keeps colour <= alpha without clamping.
float Tent(float x) {
    x = std::fabs(x);
    return x < 1.0f ? 1.0f - x : 0.0f;
}

struct Scratch {
    std::vector<Wide> srcRow;
    std::vector<Pixel> mixed;
    std::vector<Pixel> ring;
    std::vector<int> ringRow;
    std::vector<const Pixel*> rows;
    std::vector<float> taps;

    [[nodiscard]] std::size_t Bytes() const {
        return srcRow.capacity() * sizeof(Wide) + (mixed.capacity() + ring.capacity()) * sizeof(Pixel) +
               ringRow.capacity() * sizeof(int) + rows.capacity() * sizeof(const Pixel*) + taps.capacity() * sizeof(float);
    }
};

// Buffers lent for one call and kept afterwards, so that scaling frame after frame
// allocates nothing. Not thread-local: with the Windows toolchain the destructors of
// thread-local objects run after their storage has been freed on threads the C runtime
// started (every background job), and each such thread corrupted the heap as it ended.
class ScratchLease {
public:
    ScratchLease() {
        Pool& pool = ThePool();
        {
            std::lock_guard lock(pool.mutex);
            if (!pool.idle.empty()) {
                m_scratch = std::move(pool.idle.back());
                pool.idle.pop_back();
                return;
            }
        }
        m_scratch = std::make_unique<Scratch>();
    }
    ~ScratchLease() {
        Pool& pool = ThePool();
        std::lock_guard lock(pool.mutex);
        // The user-interface thread and a few workers at once; more are let go, and so are
        // the buffers of a rare huge picture, which would otherwise stay for the whole run.
        if (pool.idle.size() < kKept && m_scratch->Bytes() <= kKeptBytes) pool.idle.push_back(std::move(m_scratch));
    }
    ScratchLease(const ScratchLease&) = delete;
    ScratchLease& operator=(const ScratchLease&) = delete;
    Scratch* operator->() const { return m_scratch.get(); }

private:
    static constexpr std::size_t kKept = 4;
    static constexpr std::size_t kKeptBytes = std::size_t(1) << 20;
    struct Pool {
        std::mutex mutex;
        std::vector<std::unique_ptr<Scratch>> idle;
    };
    // Never destroyed: workers may still scale while the process ends.
    static Pool& ThePool() {
        static Pool* const pool = new Pool;
        return *pool;
    }
    std::unique_ptr<Scratch> m_scratch;
};

// Horizontal pass over one row already spread; `spread[0]` is source column `begin`.
void HorizontalWide(const Wide* spread, const AxisPlan& xs, int begin, Pixel* out) {
    const int taps = xs.maxTaps;
    int i = 0;
    while (i < xs.outCount) {
        const std::uint16_t* w = xs.weights.data() + std::size_t(i) * taps;
        const Wide* s = spread + (xs.first[i] - begin);
        switch (xs.count[i]) {
        case 1:
            out[i] = Gather(w[0] == kWeightOne ? s[0] : Settle(s[0] * w[0]));
            break;
        case 2:
            // Stretched flat areas and clear margins read two equal pixels: the whole run
            // of outputs between them is that one colour.
            if (s[0] == s[1] && xs.runEnd[i] > i) {
                std::fill(out + i, out + xs.runEnd[i], Gather(s[0]));
                i = xs.runEnd[i];
                continue;
            }
            out[i] = Gather(Settle(s[0] * w[0] + s[1] * w[1]));
            break;
        case 3:
            out[i] = Gather(Settle(s[0] * w[0] + s[1] * w[1] + s[2] * w[2]));
            break;
        default: {
            Wide acc = s[0] * w[0] + s[1] * w[1] + s[2] * w[2] + s[3] * w[3];
            for (int k = 4; k < xs.count[i]; ++k) {
                acc += s[k] * w[k];
            }
            out[i] = Gather(Settle(acc));
            break;
        }
        }
        ++i;
    }
}

void HorizontalRow(const Pixel* srcRow, const AxisPlan& xs, int begin, int end, Wide* spread, Pixel* out) {
    for (int x = begin; x < end; ++x) {
        spread[x - begin] = Spread(srcRow[x]);
    }
    HorizontalWide(spread, xs, begin, out);
}

double MeanTaps(const AxisPlan& plan) {
    double sum = 0;
    for (int i = 0; i < plan.outCount; ++i) {
        sum += plan.count[i];
    }
    return plan.outCount ? sum / plan.outCount : 0.0;
}

// Cost per output of the horizontal pass: long runs (a widened flat area, as in a bar's
// middle) are usually filled in one go.
double HorizontalCost(const AxisPlan& plan) {
    double sum = 0;
    for (int i = 0; i < plan.outCount; ++i) {
        sum += plan.runEnd[i] - i >= 4 ? 0.3 : plan.count[i];
    }
    return plan.outCount ? sum / plan.outCount : 0.0;
}

// Vertical pass first: each target row mixes the few source rows it needs over the
// source columns in use, then stretches that one row. Cheaper than the other order when
// the picture is widened a lot (a bar background), since the wide pass then runs once
// per target row instead of once per source row.
template <typename Emit>
void ResampleVerticalFirst(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Emit emit) {
    const ScratchLease s;
    const int begin = xs.SourceBegin();
    const int end = xs.SourceEnd();
    const int cols = std::max(1, end - begin);
    s->srcRow.resize(std::size_t(cols));
    s->mixed.resize(std::size_t(cols));
    s->ring.resize(std::size_t(xs.outCount));
    s->rows.resize(std::size_t(std::max(1, ys.maxTaps)));
    for (int j = 0; j < ys.outCount; ++j) {
        const std::uint16_t* w = ys.weights.data() + std::size_t(j) * ys.maxTaps;
        const int n = ys.count[j];
        for (int k = 0; k < n; ++k) {
            s->rows[k] = src.Row(ys.first[j] + k) + begin;
        }
        MixRows(s->rows.data(), w, n, cols, s->mixed.data());
        for (int c = 0; c < cols; ++c) {
            s->srcRow[c] = Spread(s->mixed[c]);
        }
        HorizontalWide(s->srcRow.data(), xs, begin, s->ring.data());
        emit(j, static_cast<const Pixel*>(s->ring.data()));
    }
}

// The horizontal pass first, row by row: rows of the first pass live in a small ring,
// each computed once while the second pass walks down. `rowAt(y)` gives source row y;
// with a single segment per axis the rows are asked for in increasing order, each once.
template <typename RowAt, typename Emit>
void ResampleRowsFirst(RowAt rowAt, const AxisPlan& xs, const AxisPlan& ys, Emit emit) {
    const int begin = xs.SourceBegin();
    const int end = xs.SourceEnd();
    const ScratchLease s;
    const std::size_t width = std::size_t(xs.outCount);
    const int ringSize = std::max(1, ys.maxTaps);
    s->srcRow.resize(std::size_t(std::max(1, end - begin)));
    s->ring.resize(width * (ringSize + 1));
    s->ringRow.assign(ringSize, -1);
    s->rows.resize(ringSize);
    Pixel* result = s->ring.data() + width * ringSize;
    for (int j = 0; j < ys.outCount; ++j) {
        const std::uint16_t* w = ys.weights.data() + std::size_t(j) * ys.maxTaps;
        const int n = ys.count[j];
        for (int k = 0; k < n; ++k) {
            const int row = ys.first[j] + k;
            const int slot = row % ringSize;
            Pixel* inter = s->ring.data() + width * slot;
            if (s->ringRow[slot] != row) {
                HorizontalRow(rowAt(row), xs, begin, end, s->srcRow.data(), inter);
                s->ringRow[slot] = row;
            }
            s->rows[k] = inter;
        }
        if (n == 1 && w[0] == kWeightOne) {
            emit(j, s->rows[0]);
            continue;
        }
        MixRows(s->rows.data(), w, n, xs.outCount, result);
        emit(j, static_cast<const Pixel*>(result));
    }
}

// Runs both passes in the cheaper order; `emit(row, pixels)` receives each finished target row.
template <typename Emit>
void Resample(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Emit emit) {
    if (xs.outCount <= 0 || ys.outCount <= 0 || src.Empty()) {
        return;
    }
    const int begin = xs.SourceBegin();
    const int end = xs.SourceEnd();
    // Rough cost of each order: the horizontal pass works one pixel at a time, while
    // mixing rows runs on blocks of pixels at about a third of the cost per tap.
    constexpr double kMixCost = 0.3;
    const double tapsX = HorizontalCost(xs), tapsY = MeanTaps(ys);
    const double rowsFirst = double(ys.SourceEnd() - ys.SourceBegin()) * xs.outCount * tapsX +
                             kMixCost * double(ys.outCount) * xs.outCount * tapsY;
    const double columnsFirst = double(ys.outCount) * (end - begin) * (kMixCost * tapsY + 0.5) +
                                double(ys.outCount) * xs.outCount * tapsX;
    if (columnsFirst < rowsFirst) {
        ResampleVerticalFirst(src, xs, ys, emit);
        return;
    }
    ResampleRowsFirst([&src](int row) { return src.Row(row); }, xs, ys, emit);
}

} // namespace

int NineGridAxis(float destStart, float destLength, float srcLength, float startInset, float endInset,
                 AxisSegment (&out)[3]) {
    startInset = std::clamp(startInset, 0.0f, srcLength);
    endInset = std::clamp(endInset, 0.0f, srcLength - startInset);
    float a = startInset;
    float b = endInset;
    if (a + b > destLength) {
        const float f = destLength / (a + b);
        a *= f;
        b *= f;
    }
    const float d0 = destStart, d1 = destStart + a, d2 = destStart + destLength - b, d3 = destStart + destLength;
    int n = 0;
    if (d1 > d0) {
        out[n++] = {d0, d1, 0, startInset};
    }
    if (d2 > d1) {
        out[n++] = {d1, d2, startInset, srcLength - endInset};
    }
    if (d3 > d2) {
        out[n++] = {d2, d3, srcLength - endInset, srcLength};
    }
    return n;
}

int AxisPlan::SourceBegin() const {
    return outCount ? *std::min_element(first.begin(), first.begin() + outCount) : 0;
}

int AxisPlan::SourceEnd() const {
    int end = 0;
    for (int i = 0; i < outCount; ++i) {
        end = std::max(end, first[i] + count[i]);
    }
    return end;
}

namespace {

// The widest filter any segment needs: a segment that shrinks by r reads r source pixels
// per output pixel.
int MaxTaps(std::span<const AxisSegment> segments, int srcSize) {
    float maxRadius = 1.0f;
    for (const AxisSegment& seg : segments) {
        const float len = seg.destEnd - seg.destStart;
        if (len > 0) {
            maxRadius = std::clamp((seg.srcEnd - seg.srcStart) / len, maxRadius, float(srcSize) + 2.0f);
        }
    }
    return std::min(srcSize, int(std::ceil(2.0f * maxRadius)) + 2);
}

// Integer weights that add up exactly to `total` (rounding error goes to the heaviest
// tap), so a full pixel at full opacity stays exactly opaque.
void QuantiseWeights(const float* raw, int count, float sum, int total, std::uint16_t* w) {
    int given = 0;
    int heaviest = 0;
    for (int k = 0; k < count; ++k) {
        const int v = int(raw[k] / sum * float(total) + 0.5f); // weights are never negative
        w[k] = std::uint16_t(std::max(0, v));
        given += w[k];
        if (w[k] > w[heaviest]) {
            heaviest = k;
        }
    }
    w[heaviest] = std::uint16_t(std::max(0, int(w[heaviest]) + total - given));
}

// The taps of output pixel `i` of `plan` inside one segment; `coverage` is the share of
// the pixel that the whole destination span covers.
void PlanPixel(AxisPlan& plan, int i, const AxisSegment& seg, int srcSize, float coverage, float gain,
               std::vector<float>& raw) {
    const float centre = float(plan.outFirst + i) + 0.5f;
    const float len = seg.destEnd - seg.destStart;
    const float ratio = len > 0 ? (seg.srcEnd - seg.srcStart) / len : 1.0f;
    const float c = std::clamp(centre, seg.destStart, seg.destEnd);
    const float u = seg.srcStart + (c - seg.destStart) * ratio;
    const float radius = std::clamp(ratio, 1.0f, float(srcSize) + 2.0f); // a wider filter reads nothing more
    const int segLo = std::clamp(int(std::floor(seg.srcStart)), 0, srcSize - 1);
    const int segHi = std::min(srcSize, std::max(segLo + 1, int(std::ceil(seg.srcEnd))));
    int tapLo = std::max(int(std::floor(u - 0.5f - radius)) + 1, segLo);
    const int tapHi = std::min({int(std::ceil(u - 0.5f + radius)), segHi, tapLo + plan.maxTaps});
    float sum = 0;
    int n = 0;
    for (int j = tapLo; j < tapHi; ++j, ++n) {
        raw[n] = Tent((float(j) + 0.5f - u) / radius);
        sum += raw[n];
    }
    // Trim taps that weigh nothing (exact copies then cost a single tap).
    int skip = 0;
    while (skip < n && raw[skip] <= 0.0f) {
        ++skip;
    }
    while (n > skip && raw[n - 1] <= 0.0f) {
        --n;
    }
    if (n - skip <= 0 || !(sum > 1e-6f)) {
        // Degenerate span: the nearest pixel of the segment.
        tapLo = std::clamp(int(std::floor(u)), segLo, segHi - 1);
        raw[0] = 1.0f;
        sum = 1.0f;
        skip = 0;
        n = 1;
    }
    const int total = int(coverage * gain * kWeightOne + 0.5f);
    QuantiseWeights(raw.data() + skip, n - skip, sum, total, plan.weights.data() + std::size_t(i) * plan.maxTaps);
    plan.first[i] = tapLo + skip;
    plan.count[i] = n - skip;
}

// Marks runs of output pixels that all mix the same two source pixels at full weight, so
// the blend can copy them in one go.
void MarkPairRuns(AxisPlan& plan) {
    plan.runEnd.assign(std::size_t(plan.outCount), 0);
    for (int i = plan.outCount - 1; i >= 0; --i) {
        const std::uint16_t* w = plan.weights.data() + std::size_t(i) * plan.maxTaps;
        if (plan.count[i] != 2 || w[0] + w[1] != kWeightOne) {
            plan.runEnd[i] = i; // not a full-weight pair: no run
        } else if (i + 1 < plan.outCount && plan.runEnd[i + 1] > i + 1 && plan.first[i + 1] == plan.first[i]) {
            plan.runEnd[i] = plan.runEnd[i + 1];
        } else {
            plan.runEnd[i] = i + 1;
        }
    }
}

} // namespace

void BuildAxisPlan(std::span<const AxisSegment> segments, int srcSize, int clipBegin, int clipEnd,
                   AxisPlan& plan, float gain) {
    plan.outCount = 0;
    plan.first.clear();
    plan.count.clear();
    plan.weights.clear();
    plan.runEnd.clear();
    if (segments.empty() || srcSize <= 0 || !(gain > 0.0f)) {
        return;
    }
    gain = std::min(gain, 1.0f);
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
    plan.maxTaps = MaxTaps(segments, srcSize);
    plan.first.resize(plan.outCount);
    plan.count.resize(plan.outCount);
    plan.weights.assign(std::size_t(plan.outCount) * plan.maxTaps, 0);
    const ScratchLease scratch;
    std::vector<float>& raw = scratch->taps;
    raw.resize(std::size_t(plan.maxTaps));

    std::size_t segIndex = 0;
    for (int i = 0; i < plan.outCount; ++i) {
        const float left = float(plan.outFirst + i);
        const float centre = left + 0.5f;
        const float coverage = std::clamp(std::min(left + 1.0f, destHi) - std::max(left, destLo), 0.0f, 1.0f);
        while (segIndex + 1 < segments.size() &&
               (centre >= segments[segIndex].destEnd || !(segments[segIndex].destEnd > segments[segIndex].destStart))) {
            ++segIndex;
        }
        PlanPixel(plan, i, segments[segIndex], srcSize, coverage, gain, raw);
    }
    MarkPairRuns(plan);
}

void ResampleCopy(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& out) {
    out.Reset(xs.outCount, ys.outCount);
    Resample(src, xs, ys, [&out, &xs](int j, const Pixel* row) {
        std::memcpy(out.Row(j), row, std::size_t(xs.outCount) * sizeof(Pixel));
    });
}

void ResampleBlend(const Bitmap& src, const AxisPlan& xs, const AxisPlan& ys, Bitmap& target, BlendMode mode) {
    Resample(src, xs, ys, [&target, &xs, &ys, mode](int j, const Pixel* row) {
        Pixel* dst = target.Row(ys.outFirst + j) + xs.outFirst;
        if (mode == BlendMode::Replace) {
            std::memcpy(dst, row, std::size_t(xs.outCount) * sizeof(Pixel));
        } else {
            OverRow(row, dst, xs.outCount);
        }
    });
}

void BlendBitmap(const Bitmap& src, int x, int y, float opacity, const RectI& clip, Bitmap& target,
                 BlendMode mode) {
    const RectI area = Intersect(Intersect(clip, target.Bounds()), {x, y, src.Width(), src.Height()});
    if (area.Empty() || (!(opacity > 0.0f) && mode == BlendMode::Over)) {
        return;
    }
    // Scaling all four channels by one factor keeps colour <= alpha.
    const std::uint32_t k = opacity > 0.0f ? std::uint32_t(std::min(opacity, 1.0f) * 256.0f + 0.5f) : 0;
    for (int row = area.y; row < area.Bottom(); ++row) {
        const Pixel* s = src.Row(row - y) + (area.x - x);
        Pixel* d = target.Row(row) + area.x;
        if (mode == BlendMode::Replace) {
            ScaleRow(s, k, d, area.width);
        } else {
            OverRowScaled(s, k, d, area.width);
        }
    }
}

namespace {

// The plans of a whole picture scaled to width x height.
void PlanWholeScale(int srcWidth, int srcHeight, int width, int height, AxisPlan& xs, AxisPlan& ys) {
    const AxisSegment xSeg{0, float(width), 0, float(srcWidth)};
    const AxisSegment ySeg{0, float(height), 0, float(srcHeight)};
    BuildAxisPlan({&xSeg, 1}, srcWidth, 0, width, xs);
    BuildAxisPlan({&ySeg, 1}, srcHeight, 0, height, ys);
}

} // namespace

Bitmap ScaleBitmap(const Bitmap& src, int width, int height) {
    Bitmap out;
    if (src.Empty() || width <= 0 || height <= 0) {
        return out;
    }
    AxisPlan xs, ys;
    PlanWholeScale(src.Width(), src.Height(), width, height, xs, ys);
    ResampleCopy(src, xs, ys, out);
    return out;
}

Bitmap ScaleRows(int srcWidth, int srcHeight, const std::function<const Pixel*(int)>& rowAt, int width, int height) {
    Bitmap out;
    if (srcWidth <= 0 || srcHeight <= 0 || width <= 0 || height <= 0) {
        return out;
    }
    AxisPlan xs, ys;
    PlanWholeScale(srcWidth, srcHeight, width, height, xs, ys);
    out.Reset(xs.outCount, ys.outCount);
    ResampleRowsFirst(rowAt, xs, ys, [&out, &xs](int j, const Pixel* row) {
        std::memcpy(out.Row(j), row, std::size_t(xs.outCount) * sizeof(Pixel));
    });
    return out;
}

Bitmap ScaleToFit(const Bitmap& src, int size) {
    if (src.Empty() || size <= 0) return {};
    const bool wide = src.Width() >= src.Height();
    const DecodeSize target = ResolveDecodeSize(src.Width(), src.Height(), wide ? DecodeSize{size, 0} : DecodeSize{0, size});
    return ScaleBitmap(src, target.width, target.height);
}

Bitmap HalveBitmap(const Bitmap& src) {
    if (src.Empty()) {
        return {};
    }
    const int sw = src.Width(), sh = src.Height();
    const int w = (sw + 1) / 2;
    const int h = (sh + 1) / 2;
    // Weights 1 3 3 1 (over 8) each way: a plain 2x2 average lets fine patterns through
    // as moire, this filter all but removes them; edge pixels repeat outward so an
    // opaque picture stays opaque to its border.
    std::vector<Wide> rows(std::size_t(w) * std::size_t(sh));
    for (int y = 0; y < sh; ++y) {
        const Pixel* r = src.Row(y);
        Wide* t = rows.data() + std::size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            const int b = 2 * x;
            const int a = std::max(b - 1, 0), c = std::min(b + 1, sw - 1), d = std::min(b + 2, sw - 1);
            t[x] = Spread(r[a]) + 3 * (Spread(r[b]) + Spread(r[c])) + Spread(r[d]); // <= 2040 a lane
        }
    }
    Bitmap out(w, h);
    for (int y = 0; y < h; ++y) {
        const int b = 2 * y;
        const Wide* ra = rows.data() + std::size_t(std::max(b - 1, 0)) * w;
        const Wide* rb = rows.data() + std::size_t(b) * w;
        const Wide* rc = rows.data() + std::size_t(std::min(b + 1, sh - 1)) * w;
        const Wide* rd = rows.data() + std::size_t(std::min(b + 2, sh - 1)) * w;
        Pixel* o = out.Row(y);
        for (int x = 0; x < w; ++x) {
            const Wide sum = ra[x] + 3 * (rb[x] + rc[x]) + rd[x]; // <= 16320 a lane
            o[x] = Gather(((sum + 0x0020002000200020ull) >> 6) & kLanes);
        }
    }
    return out;
}

} // namespace kestrana::gfx
