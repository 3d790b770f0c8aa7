#include "dock/win32/preview_window.h"

#include "dock/win32/item_actions.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/owner_window_proc.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/window_text.h"
#include "gfx/canvas.h"
#include "gfx/resample.h"

#include <dwmapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kestrana::dock::win32 {
namespace {

constexpr wchar_t kPreviewProperty[] = L"OndelPreviewPtr";
constexpr char kLogPlace[] = "preview window";
// The pin state of the hovered picture's window: 461 pinned (topmost), 460 not.
constexpr wchar_t kPinProperty[] = L"dwmtopmostres";
constexpr LONG_PTR kPinnedImage = 461;
constexpr LONG_PTR kUnpinnedImage = 460;

constexpr UINT_PTR kTimerHover = 103;
constexpr UINT_PTR kTimerTitles = 104;
constexpr UINT_PTR kTimerCapture = 105;
constexpr UINT_PTR kTimerRefresh = 106;
constexpr UINT_PTR kTimerPeek = 107;
constexpr UINT kMsgCaptured = WM_APP + 30;
constexpr std::size_t kMaxTitlePictures = 64;

std::int64_t NowMs() { return static_cast<std::int64_t>(::GetTickCount64()); }

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }

using kestrana::win32::WindowClassName;
using kestrana::win32::WindowTitle;

// The program's other top-level windows, for stand-ins of its one real window.
std::vector<PreviewCandidate> ProxyCandidates(HWND of) {
    struct Walk {
        DWORD process = 0;
        HWND of = nullptr;
        std::vector<PreviewCandidate> found;
    } walk;
    ::GetWindowThreadProcessId(of, &walk.process);
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& w = *reinterpret_cast<Walk*>(data);
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process != w.process || window == w.of) return TRUE;
            PreviewCandidate c;
            c.id = static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window));
            c.className = WindowClassName(window);
            c.title = WindowTitle(window);
            c.visible = ::IsWindowVisible(window) != FALSE;
            c.responsive = !::IsHungAppWindow(window);
            w.found.push_back(std::move(c));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

} // namespace

PreviewWindow::PreviewWindow(Services services)
    : m_services(std::move(services)),
      m_thumbnails({m_services.jobs, m_services.picture, kMsgCaptured, kTimerCapture, "previews"}) {
    Reload();
}

PreviewWindow::~PreviewWindow() {
    Close();
    m_reader.reset();
    if (m_window) {
        ::RemovePropW(m_window.Get(), kPreviewProperty); // no message reaches this object any more
        m_window.Reset();
    }
}

void PreviewWindow::Reload() {
    m_settings = ReadPreviewSettings(m_services.settings);
    m_hover.SetDelay(m_settings.delayMs);
}

bool PreviewWindow::EnsureWindow() {
    if (m_window) return true;
    kestrana::win32::RegisterWindowClass(
        kClassName, kestrana::win32::ForwardToOwner<PreviewWindow, &PreviewWindow::OnMessage, kPreviewProperty, kLogPlace>);
    kestrana::win32::ShellWindowRequest request;
    request.className = kClassName;
    request.title = L"Window previews";
    request.width = 16;
    request.height = 16;
    request.layered = true;
    request.toolWindow = true;
    request.topmost = true;
    request.noActivate = true;
    m_window.Reset(kestrana::win32::CreateShellWindow(request));
    if (!m_window) {
        foundation::LogFailure("previews", L"no preview window");
        return false;
    }
    ::SetPropW(m_window.Get(), kPreviewProperty, this);
    kestrana::win32::ExcludeFromPeek(m_window.Get());
    return true;
}

void PreviewWindow::HoverItem(const void* owner, std::int32_t itemId, Resolver resolve) {
    // With previews off only clicks open them; leaving still closes one opened so.
    if (!m_settings.enabled && !m_hover.Shown()) return;
    if (itemId != kNoItemId) {
        m_owner = owner;
        m_resolve = std::move(resolve);
    } else if (owner != m_owner) {
        return; // another dock lost a pointer it did not have
    }
    if (!m_settings.enabled && itemId != kNoItemId && itemId != m_shownItem) itemId = kNoItemId;
    m_hover.HoverItem(itemId, itemId != kNoItemId, NowMs());
    Schedule();
}

