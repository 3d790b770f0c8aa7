// Properties of the compositor that hold for any input: premultiplication, exact copies
// at 1:1, nine-grid corners, anti-aliased shrinking, clipping, coverage of partial pixels.
#include "gfx_test_support.h"

#include "gfx/canvas.h"
#include "gfx/effects.h"
#include "gfx/pixel_rows.h"
#include "gfx/resample.h"

#include <memory>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kestrana::gfx {
namespace {

using testing::Checkerboard;
using testing::FirstUnpremultipliedPixel;
using testing::MaxDifference;
using testing::NoiseBitmap;
using testing::Solid;
using testing::TotalAlpha;

TEST(Bitmap, MovesLeaveAnEmptySourceAndClonesAreIndependent) {
    Bitmap a(3, 2);
    a.Set(1, 1, 0xFF102030u);
    Bitmap b = std::move(a);
    EXPECT_TRUE(a.Empty());
    EXPECT_EQ(a.Height(), 0);
    EXPECT_TRUE(a.Pixels().empty());
    ASSERT_EQ(b.Width(), 3);
    Bitmap c = b.Clone();
    c.Set(1, 1, 0);
    EXPECT_EQ(b.At(1, 1), 0xFF102030u);
    EXPECT_TRUE(Bitmap(0, 5).Empty());
    EXPECT_TRUE(Bitmap(5, -1).Empty());
    const Bitmap part = b.Crop({2, 1, 10, 10});
    EXPECT_EQ(part.Width(), 1);
    EXPECT_EQ(part.Height(), 1);
}

TEST(Bitmap, QuarterTurnsAndFlipsMoveEdgesWhereABarOnAnotherEdgeNeedsThem) {
    const Bitmap src = NoiseBitmap(5, 3, 9);
    const Bitmap cw = RotateClockwise(src, 1);
    ASSERT_EQ(cw.Width(), 3);
    ASSERT_EQ(cw.Height(), 5);
    // Clockwise: the left column becomes the top row, read from the bottom up.
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(cw.At(2 - y, 0), src.At(0, y));
    }
    EXPECT_EQ(MaxDifference(RotateClockwise(src, -1), RotateClockwise(src, 3)), 0);
    EXPECT_EQ(MaxDifference(RotateClockwise(cw, 3), src), 0);
    EXPECT_EQ(MaxDifference(RotateClockwise(RotateClockwise(src, 2), 2), src), 0);
    EXPECT_EQ(RotateClockwise(src, 2).At(0, 0), src.At(4, 2));
    const Bitmap flipped = FlipVertical(src);
    EXPECT_EQ(flipped.At(3, 0), src.At(3, 2));
    EXPECT_EQ(MaxDifference(FlipVertical(flipped), src), 0);
}

TEST(Bitmap, PremultiplyRoundTripsThroughStraightColour) {
    // Every premultiplied value survives a trip through straight colour (what PNG stores).
    for (int a = 0; a < 256; a += 3) {
        for (int c = 0; c <= a; ++c) {
            const Pixel p = MakePixel(std::uint8_t(c), std::uint8_t(a - c), std::uint8_t(c / 2), std::uint8_t(a));
            ASSERT_EQ(Unpremultiply(p).Premultiplied(), p) << "a=" << a << " c=" << c;
        }
    }
    EXPECT_EQ((Color{255, 0, 0, 128}.Premultiplied()), MakePixel(128, 0, 0, 128));
}

// Every drawing operation, on random input and at awkward positions, keeps colour <= alpha.
TEST(Compositor, EveryOperationKeepsPixelsPremultiplied) {
    const Bitmap noise = NoiseBitmap(37, 29, 7);
    const std::vector<std::pair<const char*, std::function<void(Canvas&)>>> operations = {
        {"shrink", [&](Canvas& c) { c.DrawBitmap(noise, RectF{3.3f, 2.7f, 11.4f, 9.1f}, 0.8f); }},
        {"enlarge", [&](Canvas& c) { c.DrawBitmap(noise, RectF{-5.5f, 1.25f, 90.f, 70.f}, 1.0f); }},
        {"ninegrid", [&](Canvas& c) { c.DrawNineGrid(noise, {5.5f, 4, 7, 3.25f}, RectF{1.5f, 2, 60.2f, 41.f}, 0.9f); }},
        {"rotate", [&](Canvas& c) { c.DrawRotated(noise, {18, 14}, {30, 30}, 33.f, 1.3f, 0.7f); }},
        {"rounded", [&](Canvas& c) { c.FillRoundedRect({4.5f, 5.25f, 40, 30}, 9, Color{250, 10, 128, 77}); }},
        {"stroke", [&](Canvas& c) { c.StrokeRoundedRect({2.5f, 3, 50, 44}, 12, 2.5f, Color{10, 240, 128, 200}); }},
        {"fill", [&](Canvas& c) { c.FillRect(RectF{0.3f, 0.6f, 20.2f, 7.7f}, Color{255, 255, 255, 99}); }},
        {"blur", [&](Canvas& c) { Blur(c.Target(), 2.5f); }},
        {"blur region", [&](Canvas& c) { Blur(c.Target(), 4.0f, {10, 10, 30, 20}); }},
        {"brighten", [&](Canvas& c) { Brighten(c.Target(), 1.7f); }},
    };
    for (const auto& [name, draw] : operations) {
        Bitmap target = NoiseBitmap(64, 64, 99);
        Canvas canvas(target);
        draw(canvas);
        EXPECT_EQ(FirstUnpremultipliedPixel(target), "") << name;
    }
}

