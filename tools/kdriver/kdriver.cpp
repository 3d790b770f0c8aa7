// kdriver: the end-to-end tests' hands inside the Wine session. One command per call;
// results go to stdout, the exit code says whether the command (or its wait) succeeded.
//
//   kdriver find <class|-> [title|-] [timeout-ms]      prints the window handle (decimal)
//   kdriver gone <class|-> [title|-] [timeout-ms]      waits until no such window exists
//   kdriver windows [class]                            lists top-level windows
//   kdriver info <hwnd>                                class, title, process, thread, styles
//   kdriver rect <hwnd>                                left top right bottom
//   kdriver prop <hwnd> <name>                         a window property (decimal)
//   kdriver wait-prop <hwnd> <name> <value> [timeout]  waits until the property has that value
//   kdriver register <name>                            a registered message number
//   kdriver send <hwnd> <msg> <wparam> <lparam> [timeout-ms]
//   kdriver post <hwnd> <msg> <wparam> <lparam>
//   kdriver copydata <hwnd> <wparam|self> <dwData> <byte-count> [timeout-ms]
//                                                      "self": a window of this process
//   kdriver volume <hwnd> arrival|removal <letter>     a drive's device message
//   kdriver confirm-keys <hwnd> <first> <second>       confirms a key chord on the companion's
//                                                      pipe (prints the receipt), then posts it
//   kdriver screenshot <file.png> [x y width height]
//   kdriver add-exstyle <hwnd> <bits>                  adds extended style bits to another program's window
//   kdriver ini <file> <section> <key> <value>         writes one value of an INI file as the system does
//   kdriver launch <command line> [timeout-ms]         starts a program and waits for its first visible
//                                                      top-level window: prints "<hwnd> <pid> <ms>", ms
//                                                      on the machine-wide performance counter
//   kdriver show <hwnd> <SW_ command>                  ShowWindowAsync on another program's window
//   kdriver move <hwnd> <x> <y>                        moves another program's window, keeping its size
//   kdriver iconic <hwnd>                              prints 1 when minimised
//   kdriver setting-change <area>                      broadcasts WM_SETTINGCHANGE naming that area
//                                                      ("ImmersiveColorSet" after the app mode changed)
//   kdriver watcher <answer> <seconds> <log-file> [count]
//                                                      a stand-in "dockhook32" window (class and
//                                                      title) that answers 50014 and logs each ask;
//                                                      `count` such windows when given
//   kdriver crash <pid>                                faults a thread inside that process
//   kdriver children <hwnd>                            each child window: handle, class, visible,
//                                                      enabled, text
//   kdriver hold-hotkey <modifiers> <key> <seconds> [stop-file]
//                                                      holds a global hotkey (another program's
//                                                      combination) until the time is up or the
//                                                      file exists, then lets go and ends
//   kdriver folder-acl <path>                          prints the folder's owner and access entries
//   kdriver secure-folder <path>                       owner Administrators; full control for
//                                                      Administrators and SYSTEM, read for Users
//   kdriver drop <x> <y> <file>...                     drags the files with OLE and drops them at (x, y)
//   kdriver folder, shortcut, pad-load, pad-export, pad-import: see launchpad_commands.cpp
//   kdriver edit-text, activate, menu-window: see menubar_commands.cpp
//   kdriver acc-tree <hwnd>, acc-do <hwnd> <child id>: a window's elements as a screen
//                                                      reader reads them and uses them
//                                                      (acc-focus: moves its focus), see
//                                                      accessible_tree_command.cpp
//   kdriver tray-owner, tray-send: a program with tray icons, see tray_commands.cpp
//   kdriver lyrics-window, parent, post-at: see media_commands.cpp
// <msg> is a number or the name of a registered message; handles and numbers are decimal
// or 0x-prefixed hexadecimal.
#include "foundation/foreign_requests.h"

#include <windows.h>
#include <aclapi.h>
#include <dbt.h>
#include <objbase.h>
#include <mmsystem.h>
#include <sddl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

int LaunchpadCommand(int argc, wchar_t** argv);
int StackCommand(int argc, wchar_t** argv);
int MenuBarCommand(int argc, wchar_t** argv);
int DropFiles(int argc, wchar_t** argv);
int AccessibleTreeCommand(int argc, wchar_t** argv);
int TrayDriverCommand(int argc, wchar_t** argv);
int MediaCommand(int argc, wchar_t** argv);

namespace {

long long Number(const wchar_t* text) {
    return static_cast<long long>(std::wcstoull(text, nullptr, 0));
}

HWND Handle(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(Number(text)));
}

