#include "gfx/win32/prompt_window.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/shell_window.h"
#include "gfx/prompt.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/system_look.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace kestrana::gfx {
namespace {

constexpr wchar_t kPromptProperty[] = L"KestranaPromptPtr";
constexpr UINT_PTR kTimerCountdown = 1;
constexpr UINT_PTR kTimerLinger = 2; // a prompt left up looks whether its time ran out
constexpr UINT_PTR kTimerKeyboard = 3; // a reader's focus: did the keyboard come?
constexpr UINT kKeyboardTickMs = 100;
constexpr int kKeyboardTries = 5;
constexpr UINT kLingerTickMs = 250;
constexpr int kLingerGraceMs = 3000;
// A reader pressed a part (wParam); posted so the prompt's own loop carries it out.
constexpr UINT kMsgReaderPress = WM_APP + 1;
// A reader moved its focus to a part (wParam, or another element: the prompt as a whole).
constexpr UINT kMsgReaderFocus = WM_APP + 2;
constexpr UINT kMsgRedraw = WM_APP + 3;

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

} // namespace

class Prompt {
public:
    Prompt(const PromptRequest& request, TextRenderer& text) : m_request(request), m_text(text) {
        const float s = request.scale;
        TextStyle style;
        style.size = 13.0f * s * std::clamp(TextScale(), 1.0f, 2.25f); // "make text bigger"

        style.color = {255, 255, 255, 255};
        TextStyle title = style;
        title.size = style.size * 14.0f / 13.0f;
        title.weight = 600;
        m_style = style;
        if (!request.title.empty()) m_labels.title = m_text.Draw(request.title, title);
        // The question wrapped to the prompt's width, its lines stacked into one mask.
        const auto lines = WrapLines(request.message, PromptTextWidth(s),
                                     [&](std::wstring_view line) { return m_text.Measure(line, style).width; });
        int width = 0;
        m_labels.lineHeight = m_text.Measure(L"Ag", style).height;
        for (const auto& line : lines) {
            m_labels.message.push_back(m_text.Draw(line, style));
            width = std::max(width, m_labels.message.back().Width());
        }
        const int height = request.message.empty() ? 0 : m_labels.lineHeight * static_cast<int>(lines.size());
        m_labels.cancel = m_text.Draw(request.cancel, style);
        m_labels.confirm = m_text.Draw(request.confirm, style);
        int choiceWidth = 0;
        if (request.choice.value) {
            m_labels.choice = m_text.Draw(request.choice.value(), style);
            choiceWidth = std::max(m_labels.choice.Width(), 1);
            for (const auto& value : request.choice.values)
                choiceWidth = std::max(choiceWidth, m_text.Measure(value, style).width);
        }
        const bool field = static_cast<bool>(request.secret.type);
        m_layout = LayOutPrompt(s, m_labels.title.Empty() ? 0 : m_labels.title.Height(), width, height, choiceWidth, field);
        // The field takes what is typed; otherwise Confirm answers Enter. Tab reaches the others.
        m_focused = field ? PromptPart::Field : PromptPart::Confirm;
    }

    ~Prompt() { Close(); }
    Prompt(const Prompt&) = delete;
    Prompt& operator=(const Prompt&) = delete;

    // Waits, in a loop of its own, for the answer.
    bool Run() {
        if (!MakeWindow()) return false;
        ::ShowWindow(m_window, SW_SHOW);
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_window);
        while (!m_done) {
            MSG msg{};
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            // Keys typed while another of our windows has the focus still answer the prompt.
            if (msg.message == WM_KEYDOWN && OnKey(static_cast<UINT>(msg.wParam))) continue;
            if (msg.message == WM_CHAR && OnChar(msg.hwnd, static_cast<wchar_t>(msg.wParam))) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        Close();
        return m_confirmed;
    }

