#include "dock/magnification.h"

#include <cmath>
#include <tuple>

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

namespace {

struct Bulge {
    float iconSize = 0;      // S
    float magnification = 0; // A
    float radius = 0;        // R
    bool magnified = false;
};

// Size and growth of an entry `distance` from the pointer, inside the bulge.
std::pair<float, float> InBulge(const Dockico& item, float base, float distance, const Bulge& b) {
    float size = base;
    if (b.magnification > 0)
        size = base * (1 + b.magnification / b.iconSize * std::sin(kQuarterTurn * (b.radius - distance) / b.radius));
    if (item.IsSeparator()) return {size, size - b.iconSize / 2};
    return {size, b.magnified ? size - base : (size - b.iconSize) / 2};
}

// Where the bulge ends, the two entries before it take what is missing of the row's fixed
// total growth: the first grows, the second grows and moves.
void GiveMissingGrowth(Dockico* first, Dockico& second, float h) {
    if (first) {
        first->size += h;
        first->growth += h;
    }
    second.position += h;
    second.size += h;
    second.growth += h;
}

} // namespace

std::size_t DragDropIndex(const DockItems& items, float restPointer) {
    for (std::size_t i = DockItems::kFirstReal; i < items.EndReal(); ++i)
        if (items[i].restStart > restPointer) return i;
    return items.EndReal();
}

MagnifyResult MagnificationLayout::Run(const Ticket& ticket, DockItems& items, const MagnifyInput& in) {
    if (!Current(ticket, items) || !DockItems::HasItemRange(items.Size())) return {};
    const float s = in.iconSize;
    const Bulge bulge{s, s > 0 ? in.magnification : 0.0f, in.radius, s > 0 && in.magnification != 0};
    const float a = bulge.magnification;
    const float p = in.pointer;
    const float gap = static_cast<float>(in.spacing);
    const std::size_t first = DockItems::kFirstReal;
    const std::size_t end = items.EndReal();

    float grown = 0; // G: growth of the magnified entries so far
    bool corrected = false;
    bool lastInRange = false;
    float start = 0;
    for (std::size_t i = first; i < end; ++i) {
        if (!Current(ticket, items)) return {};
        Dockico& item = items[i];
        if (i > first) start = items[i - 1].position + items[i - 1].size + items[i - 1].sizeFactor * gap;
        const float base = s * item.sizeFactor;

        bool inRange = false;
        float distance = in.radius + 2;
        // Entries well before the pointer, and all entries after the correction, rest.
        if (!corrected && !(start < p - in.radius - s)) {
            distance = std::fabs(p - (item.restStart + base / 2));
            inRange = distance <= in.radius && in.radius > 0;
        }
        float size = base;
        float growth = RestGrowth(base, s);
        if (inRange) {
            std::tie(size, growth) = InBulge(item, base, distance, bulge);
            if (bulge.magnified) grown += growth;
        } else if (bulge.magnified && !corrected && i >= kFirstCorrectedIndex && items[i - 1].growth > 0) {
            const float h = (kRowGrowthPerMagnification * a - grown) / 2;
            GiveMissingGrowth(&items[i - 2], items[i - 1], h);
            start += 2 * h;
            corrected = true;
        }
        item.position = start;
        item.size = size;
        item.growth = growth;
        lastInRange = inRange;
    }
    if (bulge.magnified && !corrected && lastInRange) {
        // The bulge runs off the end of the row: the last two entries take up the rest.
        const float h = (kRowGrowthPerMagnification * a - grown) / 2;
        GiveMissingGrowth(end - 1 > first ? &items[end - 2] : nullptr, items[end - 1], h);
    }
    if (!Current(ticket, items)) return {};
    return Finish(items, in, a);
}

MagnifyResult MagnificationLayout::Finish(const DockItems& items, const MagnifyInput& in, float magnification) {
    MagnifyResult result;
    const std::size_t end = items.EndReal();
    if (in.dragging) result.dropIndex = DragDropIndex(items, in.pointer);
    result.rowLength = end > DockItems::kFirstReal ? RowLengthOf(items[end - 1]) : 0;
    result.rowOffset = RowOffsetFor(in.windowLength, result.rowLength);
    const bool stale = m_stale.exchange(false, std::memory_order_acq_rel);
    const bool same = !stale && m_lastMagnification && *m_lastMagnification == magnification &&
                      m_lastRowLength == result.rowLength;
    result.outcome = same ? LayoutOutcome::RedrawOnly : LayoutOutcome::Changed;
    m_lastMagnification = magnification;
    m_lastRowLength = result.rowLength;
    return result;
}

} // namespace kestrana::dock
