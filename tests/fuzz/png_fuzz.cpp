// Feeds arbitrary bytes to the picture readers: they must return a picture or nothing,
// never crash, hang or allocate without bound. Checksums are skipped so mutations reach
// the row decoding; the ICO reader is fed the same bytes.
#include "gfx/ico_codec.h"
#include "gfx/image_decoder.h"
#include "gfx/png_codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrana::gfx;
    const std::span<const std::uint8_t> bytes(data, size);
    PngReadOptions lax;
    lax.verifyChecksums = false;
    if (const auto b = DecodePng(bytes, lax)) {
        for (Pixel p : b->Pixels()) {
            const unsigned a = PixelA(p);
            if (PixelR(p) > a || PixelG(p) > a || PixelB(p) > a) {
                std::abort(); // decoded pixels must be premultiplied
            }
        }
    }
    (void)DecodePng(bytes);
    (void)DecodeIco(bytes, 32);
    const NativeImageDecoder decoder;
    (void)decoder.Decode(bytes, {24, 24});
    return 0;
}
