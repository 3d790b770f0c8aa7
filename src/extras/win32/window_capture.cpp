#include "extras/win32/window_capture.h"

#include "foundation/diagnostic_log.h"
#include "foundation/job_runner.h"
#include "foundation/process_state.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_limits.h"
#include "gfx/resample.h"
#include "gfx/win32/bitmap_info.h"

#include <dwmapi.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

namespace kestrana::extras::win32 {

namespace {

using kestrana::win32::UniqueGdiObject;
using kestrana::win32::UniqueMemoryDc;

#ifndef PW_RENDERFULLCONTENT
constexpr UINT PW_RENDERFULLCONTENT = 0x00000002;
#endif

struct Dib {
    UniqueMemoryDc dc;
    UniqueGdiObject bitmap;
    HGDIOBJ previous = nullptr;
    void* bits = nullptr;
    ~Dib() {
        if (previous) ::SelectObject(dc.Get(), previous);
    }
};

bool MakeDib(Dib& dib, int width, int height) {
    BITMAPINFO info = gfx::TopDownBitmapInfo(width, height);
    dib.dc.Reset(::CreateCompatibleDC(nullptr));
    if (!dib.dc) return false;
    dib.bitmap.Reset(::CreateDIBSection(dib.dc.Get(), &info, DIB_RGB_COLORS, &dib.bits, nullptr, 0));
    if (!dib.bitmap || !dib.bits) return false;
    dib.previous = ::SelectObject(dib.dc.Get(), dib.bitmap.Get());
    return true;
}

// A print that left every pixel black or untouched counts as no print.
bool Blank(const std::uint32_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; i += 7)
        if (pixels[i] & 0x00FFFFFFu) return false;
    return true;
}

// The screen is read in bands of rows. A read from the screen passes through a block of
// the system's own as large as what is read; kept to a band, that block is small and
// reused, where a whole window would take a new large block per window and refresh
// (which the host allocator under Wine then keeps after the preview has closed).
constexpr int kBandBytes = 120 * 1024;

int BandRows(int width) { return std::max(1, kBandBytes / std::max(1, width * 4)); }

bool CopyScreenInBands(HDC target, int width, int height, int left, int top) {
    const int rows = BandRows(width);
    HDC screen = ::GetDC(nullptr);
    if (!screen) return false;
    bool done = true;
    for (int y = 0; done && y < height; y += rows)
        done = ::BitBlt(target, 0, y, width, std::min(rows, height - y), screen, left, top + y, SRCCOPY) != FALSE;
    ::ReleaseDC(nullptr, screen);
    return done;
}

// A thumbnail of a part of the screen, shrunk band by band as the bands are read, so
// that no copy of the whole part is ever made.
gfx::Bitmap ShrinkScreenInBands(const RECT& rect, int width, int height) {
    const int fullWidth = rect.right - rect.left, fullHeight = rect.bottom - rect.top;
    const int rows = std::min(BandRows(fullWidth), fullHeight);
    Dib band;
    HDC screen = ::GetDC(nullptr);
    if (!screen || !MakeDib(band, fullWidth, rows)) {
        if (screen) ::ReleaseDC(nullptr, screen);
        return {};
    }
    auto* pixels = static_cast<std::uint32_t*>(band.bits);
    int bandTop = -rows;
    bool done = true;
    gfx::Bitmap image = gfx::ScaleRows(fullWidth, fullHeight, [&](int y) -> const gfx::Pixel* {
        if (y >= bandTop + rows || y < bandTop) {
            bandTop = y;
            const int count = std::min(rows, fullHeight - y);
            done = done && ::BitBlt(band.dc.Get(), 0, 0, fullWidth, count, screen, rect.left, rect.top + y, SRCCOPY);
            ::GdiFlush();
            // GDI leaves alpha undefined; the screen is opaque.
            for (std::size_t i = 0; i < std::size_t(fullWidth) * std::size_t(count); ++i) pixels[i] |= 0xFF000000u;
        }
        return pixels + std::size_t(y - bandTop) * std::size_t(fullWidth);
    }, width, height);
    ::ReleaseDC(nullptr, screen);
    if (!done) return {};
    return image;
}

} // namespace

RECT VisibleWindowRect(HWND window) noexcept {
    RECT rect{};
    if (SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &rect, sizeof rect)) &&
        rect.right > rect.left && rect.bottom > rect.top)
        return rect;
    if (!::GetWindowRect(window, &rect)) return RECT{};
    return rect;
}

