#pragma once
// The program's background-job runner: short jobs (item-list saves, hide and
// magnification animations, trash polling, the clock, the Launchpad's and stacks' icons)
// each on a detached worker thread, so the user-interface thread never waits for them.
// A worker whose job ended waits a while for the next job of any runner (at most
// kKeptWorkers wait) before it ends. At most kMaxJobs run at once; a request made while
// that many run is dropped, not queued, because a queued animation or poll would only be
// stale by the time it ran.
//
// A runner can be a group inside another: its jobs count against the outer runner's
// limit, and stopping the group (or the outer runner) tells only them to stop. Each dock
// runs its jobs in a group of its own, which it stops and waits for when it goes away.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace kestrana::foundation {

// What a running job may ask of its runner.
class JobContext {
public:
    // True once the program is shutting down, or the job's runner (or a runner it is a
    // group of) was told to stop: a job tests it between steps and returns early.
    [[nodiscard]] bool Quitting() const noexcept;

private:
    friend class JobRunner;
    struct Shared;
    explicit JobContext(std::shared_ptr<const Shared> shared) : m_shared(std::move(shared)) {}
    std::shared_ptr<const Shared> m_shared;
};

class JobRunner {
public:
    static constexpr int kMaxJobs = 21;
    using Job = std::function<void(const JobContext&)>;

    // `processQuit` is the program's global quitting flag (it must outlive every job);
    // without one only Stop() makes jobs see Quitting().
    explicit JobRunner(const std::atomic<bool>* processQuit = nullptr);
    // A group of `outer`: shares its limit and its quitting; `outer` may go first.
    explicit JobRunner(JobRunner& outer);
    // Tells running jobs to stop; they finish on their own threads, which keep what they
    // share with the runner alive. Waiting for them is the owner's choice (WaitIdle).
    ~JobRunner();
    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Starts the job on a new detached thread. False when it was dropped: kMaxJobs are
    // running (in this group or in the runners it belongs to), the runner is stopping,
    // or no thread could be started.
    bool Run(Job job);

    // Makes every job's Quitting() true; later requests are dropped.
    void Stop() noexcept;
    [[nodiscard]] bool Quitting() const noexcept;

    // Jobs of this runner, its groups' included.
    [[nodiscard]] int Running() const noexcept;
    [[nodiscard]] std::uint64_t Dropped() const noexcept;

    // The workers of all runners: those waiting for a job, those alive (running a job or
    // waiting), and how many were ever started.
    static constexpr int kKeptWorkers = 2;
    [[nodiscard]] static int WaitingWorkers();
    [[nodiscard]] static int LiveWorkers() noexcept;
    [[nodiscard]] static std::uint64_t StartedWorkers() noexcept;

    // Waits until none of its jobs runs, at most `timeout`; true when none runs. The
    // user-interface thread waits only with a short bound: a job may be blocked on that
    // very thread (a message sent to one of its windows) and can only go on after it.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

private:
    std::shared_ptr<JobContext::Shared> m_shared;
};

} // namespace kestrana::foundation
