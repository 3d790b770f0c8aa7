#include "settings/win32/settings_window.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/process_state.h"
#include "foundation/win32/process_memory.h"
#include "foundation/win32/system_function.h"
#include "gfx/win32/bitmap_info.h"
#include "menubar/win32/system_actions.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <oleacc.h>
#include <uxtheme.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

namespace kestrana::settings::win32 {
namespace {

using foundation::ControlKind;
using foundation::WriteStatus;

constexpr int kListId = 100;
constexpr int kFirstControlId = 1000; // + 4 x row: the control, +1 a slider's field
constexpr int kWindowWidth = 760;     // at 96 dots per inch
constexpr int kWindowHeight = 720;
constexpr int kListWidth = 180;
constexpr int kMargin = 12;
constexpr int kLabelWidth = 190;
constexpr int kRowHeight = 30;
constexpr int kTipHeight = 18;
constexpr int kControlHeight = 24;
constexpr int kPictureHeight = 72;
constexpr int kOrderHeight = 150;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kKeyCaptureTimer = 2;
constexpr UINT_PTR kSlowValuesTimer = 3; // the slow values, once the page has drawn itself
constexpr UINT_PTR kFocusTimer = 4;      // the keyboard focus, once the window has drawn itself
constexpr UINT kKeyCaptureDelayMs = 250; // the key is written once the press has settled

// Where the opening's time goes, for the detail log: "<step> <ms>" after each step.
class OpeningSteps {
public:
    void Mark(const wchar_t* step) {
        if (!foundation::DetailLogging()) return;
        const auto now = std::chrono::steady_clock::now();
        wchar_t part[64];
        std::swprintf(part, std::size(part), L"%ls %.1f; ", step,
                      std::chrono::duration<double, std::milli>(now - m_last).count());
        m_text += part;
        m_last = now;
    }
    void Log() {
        if (!m_text.empty()) foundation::LogDetail("settings window", L"opening: " + m_text);
        m_text.clear();
    }

private:
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
    std::wstring m_text;
};

OpeningSteps* g_steps = nullptr; // while a request is served
void Step(const wchar_t* step) {
    if (g_steps) g_steps->Mark(step);
}

// Kept outside the settings files and slow to read (the autostart entries).
bool SlowValue(const foundation::ControlDescriptor& control) {
    return control.custom && control.reading == foundation::CustomReading::Slow;
}

// Read again every second: the stored values, and custom values read from the same files.
bool FollowedValue(const foundation::ControlDescriptor& control) {
    return !control.custom || control.reading == foundation::CustomReading::Followed;
}

// The one window of this class, for the message loop's dialog keys.
HWND g_window = nullptr;

// Accessibility annotations (written out here: mingw's import libraries resolve these
// data symbols to the wrong bytes).
constexpr GUID kAccPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kAccNameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

// Gives controls that show no text of their own (a slider, its number field, a list)
// their visible label as accessible name; where the system has no annotation service
// (older Wine) they keep the name it derives from the label before them.
class AccessibleNames {
public:
    void Name(HWND control, const std::wstring& label) {
        if (!control || !Services()) return;
        if (SUCCEEDED(m_services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                  kAccNameProperty, label.c_str())))
            m_named.push_back(control);
    }
    // Before the controls go: the annotations are kept by the system per window.
    void Clear() {
        for (HWND control : m_named) m_services->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                                 &kAccNameProperty, 1);
        m_named.clear();
    }

private:
    bool Services() {
        if (!m_services && !m_unavailable) {
            m_unavailable = FAILED(::CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                                      kAccPropServicesInterface, reinterpret_cast<void**>(m_services.GetAddressOf())));
            if (m_unavailable) foundation::LogDetail("settings window", L"no accessibility annotation service");
        }
        return static_cast<bool>(m_services);
    }
    Microsoft::WRL::ComPtr<IAccPropServices> m_services;
    bool m_unavailable = false;
    std::vector<HWND> m_named;
};

AccessibleNames& Names() {
    static AccessibleNames names;
    return names;
}

UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = kestrana::win32::LoadedFunction<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (getDpi && window) {
        if (const UINT dpi = getDpi(window)) return dpi;
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
    return ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
}

bool RegisterClassOnce(WNDPROC procedure) {
    static bool registered = false;
    if (registered) return true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS |
                                                        ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = ::LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kSettingsWindowClass;
    registered = ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// "left,top,width,height" in screen pixels; nothing unless it lies on a monitor.
std::optional<RECT> RememberedPlace(const std::wstring& text) {
    int left = 0, top = 0, width = 0, height = 0;
    if (std::swscanf(text.c_str(), L"%d,%d,%d,%d", &left, &top, &width, &height) != 4) return std::nullopt;
    if (width < 200 || height < 150 || width > 16384 || height > 16384) return std::nullopt;
    RECT rect{left, top, left + width, top + height};
    if (!::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return std::nullopt;
    return rect;
}

// Centred in the work area of the monitor under the pointer, and no larger than it.
RECT DefaultPlace(int width, int height) {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &info))
        return {CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT + width, CW_USEDEFAULT + height};
    const RECT& work = info.rcWork;
    width = std::min<int>(width, work.right - work.left);
    height = std::min<int>(height, work.bottom - work.top);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    return {left, top, left + width, top + height};
}

} // namespace

