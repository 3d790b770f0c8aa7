#pragma once
// Writes PNG files of any colour type, bit depth and interlacing for the decoder tests,
// cycling through all five row filters, so the decoder is checked against files built
// independently of the project's own encoder; and hand-made files with a chosen header
// and data, for the broken and hostile ones.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace kestrana::testing {

struct PngRecipe {
    int width = 1, height = 1;
    int colorType = 6; // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    int depth = 8;
    bool interlaced = false;
    // Samples in file order, `Channels()` per pixel, row-major, each below 2^depth.
    std::vector<std::uint16_t> samples;
    std::vector<std::uint8_t> palette; // RGB triples
    std::vector<std::uint8_t> trns;    // raw tRNS body
    [[nodiscard]] int Channels() const {
        return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
    }
};

inline void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(v >> s));
}

inline void PutChunk(std::vector<std::uint8_t>& out, const std::string& type, const std::vector<std::uint8_t>& body) {
    PutBe32(out, std::uint32_t(body.size()));
    std::vector<std::uint8_t> typed(type.begin(), type.end());
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBe32(out, std::uint32_t(crc32(0, typed.data(), uInt(typed.size()))));
}

inline constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

inline std::vector<std::uint8_t> Deflate(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(size);
    compress2(packed.data(), &size, raw.data(), uLong(raw.size()), 9);
    packed.resize(size);
    return packed;
}

// The body of an IHDR chunk.
inline std::vector<std::uint8_t> Header(std::uint32_t width, std::uint32_t height, int depth = 8, int colorType = 6,
                                        bool interlaced = false) {
    std::vector<std::uint8_t> ihdr;
    PutBe32(ihdr, width);
    PutBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {std::uint8_t(depth), std::uint8_t(colorType), 0, 0, std::uint8_t(interlaced ? 1 : 0)});
    return ihdr;
}

// A file of an 8-bit RGBA header declaring `width` x `height` and one IDAT chunk holding
// `idat` as given, whatever it decompresses to.
inline std::vector<std::uint8_t> RgbaPngFile(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& idat) {
    std::vector<std::uint8_t> out(kPngSignature.begin(), kPngSignature.end());
    PutChunk(out, "IHDR", Header(width, height));
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out;
}

inline std::uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// The packed, filtered scanlines of a sub-image made of the pixels at (x0 + i*dx, y0 + j*dy).
inline void AppendScanlines(const PngRecipe& recipe, int x0, int y0, int dx, int dy, std::vector<std::uint8_t>& raw) {
    const int w = recipe.width > x0 ? (recipe.width - x0 + dx - 1) / dx : 0;
    const int h = recipe.height > y0 ? (recipe.height - y0 + dy - 1) / dy : 0;
    if (w == 0 || h == 0) return;
    const int bits = recipe.depth * recipe.Channels();
    const std::size_t rowBytes = (std::size_t(w) * bits + 7) / 8;
    const std::size_t bpp = std::size_t(std::max(1, bits / 8));
    std::vector<std::uint8_t> prev(rowBytes, 0);
    for (int j = 0; j < h; ++j) {
        std::vector<std::uint8_t> row(rowBytes, 0);
        std::size_t bit = 0;
        for (int i = 0; i < w; ++i) {
            const int x = x0 + i * dx, y = y0 + j * dy;
            for (int c = 0; c < recipe.Channels(); ++c) {
                const std::uint16_t v = recipe.samples[(std::size_t(y) * recipe.width + x) * recipe.Channels() + c];
                if (recipe.depth == 16) {
                    row[bit / 8] = std::uint8_t(v >> 8);
                    row[bit / 8 + 1] = std::uint8_t(v);
                } else if (recipe.depth == 8) {
                    row[bit / 8] = std::uint8_t(v);
                } else {
                    row[bit / 8] |= std::uint8_t(v << (8 - recipe.depth - int(bit % 8)));
                }
                bit += std::size_t(recipe.depth);
            }
        }
        const std::uint8_t filter = std::uint8_t((j + x0 + y0) % 5);
        raw.push_back(filter);
        for (std::size_t k = 0; k < rowBytes; ++k) {
            const int a = k >= bpp ? row[k - bpp] : 0;
            const int b = j > 0 ? prev[k] : 0;
            const int c = (k >= bpp && j > 0) ? prev[k - bpp] : 0;
            int predicted = 0;
            switch (filter) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = (a + b) / 2; break;
            case 4: predicted = PaethPredictor(a, b, c); break;
            default: break;
            }
            raw.push_back(std::uint8_t(row[k] - predicted));
        }
        prev = row;
    }
}

inline std::vector<std::uint8_t> BuildPng(const PngRecipe& recipe, int splitIdat = 1) {
    std::vector<std::uint8_t> raw;
    if (recipe.interlaced) {
        const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                  {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        for (const auto& p : passes) AppendScanlines(recipe, p[0], p[1], p[2], p[3], raw);
    } else {
        AppendScanlines(recipe, 0, 0, 1, 1, raw);
    }
    const std::vector<std::uint8_t> packed = Deflate(raw);
    std::vector<std::uint8_t> out(kPngSignature.begin(), kPngSignature.end());
    PutChunk(out, "IHDR", Header(std::uint32_t(recipe.width), std::uint32_t(recipe.height), recipe.depth,
                                 recipe.colorType, recipe.interlaced));
    PutChunk(out, "tEXt", {'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 'x'});
    if (!recipe.palette.empty()) PutChunk(out, "PLTE", recipe.palette);
    if (!recipe.trns.empty()) PutChunk(out, "tRNS", recipe.trns);
    // The compressed stream may be cut into several IDAT chunks anywhere.
    const std::size_t parts = std::size_t(std::max(1, splitIdat));
    const std::size_t step = (packed.size() + parts - 1) / parts;
    for (std::size_t at = 0; at < packed.size(); at += step) {
        PutChunk(out, "IDAT", std::vector<std::uint8_t>(packed.begin() + long(at),
                                                       packed.begin() + long(std::min(packed.size(), at + step))));
    }
    PutChunk(out, "IEND", {});
    return out;
}

} // namespace kestrana::testing
