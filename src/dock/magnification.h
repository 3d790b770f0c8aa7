#pragma once
// The sine-shaped bulge of icons under the pointer. One pass lays the whole row out for a
// pointer position and a magnification A (0 at rest, up to M), writing each entry's
// position, size and growth. The row's total growth is held at exactly 4.234 x A, so the
// row keeps one length while the pointer moves along it and only recentres as A changes.

#include "dock/dockico.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrana::dock {

// Total growth of a magnified row per pixel of A.
inline constexpr float kRowGrowthPerMagnification = 4.234f;

struct MagnifyInput {
    float iconSize = 0;      // S
    float magnification = 0; // A
    float radius = 0;        // R
    int spacing = 0;         // "iconspace"
    float pointer = 0;       // p: along the axis, from the start of the resting row
    int windowLength = 0;    // the dock window's length along the axis
    bool dragging = false;   // an icon is being dragged: report where it would land
};

enum class LayoutOutcome : std::uint8_t {
    Abandoned,  // the items changed or a newer pass began; nothing was decided
    RedrawOnly, // same A and row length as last time: the window stays, the icons moved
    Changed,    // the row length or A changed: place the window content again
};

struct MagnifyResult {
    LayoutOutcome outcome = LayoutOutcome::Abandoned;
    int rowLength = 0;         // L
    int rowOffset = 0;         // from the window's start to the first item
    std::size_t dropIndex = 0; // vector index a dragged icon would take; 0 when not dragging
};

// Lays the row out with nothing magnified and records every entry's resting start.
// Returns the resting row length. Call after every fit and every change of the items.
int PlaceAtRest(DockItems& items, float iconSize, int spacing);

// Centres a row of this length in the window.
[[nodiscard]] int RowOffsetFor(int windowLength, int rowLength);

// The pointer as the pass wants it: relative to the start of the resting row.
[[nodiscard]] float RowPointer(int pointerAlong, int windowAlongStart, int windowLength, int restRowLength);

// Where an icon dragged to `restPointer` (relative to the start of the resting row) would
// land: before the first entry whose resting start lies beyond it, else after the last.
[[nodiscard]] std::size_t DragDropIndex(const DockItems& items, float restPointer);

// The real item drawn under a point of the current row (relative to its first item), or
// 0 when the point falls between or beyond the items.
[[nodiscard]] std::size_t ItemAt(const DockItems& items, float rowCoordinate);

// Runs the passes of one dock. A pass takes a ticket when it is asked for and runs when
// it gets the item-list lock; by then the items may have changed or a newer pass may
// have been asked for, and the pass gives up.
class MagnificationLayout {
public:
    struct Ticket {
        std::uint64_t generation = 0;
        std::size_t entryCount = 0;
    };

    // Any thread, no lock needed.
    [[nodiscard]] Ticket Begin(const DockItems& items);
    // Under the bar's item-list lock.
    MagnifyResult Run(const Ticket& ticket, DockItems& items, const MagnifyInput& input);
    // Begin and Run at once, for callers that already hold the lock.
    MagnifyResult LayOut(DockItems& items, const MagnifyInput& input) { return Run(Begin(items), items, input); }

    // The items or the window changed: outdate running passes and report the next one as
    // a change. Any thread.
    void Invalidate();

    [[nodiscard]] std::uint64_t Generation() const { return m_generation.load(std::memory_order_acquire); }

private:
    // The drop index, the row's length and offset, and whether anything moved.
    MagnifyResult Finish(const DockItems& items, const MagnifyInput& input, float magnification);
    [[nodiscard]] bool Current(const Ticket& ticket, const DockItems& items) const {
        return m_generation.load(std::memory_order_acquire) == ticket.generation && items.Size() == ticket.entryCount;
    }

    std::atomic<std::uint64_t> m_generation{0};
    std::atomic<bool> m_stale{false};
    // Touched only by Run, under the lock.
    std::optional<float> m_lastMagnification;
    int m_lastRowLength = 0;
};

} // namespace kestrana::dock
