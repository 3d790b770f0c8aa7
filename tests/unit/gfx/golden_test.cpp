// Whole scenes compared with reference pictures in tests/data/golden/gfx (with
// KESTRANA_UPDATE_GOLDEN=1 the references are written afresh).
#include "gfx_test_support.h"

#include "fakes/golden_image.h"

#include "gfx/builtin_text_renderer.h"
#include "gfx/canvas.h"
#include "gfx/effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kestrana::gfx {
namespace {

// An icon-like picture: a rounded tile with a gradient and a glyph-like mark.
Bitmap MakeIcon(int size, Color tint) {
    Bitmap icon(size, size);
    Canvas c(icon);
    const float s = float(size);
    for (int band = 0; band < 8; ++band) {
        const std::uint8_t k = std::uint8_t(255 - band * 18);
        c.SetClip({0, int(s * band / 8), size, int(std::ceil(s / 8)) + 1});
        c.FillRoundedRect({s * 0.06f, s * 0.06f, s * 0.88f, s * 0.88f}, s * 0.22f,
                          Color{std::uint8_t(tint.r * k / 255), std::uint8_t(tint.g * k / 255),
                                std::uint8_t(tint.b * k / 255), 255});
    }
    c.ResetClip();
    c.StrokeRoundedRect({s * 0.06f, s * 0.06f, s * 0.88f, s * 0.88f}, s * 0.22f, s * 0.02f, Color{255, 255, 255, 160});
    c.FillRoundedRect({s * 0.3f, s * 0.3f, s * 0.4f, s * 0.4f}, s * 0.2f, Color{255, 255, 255, 220});
    return icon;
}

Bitmap MakeSkin() {
    Bitmap skin(40, 40);
    Canvas c(skin);
    c.FillRoundedRect({0, 0, 40, 40}, 12, Color{230, 232, 240, 190});
    c.StrokeRoundedRect({0, 0, 40, 40}, 12, 1.5f, Color{255, 255, 255, 240});
    return skin;
}

TEST(Golden, DockScene) {
    Bitmap frame(240, 90);
    Canvas canvas(frame);
    CachedImage bar(MakeSkin(), Insets{12, 12, 12, 12});
    canvas.DrawImage(bar, RectF{8, 44, 224, 42});
    const Color tints[] = {{220, 60, 50, 255}, {40, 150, 230, 255}, {60, 190, 90, 255}, {240, 180, 30, 255},
                           {150, 80, 200, 255}};
    const Bitmap big = MakeIcon(128, tints[0]);
    // A row with a bulge: sizes and positions between pixels, as a magnified dock draws them.
    const float sizes[] = {26, 36.5f, 46.25f, 36.5f, 26};
    float x = 14.5f;
    for (int i = 0; i < 5; ++i) {
        CachedImage icon(MakeIcon(128, tints[i]));
        canvas.DrawImage(icon, RectF{x, 80 - sizes[i], sizes[i], sizes[i]}, i == 4 ? 0.5f : 1.0f);
        x += sizes[i] + 4.25f;
    }
    // Running indicator, a lit icon, and a label with a soft shadow.
    canvas.FillRoundedRect({x - 4.25f - 26 / 2.0f - 2, 81, 4, 4}, 2, Color{40, 40, 40, 230});
    Bitmap lit = big.Clone();
    Brighten(lit, 1.4f);
    canvas.DrawBitmap(lit, RectF{205, 50, 24, 24});
    BuiltinTextRenderer text;
    const TextStyle labelStyle{L"", 10.0f, 700, Color{255, 255, 255, 255}};
    const Bitmap label = text.Draw(L"Kestrana", labelStyle);
    Bitmap shadow(label.Width() + 16, label.Height() + 16);
    Canvas(shadow).FillRoundedRect({4, 4, float(label.Width() + 8), float(label.Height() + 8)}, 6, Color{0, 0, 0, 200});
    Blur(shadow, 2.0f);
    canvas.DrawBitmap(shadow, RectF{80, 4, float(shadow.Width()), float(shadow.Height())});
    canvas.DrawBitmap(label, RectF{88, 12, float(label.Width()), float(label.Height())});
    EXPECT_EQ(testing::FirstUnpremultipliedPixel(frame), "");
    kestrana::testing::CheckGoldenImage("gfx", "dock_scene", frame);
}

TEST(Golden, NineGridsAtManySizes) {
    const Bitmap skin = MakeSkin();
    Bitmap frame(200, 120);
    Canvas canvas(frame);
    canvas.DrawNineGrid(skin, {12, 12, 12, 12}, RectF{2, 2, 120, 50});
    canvas.DrawNineGrid(skin, {12, 12, 12, 12}, RectF{130.5f, 2.5f, 60.3f, 30.6f});
    canvas.DrawNineGrid(skin, {12, 12, 12, 12}, RectF{2, 60, 16, 12});  // corners shrink
    canvas.DrawNineGrid(skin, {10.5f, 7, 13, 4.25f}, RectF{30, 60, 160, 55}, 0.6f);
    kestrana::testing::CheckGoldenImage("gfx", "ninegrid_sizes", frame);
}

TEST(Golden, ShapesRotationAndScaling) {
    Bitmap frame(220, 110);
    Canvas canvas(frame);
    canvas.Clear(MakePixel(250, 250, 250, 255));
    canvas.FillRoundedRect({5.5f, 5.5f, 60, 40}, 10, Color{30, 120, 220, 255});
    canvas.StrokeRoundedRect({70.25f, 5, 60, 40}, 14, 3, Color{220, 40, 40, 200});
    canvas.FillRect(RectF{140.5f, 5.5f, 30.25f, 20.5f}, Color{0, 160, 0, 128});
    // A clock face: hands rotated about their base.
    Bitmap hand(6, 40);
    Canvas(hand).FillRoundedRect({0, 0, 6, 40}, 3, Color{20, 20, 20, 255});
    canvas.FillRoundedRect({150, 35, 60, 60}, 30, Color{255, 255, 255, 255});
    canvas.StrokeRoundedRect({150, 35, 60, 60}, 30, 2, Color{60, 60, 60, 255});
    canvas.DrawRotated(hand, {3, 37}, {180, 65}, 125.0f, 0.7f);
    canvas.DrawRotated(hand, {3, 37}, {180, 65}, -30.0f, 0.55f);
    // Scaling: a fine checkerboard shrunk (even grey) and a tiny ramp enlarged (smooth).
    const Bitmap board = testing::Checkerboard(128, 128, 1, 0xFFFFFFFFu, 0xFF000000u);
    canvas.DrawBitmap(board, RectF{5, 50, 40.5f, 40.5f});
    Bitmap ramp(3, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            ramp.Set(x, y, Color{std::uint8_t(x * 120), std::uint8_t(y * 120), 200, 255}.Premultiplied());
        }
    }
    canvas.DrawBitmap(ramp, RectF{55, 50, 50, 50});
    canvas.DrawBitmap(MakeIcon(96, {240, 120, 20, 255}), RectF{110.3f, 52.7f, 33.3f, 33.3f});
    kestrana::testing::CheckGoldenImage("gfx", "shapes", frame);
}

} // namespace
} // namespace kestrana::gfx
