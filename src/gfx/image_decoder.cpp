#include "gfx/image_decoder.h"

#include "gfx/ico_codec.h"
#include "gfx/image_limits.h"
#include "gfx/png_codec.h"
#include "gfx/resample.h"

#include <algorithm>
#include <cmath>

namespace kestrana::gfx {

DecodeSize ResolveDecodeSize(int width, int height, DecodeSize size) {
    if (width <= 0 || height <= 0) {
        return {};
    }
    int w = std::max(0, size.width);
    int h = std::max(0, size.height);
    if (w == 0 && h == 0) {
        return {width, height};
    }
    if (w == 0) {
        w = std::max(1, int(std::lround(double(width) * h / height)));
    } else if (h == 0) {
        h = std::max(1, int(std::lround(double(height) * w / width)));
    }
    return {std::min(w, kMaxImageSide), std::min(h, kMaxImageSide)};
}

std::optional<Bitmap> NativeImageDecoder::Decode(std::span<const std::uint8_t> bytes, DecodeSize size) const {
    std::optional<Bitmap> bitmap;
    if (LooksLikePng(bytes)) {
        bitmap = DecodePng(bytes);
    } else if (LooksLikeIco(bytes)) {
        bitmap = DecodeIco(bytes, std::max(size.width, size.height));
    }
    if (!bitmap) {
        return std::nullopt;
    }
    const DecodeSize target = ResolveDecodeSize(bitmap->Width(), bitmap->Height(), size);
    if (!ImageSizeAllowed(target.width, target.height)) {
        return std::nullopt;
    }
    if (target.width != bitmap->Width() || target.height != bitmap->Height()) {
        return ScaleBitmap(*bitmap, target.width, target.height);
    }
    return bitmap;
}

} // namespace kestrana::gfx