    // Left up without taking the keyboard; `answer` hears how it ended.
    bool Open(std::function<void(bool)> answer) {
        m_answer = std::move(answer);
        m_leftUp = true;
        if (!MakeWindow()) return false;
        m_returnTo = ::GetForegroundWindow(); // the user's window, should the prompt take the keyboard
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        if (m_request.lingerMs > 0) {
            m_linger.emplace(::GetTickCount64(), m_request.lingerMs, kLingerGraceMs);
            ::SetTimer(m_window, kTimerLinger, kLingerTickMs, nullptr);
        }
        // Readers announce it as they announce the system's own notices.
        ::NotifyWinEvent(EVENT_SYSTEM_ALERT, m_window, OBJID_CLIENT, CHILDID_SELF);
        return true;
    }

    [[nodiscard]] bool Held() const { return m_pointerIn || m_active; }
    [[nodiscard]] HWND Window() const { return m_window; }

    // The window's messages; nothing for those the default procedure answers. After a
    // message that ended a prompt left up, the prompt may be gone.
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_MOUSEMOVE: Hover(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
        case WM_MOUSELEAVE: PointerLeft(); return 0;
        case WM_LBUTTONUP: Press(PromptPartAt(m_layout, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))); return 0;
        case kMsgReaderPress: Press(static_cast<PromptPart>(wParam)); return 0;
        case kMsgReaderFocus: TakeKeyboard(PartOf(static_cast<foundation::AccessibleId>(wParam))); return 0;
        case kMsgRedraw:
            if (!m_done) Draw();
            return 0;
        case WM_KEYDOWN:
            if (OnKey(static_cast<UINT>(wParam))) return 0;
            return std::nullopt;
        case WM_CHAR:
            if (OnChar(m_window, static_cast<wchar_t>(wParam))) return 0;
            return std::nullopt;
        case WM_TIMER:
            if (OnTimer(wParam)) return 0;
            return std::nullopt;
        case WM_ACTIVATE: Activated(wParam, lParam); return std::nullopt; // the default gives it the focus
        case WM_GETOBJECT: return OnGetObject(wParam, lParam);
        default: return std::nullopt;
        }
    }

    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam) {
        if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT) && static_cast<LONG>(lParam) != -25)
            return ::DefWindowProcW(m_window, WM_GETOBJECT, wParam, lParam);
        if (!m_reader) {
            kestrana::win32::AccessibleActions actions;
            actions.invoke = [this](foundation::AccessibleId id) {
                return ::PostMessageW(m_window, kMsgReaderPress, id, 0) != FALSE;
            };
            actions.focus = [this](foundation::AccessibleId id) {
                return ::PostMessageW(m_window, kMsgReaderFocus, id, 0) != FALSE;
            };
            m_reader = std::make_unique<kestrana::win32::AccessibleHost>(
                m_window, [this] { return std::optional<foundation::AccessibleTree>(Tree()); }, std::move(actions));
        }
        if (const auto answer = m_reader->OnGetObject(wParam, lParam)) return *answer;
        return ::DefWindowProcW(m_window, WM_GETOBJECT, wParam, lParam);
    }

