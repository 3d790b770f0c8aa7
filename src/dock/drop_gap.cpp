#include "dock/drop_gap.h"

namespace kestrana::dock {

std::size_t OpenDropGap(const DockItems& row) {
    if (!DockItems::HasItemRange(row.Size())) return 0;
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i)
        if (row[i].id == kDragGapItemId && !row[i].leaving) return i;
    return 0;
}

bool PlaceDropGap(DockItems& row, std::size_t index) {
    if (!DockItems::HasItemRange(row.Size())) return false;
    const std::size_t open = OpenDropGap(row);
    // Before the gap or before the entry after it: the same place once the gap is gone.
    if (open && (index == open || index == open + 1)) return false;
    if (open) row[open].leaving = true;
    auto gap = std::make_unique<Dockico>();
    gap->id = kDragGapItemId;
    gap->sizeFactor = 0; // grows open
    row.Insert(index, std::move(gap));
    return true;
}

bool CloseDropGap(DockItems& row) {
    const std::size_t open = OpenDropGap(row);
    if (!open) return false;
    row[open].leaving = true;
    return true;
}

std::optional<TakenGap> TakeDropGap(DockItems& row) {
    const std::size_t open = OpenDropGap(row);
    if (!open) return std::nullopt;
    TakenGap taken{open, row[open].sizeFactor};
    row.Take(open);
    return taken;
}

} // namespace kestrana::dock
