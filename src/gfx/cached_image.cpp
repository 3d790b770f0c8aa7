#include "gfx/cached_image.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrana::gfx {

CachedImage::CachedImage(Bitmap source, int cacheSlots)
    : CachedImage(std::make_shared<const Bitmap>(std::move(source)), cacheSlots) {}

CachedImage::CachedImage(std::shared_ptr<const Bitmap> source, int cacheSlots) : m_source(std::move(source)) {
    m_entries.resize(std::size_t(std::max(0, cacheSlots)));
}

const Bitmap& CachedImage::Source() const {
    static const Bitmap none;
    return m_source ? *m_source : none;
}

CachedImage::CachedImage(Bitmap source, const Insets& nineGrid, int cacheSlots)
    : CachedImage(std::move(source), cacheSlots) {
    m_nineGrid = nineGrid;
}

int CachedImage::CachedCopies() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.valid; }));
}

std::size_t CachedImage::HeldBytes() const {
    std::size_t bytes = 0;
    for (const Bitmap& level : m_levels) {
        bytes += level.Pixels().size_bytes();
    }
    for (const Entry& e : m_entries) {
        bytes += e.pixels.Pixels().size_bytes();
    }
    return bytes;
}

void CachedImage::Trim() {
    for (Entry& e : m_entries) {
        e = Entry{};
    }
    m_hasLastMiss = false;
}

const Bitmap& CachedImage::LevelFor(float destWidth, float destHeight) {
    const Bitmap* level = &Source();
    std::size_t next = 0;
    while (true) {
        const int halfW = (level->Width() + 1) / 2;
        const int halfH = (level->Height() + 1) / 2;
        if (level->Width() < 2 || level->Height() < 2 || float(halfW) < destWidth || float(halfH) < destHeight) {
            return *level;
        }
        if (next == m_levels.size()) {
            m_levels.push_back(HalveBitmap(*level));
        }
        level = &m_levels[next++];
    }
}

const Bitmap& CachedImage::Plan(const RectF& dest, const RectI& area, float gain) {
    if (m_nineGrid) {
        // Corners must stay sharp at their own size, so a nine-grid always reads the source.
        AxisSegment xs[3], ys[3];
        const int nx = NineGridAxis(dest.x, dest.width, float(Source().Width()), m_nineGrid->left,
                                    m_nineGrid->right, xs);
        const int ny = NineGridAxis(dest.y, dest.height, float(Source().Height()), m_nineGrid->top,
                                    m_nineGrid->bottom, ys);
        BuildAxisPlan({xs, std::size_t(nx)}, Source().Width(), area.x, area.Right(), m_xs);
        BuildAxisPlan({ys, std::size_t(ny)}, Source().Height(), area.y, area.Bottom(), m_ys, gain);
        return Source();
    }
    const Bitmap& level = LevelFor(dest.width, dest.height);
    const AxisSegment xSeg{dest.x, dest.Right(), 0, float(level.Width())};
    const AxisSegment ySeg{dest.y, dest.Bottom(), 0, float(level.Height())};
    BuildAxisPlan({&xSeg, 1}, level.Width(), area.x, area.Right(), m_xs);
    BuildAxisPlan({&ySeg, 1}, level.Height(), area.y, area.Bottom(), m_ys, gain);
    return level;
}

void CachedImage::Draw(Bitmap& target, const RectF& dest, const RectI& clip, float opacity, BlendMode mode) {
    const RectI area = Intersect(clip, target.Bounds());
    if (Source().Empty() || dest.Empty() || area.Empty() || !(opacity > 0.0f) || !std::isfinite(dest.x) ||
        !std::isfinite(dest.y) || !std::isfinite(dest.width) || !std::isfinite(dest.height)) {
        return;
    }
    // Nothing to do for a drawing wholly outside the area (also keeps the integer
    // conversions below within range).
    if (double(dest.x) + dest.width <= area.x || dest.x >= float(area.Right()) ||
        double(dest.y) + dest.height <= area.y || dest.y >= float(area.Bottom())) {
        return;
    }
    const float originX = std::floor(dest.x);
    const float originY = std::floor(dest.y);
    const Key key{dest.width, dest.height, dest.x - originX, dest.y - originY};
    ++m_clock;
    // A picture kept at the size it is drawn (the Launchpad's icons) on whole pixels needs
    // no resampling and no copy: it is blended as it is.
    if (!m_nineGrid && key.fracX == 0.0f && key.fracY == 0.0f && dest.width == float(Source().Width()) &&
        dest.height == float(Source().Height())) {
        BlendBitmap(Source(), int(originX), int(originY), opacity, area, target, mode);
        return;
    }
    for (Entry& e : m_entries) {
        if (e.valid && e.key != key && m_clock - e.lastUse > kStaleDraws) {
            e = Entry{};
        }
    }
    for (Entry& e : m_entries) {
        if (e.valid && e.key == key) {
            e.lastUse = m_clock;
            ++e.uses;
            ++m_hits;
            BlendBitmap(e.pixels, int(originX), int(originY), opacity, area, target, mode);
            return;
        }
    }
    // Keep a copy only for a size asked for twice in a row; one that keeps changing is
    // drawn straight into the target, which costs no allocation and no extra pass.
    const bool repeat = m_hasLastMiss && m_lastMiss == key;
    const double pixels = double(dest.width) * double(dest.height);
    if (!repeat || m_entries.empty() || pixels > 4.0 * double(area.width) * double(area.height) + 4096.0) {
        m_lastMiss = key;
        m_hasLastMiss = true;
        const Bitmap& level = Plan(dest, area, opacity);
        ResampleBlend(level, m_xs, m_ys, target, mode);
        return;
    }
    m_hasLastMiss = false;
    // Evict an unused slot, else the least recently used copy that was never reused
    // (a passing size), else the least recently used of all.
    Entry* victim = nullptr;
    for (Entry& e : m_entries) {
        if (!e.valid) {
            victim = &e;
            break;
        }
    }
    if (!victim) {
        for (Entry& e : m_entries) {
            if (e.uses <= 1 && (!victim || e.lastUse < victim->lastUse)) {
                victim = &e;
            }
        }
    }
    if (!victim) {
        victim = &*std::min_element(m_entries.begin(), m_entries.end(),
                                    [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    }
    const RectI whole{int(originX), int(originY), int(std::ceil(dest.Right())) - int(originX),
                      int(std::ceil(dest.Bottom())) - int(originY)};
    const Bitmap& level = Plan(dest, whole, 1.0f);
    // A slot keeps its memory only while it is the right size for the copy it holds.
    if (victim->pixels.Pixels().size() > std::size_t(whole.width) * std::size_t(whole.height)) {
        victim->pixels = Bitmap{};
    }
    ResampleCopy(level, m_xs, m_ys, victim->pixels);
    victim->key = key;
    victim->valid = true;
    victim->uses = 1;
    victim->lastUse = m_clock;
    BlendBitmap(victim->pixels, int(originX), int(originY), opacity, area, target, mode);
}

} // namespace kestrana::gfx