SettingsWindow::SettingsWindow(WindowServices services)
    : m_services(std::move(services)), m_pages(AllSettingsPages(m_services.store, m_services.ports)),
      m_model(m_services.store) {
    if (m_services.ports.monitors) {
        const auto monitors = m_services.ports.monitors();
        if (!monitors.empty()) m_model.SetMonitor(monitors.front().value);
    }
}

SettingsWindow::~SettingsWindow() {
    Names().Clear();
    m_rows.clear();
    if (g_window == m_window.Get()) g_window = nullptr;
}

int SettingsWindow::Scaled(int pixels) const { return ::MulDiv(pixels, static_cast<int>(m_dpi), 96); }

std::wstring SettingsWindow::Text(const foundation::TextRef& text) const { return foundation::Resolve(m_services.store, text); }

bool SettingsWindow::Show(std::wstring_view pageId) {
    if (::GetCurrentThreadId() != foundation::Process().uiThreadId) {
        foundation::LogFailure("settings window", L"asked for off the user-interface thread");
        return false;
    }
    OpeningSteps steps;
    g_steps = &steps;
    const bool making = !m_window;
    if (making && !Create()) {
        g_steps = nullptr;
        return false;
    }
    for (std::size_t i = 0; i < m_pages.Pages().size(); ++i)
        if (!pageId.empty() && m_pages.Pages()[i].id == pageId) ShowPage(i);
    // Showing activates the window; the values are read once here, not again on activation.
    m_showing = true;
    ::ShowWindow(m_window.Get(), ::IsIconic(m_window.Get()) ? SW_RESTORE : SW_SHOW);
    Step(L"show");
    ::SetForegroundWindow(m_window.Get());
    Step(L"foreground");
    m_showing = false;
    // A window just made has just read them.
    if (!making) Refresh();
    Step(L"refresh");
    if (foundation::DetailLogging()) {
        ::UpdateWindow(m_window.Get());
        Step(L"paint");
    }
    g_steps = nullptr;
    steps.Log();
    return true;
}

