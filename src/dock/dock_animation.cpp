#include "dock/dock_animation.h"

#include <algorithm>
#include <cmath>

namespace kestrana::dock {

int BaseFrameCount(int magnifyRange) {
    return std::clamp(std::max(0, magnifyRange) / 6, kMinAnimationFrames, kMaxAnimationFrames);
}

int FrameCountAt(int baseFrames, double framesPerSecond) {
    return std::max(1, static_cast<int>(std::floor(baseFrames * framesPerSecond / 60.0)));
}

float EaseOut(float t) {
    const float u = t - 1;
    return u * u * u + 1;
}

double AchievedFrameRate(std::int64_t elapsedMs, int refreshHz) {
    const double floorRate = UsableRefreshRate(refreshHz) <= 60 ? 30.0 : 60.0;
    if (elapsedMs <= 0) return UsableRefreshRate(refreshHz);
    return std::max(1000.0 / static_cast<double>(elapsedMs), floorRate);
}

int UsableRefreshRate(int refreshHz) {
    return refreshHz >= 20 && refreshHz <= 1000 ? refreshHz : 60;
}

void MagnifyAnimator::Configure(IconEffect effect, int magnifyRange, int refreshHz) {
    m_traits = TraitsOf(effect);
    m_range = std::max(0, magnifyRange);
    m_refreshHz = UsableRefreshRate(refreshHz);
    m_magnification = std::min(m_magnification, static_cast<float>(m_range));
    if (!m_traits.light) m_lightAlpha = 0;
    if (!m_traits.magnifies && m_direction == Direction::Grow) m_direction = Direction::None;
}

void MagnifyAnimator::Start(Direction direction, std::int64_t nowMs) {
    m_direction = direction;
    m_from = m_magnification;
    m_done = 0;
    m_frames = FrameCountAt(BaseFrameCount(m_range), m_refreshHz);
    // Already there: one frame settles it.
    if (m_instant || (direction == Direction::Grow && m_magnification >= static_cast<float>(m_range))) m_frames = 1;
    m_lastFrameMs = nowMs;
    m_dueMs = static_cast<double>(nowMs);
}

bool MagnifyAnimator::Enter(std::int64_t nowMs) {
    if (m_traits.light) m_lightAlpha = 255;
    if (!m_traits.magnifies || m_range <= 0) {
        m_direction = Direction::None; // a light fade in progress simply stops
        return false;
    }
    Start(Direction::Grow, nowMs);
    return true;
}

bool MagnifyAnimator::Leave(std::int64_t nowMs) {
    const bool lit = m_traits.light && m_lightAlpha > 0;
    if (m_range <= 0 || (m_magnification <= 0 && !lit)) {
        Stop();
        return false;
    }
    Start(Direction::Shrink, nowMs);
    return true;
}

void MagnifyAnimator::Stop() {
    m_direction = Direction::None;
    m_magnification = 0;
    m_lightAlpha = 0;
}

void MagnifyAnimator::Rescale(std::int64_t elapsedMs) {
    const double rate = AchievedFrameRate(elapsedMs, m_refreshHz);
    const int frames = FrameCountAt(BaseFrameCount(m_range), rate);
    // Keep the share of the animation already shown.
    m_done = static_cast<int>(std::lround(static_cast<double>(m_done) * frames / m_frames));
    m_frames = frames;
}

MagnifyFrame MagnifyAnimator::Step(std::int64_t nowMs) {
    MagnifyFrame frame;
    if (m_direction == Direction::None) {
        frame.magnification = m_magnification;
        frame.lightAlpha = m_lightAlpha;
        frame.nextFrameMs = nowMs;
        return frame;
    }

    const double interval = IntervalMs();
    bool late = false;
    if (m_done > 0) {
        const std::int64_t elapsed = nowMs - m_lastFrameMs;
        // A millisecond clock cannot pace finer than whole milliseconds.
        if (static_cast<double>(elapsed) > std::ceil(interval)) {
            Rescale(elapsed);
            late = true;
        }
    }

    ++m_done;
    const bool last = m_done >= m_frames;
    const float eased = last ? 1.0f : EaseOut(static_cast<float>(m_done) / static_cast<float>(m_frames));
    const float range = static_cast<float>(m_range);
    if (m_direction == Direction::Grow) {
        m_magnification = last ? range : m_from + (range - m_from) * eased;
    } else {
        m_magnification = last ? 0.0f : m_from * (1 - eased);
        if (m_traits.light) m_lightAlpha = last ? 0 : static_cast<int>(255.0f - eased * 255.0f);
    }

    m_lastFrameMs = nowMs;
    if (late || static_cast<double>(nowMs) > m_dueMs + interval) m_dueMs = static_cast<double>(nowMs);
    m_dueMs += interval;

    frame.magnification = m_magnification;
    frame.lightAlpha = m_lightAlpha;
    frame.finished = last;
    frame.nextFrameMs = static_cast<std::int64_t>(std::ceil(m_dueMs));
    if (last) m_direction = Direction::None;
    return frame;
}

} // namespace kestrana::dock
