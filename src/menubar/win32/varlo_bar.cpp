#include "menubar/win32/varlo_bar.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/hook_protocol.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/system_function.h"
#include "gfx/win32/popup_menu.h"
#include "gfx/win32/system_look.h"
#include "gfx/win32/window_blur.h"
#include "menubar/bar_geometry.h"
#include "menubar/bar_menus.h"
#include "menubar/clock_text.h"
#include "menubar/win32/bar_host.h"
#include "menubar/win32/core_audio.h"
#include "menubar/win32/media_sessions.h"
#include "menubar/win32/monitor_sampler.h"
#include "menubar/win32/system_actions.h"
#include "menubar/win32/drive_eject.h"
#include "menubar/win32/hotspot_control.h"
#include "menubar/win32/runtime_bluetooth.h"
#include "menubar/win32/wlan_port.h"

#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace kestrana::menubar::win32 {
namespace {

constexpr wchar_t kBackdropClass[] = L"VarloAppBlur";
constexpr UINT_PTR kTimerWallpaper = 9; // dark mode 0: the wallpaper under the bar, every 10 s
constexpr UINT kWallpaperMs = 10000;
constexpr UINT_PTR kTimerInputMethod = 10;
constexpr UINT_PTR kTimerSlide = 11;
constexpr UINT_PTR kTimerShowMode = 12;
constexpr UINT_PTR kTimerItemSlide = 21;
constexpr std::uint64_t kItemSlideMs = 180;
// A foreground change is followed by the window's colour a moment later: the screen may
// still show what stood over it (our Launchpad, a menu) until it has been drawn again.
constexpr UINT_PTR kTimerTint = 17;
// The hover tip shows after the pointer rests on an item; a timed tip hides by itself.
constexpr UINT_PTR kTimerTipShow = 18;
constexpr UINT_PTR kTimerTipHide = 19;
constexpr UINT kTipDelayMs = 600;
constexpr UINT kTintDelayMs = 250;
constexpr int kTintTries = 8;
// A reader asked for an element's default action (wParam: its id); posted, so the menu's
// loop runs outside the reader's call.
constexpr UINT kMsgReaderPress = WM_APP + 47;
// A key the keyboard hook took for the bar (wParam: its virtual key; lParam: Shift held).
constexpr UINT kMsgBarKey = WM_APP + 52;

// The bar that holds the keyboard focus. The bar never becomes the active window (the
// program in front keeps it, as with a click on the bar), so while it holds the focus a
// keyboard hook hands it the keys it acts on; any other key ends its turn.
HWND g_keyboardBar = nullptr;

bool BarKey(DWORD key) {
    switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END: case VK_TAB:
    case VK_RETURN: case VK_SPACE: case VK_ESCAPE: case VK_APPS: case VK_F10: return true;
    default: return false;
    }
}

bool ModifierKey(DWORD key) {
    switch (key) {
    case VK_SHIFT: case VK_LSHIFT: case VK_RSHIFT: case VK_CONTROL: case VK_LCONTROL: case VK_RCONTROL:
    case VK_MENU: case VK_LMENU: case VK_RMENU: case VK_LWIN: case VK_RWIN: return true;
    default: return false;
    }
}

