#include "extras/win32/stage_strip.h"

#include "dock/win32/item_actions.h"
#include "dock/win32/window_event_sources.h"
#include "extras/screen_corner_caps.h"
#include "extras/win32/window_facts.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/owner_window_proc.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/unique_handle.h"
#include "foundation/win32/window_text.h"
#include "gfx/canvas.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/monitors.h"

#include <dwmapi.h>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kestrana::extras::win32 {

namespace msg = foundation;

namespace {

constexpr wchar_t kStripProperty[] = L"KestranaStageManager";
constexpr char kLogPlace[] = "stage manager strip";
constexpr UINT_PTR kTimerCapture = 1;
constexpr UINT_PTR kTimerRefresh = 2; // windows opened and closed meanwhile
constexpr UINT_PTR kTimerSoon = 3;    // right after a switch, once the window is in front
constexpr UINT_PTR kTimerPointer = 4; // show modes that follow the pointer
constexpr UINT_PTR kTimerHook = 8999; // the window-event hook, once the first strip stands
constexpr UINT kMsgCaptured = WM_APP + 60;
constexpr UINT kRefreshMs = 1000;

StageManager* g_manager = nullptr; // the one stage manager, for the window-event hook

using kestrana::win32::WindowClassName;
using kestrana::win32::WindowTitle;

// A window a person switches between: shown, top-level, in the taskbar's sense, not ours.
bool SwitchableWindow(HWND window) {
    if (!::IsWindowVisible(window) || kestrana::win32::IsOwnWindow(window)) return false;
    const LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool app = (ex & WS_EX_APPWINDOW) != 0;
    if ((ex & WS_EX_TOOLWINDOW) || ((ex & WS_EX_NOACTIVATE) && !app)) return false;
    if (::GetWindow(window, GW_OWNER) && !app) return false;
    BOOL cloaked = FALSE;
    if (SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked) return false;
    return ::GetWindowTextLengthW(window) > 0;
}

StageCandidate CandidateOf(HWND window) {
    return {Id(window), WindowClassName(window), WindowTitle(window), ProcessFileName(window)};
}

// The monitor's switchable windows, front to back.
std::vector<HWND> WindowsOn(HMONITOR monitor) {
    struct Walk {
        HMONITOR monitor;
        std::vector<HWND> found;
    } walk{monitor, {}};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& w = *reinterpret_cast<Walk*>(data);
            // A minimised window counts where it stands when restored.
            if (SwitchableWindow(window) && ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) == w.monitor)
                w.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

std::size_t MonitorUnderPointer(const std::vector<gfx::MonitorInfo>& monitors) {
    POINT at{};
    ::GetCursorPos(&at);
    const HMONITOR under = ::MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY);
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].handle == under) return i;
    return 0;
}

bool TakeOverClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (::RegisterClassExW(&wc)) return true;
    if (::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    // Start-up registers the name with the default procedure; the strips take it over.
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (::GetClassInfoExW(wc.hInstance, name, &known) && known.lpfnWndProc == procedure) return true;
    ::UnregisterClassW(name, wc.hInstance);
    return ::RegisterClassExW(&wc) != 0;
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG, LONG, DWORD, DWORD) noexcept {
    // Out of context: this runs on the user-interface thread's message loop, and only notes the event.
    if (g_manager) g_manager->OnWindowEvent(event);
}

} // namespace

// --- one monitor's strip --------------------------------------------------------------------

class StageStrip {
public:
    StageStrip(StageManager& owner, gfx::MonitorInfo monitor)
        : m_owner(owner), m_monitor(std::move(monitor)),
          m_thumbnails({*owner.Services().jobs, owner.Services().picture, kMsgCaptured, kTimerCapture, "stage manager"}) {}
    ~StageStrip() {
        m_thumbnails.Close();
        m_reader.reset();
        if (m_window) ::RemovePropW(m_window.Get(), kStripProperty); // no message reaches this object any more
    }
    StageStrip(const StageStrip&) = delete;
    StageStrip& operator=(const StageStrip&) = delete;

