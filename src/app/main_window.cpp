#include "app/main_window.h"

#include "dock/window_event_codes.h"
#include "dock/win32/win32_window_facts.h"
#include "extras/win32/hot_corner_host.h"
#include "foundation/diagnostic_log.h"
#include "foundation/foreign_requests.h"
#include "foundation/hook_protocol.h"
#include "foundation/instance_request.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/foreign_sender.h"
#include "foundation/win32/shell_window.h"
#include "gfx/win32/popup_menu.h"

#include <atomic>
#include <optional>
#include <thread>

namespace kestrana::app {
namespace {

using foundation::Process;
namespace msg = foundation;

constexpr UINT_PTR kTimerDisplaySettled = 9877;
std::atomic<int> g_displayChanges{0};

HWND CreateIconHost(HWND mainWindow, bool owned) noexcept {
    win32::ShellWindowRequest request;
    request.className = std::wstring(owned ? msg::kIconHostClass : msg::kUnownedIconHostClass);
    request.x = -32000;
    request.y = -32000;
    request.width = 256;
    request.height = 256;
    request.layered = true;
    request.clickThrough = true;
    request.toolWindow = true;
    request.noActivate = true;
    request.owner = owned ? mainWindow : nullptr;
    request.noRedirectionBitmap = true;
    HWND window = win32::CreateShellWindow(request);
    if (window) win32::ExcludeFromPeek(window);
    return window;
}

// Windows made for requests from outside (65100 wParam 1 and 2, copy-data 74), by
// requester: bounded per requester, and the only ones a destroy request may reach.
// Message 65100 names no sender, so all its requests share one requester, 0; copy-data
// requests belong to the process of the window they name. User-interface thread only.
foundation::RequestedWindows& Requested() {
    static foundation::RequestedWindows windows(
        [](foundation::RequestedWindows::Handle w) { return ::IsWindow(reinterpret_cast<HWND>(w)) != FALSE; });
    return windows;
}

constexpr std::uint64_t kUnnamedRequester = 0;

std::wstring WindowLabel(HWND window) {
    wchar_t cls[128] = {};
    ::GetClassNameW(window, cls, 128);
    return L"window " + std::to_wstring(reinterpret_cast<UINT_PTR>(window)) + L" (class " + cls + L")";
}

LRESULT CreateRequestedIconHost(HWND window, bool owned) noexcept {
    if (!Requested().MayCreate(kUnnamedRequester)) {
        foundation::LogFailure("main window 65100", L"refused icon-host window (65100 names no sender): " +
                                                        std::wstring(foundation::RefusalText(foundation::Refusal::TooMany)));
        return 0;
    }
    HWND created = CreateIconHost(window, owned);
    if (created) Requested().Add(reinterpret_cast<UINT_PTR>(created), kUnnamedRequester);
    return reinterpret_cast<LRESULT>(created);
}

LRESULT DestroyRequested(HWND window, HWND target) noexcept {
    // Only windows made on request (or abandoned by one of our own workers) may go; the
    // bars, the dock and the main window are never anyone else's to destroy.
    const bool abandoned = win32::TakeAbandonedWindow(target);
    if (target == window || !win32::IsOwnWindow(target) ||
        (!abandoned && !Requested().RequesterOf(reinterpret_cast<UINT_PTR>(target)))) {
        if (::IsWindow(target))
            foundation::LogFailure("main window 65100", L"refused destroying " + WindowLabel(target) + L": " +
                                                            std::wstring(foundation::RefusalText(
                                                                foundation::Refusal::NotRequested)));
        return 0;
    }
    if (::GetWindowThreadProcessId(target, nullptr) != ::GetCurrentThreadId()) return 0;
    Requested().Forget(reinterpret_cast<UINT_PTR>(target));
    return ::DestroyWindow(target) ? 1 : 0;
}

LRESULT OnShellWindowRequest(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    switch (wParam) {
    case msg::kCreateIconHost: return CreateRequestedIconHost(window, true);
    case msg::kCreateUnownedIconHost: return CreateRequestedIconHost(window, false);
    case msg::kCreateShellWindowBlock: return win32::ServeShellWindowRequest(lParam);
    case msg::kDestroyShellWindow: return DestroyRequested(window, reinterpret_cast<HWND>(lParam));
    default: return 0;
    }
}

// Copy-data 74: an animation or stack window for another process of the program, owned
// by the window it names in wParam, whose process must be one of ours.
LRESULT OnWindowCopyData(WPARAM wParam, const COPYDATASTRUCT& data) noexcept {
    const wchar_t* classes[] = {L"DXWindows", L"DXWindowsShadow", L"OndelStack"};
    if (data.cbData > 2) return 0;
    // dwData packs the size (height << 16 | width); the byte count picks the class.
    const int width = static_cast<int>(data.dwData & 0xFFFF);
    const int height = static_cast<int>((data.dwData >> 16) & 0xFFFF);
    HWND owner = reinterpret_cast<HWND>(wParam);
    const auto sender = win32::WindowFacts(owner);
    const std::wstring what = L"copy-data window " + std::to_wstring(width) + L"x" + std::to_wstring(height);
    auto refuse = [&](foundation::Refusal why) {
        foundation::LogFailure("main window 74", foundation::DescribeRefusal(what, sender, why));
        return LRESULT{0};
    };
    if (sender.pid == ::GetCurrentProcessId()) return refuse(foundation::Refusal::OwnProcess);
    if (!win32::AcceptSender(sender, {win32::ProgramFolder(), {}, 0}, "main window 74", what)) return 0;
    if (!foundation::RequestedSizeAcceptable(width, height)) return refuse(foundation::Refusal::TooLarge);
    if (!Requested().MayCreate(sender.pid)) return refuse(foundation::Refusal::TooMany);
    win32::ShellWindowRequest request;
    request.className = classes[data.cbData];
    request.width = width;
    request.height = height;
    request.layered = true;
    request.toolWindow = true;
    request.noActivate = true;
    request.owner = owner;
    HWND created = win32::CreateShellWindow(request);
    if (created) Requested().Add(reinterpret_cast<UINT_PTR>(created), sender.pid);
    return reinterpret_cast<LRESULT>(created);
}

// A hook module's report about a window of its process. Any process can post one, so it
// is checked against the window itself and can at most make the tracker look at a
// top-level window of another process.
// False when the report was refused.
bool OnWindowReport(std::optional<dock::ReportClaim> claim, WPARAM wParam, LPARAM code) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (!claim) {
        foundation::LogFailure("main window report", L"refused window report code " + std::to_wstring(code) +
                                                         L" for window " + std::to_wstring(wParam) + L": unknown code");
        return false;
    }
    dock::ReportedWindow seen;
    seen.exists = window && ::IsWindow(window);
    if (seen.exists) {
        seen.topLevel = ::GetAncestor(window, GA_ROOT) == window && !(::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD);
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        seen.ours = pid == ::GetCurrentProcessId();
        seen.minimised = ::IsIconic(window) != FALSE;
    }
    if (seen.ours) {
        foundation::LogFailure("main window report", L"refused window report about " + WindowLabel(window) +
                                                         L": a window of this program");
        return false;
    }
    // Windows gone or turned into children before the report arrived are ordinary races.
    const auto kind = dock::JudgeReport(*claim, seen);
    // The menu bar follows the front window also where there are no docks to track for.
    if (kind == dock::WindowEventKind::Activated && Handlers().foregroundHint && !Handlers().windowEvent)
        Handlers().foregroundHint();
    if (kind && !Handlers().windowEvent && Handlers().stageWindowsChanged) Handlers().stageWindowsChanged();
    if (kind && Handlers().windowEvent)
        Handlers().windowEvent({*kind, dock::ToWindowId(window), dock::WindowEventSource::Companion});
    return true;
}

// Colour-set changes: any program can broadcast them, as often as it likes. One worker
// at a time answers them, and changes that come while it runs make it run once more.
std::atomic<int> g_colourChanges{0};

void OnColourSetChanged(const std::function<void()>& job) {
    if (!job || g_colourChanges.fetch_add(1) != 0) return;
    try {
        std::thread([job] {
            for (;;) {
                const int seen = g_colourChanges.load();
                try {
                    job();
                } catch (...) {
                    foundation::LogCaught("colour change worker");
                }
                if (g_colourChanges.fetch_sub(seen) == seen) return;
            }
        }).detach();
    } catch (...) {
        g_colourChanges = 0;
        foundation::LogCaught("colour change worker start");
    }
}

void CloseDockMenu(HWND window) noexcept {
    HWND menu = static_cast<HWND>(::GetPropW(window, L"OndelMenuHandle"));
    if (menu && ::IsWindow(menu)) ::SendMessageW(menu, WM_ACTIVATE, WA_INACTIVE, 0);
}

} // namespace