// A system menu is open on the screen (an application's own, which a title opened).
bool SystemMenuShown() {
    bool shown = false;
    ::EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t cls[16] = {};
            if (::IsWindowVisible(window) && ::GetClassNameW(window, cls, 16) && ::lstrcmpW(cls, L"#32768") == 0) {
                *reinterpret_cast<bool*>(found) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    return shown;
}

// Runs between messages of the user-interface thread: it only posts.
LRESULT CALLBACK BarKeyboardHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const auto* bar = g_keyboardBar ? static_cast<const VarloBar*>(::GetPropW(g_keyboardBar, kBarProperty)) : nullptr;
    // An open menu reads the keys itself: ours, or the application's own that a title opened.
    if (code == HC_ACTION && bar && !bar->MenuOpen() && !ModifierKey(key->vkCode) && !SystemMenuShown()) {
        const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        const bool alt = (::GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
        const bool ctrl = (::GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
        if (BarKey(key->vkCode) && !alt && !ctrl) {
            if (down)
                ::PostMessageW(g_keyboardBar, kMsgBarKey, key->vkCode, (::GetAsyncKeyState(VK_SHIFT) & 0x8000) ? 1 : 0);
            return 1; // the bar takes it; the program in front does not act on it too
        }
        // Anything else goes where it was going, and the bar's turn ends.
        if (down) ::PostMessageW(g_keyboardBar, kMsgBarKey, VK_ESCAPE, 2);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::size_t Slot(StatusKind kind) { return static_cast<std::size_t>(kind); }

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool OwnWindow(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid == ::GetCurrentProcessId();
}

// True when a window of this program other than `bar` and `backdrop` is shown over any
// part of `area`: a screen copy there shows our own surface (Launchpad, a menu, a
// prompt), not what lies under the bar.
bool OwnWindowOver(const RECT& area, HWND bar, HWND backdrop) {
    struct Search {
        RECT area;
        HWND bar, backdrop;
        DWORD self;
        bool found;
    } search{area, bar, backdrop, ::GetCurrentProcessId(), false};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if (window == s.bar || window == s.backdrop || !::IsWindowVisible(window)) return TRUE;
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            RECT r{}, common{};
            if (pid == s.self && ::GetWindowRect(window, &r) && ::IntersectRect(&common, &r, &s.area)) {
                s.found = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring LongDate() {
    wchar_t text[128] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, text, 128, nullptr);
    return text;
}

std::wstring ItemName(foundation::ConfigStore& store, StatusKind kind) {
    switch (kind) {
    case StatusKind::Time: return store.LanguageText(L"iconame", L"timeformat", L"Clock");
    case StatusKind::SystemControl: return store.LanguageText(L"findermenu", L"focusassist", L"Focus Assist");
    case StatusKind::Search: return store.LanguageText(L"findermenu", L"searchitem", L"Search");
    case StatusKind::UserAccount: return store.LanguageText(L"findermenu", L"useritem", L"User Account");
    case StatusKind::InputMethod:
    case StatusKind::InputMethodZh: return store.LanguageText(L"findermenu", L"imeitem", L"Input Source");
    default: return {};
    }
}

} // namespace

VarloBar::VarloBar(BarHost& host, BarPlace place, const std::vector<StatusKind>& order)
    : m_host(host), m_place(std::move(place)), m_row(order), m_views(kCreationOrder.size()) {
    static const bool registered = [] {
        return kestrana::win32::RegisterWindowClass(kBarClass, Proc) &&
               kestrana::win32::RegisterWindowClass(kBackdropClass, BackdropProc);
    }();
    (void)registered;

    m_width = m_place.screen.right - m_place.screen.left;
    m_frame = gfx::Bitmap(m_width, m_place.height);
    kestrana::win32::ShellWindowRequest request;
    request.className = kBarClass;
    request.x = m_place.screen.left;
    request.y = m_place.screen.top;
    request.width = m_width;
    request.height = m_place.height;
    request.layered = true;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    request.noRedirectionBitmap = true;
    m_window = kestrana::win32::CreateShellWindow(request);
    if (!m_window) {
        foundation::LogFailure("menu bar", L"the bar window on " + m_place.deviceName + L" could not be made");
        return;
    }
    ::SetPropW(m_window, kBarProperty, this);
    kestrana::win32::RegisterTouch(m_window);

    auto& store = m_host.Store();
    if (store.ReadInt(L"finder", L"logotype") != 0) {
        const std::wstring path = store.ReadString(L"finder", L"logopath");
        const auto bytes = path.empty() ? std::nullopt : store.Files().Read(path);
        if (!bytes) {
            // The custom logo's file is gone: back to the built-in one for good.
            store.WriteInt(L"finder", L"logotype", 0);
        } else if (auto picture = m_host.Decoder().Decode(*bytes, {m_place.height * 2, m_place.height * 2})) {
            m_customLogo = std::move(*picture);
        }
    }
    m_menuStateMessage = ::RegisterWindowMessageW(std::wstring(foundation::kMsgMenuState).c_str());
    // The hook module may run in a process of higher rights than ours.
    if (m_menuStateMessage) ::ChangeWindowMessageFilterEx(m_window, m_menuStateMessage, MSGFLT_ALLOW, nullptr);
    AppSideContext app;
    app.bar = m_window;
    app.monitor = m_place.monitor;
    app.origin = {m_place.screen.left, m_place.screen.top};
    app.height = m_place.height;
    app.scale = m_place.scale;
    app.textScale = m_place.textScale;
    app.store = &store;
    app.text = &m_host.Text();
    app.handshake = &m_host.Handshake();
    app.dockName = [this](const std::wstring& path) { return m_host.DockItemName(path); };
    app.severalBars = [this] { return m_host.Count() > 1 || m_host.AllScreens(); };
    app.runMenu = [this](const gfx::Menu& menu, const gfx::RectI& cell) { return RunMenu(menu, cell); };
    app.changed = [this] { LayOut(); };
    m_app = std::make_unique<AppMenuSide>(std::move(app));
    for (StatusKind kind : kCreationOrder)
        if (m_row.IndexOf(kind) >= 0) RefreshView(kind);
    ApplyLook();
    LayOut();
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
    ApplyShowMode();
    if (m_row.IndexOf(StatusKind::InputMethod) >= 0 || m_row.IndexOf(StatusKind::InputMethodZh) >= 0)
        ::SetTimer(m_window, kTimerInputMethod, 2000, nullptr);
}

VarloBar::~VarloBar() {
    if (g_keyboardBar == m_window) g_keyboardBar = nullptr;
    m_tip.reset();
    m_reader.reset();
    m_app.reset();
    RemoveAppBar();
    if (m_backdrop) ::RemovePropW(m_backdrop.Get(), kBarProperty);
    m_backdrop.Reset();
    if (m_window) {
        ::RemovePropW(m_window, kBarProperty);
        ::DestroyWindow(m_window);
    }
}

LRESULT CALLBACK VarloBar::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* bar = static_cast<VarloBar*>(::GetPropW(window, kBarProperty));
    if (!bar) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return bar->OnMessage(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("menu bar window");
        return 0;
    }
}

LRESULT VarloBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto answer = PassToHost(message, wParam, lParam)) return *answer;
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: OnPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MOUSEMOVE:
        Hover(GET_X_LPARAM(lParam));
        OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE: OnPointerLeft(); return 0;
    case WM_LBUTTONUP: OnRelease(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), false); return 0;
    case WM_RBUTTONUP: OnRelease(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true); return 0;
    case WM_CAPTURECHANGED: OnCaptureLost(); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case kMsgBarKey:
        if (m_keyboardFocus != foundation::kAccessibleRoot) OnKey(static_cast<int>(wParam), lParam != 0);
        return 0;
    case WM_SETTINGCHANGE: OnSettingChange(wParam, lParam); return 0;
    case kMsgAppBar: OnAppBarNotice(wParam, lParam); return 0;
    case WM_GETOBJECT: return OnGetObject(wParam, lParam);
    case kMsgReaderPress: PressForReader(static_cast<foundation::AccessibleId>(wParam)); return 0;
    case kMsgAccessibleTitles: m_app->OnAccessibleTitles(static_cast<std::uint64_t>(wParam)); return 0;
    case kMsgExplorerView: m_app->OnExplorerView(static_cast<std::uint64_t>(wParam), lParam); return 0;
    default:
        if (message == m_menuStateMessage && m_menuStateMessage) {
            m_app->OnMenuState(static_cast<std::uint32_t>(wParam), static_cast<std::intptr_t>(lParam));
            return 0;
        }
        return ::DefWindowProcW(m_window, message, wParam, lParam);
    }
}

// The news the host serves for every bar: screens, sources, drives, power, sound and
// the screen reader. Nothing when the message is the bar's own.
std::optional<LRESULT> VarloBar::PassToHost(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DISPLAYCHANGE:
        // Screens come and go in bursts: the bars are made again once they settle.
        m_host.DisplayChanged();
        return 0;
    case kMsgClockText:
    case kMsgForeground:
    case kMsgInputMethods:
    case kMsgEndBars:
    case kMsgLowBattery:
    case kMsgBrightness:
    case kMsgWifiChanged:
    case kMsgBluetoothChanged:
    case kMsgHotspot:
    case kMsgLookTick:
    case kMsgMinuteTick:
    case kMsgMedia:
        // The host may take every bar down here: nothing of this bar is touched after.
        m_host.OnHostMessage(message);
        return 0;
    case kMsgDriveOffer:
        m_host.OfferEject(static_cast<wchar_t>(wParam));
        return 0;
    case kMsgDriveEjected:
        m_host.DriveEjected(static_cast<wchar_t>(wParam), lParam);
        return 0;
    case WM_DEVICECHANGE:
        m_host.DeviceChange(m_window, wParam, lParam);
        return TRUE;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMPOWERSTATUSCHANGE || wParam == PBT_POWERSETTINGCHANGE || wParam == PBT_APMRESUMEAUTOMATIC)
            m_host.PowerChanged(m_window);
        return TRUE;
    case kMsgAudioDevices:
    case kMsgAudioVolume: m_host.OnAudioMessage(message, wParam, lParam); return 0;
    case kMsgMonitors:
        m_host.MonitorsChanged(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
        return 0;
    case kMsgReaderValues:
    case kMsgReaderSensors:
    case WM_COPYDATA:
        m_host.OnReaderMessage(message, wParam, lParam);
        return message == WM_COPYDATA ? TRUE : 0;
    default: return std::nullopt;
    }
}

void VarloBar::OnPointerLeft() {
    m_watchingLeave = false;
    // A hover tip goes with the pointer; a program's balloon or a notice keeps its time.
    if (!m_tipTimed) HideTip();
}

void VarloBar::OnCaptureLost() {
    if (m_row.Release()) {
        m_host.OrderChanged(m_row.Order());
        LayOut();
    }
    m_pressTarget = Target::None;
}

void VarloBar::OnSettingChange(WPARAM wParam, LPARAM lParam) {
    if (gfx::SystemLookChange(wParam, lParam)) ApplyLook();
    // A new text size changes the bar's height: the bars are made again.
    if (gfx::TextScale() != m_place.textScale) m_host.DisplayChanged();
}