    bool Create();
    void LayOut(const gfx::MonitorInfo& monitor);
    void Refresh();
    [[nodiscard]] const gfx::MonitorInfo& Monitor() const { return m_monitor; }
    [[nodiscard]] HWND Window() const { return m_window.Get(); }
    [[nodiscard]] bool MayTake(HWND window) const;
    [[nodiscard]] std::vector<std::wstring> Titles() const {
        std::vector<std::wstring> titles;
        for (const Slot& s : m_slots) titles.push_back(s.title);
        return titles;
    }
    void Choose(int slot);

private:
    struct Slot {
        HWND window = nullptr;
        std::wstring title;
        ScreenRect picture; // upright, in the strip window
        TiltedPicture shape;
    };

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Place();
    void Draw();
    // Shows or hides the column as its show mode says; true when that changed.
    bool UpdateShown();
    [[nodiscard]] int SlotAt(POINT client) const;
    void Focus(int slot);
    [[nodiscard]] std::optional<foundation::AccessibleTree> AccessibleSnapshot() const;

    StageManager& m_owner;
    gfx::MonitorInfo m_monitor;
    StageSettings m_settings;
    StripLayout m_layout;
    bool m_showTitles = false;
    kestrana::win32::UniqueWindow m_window;
    gfx::LayeredWindowSurface m_surface;
    gfx::WindowThumbnails m_thumbnails;
    std::vector<Slot> m_slots;
    HWND m_active = nullptr; // the window on the stage
    int m_hovered = -1;
    int m_focused = -1;
    bool m_tracking = false;
    bool m_shown = true;
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

bool StageStrip::Create() {
    static const bool registered = TakeOverClass(
        msg::kStageManagerClass.data(), kestrana::win32::ForwardToOwner<StageStrip, &StageStrip::OnMessage, kStripProperty, kLogPlace>);
    if (!registered) {
        foundation::LogFailure("stage manager", L"the strip's window class could not be registered");
        return false;
    }
    kestrana::win32::ShellWindowRequest request;
    request.className = std::wstring(msg::kStageManagerClass);
    request.title = L"Stage manager";
    request.x = m_monitor.workArea.left;
    request.y = m_monitor.workArea.top;
    request.width = 16;
    request.height = 16;
    request.layered = true;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    request.noRedirectionBitmap = true;
    m_window.Reset(kestrana::win32::CreateShellWindow(request));
    if (!m_window) {
        foundation::LogFailure("stage manager", L"no strip window on " + m_monitor.deviceName);
        return false;
    }
    ::SetPropW(m_window.Get(), kStripProperty, this);
    kestrana::win32::ExcludeFromPeek(m_window.Get());
    ::SetTimer(m_window.Get(), kTimerRefresh, kRefreshMs, nullptr);
    return true;
}

void StageStrip::LayOut(const gfx::MonitorInfo& monitor) {
    m_monitor = monitor;
    const StageServices& services = m_owner.Services();
    const std::wstring section = MonitorSection(m_monitor.deviceName);
    m_settings = ReadStageSettings(*services.store, section);
    m_showTitles = services.store->ReadInt(L"stagemanager", L"stagemanager_showwindowtitle") != 0;
    StageScreen screen;
    screen.workArea = m_monitor.workArea;
    screen.scale = m_monitor.dpiScale;
    screen.menuBarHeight = services.menuBarHeight ? services.menuBarHeight(m_monitor.deviceName) : 0;
    screen.dockReserved = services.dockLength ? services.dockLength(m_monitor.deviceName) : 0;
    m_layout = LayOutStrip(m_settings, screen);
    const ScreenRect& r = m_layout.window;
    ::SetWindowPos(m_window.Get(), HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (m_settings.showMode != 0) ::SetTimer(m_window.Get(), kTimerPointer, 150, nullptr);
    else ::KillTimer(m_window.Get(), kTimerPointer);
    m_slots.clear(); // laid out anew with the windows
    Refresh();
}

bool StageStrip::MayTake(HWND window) const {
    if (!SwitchableWindow(window) && !::IsIconic(window)) return false;
    const StageCandidate candidate = CandidateOf(window);
    if (StageExcluded(candidate)) return false;
    return candidate.appKey.empty() || !m_owner.Blacklist().contains(candidate.appKey);
}

void StageStrip::Refresh() {
    if (!m_window || m_owner.Busy()) return; // a window in motion or the switcher open: left alone
    const std::vector<HWND> zOrder = WindowsOn(m_monitor.handle);
    // Most recent first: what the stage manager saw come forward, then the rest front to back.
    std::vector<HWND> recent;
    for (WindowId id : m_owner.Order().RecentFirst()) {
        const HWND w = Handle(id);
        if (std::find(zOrder.begin(), zOrder.end(), w) != zOrder.end()) recent.push_back(w);
    }
    for (HWND w : zOrder)
        if (std::find(recent.begin(), recent.end(), w) == recent.end()) recent.push_back(w);
    const HWND foreground = ::GetForegroundWindow();
    m_active = std::find(recent.begin(), recent.end(), foreground) != recent.end() ? foreground
               : recent.empty()                                                   ? nullptr
                                                                                  : recent.front();
    std::vector<StageCandidate> candidates;
    candidates.reserve(recent.size());
    for (HWND w : recent) candidates.push_back(CandidateOf(w));
    const std::vector<WindowId> chosen =
        ChooseStripWindows(candidates, Id(m_active), m_owner.Blacklist(), m_layout.visibleSlots);

    bool same = chosen.size() == m_slots.size();
    for (std::size_t i = 0; same && i < chosen.size(); ++i) same = Handle(chosen[i]) == m_slots[i].window;
    if (same) {
        bool retitled = false;
        for (Slot& s : m_slots)
            if (std::wstring title = WindowTitle(s.window); title != s.title) {
                s.title = std::move(title);
                retitled = true;
            }
        if (retitled) {
            Draw();
            if (m_reader) m_reader->Changed();
        }
        return;
    }
    std::vector<HWND> windows;
    for (WindowId id : chosen) windows.push_back(Handle(id));
    m_slots.clear();
    if (!m_thumbnails.Show(m_window.Get(), windows)) windows.clear();
    for (HWND w : windows) m_slots.push_back({w, WindowTitle(w), {}, {}});
    m_hovered = -1;
    m_focused = std::min(m_focused, static_cast<int>(m_slots.size()) - 1);
    Place();
    Draw();
    if (m_reader) m_reader->Changed();
    if (m_thumbnails.AnyCaptured()) m_thumbnails.OnTimer(); // the first pictures at once
}

void StageStrip::Place() {
    if (m_slots.empty()) return;
    const ScreenRect first = m_layout.Slot(0);
    const ScreenRect last = m_layout.Slot(static_cast<int>(m_slots.size()) - 1);
    const float axisX = static_cast<float>(first.left + first.right) / 2;
    const float axisY = static_cast<float>(first.top + last.bottom) / 2;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        Slot& s = m_slots[i];
        const SIZE source = m_thumbnails.SourceSize(i);
        s.picture = PictureInSlot(m_layout.Slot(static_cast<int>(i)), m_layout.inset, source.cx, source.cy);
        s.shape = TiltPicture(s.picture, axisX, axisY, m_layout.rotationDegrees, m_layout.perspectiveDepth);
        // A live thumbnail cannot be turned: it fills the turned picture's upright box. A
        // captured one is taken at the picture's own size and turned when drawn.
        const ScreenRect at = m_thumbnails.Live(i) ? s.shape.Bounds() : s.picture;
        m_thumbnails.Place(i, RECT{at.left, at.top, at.right, at.bottom});
    }
}

void StageStrip::Draw() {
    const int width = m_layout.window.Width(), height = m_layout.window.Height();
    if (width <= 0 || height <= 0 || !m_window) return;
    gfx::Bitmap frame(width, height);
    gfx::Canvas canvas(frame);
    const float s = m_monitor.dpiScale > 0 ? m_monitor.dpiScale : 1.0f;
    if (m_settings.border && !m_slots.empty()) {
        const ScreenRect first = m_layout.Slot(0);
        const ScreenRect last = m_layout.Slot(static_cast<int>(m_slots.size()) - 1);
        const float pad = 6 * s;
        canvas.StrokeRoundedRect({static_cast<float>(first.left) + pad, static_cast<float>(first.top) - pad,
                                  static_cast<float>(first.Width()) - 2 * pad, static_cast<float>(last.bottom - first.top) + 2 * pad},
                                 12 * s, 1.5f * s, gfx::Color{255, 255, 255, 140});
    }
    gfx::Bitmap shadow(1, 1), placeholder(1, 1);
    shadow.Fill(0x50000000u);      // premultiplied black at about a third
    placeholder.Fill(0xFFC8CAD0u); // not taken yet, or minimised before it ever was
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& slot = m_slots[i];
        TiltedPicture below = slot.shape;
        const float drop = 4 * s;
        below.left += drop / 2, below.right += drop / 2;
        below.leftTop += drop, below.leftBottom += drop, below.rightTop += drop, below.rightBottom += drop;
        DrawTilted(frame, shadow, below);
        if (!m_thumbnails.Live(i)) {
            const gfx::Bitmap& captured = m_thumbnails.Captured(i);
            DrawTilted(frame, captured.Empty() ? placeholder : captured, slot.shape);
        }
        const ScreenRect box = slot.shape.Bounds();
        if (static_cast<int>(i) == m_hovered || static_cast<int>(i) == m_focused) {
            const float grow = 4 * s;
            canvas.StrokeRoundedRect({static_cast<float>(box.left) - grow, static_cast<float>(box.top) - grow,
                                      static_cast<float>(box.Width()) + 2 * grow, static_cast<float>(box.Height()) + 2 * grow},
                                     6 * s, 2.5f * s, gfx::Color{80, 150, 255, 235});
        }
        if (m_showTitles && m_owner.Services().text && !slot.title.empty()) {
            gfx::TextStyle style;
            style.size = 11.0f * s;
            style.color = gfx::Color{255, 255, 255, 255};
            const gfx::Bitmap text = m_owner.Services().text->Draw(slot.title, style, m_layout.columnWidth - 2 * m_layout.inset);
            if (!text.Empty()) {
                const float x = static_cast<float>(box.left + box.right - text.Width()) / 2;
                const float y = static_cast<float>(box.bottom) + 6 * s;
                canvas.FillRoundedRect({x - 4 * s, y - 1 * s, static_cast<float>(text.Width()) + 8 * s,
                                        static_cast<float>(text.Height()) + 2 * s},
                                       4 * s, gfx::Color{0, 0, 0, 130});
                canvas.DrawBitmap(text, {x, y, static_cast<float>(text.Width()), static_cast<float>(text.Height())});
            }
        }
    }
    UpdateShown();
    // A hidden column is drawn see-through: the pointer passes it to the windows below.
    m_surface.Present(m_window.Get(), frame, POINT{m_layout.window.left, m_layout.window.top}, m_shown ? 255 : 0);
}

