#include "menubar/win32/app_window.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/companion_channel.h"
#include "foundation/hook_protocol.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/system_function.h"
#include "menubar/accessible_menu_track.h"

#include <cstdio>

namespace kestrana::menubar::win32 {
namespace {

std::wstring ClassOf(HWND window) {
    wchar_t text[256] = {};
    ::GetClassNameW(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::wstring ImagePath(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    HANDLE process = pid ? ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr;
    if (!process) return {};
    wchar_t path[MAX_PATH * 4] = {};
    DWORD size = static_cast<DWORD>(std::size(path));
    const bool named = ::QueryFullProcessImageNameW(process, 0, path, &size) != FALSE;
    ::CloseHandle(process);
    return named ? std::wstring(path, size) : std::wstring();
}

bool IsHung(HWND window) {
    using IsHungFn = BOOL(WINAPI*)(HWND);
    static const auto isHung = kestrana::win32::LoadedFunction<IsHungFn>(L"user32.dll", "IsHungAppWindow");
    if (isHung) return isHung(window) != FALSE;
    // Without the call: a window that does not take a message within 50 ms counts as hung.
    DWORD_PTR result = 0;
    return !::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 50, &result) &&
           ::GetLastError() == ERROR_TIMEOUT;
}

} // namespace

ForegroundFacts ReadForegroundFacts(HWND window, HMONITOR barMonitor) noexcept {
    ForegroundFacts facts;
    try {
        if (!window || !::IsWindow(window)) return facts;
        facts.exists = true;
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        facts.ours = pid == ::GetCurrentProcessId();
        facts.onThisScreen = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) == barMonitor;
        facts.desktop = window == ::GetDesktopWindow() || window == ::GetShellWindow();
        facts.className = ClassOf(window);
        wchar_t title[256] = {};
        // Reads the text the system keeps; never waits on the window.
        ::InternalGetWindowText(window, title, static_cast<int>(std::size(title)));
        facts.title = title;
        facts.exStyle = static_cast<std::uint32_t>(::GetWindowLongPtrW(window, GWL_EXSTYLE));
        if (!facts.ours) {
            facts.imagePath = ImagePath(window);
            facts.hung = IsHung(window);
        }
    } catch (...) {
        foundation::LogCaught("front window facts");
        facts = {};
    }
    return facts;
}

std::wstring FileDescription(const std::wstring& path) noexcept {
    try {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (!size || size > 4 * 1024 * 1024) return {};
        std::vector<std::uint8_t> data(size);
        if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
        struct Translation {
            WORD language;
            WORD codePage;
        };
        Translation* translations = nullptr;
        UINT length = 0;
        std::vector<Translation> tries;
        if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length))
            tries.assign(translations, translations + length / sizeof(Translation));
        tries.push_back({0x0409, 0x04B0});
        for (const auto& t : tries) {
            wchar_t key[64];
            std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileDescription", t.language, t.codePage);
            wchar_t* text = nullptr;
            if (::VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&text), &length) && text && length > 1)
                return std::wstring(text, wcsnlen(text, length));
        }
    } catch (...) {
        foundation::LogCaught("front window facts");
    }
    return {};
}

MenuBarRead ReadMenuBar(HWND window) noexcept {
    MenuBarRead read;
    try {
        if (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) return read;
        read.menu = ::GetMenu(window);
        if (!read.menu) return read;
        // A handle of another process's private menu reads as no menu at all.
        const int count = ::GetMenuItemCount(read.menu);
        if (count < 0) return read;
        read.readable = true;
        for (int i = 0; i < count && read.titles.size() < 64; ++i) {
            wchar_t text[256] = {};
            ::GetMenuStringW(read.menu, static_cast<UINT>(i), text, static_cast<int>(std::size(text)), MF_BYPOSITION);
            read.titles.emplace_back(text);
        }
    } catch (...) {
        foundation::LogCaught("front window facts");
        read = {};
    }
    return read;
}

HWND MenuPopupOf(HWND window) noexcept {
    DWORD pid = 0;
    if (!window || !::GetWindowThreadProcessId(window, &pid) || !pid) return nullptr;
    for (const wchar_t* cls : kMenuPopupClasses) {
        HWND popup = nullptr;
        // A bound on the walk: a process never shows this many menus at once.
        for (int i = 0; i < 64 && (popup = ::FindWindowExW(nullptr, popup, cls, nullptr)) != nullptr; ++i) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(popup, &owner);
            if (owner == pid && ::IsWindowVisible(popup)) return popup;
        }
    }
    return nullptr;
}

HWND CompanionFor(HWND window) noexcept {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    BOOL wow = FALSE;
    if (HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        if (!::IsWow64Process(process, &wow)) wow = FALSE;
        ::CloseHandle(process);
    }
    const std::wstring role(wow ? foundation::kCompanion32Class : foundation::kCompanion64Class);
    return ::FindWindowW(role.c_str(), nullptr);
}

bool AskCompanion(HWND companion, std::uint32_t number) noexcept {
    static const UINT share = ::RegisterWindowMessageW(std::wstring(foundation::kMsgShare).c_str());
    // The companion hooks the application's thread only for a request the program vouched for.
    return companion && share &&
           kestrana::win32::ConfirmToCompanion(companion, {foundation::ConfirmKind::MenuRequest, number, 0}) &&
           ::PostMessageW(companion, share, foundation::kShareMenuRequest, static_cast<LPARAM>(number)) != FALSE;
}

} // namespace kestrana::menubar::win32