void VarloBar::OnAppBarNotice(WPARAM wParam, LPARAM lParam) {
    if (wParam == ABN_POSCHANGED && m_appBar) RegisterAppBar();
    if (wParam == ABN_FULLSCREENAPP)
        ::SetWindowPos(m_window, lParam ? HWND_BOTTOM : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The screen reader's first question builds the bar's accessible host.
LRESULT VarloBar::OnGetObject(WPARAM wParam, LPARAM lParam) {
    if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        if (!m_reader) {
            kestrana::win32::AccessibleActions actions;
            actions.invoke = [window = m_window](foundation::AccessibleId id) {
                return ::PostMessageW(window, kMsgReaderPress, static_cast<WPARAM>(id), 0) != FALSE;
            };
            m_reader = std::make_unique<kestrana::win32::AccessibleHost>(
                m_window, [this] { return BuildBarTree(ReaderFacts()); }, std::move(actions));
        }
        if (const auto answer = m_reader->OnGetObject(wParam, lParam)) return *answer;
    }
    return ::DefWindowProcW(m_window, WM_GETOBJECT, wParam, lParam);
}

void VarloBar::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerMenuTitles:
    case kTimerMenuOpen:
    case kTimerOwnMenuWatch:
    case kTimerAccessibleWatch: m_app->OnTimer(id); return;
    case kTimerForegroundAgain:
        ::KillTimer(m_window, id);
        m_host.LookAtForeground();
        return;
    case kTimerForegroundPoll: m_host.LookAtForeground(); return;
    case kTimerMonitors: m_host.MonitorTick(); return;
    case kTimerLyrics: m_host.LyricsTick(); return;
    case kTimerLyricsLine: m_host.LyricsLineTick(); return;
    case kTimerDriveScan:
        ::KillTimer(m_window, id);
        m_host.ScanDrives();
        return;
    case kTimerWallpaper: SampleWallpaper(); return;
    case kTimerInputMethod: InputMethodChanged(); return;
    case kTimerSlide: StepSlide(); return;
    case kTimerItemSlide: StepItemSlide(); return;
    case kTimerShowMode: CheckCovered(); return;
    case kTimerTint:
        ::KillTimer(m_window, id);
        SampleTint();
        return;
    case kTimerTipShow: {
        ::KillTimer(m_window, id);
        if (m_tipIndex < 0 || m_tipIndex >= static_cast<int>(m_row.Cells().size()) || m_pressTarget != Target::None ||
            gfx::PopupMenuOpen())
            return;
        const StatusKind kind = m_row.Cells()[static_cast<std::size_t>(m_tipIndex)].kind;
        if (const StatusSource* source = m_host.Source(kind)) ShowTip(kind, source->Tip(), 0);
        return;
    }
    case kTimerTipHide:
        ::KillTimer(m_window, id);
        HideTip();
        return;
    case kTimerNextBar:
        ::KillTimer(m_window, id);
        m_host.MakeNextBar();
        return;
    case kTimerRebuild:
        // The open menu's code runs on below this call: close it and come back once it
        // has unwound, since the rebuild frees the bar it belongs to.
        if (gfx::PopupMenuOpen()) {
            foundation::LogDetail("menu bar", L"the screens changed while a menu was open: it closes first");
            gfx::CancelPopupMenu();
            return;
        }
        // Takes this bar down too: nothing of it is touched after.
        ::KillTimer(m_window, id);
        m_host.Rebuild();
        return;
    default: return;
    }
}

bool VarloBar::Built(StatusKind kind) const {
    switch (kind) {
    case StatusKind::Time:
    case StatusKind::SystemControl:
    case StatusKind::Search:
    case StatusKind::UserAccount:
    case StatusKind::InputMethod: return true;
    case StatusKind::InputMethodZh: return m_host.ChineseInstalled();
    default: return m_host.Source(kind) != nullptr;
    }
}

void VarloBar::SetText(View& view, const std::wstring& text, int limit) {
    if (view.textSource == text && view.textLimit == limit && (!view.text.Empty() || text.empty())) return;
    view.textSource = text;
    view.textLimit = limit;
    gfx::TextStyle style;
    style.size = BarTextSize(m_place.scale, m_place.textScale);
    style.color = {255, 255, 255, 255};
    view.text = text.empty() ? gfx::Bitmap() : m_host.Text().Draw(text, style, limit > 0 ? Scaled(limit, m_place.scale) : 0);
}

void VarloBar::SetSmallText(gfx::Bitmap& mask, std::wstring& source, const std::wstring& text) {
    if (source == text && (!mask.Empty() || text.empty())) return;
    source = text;
    gfx::TextStyle style;
    style.family = L"Arial";
    style.size = std::floor(7.5f * m_place.scale);
    style.weight = 700;
    style.color = {255, 255, 255, 255};
    mask = text.empty() ? gfx::Bitmap() : m_host.Text().Draw(text, style);
}

void VarloBar::RefreshView(StatusKind kind) {
    View& view = m_views[Slot(kind)];
    const float s = m_place.scale;
    const int h = m_place.height;
    int width = 0;
    if (const StatusSource* source = m_host.Source(kind)) {
        if (const auto parts = source->Parts(); !parts.empty()) {
            view.glyph = Glyph::None;
            SetText(view, {});
            m_row.SetWidth(kind, PartsWidth(parts.size(), s));
            return;
        }
        const StatusFace face = source->Face();
        view.glyph = face.glyph;
        view.level = face.level;
        view.crossed = face.crossed;
        view.meter = face.meter;
        view.points = face.points;
        if (face.meter != Meter::None) {
            // A meter's texts use the small font: its value or first line, label, second line.
            SetSmallText(view.text, view.textSource, face.shown ? face.text : std::wstring());
            SetSmallText(view.label, view.labelSource, face.label);
            SetSmallText(view.second, view.secondSource, face.second);
            m_row.SetWidth(kind, FaceWidth(face, std::max(view.text.Width(), view.second.Width()), s));
            return;
        }
        SetText(view, face.shown ? face.text : std::wstring(), face.textLimit);
        m_row.SetWidth(kind, FaceWidth(face, view.text.Width(), s));
        return;
    }
    if (Built(kind)) {
        switch (kind) {
        case StatusKind::Time:
            SetText(view, m_host.ClockText());
            width = m_clockWidth = ClockWidth(m_clockWidth, view.text.Width(), h, s);
            break;
        case StatusKind::SystemControl: view.glyph = Glyph::Control; width = Scaled(34, s); break;
        case StatusKind::Search: view.glyph = Glyph::Search; width = Scaled(34, s); break;
        case StatusKind::UserAccount: view.glyph = Glyph::User; width = Scaled(34, s); break;
        case StatusKind::InputMethod: {
            const HKL layout = ForegroundLayout();
            const LANGID language = LOWORD(reinterpret_cast<UINT_PTR>(layout));
            const bool showName = m_host.Store().ReadInt(L"finder", L"IMEname") == 1;
            std::wstring text = LanguageTag(language);
            if (showName) {
                for (const auto& m : m_host.InputMethods())
                    if (m.layout == layout || (!m.layout && m.language == language)) text = m.name;
            }
            SetText(view, text);
            view.framed = !showName;
            width = view.text.Width() + h;
            break;
        }
        case StatusKind::InputMethodZh: {
            const auto open = ForegroundImeOpen();
            SetText(view, open.value_or(false) ? L"\u4E2D" : L"\u82F1");
            view.framed = true;
            width = view.text.Width() + h;
            break;
        }
        default: break;
        }
    }
    m_row.SetWidth(kind, width);
}

void VarloBar::SetCornerInset(int inset) {
    inset = std::clamp(inset, 0, m_width / 4);
    if (inset == m_cornerInset) return;
    m_cornerInset = inset;
    if (m_app) m_app->SetLeft(inset);
    LayOut();
}

