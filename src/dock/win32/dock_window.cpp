#include "dock/win32/dock_window.h"

#include "dock/item_growth.h"
#include "dock/dock_accessible.h"
#include "dock/win32/dock_reader.h"
#include "foundation/command_line.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"
#include "gfx/win32/popup_menu.h"
#include "gfx/win32/prompt_window.h"
#include "gfx/win32/system_look.h"
#include "gfx/win32/window_blur.h"
#include "foundation/process_state.h"
#include "foundation/win32/process_clock.h"
#include "foundation/win32/shell_window.h"
#include "gfx/canvas.h"

#include <dwmapi.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace kestrana::dock::win32 {
namespace {

constexpr wchar_t kInputClass[] = L"OndelAPP";
constexpr wchar_t kRenderClass[] = L"OndelAPPRend";
constexpr wchar_t kActbarClass[] = L"OndelActbar";
constexpr wchar_t kLabelClass[] = L"OndelTag";
constexpr wchar_t kBackdropClass[] = L"OndelAPPBlur";
constexpr wchar_t kDragIconClass[] = L"OndelDragIcon";
constexpr wchar_t kBarProperty[] = L"OndelAPPptr";

// A drop waits for the dock to be still, looking again this often, but not for ever.
constexpr UINT kDropWaitMs = 50;
constexpr std::int64_t kDropWaitLimitMs = 2000;
// A look costs a pointer comparison; the item is drawn again only when a fetch or the
// night changed its picture, which then shows within a few seconds.
constexpr UINT kWeatherRedrawMs = 5000;
constexpr std::size_t kMaxLabelPictures = 64; // names kept drawn; more items than that start again

// A clock every process on the machine reads alike, so the end-to-end driver can tell how
// long after a window appeared its running mark was shown.
double SharedClockMs() {
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart ? static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart) : 0;
}

std::int64_t MicrosNow() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

HWND MakeWindow(const wchar_t* className, bool clickThrough, bool topmost) {
    kestrana::win32::ShellWindowRequest request;
    request.className = className;
    request.x = 0;
    request.y = 0;
    request.width = 256;
    request.height = 256;
    request.layered = true;
    request.clickThrough = clickThrough;
    request.toolWindow = true;
    request.topmost = topmost;
    request.noActivate = true;
    return kestrana::win32::CreateShellWindow(request);
}

// The input window of the dock whose icon is being dragged. One drag at a time, as there
// is one capture.
HWND g_escapeTarget = nullptr;

// Escape ends an icon drag whichever window has the keyboard (the dock never takes the
// focus). Runs between messages of the user-interface thread: it only posts.
LRESULT CALLBACK EscapeHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) && g_escapeTarget &&
        reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == VK_ESCAPE) {
        ::PostMessageW(g_escapeTarget, kMsgDragEscape, 0, 0);
        return 1; // the drag takes it; the program in front does not act on it too
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

ScreenPoint CursorPosition() {
    POINT p{};
    ::GetCursorPos(&p);
    return {p.x, p.y};
}

bool ButtonHeld() {
    return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) || (::GetAsyncKeyState(VK_RBUTTON) & 0x8000);
}

ScreenRect RectOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

struct GatherState {
    DWORD ownProcess;
    std::vector<WindowFacts>* facts;
};

BOOL CALLBACK GatherProc(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<GatherState*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == state->ownProcess) return TRUE;
    WindowFacts f;
    f.id = static_cast<WindowId>(reinterpret_cast<UINT_PTR>(window));
    wchar_t cls[128] = {};
    ::GetClassNameW(window, cls, 128);
    f.className = cls;
    if (f.className == L"Progman" || f.className == L"WorkerW") return TRUE; // the desktop itself
    f.processId = pid;
    f.visible = ::IsWindowVisible(window) != FALSE;
    if (!f.visible) return TRUE;
    BOOL cloaked = FALSE;
    f.cloaked = SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked;
    f.minimised = ::IsIconic(window) != FALSE;
    f.maximised = ::IsZoomed(window) != FALSE;
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    f.popupStyle = (style & WS_POPUP) && !(style & WS_CAPTION);
    f.monitor = reinterpret_cast<UINT_PTR>(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
    f.rect = RectOf(window);
    HWND root = ::GetAncestor(window, GA_ROOTOWNER);
    f.rootOwnerRect = root && root != window ? RectOf(root) : f.rect;
    if (f.rect.Empty()) return TRUE;
    state->facts->push_back(std::move(f));
    return TRUE;
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message == WM_ERASEBKGND) return 1;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

gfx::Bitmap SolidBitmap(int width, int height, gfx::Pixel pixel) {
    gfx::Bitmap bitmap(width, height);
    bitmap.Fill(pixel);
    return bitmap;
}

} // namespace

void DockWindow::RegisterClasses() noexcept {
    static bool done = false;
    if (done) return;
    done = true;
    const struct {
        const wchar_t* name;
        WNDPROC proc;
    } classes[] = {{kInputClass, InputProc}, {kRenderClass, RenderProc}, {kActbarClass, ::DefWindowProcW},
                   {kLabelClass, ::DefWindowProcW}, {kBackdropClass, BackdropProc},
                   {kDragIconClass, ::DefWindowProcW}};
    for (const auto& c : classes) kestrana::win32::RegisterWindowClass(c.name, c.proc);
}

DockWindow::DockWindow(foundation::JobRunner& jobs, themes::DockSkin& skin, gfx::TextRenderer& text, const DockSettings& settings,
                       const MonitorInfo& monitor, const SkinSpacing& spacing)
    : m_jobs(jobs), m_text(text), m_monitor(monitor) {
    RegisterClasses();
    const bool topmost = settings.displayMode != DisplayMode::Bottom && settings.displayMode != DisplayMode::Desktop;
    m_input = MakeWindow(kInputClass, false, topmost);
    m_render = MakeWindow(kRenderClass, true, topmost);
    if (!m_input || !m_render) return;
    ::SetPropW(m_input, kBarProperty, this);
    ::SetPropW(m_render, kBarProperty, this);
    // Touch and pen arrive as pointer input on the input window; palm contacts are ignored.
    kestrana::win32::RegisterTouch(m_input);
    m_pacer = std::make_unique<FramePacer>(jobs, m_render, kMsgFrame);
    DockScreen screen{monitor.rect, monitor.dpiScale, monitor.menuBarHeight};
    m_bar = std::make_unique<OndelBar>(*this, skin, settings, screen, spacing, monitor.refreshHz);
    FollowSystemLook();
    ::ShowWindow(m_render, SW_SHOWNOACTIVATE);
    ::ShowWindow(m_input, SW_SHOWNOACTIVATE);
    StartHideTick();
    kestrana::win32::LogStartupStep(L"dock windows made");
}