bool StageStrip::UpdateShown() {
    POINT at{};
    ::GetCursorPos(&at);
    const ScreenRect& strip = m_layout.window;
    RECT stage{};
    const bool stageOver = m_active && !::IsIconic(m_active) && ::GetWindowRect(m_active, &stage) &&
                           strip.Intersects({stage.left, stage.top, stage.right, stage.bottom});
    const bool shown = StripShown(m_settings.showMode, strip.Contains({at.x, at.y}), stageOver);
    if (shown == m_shown) return false;
    m_shown = shown;
    return true;
}

int StageStrip::SlotAt(POINT client) const {
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const ScreenRect box = m_slots[i].shape.Bounds();
        if (box.Contains({client.x, client.y})) return static_cast<int>(i);
    }
    return -1;
}

void StageStrip::Choose(int slot) {
    if (slot < 0 || slot >= static_cast<int>(m_slots.size())) return;
    const HWND window = m_slots[static_cast<std::size_t>(slot)].window;
    if (foundation::DetailLogging())
        foundation::LogDetail("stage manager", L"slot " + std::to_wstring(slot + 1) + L" chosen: " + m_slots[slot].title);
    // The chosen window goes on the stage; the one there comes first in the column.
    if (m_active) m_owner.Order().Activated(Id(m_active));
    m_owner.Order().Activated(Id(window));
    // Switching waits on the other program; the user-interface thread does not.
    if (!m_owner.Services().jobs->Run([window](const foundation::JobContext&) { dock::win32::SwitchToWindow(window); }))
        foundation::LogFailure("stage manager", "no job for the switch");
    ::SetTimer(m_window.Get(), kTimerSoon, 200, nullptr);
}