void VarloBar::LayOut() {
    // Half the bar, or the end of the application's titles when that comes first.
    const int titlesEnd = m_app ? m_app->RightEdge() : 0;
    m_rowLayout = m_row.LayOut(m_width, m_place.scale, titlesEnd > 0 ? std::min(m_width / 2, titlesEnd) : m_width / 2,
                               m_cornerInset);
    StartItemSlide();
    Redraw();
    if (m_reader) m_reader->Changed(); // another application's titles, or items moved
}

void VarloBar::StartItemSlide() {
    if (!m_row.Sliding()) return;
    if (!m_shown || !gfx::SystemAnimations()) {
        m_row.SettleSlides();
        ::KillTimer(m_window, kTimerItemSlide);
        return;
    }
    m_itemSlideStart = ::GetTickCount64();
    ::SetTimer(m_window, kTimerItemSlide, 15, nullptr);
}

void VarloBar::StepItemSlide() {
    const double progress = static_cast<double>(::GetTickCount64() - m_itemSlideStart) / kItemSlideMs;
    if (!m_row.Slide(progress)) ::KillTimer(m_window, kTimerItemSlide);
    Redraw();
}

gfx::RectI VarloBar::FreeMiddle() const {
    int left = m_app ? m_app->RightEdge() : 0;
    if (left <= 0) left = Scaled(46, m_place.scale); // the logo's end
    int right = m_width - m_cornerInset;
    for (const StatusCell& cell : m_row.Cells())
        if (cell.placed && cell.width > 0) right = std::min(right, cell.x);
    if (m_rowLayout.moreX) right = std::min(right, *m_rowLayout.moreX);
    return {left, 0, std::max(0, right - left), m_place.height};
}

void VarloBar::ShowLyricsLine(gfx::Bitmap mask, const gfx::RectI& where) {
    const bool same = mask.Width() == m_lyricsLine.Width() && mask.Height() == m_lyricsLine.Height() &&
                      where == m_lyricsRect && std::ranges::equal(mask.Pixels(), m_lyricsLine.Pixels());
    if (same) return;
    const gfx::RectI touched = gfx::Bounding(m_lyricsRect, where);
    m_lyricsLine = std::move(mask);
    m_lyricsRect = where;
    if (!touched.Empty()) Redraw(&touched);
}

gfx::RectI VarloBar::CellRect(int index) const {
    const StatusCell& cell = m_row.Cells()[static_cast<std::size_t>(index)];
    return {cell.x, 0, cell.width, m_place.height};
}

gfx::RectI VarloBar::ShownCellRect(int index) const {
    const StatusCell& cell = m_row.Cells()[static_cast<std::size_t>(index)];
    return {cell.shownX, 0, cell.width, m_place.height};
}

// A status item drawn from its view: in its row place, or following the pointer.
BarCell VarloBar::ViewCell(const View& view, const gfx::RectI& rect) const {
    BarCell cell;
    cell.rect = rect;
    cell.glyph = view.glyph;
    cell.text = view.text.Empty() ? nullptr : &view.text;
    cell.framed = view.framed;
    cell.level = view.level;
    cell.crossed = view.crossed;
    cell.meter = view.meter;
    cell.label = view.label.Empty() ? nullptr : &view.label;
    cell.second = view.second.Empty() ? nullptr : &view.second;
    cell.points = view.points;
    return cell;
}

BarCell VarloBar::LogoCell() const {
    const LeftSide left = LayOutLeftSide(m_cornerInset, m_place.scale);
    BarCell logo;
    logo.rect = {left.logoX, 0, left.logoWidth, m_place.height};
    logo.glyph = Glyph::Logo;
    logo.picture = m_customLogo.Empty() ? nullptr : &m_customLogo;
    logo.lit = m_litIndex == -1;
    return logo;
}

// The placed items, left to right; an item of parts shows its own pictures.
void VarloBar::AddStatusCells(std::vector<BarCell>& cells) const {
    const auto& row = m_row.Cells();
    const int dragged = m_row.DraggedIndex();
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (!row[i].placed || static_cast<int>(i) == dragged) continue;
        if (const StatusSource* source = m_host.Source(row[i].kind)) {
            const auto parts = source->Parts();
            for (std::size_t p = 0; p < parts.size(); ++p) {
                BarCell part;
                part.rect = PartRect(row[i].shownX, m_place.height, p, m_place.scale);
                part.picture = parts[p].picture;
                cells.push_back(part);
            }
            if (!parts.empty()) continue;
        }
        BarCell cell = ViewCell(m_views[Slot(row[i].kind)], ShownCellRect(static_cast<int>(i)));
        cell.lit = m_litIndex == static_cast<int>(i);
        cells.push_back(cell);
    }
}

std::vector<BarCell> VarloBar::CellsToDraw() const {
    std::vector<BarCell> cells;
    cells.push_back(LogoCell());
    if (m_app) m_app->AddCells(cells);
    AddStatusCells(cells);
    if (!m_lyricsLine.Empty()) {
        BarCell lyrics;
        lyrics.rect = m_lyricsRect;
        lyrics.text = &m_lyricsLine;
        cells.push_back(lyrics);
    }
    if (m_rowLayout.moreX) {
        BarCell more;
        more.rect = {*m_rowLayout.moreX, 0, m_rowLayout.moreWidth, m_place.height};
        more.glyph = Glyph::More;
        more.lit = m_litIndex == -3;
        cells.push_back(more);
    }
    // The dragged item goes last, over the others.
    if (const int dragged = m_row.DraggedIndex(); dragged >= 0) {
        const StatusCell& lifted = m_row.Cells()[static_cast<std::size_t>(dragged)];
        BarCell cell = ViewCell(m_views[Slot(lifted.kind)], {m_row.DraggedX(), 0, lifted.width, m_place.height});
        cell.lit = true;
        cell.opacity = 0.75f;
        cells.push_back(cell);
    }
    return cells;
}

void VarloBar::DrawKeyboardFocus(const BarLook& look, const gfx::RectI* region) {
    if (m_keyboardFocus == foundation::kAccessibleRoot) return;
    const foundation::AccessibleTree shown = BuildBarTree(ReaderFacts());
    if (const foundation::AccessibleElement* focused = shown.Find(m_keyboardFocus)) {
        const gfx::RectI cell{focused->bounds.x - m_place.screen.left, focused->bounds.y - (m_place.screen.top + m_slideOffset),
                              focused->bounds.width, focused->bounds.height};
        DrawBarFocus(m_frame, look, cell, m_place.scale, region);
    }
}

void VarloBar::Redraw(const gfx::RectI* region) {
    if (!m_window || m_frame.Empty()) return;
    // A cell's own region is not where it is drawn while the row slides.
    if (m_row.Sliding()) region = nullptr;
    BarLook look = m_look;
    look.tint = m_tint;
    DrawBarFrame(m_frame, look, CellsToDraw(), m_place.scale, region);
    DrawKeyboardFocus(look, region);
    const POINT at{m_place.screen.left, m_place.screen.top + m_slideOffset};
    if (!m_surface.Present(m_window, m_frame, at, 255, region))
        foundation::LogFailure("menu bar", L"the bar's picture was refused");
}