bool PreviewWindow::OpenNow(const void* owner, std::int32_t itemId, Resolver resolve) {
    if (!EnsureWindow()) return false;
    m_owner = owner;
    m_resolve = std::move(resolve);
    m_hover.HoverItem(itemId, true, NowMs());
    m_hover.OpenNow(itemId, NowMs());
    Tick();
    return m_hover.Shown();
}

void PreviewWindow::CloseFor(const void* owner, std::int32_t itemId) {
    if (m_shownOwner != owner || m_shownItem != itemId) return;
    m_hover.Closed();
    Close();
}

void PreviewWindow::Forget(const void* owner) {
    if (m_owner == owner) {
        m_owner = nullptr;
        m_resolve = nullptr;
        m_hover.HoverItem(kNoItemId, false, NowMs());
    }
    if (m_shownOwner == owner) {
        m_hover.Closed();
        Close();
    }
}

void PreviewWindow::Schedule() {
    const auto due = m_hover.NextDue();
    if (!due) {
        if (m_window) ::KillTimer(m_window.Get(), kTimerHover);
        return;
    }
    if (!EnsureWindow()) return;
    const std::int64_t wait = std::max<std::int64_t>(*due - NowMs(), USER_TIMER_MINIMUM);
    ::SetTimer(m_window.Get(), kTimerHover, static_cast<UINT>(wait), nullptr);
}

void PreviewWindow::Tick() {
    const std::int64_t now = NowMs();
    const std::int64_t late = std::max<std::int64_t>(now - m_hover.NextDue().value_or(now), 0);
    switch (m_hover.Tick(now)) {
    case PreviewHover::Action::Show:
        if (!Show(late)) {
            m_hover.Closed();
            Close();
        }
        break;
    case PreviewHover::Action::Close: Close(); break;
    case PreviewHover::Action::None: break;
    }
    Schedule();
}

