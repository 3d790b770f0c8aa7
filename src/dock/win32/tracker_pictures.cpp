#include "dock/win32/tracker_pictures.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_limits.h"
#include "gfx/resample.h"
#include "gfx/win32/bitmap_info.h"

#include <windows.h>

#include <algorithm>

namespace kestrana::dock::win32 {
namespace {

PictureSources WithDecoder(PictureSources sources, const gfx::ImageDecoder& decoder) {
    return PictureSources{sources.files, sources.theme, decoder, sources.icons, sources.registry, sources.shell};
}

// The window's size as it shows when restored: a minimised window's own rectangle is tiny.
SIZE RestoredSize(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    RECT r{};
    if (::IsIconic(window) && ::GetWindowPlacement(window, &placement)) r = placement.rcNormalPosition;
    else ::GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

Win32TrackerPictures::Win32TrackerPictures(const foundation::ConfigStore& settings, const PictureSources& sources)
    : m_pictures(WithDecoder(sources, m_decoder)),
      m_running(settings, m_decoder, [this](const PictureFacts& item) {
          std::lock_guard lock(m_mutex);
          return m_pictures.Resolve(item, PictureState{}).picture;
      }) {}

std::shared_ptr<const gfx::Bitmap> Win32TrackerPictures::ProgramPicture(const PictureFacts& item) {
    try {
        // The shell's icons want COM on the asking thread; a tracker job runs on its own.
        ::kestrana::win32::ComApartment com;
        return m_running.Picture(item);
    } catch (...) {
        foundation::LogCaught("running picture");
        return nullptr;
    }
}

namespace {

std::shared_ptr<const gfx::Bitmap> ItemSized(const gfx::Bitmap& picture) {
    return std::make_shared<const gfx::Bitmap>(gfx::ScaleToFit(picture, kItemPictureSize));
}

} // namespace

void Win32TrackerPictures::SetKeptImages(KeptImages kept) {
    std::lock_guard lock(m_keptMutex);
    m_kept = std::move(kept);
}

std::shared_ptr<const gfx::Bitmap> Win32TrackerPictures::WindowSnapshot(WindowId id) {
    try {
        HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id));
        if (!::IsWindow(window)) return nullptr;
        if (::IsIconic(window)) {
            KeptImages kept;
            {
                std::lock_guard lock(m_keptMutex);
                kept = m_kept;
            }
            if (const auto image = kept ? kept(id) : nullptr; image && !image->Empty()) return ItemSized(*image);
        }
        const SIZE size = RestoredSize(window);
        if (!gfx::ImageSizeAllowed(size.cx, size.cy)) return nullptr; // a program can make its window huge
        using namespace ::kestrana::win32;
        UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        BITMAPINFO info = gfx::TopDownBitmapInfo(size.cx, size.cy);
        void* bits = nullptr;
        UniqueGdiObject dib(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dc || !dib || !bits) return nullptr;
        const HGDIOBJ old = ::SelectObject(dc.Get(), dib.Get());
        constexpr UINT kRenderFullContent = 2; // newer systems draw composed content too
        const BOOL printed = ::PrintWindow(window, dc.Get(), kRenderFullContent);
        ::GdiFlush();
        ::SelectObject(dc.Get(), old);
        if (!printed) return nullptr;

        gfx::Bitmap picture(size.cx, size.cy);
        const auto* source = static_cast<const std::uint32_t*>(bits);
        bool drawn = false;
        auto pixels = picture.Pixels();
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            // The system leaves alpha at zero for what it draws: the window is opaque.
            const std::uint32_t colour = source[i] & 0x00FFFFFFu;
            drawn = drawn || colour != 0;
            pixels[i] = colour | 0xFF000000u;
        }
        if (!drawn) return nullptr;
        return ItemSized(picture);
    } catch (...) {
        foundation::LogCaught("window snapshot");
        return nullptr;
    }
}

} // namespace kestrana::dock::win32
