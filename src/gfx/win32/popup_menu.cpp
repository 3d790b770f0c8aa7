#include "gfx/win32/popup_menu.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/system_function.h"
#include "gfx/menu_accessible.h"
#include "gfx/menu_layout.h"
#include "gfx/menu_navigation.h"
#include "gfx/menu_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/system_look.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::gfx {
namespace {

constexpr wchar_t kLevelProperty[] = L"KestranaMenuLevel";
constexpr UINT_PTR kWatchTimer = 1;
// A screen reader chose a row (wParam: its element id); the menu's loop takes it.
constexpr UINT kMsgReaderChoose = WM_APP + 0x2C7;

bool g_open = false;
bool g_cancel = false;
class Session;
Session* g_session = nullptr; // the open menu, for rows that change while it is shown

struct Level;
LRESULT AnswerReader(Level& level, WPARAM wParam, LPARAM lParam) noexcept;

LRESULT CALLBACK MenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Input reaches the menu's own loop before any window; the windows only show pictures.
    auto* level = static_cast<Level*>(::GetPropW(window, kLevelProperty));
    if (!level) return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_ERASEBKGND: return 1;
    case WM_GETOBJECT: return AnswerReader(*level, wParam, lParam);
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

bool EnsureClass(const std::wstring& name) {
    return kestrana::win32::RegisterWindowClass(name, MenuWindowProc);
}

RectI WorkAreaAt(POINT p) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &info)) return {0, 0, 1 << 15, 1 << 15};
    const RECT& r = info.rcWork;
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Rows the way they show; submenus are not compared (menus with them are never replaced).
bool SameRows(const Menu& a, const Menu& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const MenuItem& x, const MenuItem& y) {
        return x.id == y.id && x.text == y.text && x.detail == y.detail && x.separator == y.separator &&
               x.checked == y.checked && x.enabled == y.enabled && x.slider == y.slider && x.value == y.value;
    });
}

bool Inside(const RectI& r, POINT p) { return p.x >= r.x && p.x < r.Right() && p.y >= r.y && p.y < r.Bottom(); }

struct Level {
    const Menu* items = nullptr;
    HWND window = nullptr;
    RectI screen;
    MenuLayout layout;
    MenuLabels labels;
    Bitmap picture;
    LayeredWindowSurface surface;
    int drawnHot = -2;

    const wchar_t* ownerProperty = nullptr;
    const wchar_t* parentProperty = nullptr;
    bool submenuOpen = false; // the lit row's submenu is the next level
    // Screen readers: made on their first question, gone with the window.
    std::unique_ptr<kestrana::win32::AccessibleHost> reader;

    ~Level() {
        reader.reset();
        if (window) {
            ::RemovePropW(window, kLevelProperty);
            if (ownerProperty) ::RemovePropW(window, ownerProperty);
            if (parentProperty) ::RemovePropW(window, parentProperty);
            ::DestroyWindow(window);
        }
    }
};

// Each level of the menu is a pop-up menu element whose rows are its items; the lit row
// holds the focus, and a row's default action chooses it as a click would.
LRESULT AnswerReader(Level& level, WPARAM wParam, LPARAM lParam) noexcept {
    if (!level.reader) {
        Level* self = &level;
        HWND window = level.window;
        auto build = [self]() -> std::optional<foundation::AccessibleTree> {
            MenuAccessibleState state;
            state.placed = self->screen;
            state.lit = self->drawnHot >= 0 ? self->drawnHot : -1;
            state.openSubmenu = self->submenuOpen ? state.lit : -1;
            return BuildMenuTree(*self->items, self->layout, state);
        };
        kestrana::win32::AccessibleActions actions;
        actions.invoke = [window](foundation::AccessibleId id) {
            return ::PostMessageW(window, kMsgReaderChoose, static_cast<WPARAM>(id), 0) != FALSE;
        };
        level.reader =
            std::make_unique<kestrana::win32::AccessibleHost>(level.window, std::move(build), std::move(actions));
    }
    if (auto answer = level.reader->OnGetObject(wParam, lParam)) return *answer;
    return ::DefWindowProcW(level.window, WM_GETOBJECT, wParam, lParam);
}

MenuLook LookFor(const PopupMenuOptions& options) {
    if (const auto scheme = HighContrastColours()) return MenuLook::For(*scheme);
    return MenuLook::For(options.dark, options.opacity);
}

