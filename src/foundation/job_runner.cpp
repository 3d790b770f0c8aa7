#include "foundation/job_runner.h"

#include "foundation/diagnostic_log.h"

#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <process.h>
#endif

namespace kestrana::foundation {
namespace {

// A worker nobody waits for. On Windows it is a plain C runtime thread: the POSIX thread
// layer of the toolchain recycles its records of detached threads, and under load a new
// thread was seen starting without its argument.
bool StartDetached(std::function<void()> body) {
#ifdef _WIN32
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    const auto entry = [](void* argument) {
        std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
        (*work)();
    };
    // _beginthread closes the thread's handle itself when the thread ends.
    if (_beginthread(entry, 0, owned.get()) == static_cast<std::uintptr_t>(-1)) return false;
    owned.release();
    return true;
#else
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
#endif
}

} // namespace

struct JobContext::Shared {
    std::shared_ptr<Shared> outer; // the runner this one is a group of, if any
    const std::atomic<bool>* processQuit = nullptr;
    std::atomic<bool> stopped{false};
    mutable std::mutex mutex;
    mutable std::condition_variable idle;
    int running = 0; // guarded by mutex
    std::atomic<std::uint64_t> dropped{0};

    bool Quitting() const noexcept {
        return stopped.load(std::memory_order_acquire) ||
               (processQuit && processQuit->load(std::memory_order_acquire)) || (outer && outer->Quitting());
    }

    // Takes a place for one job here and in every outer runner, or none at all. Locks go
    // from the group outwards, always in that order.
    bool Reserve() {
        std::lock_guard lock(mutex);
        if (Quitting() || running >= JobRunner::kMaxJobs) return false;
        if (outer && !outer->Reserve()) return false;
        ++running;
        return true;
    }

    void Release() {
        {
            std::lock_guard lock(mutex);
            --running;
            idle.notify_all();
        }
        if (outer) outer->Release();
    }

    void CountDrop() {
        for (Shared* s = this; s; s = s->outer.get()) s->dropped.fetch_add(1, std::memory_order_relaxed);
    }
};

bool JobContext::Quitting() const noexcept { return m_shared->Quitting(); }

JobRunner::JobRunner(const std::atomic<bool>* processQuit) : m_shared(std::make_shared<JobContext::Shared>()) {
    m_shared->processQuit = processQuit;
}

JobRunner::JobRunner(JobRunner& outer) : m_shared(std::make_shared<JobContext::Shared>()) {
    m_shared->outer = outer.m_shared;
}

JobRunner::~JobRunner() { Stop(); }

bool JobRunner::Run(Job job) {
    const auto shared = m_shared;
    if (!job || !shared->Reserve()) {
        shared->CountDrop();
        return false;
    }
    bool started = false;
    try {
        started = StartDetached([shared, job = std::move(job)]() mutable noexcept {
            try {
                job(JobContext(shared));
            } catch (...) {
                // A job that throws ends like one that returns; the worker must not take
                // the process down with it, and the log says so.
                foundation::LogCaught("background job");
            }
            job = nullptr; // release what the job holds before the runner sees it idle
            shared->Release();
        });
    } catch (const std::bad_alloc&) {
        started = false;
    }
    if (!started) {
        shared->Release();
        shared->CountDrop();
        return false;
    }
    return true;
}

void JobRunner::Stop() noexcept { m_shared->stopped.store(true, std::memory_order_release); }

bool JobRunner::Quitting() const noexcept { return m_shared->Quitting(); }

int JobRunner::Running() const noexcept {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->running;
}

std::uint64_t JobRunner::Dropped() const noexcept { return m_shared->dropped.load(std::memory_order_relaxed); }

bool JobRunner::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->idle.wait_for(lock, timeout, [&] { return m_shared->running == 0; });
}

} // namespace kestrana::foundation
