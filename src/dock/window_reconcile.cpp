#include "dock/window_reconcile.h"

#include <algorithm>

namespace kestrana::dock {

bool IsTaskListCandidate(const WindowShape& shape) {
    return shape.visible && !shape.cloaked && !shape.toolWindow && (!shape.owned || shape.appWindow);
}

void DiffTopLevelWindows(std::span<const TopLevelWindow> before, std::span<const TopLevelWindow> now,
                         std::vector<WindowEvent>& out) {
    const auto report = [&out](WindowEventKind kind, WindowId window) {
        out.push_back({kind, window, WindowEventSource::Reconcile});
    };
    auto b = before.begin();
    auto n = now.begin();
    while (b != before.end() || n != now.end()) {
        if (n == now.end() || (b != before.end() && b->window < n->window)) {
            report(WindowEventKind::Destroyed, b->window);
            ++b;
        } else if (b == before.end() || n->window < b->window) {
            report(WindowEventKind::Appeared, n->window);
            // A window that first shows minimised is minimised for the tracker too.
            if (n->shape.minimised) report(WindowEventKind::Minimised, n->window);
            ++n;
        } else {
            if (b->shape.minimised != n->shape.minimised)
                report(n->shape.minimised ? WindowEventKind::Minimised : WindowEventKind::Restored, n->window);
            ++b;
            ++n;
        }
    }
}

std::size_t WindowReconciler::Pass(WindowEventSink& sink) {
    m_now = m_windows.Enumerate();
    std::erase_if(m_now, [](const TopLevelWindow& w) { return !IsTaskListCandidate(w.shape); });
    std::sort(m_now.begin(), m_now.end(), [](const TopLevelWindow& a, const TopLevelWindow& b) { return a.window < b.window; });
    // A list that names a window twice (it was re-created between two looks) keeps one.
    m_now.erase(std::unique(m_now.begin(), m_now.end(),
                            [](const TopLevelWindow& a, const TopLevelWindow& b) { return a.window == b.window; }),
                m_now.end());
    // The sink may start another pass; the events being delivered stay out of its way.
    std::vector<WindowEvent> events = std::move(m_events);
    events.clear();
    DiffTopLevelWindows(m_before, m_now, events);
    std::swap(m_before, m_now);
    for (const WindowEvent& event : events) sink.OnWindowEvent(event);
    const std::size_t reported = events.size();
    m_events = std::move(events);
    sink.OnPassEnded();
    return reported;
}

void WindowReconciler::Forget() { m_before.clear(); }

} // namespace kestrana::dock