bool PreviewWindow::Show(std::int64_t lateMs) {
    const auto started = std::chrono::steady_clock::now();
    if (!m_resolve || !EnsureWindow()) return false;
    const std::int32_t item = m_hover.Item();
    std::optional<PreviewTarget> target = m_resolve(item);
    if (!target || target->windows.empty()) return false;
    using Clock = std::chrono::steady_clock;
    const auto resolved = Clock::now();
    Close();
    m_shownOwner = m_owner;
    m_shownResolve = m_resolve;
    m_shownItem = item;
    LayOut(*target);
    if (m_pictures.empty()) return false;
    const auto laidOut = Clock::now();
    Draw();
    const auto drawn = Clock::now();
    ::SetWindowPos(m_window.Get(), HWND_TOPMOST, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
    const auto presented = Clock::now();
    UpdateThumbnails();
    ::SetTimer(m_window.Get(), kTimerTitles, 1000, nullptr);
    ::SetTimer(m_window.Get(), kTimerRefresh, 1000, nullptr);
    const bool anyCaptured = m_thumbnails.AnyCaptured();
    if (anyCaptured) m_thumbnails.OnTimer(); // the first pictures at once
    if (m_reader) m_reader->Changed();
    if (foundation::DetailLogging()) {
        auto us = [](Clock::time_point from, Clock::time_point to) {
            return std::to_wstring(std::chrono::duration_cast<std::chrono::microseconds>(to - from).count());
        };
        // The timer's lateness and the building up to the shown window together: how long
        // after the delay it is presented. The parts: the item's facts, the windows chosen
        // and sized, the frame drawn and handed over, the window shown.
        foundation::LogDetail("previews", L"shown: " + std::to_wstring(m_pictures.size()) + L" pictures (" +
                                              (anyCaptured ? L"captured" : L"live") + L"), late by " +
                                              std::to_wstring(lateMs) + L" ms, built in " + us(started, presented) +
                                              L" us (facts " + us(started, resolved) + L", layout " +
                                              us(resolved, laidOut) + L", frame " + us(laidOut, drawn) + L", show " +
                                              us(drawn, presented) + L")");
    }
    return true;
}

void PreviewWindow::LayOut(const PreviewTarget& target) {
    m_scale = target.scale > 0 ? target.scale : 1.0f;
    std::vector<WindowId> ids;
    {
        std::vector<PreviewCandidate> own;
        for (WindowId id : target.windows) {
            const HWND w = AsWindow(id);
            if (!::IsWindow(w)) continue;
            own.push_back({id, WindowClassName(w), {}, true, true});
        }
        std::vector<PreviewCandidate> proxies;
        if (own.size() == 1 && !PreviewProxyClass(target.program).empty()) proxies = ProxyCandidates(AsWindow(own[0].id));
        ids = ChoosePreviewWindows(target.program, own, proxies);
    }
    const PreviewCount count = CapPreviewCount(ids.size());
    ids.resize(count.shown);
    m_more = count.more;
    std::vector<HWND> windows;
    for (WindowId id : ids) windows.push_back(AsWindow(id));
    if (!m_thumbnails.Show(m_window.Get(), windows)) return;
    std::vector<SourceSize> sources;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        Picture p;
        p.window = windows[i];
        p.title = WindowTitle(p.window);
        const SIZE size = m_thumbnails.SourceSize(i);
        p.source = {size.cx, size.cy};
        sources.push_back(p.source);
        m_pictures.push_back(std::move(p));
    }
    const int pad = static_cast<int>(std::lround(8 * m_scale));
    const int markWidth = m_more ? static_cast<int>(std::lround(44 * m_scale)) : 0;
    m_titleHeight = m_settings.title ? static_cast<int>(std::lround(20 * m_scale)) : 0;
    const PreviewRow row = SizePreviewRow(sources, target.monitor.Width() - 2 * pad, IsVertical(target.edge), m_scale,
                                          m_settings.size, markWidth);
    int x = pad;
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        m_pictures[i].slot = RECT{x, pad + m_titleHeight, x + row.widths[i], pad + m_titleHeight + row.height};
        x += row.widths[i] + row.gap;
    }
    const int width = row.Width() + 2 * pad + (markWidth ? markWidth + row.gap : 0);
    const int height = row.height + m_titleHeight + 2 * pad;
    m_rect = PlacePreview(target.icon, target.edge, width, height, target.monitor, static_cast<int>(std::lround(6 * m_scale)));
    m_hovered = -1;
}

void PreviewWindow::UpdateThumbnails() {
    for (std::size_t i = 0; i < m_pictures.size(); ++i) m_thumbnails.Place(i, m_pictures[i].slot);
}

RECT PreviewWindow::PinRect(const RECT& slot) const {
    const int side = static_cast<int>(28 * m_scale);
    return RECT{slot.right - side - 2, slot.top + 2, slot.right - 2, slot.top + 2 + side};
}

const gfx::Bitmap& PreviewWindow::TitlePicture(const std::wstring& title, int width) {
    // Text is slow to draw (tens of milliseconds on some systems) and the preview redraws
    // with every captured picture: each title is drawn once per width.
    const std::wstring key = std::to_wstring(width) + L"|" + std::to_wstring(std::lround(m_scale * 100)) + L"|" + title;
    if (auto known = m_titlePictures.find(key); known != m_titlePictures.end()) return known->second;
    if (m_titlePictures.size() >= kMaxTitlePictures) m_titlePictures.clear();
    gfx::TextStyle style;
    style.size = 12.0f * m_scale;
    style.color = gfx::Color{30, 31, 36, 255};
    return m_titlePictures.emplace(key, m_services.text.Draw(title, style, width)).first->second;
}

