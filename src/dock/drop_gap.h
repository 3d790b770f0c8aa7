#pragma once
// The gap that opens in the row where files dragged from another program, or an icon
// dragged within the dock, would land. It follows the pointer while the drag hovers and
// closes when the drag leaves or ends. A
// gap that moves shrinks away where it stood while a new one grows where the files would
// go, so the row never jumps. The caller holds the row's item-list lock.

#include "dock/dockico.h"

#include <cstddef>
#include <optional>

namespace kestrana::dock {

// The entry index of the open (not shrinking) gap, 0 when none is open.
[[nodiscard]] std::size_t OpenDropGap(const DockItems& row);

// Opens the gap before entry `index` (a drop index taken with the gap in the row), or
// keeps it where it is when it already stands there. True when the row changed.
bool PlaceDropGap(DockItems& row, std::size_t index);

// Lets the open gap shrink away. True when one was open.
bool CloseDropGap(DockItems& row);

struct TakenGap {
    std::size_t index = 0; // where the dropped items go
    float sizeFactor = 0;  // how far the gap had opened: the first item starts at that width
};

// Takes the open gap out of the row, for the dropped items to stand in its place.
[[nodiscard]] std::optional<TakenGap> TakeDropGap(DockItems& row);

} // namespace kestrana::dock