void VarloBar::ClockChanged() {
    const int index = m_row.IndexOf(StatusKind::Time);
    if (index < 0) return;
    const int before = m_clockWidth;
    RefreshView(StatusKind::Time);
    const StatusCell& cell = m_row.Cells()[static_cast<std::size_t>(index)];
    if (m_clockWidth != before || !cell.placed) {
        LayOut();
        return;
    }
    // Only the clock's own cell changes on a tick.
    const gfx::RectI region = CellRect(index);
    Redraw(&region);
    if (m_reader) m_reader->ValueChanged(BarStatusId(StatusKind::Time));
}

void VarloBar::SourceChanged(StatusKind kind) {
    const int index = m_row.IndexOf(kind);
    if (index < 0) return;
    const int before = m_row.Cells()[static_cast<std::size_t>(index)].width;
    RefreshView(kind);
    const StatusCell& cell = m_row.Cells()[static_cast<std::size_t>(index)];
    if (cell.width != before || (cell.width > 0 && !cell.placed)) {
        if (m_changesHeld > 0) m_heldLayOut = true;
        else LayOut();
    } else if (cell.placed) {
        const gfx::RectI region = CellRect(index);
        if (m_changesHeld > 0) m_heldRegion = m_heldRegion ? gfx::Bounding(*m_heldRegion, region) : region;
        else Redraw(&region);
    }
    if (m_reader) m_reader->ValueChanged(BarStatusId(kind));
}

void VarloBar::EndChanges() {
    if (m_changesHeld == 0 || --m_changesHeld > 0) return;
    const bool layOut = std::exchange(m_heldLayOut, false);
    const std::optional<gfx::RectI> region = std::exchange(m_heldRegion, std::nullopt);
    if (layOut) LayOut();
    else if (region) Redraw(&*region);
}

void VarloBar::PressForReader(foundation::AccessibleId id) {
    // Only what the bar shows now: a stale id, or one another program made up, does nothing.
    const foundation::AccessibleTree shown = BuildBarTree(ReaderFacts());
    const foundation::AccessibleElement* element = shown.Find(id);
    if (!element || element->id == foundation::kAccessibleRoot || element->defaultAction.empty()) return;
    if (const auto part = BarPartOf(id)) {
        StatusSource* source = m_host.Source(part->first);
        if (source && element->bounds.width > 0)
            source->PressPart(part->second, PartPress::Left, element->bounds.x + element->bounds.width / 2,
                              element->bounds.y + element->bounds.height / 2);
        return;
    }
    if (id == kBarLogoId) return OpenMenuFor(Target::Logo, -1, false);
    if (id == kBarMoreId) return OpenMenuFor(Target::More, -1, false);
    if (id >= BarStatusId(StatusKind{})) {
        const int index = m_row.IndexOf(static_cast<StatusKind>(id - BarStatusId(StatusKind{})));
        if (index >= 0) OpenMenuFor(Target::Status, index, false);
        return;
    }
    if (id >= BarTitleId(0)) OpenMenuFor(Target::App, static_cast<int>(id - BarTitleId(0)), false);
}

void VarloBar::TakeKeyboard() {
    if (!m_shown) SlideTo(true);
    if (g_keyboardBar && g_keyboardBar != m_window) {
        if (auto* other = static_cast<VarloBar*>(::GetPropW(g_keyboardBar, kBarProperty))) other->LeaveKeyboard(false);
    }
    if (!m_keyboardHook) {
        m_keyboardHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, BarKeyboardHook, ::GetModuleHandleW(nullptr), 0));
        if (!m_keyboardHook) {
            foundation::LogFailure("menu bar keyboard", L"no keyboard hook: the bar cannot take the keyboard");
            return;
        }
    }
    g_keyboardBar = m_window;
    m_keyboardFrom = ::GetForegroundWindow();
    SetKeyboardFocus(kBarLogoId);
    foundation::LogDetail("menu bar keyboard", L"the bar has the keyboard");
}

void VarloBar::SetKeyboardFocus(foundation::AccessibleId id) {
    if (id == m_keyboardFocus) return;
    m_keyboardFocus = id;
    Redraw();
    if (m_reader && id != foundation::kAccessibleRoot) m_reader->FocusChanged(id);
}

void VarloBar::LeaveKeyboard(bool restore) {
    if (m_keyboardFocus == foundation::kAccessibleRoot) return;
    m_keyboardHook.Reset();
    if (g_keyboardBar == m_window) g_keyboardBar = nullptr;
    SetKeyboardFocus(foundation::kAccessibleRoot);
    // A menu chosen from the keyboard may have brought another window forward meanwhile.
    HWND back = std::exchange(m_keyboardFrom, nullptr);
    if (restore && back && ::IsWindow(back) && OwnWindow(::GetForegroundWindow()) && !::SetForegroundWindow(back))
        foundation::LogFailure("menu bar keyboard", L"the keyboard could not be given back");
    foundation::LogDetail("menu bar keyboard", L"the bar let the keyboard go");
    CheckCovered(); // a bar that slides away may go again
}

void VarloBar::OnKey(int virtualKey, bool shift) {
    const foundation::AccessibleTree shown = BuildBarTree(ReaderFacts());
    const foundation::SurfaceKeyResult result = foundation::KeyOnSurface(shown, m_keyboardFocus, virtualKey, shift, true);
    switch (result.verb) {
    case foundation::SurfaceVerb::None: return;
    case foundation::SurfaceVerb::Move: SetKeyboardFocus(result.target); return;
    // Every cell's action is its menu, as under a click.
    case foundation::SurfaceVerb::Activate:
    case foundation::SurfaceVerb::OpenMenu: PressForReader(result.target); return;
    case foundation::SurfaceVerb::Leave: LeaveKeyboard(true); return;
    }
}

BarFacts VarloBar::ReaderFacts() const {
    BarFacts facts;
    facts.focused = m_keyboardFocus;
    facts.originX = m_place.screen.left;
    facts.originY = m_place.screen.top + m_slideOffset;
    facts.width = m_width;
    facts.height = m_place.height;
    const LeftSide left = LayOutLeftSide(m_cornerInset, m_place.scale);
    facts.logo = {left.logoX, 0, left.logoWidth, m_place.height};
    facts.logoMenuOpen = m_litIndex == -1;
    if (m_app) m_app->AddReaderFacts(facts);
    const auto& row = m_row.Cells();
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (!row[i].placed || static_cast<int>(i) == m_row.DraggedIndex()) continue;
        const StatusSource* source = m_host.Source(row[i].kind);
        facts.status.push_back({row[i].kind, source ? source->ReaderValue() : m_views[Slot(row[i].kind)].textSource,
                                CellRect(static_cast<int>(i)), source ? source->Name() : std::wstring(), {}});
        if (source)
            for (const StatusPart& part : source->Parts())
                facts.status.back().parts.push_back(
                    {part.name, PartRect(row[i].x, m_place.height, facts.status.back().parts.size(), m_place.scale)});
        if (m_litIndex == static_cast<int>(i)) facts.openStatus = row[i].kind;
    }
    if (m_rowLayout.moreX) facts.more = gfx::RectI{*m_rowLayout.moreX, 0, m_rowLayout.moreWidth, m_place.height};
    return facts;
}

void VarloBar::InputMethodChanged() {
    bool changed = false;
    for (StatusKind kind : {StatusKind::InputMethod, StatusKind::InputMethodZh}) {
        const int index = m_row.IndexOf(kind);
        if (index < 0) continue;
        const std::wstring before = m_views[Slot(kind)].textSource;
        const int width = m_row.Cells()[static_cast<std::size_t>(index)].width;
        RefreshView(kind);
        changed |= before != m_views[Slot(kind)].textSource || width != m_row.Cells()[static_cast<std::size_t>(index)].width;
    }
    if (changed) LayOut();
}

