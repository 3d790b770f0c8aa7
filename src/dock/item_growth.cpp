#include "dock/item_growth.h"

#include <algorithm>

namespace kestrana::dock {
namespace {

float TargetOf(const Dockico& item) { return item.leaving || item.lifted ? 0.0f : item.FullFactor(); }

} // namespace

bool ItemsInMotion(const DockItems& row) {
    if (!DockItems::HasItemRange(row.Size())) return false;
    bool moving = false;
    row.ForEachReal([&](std::size_t, const Dockico& item) {
        if (item.sizeFactor != TargetOf(item)) moving = true;
    });
    return moving;
}

GrowthStep StepItemGrowth(DockItems& row, std::int64_t elapsedMs) {
    GrowthStep step;
    if (!DockItems::HasItemRange(row.Size())) return step;
    // Every item moves at its own full width per growth time, so a separator takes as long as an icon.
    const float fraction = std::clamp(static_cast<float>(elapsedMs) / kItemGrowthMs, 0.0f, 1.0f);
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal();) {
        Dockico& item = row[i];
        const float target = TargetOf(item);
        if (item.sizeFactor != target) {
            const float delta = item.FullFactor() * fraction;
            item.sizeFactor = item.sizeFactor < target ? std::min(target, item.sizeFactor + delta)
                                                       : std::max(target, item.sizeFactor - delta);
            if (item.sizeFactor != target) step.moving = true;
        }
        if (item.leaving && item.sizeFactor <= 0) {
            row.Take(i);
            ++step.removed;
            continue;
        }
        ++i;
    }
    return step;
}

} // namespace kestrana::dock
