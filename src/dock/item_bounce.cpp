#include "dock/item_bounce.h"

#include <algorithm>

namespace kestrana::dock {

float BounceLift(std::int64_t elapsedMs, float iconSize, float room) {
    if (elapsedMs < 0 || room <= 0) return 0;
    const float t = static_cast<float>(elapsedMs % kBouncePeriodMs) / static_cast<float>(kBouncePeriodMs);
    // A parabola over each hop: 0 at both ends, 1 in the middle.
    const float arc = 4 * t * (1 - t);
    return std::min(iconSize / 2, room) * arc;
}

} // namespace kestrana::dock