// A half-pixel shift samples midway between two neighbours: each kind of neighbour
// (beside, below, diagonal) must weigh in, in every channel, at full and half opacity.
TEST(Compositor, TurnedPicturesBlendTheirNeighboursEvenly) {
    const Bitmap src = NoiseBitmap(20, 16, 7);
    const struct {
        float dx, dy, opacity;
    } shifts[] = {{0.5f, 0, 1}, {0, 0.5f, 1}, {0.5f, 0.5f, 1}, {0.5f, 0.5f, 0.5f}, {0, 0, 1}};
    for (const auto& shift : shifts) {
        Bitmap target(20, 16);
        Canvas(target).DrawRotated(src, {10, 8}, {10 + shift.dx, 8 + shift.dy}, 0, 1, shift.opacity);
        const int sx = shift.dx > 0 ? 1 : 0, sy = shift.dy > 0 ? 1 : 0;
        int worst = 0;
        for (int y = 2; y < 14; ++y) {
            for (int x = 2; x < 18; ++x) {
                for (int channel = 0; channel < 32; channel += 8) {
                    auto at = [&](int px, int py) { return double((src.At(px, py) >> channel) & 0xFF); };
                    const double expected =
                        (at(x, y) + at(x - sx, y) + at(x, y - sy) + at(x - sx, y - sy)) / 4 * shift.opacity;
                    const int got = int((target.At(x, y) >> channel) & 0xFF);
                    worst = std::max(worst, int(std::lround(std::abs(got - expected))));
                }
            }
        }
        EXPECT_LE(worst, 1) << shift.dx << "," << shift.dy << " at " << shift.opacity;
    }
}

TEST(Compositor, DrawsAtItsOwnSizeAsAnExactCopy) {
    const Bitmap src = NoiseBitmap(31, 17, 3);
    Bitmap target(40, 30);
    Canvas canvas(target);
    canvas.DrawBitmap(src, RectF{5, 6, 31, 17});
    EXPECT_EQ(MaxDifference(target.Crop({5, 6, 31, 17}), src), 0);
    EXPECT_EQ(target.At(4, 6), 0u);
    EXPECT_EQ(target.At(36, 22), 0u);

    CachedImage image(src.Clone());
    Bitmap viaCache(40, 30);
    Canvas cacheCanvas(viaCache);
    cacheCanvas.DrawImage(image, RectF{5, 6, 31, 17});
    EXPECT_EQ(MaxDifference(viaCache, target), 0);
    // Drawn again and again at its own size it is blended as it is: nothing held beside it.
    for (int frame = 0; frame < 4; ++frame) cacheCanvas.DrawImage(image, RectF{5, 6, 31, 17}, 0.5f);
    EXPECT_EQ(image.CachedCopies(), 0);
    EXPECT_EQ(image.HeldBytes(), 0u);
    // Off whole pixels it is resampled and kept like any other size.
    for (int frame = 0; frame < 3; ++frame) cacheCanvas.DrawImage(image, RectF{5.5f, 6, 31, 17});
    EXPECT_EQ(image.CachedCopies(), 1);
}

TEST(Compositor, ShrinkingAFineCheckerboardGivesEvenGrey) {
    const Pixel white = 0xFFFFFFFFu, black = 0xFF000000u;
    const Bitmap board = Checkerboard(256, 256, 1, white, black);
    CachedImage image(board.Clone());
    for (const float size : {40.f, 64.f, 100.f, 37.3f, 120.f}) {
        Bitmap direct(256, 256), cached(256, 256);
        Canvas(direct).DrawBitmap(board, RectF{0, 0, size, size});
        Canvas(cached).DrawImage(image, RectF{0, 0, size, size});
        for (const Bitmap* b : {&direct, &cached}) {
            const int inner = int(size) - 1; // last column may be partly covered
            int lo = 255, hi = 0;
            for (int y = 0; y < inner; ++y) {
                for (int x = 0; x < inner; ++x) {
                    lo = std::min<int>(lo, PixelG(b->At(x, y)));
                    hi = std::max<int>(hi, PixelG(b->At(x, y)));
                    ASSERT_EQ(PixelA(b->At(x, y)), 255) << size << " at " << x << "," << y;
                }
            }
            EXPECT_GE(lo, 118) << "size " << size << (b == &direct ? " direct" : " cached");
            EXPECT_LE(hi, 137) << "size " << size << (b == &direct ? " direct" : " cached");
        }
    }
}

