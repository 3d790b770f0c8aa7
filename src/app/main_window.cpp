#include "app/main_window.h"

#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/shell_window.h"

#include <atomic>
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

LRESULT OnShellWindowRequest(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    switch (wParam) {
    case msg::kCreateIconHost: return reinterpret_cast<LRESULT>(CreateIconHost(window, true));
    case msg::kCreateUnownedIconHost: return reinterpret_cast<LRESULT>(CreateIconHost(window, false));
    case msg::kCreateShellWindowBlock: return win32::ServeShellWindowRequest(lParam);
    case msg::kDestroyShellWindow: {
        // Anyone may send this; destroy only windows of this process, never the main one.
        HWND target = reinterpret_cast<HWND>(lParam);
        if (target == window || !win32::IsOwnWindow(target)) return 0;
        DWORD threadId = ::GetWindowThreadProcessId(target, nullptr);
        if (threadId != ::GetCurrentThreadId()) return 0;
        return ::DestroyWindow(target) ? 1 : 0;
    }
    default: return 0;
    }
}

void RunOnWorker(const std::function<void()>& job) {
    if (!job) return;
    std::thread([job] {
        try {
            job();
        } catch (...) {
        }
    }).detach();
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

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        auto& handlers = Handlers();
        const auto& messages = Messages();
        if (message != 0 && message == messages.taskbarCreated) {
            if (reinterpret_cast<HWND>(lParam) != window)
                ::SetTimer(window, msg::kTimerTaskbarRecreated, 1000, nullptr);
            return 0;
        }
        if (message != 0 && message == messages.shellHook) {
            if (handlers.shellHook) handlers.shellHook(wParam, lParam);
            return 0;
        }
        switch (message) {
        case msg::kMsgShellWindowRequest: return OnShellWindowRequest(window, wParam, lParam);
        case WM_TIMER:
            if (wParam == kTimerDisplaySettled) {
                ::KillTimer(window, wParam);
                if (handlers.displayChanged) handlers.displayChanged();
                return 0;
            }
            if (wParam == kTimerEverySecond) {
                if (handlers.everySecond) handlers.everySecond();
                return 0;
            }
            if (wParam == kTimerFollowPointer) {
                if (handlers.followPointer) handlers.followPointer();
                return 0;
            }
            if (wParam == msg::kTimerTaskbarRecreated) {
                ::KillTimer(window, wParam);
                if (handlers.taskbarRecreated) handlers.taskbarRecreated();
                return 0;
            }
            break;
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!data) return 0;
            if (data->dwData == 1 && data->cbData == 1484) {
                if (Process().workshopMode.load() || !handlers.trayRecord) return 0;
                return handlers.trayRecord(*data);
            }
            // dwData packs the size (height << 16 | width); the byte count picks the class.
            const int width = static_cast<int>(data->dwData & 0xFFFF);
            const int height = static_cast<int>((data->dwData >> 16) & 0xFFFF);
            const wchar_t* classes[] = {L"DXWindows", L"DXWindowsShadow", L"OndelStack"};
            if (data->cbData > 2) return 0;
            HWND owner = reinterpret_cast<HWND>(wParam);
            if (owner && !::IsWindow(owner)) return 0;
            win32::ShellWindowRequest request;
            request.className = classes[data->cbData];
            request.width = width;
            request.height = height;
            request.layered = true;
            request.toolWindow = true;
            request.noActivate = true;
            request.owner = owner;
            return reinterpret_cast<LRESULT>(win32::CreateShellWindow(request));
        }
        case msg::kMsgWindowAnimation:
            if (handlers.windowOpenClose) handlers.windowOpenClose(reinterpret_cast<HWND>(wParam), lParam == 1);
            return 0;
        case msg::kMsgEndLivePreview:
            if (handlers.endLivePreview) handlers.endLivePreview();
            return 0;
        case msg::kMsgSteamResult:
            if (handlers.steamResult) handlers.steamResult(wParam, lParam);
            return 0;
        case WM_HOTKEY:
            if (handlers.hotkey) handlers.hotkey(static_cast<int>(wParam));
            return 0;
        case WM_WTSSESSION_CHANGE:
            if (wParam == 5 || wParam == 8) Process().sessionLocked.store(false);
            if (wParam == 6 || wParam == 7) Process().sessionLocked.store(true);
            return 0;
        case WM_POWERBROADCAST:
            if (wParam == PBT_APMSUSPEND) Process().suspended.store(true);
            if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND || wParam == PBT_APMRESUMEAUTOMATIC) {
                Process().suspended.store(false);
                if (handlers.powerResumed) handlers.powerResumed();
            }
            if (wParam == PBT_APMPOWERSTATUSCHANGE) {
                SYSTEM_POWER_STATUS status{};
                if (::GetSystemPowerStatus(&status)) Process().onMainsPower.store(status.ACLineStatus == 1);
                if (handlers.powerStatusChanged) handlers.powerStatusChanged();
            }
            return TRUE;
        case WM_DISPLAYCHANGE:
            // Monitors come and go in bursts; lay the bars out once they have settled.
            ++g_displayChanges;
            ::SetTimer(window, kTimerDisplaySettled, 500, nullptr);
            return 0;
        case WM_SETTINGCHANGE: {
            const auto* area = reinterpret_cast<const wchar_t*>(lParam);
            if (wParam != SPI_SETWORKAREA && area && ::lstrcmpiW(area, L"ImmersiveColorSet") == 0)
                RunOnWorker(handlers.colorSetChanged);
            return 0;
        }
        case msg::kMsgLaunchpadRequest:
            if (wParam == 1 && handlers.launchpadRequest) handlers.launchpadRequest(wParam, lParam);
            return 0;
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
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE && lParam == 0) return 0;
            break;
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
        default: break;
        }
    } catch (...) {
        // A failing feature handler must not take the main window down.
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kestrana::app
