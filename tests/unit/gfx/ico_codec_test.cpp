// Icon files: choosing the entry for a wanted size, reading PNG and bitmap entries with
// their masks, and the decoder port that scales to the asked size.
#include "gfx_test_support.h"

#include "gfx/ico_codec.h"
#include "gfx/image_decoder.h"
#include "gfx/png_codec.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

void PutLe16(std::vector<std::uint8_t>& v, int x) {
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void PutLe32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) {
        v.push_back(std::uint8_t(x >> (8 * i)));
    }
}

// A bitmap entry: straight BGRA (or BGR, or palette indices) bottom-up, then the AND mask.
struct DibRecipe {
    int width = 0, height = 0, bits = 32;
    std::vector<Color> pixels;      // top-down, straight colour
    std::vector<bool> transparent;  // AND mask, top-down
    std::vector<Color> palette;     // for bits <= 8; pixels then hold the index in .r
};

std::vector<std::uint8_t> BuildDib(const DibRecipe& d) {
    std::vector<std::uint8_t> out;
    PutLe32(out, 40);
    PutLe32(out, std::uint32_t(d.width));
    PutLe32(out, std::uint32_t(d.height * 2));
    PutLe16(out, 1);
    PutLe16(out, d.bits);
    for (int i = 0; i < 6; ++i) {
        PutLe32(out, 0);
    }
    if (d.bits <= 8) {
        for (const Color& c : d.palette) {
            out.insert(out.end(), {c.b, c.g, c.r, 0});
        }
        for (std::size_t i = d.palette.size(); i < (1u << d.bits); ++i) {
            PutLe32(out, 0);
        }
    }
    const std::size_t stride = ((std::size_t(d.width) * d.bits + 31) / 32) * 4;
    for (int y = d.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < d.width; ++x) {
            const Color& c = d.pixels[std::size_t(y) * d.width + x];
            if (d.bits == 32) {
                row[4 * x] = c.b, row[4 * x + 1] = c.g, row[4 * x + 2] = c.r, row[4 * x + 3] = c.a;
            } else if (d.bits == 24) {
                row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r;
            } else {
                const std::size_t bit = std::size_t(x) * d.bits;
                row[bit / 8] |= std::uint8_t(c.r << (8 - d.bits - int(bit % 8)));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    const std::size_t maskStride = ((std::size_t(d.width) + 31) / 32) * 4;
    for (int y = d.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < d.width; ++x) {
            if (!d.transparent.empty() && d.transparent[std::size_t(y) * d.width + x]) {
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

struct IcoEntry {
    int size;
    int bits;
    std::vector<std::uint8_t> data;
};

std::vector<std::uint8_t> BuildIco(const std::vector<IcoEntry>& entries) {
    std::vector<std::uint8_t> out;
    PutLe16(out, 0);
    PutLe16(out, 1);
    PutLe16(out, int(entries.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
    for (const IcoEntry& e : entries) {
        out.push_back(std::uint8_t(e.size >= 256 ? 0 : e.size));
        out.push_back(std::uint8_t(e.size >= 256 ? 0 : e.size));
        out.push_back(0);
        out.push_back(0);
        PutLe16(out, 1);
        PutLe16(out, e.bits);
        PutLe32(out, std::uint32_t(e.data.size()));
        PutLe32(out, offset);
        offset += std::uint32_t(e.data.size());
    }
    for (const IcoEntry& e : entries) {
        out.insert(out.end(), e.data.begin(), e.data.end());
    }
    return out;
}

// A PNG entry filled with one colour, so the chosen entry can be told by its colour.
std::vector<std::uint8_t> PngOf(int size, Pixel p) {
    return EncodePng(testing::Solid(size, size, p));
}

DibRecipe SolidDib(int size, int bits, Color c) {
    DibRecipe d{size, size, bits, std::vector<Color>(std::size_t(size) * size, c), {}, {}};
    return d;
}

TEST(IcoDecode, ChoosesTheSmallestEntryAtLeastAsLargeAsWanted) {
    const std::vector<std::uint8_t> ico =
        BuildIco({{16, 32, BuildDib(SolidDib(16, 32, {255, 0, 0, 255}))},
                  {32, 32, PngOf(32, MakePixel(0, 255, 0, 255))},
                  {48, 24, BuildDib(SolidDib(48, 24, {0, 0, 255, 255}))},
                  {48, 32, BuildDib(SolidDib(48, 32, {9, 9, 9, 255}))},
                  {256, 32, PngOf(256, MakePixel(255, 255, 0, 255))}});
    const struct {
        int wanted;
        int size;
        Pixel colour;
    } cases[] = {{0, 256, MakePixel(255, 255, 0, 255)},  {8, 16, MakePixel(255, 0, 0, 255)},
                 {16, 16, MakePixel(255, 0, 0, 255)},    {20, 32, MakePixel(0, 255, 0, 255)},
                 {40, 48, MakePixel(9, 9, 9, 255)},      {100, 256, MakePixel(255, 255, 0, 255)},
                 {300, 256, MakePixel(255, 255, 0, 255)}};
    for (const auto& c : cases) {
        const std::optional<Bitmap> b = DecodeIco(ico, c.wanted);
        ASSERT_TRUE(b) << c.wanted;
        EXPECT_EQ(b->Width(), c.size) << c.wanted;
        EXPECT_EQ(b->At(3, 3), c.colour) << c.wanted << " (deeper colour wins a tie)";
    }
}

TEST(IcoDecode, ReadsBitmapEntriesWithAlphaMasksAndPalettes) {
    // 32-bit with alpha: premultiplied on reading, mask ignored.
    DibRecipe alpha = SolidDib(4, 32, {200, 100, 50, 128});
    alpha.transparent.assign(16, true);
    std::optional<Bitmap> b = DecodeIco(BuildIco({{4, 32, BuildDib(alpha)}}));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->At(1, 2), (Color{200, 100, 50, 128}.Premultiplied()));

    // 32-bit with no alpha at all (older icons): the mask decides.
    DibRecipe old = SolidDib(4, 32, {10, 20, 30, 0});
    old.transparent.assign(16, false);
    old.transparent[5] = true; // (1, 1)
    b = DecodeIco(BuildIco({{4, 32, BuildDib(old)}}));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->At(0, 0), MakePixel(10, 20, 30, 255));
    EXPECT_EQ(b->At(1, 1), 0u);

    // 24-bit, and 4-bit and 1-bit palettes; rows are stored bottom-up.
    DibRecipe rgb = SolidDib(5, 24, {1, 2, 3, 255});
    rgb.pixels[0] = {250, 0, 0, 255};
    rgb.transparent.assign(25, false);
    rgb.transparent[24] = true;
    b = DecodeIco(BuildIco({{5, 24, BuildDib(rgb)}}));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->At(0, 0), MakePixel(250, 0, 0, 255));
    EXPECT_EQ(b->At(1, 0), MakePixel(1, 2, 3, 255));
    EXPECT_EQ(b->At(4, 4), 0u);
    for (const int bits : {1, 4, 8}) {
        DibRecipe pal = SolidDib(9, bits, {0, 0, 0, 255});
        pal.palette = {{10, 10, 10, 255}, {20, 200, 40, 255}};
        for (int i = 0; i < 81; ++i) {
            pal.pixels[i].r = std::uint8_t(i % 3 == 0 ? 1 : 0);
        }
        b = DecodeIco(BuildIco({{9, bits, BuildDib(pal)}}));
        ASSERT_TRUE(b) << bits;
        EXPECT_EQ(b->At(0, 0), MakePixel(20, 200, 40, 255)) << bits;
        EXPECT_EQ(b->At(1, 0), MakePixel(10, 10, 10, 255)) << bits;
        EXPECT_EQ(b->At(3, 8), MakePixel(20, 200, 40, 255)) << bits; // index 75
    }
}

TEST(IcoDecode, FallsBackPastBrokenEntriesAndRefusesBrokenFiles) {
    std::vector<std::uint8_t> brokenPng = PngOf(64, 0xFFFFFFFFu);
    brokenPng.resize(brokenPng.size() / 2);
    const std::vector<std::uint8_t> ico =
        BuildIco({{64, 32, brokenPng}, {32, 32, BuildDib(SolidDib(32, 32, {1, 1, 1, 255}))}});
    const std::optional<Bitmap> b = DecodeIco(ico, 48);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 32);

    std::vector<std::uint8_t> truncated = ico;
    truncated.resize(20); // the directory itself is cut
    EXPECT_FALSE(DecodeIco(truncated));
    for (std::size_t n = 0; n < ico.size(); n += 7) {
        (void)DecodeIco(std::span(ico.data(), n)); // must not crash at any length
    }
    std::vector<std::uint8_t> offsets = ico;
    offsets[6 + 12] = 0xFF, offsets[6 + 13] = 0xFF; // first entry points far beyond the file
    EXPECT_TRUE(DecodeIco(offsets));                // the other entry still serves
    DibRecipe huge = SolidDib(1, 32, {1, 1, 1, 255});
    std::vector<std::uint8_t> hugeDib = BuildDib(huge);
    hugeDib[4] = 0xFF, hugeDib[5] = 0xFF, hugeDib[6] = 0xFF, hugeDib[7] = 0x00; // 16M wide
    EXPECT_FALSE(DecodeIco(BuildIco({{1, 32, hugeDib}})));
    EXPECT_FALSE(DecodeIco(PngOf(4, 0)));
}

TEST(ImageDecoderPort, DecodesPngAndIcoAtTheAskedSize) {
    const NativeImageDecoder decoder;
    const std::vector<std::uint8_t> png = EncodePng(testing::Solid(40, 20, MakePixel(0, 0, 200, 255)));
    std::optional<Bitmap> b = decoder.Decode(png);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 40);
    b = decoder.Decode(png, {20, 0});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Height(), 10);
    EXPECT_EQ(b->At(10, 5), MakePixel(0, 0, 200, 255));
    b = decoder.Decode(png, {0, 60});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 120);
    b = decoder.Decode(png, {7, 9});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 7);
    EXPECT_EQ(b->Height(), 9);

    const std::vector<std::uint8_t> ico = BuildIco({{16, 32, BuildDib(SolidDib(16, 32, {255, 0, 0, 255}))},
                                                    {48, 32, PngOf(48, MakePixel(0, 255, 0, 255))}});
    b = decoder.Decode(ico, {24, 24});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 24);
    EXPECT_EQ(b->At(12, 12), MakePixel(0, 255, 0, 255)); // read from the 48 entry, scaled down
    b = decoder.Decode(ico, {16, 16});
    ASSERT_TRUE(b);
    EXPECT_EQ(b->At(12, 12), MakePixel(255, 0, 0, 255));

    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_FALSE(decoder.Decode(text));
    EXPECT_FALSE(decoder.Decode(png, {20000, 20000}));
}

} // namespace
} // namespace kestrana::gfx