TEST(Compositor, ShrinkingStripesDoesNotMakeMoire) {
    // One-pixel vertical stripes reduced by a non-integer factor: a point sampler would
    // show bands; a proper filter gives a flat grey.
    Bitmap stripes(300, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 300; ++x) {
            stripes.Set(x, y, (x % 2) ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    Bitmap target(200, 8);
    Canvas(target).DrawBitmap(stripes, RectF{0, 0, 71, 8});
    int lo = 255, hi = 0;
    for (int x = 1; x < 70; ++x) {
        lo = std::min<int>(lo, PixelR(target.At(x, 4)));
        hi = std::max<int>(hi, PixelR(target.At(x, 4)));
    }
    EXPECT_LE(hi - lo, 24);
}

TEST(Compositor, APictureHandedOverRowByRowScalesAsTheWholeOneAndEachRowIsReadOnce) {
    // A window copied from the screen in bands is scaled without ever being whole: the
    // rows must come top to bottom, each once, and give the picture the whole one gives.
    struct Case {
        int sw, sh, w, h;
    };
    for (const Case c : {Case{700, 400, 100, 57}, Case{333, 251, 200, 151}, Case{64, 48, 64, 48},
                         Case{40, 30, 120, 90}, Case{1, 300, 1, 7}}) {
        const Bitmap source = NoiseBitmap(c.sw, c.sh, 7u + c.sw, true);
        std::vector<int> asked;
        const Bitmap streamed = ScaleRows(c.sw, c.sh, [&](int y) {
            asked.push_back(y);
            return source.Row(y);
        }, c.w, c.h);
        const Bitmap whole = ScaleBitmap(source, c.w, c.h);
        const std::string name = std::to_string(c.sw) + "x" + std::to_string(c.sh) + " to " + std::to_string(c.w);
        // The whole picture may be filtered columns first, which rounds differently.
        EXPECT_LE(MaxDifference(streamed, whole), 1) << name;
        ASSERT_FALSE(asked.empty()) << name;
        for (std::size_t i = 1; i < asked.size(); ++i) ASSERT_LT(asked[i - 1], asked[i]) << name;
        EXPECT_GE(asked.front(), 0) << name;
        EXPECT_LT(asked.back(), c.sh) << name;
        // Shrinking weighs in every row: none may be skipped.
        if (c.h < c.sh) {
            EXPECT_EQ(asked.size(), std::size_t(c.sh)) << name;
        }
    }
    EXPECT_TRUE(ScaleRows(0, 10, [](int) -> const Pixel* { return nullptr; }, 5, 5).Empty());
}

TEST(CachedImage, HalfSizeLevelsFilterOutPatternsTooFineToShow) {
    // Stripes three pixels apart cannot be shown at a quarter size; through the levels
    // they must come out as an even grey, not as bands (a 2x2 average leaves about +-25).
    Bitmap stripes(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            stripes.Set(x, y, x % 3 == 0 ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    CachedImage image(stripes.Clone());
    for (const float size : {64.f, 48.f, 32.f}) {
        Bitmap target(64, 64);
        Canvas(target).DrawImage(image, RectF{0, 0, size, size});
        int lo = 255, hi = 0;
        for (int x = 1; x < int(size) - 1; ++x) {
            lo = std::min<int>(lo, PixelG(target.At(x, int(size) / 2)));
            hi = std::max<int>(hi, PixelG(target.At(x, int(size) / 2)));
        }
        EXPECT_NEAR((lo + hi) / 2, 85, 6) << size;
        EXPECT_LE(hi - lo, 10) << size;
    }
    // Halving keeps a flat opaque picture flat and opaque up to its edges, odd sizes included.
    const Bitmap half = HalveBitmap(Solid(7, 5, MakePixel(10, 200, 30, 255)));
    ASSERT_EQ(half.Width(), 4);
    ASSERT_EQ(half.Height(), 3);
    for (Pixel p : half.Pixels()) {
        EXPECT_EQ(p, MakePixel(10, 200, 30, 255));
    }
}

TEST(Compositor, EnlargingIsSmoothAndMonotonic) {
    Bitmap ramp(4, 1);
    for (int x = 0; x < 4; ++x) {
        const std::uint8_t v = std::uint8_t(x * 85);
        ramp.Set(x, 0, MakePixel(v, v, v, 255));
    }
    Bitmap target(64, 1);
    Canvas(target).DrawBitmap(ramp, RectF{0, 0, 64, 1});
    int previous = -1;
    int steps = 0;
    for (int x = 0; x < 64; ++x) {
        const int v = PixelR(target.At(x, 0));
        EXPECT_GE(v, previous) << x;
        steps += v != previous;
        previous = v;
    }
    // A smooth ramp has many distinct levels, not 4 blocks.
    EXPECT_GT(steps, 30);
}

TEST(Compositor, PartialPixelsAreCoveredInProportion) {
    const Bitmap white = Solid(10, 10, 0xFFFFFFFFu);
    for (const float offset : {0.0f, 0.25f, 0.5f, 0.8f}) {
        Bitmap target(20, 20);
        Canvas(target).DrawBitmap(white, RectF{2 + offset, 3 + offset, 10, 10});
        // Coverage adds up to the area drawn, wherever it lands.
        EXPECT_NEAR(double(TotalAlpha(target)), 100.0 * 255, 100.0 * 255 * 0.01) << offset;
        EXPECT_NEAR(PixelA(target.At(2, 7)), (1 - offset) * 255, 2.0) << offset;
        EXPECT_EQ(PixelA(target.At(6, 7)), 255) << offset;
    }
    Bitmap target(20, 20);
    Canvas(target).FillRect(RectF{1.5f, 1.0f, 3.0f, 2.0f}, Color{0, 0, 255, 255});
    EXPECT_NEAR(PixelA(target.At(1, 1)), 128, 1);
    EXPECT_EQ(target.At(2, 1), MakePixel(0, 0, 255, 255));
    EXPECT_NEAR(PixelB(target.At(4, 2)), 128, 1);
    EXPECT_EQ(target.At(5, 1), 0u);
}

TEST(Compositor, OpacityScalesAndBlendsOverWhatIsThere) {
    Bitmap target = Solid(8, 8, MakePixel(0, 0, 255, 255));
    Canvas(target).DrawBitmap(Solid(4, 4, MakePixel(255, 0, 0, 255)), RectF{0, 0, 4, 4}, 0.25f);
    const Pixel p = target.At(1, 1);
    EXPECT_EQ(PixelA(p), 255);
    EXPECT_NEAR(PixelR(p), 64, 1);
    EXPECT_NEAR(PixelB(p), 191, 1);
    EXPECT_EQ(target.At(5, 5), MakePixel(0, 0, 255, 255));
}

TEST(Compositor, NothingIsDrawnOutsideTheClip) {
    const Bitmap noise = NoiseBitmap(50, 50, 5, true);
    const RectI clip{10, 12, 17, 9};
    Bitmap target(60, 60);
    Canvas canvas(target);
    canvas.SetClip(clip);
    canvas.DrawBitmap(noise, RectF{-3.5f, -2.2f, 70, 66});
    canvas.DrawNineGrid(noise, {4, 4, 4, 4}, RectF{0, 0, 60, 60});
    canvas.DrawRotated(noise, {25, 25}, {30, 30}, 17);
    canvas.FillRoundedRect({0, 0, 60, 60}, 10, Color{1, 2, 3, 255});
    canvas.FillRect(RectF{0, 0, 60, 60}, Color{9, 9, 9, 128});
    CachedImage image(noise.Clone());
    canvas.DrawImage(image, RectF{0.5f, 0.5f, 59, 59});
    int inside = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool in = x >= clip.x && x < clip.Right() && y >= clip.y && y < clip.Bottom();
            if (!in) {
                ASSERT_EQ(target.At(x, y), 0u) << x << "," << y;
            } else {
                inside += target.At(x, y) != 0;
            }
        }
    }
    EXPECT_EQ(inside, clip.width * clip.height);
    // A clip outside the target is cut to the target.
    canvas.SetClip({50, 50, 100, 100});
    EXPECT_EQ(canvas.Clip(), (RectI{50, 50, 10, 10}));
}

TEST(Compositor, AbsurdGeometryDrawsNothingOrIsClippedWithoutHarm) {
    // Sizes and positions come from layout arithmetic; a bad value must never crash,
    // hang or write outside the target (the sanitizers watch the conversions).
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Bitmap src = NoiseBitmap(16, 16, 2);
    CachedImage image(src.Clone());
    CachedImage bar(src.Clone(), Insets{4, 4, 4, 4});
    for (const RectF r : {RectF{nan, 0, 10, 10}, RectF{0, 0, inf, 10}, RectF{1e30f, 1e30f, 5, 5},
                          RectF{-1e30f, -1e30f, 2e30f, 2e30f}, RectF{-5, -5, -10, 10}, RectF{3, 3, 1e-7f, 1e-7f}, RectF{3, 3, 1e-30f, 1e-30f},
                          RectF{-1e9f, 2, 3e9f, 1e-3f}}) {
        Bitmap target(32, 32);
        Canvas c(target);
        c.DrawBitmap(src, r);
        c.DrawImage(image, r);
        c.DrawImage(bar, r);
        c.DrawNineGrid(src, {4, 4, 4, 4}, r);
        c.FillRect(r, Color{1, 2, 3, 255});
        c.FillRoundedRect(r, 4, Color{1, 2, 3, 255});
        c.StrokeRoundedRect(r, nan, 2, Color{1, 2, 3, 255});
        c.DrawBitmap(src, r, RectF{0, 0, 8, 8});
        EXPECT_EQ(testing::FirstUnpremultipliedPixel(target), "");
    }
    Bitmap target(32, 32);
    Canvas c(target);
    c.DrawRotated(src, {8, 8}, {16, 16}, nan);
    c.DrawRotated(src, {8, 8}, {16, 16}, 30, 1e-20f);
    c.DrawRotated(src, {8, 8}, {16, 16}, 30, 1e20f);
    c.DrawRotated(src, {nan, 8}, {1e30f, 16}, 30);
    c.DrawBitmap(src, RectF{0, 0, 32, 32}, inf);
    Blur(target, inf);
    Blur(target, 1e6f);
    Brighten(target, nan);
    EXPECT_EQ(testing::FirstUnpremultipliedPixel(target), "");
}

TEST(NineGrid, CornersArePixelExactAndEdgesStretchAlongTheirLength) {
    const Bitmap src = NoiseBitmap(24, 20, 11, true);
    const int l = 5, t = 6, r = 7, b = 4;
    Bitmap target(100, 60);
    Canvas(target).DrawNineGrid(src, {float(l), float(t), float(r), float(b)}, RectF{3, 2, 90, 50});
    const struct {
        RectI inSource;
        int destX, destY;
    } corners[] = {{{0, 0, l, t}, 3, 2},
                   {{24 - r, 0, r, t}, 3 + 90 - r, 2},
                   {{0, 20 - b, l, b}, 3, 2 + 50 - b},
                   {{24 - r, 20 - b, r, b}, 3 + 90 - r, 2 + 50 - b}};
    for (const auto& c : corners) {
        EXPECT_EQ(MaxDifference(target.Crop({c.destX, c.destY, c.inSource.width, c.inSource.height}),
                                src.Crop(c.inSource)),
                  0)
            << c.destX << "," << c.destY;
    }
    // A band that is flat along the stretch stays flat: rows of the left edge are copied
    // vertically stretched, so a source whose left columns are constant per column keeps them.
    Bitmap bands(24, 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 24; ++x) {
            bands.Set(x, y, MakePixel(std::uint8_t(x * 10), 0, 0, 255));
        }
    }
    Bitmap out(100, 60);
    Canvas(out).DrawNineGrid(bands, {float(l), float(t), float(r), float(b)}, RectF{0, 0, 90, 50});
    for (int y = 0; y < 50; ++y) {
        for (int x = 0; x < l; ++x) {
            ASSERT_EQ(PixelR(out.At(x, y)), x * 10) << x << "," << y;
        }
        for (int x = 0; x < r; ++x) {
            ASSERT_EQ(PixelR(out.At(90 - r + x, y)), (24 - r + x) * 10) << x << "," << y;
        }
    }
    // Nothing of the right edge leaks into the left corner column and vice versa.
    EXPECT_EQ(out.At(90, 10), 0u);
}

TEST(NineGrid, CornersShrinkWhenTheTargetIsSmallerThanTheInsets) {
    const Bitmap src = Solid(20, 20, 0xFFFFFFFFu);
    Bitmap target(30, 30);
    Canvas(target).DrawNineGrid(src, {10, 10, 10, 10}, RectF{0, 0, 10, 6});
    EXPECT_NEAR(double(TotalAlpha(target)), 60.0 * 255, 60.0 * 255 * 0.01);
    EXPECT_EQ(target.At(10, 3), 0u);
    // Insets larger than the picture, fractional insets and a missing centre still draw.
    Bitmap other(40, 40);
    Canvas(other).DrawNineGrid(src, {15.5f, 30, 15, 2}, RectF{0, 0, 40, 40});
    EXPECT_NEAR(double(TotalAlpha(other)), 1600.0 * 255, 1600.0 * 255 * 0.01);
}

TEST(Rotation, FullTurnReturnsThePictureAndQuarterTurnsMoveEveryPixel) {
    const Bitmap src = NoiseBitmap(16, 16, 21);
    for (const float degrees : {360.0f, -720.0f}) {
        Bitmap target(16, 16);
        Canvas(target).DrawRotated(src, {8, 8}, {8, 8}, degrees);
        EXPECT_LE(MaxDifference(target, src), 1) << degrees;
    }
    Bitmap quarter(16, 16);
    Canvas(quarter).DrawRotated(src, {8, 8}, {8, 8}, 90);
    // Clockwise on screen: the source's left column becomes the top row.
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_LE(testing::ChannelDifference(quarter.At(x, y), src.At(y, 15 - x)), 1) << x << "," << y;
        }
    }
    // A rotation that is not a quarter turn leaves smooth, partly covered edges and keeps the area.
    const Bitmap square = Solid(20, 20, 0xFFFFFFFFu);
    Bitmap tilted(40, 40);
    Canvas(tilted).DrawRotated(square, {10, 10}, {20, 20}, 30);
    EXPECT_NEAR(double(TotalAlpha(tilted)), 400.0 * 255, 400.0 * 255 * 0.03);
    int partial = 0;
    for (Pixel p : tilted.Pixels()) {
        partial += PixelA(p) > 0 && PixelA(p) < 255;
    }
    EXPECT_GT(partial, 40);
    // Scaling about the pivot: a half-size picture covers a quarter of the area.
    Bitmap half(40, 40);
    Canvas(half).DrawRotated(square, {10, 10}, {20, 20}, 45, 0.5f);
    EXPECT_NEAR(double(TotalAlpha(half)), 100.0 * 255, 100.0 * 255 * 0.05);
}

