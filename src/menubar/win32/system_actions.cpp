#include "menubar/win32/system_actions.h"

#include "foundation/diagnostic_log.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/process_start.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/taskbar_window.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/bitmap_info.h"

#include <dwmapi.h>
#include <imm.h>
#include <powrprof.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <cwctype>
#include <thread>

namespace kestrana::menubar::win32 {
namespace {

using kestrana::win32::UniqueRegKey;

std::optional<DWORD> ReadDword(HKEY root, const wchar_t* path, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (::RegGetValueW(root, path, name, RRF_RT_REG_DWORD, &type, &value, &size) != ERROR_SUCCESS) return std::nullopt;
    return value;
}

bool KeyExists(HKEY root, const wchar_t* path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
    ::RegCloseKey(raw);
    return true;
}

constexpr wchar_t kInputMethodsKey[] = L"Software\\Microsoft\\CTF\\SortOrder\\AssemblyItem";

std::wstring LocaleText(LANGID language, LCTYPE what) {
    wchar_t text[128] = {};
    if (!::GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), what, text, 128)) return {};
    return text;
}

std::wstring LayoutText(DWORD layoutId) {
    wchar_t path[128];
    ::swprintf(path, 128, L"SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\%08X", layoutId);
    wchar_t text[128] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, path, L"Layout Text", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

std::vector<std::wstring> SubKeys(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Each language's sub-key holds its profiles (keyboard layouts and text services).
std::vector<InputMethod> InputMethodsFromRegistry() {
    std::vector<InputMethod> methods;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInputMethodsKey, 0, KEY_READ, &raw) != ERROR_SUCCESS) return methods;
    UniqueRegKey root(raw);
    for (const std::wstring& languageKey : SubKeys(root.Get())) {
        const LANGID language = static_cast<LANGID>(std::wcstoul(languageKey.c_str(), nullptr, 16));
        if (!language) continue;
        HKEY rawLanguage = nullptr;
        if (::RegOpenKeyExW(root.Get(), languageKey.c_str(), 0, KEY_READ, &rawLanguage) != ERROR_SUCCESS) continue;
        UniqueRegKey languageRoot(rawLanguage);
        for (const std::wstring& category : SubKeys(languageRoot.Get())) {
            HKEY rawCategory = nullptr;
            if (::RegOpenKeyExW(languageRoot.Get(), category.c_str(), 0, KEY_READ, &rawCategory) != ERROR_SUCCESS) continue;
            UniqueRegKey categoryKey(rawCategory);
            for (const std::wstring& item : SubKeys(categoryKey.Get())) {
                const DWORD layoutId = ReadDword(categoryKey.Get(), item.c_str(), L"KeyboardLayout").value_or(0);
                InputMethod method;
                method.language = language;
                method.layout = layoutId ? reinterpret_cast<HKL>(static_cast<UINT_PTR>(layoutId)) : nullptr;
                const std::wstring languageName = LocaleText(language, LOCALE_SLOCALIZEDDISPLAYNAME);
                const std::wstring layoutName = layoutId ? LayoutText(layoutId) : std::wstring();
                method.name = layoutName.empty() ? languageName : languageName + L" - " + layoutName;
                methods.push_back(std::move(method));
            }
        }
    }
    return methods;
}

void Press(std::vector<INPUT>& inputs, WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
}

} // namespace

bool Win32PowerPort::EnableShutdownPrivilege() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return false;
    kestrana::win32::UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
    return ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) &&
           ::GetLastError() == ERROR_SUCCESS;
}

bool Win32PowerPort::EndSession(std::uint32_t flags, std::uint32_t reason) {
    if (::ExitWindowsEx(flags, reason)) return true;
    foundation::LogFailure("power", L"log-off refused, error " + std::to_wstring(::GetLastError()));
    return false;
}

bool Win32PowerPort::StartShutdown(std::uint32_t flags, std::uint32_t reason) {
    const DWORD error = ::InitiateShutdownW(nullptr, nullptr, 0, flags, reason);
    if (error == ERROR_SUCCESS) return true;
    foundation::LogFailure("power", L"shut-down refused, error " + std::to_wstring(error));
    return false;
}

