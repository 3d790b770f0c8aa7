#include "gfx/cached_image.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrana::gfx {

CachedImage::CachedImage(Bitmap source, int cacheSlots) : m_source(std::move(source)) {
    m_entries.resize(std::size_t(std::max(0, cacheSlots)));
}

int CachedImage::CachedCopies() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) { return e.valid; }));
}

void CachedImage::Trim() {
    for (Entry& e : m_entries) {
        e = Entry{};
    }
    m_hasLastMiss = false;
}

const Bitmap& CachedImage::LevelFor(float destWidth, float destHeight) {
    const Bitmap* level = &m_source;
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

void CachedImage::Render(const RectF& dest, const RectI& clip, float opacity, Bitmap& target) {
    const Bitmap& level = LevelFor(dest.width, dest.height);
    const AxisSegment xSeg{dest.x, dest.Right(), 0, float(level.Width())};
    const AxisSegment ySeg{dest.y, dest.Bottom(), 0, float(level.Height())};
    BuildAxisPlan({&xSeg, 1}, level.Width(), clip.x, clip.Right(), m_xs);
    BuildAxisPlan({&ySeg, 1}, level.Height(), clip.y, clip.Bottom(), m_ys);
    ResampleBlend(level, m_xs, m_ys, opacity, target);
}

void CachedImage::RenderCopy(const RectF& dest, Bitmap& out) {
    const Bitmap& level = LevelFor(dest.width, dest.height);
    const AxisSegment xSeg{dest.x, dest.Right(), 0, float(level.Width())};
    const AxisSegment ySeg{dest.y, dest.Bottom(), 0, float(level.Height())};
    const int x0 = int(std::floor(dest.x));
    const int y0 = int(std::floor(dest.y));
    BuildAxisPlan({&xSeg, 1}, level.Width(), x0, int(std::ceil(dest.Right())), m_xs);
    BuildAxisPlan({&ySeg, 1}, level.Height(), y0, int(std::ceil(dest.Bottom())), m_ys);
    ResampleCopy(level, m_xs, m_ys, out);
}

void CachedImage::Draw(Bitmap& target, const RectF& dest, const RectI& clip, float opacity) {
    const RectI area = Intersect(clip, target.Bounds());
    if (m_source.Empty() || dest.Empty() || area.Empty() || !(opacity > 0.0f) || !std::isfinite(dest.x) ||
        !std::isfinite(dest.y) || !std::isfinite(dest.width) || !std::isfinite(dest.height)) {
        return;
    }
    const float originX = std::floor(dest.x);
    const float originY = std::floor(dest.y);
    const Key key{dest.width, dest.height, dest.x - originX, dest.y - originY};
    ++m_clock;
    for (Entry& e : m_entries) {
        if (e.valid && e.key == key) {
            e.lastUse = m_clock;
            ++e.uses;
            ++m_hits;
            BlendBitmap(e.pixels, int(originX), int(originY), opacity, area, target);
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
        Render(dest, area, opacity, target);
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
    RenderCopy(dest, victim->pixels);
    victim->key = key;
    victim->valid = true;
    victim->uses = 1;
    victim->lastUse = m_clock;
    BlendBitmap(victim->pixels, int(originX), int(originY), opacity, area, target);
}

} // namespace kestrana::gfx