TEST(RoundedRect, FillCoversTheAreaAndStrokeStaysInside) {
    const float w = 60, h = 40, r = 10;
    Bitmap target(80, 60);
    Canvas(target).FillRoundedRect({10, 10, w, h}, r, Color{255, 255, 255, 255});
    const double area = w * h - (4 - 3.14159265) * r * r;
    EXPECT_NEAR(double(TotalAlpha(target)) / 255, area, area * 0.01);
    EXPECT_EQ(PixelA(target.At(10, 10)), 0);  // the corner is cut away
    EXPECT_EQ(PixelA(target.At(40, 10)), 255); // straight edges are crisp on whole pixels
    EXPECT_EQ(PixelA(target.At(40, 9)), 0);
    // Mirror symmetry.
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            ASSERT_LE(testing::ChannelDifference(target.At(x, y), target.At(79 - x, y)), 1);
            ASSERT_LE(testing::ChannelDifference(target.At(x, y), target.At(x, 59 - y)), 1);
        }
    }
    Bitmap stroke(80, 60);
    Canvas(stroke).StrokeRoundedRect({10, 10, w, h}, r, 2, Color{255, 0, 0, 255});
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (x < 10 || x >= 70 || y < 10 || y >= 50) {
                ASSERT_EQ(stroke.At(x, y), 0u) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(stroke.At(40, 30), 0u); // hollow
    EXPECT_EQ(PixelA(stroke.At(40, 11)), 255);
    const double perimeter = 2 * (w + h) - (8 - 2 * 3.14159265) * r;
    EXPECT_NEAR(double(TotalAlpha(stroke)) / 255, perimeter * 2, perimeter * 2 * 0.06);
}