bool Win32PowerPort::Suspend(bool hibernate, bool force) {
    if (::SetSuspendState(hibernate ? TRUE : FALSE, force ? TRUE : FALSE, FALSE)) return true;
    foundation::LogFailure("power", L"suspend refused, error " + std::to_wstring(::GetLastError()));
    return false;
}

std::optional<std::uint32_t> Win32PowerPort::EnhancedShutdown() {
    return ReadDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\WindowsUpdate\\Orchestrator", L"EnhancedShutdownEnabled");
}

bool HibernateAllowed() noexcept { return ::IsPwrHibernateAllowed() != FALSE; }

bool UpdatesWaiting() noexcept {
    return KeyExists(HKEY_LOCAL_MACHINE,
                     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired");
}

void LockScreen() noexcept {
    kestrana::win32::StartWithShell({.file =
        L"RunDll32.exe", .arguments = L"user32.dll,LockWorkStation"}, "lock screen");
}

void Open(const std::wstring& what) noexcept {
    kestrana::win32::StartWithShell({.file = what.c_str()}, "menu bar open");
}

std::vector<RecentFile> RecentFiles(std::size_t most) noexcept {
    std::vector<RecentFile> files;
    try {
        PWSTR raw = nullptr;
        if (FAILED(::SHGetKnownFolderPath(FOLDERID_Recent, 0, nullptr, &raw))) return files;
        const std::wstring folder = raw;
        ::CoTaskMemFree(raw);
        struct Found {
            RecentFile file;
            FILETIME written;
        };
        std::vector<Found> found;
        WIN32_FIND_DATAW data{};
        kestrana::win32::UniqueFind find(::FindFirstFileW((folder + L"\\*.lnk").c_str(), &data));
        if (!find) return files;
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::wstring name = data.cFileName;
            name.resize(name.size() - 4);
            found.push_back({{name, folder + L"\\" + data.cFileName}, data.ftLastWriteTime});
        } while (::FindNextFileW(find.Get(), &data));
        std::sort(found.begin(), found.end(),
                  [](const Found& a, const Found& b) { return ::CompareFileTime(&a.written, &b.written) > 0; });
        for (std::size_t i = 0; i < found.size() && i < most; ++i) files.push_back(std::move(found[i].file));
    } catch (...) {
        foundation::LogCaught("recent files");
    }
    return files;
}

void EmptyTrash(HWND owner) noexcept {
    const HRESULT hr = ::SHEmptyRecycleBinW(owner, nullptr, 0);
    if (FAILED(hr) && hr != E_UNEXPECTED) // E_UNEXPECTED: it was empty already
        foundation::LogFailure("empty trash", L"refused, " + std::to_wstring(static_cast<unsigned long>(hr)));
}

bool TaskbarHidden() noexcept {
    HWND taskbar = kestrana::win32::FindTaskbarWindow();
    return taskbar && !::IsWindowVisible(taskbar);
}

void SetTaskbarShown(bool shown) noexcept {
    for (const wchar_t* cls : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
        for (HWND w = ::FindWindowExW(nullptr, nullptr, cls, nullptr); w; w = ::FindWindowExW(nullptr, w, cls, nullptr))
            if (!kestrana::win32::OfThisProcess(w)) ::ShowWindow(w, shown ? SW_SHOWNA : SW_HIDE);
    }
}

bool ShowBrightnessIndicator() noexcept {
    static std::atomic<bool> told{false};
    static const UINT shellHook = ::RegisterWindowMessageW(foundation::kMsgShellHook.data());
    HWND host = ::FindWindowW(L"NativeHWNDHost", L"");
    if (!host || !shellHook) {
        if (!told.exchange(true)) foundation::LogDetail("brightness", L"the shell shows no brightness indicator here");
        return false;
    }
    // Code 55 is the shell's "brightness changed" event; its indicator reads the new level itself.
    return ::PostMessageW(host, shellHook, 55, 0) != FALSE;
}

