#pragma once
// How many frames a minimise animation draws and how long each one lasts. The frame
// count follows the display's refresh rate so the flight takes about half a second on any
// display; right after a display change or a resume the reported rate cannot be trusted
// yet, so a fixed, modest plan is used for a while.

#include "extras/minimise_settings.h"

#include <cstdint>

namespace kestrana::extras {

struct FramePlan {
    int intervalMs = 15;
    int frames = 0; // N
};

// For this long after a display change or a resume the settle plan applies.
inline constexpr std::int64_t kDisplaySettleMs = 10000;
// Slow motion (Shift held with "slowdown") stretches the flight this many times.
inline constexpr int kSlowMotionFactor = 10;

// `refreshHz` as the system reports it; 0 or 1 (unknown) count as 60.
[[nodiscard]] FramePlan PlanFrames(MinimiseEffect effect, int refreshHz, float speed, bool settling, bool slowMotion);

} // namespace kestrana::extras
