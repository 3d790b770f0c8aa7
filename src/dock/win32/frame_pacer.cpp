#include "dock/win32/frame_pacer.h"

#include <mmsystem.h>

#include <chrono>

namespace kestrana::dock::win32 {

std::int64_t SteadyNowMs() noexcept {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FramePacer::FramePacer(foundation::JobRunner& jobs, HWND target, UINT message) : m_jobs(jobs), m_shared(std::make_shared<Shared>()) {
    m_shared->target = target;
    m_shared->message = message;
}

FramePacer::~FramePacer() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->stop = true;
    m_shared->wake.notify_all();
}

void FramePacer::Request(std::int64_t dueMs) {
    bool start = false;
    {
        std::lock_guard lock(m_shared->mutex);
        if (!m_shared->due || dueMs < *m_shared->due) m_shared->due = dueMs;
        if (!m_shared->running) {
            m_shared->running = true;
            start = true;
        }
        m_shared->wake.notify_all();
    }
    if (!start) return;
    auto shared = m_shared;
    if (!m_jobs.Run([shared](const foundation::JobContext& context) { Loop(shared, context); })) {
        // No worker to spare: draw the frame at once rather than not at all.
        std::lock_guard lock(m_shared->mutex);
        m_shared->running = false;
        m_shared->due.reset();
        ::PostMessageW(m_shared->target, m_shared->message, 0, 0);
    }
}

void FramePacer::Handled() {
    std::lock_guard lock(m_shared->mutex);
    m_shared->inFlight = false;
    m_shared->wake.notify_all();
}

void FramePacer::Loop(const std::shared_ptr<Shared>& shared, const foundation::JobContext& context) {
    // Frames need millisecond sleeps; the finer system timer is held only while animating.
    ::timeBeginPeriod(1);
    std::unique_lock lock(shared->mutex);
    while (!shared->stop && !context.Quitting()) {
        if (shared->inFlight) {
            // The last frame has not been drawn yet; give the thread a moment.
            if (!shared->wake.wait_for(lock, std::chrono::milliseconds(100), [&] { return !shared->inFlight || shared->stop; }))
                shared->inFlight = false;
            continue;
        }
        if (!shared->due) {
            // Nothing wanted: linger briefly for a follow-up request, then end.
            if (!shared->wake.wait_for(lock, std::chrono::milliseconds(250), [&] { return shared->due || shared->stop; }))
                break;
            continue;
        }
        const std::int64_t due = *shared->due;
        const std::int64_t now = SteadyNowMs();
        if (due > now) {
            shared->wake.wait_for(lock, std::chrono::milliseconds(due - now));
            continue; // re-check: an earlier frame may have been asked for
        }
        shared->due.reset();
        shared->inFlight = true;
        const HWND target = shared->target;
        const UINT message = shared->message;
        lock.unlock();
        if (!::PostMessageW(target, message, 0, 0)) {
            lock.lock();
            shared->inFlight = false;
            break; // the window is gone
        }
        lock.lock();
    }
    shared->running = false;
    lock.unlock();
    ::timeEndPeriod(1);
}

} // namespace kestrana::dock::win32