class Session {
public:
    Session(HWND owner, const Menu& menu, POINT anchor, int flipY, TextRenderer& text, const PopupMenuOptions& options)
        : m_owner(owner), m_menu(menu), m_nav(m_menu), m_anchor(anchor), m_flipY(flipY), m_text(text), m_options(options),
          m_metrics(MenuMetrics::At(options.scale, TextScale())), m_look(LookFor(options)) {}

    int Run() {
        if (!EnsureClass(m_options.className) || !Sync() || m_levels.empty()) return 0;
        HWND root = m_levels.front()->window;
        m_previousForeground = ::GetForegroundWindow();
        // The keyboard comes to the thread that owns the foreground window.
        ::SetForegroundWindow(m_owner ? m_owner : root);
        // What is in front now (our window, or whatever kept the front: the desktop, a
        // window that refused to give it up) is no reason to close; a change is.
        m_openForeground = ::GetForegroundWindow();
        ::SetCapture(root);
        ::SetTimer(root, kWatchTimer, 100, nullptr);
        int result = 0;
        bool done = false;
        while (!done && !g_cancel) {
            MSG msg{};
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0 || got == -1) {
                ::PostQuitMessage(static_cast<int>(msg.wParam)); // the outer loop must see it
                break;
            }
            if (!Handle(msg, done, result)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        if (!m_levels.empty()) ::KillTimer(m_levels.front()->window, kWatchTimer);
        if (::GetCapture() && !m_levels.empty() && ::GetCapture() == m_levels.front()->window) ::ReleaseCapture();
        m_levels.clear();
        // Hand the keyboard back to where the user was.
        if (m_previousForeground && ::IsWindow(m_previousForeground) && m_owner &&
            ::GetForegroundWindow() == m_owner)
            ::SetForegroundWindow(m_previousForeground);
        return result;
    }

    // New rows for the open menu while no submenu is involved; the window takes their
    // size where it stands and is drawn again only when a row differs.
    void Replace(const Menu& menu) {
        const auto plain = [](const Menu& m) {
            return !m.empty() && std::none_of(m.begin(), m.end(), [](const MenuItem& i) { return i.HasSubmenu(); });
        };
        if (m_levels.empty() || m_nav.Depth() != 1 || m_sliding >= 0 || !plain(m_menu) || !plain(menu) ||
            SameRows(m_menu, menu))
            return;
        const bool sameCount = menu.size() == m_menu.size();
        m_menu = menu;
        // Another number of rows: the lit row means nothing any more.
        if (!sameCount) m_nav = MenuNavigator(m_menu);
        Level& level = *m_levels.front();
        level.items = &m_nav.Items(0);
        LayOutLevel(level);
        level.screen =
            PlaceMenu(level.layout.width, level.layout.height, m_anchor.x, m_anchor.y, m_flipY, WorkAreaAt(m_anchor));
        level.picture = Bitmap(level.layout.width, level.layout.height);
        level.drawnHot = -3; // drawn again, not shown anew
        Sync();
    }

private:
    void LayOutLevel(Level& level) {
        level.layout = LayOutMenu(*level.items, m_metrics, [this](const std::wstring& t) {
            TextStyle style;
            style.size = m_metrics.textSize;
            return m_text.Measure(t, style, m_metrics.maxTextWidth).width;
        });
        level.labels = DrawMenuLabels(*level.items, m_metrics, m_text);
    }

    // True when the message was the menu's.
    bool Handle(const MSG& msg, bool& done, int& result) {
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            if (m_sliding >= 0) {
                DragSlider(msg.pt);
                return true;
            }
            Apply(Pointer(msg.pt, false), done, result);
            return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
            if (!LevelAt(msg.pt).first) done = true; // a press outside closes the menu
            else if (msg.message == WM_LBUTTONDOWN) PressSlider(msg.pt);
            return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (m_sliding >= 0) {
                m_sliding = -1;
                return true;
            }
            Apply(Pointer(msg.pt, true), done, result);
            return true;
        // Touch and pen, kept from the default handling so that no mouse messages follow.
        case WM_POINTERDOWN:
            if (!LevelAt(PointerAt(msg.lParam)).first) done = true;
            else Apply(Pointer(PointerAt(msg.lParam), false), done, result);
            return true;
        case WM_POINTERUPDATE: Apply(Pointer(PointerAt(msg.lParam), false), done, result); return true;
        case WM_POINTERUP: Apply(Pointer(PointerAt(msg.lParam), true), done, result); return true;
        case WM_POINTERENTER:
        case WM_POINTERLEAVE:
        case WM_POINTERCAPTURECHANGED: return true;
        case WM_TOUCH: Touch(msg, done, result); return true;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONUP:
        case WM_MOUSEWHEEL: return true;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: OnKeyDown(msg, done, result); return true;
        case WM_CHAR:
            if (msg.wParam > L' ') Apply(m_nav.Letter(static_cast<wchar_t>(msg.wParam)), done, result);
            return true;
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_SYSCHAR: return true;
        case kMsgReaderChoose: ChooseForReader(msg, done, result); return true;
        case WM_TIMER:
            if (msg.wParam != kWatchTimer || m_levels.empty() || msg.hwnd != m_levels.front()->window) return false;
            if (LostTheUser()) done = true;
            return true;
        case WM_CANCELMODE: done = true; return false;
        default: return false;
        }
    }

