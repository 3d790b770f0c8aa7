#include "menubar/win32/about_window.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/layered_window_surface.h"
#include "menubar/about_picture.h"
#include "menubar/win32/varlo_bar.h"

#include <windowsx.h>

#include <memory>
#include <vector>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kAboutClass[] = L"VarloAbout";
constexpr wchar_t kAboutProperty[] = L"VarloAboutPtr";

std::wstring RegText(HKEY root, const wchar_t* path, const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(root, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
    return text;
}

DWORD RegNumber(HKEY root, const wchar_t* path, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueW(root, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return 0;
    return value;
}

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() && text.back() == L' ') text.pop_back();
    const auto first = text.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

class AboutWindow {
public:
    AboutWindow(const foundation::ConfigStore& store, gfx::TextRenderer& text, float scale, bool dark, const RECT& screen)
        : m_scale(scale), m_dark(dark) {
        const SystemSummary summary = GatherSystemSummary();
        gfx::TextStyle style;
        style.size = 13.0f * scale;
        style.color = {255, 255, 255, 255};
        gfx::TextStyle title = style;
        title.size = 19.0f * scale;
        title.weight = 600;
        m_labels.title = text.Draw(summary.computerName.empty() ? WindowsText(summary) : summary.computerName, title);
        for (const auto& [label, value] : SummaryRows(summary, store))
            m_labels.rows.emplace_back(text.Draw(label, style), text.Draw(value.empty() ? L"-" : value, style));
        m_labels.close = text.Draw(store.LanguageText(L"aboutpc", L"close", L"OK"), style);
        m_layout = LayOutAbout(m_labels, scale);
        m_picture = gfx::Bitmap(m_layout.width, m_layout.height);
        m_at = {(screen.left + screen.right - m_layout.width) / 2,
                screen.top + (screen.bottom - screen.top) / 3 - m_layout.height / 2};
    }

    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;
    ~AboutWindow() {
        // Gone with the program or replaced: the window then goes without calling back here.
        if (m_window) ::RemovePropW(m_window.Get(), kAboutProperty);
    }

    bool Open() {
        kestrana::win32::ShellWindowRequest request;
        request.className = kAboutClass;
        request.title = L"About This PC";
        request.x = m_at.x;
        request.y = m_at.y;
        request.width = m_layout.width;
        request.height = m_layout.height;
        request.layered = true;
        request.toolWindow = true;
        request.noRedirectionBitmap = true;
        m_window.Reset(kestrana::win32::CreateShellWindow(request));
        if (!m_window) return false;
        ::SetPropW(m_window.Get(), kAboutProperty, this);
        Draw();
        ::ShowWindow(m_window.Get(), SW_SHOW);
        ::SetForegroundWindow(m_window.Get());
        return true;
    }

    HWND Window() const { return m_window.Get(); }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_NCHITTEST: {
            // Dragging anywhere but the button moves the window.
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ScreenToClient(m_window.Get(), &p);
            return OnClose(p.x, p.y) ? HTCLIENT : HTCAPTION;
        }
        case WM_MOUSEMOVE: {
            const bool lit = OnClose(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (lit != m_closeLit) {
                m_closeLit = lit;
                Draw();
            }
            return 0;
        }
        case WM_LBUTTONUP:
            if (OnClose(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) m_window.Reset();
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_RETURN) m_window.Reset();
            return 0;
        case WM_MOVE: {
            RECT r{};
            ::GetWindowRect(m_window.Get(), &r);
            m_at = {r.left, r.top};
            return 0;
        }
        case WM_NCDESTROY:
            // The window is going (its property already taken off): no longer ours to destroy.
            (void)m_window.Release();
            Current().reset(); // destroys this object: nothing of it is touched after
            return 0;
        default: return ::DefWindowProcW(m_window.Get(), message, wParam, lParam);
        }
    }

    static std::unique_ptr<AboutWindow>& Current() {
        static std::unique_ptr<AboutWindow> current;
        return current;
    }

private:
    bool OnClose(int x, int y) const {
        const auto& c = m_layout.close;
        return x >= c.x && x < c.Right() && y >= c.y && y < c.Bottom();
    }
    void Draw() {
        DrawAbout(m_picture, m_layout, m_labels, m_dark, m_scale, m_closeLit);
        m_surface.Present(m_window.Get(), m_picture, m_at);
    }

    float m_scale;
    bool m_dark;
    AboutLabels m_labels;
    AboutLayout m_layout;
    gfx::Bitmap m_picture;
    gfx::LayeredWindowSurface m_surface;
    POINT m_at{};
    kestrana::win32::UniqueWindow m_window; // last: it goes first, before what it draws
    bool m_closeLit = false;
};

