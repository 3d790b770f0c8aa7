// The hook module: loaded into every process of its bitness by the system-wide CBT hook.
// Before a top-level window is minimised or restored it asks the program's watcher window
// whether the program animates it; an answer of 1 cancels the system's own action (the
// program animates and then completes the change itself). Window creation and
// destruction are reported to the program's main window without waiting.
#include "foundation/hook_protocol.h"

#include <windows.h>

namespace {

using namespace kestrana::foundation;

bool IsAppWindow(HWND window) {
    if (!window || ::GetAncestor(window, GA_ROOT) != window) return false;
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (style & WS_CHILD) return false;
    if (exStyle & WS_EX_TOOLWINDOW) return false;
    return (style & WS_CAPTION) == WS_CAPTION || (exStyle & WS_EX_APPWINDOW);
}

bool BelongsToProcessOf(HWND window, HWND other) {
    DWORD a = 0, b = 0;
    ::GetWindowThreadProcessId(window, &a);
    ::GetWindowThreadProcessId(other, &b);
    return a == b;
}

LRESULT AskWatcher(HWND window, WPARAM code) {
    HWND watcher = ::FindWindowW(nullptr, kWatcherWindowTitle.data());
    // The program animating its own windows, or no program listening: the system decides.
    if (!watcher || BelongsToProcessOf(window, watcher)) return 0;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(watcher, kMsgHookAsk, code, reinterpret_cast<LPARAM>(window),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, 500, &answer))
        return 0;
    return answer == 1 ? 1 : 0;
}

void ReportOpenClose(HWND window, bool opened) {
    HWND main = ::FindWindowW(L"KESTRANA", nullptr);
    if (!main || BelongsToProcessOf(window, main)) return;
    ::PostMessageW(main, kMsgHookAsk, reinterpret_cast<WPARAM>(window), opened ? 1 : 0);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        HWND window = reinterpret_cast<HWND>(wParam);
        switch (code) {
        case HCBT_MINMAX: {
            if (!IsAppWindow(window)) break;
            const auto intent = ClassifyShowCommand(LOWORD(lParam), ::IsIconic(window) != FALSE);
            if (intent == ShowIntent::Minimise && ::IsWindowVisible(window) && AskWatcher(window, kAskMinimise) == 1)
                return 1;
            if (intent == ShowIntent::Restore && AskWatcher(window, kAskRestore) == 1) return 1;
            break;
        }
        case HCBT_CREATEWND: {
            const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
            if (create && create->lpcs && !(create->lpcs->style & WS_CHILD) && !create->lpcs->hwndParent &&
                (create->lpcs->style & WS_CAPTION) == WS_CAPTION && !(create->lpcs->dwExStyle & WS_EX_TOOLWINDOW))
                ReportOpenClose(window, true);
            break;
        }
        case HCBT_DESTROYWND:
            if (IsAppWindow(window)) ReportOpenClose(window, false);
            break;
        default: break;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}
