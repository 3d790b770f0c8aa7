#include "gfx/ico_codec.h"

#include "gfx/image_limits.h"
#include "gfx/png_codec.h"

#include <algorithm>
#include <vector>

namespace kestrana::gfx {
namespace {

std::uint16_t Le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

struct Entry {
    int size = 0; // the larger edge as listed (0 in the file means 256)
    int bits = 0;
    std::uint32_t offset = 0, length = 0;
};

// One pixel of a colour row, straight (not premultiplied) for 32-bit rows.
Pixel DibPixel(const std::uint8_t* src, int x, int bits, const std::vector<Pixel>& palette) {
    switch (bits) {
    case 32: return (Pixel(src[4 * x + 3]) << 24) | (Pixel(src[4 * x + 2]) << 16) | (Pixel(src[4 * x + 1]) << 8) | src[4 * x];
    case 24: return MakePixel(src[3 * x + 2], src[3 * x + 1], src[3 * x], 255);
    default: {
        const std::size_t bit = std::size_t(x) * bits;
        const unsigned index = (src[bit / 8] >> (8 - bits - int(bit % 8))) & ((1u << bits) - 1);
        return index < palette.size() ? palette[index] : 0;
    }
    }
}

// The colour rows into `out`; true when a 32-bit picture uses its alpha channel.
bool ReadDibColors(const std::uint8_t* colors, std::size_t stride, int bits, const std::vector<Pixel>& palette,
                   Bitmap& out) {
    bool anyAlpha = false;
    for (int y = 0; y < out.Height(); ++y) {
        const std::uint8_t* src = colors + stride * std::size_t(out.Height() - 1 - y);
        Pixel* row = out.Row(y);
        for (int x = 0; x < out.Width(); ++x) {
            row[x] = DibPixel(src, x, bits, palette);
            anyAlpha |= bits == 32 && PixelA(row[x]) != 0;
        }
    }
    return anyAlpha;
}

// Either the AND mask cuts pixels out of an opaque picture, or the picture's own alpha is
// used (premultiplied here) and the mask is ignored.
void ApplyDibAlpha(const std::uint8_t* mask, std::size_t maskStride, bool useMask, Bitmap& out) {
    for (int y = 0; y < out.Height(); ++y) {
        const std::uint8_t* m = mask ? mask + maskStride * std::size_t(out.Height() - 1 - y) : nullptr;
        Pixel* row = out.Row(y);
        for (int x = 0; x < out.Width(); ++x) {
            if (useMask) {
                const bool transparent = m && ((m[x / 8] >> (7 - x % 8)) & 1);
                row[x] = transparent ? 0 : (row[x] | 0xFF000000u);
            } else {
                const Pixel p = row[x];
                row[x] = Color{PixelR(p), PixelG(p), PixelB(p), PixelA(p)}.Premultiplied();
            }
        }
    }
}

// A device-independent bitmap as stored in icons: bottom-up rows, the height counting
// the colour rows and the mask rows together.
std::optional<Bitmap> DecodeDib(std::span<const std::uint8_t> d) {
    if (d.size() < 40) return std::nullopt;
    const std::uint32_t headerSize = Le32(&d[0]);
    const std::int32_t width = std::int32_t(Le32(&d[4]));
    const std::int32_t doubledHeight = std::int32_t(Le32(&d[8]));
    const int bits = Le16(&d[14]);
    const std::uint32_t compression = Le32(&d[16]);
    std::uint32_t colorsUsed = Le32(&d[32]);
    if (headerSize < 40 || headerSize > d.size() || width <= 0 || doubledHeight <= 0) return std::nullopt;
    // Icons store colour and mask heights together; a few writers store only one.
    const std::int32_t height = doubledHeight / 2 > 0 ? doubledHeight / 2 : doubledHeight;
    if (!ImageSizeAllowed(width, height) || (compression != 0 && !(compression == 3 && bits == 32))) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
    std::size_t pos = headerSize;
    if (compression == 3 && headerSize == 40) pos += 12; // channel masks follow; the usual BGRA order is assumed
    std::vector<Pixel> palette;
    if (bits <= 8) {
        const std::uint32_t maxColors = 1u << bits;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        if (d.size() < pos || d.size() - pos < std::size_t(colorsUsed) * 4) return std::nullopt;
        for (std::uint32_t i = 0; i < colorsUsed; ++i) {
            palette.push_back(MakePixel(d[pos + 4 * i + 2], d[pos + 4 * i + 1], d[pos + 4 * i], 255));
        }
        pos += std::size_t(colorsUsed) * 4;
    }
    const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
    const std::size_t maskStride = ((std::size_t(width) + 31) / 32) * 4;
    const std::size_t colorBytes = stride * std::size_t(height);
    if (d.size() < pos || d.size() - pos < colorBytes) return std::nullopt;
    const std::uint8_t* colors = &d[pos];
    const bool haveMask = d.size() - pos - colorBytes >= maskStride * std::size_t(height);

    Bitmap out(width, height);
    const bool anyAlpha = ReadDibColors(colors, stride, bits, palette, out);
    ApplyDibAlpha(haveMask ? colors + colorBytes : nullptr, maskStride, bits != 32 || !anyAlpha, out);
    return out;
}

} // namespace

bool LooksLikeIco(std::span<const std::uint8_t> data) {
    return data.size() >= 6 && Le16(&data[0]) == 0 && (Le16(&data[2]) == 1 || Le16(&data[2]) == 2) &&
           Le16(&data[4]) > 0;
}

std::optional<Bitmap> DecodeIco(std::span<const std::uint8_t> data, int wantedSize) {
    if (!LooksLikeIco(data)) {
        return std::nullopt;
    }
    const int count = Le16(&data[4]);
    if (data.size() < 6 + std::size_t(count) * 16) {
        return std::nullopt;
    }
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* e = &data[6 + std::size_t(i) * 16];
        Entry entry;
        const int w = e[0] ? e[0] : 256;
        const int h = e[1] ? e[1] : 256;
        entry.size = std::max(w, h);
        entry.bits = Le16(e + 6);
        entry.length = Le32(e + 8);
        entry.offset = Le32(e + 12);
        if (entry.offset < data.size() && entry.length <= data.size() - entry.offset && entry.length > 0) {
            entries.push_back(entry);
        }
    }
    const int wanted = wantedSize > 0 ? wantedSize : 1 << 30;
    // Entries at least as large as wanted come first, smallest of those first; then the
    // smaller ones, largest first. Deeper colour breaks ties.
    std::stable_sort(entries.begin(), entries.end(), [wanted](const Entry& a, const Entry& b) {
        const bool aFits = a.size >= wanted, bFits = b.size >= wanted;
        if (aFits != bFits) {
            return aFits;
        }
        if (a.size != b.size) {
            return aFits ? a.size < b.size : a.size > b.size;
        }
        return a.bits > b.bits;
    });
    for (const Entry& entry : entries) {
        const std::span<const std::uint8_t> image = data.subspan(entry.offset, entry.length);
        std::optional<Bitmap> bitmap = LooksLikePng(image) ? DecodePng(image) : DecodeDib(image);
        if (bitmap) {
            return bitmap;
        }
    }
    return std::nullopt;
}

} // namespace kestrana::gfx