void PressWindowsKeyWith(WORD key) noexcept {
    std::vector<INPUT> inputs;
    Press(inputs, VK_LWIN, false);
    Press(inputs, key, false);
    Press(inputs, key, true);
    Press(inputs, VK_LWIN, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<InputMethod> ReadInputMethods() noexcept {
    try {
        std::vector<InputMethod> methods = InputMethodsFromRegistry();
        if (!methods.empty()) return methods;
        // Without the text services' list (older systems, Wine): the loaded layouts.
        HKL layouts[32];
        const int count = ::GetKeyboardLayoutList(32, layouts);
        for (int i = 0; i < count; ++i) {
            InputMethod method;
            method.language = LOWORD(reinterpret_cast<UINT_PTR>(layouts[i]));
            method.layout = layouts[i];
            method.name = LocaleText(method.language, LOCALE_SLOCALIZEDDISPLAYNAME);
            methods.push_back(std::move(method));
        }
        return methods;
    } catch (...) {
        foundation::LogCaught("input methods");
        return {};
    }
}

HKL ForegroundLayout() noexcept {
    HWND foreground = ::GetForegroundWindow();
    const DWORD thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    return ::GetKeyboardLayout(thread);
}

void SelectInputMethod(const InputMethod& method) noexcept {
    HWND foreground = ::GetForegroundWindow();
    HKL layout = method.layout ? method.layout
                               : reinterpret_cast<HKL>(static_cast<UINT_PTR>(MAKELONG(method.language, method.language)));
    if (foreground) ::PostMessageW(foreground, WM_INPUTLANGCHANGEREQUEST, 0, reinterpret_cast<LPARAM>(layout));
}

std::wstring LanguageTag(LANGID language) noexcept {
    if (PRIMARYLANGID(language) == LANG_CHINESE) return L"\u4E2D";
    std::wstring tag = LocaleText(language, LOCALE_SISO639LANGNAME);
    for (auto& c : tag) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return tag.empty() ? L"?" : tag;
}

std::optional<bool> ForegroundImeOpen() noexcept {
    HWND foreground = ::GetForegroundWindow();
    HWND ime = foreground ? ::ImmGetDefaultIMEWnd(foreground) : nullptr;
    if (!ime) return std::nullopt;
    DWORD_PTR open = 0;
    if (!::SendMessageTimeoutW(ime, WM_IME_CONTROL, 0x5 /* IMC_GETOPENSTATUS */, 0, SMTO_ABORTIFHUNG, 100, &open))
        return std::nullopt;
    return open != 0;
}

void SetForegroundImeOpen(bool open) noexcept {
    HWND foreground = ::GetForegroundWindow();
    HWND ime = foreground ? ::ImmGetDefaultIMEWnd(foreground) : nullptr;
    DWORD_PTR ignored = 0;
    if (ime) ::SendMessageTimeoutW(ime, WM_IME_CONTROL, 0x6 /* IMC_SETOPENSTATUS */, open, SMTO_ABORTIFHUNG, 100, &ignored);
}

namespace {
// The shell publishes focus assist's profile as a notification state (a 32-bit value:
// 0 off, 1 priority only, 2 alarms only).
constexpr std::uint64_t kQuietHoursState = 0x0D83063EA3BF1C75ull;
using QueryStateFn = LONG(NTAPI*)(const std::uint64_t*, const void*, const void*, ULONG*, void*, ULONG*);
using UpdateStateFn = LONG(NTAPI*)(const std::uint64_t*, const void*, ULONG, const void*, const void*, ULONG, ULONG);
template <typename Fn> Fn NtEntry(const char* name) {
    return kestrana::win32::LoadedFunction<Fn>(L"ntdll.dll", name);
}
} // namespace

std::optional<int> FocusAssistLevel() noexcept {
    static const auto query = NtEntry<QueryStateFn>("NtQueryWnfStateData");
    if (!query) return std::nullopt;
    ULONG stamp = 0, size = sizeof(DWORD);
    DWORD value = 0;
    if (query(&kQuietHoursState, nullptr, nullptr, &stamp, &value, &size) != 0 || value > 2) return std::nullopt;
    return static_cast<int>(value);
}

bool SetFocusAssistLevel(int level) noexcept {
    static const auto update = NtEntry<UpdateStateFn>("NtUpdateWnfStateData");
    const DWORD value = static_cast<DWORD>(level);
    if (update && update(&kQuietHoursState, &value, sizeof(value), nullptr, nullptr, 0, 0) == 0) return true;
    foundation::LogFailure("focus assist", L"the system did not take the new level; its settings page opens instead");
    Open(L"ms-settings:quiethours");
    return false;
}

gfx::Bitmap CaptureScreen(const RECT& area) noexcept {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {};
    HDC screen = ::GetDC(nullptr);
    if (!screen) return {};
    kestrana::win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen));
    BITMAPINFO info = gfx::TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    kestrana::win32::UniqueGdiObject dib(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    gfx::Bitmap picture;
    if (memory && dib && bits) {
        HGDIOBJ previous = ::SelectObject(memory.Get(), dib.Get());
        // Without CAPTUREBLT the layered windows (the bar itself) are left out.
        if (::BitBlt(memory.Get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            picture = gfx::Bitmap(width, height);
            const auto* source = static_cast<const gfx::Pixel*>(bits);
            auto pixels = picture.Pixels();
            for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] | 0xFF000000u;
        }
        ::SelectObject(memory.Get(), previous);
    }
    ::ReleaseDC(nullptr, screen);
    return picture;
}

void SetSystemDark(bool dark) noexcept {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                          nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        foundation::LogFailure("display", "the theme setting could not be opened");
        return;
    }
    const DWORD light = dark ? 0 : 1;
    bool ok = true;
    for (const wchar_t* name : {L"AppsUseLightTheme", L"SystemUsesLightTheme"})
        ok = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&light), sizeof(light)) == ERROR_SUCCESS && ok;
    ::RegCloseKey(key);
    if (!ok) foundation::LogFailure("display", "the theme could not be switched");
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                          SMTO_ABORTIFHUNG, 200, &result);
}