RegisteredMessages& Messages() noexcept {
    static RegisteredMessages messages;
    return messages;
}

MainWindowHandlers& Handlers() noexcept {
    static MainWindowHandlers handlers;
    return handlers;
}

void StartFollowPointerTimer(HWND mainWindow) noexcept { ::SetTimer(mainWindow, kTimerFollowPointer, 500, nullptr); }

int DisplayChangeCount() noexcept { return g_displayChanges.load(); }

void RequestQuit() noexcept {
    Process().quit.store(true);
    if (HWND host = win32::ShellWindowHost()) ::DestroyWindow(host);
    ::PostQuitMessage(0);
}

namespace {

LRESULT OnTimer(HWND window, WPARAM id, LPARAM lParam) {
    auto& handlers = Handlers();
    switch (id) {
    case kTimerDisplaySettled:
        // A rebuild takes down the windows whose menu may be open, and that menu's code
        // runs on below this call: close it and come back once it has unwound.
        if (gfx::PopupMenuOpen()) {
            foundation::LogDetail("display", L"the screens changed while a menu was open: it closes first");
            gfx::CancelPopupMenu();
            return 0;
        }
        ::KillTimer(window, id);
        if (handlers.displayChanged) handlers.displayChanged();
        return 0;
    case kTimerEverySecond:
        if (handlers.everySecond) handlers.everySecond();
        return 0;
    case kTimerFollowPointer:
        // Moving the dock takes it down: never under its own open menu.
        if (handlers.followPointer && !gfx::PopupMenuOpen()) handlers.followPointer();
        return 0;
    case msg::kTimerTaskbarRecreated:
        ::KillTimer(window, id);
        if (handlers.taskbarRecreated) handlers.taskbarRecreated();
        return 0;
    case extras::win32::kCornerTimer:
        ::KillTimer(window, id);
        if (handlers.hotCornerTimer) handlers.hotCornerTimer();
        return 0;
    default: return ::DefWindowProcW(window, WM_TIMER, id, lParam);
    }
}

// A second start of the program asks for a window of this instance. Only a process of
// the program's own folder may ask, and only for what the record names.
LRESULT OnInstanceRequest(WPARAM wParam, const COPYDATASTRUCT& data) {
    const auto sender = win32::WindowFacts(reinterpret_cast<HWND>(wParam));
    const std::wstring what = L"request of another instance";
    if (sender.pid == ::GetCurrentProcessId()) {
        foundation::LogFailure("main window 74", foundation::DescribeRefusal(what, sender, foundation::Refusal::OwnProcess));
        return 0;
    }
    if (!win32::AcceptSender(sender, {win32::ProgramFolder(), {}, 0}, "main window 74", what)) return 0;
    const auto request = foundation::DecodeInstanceRequest(static_cast<const std::uint8_t*>(data.lpData), data.cbData);
    if (!request) {
        foundation::LogFailure("main window 74", L"refused " + what + L": not a request this program makes");
        return 0;
    }
    if (*request != foundation::InstanceRequest::OpenSettings || !Handlers().openSettings) return 0;
    Handlers().openSettings();
    return 1;
}

LRESULT OnCopyData(WPARAM wParam, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data) return 0;
    if (data->dwData == foundation::kInstanceRequestKind) return OnInstanceRequest(wParam, *data);
    if (data->dwData == 1 && data->cbData == 1484) {
        if (Process().workshopMode.load() || !Handlers().trayRecord) return 0;
        return Handlers().trayRecord(*data);
    }
    return OnWindowCopyData(wParam, *data);
}

