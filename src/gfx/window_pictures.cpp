#include "gfx/window_pictures.h"

namespace kestrana::gfx {

PictureSource ChoosePictureSource(bool liveThumbnailRegistered) {
    return liveThumbnailRegistered ? PictureSource::Live : PictureSource::Captured;
}

std::vector<std::size_t> CaptureSchedule::Batch(std::size_t windows, std::int64_t nowMs) {
    return Batch(std::vector<bool>(windows, true), nowMs);
}

std::vector<std::size_t> CaptureSchedule::Batch(const std::vector<bool>& capturable, std::int64_t nowMs) {
    std::vector<std::size_t> batch;
    const std::size_t windows = capturable.size();
    m_restUntil.resize(windows, 0);
    if (windows == 0) return batch;
    if (!m_firstTaken) {
        m_firstTaken = true;
        for (std::size_t i = 0; i < windows; ++i)
            if (capturable[i]) batch.push_back(i);
        return batch;
    }
    for (std::size_t tried = 0; tried < windows; ++tried) {
        const std::size_t index = m_next % windows;
        m_next = (m_next + 1) % windows;
        if (capturable[index] && m_restUntil[index] <= nowMs) {
            batch.push_back(index);
            break;
        }
    }
    return batch;
}

void CaptureSchedule::Taken(std::size_t index, bool changed, std::int64_t nowMs) {
    if (index >= m_restUntil.size()) return;
    m_restUntil[index] = changed ? 0 : nowMs + kRestMs;
}

std::uint64_t CaptureSchedule::Restart() {
    m_firstTaken = false;
    m_next = 0;
    m_restUntil.clear();
    ++m_generation;
    m_lastStart.reset();
    m_running = false;
    m_active = true;
    return m_generation;
}

bool CaptureSchedule::StartIfDue(std::int64_t nowMs) {
    if (!m_active || m_running) return false;
    if (m_lastStart && nowMs - *m_lastStart < kMinIntervalMs) return false;
    m_lastStart = nowMs;
    m_running = true;
    return true;
}

bool CaptureSchedule::Finished(std::uint64_t generation) {
    if (generation != m_generation) return false;
    m_running = false;
    return m_active;
}

void CaptureSchedule::Stop() {
    ++m_generation;
    m_running = false;
    m_active = false;
}

std::uint64_t PictureFingerprint(const Bitmap& picture) {
    // FNV-1a over every pixel: a thumbnail is small, and a changed caret or line of text
    // must count as a change.
    std::uint64_t hash = 1469598103934665603ull ^ static_cast<std::uint64_t>(picture.Width()) << 32 ^
                         static_cast<std::uint64_t>(picture.Height());
    for (const Pixel p : picture.Pixels()) {
        hash ^= p;
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace kestrana::gfx