void VarloBar::SetOrder(const std::vector<StatusKind>& order) {
    StatusRow row(order);
    for (const StatusCell& cell : m_row.Cells()) row.SetWidth(cell.kind, cell.width);
    m_row = std::move(row);
    LayOut();
}

void VarloBar::RefreshLook() {
    const DarkMode mode = m_host.Dark();
    bool dark = ResolveDark(mode, m_wallpaperDark, mode == DarkMode::AppTheme && AppsUseDarkTheme());
    if (m_tint && m_host.AutoColor()) dark = NeedsDarkBar(*m_tint);
    const BarLook next = ReadBarLook(m_host.Store(), dark);
    if (next.dark != m_look.dark || next.alpha != m_look.alpha ||
        gfx::HighContrastColours().has_value() != m_look.contrast.has_value())
        ApplyLook();
}

void VarloBar::ApplyLook() {
    const DarkMode mode = m_host.Dark();
    if (mode == DarkMode::Wallpaper) {
        if (!m_wallpaperDark) SampleWallpaper();
        ::SetTimer(m_window, kTimerWallpaper, kWallpaperMs, nullptr);
    } else {
        ::KillTimer(m_window, kTimerWallpaper);
    }
    bool dark = ResolveDark(mode, m_wallpaperDark, mode == DarkMode::AppTheme && AppsUseDarkTheme());
    if (!m_host.AutoColor()) m_tint.reset();
    if (m_tint) dark = NeedsDarkBar(*m_tint);
    m_look = ReadBarLook(m_host.Store(), dark);
    // High contrast: the scheme's plain colours, never translucent or blurred.
    m_look.contrast = gfx::HighContrastColours();
    if (m_look.contrast) m_look.blur = false;

    const bool blur = m_look.blur && !m_tint && m_shown;
    if (blur && !m_backdrop) {
        kestrana::win32::ShellWindowRequest request;
        request.className = kBackdropClass;
        request.x = m_place.screen.left;
        request.y = m_place.screen.top;
        request.width = m_width;
        request.height = m_place.height;
        request.toolWindow = true;
        request.noActivate = true;
        m_backdrop.Reset(kestrana::win32::CreateShellWindow(request));
        if (m_backdrop && !gfx::EnableBlurBehind(m_backdrop.Get())) {
            // No blur on this system: the translucent bar alone is the look.
            m_backdrop.Reset();
            m_look.blur = false;
        }
        if (m_backdrop) ::SetPropW(m_backdrop.Get(), kBarProperty, this);
    }
    if (m_backdrop) {
        if (blur)
            ::SetWindowPos(m_backdrop.Get(), m_window, m_place.screen.left, m_place.screen.top, m_width, m_place.height,
                           SWP_NOACTIVATE | SWP_SHOWWINDOW);
        else
            ::ShowWindow(m_backdrop.Get(), SW_HIDE);
    }
    Redraw();
}

void VarloBar::SampleWallpaper() {
    // Two patches under the bar, one at each end, each as wide as the bar is high.
    const RECT& s = m_place.screen;
    const int h = m_place.height;
    // Our own full-screen surfaces would pass for a dark wallpaper until the next sample.
    if (OwnWindowOver({s.left, s.top, s.left + h, s.top + h}, m_window, m_backdrop.Get()) ||
        OwnWindowOver({s.right - h, s.top, s.right, s.top + h}, m_window, m_backdrop.Get()))
        return;
    const gfx::Bitmap left = CaptureScreen({s.left, s.top, s.left + h, s.top + h});
    const gfx::Bitmap right = CaptureScreen({s.right - h, s.top, s.right, s.top + h});
    const gfx::Bitmap* samples[] = {&left, &right};
    const auto average = AverageColor(samples);
    if (!average) return;
    const bool dark = NeedsDarkBar(*average);
    const bool first = !m_wallpaperDark;
    if (m_wallpaperDark == dark) return;
    m_wallpaperDark = dark;
    if (!first) ApplyLook(); // the first sample is taken inside ApplyLook itself
}

void VarloBar::ForegroundChanged() {
    // Another program came forward (a click, a task switch): the bar's turn with the keyboard ends.
    if (m_keyboardFocus != foundation::kAccessibleRoot) {
        HWND now = ::GetForegroundWindow();
        // None in front is a moment between two windows, not a choice of the user's.
        if (now && now != m_keyboardFrom && !OwnWindow(now)) {
            wchar_t cls[64] = {};
            ::GetClassNameW(now, cls, 64);
            foundation::LogDetail("menu bar keyboard", std::wstring(L"a window of class ") + cls + L" came forward");
            LeaveKeyboard(false);
        }
    }
    InputMethodChanged();
    if (m_app) m_app->Follow(::GetForegroundWindow());
    if (!m_host.AutoColor()) return;
    m_tintTries = kTintTries;
    if (!::SetTimer(m_window, kTimerTint, kTintDelayMs, nullptr)) SampleTint();
}

void VarloBar::SampleTint() {
    std::optional<gfx::Color> tint;
    HWND foreground = ::GetForegroundWindow();
    // Our own surfaces (a menu, Launchpad) come and go over the program in front: the bar
    // keeps that program's colour meanwhile rather than flashing to its plain look.
    if (foreground && OwnWindow(foreground)) return;
    const RECT& s = m_place.screen;
    if (foreground && ::IsWindowVisible(foreground) && !IsCloaked(foreground) &&
        ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST) == m_place.monitor) {
        RECT r{};
        ::GetWindowRect(foreground, &r);
        const int below = s.top + m_place.height;
        // A window that meets the bar lends it the colour of its top edge.
        if (r.top <= below + 2 && r.bottom > below + 4) {
            const int x = std::clamp<int>((r.left + r.right) / 2, s.left, s.right - 1);
            const RECT spot{x, below + 1, x + 1, below + 2};
            // Our own surface there would lend its colour instead: look again later.
            if (OwnWindowOver(spot, m_window, m_backdrop.Get())) {
                if (--m_tintTries > 0) ::SetTimer(m_window, kTimerTint, kTintDelayMs, nullptr);
                return;
            }
            const gfx::Bitmap pixel = CaptureScreen(spot);
            if (!pixel.Empty()) tint = gfx::Unpremultiply(pixel.At(0, 0));
        }
    }
    if (tint == m_tint) return;
    m_tint = tint;
    ApplyLook();
}

void VarloBar::MenuSettingChanged() {
    if (!m_app) return;
    m_app->Forget();
    m_app->Follow(::GetForegroundWindow());
}

void VarloBar::RegisterAppBar() {
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_window;
    if (!m_appBar) {
        data.uCallbackMessage = kMsgAppBar;
        if (!::SHAppBarMessage(ABM_NEW, &data)) {
            foundation::LogFailure("menu bar", L"the shell did not take the bar as an application bar");
            return;
        }
        m_appBar = true;
    }
    data.uEdge = ABE_TOP;
    data.rc = {m_place.screen.left, m_place.screen.top, m_place.screen.right, m_place.screen.top + m_place.height};
    ::SHAppBarMessage(ABM_QUERYPOS, &data);
    data.rc.bottom = data.rc.top + m_place.height;
    ::SHAppBarMessage(ABM_SETPOS, &data);
}

