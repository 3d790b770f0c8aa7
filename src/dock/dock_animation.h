#pragma once
// The grow and shrink of the magnification as a frame-by-frame machine. The caller owns
// the clock and the waiting: it calls Step with the current time in milliseconds, lays
// the row out with the returned A, and calls again at the returned time. Nothing here
// sleeps or reads the time itself. Used under the bar's lock.

#include "dock/dock_settings.h"

#include <cstdint>

namespace kestrana::dock {

inline constexpr int kMinAnimationFrames = 10;
inline constexpr int kMaxAnimationFrames = 21;

// Frames at 60 Hz for a magnification range: one per 6 pixels, 10 to 21.
[[nodiscard]] int BaseFrameCount(int magnifyRange);
// The same animation at another frame rate (at least one frame).
[[nodiscard]] int FrameCountAt(int baseFrames, double framesPerSecond);
// Cubic ease-out: fast at first, settling at 1.
[[nodiscard]] float EaseOut(float t);
// The rate a late frame shows the dock is managing: 1000 / elapsed, but no lower than 30
// frames per second on displays up to 60 Hz and 60 on faster ones.
[[nodiscard]] double AchievedFrameRate(std::int64_t elapsedMs, int refreshHz);
// Displays that report no rate (or nonsense) are taken as 60 Hz.
[[nodiscard]] int UsableRefreshRate(int refreshHz);

struct MagnifyFrame {
    float magnification = 0;     // A for this frame
    int lightAlpha = 0;          // 0-255; 0 when the effect has no light
    bool finished = true;        // nothing more to animate
    std::int64_t nextFrameMs = 0; // when the next frame is due
};

class MagnifyAnimator {
public:
    enum class Direction : std::uint8_t { None, Grow, Shrink };

    // New effect, range or display rate. A running animation carries on towards the new
    // range; A never exceeds it.
    void Configure(IconEffect effect, int magnifyRange, int refreshHz);

    // The pointer came onto the dock. True when a grow started and frames must be run.
    bool Enter(std::int64_t nowMs);
    // The pointer left. True when a shrink started (or the light is fading) and frames
    // must be run.
    bool Leave(std::int64_t nowMs);
    // The frame for this moment. The first frame is due at once.
    MagnifyFrame Step(std::int64_t nowMs);
    // Back to rest at once: no magnification, no light (the dock hides or is rebuilt).
    void Stop();
    // The system's animations are off: a grow or shrink takes one frame.
    void SetInstant(bool instant) { m_instant = instant; }

    [[nodiscard]] Direction Running() const { return m_direction; }
    [[nodiscard]] float Magnification() const { return m_magnification; }
    [[nodiscard]] int LightAlpha() const { return m_lightAlpha; }
    [[nodiscard]] int MagnifyRange() const { return m_range; }
    // Frames of the running animation as now planned (it changes when frames overrun).
    [[nodiscard]] int FrameCount() const { return m_frames; }
    [[nodiscard]] int FramesDone() const { return m_done; }

private:
    void Start(Direction direction, std::int64_t nowMs);
    bool m_instant = false;
    void Rescale(std::int64_t elapsedMs);
    [[nodiscard]] double IntervalMs() const { return 1000.0 / m_refreshHz; }

    EffectTraits m_traits = TraitsOf(IconEffect::Scale);
    int m_range = 0;
    int m_refreshHz = 60;

    Direction m_direction = Direction::None;
    float m_magnification = 0;
    int m_lightAlpha = 0;
    float m_from = 0;   // A when the animation started
    int m_frames = 0;   // N
    int m_done = 0;     // k
    std::int64_t m_lastFrameMs = 0;
    double m_dueMs = 0; // when the frame just produced was due
};

} // namespace kestrana::dock
