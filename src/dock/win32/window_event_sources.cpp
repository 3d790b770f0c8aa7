#include "dock/win32/window_event_sources.h"

#include "dock/win32/win32_window_facts.h"
#include "dock/window_event_codes.h"
#include "foundation/diagnostic_log.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/taskbar_window.h"

#include <string>

namespace kestrana::dock {
namespace {

// The hook callbacks and the timer procedure carry no context; the one running instance
// is found here. User-interface thread only.
WindowEventSources* g_running = nullptr;

bool IsTopLevel(HWND window) {
    return ::GetAncestor(window, GA_ROOT) == window && !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD);
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId, DWORD, DWORD) noexcept {
    if (!g_running || !window) return;
    const auto kind = WinEventKind(event, objectId == OBJID_WINDOW && childId == CHILDID_SELF);
    if (!kind) return;
    // A destroyed window can no longer be asked whether it was a top-level one; the
    // tracker drops the report when it did not know the window.
    if (event != EVENT_OBJECT_DESTROY && !IsTopLevel(window)) return;
    g_running->Deliver(*kind, window, WindowEventSource::WinEvent);
}

void CALLBACK OnReconcileTimer(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (g_running) g_running->Reconcile();
}

UniqueWinEventHook HookEvents(DWORD first, DWORD last, DWORD processId, const char* what) {
    UniqueWinEventHook hook(::SetWinEventHook(first, last, nullptr, OnWinEvent, processId, 0,
                                              WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
    if (!hook)
        foundation::LogFailure("window events", std::string("event hook refused: ") + what + ", error " +
                                                    std::to_string(::GetLastError()));
    return hook;
}

UINT Registered(std::wstring_view name) {
    const std::wstring text(name);
    return ::RegisterWindowMessageW(text.c_str());
}

} // namespace

bool WindowEventSources::Start(HWND window, WindowEventSink& sink) {
    if (g_running || !::IsWindow(window)) return false;
    try {
        g_running = this;
        m_sink = &sink;
        m_window = window;
        m_shellHookMessage = Registered(foundation::kMsgShellHook);
        m_taskbarCreatedMessage = Registered(foundation::kMsgTaskbarCreated);
        // The shell may run at a higher level than we do.
        for (UINT message : {m_shellHookMessage, m_taskbarCreatedMessage})
            if (message) ::ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
        m_shellHookRegistered = ::RegisterShellHookWindow(window) != FALSE;
        if (!m_shellHookRegistered) {
            // Known under Wine, where the call is a stub; the reconciliation covers it.
            const std::string what = "shell hook window refused, error " + std::to_string(::GetLastError());
            if (win32::RunningUnderWine()) foundation::LogDetail("window events", what);
            else foundation::LogFailure("window events", what);
        }
        m_systemHook = HookEvents(EVENT_SYSTEM_CAPTURESTART, EVENT_SYSTEM_MINIMIZEEND, 0, "system events");
        m_foregroundHook = HookEvents(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, 0, "foreground");
        m_nameHook = HookEvents(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, 0, "title changes");
        InstallTaskbarHook();
        m_reconciler.Forget();
        m_reconciler.Pass(sink);
        Quicken();
        return true;
    } catch (...) {
        foundation::LogCaught("window events start");
        Stop();
        return false;
    }
}

void WindowEventSources::Stop() noexcept {
    if (!m_sink) return;
    ::KillTimer(m_window, kReconcileTimer);
    m_cadence = 0;
    m_systemHook.Reset();
    m_foregroundHook.Reset();
    m_nameHook.Reset();
    m_taskbarHook.Reset();
    if (m_shellHookRegistered) ::DeregisterShellHookWindow(m_window);
    m_shellHookRegistered = false;
    m_sink = nullptr;
    m_window = nullptr;
    if (g_running == this) g_running = nullptr;
}

void WindowEventSources::InstallTaskbarHook() noexcept {
    m_taskbarHook.Reset();
    HWND taskbar = kestrana::win32::FindTaskbarWindow();
    DWORD pid = 0;
    if (!taskbar || !::GetWindowThreadProcessId(taskbar, &pid) || !pid) {
        foundation::LogDetail("window events", "no taskbar: no hook on its process");
        return;
    }
    m_taskbarHook = HookEvents(EVENT_OBJECT_CREATE, EVENT_OBJECT_HIDE, pid, "taskbar process objects");
}

bool WindowEventSources::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!m_sink || message == 0) return false;
    if (message == m_shellHookMessage) {
        OnShellHook(wParam, lParam);
        return true;
    }
    if (message == m_taskbarCreatedMessage) {
        OnTaskbarCreated();
        return true;
    }
    return false;
}

void WindowEventSources::OnShellHook(WPARAM code, LPARAM lParam) noexcept {
    if (!m_sink) return;
    HWND window = reinterpret_cast<HWND>(lParam);
    const auto kinds = ShellHookEventKinds(code);
    if (kinds.empty() || !window) return;
    if (code == kShellFlash) {
        wchar_t cls[128] = {};
        ::GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
        if (IgnoresAttention(cls)) return;
    }
    for (const WindowEventKind kind : kinds) Deliver(kind, window, WindowEventSource::ShellHook);
}

void WindowEventSources::OnTaskbarCreated() noexcept {
    if (m_sink) InstallTaskbarHook();
}

void WindowEventSources::Reconcile() noexcept {
    if (!m_sink) return;
    try {
        if (m_reconciler.Pass(*m_sink) > 0) Quicken();
        const ULONGLONG now = ::GetTickCount64();
        const UINT cadence = now < m_burstUntil ? kBurstReconcileMs : now < m_busyUntil ? kReconcileMs : kCalmReconcileMs;
        if (cadence != m_cadence) SetCadence(cadence);
    } catch (...) {
        foundation::LogCaught("window events reconcile");
    }
}

void WindowEventSources::Quicken(bool burst) noexcept {
    if (!m_sink) return;
    const ULONGLONG now = ::GetTickCount64();
    m_busyUntil = now + kBusySpanMs;
    if (burst) m_burstUntil = now + kBurstSpanMs;
    const UINT cadence = now < m_burstUntil ? kBurstReconcileMs : kReconcileMs;
    if (m_cadence != cadence) SetCadence(cadence);
}

void WindowEventSources::SetCadence(UINT milliseconds) noexcept {
    // The same timer id replaces the running timer.
    if (::SetTimer(m_window, kReconcileTimer, milliseconds, OnReconcileTimer)) m_cadence = milliseconds;
    else foundation::LogFailure("window events", "reconciliation timer refused, error " + std::to_string(::GetLastError()));
}

void WindowEventSources::Deliver(WindowEventKind kind, HWND window, WindowEventSource source) noexcept {
    if (!m_sink) return;
    try {
        // Titles change all the time (clocks, progress); only windows coming, going and
        // changing state make missed notices likely.
        if (kind != WindowEventKind::Changed) Quicken();
        m_sink->OnWindowEvent({kind, ToWindowId(window), source});
    } catch (...) {
        foundation::LogCaught("window events");
    }
}

} // namespace kestrana::dock
