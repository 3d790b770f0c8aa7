// The hook module: loaded into every process of its bitness by the system-wide CBT hook.
// Before a top-level window is minimised or restored it asks the program's watcher window
// whether the program animates it; an answer of 1 cancels the system's own action (the
// program animates and then completes the change itself). Window creation, destruction,
// activation, minimising and restoring are reported to the program's main window without
// waiting (only a window destroyed while on screen waits a moment, for its close
// animation's picture, and only while the program has close animations on); the program
// only takes them as a reason to look at the window.
//
// The answer decides whether a window gets minimised at all, so the module talks only to
// windows of the program itself: the executable "Kestrana.exe" in the module's own
// folder. It runs inside every process and keeps no log.
//
// Menus of a process can only be shown and followed from inside it, so the module also
// carries out the menu bar's requests: woken in a window's thread by a message the
// companion posts there (through a short-lived message hook), it reads the request file,
// then reports the menu bar's titles or drops one of its menus down under the bar's title.
#include "foundation/foreign_requests.h"
#include "foundation/hook_protocol.h"
#include "foundation/shell_messages.h"
#include "foundation/text.h"
#include "menubar/menu_handshake.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

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
// any other process is passed over. Any process can make such windows, as many as it
// likes, to hide the program's behind them: each process is looked at once, and all its
// windows are passed over with it.
HWND FindProgramWindow(const wchar_t* windowClass, const wchar_t* title) {
    DWORD refused[64];
    std::size_t refusedCount = 0;
    HWND after = nullptr;
    for (int i = 0; i < 65536; ++i) {
        after = ::FindWindowExW(nullptr, after, windowClass, title);
        if (!after) return nullptr;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(after, &pid);
        if (std::find(refused, refused + refusedCount, pid) != refused + refusedCount) continue;
        if (IsProgramWindow(after)) return after;
        if (refusedCount < std::size(refused)) refused[refusedCount++] = pid;
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
    // A window still on screen waits a moment, so its close animation can picture it.
    if (!opened && ::IsWindowVisible(window) && !::IsIconic(window) && ::GetPropW(main, kPropCloseAnimation.data())) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(main, kMsgHookAsk, reinterpret_cast<WPARAM>(window), kClosingOnScreen,
                              SMTO_ABORTIFHUNG | SMTO_BLOCK, 150, &ignored);
    }
    ::PostMessageW(main, kMsgHookAsk, reinterpret_cast<WPARAM>(window), opened ? 1 : 0);
}

// Sent before the system acts; the program looks at the window when the report arrives.
void Report(HWND window, std::uintptr_t code) {
    static const UINT message = ::RegisterWindowMessageW(kMsgWindowReport.data());
    HWND main = message ? ProgramMainWindow() : nullptr;
    if (!main || BelongsToProcessOf(window, main)) return;
    ::PostMessageW(main, message, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(code));
}

// --- menu requests ------------------------------------------------------------------

namespace menus = kestrana::menubar;

// The hand-over files are opened as themselves, never through a link: a link or junction
// planted in the folder (or as it) would make this application, which may run with more
// rights than whoever planted it, read, write or delete a file somewhere else.
bool IsLink(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

HANDLE OpenPlainFile(const std::wstring& path, DWORD access, DWORD disposition) {
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    const DWORD folderAttributes = ::GetFileAttributesW(folder.c_str());
    if (folderAttributes == INVALID_FILE_ATTRIBUTES || IsLink(folderAttributes)) return INVALID_HANDLE_VALUE;
    HANDLE file = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    BY_HANDLE_FILE_INFORMATION info{};
    // A second name (a hard link) may stand for a file anywhere on the volume.
    if (!::GetFileInformationByHandle(file, &info) || IsLink(info.dwFileAttributes) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || info.nNumberOfLinks != 1) {
        ::CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

std::string ReadSmallFile(const std::wstring& path) {
    HANDLE file = OpenPlainFile(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text(8192, '\0');
    DWORD read = 0;
    if (!::ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr)) read = 0;
    ::CloseHandle(file);
    text.resize(read);
    return text;
}

// Deletes the file through its own handle, so what is deleted is what was checked.
void DeleteSmallFile(const std::wstring& path) {
    HANDLE file = OpenPlainFile(path, DELETE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return;
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    ::SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
    ::CloseHandle(file);
}

bool WriteSmallFile(const std::wstring& path, const std::string& text) {
    DeleteSmallFile(path);
    // Only a new file: whatever stands under that name (a link included) makes this fail.
    HANDLE file = OpenPlainFile(path, GENERIC_WRITE, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    ::CloseHandle(file);
    return ok;
}

struct OpenMenu {
    const menus::MenuRequest* request = nullptr;
    int current = -1;
    int next = -1;
    HHOOK filter = nullptr;
};
OpenMenu g_open; // the menu being tracked in this process; one at a time

// Inside the menu's own loop: the pointer on another title of the bar switches menus,
// as it does along a menu bar.
LRESULT CALLBACK MenuFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && g_open.request) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        if (message && message->message == WM_MOUSEMOVE) {
            POINT p{};
            ::GetCursorPos(&p);
            const int title = menus::TitleAt(*g_open.request, p.x, p.y);
            if (title >= 0 && title != g_open.current) {
                g_open.next = title;
                ::EndMenu();
                return TRUE;
            }
        }
    }
    return ::CallNextHookEx(g_open.filter, code, wParam, lParam);
}

void TellBar(const menus::MenuRequest& request, std::uint32_t number, std::intptr_t state) {
    static const UINT message = ::RegisterWindowMessageW(kMsgMenuState.data());
    HWND bar = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request.bar));
    if (message && bar && ::IsWindow(bar) && IsProgramWindow(bar))
        ::PostMessageW(bar, message, number, static_cast<LPARAM>(state));
}

