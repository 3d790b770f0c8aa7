#include "foundation/win32/shell_window.h"

#include "foundation/shell_messages.h"
#include "foundation/win32/system_function.h"

#include <dwmapi.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace kestrana::win32 {
namespace {

std::atomic<HWND> g_host{nullptr};
std::atomic<DWORD> g_uiThread{0};

// A cross-thread request. It lives on the heap and is shared between the waiting worker
// and the user-interface thread, so a request that timed out can still be served (and
// its window destroyed) without touching freed memory.
struct PendingRequest {
    ShellWindowRequest request;
    std::mutex mutex;
    bool abandoned = false;
    HWND result = nullptr;
};

// Only blocks registered here are served: message 65100 also arrives from other
// processes, and their lParam must never be read as a pointer.
std::mutex g_pendingMutex;
std::unordered_set<PendingRequest*> g_pending;
// Windows made for requests that timed out; only these may a worker have destroyed.
std::unordered_set<HWND> g_abandoned;

HWND CreateOnThisThread(const ShellWindowRequest& r) noexcept {
    DWORD exStyle = 0;
    if (r.layered) exStyle |= WS_EX_LAYERED;
    if (r.clickThrough) exStyle |= WS_EX_TRANSPARENT;
    if (r.toolWindow) exStyle |= WS_EX_TOOLWINDOW;
    if (r.topmost) exStyle |= WS_EX_TOPMOST;
    if (r.noActivate) exStyle |= WS_EX_NOACTIVATE;
    if (r.noRedirectionBitmap) exStyle |= WS_EX_NOREDIRECTIONBITMAP;

    HWND window = ::CreateWindowExW(exStyle, r.className.c_str(), r.title.c_str(), WS_POPUP, r.x, r.y,
                                    r.width, r.height, r.owner, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!window) return nullptr;

    // Touch input with palm rejection; absent on some systems and a stub under Wine.
    RegisterTouch(window);

    RequestSquareCorners(window);
    // Keeps the shell from treating a screen-sized bar as a full-screen program.
    ::SetPropW(window, L"NonRudeHWND", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
    if (r.owner) ::SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(r.owner));
    return window;
}

} // namespace

bool RegisterWindowClass(std::wstring_view name, WNDPROC procedure, UINT style) noexcept {
    try {
        const std::wstring className(name);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = procedure ? procedure : ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className.c_str();
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    } catch (...) {
        return false;
    }
}

void SetShellWindowHost(HWND mainWindow, DWORD uiThreadId) noexcept {
    g_host.store(mainWindow);
    g_uiThread.store(uiThreadId);
}

HWND ShellWindowHost() noexcept { return g_host.load(); }
DWORD UiThreadId() noexcept { return g_uiThread.load(); }

HWND CreateShellWindow(const ShellWindowRequest& request) noexcept {
    try {
        const DWORD uiThread = g_uiThread.load();
        const HWND host = g_host.load();
        if (request.createOnThisThread || uiThread == 0 || ::GetCurrentThreadId() == uiThread || !host)
            return CreateOnThisThread(request);

        auto pending = std::make_shared<PendingRequest>();
        pending->request = request;
        {
            std::lock_guard lock(g_pendingMutex);
            g_pending.insert(pending.get());
        }
        DWORD_PTR answer = 0;
        const LRESULT sent = ::SendMessageTimeoutW(host, foundation::kMsgShellWindowRequest,
                                                   foundation::kCreateShellWindowBlock,
                                                   reinterpret_cast<LPARAM>(pending.get()), SMTO_NORMAL, 500, &answer);
        {
            std::lock_guard lock(g_pendingMutex);
            g_pending.erase(pending.get());
        }
        std::lock_guard lock(pending->mutex);
        if (sent == 0) {
            // Timed out: if the user-interface thread still gets to it, it finds the
            // block no longer registered and creates nothing.
            pending->abandoned = true;
            if (pending->result) {
                std::lock_guard registry(g_pendingMutex);
                g_abandoned.insert(pending->result);
            }
            if (pending->result) ::PostMessageW(host, foundation::kMsgShellWindowRequest,
                                                foundation::kDestroyShellWindow,
                                                reinterpret_cast<LPARAM>(pending->result));
            return nullptr;
        }
        return pending->result;
    } catch (...) {
        return nullptr;
    }
}

LRESULT ServeShellWindowRequest(LPARAM lParam) noexcept {
    auto* block = reinterpret_cast<PendingRequest*>(lParam);
    // Take the block's lock while the registry lock still vouches for it: the worker
    // unregisters the block first and then needs the block's lock before it can free it.
    std::unique_lock registry(g_pendingMutex);
    if (!g_pending.contains(block)) return 0;
    std::lock_guard lock(block->mutex);
    registry.unlock();
    if (block->abandoned) return 0;
    block->result = CreateOnThisThread(block->request);
    return reinterpret_cast<LRESULT>(block->result);
}

bool TakeAbandonedWindow(HWND window) noexcept {
    std::lock_guard registry(g_pendingMutex);
    return g_abandoned.erase(window) != 0;
}

void ExcludeFromPeek(HWND window) noexcept {
    const BOOL on = TRUE;
    const DWMFLIP3DWINDOWPOLICY flip = DWMFLIP3D_EXCLUDEBELOW;
    ::DwmSetWindowAttribute(window, DWMWA_EXCLUDED_FROM_PEEK, &on, sizeof(on));
    ::DwmSetWindowAttribute(window, DWMWA_DISALLOW_PEEK, &on, sizeof(on));
    ::DwmSetWindowAttribute(window, DWMWA_HAS_ICONIC_BITMAP, &on, sizeof(on));
    ::DwmSetWindowAttribute(window, DWMWA_FREEZE_REPRESENTATION, &on, sizeof(on));
    ::DwmSetWindowAttribute(window, DWMWA_FLIP3D_POLICY, &flip, sizeof(flip));
    ::DwmSetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, &on, sizeof(on));
}

void RequestSquareCorners(HWND window) noexcept {
    // DWMWA_WINDOW_CORNER_PREFERENCE (33) = DWMWCP_DONOTROUND (1); older systems refuse it.
    const DWORD doNotRound = 1;
    ::DwmSetWindowAttribute(window, 33, &doNotRound, sizeof(doNotRound));
}

bool IsOwnWindow(HWND window) noexcept {
    if (!window || !::IsWindow(window)) return false;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid == ::GetCurrentProcessId();
}

} // namespace kestrana::win32
