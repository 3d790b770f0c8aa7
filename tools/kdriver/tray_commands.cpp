// kdriver tray-owner <log-file> <stop-file> <seconds> [popup=<class>] <id:version:tip>...
//     a program with notification-area icons: a hidden window that announces its icons to
//     the hosted tray (the "Shell_TrayWnd" with a "TrayNotifyWnd" child) with the records
//     the shell sends, writes every callback message it receives to the log file
//     ("<message> <wParam> <lParam>", decimal), announces again on "TaskbarCreated"
//     ("announce" in the log), prints its window handle once its icons are sent, and ends
//     when the time is up or the stop file exists, without taking its icons away. Posted
//     WM_APP + 2 (wParam: milliseconds), it stops answering for that long. With a popup
//     class, the first hover over an icon opens a window of that class at (0, 400), as
//     chat programs open their unread-messages pop-up.
// kdriver tray-send <owner> <add|modify|delete|version|balloon|icon> <id> [tip|version|text|handle] [layout-size]
//     one record on behalf of <owner>; prints the tray's answer. A balloon is a modify
//     that carries the text with the title "Note"; an icon is a modify that carries only
//     a new icon handle (a program flashing its icon sends such records in turn).
// kdriver taskbar-back <seconds>
//     a taskbar that comes back: a topmost "Shell_TrayWnd" made now, above every other, that
//     announces itself with "TaskbarCreated"; after the time, prints which window a look for
//     the taskbar by class finds first ("first=mine" or "first=other").
#include "menubar/tray/tray_record.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace kestrana::menubar::tray;

constexpr UINT kCallback = WM_APP + 1;

struct OwnedIcon {
    std::uint32_t id = 0;
    std::uint32_t version = 0;
    std::wstring tip;
};

struct Owner {
    std::vector<OwnedIcon> icons;
    FILE* log = nullptr;
    std::wstring stopFile;
    ULONGLONG end = 0;
    UINT created = 0;
    std::wstring popupClass;
    HWND popup = nullptr;
};
Owner g_owner;

HWND HostedTray() {
    HWND tray = nullptr;
    while ((tray = ::FindWindowExW(nullptr, tray, L"Shell_TrayWnd", nullptr)) != nullptr)
        if (::FindWindowExW(tray, nullptr, L"TrayNotifyWnd", nullptr)) return tray;
    return nullptr;
}

LRESULT Send(HWND owner, const TrayCommand& command, std::uint32_t layout) {
    HWND tray = HostedTray();
    if (!tray) return -1;
    std::vector<std::uint8_t> bytes = EncodeTrayRecord(command, layout);
    COPYDATASTRUCT data{kTrayCopyDataKind, static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(tray, WM_COPYDATA, reinterpret_cast<WPARAM>(owner), reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 5000, &answer))
        return -1;
    return static_cast<LRESULT>(answer);
}

std::uint32_t Bits(const void* handle) { return static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(handle)); }

