// The built-in text stand-in: sizes agree between measuring and drawing, long text is
// cut with an ellipsis inside the limit, and every character draws something.
#include "gfx_test_support.h"

#include "gfx/builtin_text_renderer.h"
#include "gfx/system_look.h"

#include <gtest/gtest.h>

namespace kestrana::gfx {
namespace {

TEST(BuiltinText, MeasureAgreesWithDrawAndGrowsWithTheText) {
    BuiltinTextRenderer text;
    const TextStyle style{L"", 14.0f, 400, Color{20, 40, 200, 255}};
    int previous = 0;
    for (const std::wstring_view s : {L"A", L"Ab", L"Abc", L"Abc 12", L"Abc 12:30 PM"}) {
        const TextExtent e = text.Measure(s, style);
        const Bitmap b = text.Draw(s, style);
        EXPECT_EQ(b.Width(), e.width) << std::string(s.begin(), s.end());
        EXPECT_EQ(b.Height(), e.height);
        EXPECT_GT(e.width, previous);
        EXPECT_FALSE(e.truncated);
        EXPECT_GT(e.baseline, 0);
        EXPECT_LE(e.baseline, e.height);
        previous = e.width;
    }
    EXPECT_EQ(text.Measure(L"", style).width, 0);
    EXPECT_TRUE(text.Draw(L"", style).Empty());
    // Larger type, larger line.
    EXPECT_GT(text.Measure(L"Abc", TextStyle{L"", 28.0f}).width, text.Measure(L"Abc", TextStyle{L"", 14.0f}).width);
}

TEST(BuiltinText, CutsLongTextWithAnEllipsisInsideTheLimit) {
    BuiltinTextRenderer text;
    const TextStyle style{L"", 14.0f, 400, Color{0, 0, 0, 255}};
    const int full = text.Measure(L"Recycle Bin", style).width;
    EXPECT_FALSE(text.Measure(L"Recycle Bin", style, full).truncated);
    for (int limit = full - 1; limit > 0; limit -= 3) {
        const TextExtent e = text.Measure(L"Recycle Bin", style, limit);
        EXPECT_TRUE(e.truncated) << limit;
        EXPECT_LE(e.width, limit);
        const Bitmap b = text.Draw(L"Recycle Bin", style, limit);
        EXPECT_EQ(b.Width(), e.width);
    }
    // The kept part is a prefix: cutting "ABCDEF" leaves the first glyphs unchanged.
    const Bitmap whole = text.Draw(L"ABCDEF", style);
    const Bitmap cut = text.Draw(L"ABCDEF", style, whole.Width() - 4);
    const int prefix = 2 * 8; // the first two cells at this size
    EXPECT_EQ(testing::MaxDifference(whole.Crop({0, 0, prefix, whole.Height()}), cut.Crop({0, 0, prefix, cut.Height()})), 0);
    // The cut line ends with ink low in its last cell (the dots), not with "F".
    int lowInk = 0;
    for (int x = cut.Width() - 8; x < cut.Width(); ++x) {
        lowInk += PixelA(cut.At(x, cut.Height() - 2 - 1)) > 0 || PixelA(cut.At(x, cut.Height() - 3)) > 0;
    }
    EXPECT_GT(lowInk, 0);
}

TEST(BuiltinText, DrawsEveryCharacterInTheStyleColour) {
    BuiltinTextRenderer text;
    const TextStyle style{L"", 11.5f, 400, Color{200, 100, 50, 180}};
    // Characters the font lacks (here Chinese) still show as boxes; a surrogate pair is one character.
    for (const std::wstring& s : {std::wstring(L"\u4E2D\u6587"), std::wstring(L"x"), std::wstring(L"\U0001F600")}) {
        const Bitmap b = text.Draw(s, style);
        EXPECT_GT(testing::TotalAlpha(b), 0u);
        EXPECT_EQ(testing::FirstUnpremultipliedPixel(b), "");
        for (Pixel p : b.Pixels()) {
            if (PixelA(p) > 60) {
                const Color c = Unpremultiply(p);
                ASSERT_NEAR(c.r, 200, 4);
                ASSERT_NEAR(c.g, 100, 4);
                ASSERT_NEAR(c.b, 50, 4);
                ASSERT_LE(c.a, 180);
            }
        }
    }
    EXPECT_EQ(text.Measure(L"\U0001F600", style).width, text.Measure(L"x", style).width);
    // Bold puts down more ink in the same box.
    const TextStyle bold{L"", 11.5f, 700, Color{0, 0, 0, 255}};
    EXPECT_GT(testing::TotalAlpha(text.Draw(L"Kestrana", bold)),
              testing::TotalAlpha(text.Draw(L"Kestrana", TextStyle{L"", 11.5f, 400, Color{0, 0, 0, 255}})));
    EXPECT_EQ(text.Measure(L"Kestrana", bold).width, text.Measure(L"Kestrana", style).width);
}

} // namespace
} // namespace kestrana::gfx

namespace kestrana::gfx {
namespace {

TEST(TextScale, OnlyTheSizesWindowsOffersScaleTheText) {
    EXPECT_FLOAT_EQ(TextScaleFromPercent(100), 1.0f);
    EXPECT_FLOAT_EQ(TextScaleFromPercent(150), 1.5f);
    EXPECT_FLOAT_EQ(TextScaleFromPercent(225), 2.25f);
    // Hand-edited or from an older system: the normal size, never tiny or huge text.
    for (long long odd : {0LL, 99LL, 226LL, -150LL, 4294967295LL}) EXPECT_FLOAT_EQ(TextScaleFromPercent(odd), 1.0f) << odd;
}

} // namespace
} // namespace kestrana::gfx