void VarloBar::RemoveAppBar() noexcept {
    if (!m_appBar) return;
    APPBARDATA data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_window;
    ::SHAppBarMessage(ABM_REMOVE, &data);
    m_appBar = false;
}

void VarloBar::ReleaseScreenSpace() noexcept {
    if (m_window) ::ShowWindowAsync(m_window, SW_HIDE);
    if (m_backdrop) ::ShowWindowAsync(m_backdrop.Get(), SW_HIDE);
    RemoveAppBar();
}

// --- show modes ----------------------------------------------------------------------

void VarloBar::ApplyShowMode() {
    if (m_host.Show() == ShowMode::Always) {
        ::KillTimer(m_window, kTimerShowMode);
        RegisterAppBar();
        if (!m_shown) SlideTo(true);
        return;
    }
    // A bar that hides itself keeps no space: windows may use the whole screen.
    RemoveAppBar();
    ::SetTimer(m_window, kTimerShowMode, m_host.Show() == ShowMode::HideWhenLeft ? 100 : 250, nullptr);
}

void VarloBar::CheckCovered() {
    if (m_host.Show() == ShowMode::Always || gfx::PopupMenuOpen() || m_pressTarget != Target::None) return;
    POINT p{};
    ::GetCursorPos(&p);
    const RECT& s = m_place.screen;
    const bool acrossScreen = p.x >= s.left && p.x < s.right;
    const bool atTop = acrossScreen && p.y >= s.top && p.y <= s.top + 1;
    const bool onBar = acrossScreen && p.y >= s.top && p.y < s.top + m_place.height;
    bool wantShown = onBar || (!m_shown ? atTop : false);
    if (!wantShown && m_host.Show() == ShowMode::HideWhenCovered) {
        // Hidden only while a window reaches into the bar's strip.
        bool covered = false;
        HWND foreground = ::GetForegroundWindow();
        wchar_t cls[32] = {};
        if (foreground) ::GetClassNameW(foreground, cls, 32);
        if (foreground && !OwnWindow(foreground) && ::IsWindowVisible(foreground) && !IsCloaked(foreground) &&
            ::lstrcmpW(cls, L"Progman") != 0 && ::lstrcmpW(cls, L"WorkerW") != 0 &&
            ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST) == m_place.monitor) {
            RECT r{};
            ::GetWindowRect(foreground, &r);
            covered = r.top < s.top + m_place.height && r.bottom > s.top;
        }
        wantShown = !covered;
    }
    if (wantShown != m_shown) SlideTo(wantShown);
}

void VarloBar::SlideTo(bool shown) {
    m_shown = shown;
    if (shown) {
        ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
        ApplyLook();
    } else if (m_backdrop) {
        ::ShowWindow(m_backdrop.Get(), SW_HIDE);
    }
    m_sliding = true;
    ::SetTimer(m_window, kTimerSlide, 15, nullptr);
}

void VarloBar::StepSlide() {
    const int target = m_shown ? 0 : -m_place.height;
    const int step = std::max(1, m_place.height / 6);
    m_slideOffset = m_slideOffset < target ? std::min(target, m_slideOffset + step) : std::max(target, m_slideOffset - step);
    if (!m_surface.Move(m_window, {m_place.screen.left, m_place.screen.top + m_slideOffset})) Redraw();
    if (m_slideOffset != target) return;
    ::KillTimer(m_window, kTimerSlide);
    m_sliding = false;
    // Out of sight it must not hang into a screen above this one.
    if (!m_shown) ::ShowWindow(m_window, SW_HIDE);
}

// --- pointer -----------------------------------------------------------------------

std::pair<VarloBar::Target, int> VarloBar::TargetAt(int x) const {
    const LeftSide left = LayOutLeftSide(m_cornerInset, m_place.scale);
    if (x >= left.logoX && x < left.logoX + left.logoWidth) return {Target::Logo, -1};
    if (const int app = m_app->HitTest(x); app >= 0) return {Target::App, app};
    if (m_rowLayout.moreX && x >= *m_rowLayout.moreX && x < *m_rowLayout.moreX + m_rowLayout.moreWidth)
        return {Target::More, -3};
    const int index = m_row.IndexAt(x);
    if (index >= 0) return {Target::Status, index};
    return {Target::Empty, -2};
}

void VarloBar::Hover(int x) {
    if (!m_watchingLeave) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window, 0};
        m_watchingLeave = ::TrackMouseEvent(&track) != FALSE;
    }
    if (m_pressTarget != Target::None) return;
    const int index = m_row.IndexAt(x);
    const int part = PartUnder(index, x);
    if (index == m_tipIndex && part == m_tipPart) return;
    HideTip();
    m_tipIndex = index;
    m_tipPart = part;
    if (index < 0) return;
    StatusSource* source = m_host.Source(m_row.Cells()[static_cast<std::size_t>(index)].kind);
    if (source && part >= 0) {
        POINT p{};
        ::GetCursorPos(&p);
        source->PressPart(static_cast<std::size_t>(part), PartPress::Hover, p.x, p.y);
    }
    if (source && !source->Tip().empty()) ::SetTimer(m_window, kTimerTipShow, kTipDelayMs, nullptr);
}

void VarloBar::HideTip() {
    ::KillTimer(m_window, kTimerTipShow);
    ::KillTimer(m_window, kTimerTipHide);
    m_tipTimed = false;
    m_tipIndex = -1;
    m_tipPart = -1;
    if (m_tip) m_tip->Hide();
}

void VarloBar::ShowTip(StatusKind kind, const std::wstring& text, int ms) {
    const int index = m_row.IndexOf(kind);
    if (index < 0 || text.empty() || !m_row.Cells()[static_cast<std::size_t>(index)].placed) return;
    if (!m_tip) m_tip = std::make_unique<BarTip>(m_host.Text());
    const gfx::RectI cell = CellRect(index);
    const RECT& s = m_place.screen;
    const RECT onScreen{s.left + cell.x, s.top + m_slideOffset, s.left + cell.Right(), s.top + m_slideOffset + cell.height};
    m_tip->Show(text, onScreen, s, m_place.scale, m_look.dark);
    m_tipTimed = ms > 0;
    if (ms > 0) ::SetTimer(m_window, kTimerTipHide, static_cast<UINT>(ms), nullptr);
}

void VarloBar::ShowNotice(const std::wstring& text) {
    for (const auto& cell : m_row.Cells()) {
        if (!cell.placed) continue;
        ShowTip(cell.kind, text, 5000);
        return;
    }
}

void VarloBar::OnPress(int x, int y) {
    HideTip();
    ::SetCapture(m_window);
    std::tie(m_pressTarget, m_pressIndex) = TargetAt(x);
    if (m_pressTarget == Target::Status) m_row.Press(m_pressIndex, x);
    m_quickCloseTarget = nullptr;
    if (x >= m_width - 2 && y <= 2 && m_host.Store().ReadInt(L"finder", L"fastclosewindow") == 1) {
        HWND foreground = ::GetForegroundWindow();
        if (foreground && !OwnWindow(foreground) &&
            ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST) == m_place.monitor)
            m_quickCloseTarget = foreground;
    }
}

void VarloBar::OnMove(int x, int) {
    if (m_pressTarget != Target::Status || ::GetCapture() != m_window) return;
    const bool locked = m_host.Store().ReadInt(L"finder", L"lockbtn") == 1 || m_host.AllScreens();
    switch (m_row.Move(x, locked)) {
    case DragStep::None: return;
    case DragStep::Started:
    case DragStep::Moved: Redraw(); return;
    case DragStep::Swapped: LayOut(); return;
    }
}

