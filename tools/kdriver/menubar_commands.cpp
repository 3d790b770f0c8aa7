// The driver's commands for the menu bar's application menus.
//
//   kdriver edit-text <hwnd>                 the text of the window's first "Edit" child
//   kdriver activate <hwnd>                  brings the window to the front; prints the
//                                            performance-counter time (ms) of the call
//   kdriver wait-shown <class> <timeout-ms>  waits (polling every millisecond) for a visible
//                                            top-level window of that class; prints
//                                            "<hwnd> <ms>" on the performance counter
//   kdriver acc-window <seconds> [popup|owl|slow] a window whose menu bar exists only for the
//                                            accessibility interface (accessible_window.cpp)
//   kdriver menu-window <seconds> [hang-ms]
//                                            a window "KdriverMenuTest" with a classic menu
//                                            bar (&File, Edit(&E), &View); with hang-ms it
//                                            stops answering for that long the second time
//                                            it is activated. Choosing "Mark" titles it "marked".
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kMark = 101;
DWORD g_hangMs = 0;
int g_activations = 0;

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kMark) {
        ::SetWindowTextW(window, L"marked");
        return 0;
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && ++g_activations == 2 && g_hangMs)
        ::Sleep(g_hangMs); // not answering: no message is taken meanwhile
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int MenuWindow(DWORD seconds, DWORD hang) {
    g_hangMs = hang;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MenuWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KdriverMenuTest";
    ::RegisterClassExW(&wc);
    HMENU bar = ::CreateMenu();
    const wchar_t* titles[] = {L"&File", L"Edit(&E)", L"&View"};
    for (const wchar_t* title : titles) {
        HMENU popup = ::CreatePopupMenu();
        ::AppendMenuW(popup, MF_STRING, kMark, L"Mark");
        ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), title);
    }
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"menu test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200, 500,
                                    300, nullptr, bar, wc.hInstance, nullptr);
    if (!window) return 1;
    ::SetForegroundWindow(window);
    const ULONGLONG start = ::GetTickCount64();
    MSG message;
    while (::GetTickCount64() - start < seconds * 1000ull) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return 0;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return 0;
}

double ClockNowMs() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND Window(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(text, nullptr, 0)));
}

} // namespace

int AccessibleWindow(DWORD seconds, const std::wstring& mode);

// -1 when the command is not one of these.
int MenuBarCommand(int argc, wchar_t** argv) {
    const std::wstring command = argv[1];
    if (command == L"edit-text" && argc >= 3) {
        HWND edit = ::FindWindowExW(Window(argv[2]), nullptr, L"Edit", nullptr);
        if (!edit) return 1;
        wchar_t text[4096] = {};
        DWORD_PTR length = 0;
        if (!::SendMessageTimeoutW(edit, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                   2000, &length))
            return 1;
        std::wprintf(L"%ls\n", text);
        return 0;
    }
    if (command == L"activate" && argc >= 3) {
        HWND window = Window(argv[2]);
        const double at = ClockNowMs();
        if (!::SetForegroundWindow(window)) return 1;
        std::wprintf(L"%.1f\n", at);
        return 0;
    }
    if (command == L"wait-shown" && argc >= 4) {
        const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argv[3]));
        ::timeBeginPeriod(1);
        HWND found = nullptr;
        do {
            found = ::FindWindowW(argv[2], nullptr);
            if (found && ::IsWindowVisible(found)) break;
            found = nullptr;
            ::Sleep(1);
        } while (::GetTickCount64() < deadline);
        const double at = ClockNowMs();
        ::timeEndPeriod(1);
        if (!found) return 1;
        std::wprintf(L"%lld %.1f\n", static_cast<long long>(reinterpret_cast<INT_PTR>(found)), at);
        return 0;
    }
    if (command == L"acc-window" && argc >= 3)
        return AccessibleWindow(static_cast<DWORD>(_wtoi(argv[2])), argc >= 4 ? argv[3] : L"");
    if (command == L"menu-window" && argc >= 3) {
        return MenuWindow(static_cast<DWORD>(_wtoi(argv[2])), argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 0);
    }
    return -1;
}