TEST(CachedImage, KeepsCopiesForRepeatedSizesOnly) {
    CachedImage image(NoiseBitmap(64, 64, 4));
    Bitmap target(200, 200);
    Canvas canvas(target);
    // A size changing every frame is never kept.
    for (int frame = 0; frame < 20; ++frame) {
        canvas.DrawImage(image, RectF{10, 10, 40 + frame * 1.5f, 40 + frame * 1.5f});
    }
    EXPECT_EQ(image.CachedCopies(), 0);
    EXPECT_EQ(image.Hits(), 0u);
    // A resting size is kept from its second frame on and served from then on.
    for (int frame = 0; frame < 5; ++frame) {
        canvas.DrawImage(image, RectF{20.5f, 10, 48, 48});
    }
    EXPECT_EQ(image.CachedCopies(), 1);
    EXPECT_EQ(image.Hits(), 3u);
    // Moving by whole pixels reuses the copy; the picture is the same as drawn uncached.
    Bitmap a(200, 200), b(200, 200);
    Canvas(a).DrawImage(image, RectF{70.5f, 33, 48, 48});
    EXPECT_EQ(image.Hits(), 4u);
    // A picture kept elsewhere is shared, not copied, and draws the same.
    const auto shared = std::make_shared<const Bitmap>(NoiseBitmap(64, 64, 4));
    CachedImage fresh(shared);
    EXPECT_EQ(&fresh.Source(), shared.get());
    Canvas(b).DrawImage(fresh, RectF{70.5f, 33, 48, 48});
    EXPECT_EQ(MaxDifference(a, b), 0);
    // Resting sizes survive a burst of passing sizes.
    for (int frame = 0; frame < 10; ++frame) {
        canvas.DrawImage(image, RectF{10, 10, 50 + frame * 0.5f, 50 + frame * 0.5f});
        canvas.DrawImage(image, RectF{10, 10, 50 + frame * 0.5f, 50 + frame * 0.5f});
    }
    const auto hits = image.Hits();
    canvas.DrawImage(image, RectF{20.5f, 10, 48, 48});
    EXPECT_EQ(image.Hits(), hits + 1);
    EXPECT_LE(image.CachedCopies(), 3);
}