LRESULT OnPowerBroadcast(WPARAM event) {
    auto& handlers = Handlers();
    if (event == PBT_APMSUSPEND) Process().suspended.store(true);
    if (event == PBT_APMRESUMECRITICAL || event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC) {
        Process().suspended.store(false);
        if (handlers.powerResumed) handlers.powerResumed();
    }
    // The charge-remaining setting is the only one the main window registers for.
    if (event == PBT_APMPOWERSTATUSCHANGE || event == PBT_POWERSETTINGCHANGE) {
        SYSTEM_POWER_STATUS status{};
        if (::GetSystemPowerStatus(&status)) Process().onMainsPower.store(status.ACLineStatus == 1);
        if (handlers.powerStatusChanged) handlers.powerStatusChanged();
    }
    return TRUE;
}

// Messages other features send the main window on their behalf.
std::optional<LRESULT> OnFeatureMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto& handlers = Handlers();
    switch (message) {
    case msg::kMsgHookAsk: { // the hook's report of a window opening (lParam 1) or closing
        // The on-screen closing only lets the close animation take its picture; the
        // closing report itself follows.
        if (lParam != msg::kClosingOnScreen && !OnWindowReport(dock::OpenCloseClaim(lParam), wParam, lParam)) return 0;
        HWND reported = reinterpret_cast<HWND>(wParam);
        // The animations picture, hide and move the window: only for a window whose own
        // process could have sent this. A closed window already gone is an ordinary race.
        if (!handlers.windowOpenClose || !::IsWindow(reported) ||
            !win32::AcceptHookReport(reported, lParam == msg::kClosingOnScreen, "main window 50014",
                                     L"window report " + std::to_wstring(lParam)))
            return 0;
        handlers.windowOpenClose(reported, lParam == 1);
        return 0;
    }
    case msg::kMsgEndLivePreview:
        if (handlers.endLivePreview) handlers.endLivePreview();
        return 0;
    case msg::kMsgSteamResult:
        if (handlers.steamResult) handlers.steamResult(wParam, lParam);
        return 0;
    case msg::kMsgLaunchpadRequest:
        if (wParam == 1 && handlers.launchpadRequest) handlers.launchpadRequest(wParam, lParam);
        return 0;
    case WM_HOTKEY:
        if (handlers.hotkey) handlers.hotkey(static_cast<int>(wParam));
        return 0;
    case extras::win32::kMsgCornerPointer:
        // Carries nothing to trust: the handler asks the watcher where the pointer settled.
        if (handlers.hotCornerPointer) handlers.hotCornerPointer();
        return 0;
    default: return std::nullopt;
    }
}