UINT MessageId(const wchar_t* text) {
    if (text[0] >= L'0' && text[0] <= L'9') return static_cast<UINT>(Number(text));
    return ::RegisterWindowMessageW(text);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

std::wstring TitleOf(HWND window) {
    wchar_t title[512] = {};
    ::GetWindowTextW(window, title, 512);
    return title;
}

BOOL CALLBACK CollectProc(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

// Top-level windows and then message-only ones, which the first list leaves out.
std::vector<HWND> AllWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&windows));
    for (HWND window = ::FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = ::FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        windows.push_back(window);
    return windows;
}

HWND FindTopLevel(const wchar_t* className, const wchar_t* title) {
    for (HWND window : AllWindows())
        if ((!className || ClassOf(window) == className) && (!title || TitleOf(window) == title)) return window;
    return nullptr;
}

const wchar_t* OrNull(int argc, wchar_t** argv, int index) {
    if (index >= argc || std::wcscmp(argv[index], L"-") == 0) return nullptr;
    return argv[index];
}

template <typename Condition>
bool WaitFor(DWORD timeoutMs, Condition condition) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(50);
    }
}

void ListWindow(HWND window, const wchar_t* filter) {
    const std::wstring cls = ClassOf(window);
    if (filter && cls != filter) return;
    RECT r{};
    ::GetWindowRect(window, &r);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    std::wprintf(L"%lld\t%ls\t%ls\tpid=%lu\tvisible=%d\trect=%ld,%ld,%ld,%ld\n",
                 static_cast<long long>(reinterpret_cast<INT_PTR>(window)), cls.c_str(), TitleOf(window).c_str(),
                 pid, ::IsWindowVisible(window) ? 1 : 0, r.left, r.top, r.right, r.bottom);
}

int Screenshot(const wchar_t* file, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) {
        x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
        y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
        width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
        height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    }
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY | CAPTUREBLT);
    ::SelectObject(memory, old);
    // The screen has no alpha; make the picture opaque.
    auto* pixels = static_cast<unsigned char*>(bits);
    for (long i = 0; i < static_cast<long>(width) * height; ++i) pixels[i * 4 + 3] = 255;

    int result = 1;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(file, GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        SUCCEEDED(frame->WritePixels(height, width * 4, width * height * 4, pixels)) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()))
        result = 0;
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (result == 0) std::wprintf(L"%ls %dx%d\n", file, width, height);
    return result;
}

struct Watcher {
    LRESULT answer = 0;
    FILE* log = nullptr;
} g_watcher;

LRESULT CALLBACK WatcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == 50014) {
        if (g_watcher.log) {
            std::fprintf(g_watcher.log, "%llu %lld\n", static_cast<unsigned long long>(wParam),
                          static_cast<long long>(lParam));
            std::fflush(g_watcher.log);
        }
        return g_watcher.answer;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunWatcher(LRESULT answer, DWORD seconds, const wchar_t* logFile, int count) {
    g_watcher.answer = answer;
    g_watcher.log = _wfopen(logFile, L"wb"); // plain LF lines for the shell
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WatcherProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"dockhook32";
    ::RegisterClassExW(&wc);
    HWND window = nullptr;
    for (int i = 0; i < std::max(1, count); ++i) { // several: decoys to hide the real one
        window = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"dockhook32", WS_POPUP, 0,
                                   0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        if (!window) return 1;
    }
    std::wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)));
    std::fflush(stdout);
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    MSG msg;
    while (::GetTickCount64() < end) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    if (g_watcher.log) std::fclose(g_watcher.log);
    return 0;
}

HWND OwnWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KdriverSender";
    ::RegisterClassExW(&wc);
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"kdriver", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

// Writes a key-chord confirmation to the companion's pipe as the program would; prints
// the receipt (1 accepted, 0 refused, -1 no pipe).
int ConfirmKeys(HWND companion, WORD first, WORD second) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(companion, &pid);
    const std::wstring name = L"\\\\.\\pipe\\Kestrana-companion-" + std::to_wstring(pid);
    HANDLE pipe = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    int receipt = -1;
    if (pipe != INVALID_HANDLE_VALUE) {
        const auto bytes = kestrana::foundation::EncodeConfirmation({kestrana::foundation::ConfirmKind::Keys, first, second});
        DWORD done = 0;
        unsigned char answer = 0;
        if (::WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            ::ReadFile(pipe, &answer, 1, &done, nullptr) && done == 1)
            receipt = answer;
        ::CloseHandle(pipe);
    }
    std::wprintf(L"%d\n", receipt);
    ::PostMessageW(companion, ::RegisterWindowMessageW(L"KestranaShareKey"), first, second);
    return receipt == 1 ? 0 : 1;
}

