#pragma once
// The system's list of recently used files (the shortcuts in the user's Recent folder),
// with the program the system opens each one with. Reading it resolves dozens of
// shortcuts, so a job reads it when the pointer comes onto the dock and after a menu
// closes; a menu shows what the last reading found.

#include "foundation/job_runner.h"
#include "foundation/recent_files.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace kestrana::platform {

// Reads the newest entries (needs COM on the calling thread). Empty when the folder is
// missing or empty.
[[nodiscard]] std::vector<foundation::RecentEntry> ReadRecentEntries() noexcept;

class RecentDocuments {
public:
    explicit RecentDocuments(foundation::JobRunner& jobs) : m_jobs(jobs) {}
    // Reads the list again on a job, unless a reading runs or ended moments ago.
    void Refresh();
    [[nodiscard]] std::vector<foundation::RecentEntry> Entries() const;

private:
    struct Shared {
        mutable std::mutex mutex;
        std::vector<foundation::RecentEntry> entries;
        std::atomic<bool> reading{false};
        std::atomic<std::int64_t> readAtMs{-1'000'000};
    };
    foundation::JobRunner& m_jobs;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

} // namespace kestrana::platform