bool IsCloaked(HWND window) noexcept {
    DWORD cloaked = 0;
    return SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

InputMethodWatch::InputMethodWatch(HWND window, UINT message) noexcept {
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_stop) return;
    struct Start {
        HWND window;
        UINT message;
        HANDLE stop;
    };
    auto* start = new (std::nothrow) Start{window, message, m_stop};
    if (!start) return;
    m_thread = ::CreateThread(
        nullptr, 0,
        [](void* parameter) -> DWORD {
            std::unique_ptr<Start> s(static_cast<Start*>(parameter));
            HKEY raw = nullptr;
            if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInputMethodsKey, 0, KEY_NOTIFY, &raw) != ERROR_SUCCESS) return 0;
            UniqueRegKey key(raw);
            kestrana::win32::UniqueKernelHandle changed(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
            if (!changed) return 0;
            for (;;) {
                if (::RegNotifyChangeKeyValue(key.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                              changed.Get(), TRUE) != ERROR_SUCCESS)
                    return 0;
                const HANDLE waits[] = {s->stop, changed.Get()};
                if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return 0;
                ::PostMessageW(s->window, s->message, 0, 0);
            }
        },
        start, 0, nullptr);
    if (!m_thread) delete start;
}

InputMethodWatch::~InputMethodWatch() {
    if (m_stop) ::SetEvent(m_stop);
    bool stopped = true;
    if (m_thread) {
        stopped = ::WaitForSingleObject(m_thread, 500) == WAIT_OBJECT_0;
        if (!stopped) foundation::LogFailure("input methods", L"the registry watch did not stop in time");
        ::CloseHandle(m_thread);
    }
    // A watch that did not stop still waits on the event: it stays with the process.
    if (m_stop && stopped) ::CloseHandle(m_stop);
}

} // namespace kestrana::menubar::win32
