#pragma once
// Puts a frame, or one part of it, on screen as the whole picture of a layered window
// (per-pixel alpha). The memory DC and its DIB section are kept between frames and made
// again only when the presented size changes.

#include "gfx/bitmap.h"
#include "gfx/present_plan.h"

#include "foundation/win32/unique_handle.h"

#include <windows.h>

namespace kestrana::gfx {

class LayeredWindowSurface {
public:
    LayeredWindowSurface() noexcept;
    ~LayeredWindowSurface();
    LayeredWindowSurface(const LayeredWindowSurface&) = delete;
    LayeredWindowSurface& operator=(const LayeredWindowSurface&) = delete;

    // Shows `frame` on `window` (created with WS_EX_LAYERED) with its top-left corner at
    // `screenPosition`, scaled by `opacity` as a whole. With `dirty` only that part of the
    // frame is copied and announced as changed. False when the system refuses.
    bool Present(HWND window, const Bitmap& frame, POINT screenPosition, BYTE opacity = 255,
                 const RectI* dirty = nullptr) noexcept;
    // Shows only `part` of `frame` (frame pixels) as the window's picture, its top-left
    // corner at `screenPosition`. `dirty` is in frame pixels too; an empty one says the
    // picture is unchanged, so with the same part and opacity the window is only moved.
    bool PresentPart(HWND window, const Bitmap& frame, const RectI& part, POINT screenPosition, BYTE opacity,
                     const RectI* dirty) noexcept;
    // Moves the window without touching its picture (no pixels are handed over).
    bool Move(HWND window, POINT screenPosition) noexcept;

    // The DIB's pixels as last presented (for tests and screenshots); empty before any frame.
    [[nodiscard]] Bitmap Snapshot() const;
    [[nodiscard]] int Width() const noexcept { return m_width; }
    [[nodiscard]] int Height() const noexcept { return m_height; }
    // Gives the DIB back (a surface hidden for a while); the next frame makes a new one.
    void Release() noexcept { ReleaseDib(); }
    // How often the DIB section was (re)made; frames of one size share one.
    [[nodiscard]] int Allocations() const noexcept { return m_allocations; }

private:
    bool Ensure(int width, int height) noexcept;
    void ReleaseDib() noexcept;
    [[nodiscard]] bool ShownEquals(const Pixel* shown, const Bitmap& frame, const RectI& source, const RectI& area) const noexcept;

    using UpdateIndirect = BOOL(WINAPI*)(HWND, const UPDATELAYEREDWINDOWINFO*);

    win32::UniqueMemoryDc m_dc;
    win32::UniqueGdiObject m_dib;
    HGDIOBJ m_previous = nullptr;
    void* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_allocations = 0;
    RectI m_part;          // the part of the frame last presented
    RectI m_window;        // where the window was last put (screen pixels)
    BYTE m_opacity = 255;
    bool m_shown = false;  // a picture was handed over since the last DIB was made
    UpdateIndirect m_updateIndirect = nullptr;
};

} // namespace kestrana::gfx