void StageStrip::Focus(int slot) {
    m_focused = slot;
    Draw();
    if (m_reader && slot >= 0) m_reader->FocusChanged(static_cast<foundation::AccessibleId>(slot + 1));
}

std::optional<foundation::AccessibleTree> StageStrip::AccessibleSnapshot() const {
    foundation::AccessibleElement root;
    root.role = foundation::AccessibleRole::Window;
    root.name = m_owner.Services().store->LanguageText(L"settingUI", L"item_stagemanager", L"Stage manager");
    root.bounds = {m_layout.window.left, m_layout.window.top, m_layout.window.Width(), m_layout.window.Height()};
    root.flow = foundation::AccessibleFlow::Vertical;
    foundation::AccessibleTree tree(root);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const Slot& s = m_slots[i];
        const ScreenRect box = s.shape.Bounds();
        foundation::AccessibleElement e;
        e.id = static_cast<foundation::AccessibleId>(i + 1);
        e.role = foundation::AccessibleRole::PushButton;
        e.state = foundation::AccessibleState::Focusable;
        if (static_cast<int>(i) == m_focused)
            e.state = static_cast<foundation::AccessibleState>(static_cast<std::uint32_t>(e.state) |
                                                               static_cast<std::uint32_t>(foundation::AccessibleState::Focused));
        e.name = s.title.empty() ? L"Window " + std::to_wstring(i + 1) : s.title;
        e.value = m_thumbnails.Live(i) ? L"live" : L"picture";
        e.defaultAction = L"Switch to";
        e.bounds = {m_layout.window.left + box.left, m_layout.window.top + box.top, box.Width(), box.Height()};
        tree.Add(std::move(e));
    }
    tree.Seal();
    return tree;
}