TEST(CachedImage, MagnificationSweepsDoNotPileUpCopies) {
    CachedImage image(NoiseBitmap(128, 128, 9));
    Bitmap target(100, 100);
    Canvas canvas(target);
    // The pointer sweeping back and forth: each size held for two frames, so it is kept.
    auto sweep = [&] {
        for (int step = 0; step <= 40; ++step) {
            const float size = 24.0f + 40.0f * float(step <= 20 ? step : 40 - step) / 20.0f;
            canvas.DrawImage(image, RectF{10, 10, size, size});
            canvas.DrawImage(image, RectF{10, 10, size, size});
        }
    };
    sweep();
    const std::size_t afterOne = image.HeldBytes();
    for (int i = 0; i < 4; ++i) {
        sweep();
    }
    EXPECT_LE(image.HeldBytes(), afterOne);
    // Back at rest, only the resting size stays, as for a picture never magnified.
    for (std::uint64_t i = 0; i <= CachedImage::kStaleDraws; ++i) {
        canvas.DrawImage(image, RectF{10, 10, 24, 24});
    }
    CachedImage resting(NoiseBitmap(128, 128, 9));
    canvas.DrawImage(resting, RectF{10, 10, 24, 24});
    canvas.DrawImage(resting, RectF{10, 10, 24, 24});
    EXPECT_EQ(image.CachedCopies(), 1);
    EXPECT_EQ(image.HeldBytes(), resting.HeldBytes());
}

