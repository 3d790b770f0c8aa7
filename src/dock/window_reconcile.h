#pragma once
// The periodic look at every top-level window. It keeps the dock right when the system's
// notifications come late, get lost, or are never sent at all (some hosts send almost
// none): each pass is compared with the one before, and only the differences are
// reported.

#include "dock/window_events.h"

#include <span>
#include <vector>

namespace kestrana::dock {

// A window the task list would show: visible, not hidden by the window manager, not a
// tool window, and unowned unless it asks to be listed.
[[nodiscard]] bool IsTaskListCandidate(const WindowShape& shape);

// The events that turn `before` into `now`: candidates that are new appeared, those that
// are missing went (destroyed or hidden), and those whose minimised state changed were
// minimised or restored. Both lists hold candidates only, sorted by window id. The
// events are appended to `out`, with source Reconcile.
void DiffTopLevelWindows(std::span<const TopLevelWindow> before, std::span<const TopLevelWindow> now,
                         std::vector<WindowEvent>& out);

class WindowReconciler {
public:
    explicit WindowReconciler(const TopLevelWindowList& windows) : m_windows(windows) {}

    // Looks at every top-level window and reports what changed since the last pass; the
    // first pass (and the first after Forget) reports every candidate as appeared.
    // Returns how many events were reported.
    std::size_t Pass(WindowEventSink& sink);
    void Forget();

private:
    const TopLevelWindowList& m_windows;
    std::vector<TopLevelWindow> m_before;
    std::vector<TopLevelWindow> m_now;
    std::vector<WindowEvent> m_events;
};

} // namespace kestrana::dock
