#include "extras/frame_timing.h"

#include <cmath>

namespace kestrana::extras {

FramePlan PlanFrames(MinimiseEffect effect, int refreshHz, float speed, bool settling, bool slowMotion) {
    const double k = ClampSpeed(speed);
    const bool scale = effect == MinimiseEffect::Scale;
    if (refreshHz <= 1) refreshHz = 60;
    FramePlan plan;
    double frames = 0;
    if (settling) {
        plan.intervalMs = 15;
        frames = (scale ? 20.0 : 30.0) * k;
    } else if (refreshHz <= 60) {
        plan.intervalMs = 15;
        frames = (scale ? 24.0 : 34.0) * k;
    } else {
        plan.intervalMs = 1000 / refreshHz;
        frames = (scale ? 20.0 : 30.0) * refreshHz / 60.0 * k;
    }
    // A speed read as float lies a hair off its decimal value (0.7 is 0.69999999): without
    // the nudge 30 × 0.7 would floor to 20.
    plan.frames = static_cast<int>(std::floor(frames + 1e-6));
    if (slowMotion) plan.frames *= kSlowMotionFactor;
    return plan;
}

} // namespace kestrana::extras
