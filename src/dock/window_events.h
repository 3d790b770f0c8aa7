#pragma once
// What the event sources tell the window tracker. Several sources may report the same
// window (the system's event hooks, the shell hook window, the companion's hook module
// and the periodic reconciliation); the tracker treats a report as a hint and looks at
// the window itself, so duplicates and reports in the wrong order do no harm.

#include "dock/dockico.h"

#include <cstdint>
#include <vector>

namespace kestrana::dock {

enum class WindowEventKind : std::uint8_t {
    Appeared,   // created or shown
    Changed,    // title or state changed; look again
    Activated,  // became the foreground window
    Minimised,
    Restored,
    Destroyed,  // destroyed or hidden
    Attention,  // asks for the user's attention (the shell's flash code)
    FullScreen, // a full-screen window became active
};

enum class WindowEventSource : std::uint8_t { WinEvent, ShellHook, Companion, Reconcile };

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::Changed;
    WindowId window = WindowId::None;
    WindowEventSource source = WindowEventSource::Reconcile;
};

// Receives reports on the user-interface thread; only queues work, never waits.
class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    virtual void OnWindowEvent(const WindowEvent& event) = 0;
    // After every reconciliation pass, whether it reported anything or not: work that found
    // no room to run earlier gets its next chance here instead of waiting for a new report.
    virtual void OnPassEnded() {}
};

// How a top-level window looks to the task list: which windows are candidates for the
// dock at all, before identification.
struct WindowShape {
    bool visible = false;
    bool owned = false;      // has an owner window
    bool toolWindow = false; // extended style: tool window
    bool appWindow = false;  // extended style: forced onto the task list
    bool cloaked = false;    // hidden by the window manager
    bool minimised = false;
};

struct TopLevelWindow {
    WindowId window = WindowId::None;
    WindowShape shape;
};

// The top-level windows that exist now, in z-order; for the reconciliation pass.
class TopLevelWindowList {
public:
    virtual ~TopLevelWindowList() = default;
    [[nodiscard]] virtual std::vector<TopLevelWindow> Enumerate() const = 0;
    // The shape of one window; `visible` false when it no longer exists.
    [[nodiscard]] virtual WindowShape Shape(WindowId window) const = 0;
};

} // namespace kestrana::dock
