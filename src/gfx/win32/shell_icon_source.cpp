#include "gfx/win32/shell_icon_source.h"

#include "foundation/diagnostic_log.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_limits.h"
#include "gfx/win32/bitmap_info.h"

#include <commctrl.h>
#include <commoncontrols.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <vector>

namespace kestrana::gfx {

using Microsoft::WRL::ComPtr;

namespace {

std::vector<std::uint32_t> DibPixels(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = TopDownBitmapInfo(width, height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) != height) return {};
    return pixels;
}

struct GroupSearch {
    int wanted = 0;
    int seen = 0;
    HRSRC found = nullptr;
};

BOOL CALLBACK FindGroup(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR parameter) noexcept {
    auto* search = reinterpret_cast<GroupSearch*>(parameter);
    if (search->seen++ != search->wanted) return TRUE;
    search->found = ::FindResourceW(module, name, type);
    return FALSE;
}

} // namespace

std::optional<gfx::Bitmap> BitmapFromIcon(HICON icon) {
    try {
        if (!icon) return std::nullopt;
        ICONINFO info{};
        if (!::GetIconInfo(icon, &info)) return std::nullopt;
        const win32::UniqueGdiObject color(info.hbmColor);
        const win32::UniqueGdiObject mask(info.hbmMask);
        BITMAP shape{};
        if (!::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof shape, &shape)) return std::nullopt;
        const int width = shape.bmWidth;
        // A monochrome icon keeps its AND and XOR masks one above the other.
        const int height = info.hbmColor ? shape.bmHeight : shape.bmHeight / 2;
        if (!gfx::ImageSizeAllowed(width, height)) return std::nullopt;
        const win32::UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
        if (!dc) return std::nullopt;

        std::vector<std::uint32_t> pixels;
        bool hasAlpha = false;
        if (info.hbmColor) {
            pixels = DibPixels(dc.Get(), info.hbmColor, width, height);
            if (pixels.empty()) return std::nullopt;
            for (const auto p : pixels) hasAlpha = hasAlpha || (p >> 24) != 0;
        }
        if (!hasAlpha) {
            const auto masks = DibPixels(dc.Get(), info.hbmMask, width, info.hbmColor ? height : 2 * height);
            if (masks.empty()) return std::nullopt;
            if (!info.hbmColor) pixels.assign(masks.begin() + static_cast<std::ptrdiff_t>(masks.size() / 2), masks.end());
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const bool transparent = (masks[i] & 0x00FFFFFFu) != 0;
                pixels[i] = transparent ? 0u : (pixels[i] | 0xFF000000u);
            }
        }
        gfx::Bitmap picture(width, height);
        auto out = picture.Pixels();
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const std::uint32_t p = pixels[i];
            const std::uint32_t a = p >> 24;
            const auto scale = [a](std::uint32_t channel) { return static_cast<std::uint8_t>((channel * a + 127) / 255); };
            out[i] = gfx::MakePixel(scale((p >> 16) & 0xFF), scale((p >> 8) & 0xFF), scale(p & 0xFF), static_cast<std::uint8_t>(a));
        }
        return picture;
    } catch (...) {
        kestrana::foundation::LogCaught("item icons BitmapFromIcon");
        return std::nullopt;
    }
}

bool HasContentBeyond(const gfx::Bitmap& picture, int size) {
    for (int y = 0; y < picture.Height(); ++y) {
        const gfx::Pixel* row = picture.Row(y);
        for (int x = (y < size ? size : 0); x < picture.Width(); ++x) {
            if (gfx::PixelA(row[x]) != 0) return true;
        }
    }
    return false;
}

