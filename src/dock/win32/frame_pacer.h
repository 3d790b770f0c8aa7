#pragma once
// Paces a bar's frames from a worker: it sleeps until the frame is due and posts a
// message to the bar's window, whose procedure draws the frame on the user-interface
// thread. One frame is in flight at a time, so a busy thread is never flooded.

#include "foundation/job_runner.h"

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace kestrana::dock::win32 {

// Milliseconds on the clock the bars and the pacer share.
[[nodiscard]] std::int64_t SteadyNowMs() noexcept;

class FramePacer {
public:
    FramePacer(foundation::JobRunner& jobs, HWND target, UINT message);
    ~FramePacer();
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // A frame is wanted at `dueMs` (earlier requests win). User-interface thread.
    void Request(std::int64_t dueMs);
    // The posted frame was drawn; the next may be posted. User-interface thread.
    void Handled();

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
        std::optional<std::int64_t> due;
        bool running = false;
        bool inFlight = false;
        bool stop = false;
        HWND target = nullptr;
        UINT message = 0;
    };
    static void Loop(const std::shared_ptr<Shared>& shared, const foundation::JobContext& context);

    foundation::JobRunner& m_jobs;
    std::shared_ptr<Shared> m_shared;
};

} // namespace kestrana::dock::win32
