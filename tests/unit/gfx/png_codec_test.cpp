// PNG reading across colour types, depths and interlacing; writing and reading back;
// and refusal of broken or oversized files.
#include "gfx_test_support.h"

#include "fakes/png_builder.h"

#include "gfx/image_limits.h"
#include "gfx/png_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace kestrana::gfx {
namespace {

using kestrana::testing::BuildPng;
using kestrana::testing::Deflate;
using kestrana::testing::PngRecipe;
using kestrana::testing::RgbaPngFile;

std::uint8_t To8(std::uint16_t v, int depth) {
    return depth == 16 ? std::uint8_t(v >> 8) : std::uint8_t(v * 255 / ((1 << depth) - 1));
}

// What a pixel of the recipe should decode to, worked out from the samples.
Pixel Expected(const PngRecipe& recipe, int x, int y) {
    const std::size_t at = (std::size_t(y) * recipe.width + x) * recipe.Channels();
    auto s = [&](int c) { return recipe.samples[at + c]; };
    auto v = [&](int c) { return To8(s(c), recipe.depth); };
    auto trnsValue = [&](int i) { return std::uint16_t((recipe.trns[2 * i] << 8) | recipe.trns[2 * i + 1]); };
    switch (recipe.colorType) {
    case 0:
        if (!recipe.trns.empty() && s(0) == trnsValue(0)) {
            return 0;
        }
        return MakePixel(v(0), v(0), v(0), 255);
    case 2:
        if (!recipe.trns.empty() && s(0) == trnsValue(0) && s(1) == trnsValue(1) && s(2) == trnsValue(2)) {
            return 0;
        }
        return MakePixel(v(0), v(1), v(2), 255);
    case 3: {
        const int i = s(0);
        const std::uint8_t a = i < int(recipe.trns.size()) ? recipe.trns[i] : 255;
        return Color{recipe.palette[3 * i], recipe.palette[3 * i + 1], recipe.palette[3 * i + 2], a}.Premultiplied();
    }
    case 4:
        return Color{v(0), v(0), v(0), v(1)}.Premultiplied();
    default:
        return Color{v(0), v(1), v(2), v(3)}.Premultiplied();
    }
}

PngRecipe RandomRecipe(int colorType, int depth, int width, int height, bool interlaced, std::uint32_t seed) {
    PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colorType = colorType;
    recipe.depth = depth;
    recipe.interlaced = interlaced;
    std::mt19937 rng(seed);
    const int paletteSize = colorType == 3 ? std::min(1 << depth, 7) : 0;
    for (int i = 0; i < paletteSize * 3; ++i) {
        recipe.palette.push_back(std::uint8_t(rng()));
    }
    const std::uint32_t limit = colorType == 3 ? std::uint32_t(paletteSize) : (1u << depth);
    recipe.samples.resize(std::size_t(width) * height * recipe.Channels());
    for (auto& s : recipe.samples) {
        s = std::uint16_t(rng() % limit);
    }
    return recipe;
}

void ExpectDecodesAsRecipe(const PngRecipe& recipe, const std::vector<std::uint8_t>& file, const std::string& what) {
    const std::optional<Bitmap> b = DecodePng(file);
    ASSERT_TRUE(b) << what;
    ASSERT_EQ(b->Width(), recipe.width) << what;
    ASSERT_EQ(b->Height(), recipe.height) << what;
    for (int y = 0; y < recipe.height; ++y) {
        for (int x = 0; x < recipe.width; ++x) {
            ASSERT_EQ(b->At(x, y), Expected(recipe, x, y)) << what << " at " << x << "," << y;
        }
    }
}

TEST(PngDecode, ReadsEveryColourTypeDepthAndInterlacing) {
    const struct {
        int colorType;
        std::vector<int> depths;
    } kinds[] = {{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    std::uint32_t seed = 1;
    for (const auto& kind : kinds) {
        for (const int depth : kind.depths) {
            for (const bool interlaced : {false, true}) {
                for (const auto& size : {std::pair{1, 1}, std::pair{3, 2}, std::pair{13, 9}, std::pair{33, 17}}) {
                    const PngRecipe recipe = RandomRecipe(kind.colorType, depth, size.first, size.second, interlaced, seed++);
                    const std::string what = "type " + std::to_string(kind.colorType) + " depth " +
                                             std::to_string(depth) + (interlaced ? " interlaced " : " ") +
                                             std::to_string(size.first) + "x" + std::to_string(size.second);
                    ExpectDecodesAsRecipe(recipe, BuildPng(recipe, int(seed % 3) + 1), what);
                }
            }
        }
    }
}

TEST(PngDecode, AppliesTransparencyChunks) {
    PngRecipe gray = RandomRecipe(0, 4, 8, 8, false, 3);
    gray.samples[5] = 9;
    gray.trns = {0, 9};
    ExpectDecodesAsRecipe(gray, BuildPng(gray), "gray key");
    EXPECT_EQ(DecodePng(BuildPng(gray))->At(5, 0), 0u);

    PngRecipe rgb = RandomRecipe(2, 16, 6, 5, true, 4);
    rgb.samples[0] = 1000, rgb.samples[1] = 2000, rgb.samples[2] = 3000;
    rgb.trns = {1000 >> 8, 1000 & 0xFF, 2000 >> 8, 2000 & 0xFF, 3000 >> 8, 3000 & 0xFF};
    ExpectDecodesAsRecipe(rgb, BuildPng(rgb), "rgb key");
    EXPECT_EQ(DecodePng(BuildPng(rgb))->At(0, 0), 0u);

    PngRecipe palette = RandomRecipe(3, 8, 10, 4, false, 5);
    palette.trns = {0, 128, 255}; // shorter than the palette: the rest stay opaque
    ExpectDecodesAsRecipe(palette, BuildPng(palette), "palette alpha");
}

TEST(PngEncode, RoundTripsPremultipliedPixelsExactly) {
    for (const auto& size : {std::pair{1, 1}, std::pair{17, 3}, std::pair{64, 48}}) {
        const Bitmap original = testing::NoiseBitmap(size.first, size.second, std::uint32_t(size.first));
        const std::vector<std::uint8_t> file = EncodePng(original);
        ASSERT_TRUE(LooksLikePng(file));
        const std::optional<Bitmap> back = DecodePng(file);
        ASSERT_TRUE(back);
        EXPECT_EQ(testing::MaxDifference(*back, original), 0);
    }
    EXPECT_TRUE(EncodePng(Bitmap()).empty());
    // Flat pictures compress well (the row filters and deflate are doing their work).
    EXPECT_LT(EncodePng(testing::Solid(256, 256, 0xFF336699u)).size(), 2000u);
}

std::vector<std::uint8_t> SmallValidFile() {
    return BuildPng(RandomRecipe(6, 8, 9, 7, false, 77));
}

// Finds a chunk's body offset by its type.
std::size_t ChunkBody(const std::vector<std::uint8_t>& file, const char* type) {
    std::size_t pos = 8;
    while (pos + 8 <= file.size()) {
        const std::uint32_t len = (std::uint32_t(file[pos]) << 24) | (file[pos + 1] << 16) | (file[pos + 2] << 8) |
                                  file[pos + 3];
        if (std::equal(type, type + 4, file.begin() + long(pos + 4))) {
            return pos + 8;
        }
        pos += 12 + len;
    }
    return 0;
}

TEST(PngDecode, RefusesTruncatedDamagedAndMalformedFiles) {
    const std::vector<std::uint8_t> good = SmallValidFile();
    ASSERT_TRUE(DecodePng(good));
    // Every cut before the end of the last IDAT fails; none crashes.
    const std::size_t iend = ChunkBody(good, "IEND") - 8;
    for (std::size_t n = 0; n < iend; ++n) {
        ASSERT_FALSE(DecodePng(std::span(good.data(), n))) << n;
    }
    auto damaged = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> f = good;
        f[at] = value;
        return f;
    };
    const std::size_t idat = ChunkBody(good, "IDAT");
    EXPECT_FALSE(DecodePng(damaged(idat + 3, good[idat + 3] ^ 0x40))) << "checksum";
    EXPECT_FALSE(DecodePng(damaged(0, 0x88))) << "signature";
    const std::vector<std::uint8_t> notPng = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(DecodePng(notPng));
    EXPECT_FALSE(DecodePng({}));

    // Structural faults, with valid checksums so only the structure is wrong.
    PngRecipe recipe = RandomRecipe(6, 8, 4, 4, false, 1);
    EXPECT_TRUE(DecodePng(BuildPng(recipe)));
    PngRecipe badDepth = recipe;
    badDepth.depth = 4; // RGBA has no 4-bit form
    badDepth.samples.assign(badDepth.samples.size(), 1);
    EXPECT_FALSE(DecodePng(BuildPng(badDepth)));
    PngRecipe noPalette = RandomRecipe(3, 8, 4, 4, false, 2);
    noPalette.palette.clear();
    EXPECT_FALSE(DecodePng(BuildPng(noPalette)));
    PngRecipe badIndex = RandomRecipe(3, 8, 4, 4, false, 2);
    badIndex.samples[6] = 200; // beyond the 7 entries
    EXPECT_FALSE(DecodePng(BuildPng(badIndex)));

    // A row filter type that does not exist: rewrite the first filter byte and re-pack.
    std::vector<std::uint8_t> raw(1 + 4 * 4, 0);
    raw[0] = 5;
    EXPECT_FALSE(DecodePng(RgbaPngFile(4, 1, Deflate(raw))));
    // An unknown critical chunk must not be skipped.
    std::vector<std::uint8_t> critical(kestrana::testing::kPngSignature.begin(), kestrana::testing::kPngSignature.end());
    kestrana::testing::PutChunk(critical, "IHDR", kestrana::testing::Header(1, 1));
    kestrana::testing::PutChunk(critical, "ZZZZ", {1, 2, 3});
    EXPECT_FALSE(DecodePng(critical));
}

TEST(PngDecode, RefusesHugeDeclaredSizesWithoutAllocatingThem) {
    // A few hundred bytes of zeros deflated: far too little for what is declared.
    const std::vector<std::uint8_t> packed = Deflate(std::vector<std::uint8_t>(4096, 0));
    EXPECT_FALSE(DecodePng(RgbaPngFile(16384, 16384, packed))); // over the pixel budget
    EXPECT_FALSE(DecodePng(RgbaPngFile(20000, 1, packed)));     // over the side limit
    EXPECT_FALSE(DecodePng(RgbaPngFile(0, 5, packed)));
    EXPECT_FALSE(DecodePng(RgbaPngFile(0x80000000u, 1, packed)));
    EXPECT_FALSE(DecodePng(RgbaPngFile(5000, 5000, packed)));   // allowed size, but the data runs out
    EXPECT_FALSE(ImageSizeAllowed(16384, 16384));
    EXPECT_TRUE(ImageSizeAllowed(kMaxImageSide, 1));
}

TEST(PngDecode, IgnoresDataBeyondWhatThePictureNeeds) {
    // Megabytes of extra zeros after the rows (a deflate "bomb") are never expanded in full.
    const std::size_t rows = 4 * (1 + 4 * 4);
    const std::optional<Bitmap> b = DecodePng(RgbaPngFile(4, 4, Deflate(std::vector<std::uint8_t>(rows + 16 * 1024 * 1024, 0))));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 4);
    EXPECT_EQ(testing::TotalAlpha(*b), 0u);
}

} // namespace
} // namespace kestrana::gfx