int LargestIconInGroup(const std::wstring& file, int index) {
    try {
        const win32::UniqueModule module(
            ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        if (!module) return 0;
        HRSRC resource = nullptr;
        if (index < 0) {
            if (index <= -65536) return 0;
            resource = ::FindResourceW(module.Get(), MAKEINTRESOURCEW(-index), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
        } else {
            GroupSearch search;
            search.wanted = index;
            ::EnumResourceNamesW(module.Get(), MAKEINTRESOURCEW(14), FindGroup, reinterpret_cast<LONG_PTR>(&search));
            resource = search.found;
        }
        if (!resource) return 0;
        const HGLOBAL loaded = ::LoadResource(module.Get(), resource);
        const auto* data = static_cast<const BYTE*>(loaded ? ::LockResource(loaded) : nullptr);
        const DWORD size = ::SizeofResource(module.Get(), resource);
        if (!data || size < 6) return 0;
        // The group directory: three words, then 14-byte entries that start with width and height.
        const int count = data[4] | (data[5] << 8);
        int largest = 0;
        for (int i = 0; i < count && 6u + 14u * static_cast<DWORD>(i + 1) <= size; ++i) {
            const int width = data[6 + 14 * i];
            largest = std::max(largest, width == 0 ? 256 : width);
        }
        return largest;
    } catch (...) {
        kestrana::foundation::LogCaught("item icons LargestIconInGroup");
        return 0;
    }
}

std::optional<gfx::Bitmap> ShellIconSource::FileIcon(const std::wstring& path) const {
    try {
        // A program's own first icon group, at the size it really has. The shell's image
        // list shows the same for a program on Windows, but Wine gives every program one
        // generic icon there.
        static constexpr std::wstring_view kModules[] = {L".exe", L".dll", L".icl", L".cpl", L".scr"};
        for (const auto extension : kModules) {
            if (foundation::EndsWithIgnoreCase(path, extension) && LargestIconInGroup(path, 0) > 0) {
                if (auto own = ResourceIcon(path, 0)) return own;
            }
        }
        SHFILEINFOW info{};
        if (!::SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX)) return std::nullopt;
        // The 256 px list holds a small icon in its corner when the file has nothing
        // larger; such a picture would be drawn blurred, so the 48 px one is taken.
        struct Step {
            int list;
            int corner; // a sharp picture reaches beyond this square
        };
        for (const Step step : {Step{SHIL_JUMBO, 48}, Step{SHIL_EXTRALARGE, 32}, Step{SHIL_LARGE, 0}}) {
            ComPtr<IImageList> images;
            if (FAILED(::SHGetImageList(step.list, IID_PPV_ARGS(&images))) || !images) continue;
            HICON icon = nullptr;
            if (FAILED(images->GetIcon(info.iIcon, ILD_TRANSPARENT, &icon)) || !icon) continue;
            const win32::UniqueIcon owner(icon);
            auto picture = BitmapFromIcon(icon);
            if (!picture || picture->Empty()) continue;
            if (step.corner && !HasContentBeyond(*picture, step.corner)) continue;
            return picture;
        }
        return std::nullopt;
    } catch (...) {
        kestrana::foundation::LogCaught("item icons FileIcon");
        return std::nullopt;
    }
}

std::optional<gfx::Bitmap> ShellIconSource::ResourceIcon(const std::wstring& file, int index) const {
    try {
        // The group's largest entry decides the size, so a small icon is never blown up.
        const int largest = LargestIconInGroup(file, index);
        const int size = largest == 0 || largest >= 256 ? 256 : largest >= 48 ? 48 : 32;
        HICON icon = nullptr;
        UINT id = 0;
        const UINT extracted = ::PrivateExtractIconsW(file.c_str(), index, size, size, &icon, &id, 1, LR_DEFAULTCOLOR);
        const win32::UniqueIcon owner(icon);
        if (extracted == 0 || extracted == 0xFFFFFFFFu || !icon) return std::nullopt;
        return BitmapFromIcon(icon);
    } catch (...) {
        kestrana::foundation::LogCaught("item icons ResourceIcon");
        return std::nullopt;
    }
}

} // namespace kestrana::gfx