void VarloBar::OnRelease(int x, int y, bool right) {
    const Target pressed = m_pressTarget;
    const int pressedIndex = m_pressIndex;
    const bool dragged = m_row.Release();
    m_pressTarget = Target::None;
    if (::GetCapture() == m_window) ::ReleaseCapture();
    if (dragged) {
        m_host.OrderChanged(m_row.Order());
        LayOut();
        return;
    }
    if (m_quickCloseTarget) {
        // Quick close: press and release in the bar's top-right corner close the window
        // that was in front when the press began.
        HWND target = m_quickCloseTarget;
        m_quickCloseTarget = nullptr;
        if (x >= m_width - 2 && y <= 2 && ::IsWindow(target)) ::PostMessageW(target, WM_SYSCOMMAND, SC_CLOSE, 0);
        return;
    }
    const auto [target, index] = TargetAt(x);
    if (target != pressed || index != pressedIndex) {
        if (foundation::DetailLogging()) foundation::LogDetail("menu bar", "released away from the press at x " + std::to_string(x));
        return;
    }
    if (target == Target::Status) {
        const int part = PartUnder(index, x);
        if (part >= 0) {
            POINT p{};
            ::GetCursorPos(&p);
            if (StatusSource* source = m_host.Source(m_row.Cells()[static_cast<std::size_t>(index)].kind))
                source->PressPart(static_cast<std::size_t>(part), right ? PartPress::Right : PartPress::Left, p.x, p.y);
            return;
        }
    }
    OpenMenuFor(target, index, right);
}

int VarloBar::PartUnder(int index, int x) const {
    if (index < 0 || index >= static_cast<int>(m_row.Cells().size())) return -1;
    const StatusCell& cell = m_row.Cells()[static_cast<std::size_t>(index)];
    const StatusSource* source = m_host.Source(cell.kind);
    if (!source) return -1;
    return PartAt(cell.x, x, source->Parts().size(), m_place.scale);
}

// --- menus ---------------------------------------------------------------------------

int VarloBar::RunMenu(const gfx::Menu& menu, const gfx::RectI& cell, std::function<int(int, int)> slide) {
    Redraw();
    gfx::PopupMenuOptions options;
    options.slide = std::move(slide);
    options.className = kMenuClass;
    options.ownerProperty = kBarProperty;
    options.ownerValue = this;
    options.scale = m_place.scale;
    options.dark = m_look.dark;
    const POINT anchor{m_place.screen.left + cell.x, m_place.screen.top + m_place.height};
    const int id = gfx::RunPopupMenu(m_window, menu, anchor, m_place.screen.top, m_host.Text(), options);
    m_litIndex = -2;
    Redraw();
    return id;
}

int VarloBar::OpenItemMenu(StatusKind kind, const gfx::RectI& cell) {
    auto& store = m_host.Store();
    switch (kind) {
    case StatusKind::Time: return RunMenu(ClockMenu(store, LongDate()), cell);
    case StatusKind::SystemControl: return RunMenu(FocusMenu(store, FocusAssistLevel()), cell);
    case StatusKind::UserAccount: return RunMenu(UserMenu(store), cell);
    case StatusKind::InputMethod: return RunMenu(m_host.InputMethodMenu(), cell);
    case StatusKind::Search:
        // Search has no menu: it opens the system's search.
        m_litIndex = -2;
        PressWindowsKeyWith('S');
        return 0;
    case StatusKind::InputMethodZh:
        // Switches the Chinese input method between Chinese and English input.
        m_litIndex = -2;
        SetForegroundImeOpen(!ForegroundImeOpen().value_or(false));
        InputMethodChanged();
        return 0;
    default: {
        // An item that plugs in runs its own rows; nothing comes back to the host.
        StatusSource* source = m_host.Source(kind);
        const gfx::Menu menu = source ? source->Menu() : gfx::Menu{};
        if (menu.empty()) {
            m_litIndex = -2;
            return 0;
        }
        m_host.ItemMenuOpen(kind);
        const int id = RunMenu(menu, cell, [this, kind](int row, int value) {
            // Looked up again: the host may have replaced its sources meanwhile.
            StatusSource* live = m_host.Source(kind);
            return live ? live->Slide(row, value) : value;
        });
        m_host.ItemMenuOpen(std::nullopt);
        if (id != 0)
            if (StatusSource* live = m_host.Source(kind)) live->Choose(id);
        return 0;
    }
    }
}

void VarloBar::OpenMenuFor(Target target, int index, bool context) {
    auto& store = m_host.Store();
    const LeftSide left = LayOutLeftSide(m_cornerInset, m_place.scale);
    int id = 0;
    if (context && (target == Target::Logo || target == Target::App)) target = Target::Empty;
    if (context && target == Target::Status) {
        const StatusKind kind = m_row.Cells()[static_cast<std::size_t>(index)].kind;
        if (kind == StatusKind::Search || kind == StatusKind::InputMethodZh) target = Target::Empty;
    }
    switch (target) {
    case Target::None: return;
    case Target::Empty: {
        ContextMenuFacts facts;
        facts.menusHidden = store.HasKey(L"finder", L"findermenu") && store.ReadInt(L"finder", L"findermenu") == 0;
        facts.darkMode = m_host.Dark();
        facts.autoColor = m_host.AutoColor();
        facts.showMode = m_host.Show();
        facts.taskbarHidden = TaskbarHidden();
        facts.nativeMenu = m_app->HasNativeMenu();
        POINT p{};
        ::GetCursorPos(&p);
        id = RunMenu(BarContextMenu(store, facts), {p.x - m_place.screen.left, 0, 1, m_place.height});
        break;
    }
    case Target::Logo:
        m_litIndex = -1;
        id = RunMenu(m_host.LogoMenu(), {left.logoX, 0, left.logoWidth, m_place.height});
        break;
    case Target::More: {
        gfx::Menu menu;
        for (std::size_t i = 0; i < m_rowLayout.overflow.size(); ++i) {
            const StatusKind kind = m_row.Cells()[m_rowLayout.overflow[i]].kind;
            const StatusSource* source = m_host.Source(kind);
            menu.push_back(gfx::MenuItem::Command(command::kMoreFirst + static_cast<int>(i),
                                                  source ? source->Name() : ItemName(store, kind)));
        }
        m_litIndex = -3;
        const gfx::RectI cell{*m_rowLayout.moreX, 0, m_rowLayout.moreWidth, m_place.height};
        const int chosen = RunMenu(menu, cell) - command::kMoreFirst;
        if (chosen >= 0 && chosen < static_cast<int>(m_rowLayout.overflow.size())) {
            // The chosen item's own menu opens where the "more" item stands.
            m_litIndex = -3;
            id = OpenItemMenu(m_row.Cells()[m_rowLayout.overflow[static_cast<std::size_t>(chosen)]].kind, cell);
        }
        break;
    }
    case Target::Status:
        m_litIndex = index;
        id = OpenItemMenu(m_row.Cells()[static_cast<std::size_t>(index)].kind, CellRect(index));
        break;
    case Target::App:
        if (!context) m_app->OpenTitle(index);
        return;
    }
    if (id == command::kSystemMenu) {
        m_app->OpenNativeMenu();
        return;
    }
    if (id) m_host.RunCommand(*this, id);
}

} // namespace kestrana::menubar::win32