bool SettingsWindow::Create() {
    if (!RegisterClassOnce(&Procedure)) return false;
    Step(L"class");
    const std::wstring title = Text(foundation::SettingText(L"title", L"Kestrana Settings"));
    m_dpi = DpiOf(nullptr);
    const auto remembered = RememberedPlace(m_services.store.ReadString(L"normal", L"settingwindow"));
    const RECT place = remembered.value_or(DefaultPlace(Scaled(kWindowWidth), Scaled(kWindowHeight)));
    HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kSettingsWindowClass, title.c_str(),
                                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.left, place.top,
                                    place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), this);
    if (!window) {
        foundation::LogFailure("settings window", L"the window could not be made");
        return false;
    }
    m_window.Reset(window);
    g_window = window;
    const UINT dpi = DpiOf(window);
    if (dpi != m_dpi && !remembered) {
        // Made on a monitor of another scale than the system's: the first size follows it.
        m_dpi = dpi;
        const RECT scaled = DefaultPlace(Scaled(kWindowWidth), Scaled(kWindowHeight));
        ::SetWindowPos(window, nullptr, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    m_dpi = dpi;
    Step(L"window");
    m_list = Child(window, WC_LISTBOXW, L"", WS_BORDER | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                   kListId);
    for (const auto& page : m_pages.Pages()) {
        const std::wstring name = Text(page.title);
        ::SendMessageW(m_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    m_status = Child(window, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, -1);
    Step(L"list");
    ApplyFont();
    Step(L"font");
    ApplyLook();
    Step(L"look");
    ShowPage(0);
    Step(L"page");
    // The page list takes the focus once the window is up (see WM_ACTIVATE).
    // Values changed elsewhere (the dock menu's lock, the border hotkey) show within a second.
    ::SetTimer(window, kRefreshTimer, 1000, nullptr);
    return true;
}

void SettingsWindow::ApplyFont(bool make) {
    if (make || !m_font) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        LOGFONTW font = metrics.lfMessageFont;
        // The system's metrics are for its own DPI; the window's monitor may have another.
        font.lfHeight =
            ::MulDiv(font.lfHeight ? font.lfHeight : -12, static_cast<int>(m_dpi), static_cast<int>(DpiOf(nullptr)));
        m_font.Reset(::CreateFontIndirectW(&font));
    }
    const auto set = [this](HWND child) {
        if (child) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
    };
    set(m_list);
    set(m_status);
    set(m_emptyNote.Get());
    for (auto& row : m_rows)
        for (HWND child : {row->label.Get(), row->main.Get(), row->field.Get(), row->tip.Get(), row->up.Get(),
                           row->down.Get()})
            set(child);
}

namespace {
constexpr COLORREF kDarkPage = RGB(32, 32, 32);
constexpr COLORREF kDarkField = RGB(45, 45, 45);
constexpr COLORREF kDarkText = RGB(235, 235, 235);
} // namespace

void SettingsWindow::ApplyLook() {
    m_dark = menubar::win32::AppsUseDarkTheme();
    // The title bar: attribute 20 since Windows 10 20H1, 19 before it.
    const BOOL dark = m_dark ? TRUE : FALSE;
    if (FAILED(::DwmSetWindowAttribute(m_window.Get(), 20, &dark, sizeof(dark))))
        (void)::DwmSetWindowAttribute(m_window.Get(), 19, &dark, sizeof(dark));
    m_pageBrush.Reset(m_dark ? ::CreateSolidBrush(kDarkPage) : nullptr);
    m_fieldBrush.Reset(m_dark ? ::CreateSolidBrush(kDarkField) : nullptr);
    ThemeChildren();
    ::RedrawWindow(m_window.Get(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

void SettingsWindow::ThemeChildren() {
    // The system's own dark parts for its controls; without them (older systems, other
    // hosts) the colours of WM_CTLCOLOR* still apply.
    const auto theme = [this](HWND child, const wchar_t* dark) {
        if (child) ::SetWindowTheme(child, m_dark ? dark : nullptr, nullptr);
    };
    theme(m_list, L"DarkMode_Explorer");
    for (auto& row : m_rows) {
        const bool combo = row->control->kind == ControlKind::Combo;
        theme(row->main.Get(), combo ? L"DarkMode_CFD" : L"DarkMode_Explorer");
        theme(row->field.Get(), L"DarkMode_CFD");
        theme(row->up.Get(), L"DarkMode_Explorer");
        theme(row->down.Get(), L"DarkMode_Explorer");
        if (row->control->kind == ControlKind::Order) {
            // A list view takes its colours by message, not from WM_CTLCOLOR*.
            const COLORREF back = m_dark ? kDarkField : ::GetSysColor(COLOR_WINDOW);
            ::SendMessageW(row->main.Get(), LVM_SETBKCOLOR, 0, back);
            ::SendMessageW(row->main.Get(), LVM_SETTEXTBKCOLOR, 0, back);
            ::SendMessageW(row->main.Get(), LVM_SETTEXTCOLOR, 0, m_dark ? kDarkText : ::GetSysColor(COLOR_WINDOWTEXT));
        }
    }
}

HBRUSH SettingsWindow::ControlColours(UINT message, HDC dc) const {
    if (!m_dark || !m_pageBrush || !m_fieldBrush) return nullptr;
    const bool field = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
    ::SetTextColor(dc, kDarkText);
    ::SetBkColor(dc, field ? kDarkField : kDarkPage);
    return static_cast<HBRUSH>(field ? m_fieldBrush.Get() : m_pageBrush.Get());
}

void SettingsWindow::ShowPage(std::size_t index) {
    if (index >= m_pages.Pages().size()) return;
    m_page = index;
    m_scroll = 0;
    Names().Clear();
    m_capturing = nullptr;
    m_rows.clear();
    m_emptyNote.Reset();
    SetStatus({});
    ::SendMessageW(m_list, LB_SETCURSEL, index, 0);
    const auto& page = m_pages.Pages()[index];
    if (page.Empty()) {
        m_emptyNote.Reset(Child(m_window.Get(), WC_STATICW,
                                Text(foundation::SettingText(L"pageempty", L"Nothing to set here yet.")), SS_LEFT, -1));
    }
    int id = kFirstControlId;
    bool slow = false;
    for (const auto& control : page.controls) {
        auto row = std::make_unique<Row>();
        row->control = &control;
        BuildRow(*row, id);
        id += 4;
        // Values kept outside the settings files (the autostart entries) take long to
        // read: they follow once the page has drawn itself.
        if (SlowValue(control)) slow = true;
        else LoadRow(*row);
        m_rows.push_back(std::move(row));
    }
    if (slow) ::SetTimer(m_window.Get(), kSlowValuesTimer, 0, nullptr);
    UpdateEnabled();
    UpdateNotes();
    ApplyFont(false); // the window's font, made once for its DPI
    ThemeChildren();
    Layout();
    // The old page's controls went at once; the new ones paint over a clean page.
    ::RedrawWindow(m_window.Get(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SettingsWindow::BuildRow(Row& row, int id) {
    const auto& control = *row.control;
    HWND window = m_window.Get();
    const std::wstring label = Text(control.label);
    // A label made just before its control names the control for screen readers.
    const bool ownText = control.kind == ControlKind::CheckBox || control.kind == ControlKind::Button;
    // A control beside another shares that one's label (and is named after it below).
    if (!ownText && !control.besidePrevious) row.label.Reset(Child(window, WC_STATICW, label, SS_LEFT, -1));
    switch (control.kind) {
    case ControlKind::Slider:
        row.main.Reset(Child(window, TRACKBAR_CLASSW, label, WS_TABSTOP | TBS_HORZ | TBS_NOTICKS, id));
        ::SendMessageW(row.main.Get(), TBM_SETRANGEMIN, FALSE, control.minimum);
        ::SendMessageW(row.main.Get(), TBM_SETRANGEMAX, TRUE, control.maximum);
        ::SendMessageW(row.main.Get(), TBM_SETLINESIZE, 0, 1);
        ::SendMessageW(row.main.Get(), TBM_SETPAGESIZE, 0, std::max(1, (control.maximum - control.minimum) / 10));
        row.field.Reset(Child(window, WC_EDITW, L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id + 1));
        break;
    case ControlKind::CheckBox:
        row.main.Reset(Child(window, WC_BUTTONW, label, WS_TABSTOP | BS_AUTOCHECKBOX, id));
        break;
    case ControlKind::Combo:
        row.main.Reset(Child(window, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, id));
        break;
    case ControlKind::EditNumber:
    case ControlKind::EditText:
        row.main.Reset(Child(window, WC_EDITW, L"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, id));
        break;
    case ControlKind::Hotkey:
        row.main.Reset(Child(window, HOTKEY_CLASSW, L"", WS_TABSTOP | WS_BORDER, id));
        // The modifier has a list of its own: the field takes the key alone.
        ::SendMessageW(row.main.Get(), HKM_SETRULES,
                       HKCOMB_A | HKCOMB_C | HKCOMB_CA | HKCOMB_S | HKCOMB_SA | HKCOMB_SC | HKCOMB_SCA, 0);
        break;
    case ControlKind::Button:
        row.main.Reset(Child(window, WC_BUTTONW, label, WS_TABSTOP | BS_PUSHBUTTON, id));
        break;
    case ControlKind::Picture:
        // Drawn by the window (WM_DRAWITEM) from the page's pixels.
        row.main.Reset(Child(window, WC_STATICW, label, SS_OWNERDRAW, id));
        break;
    case ControlKind::Order: {
        row.main.Reset(Child(window, WC_LISTVIEWW, L"",
                             WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL |
                                 LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                             id));
        ::SendMessageW(row.main.Get(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH;
        column.cx = Scaled(200);
        ::SendMessageW(row.main.Get(), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        row.up.Reset(Child(window, WC_BUTTONW, Text(foundation::SettingText(L"moveup", L"Move &up")),
                           WS_TABSTOP | BS_PUSHBUTTON, id + 2));
        row.down.Reset(Child(window, WC_BUTTONW, Text(foundation::SettingText(L"movedown", L"Move &down")),
                             WS_TABSTOP | BS_PUSHBUTTON, id + 3));
        break;
    }
    }
    if (!ownText) {
        Names().Name(row.main.Get(), label);
        Names().Name(row.field.Get(), label);
    }
    if (!control.tip.Empty() || control.note)
        row.tip.Reset(Child(window, WC_STATICW, Text(control.tip), SS_LEFT | SS_NOPREFIX, -1));
    row.tipText = Text(control.tip);
}

bool SettingsWindow::UpdateNotes() {
    bool changed = false;
    for (auto& row : m_rows) {
        if (!row->control->note || !row->tip) continue;
        const auto note = row->control->note();
        const std::wstring text = note ? Text(*note) : Text(row->control->tip);
        if (text == row->tipText) continue;
        row->tipText = text;
        ::SetWindowTextW(row->tip.Get(), text.c_str());
        changed = true;
    }
    if (changed) Layout();
    return changed;
}

void SettingsWindow::LoadRow(Row& row) {
    const auto& control = *row.control;
    HWND main = row.main.Get();
    if (!main) return;
    row.shown = m_model.Read(control);
    switch (control.kind) {
    case ControlKind::Slider: {
        const int value = foundation::ParseWholeNumber(row.shown).value_or(control.minimum);
        ::SendMessageW(main, TBM_SETPOS, TRUE, value);
        ::SetWindowTextW(row.field.Get(), std::to_wstring(value).c_str());
        break;
    }
    case ControlKind::CheckBox:
        ::SendMessageW(main, BM_SETCHECK, row.shown == L"1" ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::Combo: {
        row.choices = m_model.Choices(control);
        ::SendMessageW(main, CB_RESETCONTENT, 0, 0);
        int selected = -1;
        for (std::size_t i = 0; i < row.choices.size(); ++i) {
            const std::wstring label = Text(row.choices[i].label);
            ::SendMessageW(main, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
            if (row.choices[i].value == row.shown) selected = static_cast<int>(i);
        }
        ::SendMessageW(main, CB_SETCURSEL, selected, 0);
        break;
    }
    case ControlKind::EditNumber:
    case ControlKind::EditText:
        if (WindowText(main) != row.shown) ::SetWindowTextW(main, row.shown.c_str());
        break;
    case ControlKind::Hotkey: {
        const auto key = foundation::ParseWholeNumber(row.shown).value_or(0);
        ::SendMessageW(main, HKM_SETHOTKEY, MAKEWORD(static_cast<BYTE>(key > 0 && key < 256 ? key : 0), 0), 0);
        break;
    }
    case ControlKind::Button: break;
    case ControlKind::Picture: ::InvalidateRect(main, nullptr, TRUE); break;
    case ControlKind::Order: {
        // The chosen entry stays chosen where it went.
        const auto chosen = ::SendMessageW(main, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
        const std::wstring keep = chosen >= 0 && static_cast<std::size_t>(chosen) < row.choices.size()
                                      ? row.choices[static_cast<std::size_t>(chosen)].value
                                      : std::wstring();
        row.choices = m_model.Choices(control);
        ::SendMessageW(main, LVM_DELETEALLITEMS, 0, 0);
        for (std::size_t i = 0; i < row.choices.size(); ++i) {
            std::wstring label = Text(row.choices[i].label);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = static_cast<int>(i);
            item.pszText = label.data();
            ::SendMessageW(main, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            if (!keep.empty() && row.choices[i].value == keep) {
                LVITEMW state{};
                state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
                ::SendMessageW(main, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&state));
                ::SendMessageW(main, LVM_ENSUREVISIBLE, i, FALSE);
            }
        }
        break;
    }
    }
}

void SettingsWindow::MoveChosen(Row& row, int step) {
    const auto chosen = ::SendMessageW(row.main.Get(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (chosen < 0) {
        SetStatus(Text({L"settingtips", L"choosefirst", L"Choose one of the list first."}));
        return;
    }
    // At either end there is no place to go: nothing is written.
    if (const auto moved = foundation::MoveInOrder(row.shown, static_cast<std::size_t>(chosen), step))
        Commit(row, *moved);
}

void SettingsWindow::UpdateEnabled() {
    if (m_page >= m_pages.Pages().size()) return;
    const auto& page = m_pages.Pages()[m_page];
    for (auto& row : m_rows) {
        const BOOL enabled = m_model.Enabled(page, *row->control) ? TRUE : FALSE;
        for (HWND child : {row->label.Get(), row->main.Get(), row->field.Get(), row->up.Get(), row->down.Get()})
            if (child) ::EnableWindow(child, enabled);
    }
}

void SettingsWindow::Refresh(bool custom) {
    if (!m_window) return;
    for (auto& row : m_rows) {
        if (!custom && !FollowedValue(*row->control)) continue;
        // A field being typed in keeps what the user typed; a row that shows the stored
        // value already is left alone (an open list stays open).
        HWND focus = ::GetFocus();
        if (focus && (focus == row->main.Get() || focus == row->field.Get()) &&
            (row->control->kind == ControlKind::EditText || row->control->kind == ControlKind::EditNumber ||
             focus == row->field.Get()))
            continue;
        if (m_model.Read(*row->control) != row->shown) LoadRow(*row);
    }
    UpdateEnabled();
    UpdateNotes();
}

void SettingsWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
    const Row* row = RowOf(item.hwndItem);
    const RECT box = item.rcItem;
    ::FillRect(item.hDC, &box, m_pageBrush ? static_cast<HBRUSH>(m_pageBrush.Get()) : ::GetSysColorBrush(COLOR_BTNFACE));
    if (!row || !row->control->picture) return;
    const int width = box.right - box.left, height = box.bottom - box.top;
    const std::vector<std::uint32_t> pixels = row->control->picture(width, height, m_dark);
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return;
    BITMAPINFO info = gfx::TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(item.hDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap) ::DeleteObject(bitmap);
        foundation::LogFailure("settings window", L"no bitmap for the skin's picture");
        return;
    }
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    HDC memory = ::CreateCompatibleDC(item.hDC);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(item.hDC, box.left, box.top, width, height, memory, 0, 0, width, height, blend);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::DeleteObject(bitmap);
}

int SettingsWindow::WrappedHeight(const std::wstring& text, int width) const {
    HDC dc = ::GetDC(m_window.Get());
    if (!dc) return 0;
    HGDIOBJ old = m_font ? ::SelectObject(dc, m_font.Get()) : nullptr;
    RECT box{0, 0, std::max(1, width), 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    if (old) ::SelectObject(dc, old);
    ::ReleaseDC(m_window.Get(), dc);
    return static_cast<int>(box.bottom - box.top);
}

int SettingsWindow::PlaceControl(Row& row, int x, int y, int width, int height) {
    switch (row.control->kind) {
    case ControlKind::Slider: {
        const int field = Scaled(56);
        ::MoveWindow(row.main.Get(), x, y, std::max(Scaled(60), width - field - Scaled(8)), height, TRUE);
        ::MoveWindow(row.field.Get(), x + width - field, y, field, height, TRUE);
        break;
    }
    case ControlKind::Combo:
        // A drop-down list's height includes its open list.
        ::MoveWindow(row.main.Get(), x, y, std::min(width, Scaled(320)), Scaled(240), TRUE);
        break;
    case ControlKind::Button:
        ::MoveWindow(row.main.Get(), x, y, std::min(width, Scaled(220)), height + Scaled(2), TRUE);
        break;
    case ControlKind::Picture:
        ::MoveWindow(row.main.Get(), x, y, std::min(width, Scaled(320)), Scaled(kPictureHeight), TRUE);
        return Scaled(kPictureHeight) - Scaled(kRowHeight) + Scaled(6);
    case ControlKind::Order: {
        // The list, and its two buttons stacked on its right.
        const int buttons = Scaled(100);
        const int list = std::max(Scaled(120), std::min(width, Scaled(320)) - buttons - Scaled(8));
        ::MoveWindow(row.main.Get(), x, y, list, Scaled(kOrderHeight), TRUE);
        ::SendMessageW(row.main.Get(), LVM_SETCOLUMNWIDTH, 0, list - Scaled(24));
        ::MoveWindow(row.up.Get(), x + list + Scaled(8), y, buttons, height + Scaled(2), TRUE);
        ::MoveWindow(row.down.Get(), x + list + Scaled(8), y + height + Scaled(8), buttons, height + Scaled(2), TRUE);
        return Scaled(kOrderHeight) - Scaled(kRowHeight) + Scaled(6);
    }
    default: ::MoveWindow(row.main.Get(), x, y, std::min(width, Scaled(320)), height, TRUE); break;
    }
    return 0;
}

int SettingsWindow::PlaceTip(Row& row, int left, int y, int right) {
    if (!row.tip) return 0;
    // A note that has nothing to say takes no line.
    if (row.tipText.empty()) {
        ::MoveWindow(row.tip.Get(), left, y, 0, 0, TRUE);
        return 0;
    }
    // A long tip (or a long translation of a short one) wraps onto more lines.
    const int height = std::max(Scaled(kTipHeight), WrappedHeight(row.tipText, right - left) + Scaled(kTipHeight) / 4);
    ::MoveWindow(row.tip.Get(), left, y - Scaled(4), right - left, height, TRUE);
    return height;
}

void SettingsWindow::SetScrollRange(long pageHeight) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = std::max(0, m_contentHeight - 1);
    info.nPage = static_cast<UINT>(std::max(0L, pageHeight));
    info.nPos = m_scroll;
    ::SetScrollInfo(m_window.Get(), SB_VERT, &info, TRUE);
}

void SettingsWindow::Layout() {
    if (!m_window || m_laying) return;
    m_laying = true;
    RECT client{};
    ::GetClientRect(m_window.Get(), &client);
    const int margin = Scaled(kMargin);
    const int listWidth = Scaled(kListWidth);
    const int statusHeight = Scaled(kTipHeight * 2);
    ::MoveWindow(m_list, margin, margin, listWidth, std::max(0, static_cast<int>(client.bottom) - 2 * margin), TRUE);
    const int left = margin * 2 + listWidth;
    const int right = std::max(left + Scaled(200), static_cast<int>(client.right) - margin);
    const int controlLeft = left + Scaled(kLabelWidth);
    const int controlWidth = std::max(Scaled(120), right - controlLeft);
    int y = margin - m_scroll;
    if (m_emptyNote) ::MoveWindow(m_emptyNote.Get(), left, y, right - left, Scaled(kRowHeight), TRUE);
    int rowTop = y;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        auto& row = m_rows[i];
        const int height = Scaled(kControlHeight);
        // Two controls on one line share its width: the first takes the left half.
        const bool beside = row->control->besidePrevious && i > 0;
        const bool shared = i + 1 < m_rows.size() && m_rows[i + 1]->control->besidePrevious;
        const int half = std::min(controlWidth, Scaled(320)) / 2;
        if (beside) y = rowTop;
        rowTop = y;
        if (row->label) ::MoveWindow(row->label.Get(), left, y + Scaled(4), Scaled(kLabelWidth) - Scaled(6), height, TRUE);
        const bool ownText = !row->label && !beside;
        int x = ownText ? left : controlLeft;
        int width = ownText ? right - left : controlWidth;
        if (beside) {
            x = controlLeft + half + Scaled(6);
            width = half - Scaled(6);
        } else if (shared) {
            width = half;
        }
        y += PlaceControl(*row, x, y, width, height);
        y += Scaled(kRowHeight);
        y += PlaceTip(*row, beside ? controlLeft : x, y, right);
    }
    ::MoveWindow(m_status, left, std::max(y + margin, static_cast<int>(client.bottom) - margin - statusHeight),
                 right - left, statusHeight, TRUE);
    m_contentHeight = y + m_scroll + margin + statusHeight + margin;
    // The bar shows only while the page is taller than the window; its coming or going
    // changes the width, so the page is laid out once more then.
    SetScrollRange(client.bottom);
    RECT after{};
    ::GetClientRect(m_window.Get(), &after);
    m_laying = false;
    const int most = std::max(0, m_contentHeight - static_cast<int>(after.bottom));
    if (m_scroll > most) {
        ScrollTo(most);
    } else if (after.right != client.right) {
        Layout();
    }
}

void SettingsWindow::RestoreFocus() {
    HWND window = m_window.Get();
    ::SetFocus(m_lastFocus && ::IsWindow(m_lastFocus) && ::IsChild(window, m_lastFocus) ? m_lastFocus : m_list);
}

void SettingsWindow::ScrollTo(int offset) {
    RECT client{};
    ::GetClientRect(m_window.Get(), &client);
    offset = std::clamp(offset, 0, std::max(0, m_contentHeight - static_cast<int>(client.bottom)));
    if (offset == m_scroll) return;
    m_scroll = offset;
    Layout();
    ::RedrawWindow(m_window.Get(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SettingsWindow::ScrollFocusIntoView() {
    HWND focus = ::GetFocus();
    if (!focus || focus == m_list || !::IsChild(m_window.Get(), focus)) return;
    RECT box{};
    ::GetWindowRect(focus, &box);
    ::MapWindowPoints(nullptr, m_window.Get(), reinterpret_cast<POINT*>(&box), 2);
    RECT client{};
    ::GetClientRect(m_window.Get(), &client);
    const int margin = Scaled(kMargin);
    if (box.top < margin) ScrollTo(m_scroll - (margin - box.top));
    else if (box.bottom > client.bottom - margin) ScrollTo(m_scroll + (box.bottom - (client.bottom - margin)));
}

SettingsWindow::Row* SettingsWindow::RowOf(HWND control) {
    for (auto& row : m_rows)
        if (control && (row->main.Get() == control || row->field.Get() == control || row->up.Get() == control ||
                        row->down.Get() == control))
            return row.get();
    return nullptr;
}

void SettingsWindow::SetStatus(const std::wstring& text) {
    if (m_status) ::SetWindowTextW(m_status, text.c_str());
}

void SettingsWindow::Commit(Row& row, std::wstring_view value) {
    const auto& control = *row.control;
    if (control.role == foundation::ControlRole::Action) {
        if (control.action == L"restart") {
            if (m_services.restart) m_services.restart();
            return;
        }
        if (!m_services.act) return;
        const auto status = m_services.act(control.action, m_window.Get());
        SetStatus(status ? Text(*status) : std::wstring());
        // An action may change what the page lists (a new backup).
        for (auto& other : m_rows) LoadRow(*other);
        UpdateEnabled();
        return;
    }
    const auto outcome = m_model.Write(control, value);
    switch (outcome.status) {
    case WriteStatus::Refused:
        if (outcome.tip) SetStatus(Text(*outcome.tip));
        else if (control.kind == ControlKind::Slider || control.kind == ControlKind::EditNumber)
            SetStatus(Text(foundation::SettingText(L"notanumber", L"Type a whole number.")));
        break;
    case WriteStatus::Failed:
        SetStatus(Text(foundation::SettingText(L"savefailed", L"The setting could not be saved.")));
        foundation::LogFailure("settings window", L"could not write " + control.section + L"/" + control.key);
        break;
    default: SetStatus({}); break;
    }
    if (control.role == foundation::ControlRole::MonitorChoice) {
        // The page's per-monitor values are now the other monitor's.
        for (auto& other : m_rows) LoadRow(*other);
    } else {
        LoadRow(row);
        // One choice can change another value too (no modifier takes the hotkey's key).
        for (auto& other : m_rows)
            if (other.get() != &row && m_model.Read(*other->control) != other->shown) LoadRow(*other);
    }
    UpdateEnabled();
    // Pictures show the page's values as they now stand.
    for (auto& other : m_rows)
        if (other->control->kind == ControlKind::Picture) ::InvalidateRect(other->main.Get(), nullptr, TRUE);
    if (outcome.status == WriteStatus::Written || outcome.status == WriteStatus::Clamped) {
        if (outcome.effect == foundation::SettingEffect::Restart)
            SetStatus(Text({L"settingtips", L"restarttip", L"Restart Kestrana for the change to take effect."}));
        if (m_services.apply && outcome.effect != foundation::SettingEffect::None) m_services.apply(outcome.effect);
        // What the program made of the value (a hotkey refused) shows at once.
        UpdateNotes();
    }
}

void SettingsWindow::CommitField(HWND field) {
    Row* row = RowOf(field);
    if (!row) return;
    const std::wstring typed = WindowText(field);
    if (row->field.Get() == field || row->control->kind == ControlKind::EditNumber) {
        if (typed != row->shown) Commit(*row, typed);
    } else if (row->control->kind == ControlKind::EditText && typed != row->shown) {
        Commit(*row, typed);
    }
}

void SettingsWindow::RememberPlace() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!m_window || !::GetWindowPlacement(m_window.Get(), &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    const std::wstring text = std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                              std::to_wstring(r.right - r.left) + L"," + std::to_wstring(r.bottom - r.top);
    if (m_services.store.ReadString(L"normal", L"settingwindow") != text)
        m_services.store.WriteString(L"normal", L"settingwindow", text);
}

bool SettingsWindow::HandleDialogMessage(MSG& message) noexcept {
    if (!g_window || !message.hwnd) return false;
    if (message.hwnd != g_window && !::IsChild(g_window, message.hwnd)) return false;
    if (!::IsDialogMessageW(g_window, &message)) return false;
    // Tab or an access key may have moved the focus below the window's edge.
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN || message.message == WM_SYSCHAR ||
        message.message == WM_CHAR) {
        try {
            if (auto* self = reinterpret_cast<SettingsWindow*>(::GetWindowLongPtrW(g_window, GWLP_USERDATA)))
                self->ScrollFocusIntoView();
        } catch (...) {
            foundation::LogCaught("settings window scroll");
        }
    }
    return true;
}

LRESULT CALLBACK SettingsWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<SettingsWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && self->m_window.Get() == window) return self->OnMessage(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("settings window");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void SettingsWindow::OnVerticalScroll(WPARAM wParam) {
    RECT client{};
    ::GetClientRect(m_window.Get(), &client);
    const int line = Scaled(kRowHeight), page = std::max(line, static_cast<int>(client.bottom) - line);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_TRACKPOS;
    ::GetScrollInfo(m_window.Get(), SB_VERT, &info);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollTo(m_scroll - line); break;
    case SB_LINEDOWN: ScrollTo(m_scroll + line); break;
    case SB_PAGEUP: ScrollTo(m_scroll - page); break;
    case SB_PAGEDOWN: ScrollTo(m_scroll + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
    case SB_TOP: ScrollTo(0); break;
    case SB_BOTTOM: ScrollTo(m_contentHeight); break;
    default: break;
    }
}

bool SettingsWindow::OnTimer(WPARAM id) {
    HWND window = m_window.Get();
    switch (id) {
    case kKeyCaptureTimer:
        ::KillTimer(window, kKeyCaptureTimer);
        if (Row* row = RowOf(m_capturing)) {
            const auto pressed = ::SendMessageW(m_capturing, HKM_GETHOTKEY, 0, 0);
            const std::wstring value = std::to_wstring(LOBYTE(LOWORD(pressed)));
            if (value != row->shown) Commit(*row, value);
        }
        m_capturing = nullptr;
        return true;
    case kFocusTimer:
        ::KillTimer(window, kFocusTimer);
        if (::GetActiveWindow() == window) RestoreFocus();
        return true;
    case kSlowValuesTimer:
        ::KillTimer(window, kSlowValuesTimer);
        for (auto& row : m_rows)
            if (SlowValue(*row->control)) LoadRow(*row);
        UpdateEnabled();
        return true;
    case kRefreshTimer:
        // Values outside config.ini (the autostart entries) are slow to read: only on activation.
        Refresh(false);
        return true;
    default: return false;
    }
}

void SettingsWindow::OnDpiChanged(WPARAM wParam, const RECT& suggested) {
    m_dpi = HIWORD(wParam) ? HIWORD(wParam) : 96;
    ApplyFont();
    ::SetWindowPos(m_window.Get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Layout();
}

void SettingsWindow::OnActivate(WPARAM wParam) {
    HWND window = m_window.Get();
    // Keyboard focus comes back to the control that had it, as in a dialog.
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        m_lastFocus = focus && ::IsChild(window, focus) ? focus : nullptr;
        return;
    }
    if (m_showing) {
        // Giving a control the focus is slow under some hosts: it follows the first paint.
        ::SetTimer(window, kFocusTimer, 0, nullptr);
        return;
    }
    Refresh();
    RestoreFocus();
}

bool SettingsWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (id == kListId && code == LBN_SELCHANGE) {
        const auto index = ::SendMessageW(m_list, LB_GETCURSEL, 0, 0);
        if (index >= 0) ShowPage(static_cast<std::size_t>(index));
        return true;
    }
    if (id == IDOK && !control) { // Enter in a field
        CommitField(::GetFocus());
        return true;
    }
    if (id == IDCANCEL && !control) { // Escape
        ::SendMessageW(m_window.Get(), WM_CLOSE, 0, 0);
        return true;
    }
    Row* row = RowOf(control);
    if (!row) return false;
    const auto kind = row->control->kind;
    if (code == BN_CLICKED && kind == ControlKind::Order) {
        MoveChosen(*row, control == row->up.Get() ? -1 : 1);
    } else if (code == BN_CLICKED && kind == ControlKind::CheckBox) {
        Commit(*row, ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0");
    } else if (code == BN_CLICKED && kind == ControlKind::Button) {
        Commit(*row, L"");
    } else if (code == CBN_SELCHANGE && kind == ControlKind::Combo) {
        const auto index = ::SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < row->choices.size())
            Commit(*row, row->choices[static_cast<std::size_t>(index)].value);
    } else if (code == EN_CHANGE && kind == ControlKind::Hotkey) {
        m_capturing = control;
        ::SetTimer(m_window.Get(), kKeyCaptureTimer, kKeyCaptureDelayMs, nullptr);
    } else if (code == EN_KILLFOCUS) {
        CommitField(control);
    }
    return true;
}

void SettingsWindow::OnClose() {
    RememberPlace();
    Names().Clear();
    m_rows.clear();
    m_emptyNote.Reset();
    g_window = nullptr;
    // Closing gives everything back; the next request makes the window anew.
    m_window.Reset();
    if (foundation::DetailLogging())
        foundation::LogDetail("settings window",
                              L"closed; private memory " + std::to_wstring(kestrana::win32::PrivateMemoryKilobytes()) + L" KB");
}

LRESULT SettingsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = m_window.Get();
    switch (message) {
    case WM_SIZE: Layout(); return 0;
    case WM_VSCROLL: OnVerticalScroll(wParam); return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(m_scroll - GET_WHEEL_DELTA_WPARAM(wParam) * Scaled(kRowHeight) * 3 / WHEEL_DELTA);
        return 0;
    case WM_ERASEBKGND:
        if (!m_pageBrush) break;
        {
            RECT client{};
            ::GetClientRect(m_window.Get(), &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(m_pageBrush.Get()));
        }
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (HBRUSH brush = ControlColours(message, reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_SETTINGCHANGE:
        if (lParam && ::lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"ImmersiveColorSet") == 0) ApplyLook();
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_STATIC) break;
        DrawPicture(*item);
        return TRUE;
    }
    case WM_TIMER:
        if (OnTimer(wParam)) return 0;
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scaled(520), Scaled(360)};
        return 0;
    }
    case WM_DPICHANGED:
        if (lParam) OnDpiChanged(wParam, *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ACTIVATE: OnActivate(wParam); return 0;
    case WM_HSCROLL:
        if (Row* row = RowOf(reinterpret_cast<HWND>(lParam))) {
            // The dock follows while the thumb moves.
            const auto position = ::SendMessageW(row->main.Get(), TBM_GETPOS, 0, 0);
            const std::wstring value = std::to_wstring(position);
            if (value != row->shown) Commit(*row, value);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        break;
    case WM_CLOSE: OnClose(); return 0;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kestrana::settings::win32