LRESULT StageStrip::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = m_window.Get();
    switch (message) {
    case WM_TIMER:
        switch (wParam) {
        case kTimerCapture: m_thumbnails.OnTimer(); return 0;
        case kTimerRefresh: Refresh(); return 0;
        case kTimerSoon:
            ::KillTimer(window, kTimerSoon);
            Refresh();
            return 0;
        case kTimerPointer:
            if (UpdateShown()) Draw();
            return 0;
        case kTimerHook:
            ::KillTimer(window, kTimerHook);
            if (g_manager) g_manager->OnWindowEvent(0); // installs the hook
            return 0;
        default: break;
        }
        break;
    case kMsgCaptured:
        if (m_thumbnails.OnCaptured(wParam)) Draw();
        return 0;
    case WM_MOUSEMOVE: {
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            m_tracking = ::TrackMouseEvent(&track) != FALSE;
        }
        const int slot = SlotAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        if (slot != m_hovered) {
            m_hovered = slot;
            Draw();
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (m_hovered != -1) {
            m_hovered = -1;
            Draw();
        }
        return 0;
    case WM_LBUTTONUP:
        Choose(SlotAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}));
        return 0;
    case WM_KEYDOWN:
        switch (wParam) {
        case VK_UP: Focus(StepSlot(m_focused, -1, static_cast<int>(m_slots.size()))); return 0;
        case VK_DOWN: Focus(StepSlot(m_focused, +1, static_cast<int>(m_slots.size()))); return 0;
        case VK_RETURN:
        case VK_SPACE: Choose(m_focused); return 0;
        case VK_ESCAPE:
            // The keyboard goes back to the window on the stage.
            Focus(-1);
            if (m_active) ::SetForegroundWindow(m_active);
            return 0;
        default: break;
        }
        break;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_GETOBJECT:
        if (!m_reader)
            m_reader = std::make_unique<kestrana::win32::AccessibleHost>(
                window, [this] { return AccessibleSnapshot(); },
                kestrana::win32::AccessibleActions{[this](foundation::AccessibleId id) {
                    if (id == 0 || id > m_slots.size()) return false;
                    Choose(static_cast<int>(id) - 1);
                    return true;
                }});
        if (const auto answer = m_reader->OnGetObject(wParam, lParam)) return *answer;
        break;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// --- the stage manager ----------------------------------------------------------------------

StageManager::StageManager(StageServices services) : m_services(std::move(services)) { g_manager = this; }

StageManager::~StageManager() {
    StopAll();
    if (g_manager == this) g_manager = nullptr;
}

void StageManager::ApplySettings() {
    const std::vector<gfx::MonitorInfo> monitors = gfx::EnumerateMonitors();
    // Strips of monitors that went away go first.
    std::erase_if(m_strips, [&monitors](const std::unique_ptr<StageStrip>& strip) {
        return std::none_of(monitors.begin(), monitors.end(),
                            [&strip](const gfx::MonitorInfo& m) { return m.deviceName == strip->Monitor().deviceName; });
    });
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const bool on = ReadStageSettings(*m_services.store, MonitorSection(monitors[i].deviceName)).enabled;
        if (on) Start(i);
        else Stop(i);
    }
    if (m_strips.empty()) {
        m_hook.Reset();
        m_blacklist.clear();
        m_blacklistRead = false;
    }
}

bool StageManager::Toggle(std::size_t monitor, bool on) {
    const std::vector<gfx::MonitorInfo> monitors = gfx::EnumerateMonitors();
    if (monitor >= monitors.size()) return false;
    const std::wstring section = MonitorSection(monitors[monitor].deviceName);
    if (!m_services.store->WriteInt(section, L"stagemanager_enable", on ? 1 : 0)) {
        foundation::LogFailure("stage manager", L"the switch of " + section + L" could not be saved");
        return false;
    }
    foundation::LogDetail("stage manager", std::wstring(on ? L"on" : L"off") + L" for " + section);
    if (on) Start(monitor);
    else Stop(monitor);
    if (m_strips.empty()) m_hook.Reset();
    return true;
}