TEST(CachedImage, NineGridMatchesDirectDrawingAndReplaceOverwrites) {
    const Bitmap skin = NoiseBitmap(30, 20, 8);
    const Insets insets{6, 5, 7, 4};
    CachedImage bar(skin.Clone(), insets);
    for (const RectF dest : {RectF{3, 4, 120, 33}, RectF{2.5f, 1.25f, 97.3f, 40}}) {
        Bitmap direct = NoiseBitmap(130, 50, 1);
        Bitmap cached = direct.Clone();
        Canvas(direct).DrawNineGrid(skin, insets, dest, 0.75f);
        for (int frame = 0; frame < 3; ++frame) { // uncached, then kept, then served from the copy
            Bitmap attempt = cached.Clone();
            Canvas(attempt).DrawImage(bar, dest, 0.75f);
            // A kept copy gets its opacity after rounding, hence a few levels of slack.
            EXPECT_LE(MaxDifference(attempt, direct), 3) << frame;
        }
    }
    // Replace lays the drawing down as it is, whatever was below.
    Bitmap target = Solid(50, 30, 0xFFFFFFFFu);
    const Bitmap translucent = Solid(10, 10, MakePixel(0, 0, 64, 64));
    CachedImage image(translucent.Clone());
    Canvas(target).DrawImage(image, RectF{5, 5, 10, 10}, 1.0f, BlendMode::Replace);
    EXPECT_EQ(target.At(5, 5), MakePixel(0, 0, 64, 64));
    EXPECT_EQ(target.At(15, 5), 0xFFFFFFFFu);
    BlendBitmap(translucent, 20, 5, 1.0f, target.Bounds(), target, BlendMode::Replace);
    EXPECT_EQ(target.At(29, 14), MakePixel(0, 0, 64, 64));
    BlendBitmap(translucent, 20, 5, 1.0f, target.Bounds(), target, BlendMode::Over);
    EXPECT_EQ(PixelA(target.At(29, 14)), 64 + (64 * 191 + 127) / 255);
}

