#pragma once
// Bounds on decoded pictures: a file may declare any size, but nothing larger than this is
// ever allocated, so a hostile or broken file cannot exhaust memory.

#include <cstdint>

namespace kestrana::gfx {

inline constexpr int kMaxImageSide = 16384;
// 32 Mi pixels (128 MiB as BGRA): an 8K-by-4K picture fits, 16k by 16k does not.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t(1) << 25;

[[nodiscard]] constexpr bool ImageSizeAllowed(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

} // namespace kestrana::gfx
