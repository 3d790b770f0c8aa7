#include "menubar/win32/power_prompt.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/popup_menu.h"
#include "menubar/power.h"
#include "menubar/power_prompt_picture.h"
#include "menubar/win32/varlo_bar.h"

#include <windowsx.h>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kPromptClass[] = L"VarloPrompt";
constexpr wchar_t kPromptProperty[] = L"VarloPromptPtr";
constexpr UINT_PTR kTimerCountdown = 1;

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!::GetPropW(window, kPromptProperty)) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCHITTEST) return HTCLIENT;
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class Prompt {
public:
    Prompt(const PromptTexts& texts, gfx::TextRenderer& text, float scale, bool dark, const RECT& screen)
        : m_texts(texts), m_text(text), m_scale(scale), m_dark(dark), m_screen(screen) {
        m_style.size = 13.0f * scale;
        m_style.color = {255, 255, 255, 255};
        m_labels.question = m_text.Draw(texts.question, m_style);
        m_labels.cancel = m_text.Draw(texts.cancel, m_style);
        m_labels.confirm = m_text.Draw(texts.confirm, m_style);
        int widest = 0;
        for (int choice = 0; choice < kDelayChoices; ++choice)
            widest = std::max(widest, m_text.Measure(DelayText(choice, texts.now, texts.minute), m_style).width);
        m_layout = LayOutPrompt(scale, m_labels.question.Width(), widest);
        SetDelay(0);
    }

    bool Run() {
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
            foundation::LogFailure("power prompt", L"the confirmation window could not be made");
            return false;
        }
        m_at = {request.x, request.y};
        ::SetPropW(m_window, kPromptProperty, this);
        m_picture = gfx::Bitmap(m_layout.width, m_layout.height);
        Draw();
        ::ShowWindow(m_window, SW_SHOW);
        ::SetForegroundWindow(m_window);
        bool confirmed = false;
        bool done = false;
        while (!done) {
            MSG msg{};
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (msg.hwnd == m_window && Handle(msg, done, confirmed)) continue;
            if (msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN)) {
                done = true;
                confirmed = msg.wParam == VK_RETURN;
                continue;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::KillTimer(m_window, kTimerCountdown);
        ::RemovePropW(m_window, kPromptProperty);
        ::DestroyWindow(m_window);
        return confirmed;
    }

private:
    bool Handle(const MSG& msg, bool& done, bool& confirmed) {
        switch (msg.message) {
        case WM_MOUSEMOVE: {
            const PromptPart hot = PromptPartAt(m_layout, GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
            if (hot != m_hot) {
                m_hot = hot;
                Draw();
            }
            return true;
        }
        case WM_LBUTTONUP:
            switch (PromptPartAt(m_layout, GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam))) {
            case PromptPart::Confirm: done = confirmed = true; break;
            case PromptPart::Cancel: done = true; break;
            case PromptPart::Delay: ChooseDelay(); break;
            case PromptPart::None: break;
            }
            return true;
        case WM_TIMER:
            if (msg.wParam != kTimerCountdown) return false;
            if (m_countdown.Tick()) {
                done = confirmed = true;
                return true;
            }
            SetCountdownText();
            Draw();
            return true;
        default: return false;
        }
    }

    void ChooseDelay() {
        gfx::Menu menu;
        const int current = m_countdown.Running() ? m_choice : -1;
        for (int choice = 0; choice < kDelayChoices; ++choice)
            menu.push_back(gfx::MenuItem::Command(choice + 1, DelayText(choice, m_texts.now, m_texts.minute), choice == current));
        gfx::PopupMenuOptions options;
        options.className = kMenuClass;
        options.scale = m_scale;
        options.dark = m_dark;
        const POINT anchor{m_at.x + m_layout.delay.x, m_at.y + m_layout.delay.Bottom()};
        const int chosen = gfx::RunPopupMenu(m_window, menu, anchor, m_at.y + m_layout.delay.y, m_text, options);
        if (chosen > 0) SetDelay(chosen - 1);
        Draw();
    }

    void SetDelay(int choice) {
        m_choice = choice;
        m_labels.delay = m_text.Draw(DelayText(choice, m_texts.now, m_texts.minute), m_style);
        m_countdown.Start(DelaySeconds(choice));
        if (m_window) {
            if (m_countdown.Running()) ::SetTimer(m_window, kTimerCountdown, 1000, nullptr);
            else ::KillTimer(m_window, kTimerCountdown);
        }
        SetCountdownText();
    }

    void SetCountdownText() {
        m_labels.countdown =
            m_countdown.Running() ? m_text.Draw(CountdownText(m_countdown.SecondsLeft()), m_style) : gfx::Bitmap();
    }

    void Draw() {
        DrawPrompt(m_picture, m_layout, m_labels, m_dark, m_scale, m_hot);
        m_surface.Present(m_window, m_picture, m_at);
    }

    const PromptTexts& m_texts;
    gfx::TextRenderer& m_text;
    float m_scale;
    bool m_dark;
    RECT m_screen;
    gfx::TextStyle m_style;
    PromptLayout m_layout;
    PromptLabels m_labels;
    PowerCountdown m_countdown;
    int m_choice = 0;
    PromptPart m_hot = PromptPart::None;
    HWND m_window = nullptr;
    POINT m_at{};
    gfx::Bitmap m_picture;
    gfx::LayeredWindowSurface m_surface;
};

} // namespace

bool ConfirmPowerAction(const PromptTexts& texts, gfx::TextRenderer& text, float scale, bool dark,
                        const RECT& screen) noexcept {
    try {
        Prompt prompt(texts, text, scale, dark, screen);
        return prompt.Run();
    } catch (...) {
        foundation::LogCaught("power prompt");
        return false;
    }
}

} // namespace kestrana::menubar::win32