    static POINT PointerAt(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

    void OnKeyDown(const MSG& msg, bool& done, int& result) {
        MenuKey key{};
        switch (msg.wParam) {
        case VK_UP: key = MenuKey::Up; break;
        case VK_DOWN: key = MenuKey::Down; break;
        case VK_LEFT: key = MenuKey::Left; break;
        case VK_RIGHT: key = MenuKey::Right; break;
        case VK_RETURN:
        case VK_SPACE: key = MenuKey::Enter; break;
        case VK_ESCAPE: key = MenuKey::Escape; break;
        case VK_HOME: key = MenuKey::Home; break;
        case VK_END: key = MenuKey::End; break;
        case VK_MENU:
        case VK_F10: done = true; return;
        default: {
            // Letters arrive as characters.
            MSG translated = msg;
            ::TranslateMessage(&translated);
            return;
        }
        }
        Apply(m_nav.Key(key), done, result);
    }

    // The screen reader chose row `wParam` (from 1) of the level whose window got it.
    void ChooseForReader(const MSG& msg, bool& done, int& result) {
        for (std::size_t i = 0; i < m_levels.size(); ++i) {
            if (m_levels[i]->window != msg.hwnd) continue;
            const int row = static_cast<int>(msg.wParam) - 1;
            Apply(m_nav.Click(i, row), done, result);
        }
    }

    // Another program came forward, or someone took the pointer: the menu closes.
    bool LostTheUser() const {
        HWND foreground = ::GetForegroundWindow();
        DWORD pid = 0;
        if (foreground) ::GetWindowThreadProcessId(foreground, &pid);
        // The desktop coming forward is the system tidying up after a closed window,
        // not the user: a click on it would have reached the menu as a press outside.
        const bool desktop = foreground == ::GetDesktopWindow() || foreground == ::GetShellWindow();
        if (foreground && foreground != m_openForeground && !desktop && pid != ::GetCurrentProcessId()) {
            if (foundation::DetailLogging()) {
                wchar_t cls[128] = L"";
                ::GetClassNameW(foreground, cls, 128);
                foundation::LogDetail("menu", std::wstring(L"closed: another program came forward, ") + cls);
            }
            return true;
        }
        if (::GetCapture() != m_levels.front()->window) {
            foundation::LogDetail("menu", "closed: the pointer capture was taken");
            return true;
        }
        return false;
    }

    // Touch reported the older way (a window registered for it): the primary contact
    // alone drives the menu, as the pointer messages would.
    void Touch(const MSG& msg, bool& done, int& result) {
        using GetInfo = BOOL(WINAPI*)(HTOUCHINPUT, UINT, PTOUCHINPUT, int);
        using CloseHandleFn = BOOL(WINAPI*)(HTOUCHINPUT);
        const HMODULE user = ::GetModuleHandleW(L"user32.dll");
        const auto getInfo = kestrana::win32::FunctionIn<GetInfo>(user, "GetTouchInputInfo");
        const auto closeInput =
            kestrana::win32::FunctionIn<CloseHandleFn>(user, "CloseTouchInputHandle");
        const auto input = reinterpret_cast<HTOUCHINPUT>(msg.lParam);
        const UINT count = LOWORD(msg.wParam);
        std::vector<TOUCHINPUT> contacts(count);
        if (getInfo && count && getInfo(input, count, contacts.data(), sizeof(TOUCHINPUT))) {
            for (const TOUCHINPUT& contact : contacts) {
                if (!(contact.dwFlags & TOUCHEVENTF_PRIMARY)) continue;
                // Hundredths of a pixel.
                const POINT at{contact.x / 100, contact.y / 100};
                if (contact.dwFlags & TOUCHEVENTF_DOWN) {
                    if (!LevelAt(at).first) done = true;
                    else Apply(Pointer(at, false), done, result);
                } else if (contact.dwFlags & TOUCHEVENTF_UP) {
                    Apply(Pointer(at, true), done, result);
                } else {
                    Apply(Pointer(at, false), done, result);
                }
            }
        }
        if (closeInput) closeInput(input);
    }

    std::pair<bool, std::pair<std::size_t, int>> LevelAt(POINT p) const {
        for (std::size_t i = m_levels.size(); i-- > 0;) {
            const Level& l = *m_levels[i];
            if (Inside(l.screen, p)) return {true, {i, RowAt(l.layout, p.x - l.screen.x, p.y - l.screen.y)}};
        }
        return {false, {0, -1}};
    }

    // A press on a slider row of the first level holds it; the value follows the pointer
    // until the button is released, wherever the pointer goes.
    void PressSlider(POINT p) {
        const auto [inside, at] = LevelAt(p);
        if (!inside || at.first != 0 || at.second < 0) return;
        const MenuItem& item = m_menu[static_cast<std::size_t>(at.second)];
        if (!item.slider || !item.enabled) return;
        m_sliding = at.second;
        DragSlider(p);
    }

    void DragSlider(POINT p) {
        if (m_levels.empty() || m_sliding < 0) return;
        const Level& level = *m_levels.front();
        const RectI& row = level.layout.rows[static_cast<std::size_t>(m_sliding)];
        SetSlider(m_sliding, SliderValueAt(row, m_metrics, p.x - level.screen.x));
    }

    void SetSlider(int row, int value) {
        MenuItem& item = m_menu[static_cast<std::size_t>(row)];
        if (item.value == value) return;
        const int shown = m_options.slide ? m_options.slide(item.id, value) : value;
        item.value = std::clamp(shown, 0, 100);
        if (m_levels.empty()) return;
        m_levels.front()->drawnHot = -3; // redrawn with the new value, not shown anew
        Sync();
    }

    MenuEvent Pointer(POINT p, bool release) {
        const auto [inside, at] = LevelAt(p);
        if (!inside) return release ? MenuEvent{} : m_nav.Leave();
        return release ? m_nav.Click(at.first, at.second) : m_nav.Hover(at.first, at.second);
    }

    void Apply(const MenuEvent& event, bool& done, int& result) {
        switch (event.kind) {
        case MenuEvent::Kind::None: return;
        case MenuEvent::Kind::Changed: Sync(); return;
        case MenuEvent::Kind::Chosen:
            if (foundation::DetailLogging()) foundation::LogDetail("menu", "chose " + std::to_string(event.id));
            result = event.id;
            done = true;
            return;
        case MenuEvent::Kind::Dismissed: done = true; return;
        case MenuEvent::Kind::Slid:
            // Keys move the deepest level's slider; only the first level's are live.
            if (m_nav.Depth() != 1) return;
            for (std::size_t i = 0; i < m_menu.size(); ++i)
                if (m_menu[i].slider && m_menu[i].id == event.id) SetSlider(static_cast<int>(i), event.value);
            return;
        }
    }

    bool MakeLevel(std::size_t index) {
        auto level = std::make_unique<Level>();
        level->items = &m_nav.Items(index);
        LayOutLevel(*level);
        if (index == 0) {
            level->screen = PlaceMenu(level->layout.width, level->layout.height, m_anchor.x, m_anchor.y, m_flipY,
                                      WorkAreaAt(m_anchor));
        } else {
            const Level& parent = *m_levels[index - 1];
            const int hot = m_nav.Hot(index - 1);
            RectI row = parent.layout.rows[static_cast<std::size_t>(hot)];
            row.x += parent.screen.x;
            row.y += parent.screen.y - m_metrics.padding;
            level->screen = PlaceSubmenu(level->layout.width, level->layout.height, parent.screen, row,
                                         WorkAreaAt({row.x, row.y}));
        }
        win32::ShellWindowRequest request;
        request.className = m_options.className;
        request.x = level->screen.x;
        request.y = level->screen.y;
        request.width = level->screen.width;
        request.height = level->screen.height;
        request.layered = true;
        request.toolWindow = true;
        request.topmost = true;
        request.noActivate = true;
        request.owner = m_owner;
        request.noRedirectionBitmap = true;
        level->window = win32::CreateShellWindow(request);
        if (!level->window) {
            foundation::LogFailure("menu", L"the menu window could not be made");
            return false;
        }
        ::SetPropW(level->window, kLevelProperty, level.get());
        if (m_options.ownerProperty) ::SetPropW(level->window, m_options.ownerProperty, m_options.ownerValue);
        if (m_options.parentProperty) ::SetPropW(level->window, m_options.parentProperty, m_owner);
        level->ownerProperty = m_options.ownerProperty;
        level->parentProperty = m_options.parentProperty;
        // Touch arrives as touch, not as a mouse made up from it (the system may not offer it).
        kestrana::win32::RegisterTouch(level->window, 0);
        level->picture = Bitmap(level->layout.width, level->layout.height);
        m_levels.push_back(std::move(level));
        return true;
    }

    // Makes the windows match the navigator's levels and redraws the ones whose lit row
    // changed.
    bool Sync() {
        const std::size_t depth = m_nav.Depth();
        std::size_t keep = 0;
        while (keep < m_levels.size() && keep < depth && m_levels[keep]->items == &m_nav.Items(keep)) ++keep;
        m_levels.resize(keep);
        for (std::size_t i = keep; i < depth; ++i)
            if (!MakeLevel(i)) return false;
        for (std::size_t i = 0; i < m_levels.size(); ++i) {
            Level& l = *m_levels[i];
            const int hot = m_nav.Hot(i);
            l.submenuOpen = i + 1 < m_levels.size();
            if (l.drawnHot == hot) continue;
            if (l.reader) {
                l.reader->Changed();
                if (hot >= 0) l.reader->FocusChanged(MenuRowId(hot));
            }
            DrawMenu(l.picture, *l.items, l.layout, m_metrics, m_look, l.labels, hot);
            const bool first = l.drawnHot == -2;
            l.drawnHot = hot;
            l.surface.Present(l.window, l.picture, {l.screen.x, l.screen.y});
            if (first) ::ShowWindow(l.window, SW_SHOWNOACTIVATE);
        }
        return true;
    }

    HWND m_owner;
    Menu m_menu; // a copy: slider rows change their values while it is open
    MenuNavigator m_nav;
    int m_sliding = -1; // the first level's slider row the pointer holds
    POINT m_anchor;
    int m_flipY;
    TextRenderer& m_text;
    const PopupMenuOptions& m_options;
    MenuMetrics m_metrics;
    MenuLook m_look;
    std::vector<std::unique_ptr<Level>> m_levels;
    HWND m_previousForeground = nullptr;
    HWND m_openForeground = nullptr;
};

} // namespace

int RunPopupMenu(HWND owner, const Menu& menu, POINT anchor, int flipY, TextRenderer& text,
                 const PopupMenuOptions& options) noexcept {
    if (g_open || menu.empty()) return 0;
    g_open = true;
    g_cancel = false;
    int result = 0;
    try {
        Session session(owner, menu, anchor, flipY, text, options);
        g_session = &session;
        result = session.Run();
    } catch (...) {
        foundation::LogCaught("menu");
        result = 0;
    }
    g_session = nullptr;
    g_open = false;
    g_cancel = false;
    return result;
}

bool PopupMenuOpen() noexcept { return g_open; }

void UpdatePopupMenu(const Menu& menu) noexcept {
    if (!g_session) return;
    try {
        g_session->Replace(menu);
    } catch (...) {
        foundation::LogCaught("menu update");
    }
}

void CancelPopupMenu() noexcept {
    if (!g_open) return;
    g_cancel = true;
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

} // namespace kestrana::gfx
