#include "menubar/win32/password_prompt.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "gfx/win32/layered_window_surface.h"
#include "menubar/password_prompt_picture.h"

#include <windowsx.h>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kPromptClass[] = L"VarloPassword";
constexpr wchar_t kPromptProperty[] = L"VarloPasswordPtr";

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!::GetPropW(window, kPromptProperty)) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCHITTEST) return HTCLIENT;
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_MOUSEACTIVATE) return MA_ACTIVATE;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class Prompt {
public:
    Prompt(const PasswordTexts& texts, bool wep, gfx::TextRenderer& text, float scale, bool dark, const RECT& screen)
        : m_wep(wep), m_scale(scale), m_dark(dark), m_screen(screen) {
        gfx::TextStyle style;
        style.size = 13.0f * scale;
        style.color = {255, 255, 255, 255};
        m_labels.title = text.Draw(texts.title, style);
        m_labels.cancel = text.Draw(texts.cancel, style);
        m_labels.join = text.Draw(texts.join, style);
        m_layout = LayOutPasswordPrompt(scale, m_labels.title.Width());
    }

    std::optional<std::wstring> Run() {
        kestrana::win32::RegisterWindowClass(kPromptClass, PromptProc, 0);
        kestrana::win32::ShellWindowRequest request;
        request.className = kPromptClass;
        request.x = (m_screen.left + m_screen.right - m_layout.width) / 2;
        request.y = m_screen.top + (m_screen.bottom - m_screen.top) / 3 - m_layout.height / 2;
        request.width = m_layout.width;
        request.height = m_layout.height;
        request.layered = true;
        request.toolWindow = true;
        request.topmost = true;
        request.noRedirectionBitmap = true;
        m_window = kestrana::win32::CreateShellWindow(request);
        if (!m_window) {
            foundation::LogFailure("wifi", L"the password prompt could not be made");
            return std::nullopt;
        }
        m_at = {request.x, request.y};
        ::SetPropW(m_window, kPromptProperty, this);
        m_picture = gfx::Bitmap(m_layout.width, m_layout.height);
        Draw();
        ::ShowWindow(m_window, SW_SHOW);
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_window);
        bool joined = false, done = false;
        while (!done) {
            MSG msg{};
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (Handle(msg, done, joined)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::RemovePropW(m_window, kPromptProperty);
        ::DestroyWindow(m_window);
        if (!joined) return std::nullopt;
        return m_entry.Take();
    }

private:
    bool Joinable() const { return m_entry.Acceptable(m_wep); }

    bool Handle(const MSG& msg, bool& done, bool& joined) {
        // The keys reach the prompt whichever of its windows has the focus.
        switch (msg.message) {
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) {
                done = true;
                return true;
            }
            if (msg.wParam == VK_RETURN) {
                if (Joinable()) done = joined = true;
                return true;
            }
            if (msg.wParam == VK_BACK) {
                m_entry.Backspace();
                Draw();
                return true;
            }
            return false; // translated into WM_CHAR
        case WM_CHAR:
            if (msg.hwnd != m_window && ::GetForegroundWindow() != m_window) return false;
            if (m_entry.Type(static_cast<wchar_t>(msg.wParam))) Draw();
            return true;
        default: break;
        }
        if (msg.hwnd != m_window) return false;
        switch (msg.message) {
        case WM_MOUSEMOVE: {
            const PasswordPart hot = PasswordPartAt(m_layout, GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            if (hot != m_hot) {
                m_hot = hot;
                Draw();
            }
            return true;
        }
        case WM_LBUTTONUP:
            switch (PasswordPartAt(m_layout, GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam))) {
            case PasswordPart::Join:
                if (Joinable()) done = joined = true;
                break;
            case PasswordPart::Cancel: done = true; break;
            default: break;
            }
            return true;
        default: return false;
        }
    }

    void Draw() {
        DrawPasswordPrompt(m_picture, m_layout, m_labels, m_dark, m_scale, m_entry.Length(), Joinable(), m_hot);
        m_surface.Present(m_window, m_picture, m_at);
    }

    bool m_wep;
    float m_scale;
    bool m_dark;
    RECT m_screen;
    PasswordLayout m_layout;
    PasswordLabels m_labels;
    SecretEntry m_entry;
    PasswordPart m_hot = PasswordPart::None;
    HWND m_window = nullptr;
    POINT m_at{};
    gfx::Bitmap m_picture;
    gfx::LayeredWindowSurface m_surface;
};

} // namespace

std::optional<std::wstring> AskWifiPassword(const PasswordTexts& texts, bool wep, gfx::TextRenderer& text, float scale,
                                            bool dark, const RECT& screen) noexcept {
    try {
        Prompt prompt(texts, wep, text, scale, dark, screen);
        return prompt.Run();
    } catch (...) {
        foundation::LogCaught("wifi password prompt");
        return std::nullopt;
    }
}

} // namespace kestrana::menubar::win32