// The system's notices: session, power, display and settings changes, and ending.
std::optional<LRESULT> OnSystemMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WTSSESSION_CHANGE:
        if (wParam == 5 || wParam == 8) Process().sessionLocked.store(false);
        if (wParam == 6 || wParam == 7) Process().sessionLocked.store(true);
        return 0;
    case WM_POWERBROADCAST: return OnPowerBroadcast(wParam);
    case WM_DISPLAYCHANGE:
        // Monitors come and go in bursts; lay the bars out once they have settled.
        ++g_displayChanges;
        ::SetTimer(window, kTimerDisplaySettled, 500, nullptr);
        return 0;
    case WM_SETTINGCHANGE: {
        const auto* area = reinterpret_cast<const wchar_t*>(lParam);
        if (wParam != SPI_SETWORKAREA && area && ::lstrcmpiW(area, L"ImmersiveColorSet") == 0) {
            OnColourSetChanged(Handlers().colorSetChanged);
            // The docks are built again in the other appearance, as after a display change
            // (which first closes an open menu).
            if (Handlers().appModeChanged && Handlers().appModeChanged())
                ::SetTimer(window, kTimerDisplaySettled, 500, nullptr);
        }
        return 0;
    }
    case WM_CLOSE:
        // A polite request to end (task managers, log-off helpers): quit cleanly.
        RequestQuit();
        return 0;
    case WM_ENDSESSION:
        if (wParam) RequestQuit();
        return 0;
    case WM_DESTROY:
        if (Process().quit.load()) ::PostQuitMessage(0);
        return 0;
    default: return std::nullopt;
    }
}

// Pointer input reaches the hidden main window only while a dock menu borrows it.
std::optional<LRESULT> OnPointerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        CloseDockMenu(window);
        ::SetWindowLongPtrW(window, GWLP_HWNDPARENT, 0);
        ::ShowWindow(window, SW_HIDE);
        return 0;
    case WM_MOUSEWHEEL: {
        HWND menu = static_cast<HWND>(::GetPropW(window, L"OndelMenuHandle"));
        if (menu && ::IsWindow(menu)) ::SendMessageW(menu, message, wParam, lParam);
        return 0;
    }
    default: return std::nullopt;
    }
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        const auto& messages = Messages();
        if (message != 0 && message == messages.taskbarCreated) {
            if (reinterpret_cast<HWND>(lParam) != window)
                ::SetTimer(window, msg::kTimerTaskbarRecreated, 1000, nullptr);
            return 0;
        }
        if (message != 0 && message == messages.windowReport) {
            OnWindowReport(dock::WindowReportClaim(static_cast<std::uintptr_t>(lParam)), wParam, lParam);
            return 0;
        }
        if (message != 0 && message == messages.shellHook) {
            if (Handlers().shellHook) Handlers().shellHook(wParam, lParam);
            return 0;
        }
        switch (message) {
        case msg::kMsgShellWindowRequest: return OnShellWindowRequest(window, wParam, lParam);
        case WM_TIMER: return OnTimer(window, wParam, lParam);
        case WM_COPYDATA: return OnCopyData(wParam, lParam);
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE && lParam == 0) return 0;
            return ::DefWindowProcW(window, message, wParam, lParam);
        default: break;
        }
        if (auto handled = OnFeatureMessage(message, wParam, lParam)) return *handled;
        if (auto handled = OnSystemMessage(window, message, wParam, lParam)) return *handled;
        if (auto handled = OnPointerMessage(window, message, wParam, lParam)) return *handled;
    } catch (...) {
        // A failing feature handler must not take the main window down.
        foundation::LogCaught("main window");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kestrana::app
