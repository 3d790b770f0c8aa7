// The hook module: loaded into every process of its bitness by the system-wide CBT hook.
// Before a top-level window is minimised or restored it asks the program's watcher window
// whether the program animates it; an answer of 1 cancels the system's own action (the
// program animates and then completes the change itself). Window creation, destruction,
// activation, minimising and restoring are reported to the program's main window without
// waiting; the program only takes them as a reason to look at the window.
//
// The answer decides whether a window gets minimised at all, so the module talks only to
// windows of the program itself: the executable "Kestrana.exe" in the module's own
// folder. It runs inside every process and keeps no log.
#include "foundation/foreign_requests.h"
#include "foundation/hook_protocol.h"
#include "foundation/shell_messages.h"
#include "foundation/text.h"

#include <windows.h>

#include <string>

namespace {

using namespace kestrana::foundation;

HINSTANCE g_module = nullptr;

// Short (8.3) spellings are refused by the folder rule; compare long names.
std::wstring LongPath(std::wstring path) {
    const DWORD length = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (length) {
        std::wstring result(length, L'\0');
        const DWORD got = ::GetLongPathNameW(path.c_str(), result.data(), length);
        if (got && got < length) path.assign(result.c_str(), got);
    }
    return path;
}

std::wstring ModuleFolder() {
    static const std::wstring folder = [] {
        std::wstring path(32768, L'\0');
        path.resize(::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size())));
        path = LongPath(path);
        return path.substr(0, path.find_last_of(L'\\') + 1);
    }();
    return folder;
}

// True when `window` belongs to the program: Kestrana.exe from the folder of this module.
bool IsProgramWindow(HWND window) {
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(window, &pid) || !pid) return false;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return false;
    wchar_t image[MAX_PATH * 4] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    const bool named = ::QueryFullProcessImageNameW(process, 0, image, &size) != FALSE;
    ::CloseHandle(process);
    if (!named) return false;
    const std::wstring path = LongPath(std::wstring(image, size));
    return IsImageInFolder(path, ModuleFolder()) &&
           EqualsIgnoreCase(std::wstring_view(path).substr(path.find_last_of(L'\\') + 1), kProgramImageName);
}

// The program's window of this class (and title, when given); a window of that name in
// any other process is passed over.
HWND FindProgramWindow(const wchar_t* windowClass, const wchar_t* title) {
    HWND after = nullptr;
    for (int i = 0; i < 16; ++i) {
        after = ::FindWindowExW(nullptr, after, windowClass, title);
        if (!after) return nullptr;
        if (IsProgramWindow(after)) return after;
    }
    return nullptr;
}

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
    HWND watcher = FindProgramWindow(kWatcherWindowClass.data(), kWatcherWindowTitle.data());
    // The program animating its own windows, or no program listening: the system decides.
    if (!watcher || BelongsToProcessOf(window, watcher)) return 0;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(watcher, kMsgHookAsk, code, reinterpret_cast<LPARAM>(window),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, 500, &answer))
        return 0;
    return answer == 1 ? 1 : 0;
}

HWND ProgramMainWindow() { return FindProgramWindow(kMainWindowClass.data(), nullptr); }

void ReportOpenClose(HWND window, bool opened) {
    HWND main = ProgramMainWindow();
    if (!main || BelongsToProcessOf(window, main)) return;
    ::PostMessageW(main, kMsgHookAsk, reinterpret_cast<WPARAM>(window), opened ? 1 : 0);
}

// Sent before the system acts; the program looks at the window when the report arrives.
void Report(HWND window, std::uintptr_t code) {
    static const UINT message = ::RegisterWindowMessageW(kMsgWindowReport.data());
    HWND main = message ? ProgramMainWindow() : nullptr;
    if (!main || BelongsToProcessOf(window, main)) return;
    ::PostMessageW(main, message, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(code));
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0) {
        HWND window = reinterpret_cast<HWND>(wParam);
        switch (code) {
        case HCBT_MINMAX: {
            if (!IsAppWindow(window)) break;
            const auto intent = ClassifyShowCommand(LOWORD(lParam), ::IsIconic(window) != FALSE);
            if (intent == ShowIntent::Minimise && ::IsWindowVisible(window)) {
                if (AskWatcher(window, kAskMinimise) == 1) return 1;
                Report(window, kReportMinimised);
            }
            if (intent == ShowIntent::Restore) {
                if (AskWatcher(window, kAskRestore) == 1) return 1;
                Report(window, kReportRestored);
            }
            break;
        }
        case HCBT_ACTIVATE:
            if (IsAppWindow(window)) Report(window, kReportActivated);
            break;
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
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