void PreviewWindow::Draw() {
    const int width = m_rect.Width(), height = m_rect.Height();
    if (width <= 0 || height <= 0) return;
    gfx::Bitmap frame(width, height);
    gfx::Canvas canvas(frame);
    const float radius = 10 * m_scale;
    const gfx::RectF all{0.5f, 0.5f, static_cast<float>(width) - 1, static_cast<float>(height) - 1};
    canvas.FillRoundedRect(all, radius, gfx::Color{236, 238, 242, 235});
    canvas.StrokeRoundedRect(all, radius, 1.0f, gfx::Color{0, 0, 0, 60});
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        const Picture& p = m_pictures[i];
        const gfx::RectF slot{static_cast<float>(p.slot.left), static_cast<float>(p.slot.top),
                              static_cast<float>(p.slot.right - p.slot.left), static_cast<float>(p.slot.bottom - p.slot.top)};
        if (static_cast<int>(i) == m_hovered) {
            const float grow = 3 * m_scale;
            canvas.FillRoundedRect({slot.x - grow, slot.y - grow - m_titleHeight, slot.width + 2 * grow,
                                    slot.height + 2 * grow + m_titleHeight},
                                   4 * m_scale, gfx::Color{60, 120, 220, 110});
        }
        if (!m_thumbnails.Live(i)) {
            if (const gfx::Bitmap& captured = m_thumbnails.Captured(i); !captured.Empty()) canvas.DrawBitmap(captured, slot);
            else canvas.FillRect(slot, gfx::Color{200, 202, 208, 255}); // not taken yet, or minimised
        }
        if (m_titleHeight && !p.title.empty()) {
            const gfx::Bitmap& text = TitlePicture(p.title, p.slot.right - p.slot.left);
            if (!text.Empty())
                canvas.DrawBitmap(text, {slot.x, slot.y - static_cast<float>(m_titleHeight) +
                                                     static_cast<float>(m_titleHeight - text.Height()) / 2,
                                         static_cast<float>(text.Width()), static_cast<float>(text.Height())});
        }
        if (m_settings.control && static_cast<int>(i) == m_hovered) {
            const RECT pin = PinRect(p.slot);
            const bool pinned = (::GetWindowLongPtrW(p.window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            const gfx::RectF r{static_cast<float>(pin.left), static_cast<float>(pin.top),
                               static_cast<float>(pin.right - pin.left), static_cast<float>(pin.bottom - pin.top)};
            canvas.FillRoundedRect(r, r.width / 2, pinned ? gfx::Color{60, 120, 220, 240} : gfx::Color{250, 250, 250, 230});
            const gfx::Color ink = pinned ? gfx::Color{255, 255, 255, 255} : gfx::Color{40, 40, 48, 255};
            const float cx = r.x + r.width / 2, cy = r.y + r.height / 2, u = r.width / 6;
            canvas.StrokeLine({cx - 1.5f * u, cy - 1.2f * u}, {cx + 1.5f * u, cy - 1.2f * u}, 1.6f * m_scale, ink);
            canvas.StrokeLine({cx, cy - 1.2f * u}, {cx, cy + 2 * u}, 1.6f * m_scale, ink);
            ::SetPropW(m_window.Get(), kPinProperty, reinterpret_cast<HANDLE>(pinned ? kPinnedImage : kUnpinnedImage));
        }
    }
    if (m_more) {
        gfx::TextStyle style;
        style.size = 16.0f * m_scale;
        style.weight = 600;
        style.color = gfx::Color{30, 31, 36, 255};
        const gfx::Bitmap text = m_services.text.Draw(L"+" + std::to_wstring(m_more), style);
        const RECT& last = m_pictures.back().slot;
        if (!text.Empty())
            canvas.DrawBitmap(text, {static_cast<float>(last.right) + (static_cast<float>(width - last.right) - text.Width()) / 2,
                                     static_cast<float>(last.top + last.bottom - text.Height()) / 2,
                                     static_cast<float>(text.Width()), static_cast<float>(text.Height())});
    }
    m_surface.Present(m_window.Get(), frame, POINT{m_rect.left, m_rect.top});
}

void PreviewWindow::RefreshTitles() {
    if (m_pictures.empty()) {
        ::KillTimer(m_window.Get(), kTimerTitles);
        return;
    }
    bool changed = false;
    for (Picture& p : m_pictures) {
        std::wstring title = WindowTitle(p.window);
        if (title != p.title) {
            p.title = std::move(title);
            changed = true;
        }
    }
    if (changed) {
        if (m_titleHeight) Draw();
        if (m_reader) m_reader->Changed();
    }
}

void PreviewWindow::Refresh() {
    if (m_pictures.empty() || !m_shownResolve) {
        ::KillTimer(m_window.Get(), kTimerRefresh);
        return;
    }
    // Windows that closed, opened, or moved: the preview is laid out again; an item with no
    // windows left closes it.
    std::optional<PreviewTarget> target = m_shownResolve(m_shownItem);
    if (!target || target->windows.empty()) {
        m_hover.Closed();
        Close();
        Schedule();
        return;
    }
    bool same = target->windows.size() == m_pictures.size() + m_more;
    for (std::size_t i = 0; same && i < m_pictures.size(); ++i) {
        // A window that closed or changed its size since: the row is laid out again.
        const Picture& p = m_pictures[i];
        const SIZE size = m_thumbnails.SourceSize(i);
        same = ::IsWindow(p.window) && size.cx == p.source.width && size.cy == p.source.height;
    }
    if (same) return;
    const std::int32_t item = m_shownItem;
    m_owner = m_shownOwner;
    m_resolve = m_shownResolve;
    m_hover.Closed();
    m_hover.OpenNow(item, NowMs());
    Tick();
}

void PreviewWindow::PeekHover(int slot) {
    m_peek.Hover(slot, NowMs());
    PeekTick();
}

void PreviewWindow::PeekTick() {
    if (!m_window) return;
    ::KillTimer(m_window.Get(), kTimerPeek);
    switch (m_peek.Tick(m_settings.aeropeek, NowMs())) {
    case PreviewPeek::Action::Show: {
        const int slot = m_peek.Peeked();
        if (slot >= 0 && slot < static_cast<int>(m_pictures.size()))
            gfx::PeekAtWindow(m_pictures[static_cast<std::size_t>(slot)].window, m_window.Get());
        break;
    }
    case PreviewPeek::Action::End: gfx::EndPeek(); break;
    case PreviewPeek::Action::None: break;
    }
    if (const auto due = m_peek.NextDue())
        ::SetTimer(m_window.Get(), kTimerPeek, static_cast<UINT>(std::max<std::int64_t>(*due - NowMs(), USER_TIMER_MINIMUM)),
                   nullptr);
}

void PreviewWindow::Close() {
    if (m_peek.Closed() == PreviewPeek::Action::End) gfx::EndPeek();
    m_pictures.clear();
    m_pictures.shrink_to_fit();
    m_thumbnails.Close(); // the registrations and captured pictures go
    m_more = 0;
    m_shownItem = kNoItemId;
    m_shownOwner = nullptr;
    m_shownResolve = nullptr;
    m_hovered = -1;
    if (!m_window) return;
    ::KillTimer(m_window.Get(), kTimerTitles);
    ::KillTimer(m_window.Get(), kTimerRefresh);
    ::KillTimer(m_window.Get(), kTimerPeek);
    ::ShowWindow(m_window.Get(), SW_HIDE);
    // The picture handed to the window goes too: a closed preview holds no pixels, and
    // the window's own copy goes with its size.
    m_surface.Release();
    ::SetWindowPos(m_window.Get(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_reader) m_reader->Changed();
}

int PreviewWindow::SlotAt(POINT client) const {
    for (std::size_t i = 0; i < m_pictures.size(); ++i) {
        const RECT& s = m_pictures[i].slot;
        RECT hit{s.left, s.top - m_titleHeight, s.right, s.bottom};
        if (::PtInRect(&hit, client)) return static_cast<int>(i);
    }
    return -1;
}

void PreviewWindow::Activate(int slot) {
    if (slot < 0 || slot >= static_cast<int>(m_pictures.size())) return;
    const HWND window = m_pictures[static_cast<std::size_t>(slot)].window;
    if (foundation::DetailLogging()) foundation::LogDetail("previews", L"picture " + std::to_wstring(slot + 1) + L" chosen");
    m_hover.Closed();
    Close();
    Schedule();
    // Switching waits on the other program; the user-interface thread does not.
    if (!m_services.jobs.Run([window](const foundation::JobContext&) { SwitchToWindow(window); }))
        foundation::LogFailure("previews", "no job for the switch");
}

void PreviewWindow::TogglePin(int slot) {
    if (slot < 0 || slot >= static_cast<int>(m_pictures.size())) return;
    const HWND window = m_pictures[static_cast<std::size_t>(slot)].window;
    const bool pinned = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (!::SetWindowPos(window, pinned ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
        foundation::LogFailure("previews", L"the window's pin could not be changed");
    Draw();
}

std::optional<foundation::AccessibleTree> PreviewWindow::AccessibleSnapshot() const {
    foundation::AccessibleElement root;
    root.role = foundation::AccessibleRole::Window;
    root.name = L"Window previews";
    root.bounds = {m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height()};
    root.flow = foundation::AccessibleFlow::Horizontal;
    foundation::AccessibleTree tree(root);
    if (!m_pictures.empty()) {
        for (std::size_t i = 0; i < m_pictures.size(); ++i) {
            const Picture& p = m_pictures[i];
            foundation::AccessibleElement e;
            e.id = static_cast<foundation::AccessibleId>(i + 1);
            e.role = foundation::AccessibleRole::PushButton;
            e.name = p.title.empty() ? L"Window " + std::to_wstring(i + 1) : p.title;
            e.value = m_thumbnails.Live(i) ? L"live" : L"picture";
            e.defaultAction = L"Switch to";
            e.bounds = {m_rect.left + p.slot.left, m_rect.top + p.slot.top, p.slot.right - p.slot.left,
                        p.slot.bottom - p.slot.top};
            tree.Add(std::move(e));
        }
        if (m_more) {
            foundation::AccessibleElement e;
            e.id = static_cast<foundation::AccessibleId>(m_pictures.size() + 1);
            e.role = foundation::AccessibleRole::StaticText;
            e.name = L"+" + std::to_wstring(m_more);
            tree.Add(std::move(e));
        }
    }
    tree.Seal();
    return tree;
}

LRESULT PreviewWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        switch (wParam) {
        case kTimerHover: ::KillTimer(m_window.Get(), kTimerHover); Tick(); return 0;
        case kTimerTitles: RefreshTitles(); return 0;
        case kTimerRefresh: Refresh(); return 0;
        case kTimerCapture: m_thumbnails.OnTimer(); return 0;
        case kTimerPeek: PeekTick(); return 0;
        default: break;
        }
        break;
    case kMsgCaptured:
        if (m_thumbnails.OnCaptured(wParam)) Draw();
        return 0;
    case WM_MOUSEMOVE: {
        if (!m_tracking) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, m_window.Get(), 0};
            m_tracking = ::TrackMouseEvent(&track) != FALSE;
            m_hover.PointerInPreview(true, NowMs());
            Schedule();
        }
        const int slot = SlotAt(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        if (slot != m_hovered) {
            m_hovered = slot;
            Draw();
            PeekHover(slot);
        }
        return 0;
    }
    case WM_MOUSELEAVE:
        m_tracking = false;
        m_hover.PointerInPreview(false, NowMs());
        if (m_hovered != -1) {
            m_hovered = -1;
            Draw();
            PeekHover(-1);
        }
        Schedule();
        return 0;
    case WM_LBUTTONUP: {
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        const int slot = SlotAt(at);
        if (slot < 0) return 0;
        const RECT pin = PinRect(m_pictures[static_cast<std::size_t>(slot)].slot);
        if (m_settings.control && ::PtInRect(&pin, at)) TogglePin(slot);
        else Activate(slot);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_GETOBJECT:
        if (!m_reader)
            m_reader = std::make_unique<kestrana::win32::AccessibleHost>(
                m_window.Get(), [this] { return AccessibleSnapshot(); },
                kestrana::win32::AccessibleActions{[this](foundation::AccessibleId id) {
                    if (id == 0 || id > m_pictures.size()) return false;
                    Activate(static_cast<int>(id) - 1);
                    return true;
                }});
        if (const auto answer = m_reader->OnGetObject(wParam, lParam)) return *answer;
        break;
    default: break;
    }
    return ::DefWindowProcW(m_window.Get(), message, wParam, lParam);
}

} // namespace kestrana::dock::win32
