// vexrim.exe: the corner process. Keeps four small caps in the corners of every monitor
// whose corners are switched on, so that the screen looks rounded. The caps are layered,
// click-through, topmost windows whose picture is handed to the system once; nothing is
// drawn again until a monitor, its scale or the settings change. While a program runs
// full screen the caps on its monitor are hidden.
//
// It ends with the program that started it (found by the program's main window), so no
// caps outlive it, also when it crashed; the program starts it again when it comes back.
//
// Told by the program with message 32666 on the window "KestranaScreenRound": wParam 0
// switches a monitor on, 1 off; lParam is the monitor's index in the system's order.
#include "extras/screen_corner_caps.h"
#include "foundation/shell_messages.h"

#include <windows.h>
#include <shellscalingapi.h>

#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace kestrana::extras;

constexpr wchar_t kCapClass[] = L"KestranaScreenRoundCap";
constexpr UINT_PTR kLayoutTimer = 1;
constexpr UINT kLayoutSettleMs = 300; // monitors come and go in bursts

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH * 2] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    std::wstring text(path, length);
    return text.substr(0, text.find_last_of(L'\\') + 1);
}

struct MonitorFacts {
    HMONITOR handle = nullptr;
    MonitorBox box;
    std::wstring device;
    int dpi = 96;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* list = reinterpret_cast<std::vector<MonitorFacts>*>(data);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorFacts facts;
    facts.handle = monitor;
    facts.box = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    facts.device = info.szDevice;
    UINT dpiX = 96, dpiY = 96;
    if (SUCCEEDED(::GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY))) facts.dpi = static_cast<int>(dpiX);
    list->push_back(std::move(facts));
    return TRUE;
}

