#pragma once
// Keeps every dock's row in step with the programs that run. The event sources report
// windows on the user-interface thread; the tracker only queues them there. A few jobs
// of its own drain the queue: each looks at one window at a time (so two reports of one
// window never race), works out its application, decides whether it shows as a running
// program, and then, under each row's locks, lights up the item it belongs to or puts a
// running-only item in the row. Windows that close leave their items; a running-only
// item whose last window closed shrinks away. Minimised windows may get an item of their
// own, and a window that asks for attention marks its item until it is activated.
//
// Rows are reached through their links only, so a dock may be taken down at any time;
// every row shows every window, as every row shows the pinned items. After a change the
// row's callback is called on the job's thread: it should post a redraw to the dock.

#include "dock/app_identity.h"
#include "dock/item_pictures.h"
#include "foundation/job_runner.h"
#include "dock/window_events.h"
#include "dock/window_facts_port.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// Pictures the tracker needs besides the item list's: called on its jobs, without locks.
class TrackerPictures {
public:
    virtual ~TrackerPictures() = default;
    // The picture of a running program that is not pinned; nothing when none is found.
    [[nodiscard]] virtual std::shared_ptr<const gfx::Bitmap> ProgramPicture(const PictureFacts& item) = 0;
    // A small picture of the window's content; nothing when it cannot be taken.
    [[nodiscard]] virtual std::shared_ptr<const gfx::Bitmap> WindowSnapshot(WindowId window) = 0;
};

struct TrackerPorts {
    const WindowFactsPort& facts;
    const WebAppDirectory& webApps;
    Pause& pause;
    const TopLevelWindowList& windows;
    const foundation::ConfigStore& settings; // "blacklist", "unsave", "runicolim", "minimize"
    TrackerPictures& pictures;
};

struct TrackerOptions {
    std::wstring ownImagePath;           // this program's image, lower case: never shown
    std::function<std::int64_t()> nowMs; // a steady clock, for the attention's quiet time
    int jobs = 2;                        // windows looked at in parallel
};

// A window asking for attention again this soon is not reported again.
inline constexpr std::int64_t kAttentionQuietMs = 4000;

class WindowTracker final : public WindowEventSink {
public:
    using RowChanged = std::function<void()>;
    using RowHandle = std::uint64_t;

    // `jobs` is the shared runner; the tracker runs a group of its own in it.
    WindowTracker(TrackerPorts ports, foundation::JobRunner& jobs, TrackerOptions options);
    // Stops its jobs and waits for them a little (a window being identified may take a while).
    ~WindowTracker() override;
    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;

    // User-interface thread: queues the window and makes sure a job drains the queue.
    void OnWindowEvent(const WindowEvent& event) override;
    // User-interface thread: starts a job for reports left queued when the runner was full,
    // and now and then lets go of windows that went without a report of their going.
    void OnPassEnded() override;
    // User-interface thread: which programs show as running changed ("blacklist"); every
    // window, shown or not, is looked at again now rather than at its next event.
    void LookAgain();

    // User-interface thread. A loaded row takes part from now on; the windows already
    // known are put into it at once (without growing in). `iconSize` is the dock's.
    RowHandle AttachRow(DockItems& row, RowChanged changed, float iconSize);
    void DetachRow(RowHandle row);
    // After the dock fitted its row again (windows are not shown on a dock of 10 px icons).
    void SetIconSize(RowHandle row, float iconSize);

    // The windows shown as running programs now.
    [[nodiscard]] std::vector<WindowId> TrackedWindows() const;
    // How many windows the tracker keeps something of (shown or not); no more than exist.
    [[nodiscard]] std::size_t RememberedWindows() const;
    // How many pictures of programs that are not pinned it keeps for their next windows.
    [[nodiscard]] std::size_t KeptPictures() const;
    // Until the queue is empty and no job runs, at most `timeout`; true when idle.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

    struct Shared;

private:
    void StartJobs();
    // Windows remembered that no longer exist or show are reported gone.
    void ForgetVanished();

    std::shared_ptr<Shared> m_shared;
    foundation::JobRunner m_jobs;
};

} // namespace kestrana::dock