bool Announce(HWND window) {
    bool all = true;
    for (const OwnedIcon& icon : g_owner.icons) {
        TrayCommand add;
        add.verb = TrayVerb::Add;
        add.owner = Bits(window);
        add.id = icon.id;
        add.fields = kFieldMessage | kFieldIcon | kFieldTip;
        add.callback = kCallback;
        add.icon = Bits(::LoadIconW(nullptr, icon.version >= 4 ? IDI_INFORMATION : IDI_WARNING));
        add.tip = icon.tip;
        all &= Send(window, add, kIconDataFullSize) == TRUE;
        if (icon.version > 0) {
            TrayCommand version = add;
            version.verb = TrayVerb::SetVersion;
            version.fields = 0;
            version.version = icon.version;
            all &= Send(window, version, kIconDataFullSize) == TRUE;
        }
    }
    return all;
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallback) {
        if ((lParam & 0xFFFF) == WM_MOUSEMOVE && !g_owner.popupClass.empty() && !g_owner.popup) {
            g_owner.popup = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, g_owner.popupClass.c_str(), L"unread",
                                              WS_POPUP | WS_VISIBLE, 0, 400, 200, 80, nullptr, nullptr,
                                              ::GetModuleHandleW(nullptr), nullptr);
        }
        std::fprintf(g_owner.log, "%u %llu %llu\n", message, static_cast<unsigned long long>(wParam),
                     static_cast<unsigned long long>(static_cast<ULONG_PTR>(lParam)));
        std::fflush(g_owner.log);
        return 0;
    }
    if (message == WM_APP + 2) {
        ::Sleep(static_cast<DWORD>(wParam)); // a program that hangs
        return 0;
    }
    if (message == g_owner.created && g_owner.created) {
        std::fprintf(g_owner.log, "announce %d\n", Announce(window) ? 1 : 0);
        std::fflush(g_owner.log);
        return 0;
    }
    if (message == WM_TIMER) {
        if (::GetTickCount64() >= g_owner.end || ::GetFileAttributesW(g_owner.stopFile.c_str()) != INVALID_FILE_ATTRIBUTES)
            ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunOwner(int argc, wchar_t** argv) {
    g_owner.log = _wfopen(argv[2], L"w");
    if (!g_owner.log) return 1;
    g_owner.stopFile = argv[3];
    g_owner.end = ::GetTickCount64() + std::wcstoull(argv[4], nullptr, 10) * 1000;
    for (int i = 5; i < argc; ++i) {
        if (std::wcsncmp(argv[i], L"popup=", 6) == 0) {
            g_owner.popupClass = argv[i] + 6;
            WNDCLASSW popup{};
            popup.lpfnWndProc = ::DefWindowProcW;
            popup.hInstance = ::GetModuleHandleW(nullptr);
            popup.lpszClassName = g_owner.popupClass.c_str();
            popup.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
            ::RegisterClassW(&popup);
            continue;
        }
        OwnedIcon icon;
        wchar_t* rest = nullptr;
        icon.id = static_cast<std::uint32_t>(std::wcstoul(argv[i], &rest, 10));
        if (*rest == L':') icon.version = static_cast<std::uint32_t>(std::wcstoul(rest + 1, &rest, 10));
        if (*rest == L':') icon.tip = rest + 1;
        g_owner.icons.push_back(std::move(icon));
    }
    g_owner.created = ::RegisterWindowMessageW(L"TaskbarCreated");
    WNDCLASSW wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KdriverTrayOwner";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"tray owner", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, 1, 100, nullptr);
    const bool sent = Announce(window);
    std::wprintf(L"%lld%ls\n", static_cast<long long>(reinterpret_cast<INT_PTR>(window)), sent ? L"" : L" unsent");
    std::fflush(stdout);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    std::fclose(g_owner.log);
    return 0;
}

int SendOne(int argc, wchar_t** argv) {
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[2], nullptr, 0)));
    const std::wstring verb = argv[3];
    TrayCommand c;
    c.owner = Bits(owner);
    c.id = static_cast<std::uint32_t>(std::wcstoul(argv[4], nullptr, 10));
    if (verb == L"add") c.verb = TrayVerb::Add;
    else if (verb == L"modify") c.verb = TrayVerb::Modify;
    else if (verb == L"delete") c.verb = TrayVerb::Delete;
    else if (verb == L"version") c.verb = TrayVerb::SetVersion;
    else if (verb == L"balloon") c.verb = TrayVerb::Modify;
    else if (verb == L"icon") c.verb = TrayVerb::Modify;
    else return 2;
    if (argc >= 6 && c.verb == TrayVerb::SetVersion) c.version = static_cast<std::uint32_t>(std::wcstoul(argv[5], nullptr, 10));
    else if (argc >= 6 && verb == L"icon") {
        c.fields = kFieldIcon;
        c.icon = static_cast<std::uint32_t>(std::wcstoul(argv[5], nullptr, 10));
    } else if (argc >= 6 && verb == L"balloon") {
        c.fields = kFieldInfo;
        c.info = argv[5];
        c.infoTitle = L"Note";
    } else if (argc >= 6) {
        c.fields = kFieldTip;
        c.tip = argv[5];
    }
    if (c.verb == TrayVerb::Add) {
        c.fields |= kFieldMessage;
        c.callback = kCallback;
    }
    const std::uint32_t layout = argc >= 7 ? static_cast<std::uint32_t>(std::wcstoul(argv[6], nullptr, 10)) : kIconDataFullSize;
    const LRESULT answer = Send(owner, c, layout);
    std::wprintf(L"%lld\n", static_cast<long long>(answer));
    return answer == TRUE ? 0 : 1;
}

int TaskbarBack(wchar_t** argv) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    ::RegisterClassW(&wc);
    HWND mine = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (!mine) return 1;
    std::wprintf(L"made first=%ls\n", ::FindWindowW(L"Shell_TrayWnd", nullptr) == mine ? L"mine" : L"other");
    ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    const ULONGLONG end = ::GetTickCount64() + std::wcstoull(argv[2], nullptr, 10) * 1000;
    while (::GetTickCount64() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(50);
    }
    std::wprintf(L"first=%ls\n", ::FindWindowW(L"Shell_TrayWnd", nullptr) == mine ? L"mine" : L"other");
    std::fflush(stdout);
    ::DestroyWindow(mine);
    return 0;
}

} // namespace

int TrayDriverCommand(int argc, wchar_t** argv) {
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    if (command == L"tray-owner" && argc >= 5) return RunOwner(argc, argv);
    if (command == L"tray-send" && argc >= 5) return SendOne(argc, argv);
    if (command == L"taskbar-back" && argc >= 3) return TaskbarBack(argv);
    return -1;
}