std::vector<MonitorFacts> Monitors() {
    std::vector<MonitorFacts> list;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

// One monitor's look, read from the program's settings file each time it is applied.
struct CapLook {
    int radius = kDefaultCornerRadius;
    std::uint32_t color = 0;
};

CapLook ReadLook(const std::wstring& settingsFile, const std::wstring& device) {
    const std::wstring section = MonitorSection(device);
    CapLook look;
    look.radius = ClampCornerRadius(
        ::GetPrivateProfileIntW(section.c_str(), L"screenroundsize", 0, settingsFile.c_str()));
    wchar_t color[64] = {};
    ::GetPrivateProfileStringW(section.c_str(), L"screenroundcolor", L"", color, 64, settingsFile.c_str());
    if (auto parsed = ParseCornerColor(color)) look.color = *parsed;
    return look;
}

// Owns one cap window.
class CapWindow {
public:
    CapWindow() = default;
    CapWindow(const CapWindow&) = delete;
    CapWindow& operator=(const CapWindow&) = delete;
    ~CapWindow() {
        if (m_window) ::DestroyWindow(m_window);
    }

    bool Show(HINSTANCE instance, const CapBox& box, std::uint32_t color) {
        if (!m_window) {
            m_window = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOPMOST | WS_EX_TOOLWINDOW |
                                             WS_EX_NOACTIVATE,
                                         kCapClass, L"", WS_POPUP, box.x, box.y, box.size, box.size, nullptr, nullptr,
                                         instance, nullptr);
            if (!m_window) return false;
        }
        if (!Present(box, color)) return false;
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        return true;
    }
    void SetHidden(bool hidden) {
        if (m_window) ::ShowWindow(m_window, hidden ? SW_HIDE : SW_SHOWNOACTIVATE);
    }
    void RaiseToTop() {
        if (m_window && ::IsWindowVisible(m_window))
            ::SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

private:
    // The cap's picture, premultiplied: the colour at full opacity where it covers, fading
    // along the arc, and nothing where the screen shows through.
    bool Present(const CapBox& box, std::uint32_t color) {
        const std::vector<std::uint8_t> coverage = CapCoverage(box.corner, box.size);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = box.size;
        info.bmiHeader.biHeight = -box.size;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool done = false;
        if (memory && bitmap && bits) {
            const std::uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
            auto* pixels = static_cast<std::uint32_t*>(bits);
            for (std::size_t i = 0; i < coverage.size(); ++i) {
                const std::uint32_t a = coverage[i];
                pixels[i] = (a << 24) | ((r * a / 255) << 16) | ((g * a / 255) << 8) | (b * a / 255);
            }
            HGDIOBJ old = ::SelectObject(memory, bitmap);
            POINT at{box.x, box.y};
            SIZE size{box.size, box.size};
            POINT origin{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            done = ::UpdateLayeredWindow(m_window, screen, &at, &size, memory, &origin, 0, &blend, ULW_ALPHA) != FALSE;
            ::SelectObject(memory, old);
        }
        if (bitmap) ::DeleteObject(bitmap);
        if (memory) ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
        return done;
    }

    HWND m_window = nullptr;
};

struct MonitorCaps {
    std::wstring device;
    HMONITOR handle = nullptr;
    std::array<CapWindow, 4> caps;
    bool hiddenForFullScreen = false;
};

class CornerProcess {
public:
    explicit CornerProcess(HINSTANCE instance) : m_instance(instance), m_settings(ProgramFolder() + L"config.ini") {}

    void Switch(int index, bool on) {
        const auto monitors = Monitors();
        if (index < 0 || index >= static_cast<int>(monitors.size()) || index >= 64) return;
        if (on) m_on |= (1ull << index);
        else m_on &= ~(1ull << index);
        Layout();
    }

    // Builds every switched-on monitor's caps for the monitors as they are now.
    void Layout() {
        const auto monitors = Monitors();
        m_caps.clear();
        for (std::size_t i = 0; i < monitors.size() && i < 64; ++i) {
            if (!(m_on & (1ull << i))) continue;
            const MonitorFacts& m = monitors[i];
            const CapLook look = ReadLook(m_settings, m.device);
            auto caps = std::make_unique<MonitorCaps>();
            caps->device = m.device;
            caps->handle = m.handle;
            const auto boxes = CapBoxes(m.box, CapSize(look.radius, m.dpi, m.box));
            for (std::size_t c = 0; c < 4; ++c) caps->caps[c].Show(m_instance, boxes[c], look.color);
            m_caps.push_back(std::move(caps));
        }
        FollowForeground();
    }

    // A program that covers its whole monitor in front hides that monitor's caps; any
    // other change of the front window puts the caps back on top.
    void FollowForeground() {
        HWND front = ::GetForegroundWindow();
        HMONITOR frontMonitor = nullptr;
        bool fullScreen = false;
        if (front && !IsShellWindow(front)) {
            RECT window{};
            MONITORINFO info{};
            info.cbSize = sizeof info;
            frontMonitor = ::MonitorFromWindow(front, MONITOR_DEFAULTTONULL);
            if (frontMonitor && ::GetWindowRect(front, &window) && ::GetMonitorInfoW(frontMonitor, &info)) {
                fullScreen = window.left <= info.rcMonitor.left && window.top <= info.rcMonitor.top &&
                             window.right >= info.rcMonitor.right && window.bottom >= info.rcMonitor.bottom &&
                             !(::GetWindowLongW(front, GWL_STYLE) & WS_CAPTION);
            }
        }
        for (auto& monitor : m_caps) {
            const bool hide = fullScreen && monitor->handle == frontMonitor;
            if (hide != monitor->hiddenForFullScreen) {
                monitor->hiddenForFullScreen = hide;
                for (auto& cap : monitor->caps) cap.SetHidden(hide);
            }
            if (!hide)
                for (auto& cap : monitor->caps) cap.RaiseToTop();
        }
    }

private:
    static bool IsShellWindow(HWND window) {
        if (window == ::GetDesktopWindow() || window == ::GetShellWindow()) return true;
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        const std::wstring cls = name;
        return cls == L"Progman" || cls == L"WorkerW" || cls == L"Shell_TrayWnd" || cls == L"#32769" ||
               cls == L"OndelLaunchpad";
    }

    HINSTANCE m_instance;
    std::wstring m_settings;
    std::uint64_t m_on = 0;
    std::vector<std::unique_ptr<MonitorCaps>> m_caps;
};

CornerProcess* g_process = nullptr;

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case kScreenCornerMessage:
        // Anything may post here; only the two requests with a sensible index count.
        if (g_process && (wParam == 0 || wParam == 1) && lParam >= 0 && lParam < 64)
            g_process->Switch(static_cast<int>(lParam), wParam == 0);
        return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE:
        ::SetTimer(window, kLayoutTimer, kLayoutSettleMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam == kLayoutTimer) {
            ::KillTimer(window, kLayoutTimer);
            if (g_process) g_process->Layout();
        }
        return 0;
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void CALLBACK ForegroundChanged(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    if (g_process) g_process->FollowForeground();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ::SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    // One corner process a session.
    HANDLE single = ::CreateMutexW(nullptr, TRUE, L"KestranaScreenRoundOnce");
    if (!single || ::GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.lpszClassName = kScreenCornerClass;
    WNDCLASSEXW cap{};
    cap.cbSize = sizeof cap;
    cap.lpfnWndProc = ::DefWindowProcW;
    cap.hInstance = instance;
    cap.lpszClassName = kCapClass;
    if (!::RegisterClassExW(&main) || !::RegisterClassExW(&cap)) return 1;

    CornerProcess process(instance);
    g_process = &process;
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kScreenCornerClass, kScreenCornerTitle, WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    // Messages from a process of lower integrity (the program is never higher) get through.
    ::ChangeWindowMessageFilterEx(window, kScreenCornerMessage, MSGFLT_ALLOW, nullptr);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, ForegroundChanged,
                                           0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    HWINEVENTHOOK focus = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, ForegroundChanged, 0, 0,
                                            WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);

    // The program's process, waited on with the messages: no polling.
    HANDLE program = nullptr;
    const std::wstring mainClass(kestrana::foundation::kMainWindowClass);
    if (HWND main = ::FindWindowW(mainClass.c_str(), nullptr)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(main, &pid);
        program = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    }
    bool running = true;
    while (running) {
        const DWORD count = program ? 1 : 0;
        const DWORD woke = ::MsgWaitForMultipleObjects(count, program ? &program : nullptr, FALSE, INFINITE, QS_ALLINPUT);
        if (program && woke == WAIT_OBJECT_0) break; // the program ended
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                running = false;
                break;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (program) ::CloseHandle(program);
    ::DestroyWindow(window);
    if (hook) ::UnhookWinEvent(hook);
    if (focus) ::UnhookWinEvent(focus);
    g_process = nullptr;
    ::CloseHandle(single);
    return 0;
}
