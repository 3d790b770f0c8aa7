#pragma once
// Items that come into the row grow from nothing to their full width, and items that
// leave shrink to nothing before they are taken out, so the row never jumps. The window
// tracker only marks what comes and goes; the bar moves the sizes on, one step per frame,
// on the user-interface thread under the item-list lock.

#include "dock/dockico.h"

#include <cstdint>

namespace kestrana::dock {

// How long an item takes to grow in or shrink away.
inline constexpr int kItemGrowthMs = 240;

// Whether some item still grows or shrinks.
[[nodiscard]] bool ItemsInMotion(const DockItems& row);

struct GrowthStep {
    bool moving = false;      // some item has not reached its size yet
    std::size_t removed = 0;  // leaving items taken out of the row by this step
};

// Moves every growing or leaving item's size factor on by `elapsedMs` and takes out the
// leaving items that reached nothing.
GrowthStep StepItemGrowth(DockItems& row, std::int64_t elapsedMs);

} // namespace kestrana::dock