namespace {

enum class Source { Screen, PrintOrScreen };

gfx::Bitmap Capture(HWND window, const RECT& rect, Source source) noexcept {
    try {
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        // Any program can make its window huge; no picture beyond the decoders' own cap.
        if (!gfx::ImageSizeAllowed(width, height)) {
            if (width > 0 && height > 0)
                foundation::LogFailure("window capture", L"window too large to picture: " + std::to_wstring(width) +
                                                             L" x " + std::to_wstring(height));
            return {};
        }
        Dib dib;
        if (!MakeDib(dib, width, height)) {
            foundation::LogFailure("window capture", L"no bitmap");
            return {};
        }
        const std::size_t count = std::size_t(width) * std::size_t(height);
        auto* pixels = static_cast<std::uint32_t*>(dib.bits);
        bool done = false;
        // A print is drawn by the window's own thread: a program that does not answer would
        // hold ours with it. The screen has its picture as well.
        DWORD_PTR ignored = 0;
        const bool answers = source != Source::Screen && !::IsHungAppWindow(window) &&
                             ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &ignored);
        if (answers) {
            RECT whole{};
            ::GetWindowRect(window, &whole);
            // The print draws the whole window at the DC's origin; shift it so the visible part lands at 0,0.
            ::SetViewportOrgEx(dib.dc.Get(), whole.left - rect.left, whole.top - rect.top, nullptr);
            done = ::PrintWindow(window, dib.dc.Get(), PW_RENDERFULLCONTENT) != FALSE;
            ::SetViewportOrgEx(dib.dc.Get(), 0, 0, nullptr);
            ::GdiFlush();
            done = done && !Blank(pixels, count);
        }
        if (!done) {
            done = CopyScreenInBands(dib.dc.Get(), width, height, rect.left, rect.top);
            if (!done) {
                foundation::LogFailure("window capture", L"neither print nor screen copy");
                return {};
            }
        }
        ::GdiFlush();
        gfx::Bitmap image(width, height);
        std::memcpy(image.Pixels().data(), pixels, count * 4);
        // GDI leaves alpha undefined; the window is opaque.
        for (auto& p : image.Pixels()) p |= 0xFF000000u;
        return image;
    } catch (...) {
        foundation::LogCaught("window capture");
        return {};
    }
}

} // namespace

namespace {

// Windows whose print gave nothing (a system that prints other processes' windows blank):
// asking them again every few hundred milliseconds only costs.
struct BlankPrints {
    std::mutex mutex;
    std::unordered_set<HWND> windows;
    bool Has(HWND w) {
        std::lock_guard lock(mutex);
        return windows.contains(w);
    }
    void Add(HWND w) {
        std::lock_guard lock(mutex);
        if (windows.size() > 512) windows.clear(); // closed windows' handles are not kept forever
        windows.insert(w);
    }
};
BlankPrints& KnownBlank() {
    static BlankPrints blank;
    return blank;
}

} // namespace

gfx::Bitmap CaptureWindowThumbnail(HWND window, const RECT& rect, int width, int height) noexcept {
    try {
        const int fullWidth = rect.right - rect.left, fullHeight = rect.bottom - rect.top;
        if (width <= 0 || height <= 0 || !gfx::ImageSizeAllowed(fullWidth, fullHeight) ||
            !gfx::ImageSizeAllowed(width, height))
            return {};
        DWORD_PTR ignored = 0;
        if (!KnownBlank().Has(window) && !::IsHungAppWindow(window) &&
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 100, &ignored)) {
            Dib full, small;
            if (MakeDib(full, fullWidth, fullHeight) && MakeDib(small, width, height)) {
                RECT whole{};
                ::GetWindowRect(window, &whole);
                ::SetViewportOrgEx(full.dc.Get(), whole.left - rect.left, whole.top - rect.top, nullptr);
                bool done = ::PrintWindow(window, full.dc.Get(), PW_RENDERFULLCONTENT) != FALSE;
                ::SetViewportOrgEx(full.dc.Get(), 0, 0, nullptr);
                ::GdiFlush();
                if (done && Blank(static_cast<const std::uint32_t*>(full.bits), std::size_t(fullWidth) * std::size_t(fullHeight))) {
                    done = false;
                    KnownBlank().Add(window);
                }
                // Averaging, so that text shrunk to a thumbnail stays grey rather than broken.
                ::SetStretchBltMode(small.dc.Get(), HALFTONE);
                ::SetBrushOrgEx(small.dc.Get(), 0, 0, nullptr);
                if (done && ::StretchBlt(small.dc.Get(), 0, 0, width, height, full.dc.Get(), 0, 0, fullWidth,
                                         fullHeight, SRCCOPY)) {
                    ::GdiFlush();
                    gfx::Bitmap image(width, height);
                    std::memcpy(image.Pixels().data(), small.bits, std::size_t(width) * std::size_t(height) * 4);
                    for (auto& p : image.Pixels()) p |= 0xFF000000u;
                    return image;
                }
            }
        }
        gfx::Bitmap image = ShrinkScreenInBands(rect, width, height);
        if (image.Empty()) foundation::LogFailure("window capture", L"neither print nor screen copy for a thumbnail");
        return image;
    } catch (...) {
        foundation::LogCaught("window thumbnail capture");
        return {};
    }
}

gfx::Bitmap CaptureWindowImage(HWND window, const RECT& rect) noexcept {
    return Capture(window, rect, Source::PrintOrScreen);
}

gfx::Bitmap CopyScreenImage(const RECT& rect) noexcept { return Capture(nullptr, rect, Source::Screen); }

bool RunCaptureJob(std::function<void()> job) noexcept {
    try {
        // Its own runner: windows that hang in their print use up its places, not the dock's.
        static foundation::JobRunner captures(&foundation::Process().quit);
        const bool started = captures.Run([job = std::move(job)](const foundation::JobContext&) { job(); });
        if (!started) foundation::LogFailure("window capture", L"no capture worker free");
        return started;
    } catch (...) {
        foundation::LogCaught("window capture worker");
        return false;
    }
}

} // namespace kestrana::extras::win32