int FolderAcl(const wchar_t* path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (::GetNamedSecurityInfoW(path, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, nullptr, nullptr, &sd) != ERROR_SUCCESS)
        return 1;
    wchar_t* text = nullptr;
    if (::ConvertSecurityDescriptorToStringSecurityDescriptorW(sd, SDDL_REVISION_1,
                                                               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                               &text, nullptr)) {
        std::wprintf(L"%ls\n", text);
        ::LocalFree(text);
    }
    ::LocalFree(sd);
    return 0;
}

int SecureFolder(const wchar_t* path) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    // Protected: nothing inherited from C:\ (where everyone may write).
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)",
                                                                SDDL_REVISION_1, &sd, nullptr))
        return 1;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    ::GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted);
    ::GetSecurityDescriptorOwner(sd, &owner, &defaulted);
    const DWORD rc = ::SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT,
                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                                 PROTECTED_DACL_SECURITY_INFORMATION,
                                             owner, nullptr, dacl, nullptr);
    ::LocalFree(sd);
    return rc == ERROR_SUCCESS ? 0 : 1;
}

int CrashProcess(DWORD pid) {
    HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
    if (!process) return 1;
    // A thread that starts at address 8 faults at once inside the target, as a bug would.
    HANDLE thread = ::CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(8), nullptr, 0,
                                         nullptr);
    const int result = thread ? 0 : 1;
    if (thread) ::CloseHandle(thread);
    ::CloseHandle(process);
    return result;
}

double ClockMs() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct ProcessWindow {
    DWORD pid = 0;
    HWND found = nullptr;
};

BOOL CALLBACK ProcessWindowProc(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<ProcessWindow*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != query->pid || !::IsWindowVisible(window)) return TRUE;
    query->found = window;
    return FALSE;
}

// Polls every millisecond, so the time printed is within a millisecond or two of the
// window's showing.
int Launch(const wchar_t* commandLine, DWORD timeout) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ::timeBeginPeriod(1);
    ProcessWindow query{process.dwProcessId, nullptr};
    const ULONGLONG deadline = ::GetTickCount64() + timeout;
    for (;;) {
        ::EnumWindows(ProcessWindowProc, reinterpret_cast<LPARAM>(&query));
        if (query.found || ::GetTickCount64() >= deadline) break;
        ::Sleep(1);
    }
    const double seen = ClockMs();
    ::timeEndPeriod(1);
    if (!query.found) return 1;
    std::wprintf(L"%lld %lu %.1f\n", static_cast<long long>(reinterpret_cast<INT_PTR>(query.found)),
                 process.dwProcessId, seen);
    return 0;
}

