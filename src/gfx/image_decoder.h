#pragma once
// The port through which the bars turn image files into bitmaps. On Windows the
// platform's imaging component does it; NativeImageDecoder reads PNG and ICO itself and
// is used in tests and wherever the platform decoder is missing.

#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>
#include <span>

namespace kestrana::gfx {

// The size the caller will draw at. Zero in both means the picture's own size; zero in
// one keeps the aspect ratio. For icon files it also picks the entry to read.
struct DecodeSize {
    int width = 0;
    int height = 0;
};

class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // Nothing for data that is not a readable picture.
    [[nodiscard]] virtual std::optional<Bitmap> Decode(std::span<const std::uint8_t> bytes,
                                                       DecodeSize size = {}) const = 0;
};

class NativeImageDecoder final : public ImageDecoder {
public:
    [[nodiscard]] std::optional<Bitmap> Decode(std::span<const std::uint8_t> bytes, DecodeSize size = {}) const override;
};

// The final size for a picture of `width` by `height` asked to be `size` (see DecodeSize).
[[nodiscard]] DecodeSize ResolveDecodeSize(int width, int height, DecodeSize size);

} // namespace kestrana::gfx