void DockWindow::EnableClicks(DockClicks::Services services) {
    services.inputWindow = m_input;
    services.confirm = [this](const std::wstring& title, const std::wstring& text, const std::wstring& confirm,
                              const std::wstring& cancel) { return Confirm(title, text, confirm, cancel); };
    services.bounce = [this](std::int32_t itemId) { m_bar->StartBounce(itemId); };
    if (m_preview) {
        services.openPreview = [this](std::int32_t itemId) {
            ::PostMessageW(m_input, kMsgOpenPreview, static_cast<WPARAM>(static_cast<std::uint32_t>(itemId)), 0);
        };
        services.closePreview = [this](std::int32_t itemId) { m_preview->CloseFor(this, itemId); };
    }
    m_clicks = std::make_unique<DockClicks>(std::move(services));
}

void DockWindow::EnableMenus(DockMenus::Services services) {
    if (!m_clicks) return;
    services.owner = m_input;
    m_menus = std::make_unique<DockMenus>(std::move(services), *m_bar, *m_clicks);
    DockDrop::Handlers drops;
    drops.over = [this](ScreenPoint at, DWORD keys, const std::vector<std::wstring>& paths) -> DWORD {
        return DragHover(at, keys, paths);
    };
    drops.leave = [this] {
        bool closed = false;
        {
            std::lock_guard lock(m_bar->Items().ListMutex());
            closed = CloseDropGap(m_bar->Items());
        }
        if (closed) m_bar->ItemsChanged();
        m_bar->PointerLeft();
    };
    drops.drop = [this](std::vector<std::wstring> paths, ScreenPoint at, DWORD keys) { Dropped(paths, at, keys); };
    m_drop = std::make_unique<DockDrop>(m_input, std::move(drops));
}

DropDecision DockWindow::DropAt(ScreenPoint at) {
    const OndelBarModel& model = m_bar->Model();
    const EdgeFrame& frame = model.Frame();
    const float along = static_cast<float>(frame.AlongOf(at) - frame.AlongStart(model.WindowRect()) - model.RowOffset());
    std::lock_guard lock(m_bar->Items().ListMutex());
    return DecideDrop(m_bar->Items(), along);
}

DWORD DockWindow::DragHover(ScreenPoint at, DWORD keys, const std::vector<std::wstring>& paths) {
    m_bar->PointerMoved(at);
    // The last drop is still waiting to land where its gap stands.
    if (m_pendingDrop) return DROPEFFECT_NONE;
    const DropDecision decision = DropAt(at);
    bool changed = false;
    std::size_t gap = 0;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        changed = decision.action == DropAction::AddItems ? PlaceDropGap(m_bar->Items(), decision.index)
                                                          : CloseDropGap(m_bar->Items());
        gap = OpenDropGap(m_bar->Items());
    }
    if (changed) {
        m_bar->ItemsChanged();
        if (foundation::DetailLogging())
            foundation::LogDetail("dock drop", gap ? L"gap at entry " + std::to_wstring(gap) : std::wstring(L"gap closed"));
    }
    switch (decision.action) {
    case DropAction::ToTrash: return DROPEFFECT_MOVE;
    case DropAction::OpenWith: return DROPEFFECT_COPY;
    case DropAction::AddItems: return DROPEFFECT_LINK;
    case DropAction::IntoFolder: {
        // The pointer shows what happens to the first file, as the file manager does.
        const std::wstring folder = ItemRealpath(decision.index);
        if (paths.empty() || !CanGoIntoFolder(paths.front(), folder)) return DROPEFFECT_NONE;
        return FolderDropEffectFor(paths.front(), folder, keys & MK_CONTROL, keys & MK_SHIFT) == FolderDropEffect::Move
                   ? DROPEFFECT_MOVE
                   : DROPEFFECT_COPY;
    }
    }
    return DROPEFFECT_NONE;
}

std::wstring DockWindow::ItemRealpath(std::size_t index) {
    std::lock_guard lock(m_bar->Items().ListMutex());
    const DockItems& row = m_bar->Items();
    return index && index < row.EndReal() && !DockItems::IsPlaceholderIndex(index, row.Size()) ? row[index].realpath
                                                                                                : std::wstring();
}

bool DockWindow::Busy() {
    if (m_drag.Lifted() || (m_menus && m_menus->IsOpen())) return true;
    std::lock_guard lock(m_bar->Items().ListMutex());
    return ItemsInMotion(m_bar->Items());
}

void DockWindow::LandDrop() {
    if (!m_pendingDrop || !m_menus) return;
    // A row that keeps moving (windows coming and going) must not hold the files back for long.
    if (Busy() && NowMs() - m_pendingDrop->sinceMs < kDropWaitLimitMs) {
        ::SetTimer(m_input, kTimerDropWait, kDropWaitMs, nullptr);
        return;
    }
    ::KillTimer(m_input, kTimerDropWait);
    PendingDrop drop = std::move(*m_pendingDrop);
    m_pendingDrop.reset();
    std::optional<TakenGap> gap;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        gap = TakeDropGap(m_bar->Items());
    }
    if (gap) m_menus->AddPaths(drop.paths, gap->index, gap->sizeFactor);
    else m_menus->AddPaths(drop.paths, drop.index);
}