void ReportTitles(HWND window, const std::wstring& requestPath) {
    std::vector<std::wstring> titles;
    HMENU bar = ::GetMenu(window);
    const int count = bar ? ::GetMenuItemCount(bar) : 0;
    for (int i = 0; i < count && titles.size() < menus::kMaxTitles; ++i) {
        wchar_t text[256] = {};
        ::GetMenuStringW(bar, static_cast<UINT>(i), text, static_cast<int>(std::size(text)), MF_BYPOSITION);
        titles.emplace_back(text);
    }
    WriteSmallFile(requestPath + L".titles", menus::FormatTitleReply(titles));
}

void TrackMenus(HWND window, const menus::MenuRequest& request, std::uint32_t number) {
    HMENU bar = ::GetMenu(window);
    if (!bar || g_open.request) return;
    g_open = {&request, request.index, -1, nullptr};
    while (g_open.current >= 0 && g_open.current < ::GetMenuItemCount(bar) &&
           static_cast<std::size_t>(g_open.current) < request.titles.size()) {
        TellBar(request, number, g_open.current);
        HMENU popup = ::GetSubMenu(bar, g_open.current);
        if (!popup) {
            // A title that is a command of its own.
            const UINT id = ::GetMenuItemID(bar, g_open.current);
            if (id != static_cast<UINT>(-1)) ::PostMessageW(window, WM_COMMAND, id, 0);
            break;
        }
        g_open.next = -1;
        g_open.filter = ::SetWindowsHookExW(WH_MSGFILTER, MenuFilterProc, nullptr, ::GetCurrentThreadId());
        // Owned by the application's window: it prepares the menu (WM_INITMENUPOPUP) and
        // gets the chosen command, exactly as from its own menu bar.
        const auto& span = request.titles[static_cast<std::size_t>(g_open.current)];
        ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, span.left, request.bottom, window,
                           nullptr);
        if (g_open.filter) ::UnhookWindowsHookEx(g_open.filter);
        g_open.filter = nullptr;
        g_open.current = g_open.next;
    }
    g_open = {};
}

void CarryOutMenuRequest(std::uint32_t number) {
    const std::wstring path = menus::RequestPath(ModuleFolder(), number);
    const auto request = menus::ParseMenuRequest(ReadSmallFile(path));
    if (!request) return;
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(request->window));
    // Only windows of this very thread: their menus are the ones this thread may show.
    if (!::IsWindow(window) || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return;
    if (request->ask == menus::MenuAsk::Titles) {
        ReportTitles(window, path);
        DeleteSmallFile(path);
        TellBar(*request, number, kMenuStateTitles);
        return;
    }
    TrackMenus(window, *request, number);
    DeleteSmallFile(path);
    TellBar(*request, number, kMenuStateDone);
}

} // namespace

// Installed by the companion on one thread for one request, and removed again.
extern "C" __declspec(dllexport) LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT request = ::RegisterWindowMessageW(kMsgMenuRequest.data());
    if (code == HC_ACTION && wParam == PM_REMOVE && request) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (message && message->message == request) {
            const auto number = static_cast<std::uint32_t>(message->wParam);
            message->message = WM_NULL; // the application never sees it
            CarryOutMenuRequest(number);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

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
