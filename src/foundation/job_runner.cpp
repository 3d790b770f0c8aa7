#include "foundation/job_runner.h"

#include "foundation/diagnostic_log.h"

#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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

// Workers are kept a while after their job, for the next one: starting a thread is not
// free (every loaded library is told of each thread that starts and ends, and under Wine
// both are round trips to its server), and some jobs come often (the clock, the hide
// decision, the preview's pictures). The worker that waited least takes the next job, so
// a steady stream of jobs keeps one worker busy and lets the others end: a thread holds
// memory of its own (its stack; under Wine a few megabytes once it has drawn).
class Workers {
public:
    static constexpr int kKeptIdle = JobRunner::kKeptWorkers;
    static constexpr std::chrono::seconds kLinger{2};

    // Hands the body to a waiting worker, or starts a new one.
    bool Start(std::function<void()> body) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_waiting.empty()) {
                Waiter* const last = m_waiting.back();
                m_waiting.pop_back();
                last->body = std::move(body);
                last->wake.notify_one();
                return true;
            }
        }
        m_live.fetch_add(1, std::memory_order_relaxed);
        if (!StartDetached([this, body = std::move(body)]() mutable {
                body();
                body = nullptr;
                Linger();
                m_live.fetch_sub(1, std::memory_order_relaxed);
            })) {
            m_live.fetch_sub(1, std::memory_order_relaxed);
            return false;
        }
        m_started.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    int Waiting() {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_waiting.size());
    }
    std::uint64_t Started() const noexcept { return m_started.load(std::memory_order_relaxed); }
    int Live() const noexcept { return m_live.load(std::memory_order_relaxed); }

private:
    struct Waiter {
        std::condition_variable wake;
        std::function<void()> body; // set by Start, which also takes the waiter off the list
    };

    void Linger() {
        Waiter self;
        std::unique_lock lock(m_mutex);
        while (m_waiting.size() < static_cast<std::size_t>(kKeptIdle)) {
            m_waiting.push_back(&self);
            if (!self.wake.wait_for(lock, kLinger, [&] { return static_cast<bool>(self.body); })) {
                // Nobody handed it a job: it is still on the list, and leaves it.
                std::erase(m_waiting, &self);
                return;
            }
            auto body = std::move(self.body);
            self.body = nullptr;
            lock.unlock();
            body();
            body = nullptr; // what the job held goes before the worker waits again
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::vector<Waiter*> m_waiting; // guarded by m_mutex; the one that waited least last
    std::atomic<std::uint64_t> m_started{0};
    std::atomic<int> m_live{0}; // workers started and not yet past their last job
};

Workers& SharedWorkers() {
    // Never destroyed: waiting workers still use it while the process ends.
    static Workers* const workers = new Workers;
    return *workers;
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
        started = SharedWorkers().Start([shared, job = std::move(job)]() mutable noexcept {
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

int JobRunner::WaitingWorkers() { return SharedWorkers().Waiting(); }

std::uint64_t JobRunner::StartedWorkers() noexcept { return SharedWorkers().Started(); }

int JobRunner::LiveWorkers() noexcept { return SharedWorkers().Live(); }

std::uint64_t JobRunner::Dropped() const noexcept { return m_shared->dropped.load(std::memory_order_relaxed); }

bool JobRunner::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->idle.wait_for(lock, timeout, [&] { return m_shared->running == 0; });
}

} // namespace kestrana::foundation
