// kdriver lyrics-window <class> <title> <seconds>: a stand-in for a music player's desktop
// lyrics, 420 x 110 at (300, 300): a grey frame with a green line of "lyrics" from
// (15, 53) to (405, 77), where the player numbers of section "Lyrics" say the line of
// a "DesktopLyrics" window is. Prints its handle, then lives for <seconds>.
// kdriver parent <hwnd>: prints the window's parent handle and class ("0 -" for none).
// kdriver post-at <hwnd> <msg> <wparam> <lparam>: posts the message and prints when, in
// ms on the machine-wide performance counter (the program logs its drawing on the same).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

LRESULT CALLBACK LyricsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT all{};
        ::GetClientRect(window, &all);
        HBRUSH frame = ::CreateSolidBrush(RGB(90, 90, 90));
        HBRUSH line = ::CreateSolidBrush(RGB(0, 200, 0));
        ::FillRect(dc, &all, frame);
        RECT text{15, 53, 405, 77};
        ::FillRect(dc, &text, line);
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, L"LYRICS LINE", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        ::DeleteObject(frame);
        ::DeleteObject(line);
        ::EndPaint(window, &ps);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int MediaCommand(int argc, wchar_t** argv) {
    const std::wstring command = argv[1];
    if (command == L"post-at" && argc >= 6) {
        const auto number = [](const wchar_t* text) { return std::wcstoll(text, nullptr, 0); };
        LARGE_INTEGER now{}, frequency{};
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&now);
        if (!::PostMessageW(reinterpret_cast<HWND>(static_cast<INT_PTR>(number(argv[2]))), static_cast<UINT>(number(argv[3])),
                            static_cast<WPARAM>(number(argv[4])), static_cast<LPARAM>(number(argv[5]))))
            return 1;
        std::wprintf(L"%.3f\n", static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart));
        return 0;
    }
    if (command == L"parent" && argc >= 3) {
        HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[2], nullptr, 0)));
        if (!::IsWindow(window)) return 1;
        HWND parent = ::GetAncestor(window, GA_PARENT);
        if (!parent || parent == ::GetDesktopWindow()) {
            std::wprintf(L"0 -\n");
            return 0;
        }
        wchar_t cls[256] = {};
        ::GetClassNameW(parent, cls, 256);
        std::wprintf(L"%lld %ls\n", static_cast<long long>(reinterpret_cast<INT_PTR>(parent)), cls);
        return 0;
    }
    if (command != L"lyrics-window" || argc < 5) return -1;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = LyricsProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = argv[2];
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, argv[2], argv[3], WS_POPUP | WS_VISIBLE, 300, 300, 420,
                                    110, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 1;
    std::wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    std::fflush(stdout);
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argv[4])) * 1000;
    ::SetTimer(nullptr, 0, 200, nullptr);
    MSG msg;
    while (::GetTickCount64() < end && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