void DockWindow::Dropped(const std::vector<std::wstring>& paths, ScreenPoint at, DWORD keys) {
    const DropDecision decision = DropAt(at);
    if (foundation::DetailLogging())
        foundation::LogDetail("dock drop", std::to_wstring(paths.size()) + L" files, action " +
                                               std::to_wstring(static_cast<int>(decision.action)) + L" at entry " +
                                               std::to_wstring(decision.index));
    if (decision.action != DropAction::AddItems) {
        bool closed = false;
        {
            std::lock_guard lock(m_bar->Items().ListMutex());
            closed = CloseDropGap(m_bar->Items());
        }
        if (closed) m_bar->ItemsChanged();
    }
    switch (decision.action) {
    case DropAction::AddItems:
        if (m_pendingDrop) return; // refused while the last one waits
        m_pendingDrop = PendingDrop{paths, decision.index, NowMs()};
        LandDrop();
        break;
    case DropAction::ToTrash:
        // The shell's notice of our own move may not come (it does not under Wine): the
        // trash looks again once the files are in.
        if (!m_jobs.Run([paths, input = m_input](const foundation::JobContext&) {
                MoveToRecycleBin(paths);
                ::PostMessageW(input, kTrashNoticeMessage, 0, 0);
            }))
            foundation::LogFailure("dock drop", "no job could be started");
        break;
    case DropAction::IntoFolder: {
        const std::wstring folder = ItemRealpath(decision.index);
        if (folder.empty()) break;
        const bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
        // The folder's stack icon follows through the folder's own change notice.
        if (!m_jobs.Run([paths, folder, ctrl, shift](const foundation::JobContext&) { PutIntoFolder(paths, folder, ctrl, shift); }))
            foundation::LogFailure("dock drop", "no job could be started");
        break;
    }
    case DropAction::OpenWith: {
        LaunchRequest request;
        {
            std::lock_guard lock(m_bar->Items().ListMutex());
            if (decision.index >= m_bar->Items().EndReal()) return;
            request = LaunchRequestFor(m_bar->Items()[decision.index]);
        }
        for (const std::wstring& path : paths) foundation::AppendArgument(request.runline, path);
        if (!m_jobs.Run([request](const foundation::JobContext&) { Launch(request); }))
            foundation::LogFailure("dock drop", "no job could be started");
        break;
    }
    }
    POINT now{};
    ::GetCursorPos(&now);
    if (::WindowFromPoint(now) != m_input) m_bar->PointerLeft();
}

void DockWindow::Drag(ScreenPoint at) {
    DockDrag::Change change = DockDrag::Change::None;
    std::size_t gap = 0;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        change = m_drag.Move(at, m_bar->Items(), m_bar->Model());
        gap = OpenDropGap(m_bar->Items());
    }
    if (change == DockDrag::Change::Ended) {
        FinishDrag(DockDrag::Outcome::PutBack);
        return;
    }
    if (change == DockDrag::Change::Lifted) {
        // The moves keep coming while the pointer is away from the dock.
        ::SetCapture(m_input);
        if (m_clicks) m_clicks->Cancel();
        DockOpenFacts open = m_bar->OpenFacts();
        open.dragging = true;
        m_bar->SetOpenFacts(open);
        LiftIcon(); // before the row is drawn without it: its place there is the grab's
    }
    if (m_drag.Lifted() && m_dragIcon)
        m_dragIconSurface.Move(m_dragIcon.Get(), {at.x - m_dragGrab.x, at.y - m_dragGrab.y});
    if (change == DockDrag::Change::None) return;
    m_bar->ItemsChanged();
    if (foundation::DetailLogging())
        foundation::LogDetail("dock drag", gap ? L"gap at entry " + std::to_wstring(gap) : std::wstring(L"gap closed"));
}