private:
    foundation::AccessibleTree Tree() const {
        PromptWords words;
        words.title = m_request.title;
        words.message = m_request.message;
        words.choice = m_request.choice.value ? m_request.choice.value() : std::wstring();
        words.countdown = m_countdownText;
        words.cancel = m_request.cancel;
        words.confirm = m_request.confirm;
        words.field = m_request.fieldName;
        words.dots = Dots();
        words.confirmable = Confirmable();
        return BuildPromptTree(m_layout, words, m_at.x, m_at.y, m_focused);
    }

    std::size_t Dots() const { return m_request.secret.length ? m_request.secret.length() : 0; }
    bool Confirmable() const { return !m_request.secret.acceptable || m_request.secret.acceptable(); }

    void Press(PromptPart part) {
        switch (part) {
        case PromptPart::Confirm:
            if (Confirmable()) Finish(true);
            break;
        case PromptPart::Cancel: Finish(false); break;
        case PromptPart::Choice: Choose(); break;
        case PromptPart::Field: Focus(PromptPart::Field); break;
        case PromptPart::None: break;
        }
    }

    // Characters belong to the field, whichever part has the keyboard.
    bool OnChar(HWND target, wchar_t c) {
        if (!m_request.secret.type) return false;
        if (target != m_window && ::GetForegroundWindow() != m_window) return false;
        if (c == L'\b' || c == L'\r' || c == L'\t' || c == 27) return true; // handled as keys
        if (m_request.secret.type(c)) {
            Draw();
            if (m_reader) m_reader->ValueChanged(PromptPartId(PromptPart::Field));
        }
        return true;
    }

    bool OnKey(UINT key) {
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        const bool field = static_cast<bool>(m_request.secret.type);
        switch (key) {
        case VK_ESCAPE: Finish(false); return true;
        case VK_BACK:
            if (!field) return false;
            if (m_request.secret.backspace) m_request.secret.backspace();
            Draw();
            if (m_reader) m_reader->ValueChanged(PromptPartId(PromptPart::Field));
            return true;
        case VK_RETURN: Press(m_focused == PromptPart::Field ? PromptPart::Confirm : m_focused); return true;
        case VK_SPACE:
            if (field && m_focused == PromptPart::Field) return false; // a character of the key
            Press(m_focused);
            return true;
        case VK_TAB: Focus(NextPromptPart(m_layout, m_focused, shift ? -1 : 1)); return true;
        case VK_LEFT:
        case VK_UP: Focus(NextPromptPart(m_layout, m_focused, -1)); return true;
        case VK_RIGHT:
        case VK_DOWN: Focus(NextPromptPart(m_layout, m_focused, 1)); return true;
        default: return false;
        }
    }

    void Focus(PromptPart part) {
        if (part == m_focused) return;
        m_focused = part;
        Draw();
        if (m_reader) m_reader->FocusChanged(PromptPartId(part));
    }

    // The answer: a waiting prompt's loop ends; a prompt left up hides, gives the keyboard
    // back, and tells its owner, who may destroy it: nothing of it is touched after.
    void Finish(bool confirmed) {
        if (m_done) return;
        m_done = true;
        m_confirmed = confirmed;
        if (!m_answer) return;
        const auto answer = std::move(m_answer);
        m_answer = nullptr;
        if (::GetForegroundWindow() == m_window && m_returnTo && ::IsWindow(m_returnTo))
            ::SetForegroundWindow(m_returnTo);
        ::ShowWindow(m_window, SW_HIDE);
        answer(confirmed);
    }

    void Hover(int x, int y) {
        if (!m_pointerIn) {
            // The leave is reported once asked for, each time the pointer comes in.
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
            m_pointerIn = ::TrackMouseEvent(&track) != FALSE;
            Hold();
        }
        const PromptPart hot = PromptPartAt(m_layout, x, y);
        if (hot == m_hot) return;
        m_hot = hot;
        Draw();
    }

    void PointerLeft() {
        m_pointerIn = false;
        Hold();
        if (m_hot == PromptPart::None) return;
        m_hot = PromptPart::None;
        Draw();
    }

    void Activated(WPARAM wParam, LPARAM lParam) {
        const bool active = LOWORD(wParam) != WA_INACTIVE;
        const auto other = reinterpret_cast<HWND>(lParam);
        if (active && other && other != m_window) m_returnTo = other;
        if (active == m_active) return;
        m_active = active;
        Hold();
        // Drawn once the activation is over: presenting in its midst keeps the keys away under Wine.
        if (m_leftUp) ::PostMessageW(m_window, kMsgRedraw, 0, 0);
    }

    // Its time stands still while the user has it in hand.
    void Hold() {
        if (m_linger) m_linger->Hold(Held(), ::GetTickCount64());
    }

    // A reader's focus: the keyboard comes here, to the part the reader is on. The window
    // in front may take it back as it hears late that it lost it: asked again a few times.
    void TakeKeyboard(PromptPart part) {
        if (part != PromptPart::None) Focus(part);
        m_keyboardTries = kKeyboardTries;
        ::SetForegroundWindow(m_window);
        ::SetTimer(m_window, kTimerKeyboard, kKeyboardTickMs, nullptr);
    }

    void CheckKeyboard() {
        if (::GetForegroundWindow() == m_window || --m_keyboardTries <= 0) {
            ::KillTimer(m_window, kTimerKeyboard);
            if (::GetForegroundWindow() != m_window)
                foundation::LogFailure(m_request.logName, L"the keyboard could not be brought to the prompt");
            return;
        }
        ::SetForegroundWindow(m_window);
    }

    [[nodiscard]] PromptPart PartOf(foundation::AccessibleId id) const {
        for (PromptPart part : {PromptPart::Choice, PromptPart::Cancel, PromptPart::Confirm, PromptPart::Field}) {
            if (PromptPartId(part) != id) continue;
            const bool shown = (part != PromptPart::Choice || !m_layout.choice.Empty()) &&
                               (part != PromptPart::Field || !m_layout.field.Empty());
            return shown ? part : PromptPart::None;
        }
        return PromptPart::None;
    }

    bool OnTimer(WPARAM id) {
        if (id == kTimerKeyboard) {
            CheckKeyboard();
            return true;
        }
        if (id == kTimerLinger) {
            if (m_linger && m_linger->Due(::GetTickCount64())) Finish(false);
            return true;
        }
        if (id != kTimerCountdown) return false;
        if (m_request.choice.tick && m_request.choice.tick()) {
            Finish(true);
            return true;
        }
        RefreshChoice();
        Draw();
        return true;
    }

    bool MakeWindow() {
        kestrana::win32::RegisterWindowClass(m_request.className, PromptProc, 0);
        kestrana::win32::ShellWindowRequest request;
        request.className = m_request.className;
        request.title = m_request.title.empty() ? m_request.message : m_request.title;
        m_at = Origin();
        request.x = m_at.x;
        request.y = m_at.y;
        request.width = m_layout.width;
        request.height = m_layout.height;
        request.layered = true;
        request.toolWindow = true;
        request.topmost = true;
        request.owner = m_request.owner;
        request.noRedirectionBitmap = true;
        request.createOnThisThread = true;
        m_window = kestrana::win32::CreateShellWindow(request);
        if (!m_window) {
            foundation::LogFailure(m_request.logName, L"the prompt window could not be made");
            return false;
        }
        ::SetPropW(m_window, kPromptProperty, this);
        m_picture = Bitmap(m_layout.width, m_layout.height);
        RefreshChoice();
        Draw();
        return true;
    }

    [[nodiscard]] POINT Origin() const {
        if (m_request.place) return m_request.place(SIZE{m_layout.width, m_layout.height});
        const RECT& screen = m_request.screen;
        return {(screen.left + screen.right - m_layout.width) / 2,
                screen.top + (screen.bottom - screen.top) / 3 - m_layout.height / 2};
    }

    void Close() {
        if (!m_window) return;
        ::KillTimer(m_window, kTimerCountdown);
        ::KillTimer(m_window, kTimerLinger);
        ::KillTimer(m_window, kTimerKeyboard);
        m_reader.reset();
        ::RemovePropW(m_window, kPromptProperty);
        ::DestroyWindow(std::exchange(m_window, nullptr));
    }

    void Choose() {
        if (!m_request.choice.choose) return;
        const POINT anchor{m_at.x + m_layout.choice.x, m_at.y + m_layout.choice.Bottom()};
        m_request.choice.choose(m_window, anchor, m_at.y + m_layout.choice.y);
        RefreshChoice();
        Draw();
        if (m_reader) m_reader->Changed();
    }

    // The choice's value and countdown as they are now; the timer runs while one counts.
    void RefreshChoice() {
        if (!m_request.choice.value) return;
        m_labels.choice = m_text.Draw(m_request.choice.value(), m_style);
        m_countdownText = m_request.choice.countdown ? m_request.choice.countdown() : std::wstring();
        m_labels.countdown = m_countdownText.empty() ? Bitmap() : m_text.Draw(m_countdownText, m_style);
        if (!m_countdownText.empty()) ::SetTimer(m_window, kTimerCountdown, 1000, nullptr);
        else ::KillTimer(m_window, kTimerCountdown);
        if (m_reader) m_reader->ValueChanged(kPromptCountdownId);
    }

    void Draw() {
        PromptState state;
        state.hot = m_hot;
        // A prompt left up shows the keyboard's place only once it has the keyboard: until
        // then, keys go to the user's own window.
        state.focused = m_leftUp && !m_active ? PromptPart::None : m_focused;
        state.dots = Dots();
        state.confirmable = Confirmable();
        DrawPrompt(m_picture, m_layout, m_labels, m_request.dark, m_request.scale, state, HighContrastColours());
        m_surface.Present(m_window, m_picture, m_at);
    }

    PromptRequest m_request;
    TextRenderer& m_text;
    TextStyle m_style;
    PromptLayout m_layout;
    PromptLabels m_labels;
    std::wstring m_countdownText;
    PromptPart m_hot = PromptPart::None;
    PromptPart m_focused = PromptPart::Confirm;
    HWND m_window = nullptr;
    POINT m_at{};
    Bitmap m_picture;
    LayeredWindowSurface m_surface;
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
    bool m_done = false;
    bool m_confirmed = false;
    // A prompt left up: who hears the answer, its time, and whether the user has it.
    std::function<void(bool)> m_answer;
    std::optional<PromptLinger> m_linger;
    bool m_leftUp = false; // shown without waiting for it
    bool m_pointerIn = false;
    bool m_active = false;
    HWND m_returnTo = nullptr; // had the keyboard before the prompt took it
    int m_keyboardTries = 0;
};

