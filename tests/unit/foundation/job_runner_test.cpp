#include "foundation/job_runner.h"

#include "fakes/memory_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

namespace kestrana::foundation {
namespace {

using namespace std::chrono_literals;

// A gate that blocked jobs wait on until the test opens it.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool WaitForWaiters(int count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, [&] { return m_waiting >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_waiting = 0;
    bool m_open = false;
};

TEST(JobRunner, RunsAtMostTwentyOneJobsAndDropsTheRest) {
    JobRunner runner;
    Gate gate;
    std::atomic<int> finished{0};
    for (int i = 0; i < JobRunner::kMaxJobs; ++i) {
        ASSERT_TRUE(runner.Run([&](const JobContext&) {
            gate.Wait();
            ++finished;
        }));
    }
    ASSERT_TRUE(gate.WaitForWaiters(JobRunner::kMaxJobs));
    EXPECT_EQ(runner.Running(), JobRunner::kMaxJobs);

    std::atomic<bool> droppedRan{false};
    EXPECT_FALSE(runner.Run([&](const JobContext&) { droppedRan = true; }));
    EXPECT_FALSE(runner.Run([&](const JobContext&) { droppedRan = true; }));
    EXPECT_EQ(runner.Dropped(), 2u);

    gate.Open();
    ASSERT_TRUE(runner.WaitIdle(10s));
    EXPECT_EQ(finished.load(), JobRunner::kMaxJobs);
    EXPECT_FALSE(droppedRan.load());
    EXPECT_EQ(runner.Running(), 0);

    // A freed slot takes new work again.
    std::atomic<bool> ran{false};
    EXPECT_TRUE(runner.Run([&](const JobContext&) { ran = true; }));
    ASSERT_TRUE(runner.WaitIdle(10s));
    EXPECT_TRUE(ran.load());
    EXPECT_EQ(runner.Dropped(), 2u);
}

TEST(JobRunner, JobsSeeTheQuittingFlagAndNewRequestsAreDropped) {
    std::atomic<bool> processQuit{false};
    JobRunner runner(&processQuit);
    Gate gate;
    std::atomic<int> sawQuit{-1};
    ASSERT_TRUE(runner.Run([&](const JobContext& context) {
        const bool before = context.Quitting();
        gate.Wait();
        sawQuit = (before ? 10 : 0) + (context.Quitting() ? 1 : 0);
    }));
    ASSERT_TRUE(gate.WaitForWaiters(1));
    processQuit = true;
    EXPECT_TRUE(runner.Quitting());
    EXPECT_FALSE(runner.Run([](const JobContext&) {}));
    gate.Open();
    ASSERT_TRUE(runner.WaitIdle(10s));
    EXPECT_EQ(sawQuit.load(), 1); // not quitting when it started, quitting when it looked again

    JobRunner stopped;
    stopped.Stop();
    EXPECT_TRUE(stopped.Quitting());
    EXPECT_FALSE(stopped.Run([](const JobContext&) {}));
    EXPECT_EQ(stopped.Dropped(), 1u);
}

TEST(JobRunner, AThrowingJobFreesItsSlotIsLoggedAndEmptyJobsAreRefused) {
    fakes::MemoryLog log;
    JobRunner runner;
    for (int i = 0; i < 2 * JobRunner::kMaxJobs; ++i) {
        runner.Run([](const JobContext&) { throw std::runtime_error("job failed"); });
        ASSERT_TRUE(runner.WaitIdle(10s));
    }
    EXPECT_EQ(runner.Running(), 0);
    EXPECT_EQ(runner.Dropped(), 0u);
    EXPECT_EQ(log.Count("job failed"), static_cast<std::size_t>(2 * JobRunner::kMaxJobs)); // each one said why
    EXPECT_FALSE(runner.Run(nullptr));
    EXPECT_EQ(runner.Dropped(), 1u);
}

TEST(JobRunner, JobsOutliveTheirRunnerAndAreToldToStop) {
    auto gate = std::make_shared<Gate>();
    auto result = std::make_shared<std::atomic<int>>(0);
    {
        JobRunner runner;
        ASSERT_TRUE(runner.Run([gate, result](const JobContext& context) {
            gate->Wait();
            *result = context.Quitting() ? 2 : 1;
        }));
        ASSERT_TRUE(gate->WaitForWaiters(1));
    }
    gate->Open();
    for (int i = 0; i < 1000 && result->load() == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(result->load(), 2);
}

TEST(JobRunner, AGroupSharesTheOuterLimitAndStopsAlone) {
    JobRunner outer;
    auto group = std::make_unique<JobRunner>(outer);
    Gate gate;
    std::atomic<int> quitSeen{0};
    const auto job = [&](const JobContext& context) {
        gate.Wait();
        if (context.Quitting()) ++quitSeen;
    };
    for (int i = 0; i < JobRunner::kMaxJobs - 1; ++i) ASSERT_TRUE(group->Run(job));
    ASSERT_TRUE(outer.Run(job));
    ASSERT_TRUE(gate.WaitForWaiters(JobRunner::kMaxJobs));
    EXPECT_EQ(outer.Running(), JobRunner::kMaxJobs);
    EXPECT_EQ(group->Running(), JobRunner::kMaxJobs - 1);
    // The outer limit holds for the group, and a refusal is counted in both.
    EXPECT_FALSE(group->Run(job));
    EXPECT_EQ(group->Dropped(), 1u);
    EXPECT_EQ(outer.Dropped(), 1u);

    group->Stop();
    EXPECT_TRUE(group->Quitting());
    EXPECT_FALSE(outer.Quitting());
    EXPECT_FALSE(group->WaitIdle(20ms));
    gate.Open();
    EXPECT_TRUE(group->WaitIdle(10s));
    ASSERT_TRUE(outer.WaitIdle(10s));
    EXPECT_EQ(quitSeen.load(), JobRunner::kMaxJobs - 1); // the outer runner's own job was not told to stop

    // The outer runner's stop reaches a group, also one made before it.
    auto later = std::make_unique<JobRunner>(outer);
    outer.Stop();
    EXPECT_TRUE(later->Quitting());
    EXPECT_FALSE(later->Run([](const JobContext&) {}));
    group.reset(); // a group may go before or after its outer runner
}

// Waits until exactly `count` workers are alive and all of them wait for work, for at
// most ten seconds; false when more than `count` were ever seen waiting.
bool SettlesAtWaitingWorkers(int count) {
    for (int i = 0; i < 1000; ++i) {
        const int waiting = JobRunner::WaitingWorkers();
        if (waiting > count) return false;
        if (waiting == count && JobRunner::LiveWorkers() == count) return true;
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

TEST(JobRunner, FinishedWorkersTakeTheNextJobsAndOnlyTheKeptNumberWait) {
    JobRunner runner;
    {
        Gate gate;
        for (int i = 0; i < JobRunner::kKeptWorkers + 3; ++i) ASSERT_TRUE(runner.Run([&](const JobContext&) { gate.Wait(); }));
        ASSERT_TRUE(gate.WaitForWaiters(JobRunner::kKeptWorkers + 3));
        gate.Open();
        ASSERT_TRUE(runner.WaitIdle(10s));
    }
    ASSERT_TRUE(SettlesAtWaitingWorkers(JobRunner::kKeptWorkers));

    // One job after another, and as many at once as wait: no new thread. Jobs one after
    // another all go to the same worker, so that the others may end.
    const auto started = JobRunner::StartedWorkers();
    std::set<std::thread::id> serialWorkers;
    std::mutex serialMutex;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(runner.Run([&](const JobContext&) {
            std::lock_guard lock(serialMutex);
            serialWorkers.insert(std::this_thread::get_id());
        }));
        ASSERT_TRUE(runner.WaitIdle(10s));
        ASSERT_TRUE(SettlesAtWaitingWorkers(JobRunner::kKeptWorkers));
    }
    EXPECT_EQ(serialWorkers.size(), 1u);
    {
        Gate gate;
        for (int i = 0; i < JobRunner::kKeptWorkers; ++i) ASSERT_TRUE(runner.Run([&](const JobContext&) { gate.Wait(); }));
        ASSERT_TRUE(gate.WaitForWaiters(JobRunner::kKeptWorkers));
        EXPECT_EQ(JobRunner::StartedWorkers(), started);
        EXPECT_EQ(JobRunner::WaitingWorkers(), 0);
        // With every kept worker busy, the next job gets a thread of its own.
        ASSERT_TRUE(runner.Run([&](const JobContext&) { gate.Wait(); }));
        ASSERT_TRUE(gate.WaitForWaiters(JobRunner::kKeptWorkers + 1));
        EXPECT_EQ(JobRunner::StartedWorkers(), started + 1);
        gate.Open();
        ASSERT_TRUE(runner.WaitIdle(10s));
    }
    EXPECT_TRUE(SettlesAtWaitingWorkers(JobRunner::kKeptWorkers));
}

} // namespace
} // namespace kestrana::foundation
