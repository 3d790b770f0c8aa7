#pragma once
// The system's window notifications, turned into window events for the tracker:
//  - event hooks for the system events 8 to 23 (moving, minimising and the rest of that
//    range), the foreground change and title changes, all windows, out of context;
//  - an event hook for objects created, destroyed, shown and hidden in the shell's
//    taskbar process (its own windows, such as File Explorer's), installed again when the
//    shell starts again ("TaskbarCreated");
//  - the shell-hook messages of a window of ours;
//  - a reconciliation pass every 250 ms over all top-level windows, which reports what
//    the others missed (some hosts deliver hardly any of them).
// Each handler only translates and hands the event to the sink. Everything here lives on
// the user-interface thread: created, started, fed messages, stopped and destroyed there.
// One instance runs at a time (the hook callbacks carry no context of their own).

#include "dock/window_events.h"
#include "dock/window_reconcile.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>

namespace kestrana::dock {

struct WinEventHookTraits {
    using Handle = HWINEVENTHOOK;
    static Handle Invalid() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { ::UnhookWinEvent(h); }
};
using UniqueWinEventHook = ::kestrana::win32::UniqueHandle<WinEventHookTraits>;

class WindowEventSources {
public:
    // Quick looks while windows are coming and going, slow ones when all is calm, so an
    // idle desktop costs next to nothing.
    static constexpr UINT kReconcileMs = 250;
    static constexpr UINT kCalmReconcileMs = 1000;
    static constexpr ULONGLONG kBusySpanMs = 4000;
    // Right after a program reports a new window, which is still hidden then and shows a
    // few tens of milliseconds later: looks this close keep the dock's answer well under
    // the quick cadence, for a span short enough to cost nothing noticeable.
    static constexpr UINT kBurstReconcileMs = 30;
    static constexpr ULONGLONG kBurstSpanMs = 600;
    static constexpr UINT_PTR kReconcileTimer = 0x4B57;

    // `windows` is read by every reconciliation pass and must outlive this object.
    explicit WindowEventSources(const TopLevelWindowList& windows) : m_reconciler(windows) {}
    ~WindowEventSources() { Stop(); }
    WindowEventSources(const WindowEventSources&) = delete;
    WindowEventSources& operator=(const WindowEventSources&) = delete;

    // `window`: a hidden top-level window of this thread whose procedure passes its
    // messages to HandleMessage (a message-only window would miss the shell's broadcast
    // "TaskbarCreated"). Registers it for shell-hook messages, installs the hooks, reports
    // every window the task list would show as appeared, and starts the reconciliation
    // timer (its WM_TIMER goes to a procedure of its own, not to the window's). False when
    // another instance runs or `window` is no window; the hooks that the system refuses
    // are logged and left out.
    bool Start(HWND window, WindowEventSink& sink);
    // Removes the hooks, the timer and the shell-hook registration. Safe to call twice.
    void Stop() noexcept;
    [[nodiscard]] bool Running() const noexcept { return m_sink != nullptr; }

    // For the window's procedure: true when `message` was the shell-hook or
    // "TaskbarCreated" message, which are then handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    // The same two, for a procedure that picks them out itself (the main window).
    void OnShellHook(WPARAM code, LPARAM window) noexcept;
    void OnTaskbarCreated() noexcept;
    // One reconciliation pass now (the timer calls it too).
    void Reconcile() noexcept;

    // Called by the hook callbacks.
    void Deliver(WindowEventKind kind, HWND window, WindowEventSource source) noexcept;
    // Windows are coming and going (a notice from any source): look quickly for a while;
    // `burst` for a window just created, which the looks must catch as soon as it shows.
    void Quicken(bool burst = false) noexcept;

private:
    void InstallTaskbarHook() noexcept;
    void SetCadence(UINT milliseconds) noexcept;

    WindowReconciler m_reconciler;
    WindowEventSink* m_sink = nullptr;
    HWND m_window = nullptr;
    UINT m_shellHookMessage = 0;
    UINT m_taskbarCreatedMessage = 0;
    bool m_shellHookRegistered = false;
    UINT m_cadence = 0;
    ULONGLONG m_busyUntil = 0;
    ULONGLONG m_burstUntil = 0;
    UniqueWinEventHook m_systemHook;
    UniqueWinEventHook m_foregroundHook;
    UniqueWinEventHook m_nameHook;
    UniqueWinEventHook m_taskbarHook;
};

} // namespace kestrana::dock