LRESULT CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* about = static_cast<AboutWindow*>(::GetPropW(window, kAboutProperty));
    if (!about) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) ::RemovePropW(window, kAboutProperty);
    try {
        return about->OnMessage(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("about window");
        return 0;
    }
}

} // namespace

SystemSummary GatherSystemSummary() noexcept {
    SystemSummary s;
    try {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (::GetComputerNameExW(ComputerNamePhysicalDnsHostname, name, &length)) s.computerName = name;
        s.processor = Trimmed(RegText(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                      L"ProcessorNameString"));
        ULONGLONG installedKb = 0;
        if (::GetPhysicallyInstalledSystemMemory(&installedKb)) {
            s.memoryMb = installedKb / 1024;
        } else {
            MEMORYSTATUSEX status{};
            status.dwLength = sizeof(status);
            if (::GlobalMemoryStatusEx(&status)) s.memoryMb = status.ullTotalPhys / (1024 * 1024);
        }
        // The raw firmware table provider, 'RSMB' as four bytes.
        const DWORD firmware = (DWORD{'R'} << 24) | (DWORD{'S'} << 16) | (DWORD{'M'} << 8) | DWORD{'B'};
        if (const UINT size = ::GetSystemFirmwareTable(firmware, 0, nullptr, 0)) {
            std::vector<std::uint8_t> table(size);
            if (::GetSystemFirmwareTable(firmware, 0, table.data(), size) == size) s.modules = ReadMemoryModules(table);
        }
        DISPLAY_DEVICEW device{};
        device.cb = sizeof(device);
        for (DWORD i = 0; ::EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
            if (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) {
                s.graphics = device.DeviceString;
                break;
            }
            if (s.graphics.empty()) s.graphics = device.DeviceString;
        }
        const wchar_t* version = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
        s.windowsName = RegText(HKEY_LOCAL_MACHINE, version, L"ProductName");
        s.windowsVersion = RegText(HKEY_LOCAL_MACHINE, version, L"DisplayVersion");
        s.build = static_cast<std::uint32_t>(std::wcstoul(RegText(HKEY_LOCAL_MACHINE, version, L"CurrentBuild").c_str(), nullptr, 10));
        s.revision = RegNumber(HKEY_LOCAL_MACHINE, version, L"UBR");
    } catch (...) {
        foundation::LogCaught("about this pc");
    }
    return s;
}

void ShowAboutWindow(const foundation::ConfigStore& store, gfx::TextRenderer& text, float scale, bool dark,
                     const RECT& screen) noexcept {
    try {
        auto& current = AboutWindow::Current();
        if (current && ::IsWindow(current->Window())) {
            ::SetForegroundWindow(current->Window());
            return;
        }
        kestrana::win32::RegisterWindowClass(kAboutClass, AboutProc, 0);
        current = std::make_unique<AboutWindow>(store, text, scale, dark, screen);
        if (!current->Open()) {
            foundation::LogFailure("about this pc", L"the window could not be made");
            current.reset();
        }
    } catch (...) {
        foundation::LogCaught("about this pc");
    }
}

} // namespace kestrana::menubar::win32
