#include "gfx/win32/layered_window_surface.h"
#include "foundation/win32/system_function.h"
#include "gfx/win32/bitmap_info.h"

#include <algorithm>
#include <cstring>

namespace kestrana::gfx {

LayeredWindowSurface::LayeredWindowSurface() noexcept {
    // Resolved at run time: older systems and some compatibility layers lack it, and a
    // missing import would stop the program from loading.
    m_updateIndirect = kestrana::win32::LoadedFunction<UpdateIndirect>(L"user32.dll", "UpdateLayeredWindowIndirect");
}

LayeredWindowSurface::~LayeredWindowSurface() {
    ReleaseDib();
}

void LayeredWindowSurface::ReleaseDib() noexcept {
    if (m_dc && m_previous) {
        SelectObject(m_dc.Get(), m_previous);
    }
    m_previous = nullptr;
    m_dib.Reset();
    m_bits = nullptr;
    m_width = m_height = 0;
    m_shown = false;
}

bool LayeredWindowSurface::Ensure(int width, int height) noexcept {
    if (width == m_width && height == m_height && m_bits) {
        return true;
    }
    ReleaseDib();
    if (!m_dc) {
        m_dc.Reset(CreateCompatibleDC(nullptr));
        if (!m_dc) {
            return false;
        }
    }
    BITMAPINFO info = TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    m_dib.Reset(CreateDIBSection(m_dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_dib || !bits) {
        m_dib.Reset();
        return false;
    }
    m_previous = SelectObject(m_dc.Get(), m_dib.Get());
    m_bits = bits;
    m_width = width;
    m_height = height;
    ++m_allocations;
    return true;
}

bool LayeredWindowSurface::Present(HWND window, const Bitmap& frame, POINT screenPosition, BYTE opacity,
                                   const RectI* dirty) noexcept {
    const RectI bounds = frame.Bounds();
    // Without a dirty part (or an empty one) the whole frame counts as changed.
    return PresentPart(window, frame, bounds, screenPosition, opacity, dirty && !dirty->Empty() ? dirty : &bounds);
}

bool LayeredWindowSurface::Move(HWND window, POINT screenPosition) noexcept {
    if (!window || !m_shown || !m_updateIndirect) {
        return false;
    }
    // Without a source the system keeps the picture it has; a move then costs no pixels.
    SIZE size{m_width, m_height};
    UPDATELAYEREDWINDOWINFO info{};
    info.cbSize = sizeof info;
    info.pptDst = &screenPosition;
    info.psize = &size;
    if (m_updateIndirect(window, &info) == FALSE) return false;
    m_window = {screenPosition.x, screenPosition.y, m_width, m_height};
    return true;
}

bool LayeredWindowSurface::ShownEquals(const Pixel* shown, const Bitmap& frame, const RectI& source,
                                       const RectI& area) const noexcept {
    for (int y = area.y; y < area.Bottom(); ++y) {
        if (std::memcmp(shown + std::size_t(y - source.y) * m_width + (area.x - source.x), frame.Row(y) + area.x,
                        std::size_t(area.width) * 4) != 0)
            return false;
    }
    return true;
}

bool LayeredWindowSurface::PresentPart(HWND window, const Bitmap& frame, const RectI& part, POINT screenPosition,
                                       BYTE opacity, const RectI* dirty) noexcept {
    const RectI source = Intersect(part, frame.Bounds());
    if (!window || source.Empty()) return false;
    PresentRequest request;
    request.part = source;
    request.opacity = opacity;
    if (dirty) request.dirty = *dirty;
    request.window = {screenPosition.x, screenPosition.y, source.width, source.height};
    RECT now{};
    if (::GetWindowRect(window, &now))
        request.windowNow = {now.left, now.top, now.right - now.left, now.bottom - now.top};
    request.visible = ::IsWindowVisible(window) != FALSE;
    const PresentedState last{m_shown && source.width == m_width && source.height == m_height, m_part, m_opacity,
                              m_window};
    PresentPlan plan = PlanPresent(last, request);
    if (plan.kind == PresentKind::MoveOnly) {
        if (Move(window, screenPosition)) return true;
        plan = {PresentKind::Whole, source}; // the move alone failed: hand the picture over again
    }
    if (!Ensure(source.width, source.height)) return false;
    RectI area = plan.area;
    GdiFlush();
    auto* dst = static_cast<Pixel*>(m_bits);
    // The buffer holds what the system shows; a redraw that changed no pixel costs no call.
    if (plan.onScreen && ShownEquals(dst, frame, source, area)) return true;
    for (int y = area.y; y < area.Bottom(); ++y) {
        std::memcpy(dst + std::size_t(y - source.y) * m_width + (area.x - source.x), frame.Row(y) + area.x,
                    std::size_t(area.width) * 4);
    }
    area.x -= source.x;
    area.y -= source.y;
    SIZE size{source.width, source.height};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    bool done = false;
    // A change in a window that stays where it is names neither place nor size: the
    // system then only copies the change instead of placing the window again (which
    // some window systems do at full cost on every call).
    const bool inPlace = plan.kind == PresentKind::Changed;
    if (m_updateIndirect) {
        const RECT dirtyRect{area.x, area.y, area.Right(), area.Bottom()};
        UPDATELAYEREDWINDOWINFO info{};
        info.cbSize = sizeof info;
        info.pptDst = inPlace ? nullptr : &screenPosition;
        info.psize = inPlace ? nullptr : &size;
        info.hdcSrc = m_dc.Get();
        info.pptSrc = &origin;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = plan.kind == PresentKind::Whole ? nullptr : &dirtyRect;
        done = m_updateIndirect(window, &info) != FALSE;
    }
    if (!done) {
        done = UpdateLayeredWindow(window, nullptr, &screenPosition, &size, m_dc.Get(), &origin, 0, &blend, ULW_ALPHA) !=
               FALSE;
    }
    // A refused present leaves nothing known on screen: the next one hands over everything.
    m_shown = done;
    m_part = source;
    m_opacity = opacity;
    m_window = request.window;
    return done;
}

Bitmap LayeredWindowSurface::Snapshot() const {
    Bitmap out(m_width, m_height);
    if (m_bits && !out.Empty()) {
        GdiFlush();
        std::memcpy(out.Pixels().data(), m_bits, std::size_t(m_width) * std::size_t(m_height) * 4);
    }
    return out;
}

} // namespace kestrana::gfx