TEST(RowKernels, AgreeWithThePlainFormulasAtEveryLength) {
    // Blocks of four and the leftover tail must give the same answers.
    std::mt19937 rng(12);
    for (int count = 0; count < 19; ++count) {
        const Bitmap a = NoiseBitmap(std::max(count, 1), 1, 100 + count);
        const Bitmap b = NoiseBitmap(std::max(count, 1), 1, 200 + count);
        // Source over, with and without an opacity.
        for (const std::uint32_t k : {256u, 128u, 77u}) {
            Bitmap dst = b.Clone();
            OverRowScaled(a.Row(0), k, dst.Row(0), count);
            for (int i = 0; i < count; ++i) {
                const Pixel s = a.At(i, 0), d = b.At(i, 0);
                for (int shift = 0; shift < 32; shift += 8) {
                    const double sc = double((s >> shift) & 0xFF) * k / 256.0;
                    const double sa = double(s >> 24) * k / 256.0;
                    const double want = sc + double((d >> shift) & 0xFF) * (255.0 - sa) / 255.0;
                    ASSERT_NEAR(double((dst.At(i, 0) >> shift) & 0xFF), want, 1.6) << count << " " << i << " k " << k;
                }
            }
        }
        // Weighted mixing of three rows.
        const Bitmap c = NoiseBitmap(std::max(count, 1), 1, 300 + count);
        const Pixel* rows[3] = {a.Row(0), b.Row(0), c.Row(0)};
        const std::uint16_t weights[3] = {std::uint16_t(rng() % 100), std::uint16_t(rng() % 100),
                                          std::uint16_t(rng() % 57)};
        Bitmap out(std::max(count, 1), 1);
        MixRows(rows, weights, 3, count, out.Row(0));
        for (int i = 0; i < count; ++i) {
            for (int shift = 0; shift < 32; shift += 8) {
                double want = 0;
                for (int t = 0; t < 3; ++t) {
                    want += double((rows[t][i] >> shift) & 0xFF) * weights[t] / 256.0;
                }
                ASSERT_NEAR(double((out.At(i, 0) >> shift) & 0xFF), want, 0.51) << count << " " << i;
            }
        }
        EXPECT_EQ(testing::FirstUnpremultipliedPixel(out), "");
    }
}

TEST(Blur, ConservesAlphaAndSpreadsEvenly) {
    Bitmap b(64, 64);
    Canvas(b).FillRect(RectF{24, 28, 16, 8}, Color{200, 100, 50, 255});
    const std::uint64_t before = TotalAlpha(b);
    Blur(b, 3.0f);
    EXPECT_NEAR(double(TotalAlpha(b)), double(before), double(before) * 0.01);
    EXPECT_LT(PixelA(b.At(32, 32)), 255);
    EXPECT_GT(PixelA(b.At(32, 24)), 0);
    // Symmetric input, symmetric output (rounded).
    EXPECT_LE(testing::ChannelDifference(b.At(20, 32), b.At(43, 32)), 1);

    // A region blur of a flat area changes nothing and leaves the outside alone.
    Bitmap flat = Solid(40, 40, MakePixel(10, 20, 30, 200));
    flat.Set(0, 0, 0xFFFFFFFFu);
    Blur(flat, 5.0f, {10, 10, 20, 20});
    EXPECT_EQ(flat.At(0, 0), 0xFFFFFFFFu);
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 30; ++x) {
            ASSERT_EQ(flat.At(x, y), MakePixel(10, 20, 30, 200));
        }
    }
    // The three boxes together have the asked-for variance.
    for (const float sigma : {1.0f, 2.5f, 8.0f, 30.0f}) {
        const BoxSizes boxes = BoxesForGauss(sigma);
        double variance = 0;
        for (int w : boxes.sizes) {
            EXPECT_EQ(w % 2, 1);
            variance += (double(w) * w - 1) / 12;
        }
        EXPECT_NEAR(std::sqrt(variance), sigma, 0.35 + sigma * 0.05) << sigma;
    }
}

TEST(Brighten, LiftsColourTowardWhiteAndKeepsAlpha) {
    Bitmap b(3, 1);
    b.Set(0, 0, MakePixel(100, 50, 0, 255));
    b.Set(1, 0, MakePixel(100, 90, 10, 128));
    b.Set(2, 0, 0);
    Brighten(b, 1.5f);
    EXPECT_EQ(b.At(0, 0), MakePixel(150, 75, 0, 255));
    EXPECT_EQ(b.At(1, 0), MakePixel(128, 128, 15, 128)); // capped at alpha: white at that opacity
    EXPECT_EQ(b.At(2, 0), 0u);
    Bitmap dim(1, 1);
    dim.Set(0, 0, MakePixel(200, 100, 50, 255));
    Brighten(dim, 0.5f);
    EXPECT_EQ(dim.At(0, 0), MakePixel(100, 50, 25, 255));
}

} // namespace
} // namespace kestrana::gfx
