#pragma once
// The docks of the process, as the bars-list lock guards them. Each dock runs its jobs
// (frame pacing, the hide decision, animations) in a job group of its own.
//
// Taking a dock down stops its group, takes the dock off the list under the bars-list
// lock, destroys it, and only then waits for the group's jobs, with a bound: destroying
// first wakes the jobs that wait on the dock (the frame pacer) and cuts the row's link,
// and the user-interface thread must never hang on a job that is itself blocked on that
// thread (a message sent to one of its windows). A job that outlives the bound holds
// nothing of the dock except what it shares with it: a row link, a pacer's state, a
// window handle that no longer answers.

#include "dock/dockico.h"
#include "foundation/job_runner.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrana::dock {

template <typename Dock>
class DockList {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{250};

    explicit DockList(foundation::JobRunner& pool, std::chrono::milliseconds waitBound = kDefaultWait)
        : m_pool(pool), m_waitBound(waitBound) {}
    ~DockList() { Clear(); }
    DockList(const DockList&) = delete;
    DockList& operator=(const DockList&) = delete;

    // The job group for a dock about to be built; hand it to Add with the dock.
    [[nodiscard]] std::unique_ptr<foundation::JobRunner> NewJobs() { return std::make_unique<foundation::JobRunner>(m_pool); }

    // The rest is for the user-interface thread, which alone changes the list.
    void Add(std::unique_ptr<foundation::JobRunner> jobs, std::unique_ptr<Dock> dock) {
        Entry entry{std::move(jobs), std::move(dock)};
        std::lock_guard bars(BarsListMutex());
        m_entries.push_back(std::move(entry));
    }
    [[nodiscard]] std::size_t Size() const { return m_entries.size(); }
    [[nodiscard]] bool Empty() const { return m_entries.empty(); }
    [[nodiscard]] Dock& operator[](std::size_t index) { return *m_entries[index].dock; }
    template <typename Fn>
    void ForEach(Fn&& fn) {
        for (auto& entry : m_entries) fn(*entry.dock);
    }

    // Takes every dock down. False when some job still ran after the bound (logged).
    bool Clear() {
        if (m_entries.empty()) return true;
        for (auto& entry : m_entries) entry.jobs->Stop();
        std::vector<Entry> gone;
        {
            std::lock_guard bars(BarsListMutex());
            gone.swap(m_entries);
        }
        for (auto& entry : gone) entry.dock.reset();
        const auto deadline = std::chrono::steady_clock::now() + m_waitBound;
        int stragglers = 0;
        for (auto& entry : gone) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (!entry.jobs->WaitIdle(std::max(left, std::chrono::milliseconds(0)))) stragglers += entry.jobs->Running();
        }
        if (stragglers > 0)
            foundation::LogFailure("docks", std::to_wstring(stragglers) + L" job(s) of a closed dock still ran after " +
                                                std::to_wstring(m_waitBound.count()) + L" ms; they end on their own");
        return stragglers == 0;
    }

    // From any thread, also while the program is crashing: calls fn(dock) for each dock,
    // but only if the bars-list lock comes free within `patience` (the thread holding it
    // may be the one that crashed). False when it did not.
    template <typename Fn>
    bool TryForEach(std::chrono::milliseconds patience, Fn&& fn) {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        std::unique_lock bars(BarsListMutex(), std::try_to_lock);
        while (!bars.owns_lock()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            bars.try_lock();
        }
        for (auto& entry : m_entries) fn(*entry.dock);
        return true;
    }

private:
    struct Entry {
        std::unique_ptr<foundation::JobRunner> jobs; // outlives the dock: its jobs are waited for after it
        std::unique_ptr<Dock> dock;
    };

    foundation::JobRunner& m_pool;
    std::chrono::milliseconds m_waitBound;
    std::vector<Entry> m_entries;
};

} // namespace kestrana::dock