int Usage() {
    std::fwprintf(stderr, L"kdriver: unknown or incomplete command (see the comment at the top of kdriver.cpp)\n");
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::wstring command = argv[1];

    if (command == L"find" && argc >= 3) {
        const wchar_t* cls = OrNull(argc, argv, 2);
        const wchar_t* title = OrNull(argc, argv, 3);
        const DWORD timeout = argc > 4 ? static_cast<DWORD>(Number(argv[4])) : 0;
        HWND found = nullptr;
        WaitFor(timeout, [&] { return (found = FindTopLevel(cls, title)) != nullptr; });
        if (!found) return 1;
        std::wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(found)));
        return 0;
    }
    if (command == L"gone" && argc >= 3) {
        const wchar_t* cls = OrNull(argc, argv, 2);
        const wchar_t* title = OrNull(argc, argv, 3);
        const DWORD timeout = argc > 4 ? static_cast<DWORD>(Number(argv[4])) : 0;
        return WaitFor(timeout, [&] { return FindTopLevel(cls, title) == nullptr; }) ? 0 : 1;
    }
    if (command == L"add-exstyle" && argc >= 4) {
        HWND window = Handle(argv[2]);
        const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE) | static_cast<LONG_PTR>(Number(argv[3]));
        ::SetLastError(0);
        return ::SetWindowLongPtrW(window, GWL_EXSTYLE, style) != 0 || ::GetLastError() == 0 ? 0 : 1;
    }
    if (command == L"ini" && argc >= 6) return ::WritePrivateProfileStringW(argv[3], argv[4], argv[5], argv[2]) ? 0 : 1;
    if (command == L"launch" && argc >= 3) return Launch(argv[2], argc > 3 ? static_cast<DWORD>(Number(argv[3])) : 10000);
    if (command == L"windows") {
        for (HWND window : AllWindows()) ListWindow(window, argc > 2 ? argv[2] : nullptr);
        return 0;
    }
    if (command == L"info" && argc >= 3) {
        HWND window = Handle(argv[2]);
        if (!::IsWindow(window)) return 1;
        DWORD pid = 0;
        const DWORD tid = ::GetWindowThreadProcessId(window, &pid);
        std::wprintf(L"class=%ls\ntitle=%ls\npid=%lu\ntid=%lu\nvisible=%d\nstyle=0x%08lx\nexstyle=0x%08lx\nowner=%lld\n",
                     ClassOf(window).c_str(), TitleOf(window).c_str(), pid, tid, ::IsWindowVisible(window) ? 1 : 0,
                     static_cast<unsigned long>(::GetWindowLongPtrW(window, GWL_STYLE)),
                     static_cast<unsigned long>(::GetWindowLongPtrW(window, GWL_EXSTYLE)),
                     static_cast<long long>(reinterpret_cast<INT_PTR>(::GetWindow(window, GW_OWNER))));
        return 0;
    }
    if (command == L"rect" && argc >= 3) {
        RECT r{};
        if (!::GetWindowRect(Handle(argv[2]), &r)) return 1;
        std::wprintf(L"%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (command == L"prop" && argc >= 4) {
        HWND window = Handle(argv[2]);
        if (!::IsWindow(window)) return 1;
        std::wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(::GetPropW(window, argv[3]))));
        return 0;
    }
    if (command == L"wait-prop" && argc >= 5) {
        HWND window = Handle(argv[2]);
        const long long want = Number(argv[4]);
        const DWORD timeout = argc > 5 ? static_cast<DWORD>(Number(argv[5])) : 0;
        return WaitFor(timeout, [&] {
                   return static_cast<long long>(reinterpret_cast<INT_PTR>(::GetPropW(window, argv[3]))) == want;
               })
                   ? 0
                   : 1;
    }
    if (command == L"register" && argc >= 3) {
        std::wprintf(L"%u\n", ::RegisterWindowMessageW(argv[2]));
        return 0;
    }
    if (command == L"send" && argc >= 6) {
        const UINT timeout = argc > 6 ? static_cast<UINT>(Number(argv[6])) : 5000;
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(Handle(argv[2]), MessageId(argv[3]), static_cast<WPARAM>(Number(argv[4])),
                                   static_cast<LPARAM>(Number(argv[5])), SMTO_NORMAL, timeout, &result))
            return 1;
        std::wprintf(L"%lld\n", static_cast<long long>(result));
        return 0;
    }
    if (command == L"post" && argc >= 6) {
        return ::PostMessageW(Handle(argv[2]), MessageId(argv[3]), static_cast<WPARAM>(Number(argv[4])),
                              static_cast<LPARAM>(Number(argv[5])))
                   ? 0
                   : 1;
    }
    if (command == L"volume" && argc >= 5) {
        // kdriver volume <window> arrival|removal <letter>: the device message the system
        // sends every top-level window when a drive comes or goes.
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        const wchar_t letter = static_cast<wchar_t>(std::towupper(argv[4][0]));
        if (letter < L'A' || letter > L'Z') return Usage();
        volume.dbcv_unitmask = 1u << (letter - L'A');
        const WPARAM event = std::wcscmp(argv[3], L"arrival") == 0 ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(Handle(argv[2]), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume),
                                     SMTO_NORMAL, 5000, &result)
                   ? 0
                   : 1;
    }
    if (command == L"copydata" && argc >= 6) {
        std::vector<unsigned char> payload(static_cast<std::size_t>(Number(argv[5])), 0);
        COPYDATASTRUCT data{};
        data.dwData = static_cast<ULONG_PTR>(Number(argv[4]));
        data.cbData = static_cast<DWORD>(payload.size());
        data.lpData = payload.empty() ? nullptr : payload.data();
        const UINT timeout = argc > 6 ? static_cast<UINT>(Number(argv[6])) : 5000;
        DWORD_PTR result = 0;
        const WPARAM sender = std::wcscmp(argv[3], L"self") == 0 ? reinterpret_cast<WPARAM>(OwnWindow())
                                                                  : static_cast<WPARAM>(Number(argv[3]));
        if (!::SendMessageTimeoutW(Handle(argv[2]), WM_COPYDATA, sender,
                                   reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, timeout, &result))
            return 1;
        std::wprintf(L"%lld\n", static_cast<long long>(result));
        return 0;
    }
    if (command == L"show" && argc >= 4) {
        return ::ShowWindowAsync(Handle(argv[2]), static_cast<int>(Number(argv[3]))) ? 0 : 1;
    }
    if (command == L"move" && argc >= 5) {
        return ::SetWindowPos(Handle(argv[2]), nullptr, static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])),
                              0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (command == L"setting-change" && argc >= 3) {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(argv[2]),
                                     SMTO_ABORTIFHUNG, 5000, &result)
                   ? 0
                   : 1;
    }
    if (command == L"iconic" && argc >= 3) {
        std::wprintf(L"%d\n", ::IsIconic(Handle(argv[2])) ? 1 : 0);
        return 0;
    }
    if (command == L"children" && argc >= 3) {
        ::EnumChildWindows(
            Handle(argv[2]),
            [](HWND child, LPARAM) -> BOOL {
                wchar_t cls[128] = {}, text[512] = {};
                ::GetClassNameW(child, cls, 128);
                ::GetWindowTextW(child, text, 512);
                // UTF-8, so that labels of any language reach the script whole.
                const std::wstring line = std::to_wstring(reinterpret_cast<INT_PTR>(child)) + L" " + cls +
                                          L" visible=" + (::IsWindowVisible(child) ? L"1" : L"0") +
                                          L" enabled=" + (::IsWindowEnabled(child) ? L"1" : L"0") + L"\t" + text + L"\n";
                const int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                                       nullptr, nullptr);
                std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
                if (size > 0)
                    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size,
                                          nullptr, nullptr);
                std::fwrite(bytes.data(), 1, bytes.size(), stdout);
                return TRUE;
            },
            0);
        return 0;
    }
    if (command == L"hold-hotkey" && argc >= 5) {
        if (!::RegisterHotKey(nullptr, 1, static_cast<UINT>(Number(argv[2])), static_cast<UINT>(Number(argv[3])))) return 1;
        std::wprintf(L"held\n");
        std::fflush(stdout);
        // Ends on its own: a Wine process killed from outside takes its X resources with it,
        // which the other processes of the session do not survive.
        const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(Number(argv[4])) * 1000;
        while (::GetTickCount64() < end && (argc < 6 || ::GetFileAttributesW(argv[5]) == INVALID_FILE_ATTRIBUTES))
            ::Sleep(100);
        ::UnregisterHotKey(nullptr, 1);
        return 0;
    }
    if (command == L"foreground") {
        std::wprintf(L"%lld\n", static_cast<long long>(reinterpret_cast<UINT_PTR>(::GetForegroundWindow())));
        return 0;
    }
    if (command == L"watcher" && argc >= 5) {
        return RunWatcher(static_cast<LRESULT>(Number(argv[2])), static_cast<DWORD>(Number(argv[3])), argv[4],
                          argc >= 6 ? static_cast<int>(Number(argv[5])) : 1);
    }
    if (command == L"confirm-keys" && argc >= 5) {
        return ConfirmKeys(Handle(argv[2]), static_cast<WORD>(Number(argv[3])), static_cast<WORD>(Number(argv[4])));
    }
    if (command == L"folder-acl" && argc >= 3) return FolderAcl(argv[2]);
    if (command == L"secure-folder" && argc >= 3) return SecureFolder(argv[2]);
    if (command == L"crash" && argc >= 3) {
        return CrashProcess(static_cast<DWORD>(Number(argv[2])));
    }
    if (const int launchpad = LaunchpadCommand(argc, argv); launchpad >= 0) return launchpad;
    if (const int stack = StackCommand(argc, argv); stack >= 0) return stack;
    if (const int menus = MenuBarCommand(argc, argv); menus >= 0) return menus;
    if (const int tree = AccessibleTreeCommand(argc, argv); tree >= 0) return tree;
    if (const int tray = TrayDriverCommand(argc, argv); tray >= 0) return tray;
    if (const int media = MediaCommand(argc, argv); media >= 0) return media;
    if (command == L"drop" && argc >= 5) return DropFiles(argc, argv);
    if (command == L"screenshot" && argc >= 3) {
        if (argc >= 7)
            return Screenshot(argv[2], static_cast<int>(Number(argv[3])), static_cast<int>(Number(argv[4])),
                              static_cast<int>(Number(argv[5])), static_cast<int>(Number(argv[6])));
        return Screenshot(argv[2], 0, 0, 0, 0);
    }
    return Usage();
}