void DockWindow::LiftIcon() {
    const std::int32_t id = m_drag.ItemId();
    const ScreenRect icon = m_bar->IconOnScreen(id);
    std::shared_ptr<const gfx::Bitmap> picture;
    bool separator = false;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        if (const std::size_t index = m_bar->Items().IndexOfId(id)) {
            picture = m_bar->Items()[index].picture;
            separator = m_bar->Items()[index].IsSeparator();
        }
    }
    const int size = static_cast<int>(std::lround(m_bar->Model().IconSize()));
    const int width = icon.Empty() ? size : icon.Width(), height = icon.Empty() ? size : icon.Height();
    const ScreenPoint grabbed = m_drag.PressedAt();
    m_dragGrab = icon.Empty() ? POINT{width / 2, height / 2} : POINT{grabbed.x - icon.left, grabbed.y - icon.top};
    if (!m_dragIcon) m_dragIcon.Reset(MakeWindow(kDragIconClass, true, true));
    if (m_dragIcon) {
        const ScreenPoint at = CursorPosition();
        m_dragIconSurface.Present(m_dragIcon.Get(), DrawLiftedIcon(picture.get(), separator, m_bar->Dark(), width, height),
                                  {at.x - m_dragGrab.x, at.y - m_dragGrab.y});
        // Above the dock's own windows, which take the top again in some display modes.
        ::SetWindowPos(m_dragIcon.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    g_escapeTarget = m_input;
    m_escapeHook.Reset(::SetWindowsHookExW(WH_KEYBOARD_LL, EscapeHookProc, ::GetModuleHandleW(nullptr), 0));
    if (!m_escapeHook) foundation::LogFailure("dock drag", "no keyboard hook: Escape cannot end the drag");
}

void DockWindow::FinishDrag(DockDrag::Outcome outcome) {
    m_escapeHook.Reset();
    if (g_escapeTarget == m_input) g_escapeTarget = nullptr;
    if (m_dragIcon) ::ShowWindow(m_dragIcon.Get(), SW_HIDE);
    if (::GetCapture() == m_input) ::ReleaseCapture();
    DockOpenFacts open = m_bar->OpenFacts();
    open.dragging = false;
    m_bar->SetOpenFacts(open);
    // Only a new order or a removal is saved; an icon put back changes nothing on disk.
    if ((outcome == DockDrag::Outcome::Placed || outcome == DockDrag::Outcome::Removed) && m_menus) m_menus->RowChanged();
    else if (outcome != DockDrag::Outcome::None) m_bar->ItemsChanged();
    if (foundation::DetailLogging() && outcome != DockDrag::Outcome::None)
        foundation::LogDetail("dock drag", outcome == DockDrag::Outcome::Placed    ? L"placed"
                                           : outcome == DockDrag::Outcome::Removed ? L"removed"
                                                                                   : L"put back");
    POINT now{};
    ::GetCursorPos(&now);
    if (::WindowFromPoint(now) != m_input) m_bar->PointerLeft();
}

bool DockWindow::Confirm(const std::wstring& title, const std::wstring& text, const std::wstring& confirm,
                         const std::wstring& cancel) {
    const RECT screen{m_monitor.rect.left, m_monitor.rect.top, m_monitor.rect.right, m_monitor.rect.bottom};
    gfx::PromptRequest request =
        gfx::PromptAt(L"OndelPrompt", "dock prompt", m_monitor.dpiScale, m_bar->Dark(), screen, m_input);
    request.title = title;
    request.message = text;
    request.confirm = confirm;
    request.cancel = cancel;
    return gfx::RunPrompt(request, m_text);
}

DockWindow::~DockWindow() {
    if (m_preview) m_preview->Forget(this);
    m_reader.reset();
    if (g_escapeTarget == m_input) g_escapeTarget = nullptr;
    m_escapeHook.Reset();
    m_drop.reset();
    m_menus.reset();
    m_clicks.reset();
    m_pacer.reset();
    for (HWND w : {m_backdrop, m_label, m_actbar, m_render, m_input}) {
        if (!w) continue;
        ::RemovePropW(w, kBarProperty);
        ::DestroyWindow(w);
    }
}

void DockWindow::Reconfigure(const DockSettings& settings, const MonitorInfo& monitor, const SkinSpacing& spacing) {
    if (monitor.dpiScale != m_monitor.dpiScale) m_labelPictures.clear();
    m_monitor = monitor;
    m_bar->Reconfigure(settings, {monitor.rect, monitor.dpiScale, monitor.menuBarHeight}, spacing, monitor.refreshHz);
    StartHideTick();
}

std::function<void()> DockWindow::PicturesArrived() const {
    // A message to a window that is gone by then is simply not delivered.
    const HWND target = m_render;
    return [target] { ::PostMessageW(target, kMsgPictures, 0, 0); };
}

void DockWindow::StartHideTick() {
    ::SetTimer(m_input, kHideTimerId, kHideTimerIntervalMs, nullptr);
    if (m_bar->Model().Settings().displayMode == DisplayMode::AlwaysOnTop)
        ::SetTimer(m_input, kTimerAttention, 1500, nullptr);
    else
        ::KillTimer(m_input, kTimerAttention);
}

std::int64_t DockWindow::NowMs() { return SteadyNowMs(); }

void DockWindow::PlaceWindows(const ScreenRect& window, const ScreenRect& hitArea) {
    m_window = window;
    if (!(hitArea == m_hitArea)) {
        m_hitArea = hitArea;
        PresentHitArea();
    }
}

void DockWindow::PresentHitArea() {
    if (m_hitArea.Empty()) return;
    // Alpha 1 is invisible yet takes the pointer; alpha 0 would let it through.
    const gfx::Bitmap hit = SolidBitmap(m_hitArea.Width(), m_hitArea.Height(), gfx::MakePixel(0, 0, 0, 1));
    m_inputSurface.Present(m_input, hit, {m_hitArea.left, m_hitArea.top});
}

void DockWindow::Present(const gfx::Bitmap& frame, const gfx::RectI& part, const gfx::RectI& dirty, SlideOffset offset,
                         std::uint8_t opacity) {
    if (frame.Empty() || part.Empty()) return;
    // The drawing window covers only the shown part of the dock's window.
    const POINT position{m_window.left + part.x + static_cast<LONG>(std::lround(offset.dx)),
                         m_window.top + part.y + static_cast<LONG>(std::lround(offset.dy))};
    const bool detail = foundation::DetailLogging();
    const std::int64_t start = detail ? MicrosNow() : 0;
    const gfx::RectI changed = gfx::Intersect(dirty, part);
    m_renderSurface.PresentPart(m_render, frame, part, position, opacity, &changed);
    if (!detail) return;
    static bool firstFrame = true;
    if (std::exchange(firstFrame, false)) kestrana::win32::LogStartupStep(L"first dock frame presented");
    auto& f = m_figures;
    ++f.presents;
    if (changed.Empty()) ++f.moveOnly;
    f.windowPixels += std::int64_t(part.width) * part.height;
    f.dirtyPixels += std::int64_t(changed.width) * changed.height;
    f.presentMicros += MicrosNow() - start;
    f.width = part.width;
    f.height = part.height;
}

void DockWindow::NoteFrameFigures(std::int64_t frameMicros) {
    auto& f = m_figures;
    ++f.frames;
    f.frameMicros += frameMicros;
    const std::int64_t now = NowMs();
    if (f.sinceMs == 0) f.sinceMs = now;
    if (now - f.sinceMs < 1000) return;
    const auto per = [](std::int64_t total, int count) { return count ? total / count : 0; };
    foundation::LogDetail(
        "dock frames",
        L"over " + std::to_wstring(now - f.sinceMs) + L" ms: " + std::to_wstring(f.moves) + L" pointer moves, " +
            std::to_wstring(f.frames) + L" frames, " + std::to_wstring(f.presents) + L" presents (" +
            std::to_wstring(f.moveOnly) + L" moves only); window " + std::to_wstring(f.width) + L"x" +
            std::to_wstring(f.height) + L", per present " + std::to_wstring(per(f.windowPixels, f.presents)) +
            L" px shown, " + std::to_wstring(per(f.dirtyPixels, f.presents)) + L" px changed, " +
            std::to_wstring(per(f.presentMicros, f.presents)) + L" us; per frame " +
            std::to_wstring(per(f.frameMicros, f.frames)) + L" us");
    f = FrameFigures{};
    f.sinceMs = now;
}

void DockWindow::RequestFrame(std::int64_t dueMs) {
    if (m_pacer) m_pacer->Request(dueMs);
}

void DockWindow::ApplyZOrder(ZOrder order) {
    HWND after = nullptr;
    switch (order) {
    case ZOrder::Unchanged: return;
    case ZOrder::Topmost: after = HWND_TOPMOST; break;
    case ZOrder::NotTopmost: after = HWND_NOTOPMOST; break;
    case ZOrder::AboveDesktop: {
        for (HWND w : {m_input, m_render})
            ::SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Directly above the desktop: below the window that lies just above it.
        HWND desktop = ::FindWindowW(L"Progman", nullptr);
        HWND above = desktop ? ::GetWindow(desktop, GW_HWNDPREV) : nullptr;
        after = above && above != m_input && above != m_render ? above : HWND_BOTTOM;
        break;
    }
    }
    for (HWND w : {m_input, m_render})
        ::SetWindowPos(w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DockWindow::ShowActivationBar(bool shown, const ScreenRect& rect) {
    if (!shown) {
        if (m_actbar) ::ShowWindow(m_actbar, SW_HIDE);
        return;
    }
    if (rect.Empty()) return;
    if (!m_actbar) {
        m_actbar = MakeWindow(kActbarClass, false, true);
        if (!m_actbar) return;
        ::SetPropW(m_actbar, kBarProperty, this);
    }
    gfx::Bitmap bar(rect.Width(), rect.Height());
    gfx::Canvas canvas(bar);
    const float radius = static_cast<float>(std::min(rect.Width(), rect.Height())) / 2;
    canvas.FillRoundedRect({0, 0, static_cast<float>(rect.Width()), static_cast<float>(rect.Height())}, radius,
                           gfx::Color{120, 124, 134, 150});
    m_actbarSurface.Present(m_actbar, bar, {rect.left, rect.top});
    ::ShowWindow(m_actbar, SW_SHOWNOACTIVATE);
}

PreviewWindow::Resolver DockWindow::PreviewResolver() {
    return [this](std::int32_t itemId) -> std::optional<PreviewTarget> {
        PreviewTarget target;
        {
            DockItems& items = m_bar->Items();
            std::lock_guard list(items.ListMutex());
            const Dockico* item = nullptr;
            for (std::size_t i = 0; i < items.Size() && !item; ++i)
                if (items[i].id == itemId) item = &items[i];
            if (!item || !item->running.load()) return std::nullopt;
            {
                std::lock_guard windows(items.WindowListMutex());
                target.windows = item->windows;
            }
            const std::wstring& path = item->filepath.empty() ? item->appname : item->filepath;
            const std::size_t slash = path.find_last_of(L"\\/");
            target.program = slash == std::wstring::npos ? path : path.substr(slash + 1);
        }
        target.icon = m_bar->IconOnScreen(itemId);
        target.edge = m_bar->Model().GetEdge();
        target.monitor = m_monitor.rect;
        target.scale = m_monitor.dpiScale;
        return target;
    };
}

void DockWindow::ShowLabel(const std::optional<LabelRequest>& label) {
    if (m_preview) m_preview->HoverItem(this, label ? label->itemId : kNoItemId, PreviewResolver());
    if (!label || label->text.empty()) {
        if (m_label) ::ShowWindow(m_label, SW_HIDE);
        m_labelText.clear();
        return;
    }
    if (!m_label) {
        m_label = MakeWindow(kLabelClass, true, true);
        if (!m_label) return;
    }
    const float scale = m_monitor.dpiScale;
    const bool newText = label->text != m_labelText || m_labelBitmap.Empty();
    // Sweeping along the row names the same items again and again, and drawing text
    // is slow (tens of milliseconds under some systems): each name is drawn once.
    if (auto known = m_labelPictures.find(label->text); newText && known != m_labelPictures.end()) {
        m_labelText = label->text;
        m_labelBitmap = known->second.Clone();
    } else if (newText) {
        m_labelText = label->text;
        const std::int64_t start = foundation::DetailLogging() ? MicrosNow() : 0;
        gfx::TextStyle style;
        // The user's text size ("Make text bigger") applies to the item's name.
        style.size = 13.0f * scale * m_textScale;
        style.weight = 500;
        style.color = gfx::Color{30, 31, 36, 255};
        const int maxWidth = static_cast<int>(360 * scale * m_textScale);
        gfx::Bitmap text = m_text.Draw(label->text, style, maxWidth);
        const int padX = static_cast<int>(std::lround(10 * scale));
        const int padY = static_cast<int>(std::lround(4 * scale));
        const int width = text.Width() + 2 * padX;
        const int height = std::max(text.Height() + 2 * padY, static_cast<int>(22 * scale));
        m_labelBitmap = gfx::Bitmap(width, height);
        gfx::Canvas canvas(m_labelBitmap);
        const gfx::RectF pill{0.5f, 0.5f, static_cast<float>(width) - 1, static_cast<float>(height) - 1};
        canvas.FillRoundedRect(pill, pill.height / 2, gfx::Color{246, 247, 250, 235});
        canvas.StrokeRoundedRect(pill, pill.height / 2, 1.0f, gfx::Color{0, 0, 0, 40});
        if (!text.Empty())
            canvas.DrawBitmap(text, {static_cast<float>(padX), static_cast<float>((height - text.Height()) / 2),
                                     static_cast<float>(text.Width()), static_cast<float>(text.Height())});
        if (m_labelPictures.size() >= kMaxLabelPictures) m_labelPictures.clear();
        m_labelPictures.emplace(label->text, m_labelBitmap.Clone());
        if (start)
            foundation::LogDetail("dock label", L"drawn in " + std::to_wstring((MicrosNow() - start) / 1000) + L" ms");
    }
    const int gap = static_cast<int>(std::lround(8 * scale));
    const int w = m_labelBitmap.Width(), h = m_labelBitmap.Height();
    POINT at{};
    switch (label->edge) {
    case Edge::Bottom: at = {label->anchor.x - w / 2, label->anchor.y - gap - h}; break;
    case Edge::Top: at = {label->anchor.x - w / 2, label->anchor.y + gap}; break;
    case Edge::Left: at = {label->anchor.x + gap, label->anchor.y - h / 2}; break;
    case Edge::Right: at = {label->anchor.x - gap - w, label->anchor.y - h / 2}; break;
    }
    // Keep the label on the dock's monitor.
    at.x = std::clamp<LONG>(at.x, m_monitor.rect.left, std::max<LONG>(m_monitor.rect.left, m_monitor.rect.right - w));
    at.y = std::clamp<LONG>(at.y, m_monitor.rect.top, std::max<LONG>(m_monitor.rect.top, m_monitor.rect.bottom - h));
    // Every frame of the magnification asks again; only a change reaches the screen.
    if (!newText && at.x == m_labelAt.x && at.y == m_labelAt.y && ::IsWindowVisible(m_label)) return;
    m_labelAt = at;
    // Following the bulge moves the label on most frames; its picture stays the same.
    if (newText || !m_labelSurface.Move(m_label, at)) m_labelSurface.Present(m_label, m_labelBitmap, at);
    ::ShowWindow(m_label, SW_SHOWNOACTIVATE);
}

void DockWindow::PlaceBackdrop(const std::optional<ScreenRect>& bar, int cornerRadius) {
    if (!bar || bar->Empty()) {
        if (m_backdrop) ::ShowWindow(m_backdrop, SW_HIDE);
        return;
    }
    if (m_backdropRefused) return;
    if (!m_backdrop) {
        kestrana::win32::ShellWindowRequest request;
        request.className = kBackdropClass;
        request.toolWindow = true;
        request.noActivate = true;
        request.width = bar->Width();
        request.height = bar->Height();
        m_backdrop = kestrana::win32::CreateShellWindow(request);
        if (!m_backdrop) return;
        if (!gfx::EnableBlurBehind(m_backdrop)) {
            // No blur on this system: the translucent bar alone is the look.
            ::DestroyWindow(m_backdrop);
            m_backdrop = nullptr;
            m_backdropRefused = true;
            return;
        }
    }
    // The backdrop takes the bar's rounded shape and stands just below the drawing window.
    const int diameter = std::max(0, cornerRadius * 2);
    ::SetWindowRgn(m_backdrop, ::CreateRoundRectRgn(0, 0, bar->Width() + 1, bar->Height() + 1, diameter, diameter), TRUE);
    ::SetWindowPos(m_backdrop, m_render, bar->left, bar->top, bar->Width(), bar->Height(),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void DockWindow::SamplePointer(bool on) {
    if (on) {
        // Hidden: the input window must not catch the pointer where the bar was.
        ::ShowWindow(m_input, SW_HIDE);
        ::SetTimer(m_input, kTimerPointerSample, kPointerSampleMs, nullptr);
    } else {
        ::KillTimer(m_input, kTimerPointerSample);
        ::ShowWindow(m_input, SW_SHOWNOACTIVATE);
    }
}

void DockWindow::ScheduleStripCheck(std::int64_t dueMs) {
    const std::int64_t wait = std::max<std::int64_t>(USER_TIMER_MINIMUM, dueMs - NowMs());
    ::SetTimer(m_input, kTimerStripCheck, static_cast<UINT>(wait), nullptr);
}

void DockWindow::CheckPointerStillOn() {
    // The system's leave notice can be lost when a covering window (the Launchpad, a
    // menu) goes away under a still pointer that then moves off without crossing the
    // dock: the dock would stay magnified. Once a second, while it believes the pointer
    // is on it, it looks.
    if (!m_bar->PointerInside() || ::GetCapture() == m_input || MenuOpen() || m_drag.Lifted()) return;
    POINT now{};
    if (::GetCursorPos(&now) && ::WindowFromPoint(now) != m_input) {
        foundation::LogDetail("dock", "the pointer left without a notice; the dock lets go of it");
        m_tracking = false;
        m_bar->PointerLeft();
    }
}

void DockWindow::OnHideTick() {
    if (m_decisionRunning || !m_bar->WantsHideDecision()) return;
    DWORD foregroundPid = 0;
    if (HWND foreground = ::GetForegroundWindow()) ::GetWindowThreadProcessId(foreground, &foregroundPid);
    const HideContext context =
        m_bar->MakeHideContext(reinterpret_cast<UINT_PTR>(m_monitor.handle), foregroundPid);
    HWND target = m_input;
    m_decisionRunning = true;
    // Walking every window takes a while; it runs on a worker and posts the verdict.
    const bool started = m_jobs.Run([context, target](const foundation::JobContext& job) {
        std::vector<WindowFacts> facts;
        GatherState state{::GetCurrentProcessId(), &facts};
        ::EnumWindows(GatherProc, reinterpret_cast<LPARAM>(&state));
        if (job.Quitting()) return;
        const HideVerdict verdict = DecideHide(context, facts);
        ::PostMessageW(target, kMsgVerdict, static_cast<WPARAM>(verdict), 0);
    });
    if (!started) m_decisionRunning = false;
}

std::function<void()> DockWindow::RowChangedPoster() const {
    return [window = m_input, posted = m_rowChangePosted] {
        // A post that fails (the dock is gone, or its queue is full) leaves the next one free to try.
        if (!posted->exchange(true) && !::PostMessageW(window, kMsgRowChanged, 0, 0)) posted->store(false);
    };
}

void DockWindow::TakeRowChange() {
    m_rowChangePosted->store(false);
    m_bar->ItemsChanged();
    if (foundation::DetailLogging()) {
        wchar_t line[64];
        std::swprintf(line, 64, L"presented at %.1f ms", SharedClockMs());
        foundation::LogDetail("running marks", line);
    }
    if (m_rowChangedHook) m_rowChangedHook(m_bar->Model().IconSize());
    if (m_reader) m_reader->Changed(); // windows came or went: a reader hears of it
}

void DockWindow::FollowSystemLook() {
    m_bar->SetContrast(gfx::HighContrastColours());
    m_bar->SetReducedMotion(!gfx::SystemAnimations());
    const float scale = gfx::TextScale();
    if (scale != m_textScale) {
        m_textScale = scale;
        m_labelPictures.clear(); // drawn at the old size
    }
}

void DockWindow::TakeKeyboard() {
    HWND before = ::GetForegroundWindow();
    if (before != m_input) m_keyboardFrom = before;
    std::int32_t focus = kNoItemId;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        const foundation::AccessibleTree tree = BuildDockTree(m_bar->Items(), m_bar->Model(), {});
        const foundation::AccessibleElement* last = tree.Find(DockElementId(m_lastFocus));
        if (m_lastFocus != kNoItemId && last && foundation::Has(last->state, foundation::AccessibleState::Focusable))
            focus = m_lastFocus;
        else if (const auto first = foundation::MoveFocus(tree, foundation::kAccessibleRoot, foundation::kAccessibleRoot,
                                                          foundation::FocusMove::First))
            focus = static_cast<std::int32_t>(*first);
    }
    if (focus == kNoItemId) return; // an empty dock has nothing to focus
    // The hotkey's press lets this process take the foreground.
    if (!::SetForegroundWindow(m_input)) foundation::LogFailure("dock keyboard", L"the dock could not take the keyboard");
    ::SetFocus(m_input);
    m_bar->SetKeyboardFocus(focus);
    m_lastFocus = focus;
    if (m_reader) m_reader->FocusChanged(DockElementId(focus));
    foundation::LogDetail("dock keyboard", L"the dock has the keyboard");
}

void DockWindow::LeaveKeyboard(bool restore) {
    if (m_bar->KeyboardFocus() == kNoItemId) return;
    m_bar->SetKeyboardFocus(kNoItemId);
    HWND back = std::exchange(m_keyboardFrom, nullptr);
    if (restore && back && ::IsWindow(back) && ::GetForegroundWindow() == m_input && !::SetForegroundWindow(back))
        foundation::LogFailure("dock keyboard", L"the keyboard could not be given back");
    foundation::LogDetail("dock keyboard", std::wstring(L"the dock let the keyboard go") +
                                               (restore && back ? L" back to the window that had it" : L""));
}

void DockWindow::OnKey(int virtualKey) {
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    foundation::SurfaceKeyResult result;
    {
        std::lock_guard lock(m_bar->Items().ListMutex());
        DockFocus focus;
        focus.focused = m_bar->KeyboardFocus();
        const foundation::AccessibleTree tree = BuildDockTree(m_bar->Items(), m_bar->Model(), {}, focus);
        result = foundation::KeyOnSurface(tree, DockElementId(focus.focused), virtualKey, shift);
    }
    const auto item = static_cast<std::int32_t>(result.target);
    switch (result.verb) {
    case foundation::SurfaceVerb::None: return;
    case foundation::SurfaceVerb::Move:
        m_bar->SetKeyboardFocus(item);
        m_lastFocus = item;
        if (m_reader) m_reader->FocusChanged(result.target);
        return;
    case foundation::SurfaceVerb::Activate:
        // The item acts as under a click; a program it brings forward takes the keyboard.
        InvokeForReader(*m_bar, m_clicks.get(), m_menus && m_menus->IsOpen(), static_cast<WPARAM>(item));
        return;
    case foundation::SurfaceVerb::OpenMenu: {
        if (!m_menus || m_menus->IsOpen()) return;
        const ScreenRect icon = m_bar->IconOnScreen(item);
        const ScreenPoint at{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
        std::size_t index = 0;
        {
            std::lock_guard lock(m_bar->Items().ListMutex());
            index = m_bar->Items().IndexOfId(item);
        }
        if (index) m_menus->Open(at, index, m_monitor.dpiScale, m_bar->Dark());
        // Closed without a command that took the keyboard elsewhere: it comes back here.
        if (m_bar->KeyboardFocus() != kNoItemId && ::GetForegroundWindow() == m_input) ::SetFocus(m_input);
        return;
    }
    case foundation::SurfaceVerb::Leave: LeaveKeyboard(true); return;
    }
}

LRESULT CALLBACK DockWindow::InputProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        auto* self = static_cast<DockWindow*>(::GetPropW(window, kBarProperty));
        if (self) return self->OnInput(window, message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught("dock input");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

namespace {

DockWindow::Button ButtonOf(UINT message) {
    switch (message) {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return DockWindow::Button::Middle;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return DockWindow::Button::Right;
    default: return DockWindow::Button::Left;
    }
}

ClickButton ClickButtonOf(DockWindow::Button button) {
    return button == DockWindow::Button::Middle ? ClickButton::Middle : ClickButton::Left;
}

} // namespace

LRESULT DockWindow::OnInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE: OnPointerMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, (wParam & MK_LBUTTON) != 0); return 0;
    case WM_CAPTURECHANGED:
        // Another window took the pointer: the icon goes back.
        if (reinterpret_cast<HWND>(lParam) != window) PutIconBack();
        return 0;
    case kMsgDragEscape: PutIconBack(); return 0;
    case WM_MOUSELEAVE: OnPointerLeave(); return 0;
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN: OnButtonDown(ButtonOf(message)); return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP: OnButtonUp(ButtonOf(message)); return 0;
    case WM_TIMER:
        if (OnTimer(wParam)) return 0;
        break;
    case kMsgOpenPreview:
        if (m_preview)
            m_preview->OpenNow(this, static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam)), PreviewResolver());
        return 0;
    case kTrashChangedMessage:
        if (m_clicks) m_clicks->TrashChanged(wParam != 0);
        return 0;
    case kTrashNoticeMessage:
        if (m_clicks) m_clicks->TrashNoticed(wParam, lParam);
        else TrashWatch::Acknowledge(wParam, lParam);
        return 0;
    case kMsgMenuShown:
        foundation::LogDetail("dock menu", L"shown " + std::to_wstring(MicrosNow() - static_cast<std::int64_t>(wParam)) +
                                               L" us after the right button went up");
        return 0;
    case kAskToEmptyTrashMessage:
        if (m_clicks) m_clicks->AskToEmptyTrash();
        return 0;
    case kMsgVerdict:
        m_decisionRunning = false;
        m_bar->ApplyHideVerdict(static_cast<HideVerdict>(wParam));
        return 0;
    case kMsgRowChanged: TakeRowChange(); return 0;
    case kMsgDroppedRead:
        if (m_menus) m_menus->DroppedRead();
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Keys reach the dock only after its focus hotkey handed it the keyboard.
        if (m_bar->KeyboardFocus() == kNoItemId) break;
        if (message == WM_SYSKEYDOWN && wParam != VK_F10) break; // Alt combinations stay the system's
        OnKey(static_cast<int>(wParam));
        return 0;
    case WM_SETTINGCHANGE:
        if (gfx::SystemLookChange(wParam, lParam)) FollowSystemLook();
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE && !MenuOpen()) LeaveKeyboard(false);
        break;
    case kMsgReaderInvoke: InvokeForReader(*m_bar, m_clicks.get(), MenuOpen(), wParam); return 0;
    case WM_GETOBJECT: {
        const auto trash = [this]() -> std::optional<bool> { return m_clicks ? std::optional(TrashFull()) : std::nullopt; };
        if (const auto answer = AnswerDockReader(m_reader, window, *m_bar, trash, wParam, lParam)) return *answer;
        break;
    }
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool DockWindow::MenuOpen() const { return m_menus && m_menus->IsOpen(); }

void DockWindow::OnPointerMove(POINT client, bool leftHeld) {
    // A move handed over late (the system's own after a covering window went away, read
    // once the pointer had moved on) must not bring the dock up where the pointer is not.
    if (::GetCapture() != m_input) {
        POINT now{};
        if (::GetCursorPos(&now) && ::WindowFromPoint(now) != m_input) {
            if (m_bar->PointerInside() && !MenuOpen()) m_bar->PointerLeft();
            return;
        }
    }
    const bool arrived = !m_tracking;
    // Asked again on every move: a covering window can end the watch without a leave.
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_input, 0};
    m_tracking = ::TrackMouseEvent(&track) != FALSE;
    if (arrived) {
        // The pointer came onto the dock: the trash should be right when looked at.
        if (m_clicks) m_clicks->PointerArrived();
        if (m_menus) m_menus->PointerArrived();
    }
    POINT p = client;
    ::ClientToScreen(m_input, &p);
    if (foundation::DetailLogging()) ++m_figures.moves;
    if (leftHeld && m_menus) Drag({p.x, p.y});
    m_bar->PointerMoved({p.x, p.y});
}

void DockWindow::OnPointerLeave() {
    m_tracking = false;
    if (::GetCapture() == m_input) return; // the capture brings the moves on
    // The pointer went to the open menu: the dock stays as it is until the menu closes,
    // since a window of the menu's owner that changes under it loses the menu its place
    // in front.
    if (!MenuOpen()) m_bar->PointerLeft();
}

void DockWindow::PutIconBack() {
    if (!m_drag.Lifted()) return;
    FinishDrag(WithRow([&](DockItems& row) { return m_drag.Cancel(row); }));
}

void DockWindow::OnButtonDown(Button button) {
    if (m_drag.Lifted()) return; // other buttons wait until the icon is put down
    // The press names the item under it even when no move came since the window last
    // changed size under a still pointer.
    m_bar->PointerMoved(CursorPosition());
    m_bar->ButtonChanged(true);
    if (m_menus && button == Button::Left) {
        const ScreenPoint at = CursorPosition();
        WithRow([&](DockItems& row) { m_drag.Press(at, m_bar->EntryAtLocked(at), row, m_menus->ItemsLocked()); });
        // A drag may leave the dock at its first move.
        ::SetCapture(m_input);
    }
    if (m_clicks && button != Button::Right) m_clicks->Pressed(m_bar->Items(), m_bar->Hovered(), ClickButtonOf(button));
}

void DockWindow::OnButtonUp(Button button) {
    const bool detail = foundation::DetailLogging();
    const std::int64_t start = detail ? MicrosNow() : 0;
    const ScreenPoint at = CursorPosition();
    if (m_drag.Lifted()) {
        if (button == Button::Left) PutIconDown(at);
        return;
    }
    ForgetPress(at, button);
    // Clicks wait until a drop in progress has landed.
    if (button != Button::Right && !m_pendingDrop) DeliverClick(button);
    if (button == Button::Left && m_bar->PointerInside() && ::WindowFromPoint({at.x, at.y}) != m_input)
        m_bar->PointerLeft();
    if (button == Button::Right && m_menus && !m_menus->IsOpen()) OpenMenuAt(at, start);
}

void DockWindow::PutIconDown(ScreenPoint at) {
    FinishDrag(WithRow([&](DockItems& row) { return m_drag.Release(at, row, m_bar->Model()); }));
    m_bar->ButtonChanged(false);
}

void DockWindow::ForgetPress(ScreenPoint at, Button button) {
    // Pressed without lifting: the row was never touched.
    WithRow([&](DockItems& row) { m_drag.Cancel(row); });
    if (button == Button::Left && ::GetCapture() == m_input) ::ReleaseCapture();
    m_bar->PointerMoved(at);
    m_bar->ButtonChanged(false);
}

void DockWindow::DeliverClick(Button button) {
    if (!m_clicks) return;
    const bool detail = foundation::DetailLogging();
    const std::int64_t handler = detail ? MicrosNow() : 0;
    m_clicks->Released(m_bar->Items(), m_bar->Hovered(), ClickButtonOf(button), MenuOpen());
    if (detail) foundation::LogDetail("dock click", L"handled in " + std::to_wstring(MicrosNow() - handler) + L" us");
}

void DockWindow::OpenMenuAt(ScreenPoint at, std::int64_t pressedAtMicros) {
    if (m_clicks) m_clicks->Cancel();
    if (foundation::DetailLogging()) ::PostMessageW(m_input, kMsgMenuShown, static_cast<WPARAM>(pressedAtMicros), 0);
    m_menus->Open(at, m_bar->EntryAt(at), m_monitor.dpiScale, m_bar->Dark());
    POINT now{};
    ::GetCursorPos(&now);
    if (::WindowFromPoint(now) != m_input) m_bar->PointerLeft();
}

void DockWindow::SetWeatherTick(std::function<void()> tick) {
    const bool was = static_cast<bool>(m_weatherTick);
    m_weatherTick = std::move(tick);
    if (!m_weatherTick) {
        if (was) ::KillTimer(m_input, kWeatherTimer);
        return;
    }
    if (!was) ::SetTimer(m_input, kWeatherTimer, kWeatherRedrawMs, nullptr);
    m_weatherTick();
}

bool DockWindow::OnTimer(WPARAM id) {
    if (m_clicks && m_clicks->TimerFired(id)) return true;
    switch (id) {
    case kHideTimerId:
        CheckPointerStillOn();
        OnHideTick();
        return true;
    case kTimerPointerSample: m_bar->PointerSample(CursorPosition(), ButtonHeld()); return true;
    case kTimerStripCheck:
        ::KillTimer(m_input, kTimerStripCheck);
        m_bar->StripCheckDue(CursorPosition());
        return true;
    case kTimerDropWait:
        ::KillTimer(m_input, kTimerDropWait);
        LandDrop();
        return true;
    case kTimerAttention: FollowShellAttention(); return true;
    case kWeatherTimer:
        if (m_weatherTick) m_weatherTick();
        return true;
    default: return false;
    }
}

void DockWindow::FollowShellAttention() {
    QUERY_USER_NOTIFICATION_STATE state{};
    ShellAttention attention;
    if (SUCCEEDED(::SHQueryUserNotificationState(&state))) {
        attention.fullScreen = state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN;
        attention.presentation = state == QUNS_PRESENTATION_MODE;
        attention.quietTime = state == QUNS_QUIET_TIME;
    }
    m_bar->AttentionChanged(attention);
}

LRESULT CALLBACK DockWindow::RenderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == kMsgFrame) {
            if (auto* self = static_cast<DockWindow*>(::GetPropW(window, kBarProperty))) {
                const bool detail = foundation::DetailLogging();
                const std::int64_t start = detail ? MicrosNow() : 0;
                self->m_bar->Frame();
                if (self->m_pacer) self->m_pacer->Handled();
                if (detail) self->NoteFrameFigures(MicrosNow() - start);
            }
            return 0;
        }
        if (message == kMsgPictures) {
            if (auto* self = static_cast<DockWindow*>(::GetPropW(window, kBarProperty))) self->m_bar->Redraw();
            return 0;
        }
        if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    } catch (...) {
        foundation::LogCaught("dock render");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kestrana::dock::win32