namespace {

LRESULT CALLBACK PromptProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* prompt = static_cast<Prompt*>(::GetPropW(window, kPromptProperty));
    if (!prompt) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        switch (message) {
        case WM_NCHITTEST: return HTCLIENT;
        case WM_MOUSEACTIVATE: return MA_ACTIVATE; // a click gives the prompt the keyboard
        case WM_ERASEBKGND: return 1;
        default:
            if (const auto answer = prompt->OnMessage(message, wParam, lParam)) return *answer;
            break;
        }
    } catch (...) {
        foundation::LogCaught("prompt window");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

PromptRequest PromptAt(const wchar_t* className, const char* logName, float scale, bool dark, const RECT& screen,
                       HWND owner) {
    PromptRequest request;
    request.className = className;
    request.logName = logName;
    request.scale = scale;
    request.dark = dark;
    request.screen = screen;
    request.owner = owner;
    return request;
}

bool RunPrompt(const PromptRequest& request, TextRenderer& text) noexcept {
    try {
        Prompt prompt(request, text);
        return prompt.Run();
    } catch (...) {
        foundation::LogCaught(request.logName);
        return false;
    }
}

std::unique_ptr<PromptWindow> PromptWindow::Show(const PromptRequest& request, TextRenderer& text,
                                                 std::function<void(bool confirmed)> done) noexcept {
    try {
        auto prompt = std::make_unique<Prompt>(request, text);
        if (!prompt->Open(std::move(done))) return nullptr;
        return std::unique_ptr<PromptWindow>(new PromptWindow(std::move(prompt)));
    } catch (...) {
        foundation::LogCaught(request.logName);
        return nullptr;
    }
}

PromptWindow::PromptWindow(std::unique_ptr<Prompt> prompt) : m_prompt(std::move(prompt)) {}
PromptWindow::~PromptWindow() = default;

bool PromptWindow::Held() const { return m_prompt->Held(); }
HWND PromptWindow::Window() const { return m_prompt->Window(); }

} // namespace kestrana::gfx
