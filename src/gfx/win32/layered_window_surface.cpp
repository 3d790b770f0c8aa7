#include "gfx/win32/layered_window_surface.h"

#include <algorithm>
#include <cstring>

namespace kestrana::gfx {

LayeredWindowSurface::LayeredWindowSurface() noexcept {
    // Resolved at run time: older systems and some compatibility layers lack it, and a
    // missing import would stop the program from loading.
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        m_updateIndirect = reinterpret_cast<UpdateIndirect>(
            reinterpret_cast<void*>(GetProcAddress(user32, "UpdateLayeredWindowIndirect")));
    }
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
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down, like Bitmap
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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
    if (!window || frame.Empty()) {
        return false;
    }
    const bool resized = frame.Width() != m_width || frame.Height() != m_height;
    if (!Ensure(frame.Width(), frame.Height())) {
        return false;
    }
    // After a new DIB everything must be copied, whatever was said to be dirty.
    const RectI area = (dirty && !resized) ? Intersect(*dirty, frame.Bounds()) : frame.Bounds();
    GdiFlush();
    auto* dst = static_cast<Pixel*>(m_bits);
    for (int y = area.y; y < area.Bottom(); ++y) {
        std::memcpy(dst + std::size_t(y) * m_width + area.x, frame.Row(y) + area.x, std::size_t(area.width) * 4);
    }
    SIZE size{frame.Width(), frame.Height()};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, opacity, AC_SRC_ALPHA};
    if (m_updateIndirect) {
        const RECT dirtyRect{area.x, area.y, area.Right(), area.Bottom()};
        UPDATELAYEREDWINDOWINFO info{};
        info.cbSize = sizeof info;
        info.pptDst = &screenPosition;
        info.psize = &size;
        info.hdcSrc = m_dc.Get();
        info.pptSrc = &origin;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        info.prcDirty = area.Empty() ? nullptr : &dirtyRect;
        if (m_updateIndirect(window, &info)) {
            return true;
        }
    }
    return UpdateLayeredWindow(window, nullptr, &screenPosition, &size, m_dc.Get(), &origin, 0, &blend, ULW_ALPHA) !=
           FALSE;
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