void StageManager::ToggleUnderPointer() {
    const std::size_t monitor = MonitorUnderPointer(gfx::EnumerateMonitors());
    (void)Toggle(monitor, !IsOn(monitor));
}

bool StageManager::IsOn(std::size_t monitor) const {
    const std::vector<gfx::MonitorInfo> monitors = gfx::EnumerateMonitors();
    if (monitor >= monitors.size()) return false;
    return std::any_of(m_strips.begin(), m_strips.end(),
                       [&](const auto& strip) { return strip->Monitor().deviceName == monitors[monitor].deviceName; });
}

bool StageManager::IsOnUnderPointer() const { return IsOn(MonitorUnderPointer(gfx::EnumerateMonitors())); }

bool StageManager::Takes(HWND window) {
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    for (const auto& strip : m_strips) {
        if (strip->Monitor().handle != monitor || !strip->MayTake(window)) continue;
        // Once it has gone down, the column shows it.
        ::SetTimer(strip->Window(), kTimerSoon, 300, nullptr);
        return true;
    }
    return false;
}

void StageManager::WindowsChanged() {
    if (m_strips.empty()) return;
    const HWND foreground = ::GetForegroundWindow();
    if (foreground && SwitchableWindow(foreground)) m_order.Activated(Id(foreground));
    for (const auto& strip : m_strips) strip->Refresh();
}

std::vector<std::wstring> StageManager::ColumnTitles() const {
    std::vector<std::wstring> titles;
    for (const auto& strip : m_strips)
        for (std::wstring& t : strip->Titles()) titles.push_back(std::move(t));
    return titles;
}

void StageManager::ChooseFromColumns(std::size_t index) {
    for (const auto& strip : m_strips) {
        const std::size_t count = strip->Titles().size();
        if (index < count) {
            strip->Choose(static_cast<int>(index));
            return;
        }
        index -= count;
    }
}

void StageManager::StopAll() {
    m_strips.clear();
    m_hook.Reset();
}

void StageManager::Start(std::size_t monitor) {
    const std::vector<gfx::MonitorInfo> monitors = gfx::EnumerateMonitors();
    if (monitor >= monitors.size()) return;
    const gfx::MonitorInfo& info = monitors[monitor];
    for (const auto& strip : m_strips)
        if (strip->Monitor().deviceName == info.deviceName) {
            strip->LayOut(info); // the settings as they stand now
            return;
        }
    if (!m_blacklistRead) {
        m_blacklist = ReadStageBlacklist(*m_services.store);
        m_blacklistRead = true;
    }
    const bool first = m_strips.empty();
    auto strip = std::make_unique<StageStrip>(*this, info);
    if (!strip->Create()) return;
    // Remembers what is in front now, so the column starts without it.
    if (const HWND foreground = ::GetForegroundWindow(); foreground && SwitchableWindow(foreground))
        m_order.Activated(Id(foreground));
    strip->LayOut(info);
    if (first) ::SetTimer(strip->Window(), kTimerHook, 100, nullptr);
    m_strips.push_back(std::move(strip));
}

void StageManager::Stop(std::size_t monitor) {
    const std::vector<gfx::MonitorInfo> monitors = gfx::EnumerateMonitors();
    if (monitor >= monitors.size()) return;
    std::erase_if(m_strips, [&](const auto& strip) { return strip->Monitor().deviceName == monitors[monitor].deviceName; });
}

void StageManager::OnWindowEvent(DWORD event) {
    switch (event) {
    case 0: // the hook's timer: install it now that a strip stands
        if (!m_hook && !m_strips.empty()) {
            m_hook.Reset(::SetWinEventHook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_SWITCHEND, nullptr, OnWinEvent, 0, 0,
                                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS));
            if (!m_hook) foundation::LogFailure("stage manager", L"no window-event hook: moves and the switcher are not seen");
        }
        return;
    case EVENT_SYSTEM_MOVESIZESTART: m_moving = true; return;
    case EVENT_SYSTEM_MOVESIZEEND:
        m_moving = false;
        WindowsChanged(); // it may have moved to another monitor
        return;
    case EVENT_SYSTEM_SWITCHSTART: m_switching = true; return;
    case EVENT_SYSTEM_SWITCHEND:
        m_switching = false;
        WindowsChanged();
        return;
    default: return;
    }
}

} // namespace kestrana::extras::win32
