#include "dock/magnification.h"

#include <cmath>

namespace kestrana::dock {

namespace {

// Quarter turn as the curve has always used it; 1.57 rather than pi/2 keeps the edge of
// the bulge a hair above zero.
constexpr float kQuarterTurn = 1.57f;
// The correction only touches two real entries before the first real entry is reached.
constexpr std::size_t kFirstCorrectedIndex = 6;

float RestGrowth(float base, float iconSize) {
    return base >= iconSize ? 0.0f : (base - iconSize) / 2;
}

int RowLengthOf(const Dockico& last) {
    return static_cast<int>(std::floor(last.position + last.size + 0.5f));
}

} // namespace

int PlaceAtRest(DockItems& items, float iconSize, int spacing) {
    if (!DockItems::HasItemRange(items.Size()) || items.Empty()) return 0;
    float start = 0;
    const float gap = static_cast<float>(spacing);
    items.ForEachReal([&](std::size_t, Dockico& item) {
        const float base = iconSize * item.sizeFactor;
        item.restStart = start;
        item.position = start;
        item.size = base;
        item.growth = RestGrowth(base, iconSize);
        start += base + item.sizeFactor * gap;
    });
    return RowLengthOf(items[items.EndReal() - 1]);
}

int RowOffsetFor(int windowLength, int rowLength) {
    return static_cast<int>(std::floor((windowLength - rowLength) / 2.0 + 0.5));
}

float RowPointer(int pointerAlong, int windowAlongStart, int windowLength, int restRowLength) {
    return static_cast<float>(pointerAlong - windowAlongStart - RowOffsetFor(windowLength, restRowLength));
}

std::size_t ItemAt(const DockItems& items, float rowCoordinate) {
    if (!DockItems::HasItemRange(items.Size())) return 0;
    for (std::size_t i = DockItems::kFirstReal; i < items.EndReal(); ++i) {
        const Dockico& item = items[i];
        if (rowCoordinate >= item.position && rowCoordinate < item.position + item.size) return i;
    }
    return 0;
}

MagnificationLayout::Ticket MagnificationLayout::Begin(const DockItems& items) {
    const std::uint64_t generation = m_generation.fetch_add(1, std::memory_order_acq_rel) + 1;
    return {generation, items.Size()};
}

void MagnificationLayout::Invalidate() {
    m_stale.store(true, std::memory_order_release);
    m_generation.fetch_add(1, std::memory_order_acq_rel);
}

MagnifyResult MagnificationLayout::Run(const Ticket& ticket, DockItems& items, const MagnifyInput& in) {
    MagnifyResult result;
    if (!Current(ticket, items) || !DockItems::HasItemRange(items.Size())) return result;

    const float s = in.iconSize;
    const float a = s > 0 ? in.magnification : 0.0f;
    const float radius = in.radius;
    const float p = in.pointer;
    const float gap = static_cast<float>(in.spacing);
    const float ratio = s > 0 ? a / s : 0.0f;
    const bool magnified = a != 0;
    const std::size_t first = DockItems::kFirstReal;
    const std::size_t end = items.EndReal();

    float grown = 0; // G: growth of the magnified entries so far
    bool corrected = false;
    bool lastInRange = false;
    float start = 0;

    for (std::size_t i = first; i < end; ++i) {
        if (!Current(ticket, items)) return {};
        Dockico& item = items[i];
        if (i > first) {
            const Dockico& previous = items[i - 1];
            start = previous.position + previous.size + previous.sizeFactor * gap;
        }
        const float f = item.sizeFactor;
        const float base = s * f;

        bool inRange = false;
        float distance = radius + 2;
        // Entries well before the pointer, and all entries after the correction, rest.
        if (!corrected && !(start < p - radius - s)) {
            distance = std::fabs(p - (item.restStart + base / 2));
            inRange = distance <= radius && radius > 0;
        }

        float size = base;
        float growth;
        if (inRange) {
            if (a > 0) size = base * (1 + ratio * std::sin(kQuarterTurn * (radius - distance) / radius));
            if (item.IsSeparator())
                growth = size - s / 2;
            else
                growth = magnified ? size - base : (size - s) / 2;
            if (magnified) grown += growth;
        } else {
            growth = RestGrowth(base, s);
            // Where the bulge ends, give the two entries before it what is missing of the
            // row's fixed total growth.
            if (magnified && !corrected && i >= kFirstCorrectedIndex && items[i - 1].growth > 0) {
                const float h = (kRowGrowthPerMagnification * a - grown) / 2;
                Dockico& before = items[i - 1];
                Dockico& twoBefore = items[i - 2];
                twoBefore.size += h;
                twoBefore.growth += h;
                before.position += h;
                before.size += h;
                before.growth += h;
                start += 2 * h;
                corrected = true;
            }
        }
        item.position = start;
        item.size = size;
        item.growth = growth;
        lastInRange = inRange;
    }

    Dockico& last = items[end - 1];
    if (magnified && !corrected && lastInRange) {
        // The bulge runs off the end of the row: the last two entries take up the rest.
        const float h = (kRowGrowthPerMagnification * a - grown) / 2;
        if (end - 1 > first) {
            Dockico& before = items[end - 2];
            before.size += h;
            before.growth += h;
        }
        last.position += h;
        last.size += h;
        last.growth += h;
    }

    if (in.dragging) {
        result.dropIndex = end;
        for (std::size_t i = first; i < end; ++i) {
            if (items[i].restStart > p) {
                result.dropIndex = i;
                break;
            }
        }
    }

    if (!Current(ticket, items)) return {};
    result.rowLength = end > first ? RowLengthOf(last) : 0;
    result.rowOffset = RowOffsetFor(in.windowLength, result.rowLength);
    const bool stale = m_stale.exchange(false, std::memory_order_acq_rel);
    const bool same = !stale && m_lastMagnification && *m_lastMagnification == a &&
                      m_lastRowLength == result.rowLength;
    result.outcome = same ? LayoutOutcome::RedrawOnly : LayoutOutcome::Changed;
    m_lastMagnification = a;
    m_lastRowLength = result.rowLength;
    return result;
}

} // namespace kestrana::dock
