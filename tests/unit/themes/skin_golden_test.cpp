// Whole skin drawings compared with reference pictures in tests/data/golden/themes: a
// skin's bar, separator, running dots and progress bar on each dock edge, the built-in
// look, and skin previews.
#include "themes/builtin_dock_skin.h"
#include "themes/dock_skin.h"
#include "themes/dock_skin_preview.h"

#include "themes_test_support.h"

#include "fakes/golden_image.h"

#include "gfx/canvas.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::themes {
namespace {

using gfx::Bitmap;
using gfx::Canvas;
using gfx::RectF;
using testing::AddSkin;
using testing::kBase;
using testing::ProgramFolder;

const gfx::NativeImageDecoder kDecoder;

// A small dock along `edge`: the bar with three icon places, a separator between the
// second and third, running dots under the first and third, and a progress bar on the
// second icon. Icons are plain grey squares so the skin's parts stand out.
Bitmap DockScene(DockSkin& skin) {
    const bool vertical = IsVerticalEdge(skin.Edge());
    const float icon = 40, depth = 60, length = 220;
    Bitmap frame(vertical ? 80 : 240, vertical ? 240 : 80);
    Canvas canvas(frame);
    RectF bar;
    switch (skin.Edge()) {
    case SkinEdge::Bottom: bar = {10, 14, length, depth}; break;
    case SkinEdge::Top: bar = {10, 6, length, depth}; break;
    case SkinEdge::Left: bar = {6, 10, depth, length}; break;
    case SkinEdge::Right: bar = {14, 10, depth, length}; break;
    }
    skin.DrawBackground(canvas, bar);
    const float along[3] = {30, 90, 170};
    const float across = vertical ? bar.x + (depth - icon) / 2 : bar.y + (depth - icon) / 2;
    RectF icons[3];
    for (int i = 0; i < 3; ++i) {
        const float a = (vertical ? bar.y : bar.x) + along[i];
        icons[i] = vertical ? RectF{across, a, icon, icon} : RectF{a, across, icon, icon};
        canvas.FillRoundedRect(icons[i], 8, gfx::Color{128, 128, 128, 255});
    }
    skin.DrawSeparator(canvas, bar, (vertical ? bar.y : bar.x) + 150);
    skin.DrawRunIndicator(canvas, bar, icons[0]);
    skin.DrawRunIndicator(canvas, bar, icons[2]);
    const RectF& p = icons[1];
    skin.DrawProgress(canvas, {p.x + 4, p.y + p.height - 14, p.width - 8, 10}, 0.6f);
    return frame;
}

TEST(SkinGolden, SkinOnEveryEdge) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    pf.Config(u"[themes]\r\ndockskin=Glass\r\n");
    const char* names[] = {"", "skin_edge_left", "skin_edge_bottom", "skin_edge_right", "skin_edge_top"};
    for (int position = 1; position <= 4; ++position) {
        DockSkin skin = DockSkin::Load(pf.store, kDecoder, {false, 1, position});
        kestrana::testing::CheckGoldenImage("themes", names[position], DockScene(skin));
    }
}

TEST(SkinGolden, BuiltInLookLightAndDarkAtTwoScales) {
    DockSkin light = DockSkin::BuiltIn({false, 1, 2});
    kestrana::testing::CheckGoldenImage("themes", "builtin_light_bottom", DockScene(light));
    DockSkin dark = DockSkin::BuiltIn({true, 1, 3});
    kestrana::testing::CheckGoldenImage("themes", "builtin_dark_right", DockScene(dark));
    // At scale 2 the pictures are drawn twice as large, not stretched from scale 1.
    const DockSkin big = DockSkin::BuiltIn({false, 2, 2});
    const BuiltInSkinImages images = MakeBuiltInSkinImages(2, false);
    EXPECT_EQ(testing::PngOf(big.Picture(SkinImage::Background)), testing::PngOf(images.background));
    EXPECT_EQ(big.Picture(SkinImage::Run).Width(), 24);
}

// A picture of an icon set's icon: a coloured tile with a white bar, distinct per name.
void AddIcons(ProgramFolder& pf, const std::wstring& set) {
    const gfx::Color colours[] = {{40, 120, 230, 255}, {120, 120, 130, 255}, {250, 190, 40, 255},
                                  {230, 70, 150, 255}, {90, 180, 90, 255},   {60, 150, 60, 255}};
    for (std::size_t i = 0; i < kPreviewIcons.size(); ++i) {
        Bitmap icon(64, 64);
        Canvas c(icon);
        c.FillRoundedRect({4, 4, 56, 56}, 14, colours[i]);
        c.FillRect(RectF{16, 28, 32, 8}, gfx::Color{255, 255, 255, 230});
        pf.Picture(pf.Theme(set) + L"icons\\" + std::wstring(kPreviewIcons[i].name) + L".png", icon);
    }
    Bitmap darkTrash(64, 64);
    Canvas c(darkTrash);
    c.FillRoundedRect({4, 4, 56, 56}, 14, gfx::Color{30, 30, 30, 255});
    pf.Picture(pf.Theme(set) + L"icons\\Trash_Full_dark.png", darkTrash);
}

TEST(PreviewGolden, SkinPreviewWideAndSquare) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    AddIcons(pf, L"default");
    ThemeChoices choices(pf.store);
    ThemeFiles icons(pf.files, kBase, choices);

    Bitmap wide(340, 80);
    ASSERT_TRUE(DrawDockSkinPreview(wide, pf.store, icons, kDecoder, L"Glass", false));
    kestrana::testing::CheckGoldenImage("themes", "preview_skin_wide", wide);
    Bitmap square(120, 120);
    ASSERT_TRUE(DrawDockSkinPreview(square, pf.store, icons, kDecoder, L"Glass", true));
    kestrana::testing::CheckGoldenImage("themes", "preview_skin_square_dark", square);
}

TEST(PreviewGolden, DefaultPreviewIsTheBuiltInLook) {
    ProgramFolder pf;
    AddIcons(pf, L"Mono");
    pf.Config(u"[themes]\r\ndockicons=Mono\r\n");
    ThemeChoices choices(pf.store);
    ThemeFiles icons(pf.files, kBase, choices);
    for (const bool dark : {false, true}) {
        Bitmap b(340, 80);
        ASSERT_TRUE(DrawDockSkinPreview(b, pf.store, icons, kDecoder, L"default", dark));
        kestrana::testing::CheckGoldenImage("themes", dark ? "preview_default_dark" : "preview_default_light", b);
    }
}

TEST(Preview, MeetingInsetsPreviewAsIfTheEndInsetWereOneShorter) {
    const auto preview = [](std::u16string_view clip) {
        ProgramFolder pf;
        std::u16string numbers(clip);
        numbers += u"space_left=8\r\nspace_right=8\r\nspace_top=4\r\nspace_bottom=4\r\n";
        AddSkin(pf, L"Tight", numbers);
        // Every pixel of the bar different, so a one-pixel change of an inset shows.
        Bitmap bar(30, 24);
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 30; ++x) bar.Set(x, y, gfx::MakePixel(std::uint8_t(x * 8), std::uint8_t(y * 10), 128, 255));
        }
        pf.Picture(pf.Theme(L"Tight") + L"dockskin\\bar.png", bar);
        ThemeChoices choices(pf.store);
        ThemeFiles icons(pf.files, kBase, choices);
        Bitmap b(200, 60);
        EXPECT_TRUE(DrawDockSkinPreview(b, pf.store, icons, kDecoder, L"Tight", false));
        return testing::PngOf(b);
    };
    // The bar picture is 30 x 24.
    const auto met = preview(u"clip_left=12\r\nclip_right=18\r\nclip_top=4\r\nclip_bottom=20\r\n");
    const auto reduced = preview(u"clip_left=12\r\nclip_right=17\r\nclip_top=4\r\nclip_bottom=19\r\n");
    const auto untouched = preview(u"clip_left=12\r\nclip_right=16\r\nclip_top=4\r\nclip_bottom=18\r\n");
    EXPECT_EQ(met, reduced);
    EXPECT_NE(met, untouched) << "the comparison must be able to tell insets apart";
}

TEST(Preview, NothingWithoutABarPicture) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    pf.files.Remove(pf.Theme(L"Glass") + L"dockskin\\bar.png");
    ThemeChoices choices(pf.store);
    ThemeFiles icons(pf.files, kBase, choices);
    Bitmap b(100, 40);
    EXPECT_FALSE(DrawDockSkinPreview(b, pf.store, icons, kDecoder, L"Glass", false));
    EXPECT_FALSE(DrawDockSkinPreview(b, pf.store, icons, kDecoder, L"Missing", false));
    EXPECT_EQ(testing::PngOf(b), testing::PngOf(Bitmap(100, 40)));
}

TEST(PreviewLayoutTest, BarPlacementAndIconsBetweenTheSpaces) {
    const DockSkinSpacing spacing{12, 8, 20, 6, 2};
    for (const auto& [w, h] : {std::pair{680, 160}, std::pair{160, 160}, std::pair{90, 300}}) {
        const PreviewLayout l = LayoutPreview(w, h, spacing);
        const std::string what = std::to_string(w) + "x" + std::to_string(h);
        const RectF expectedBar = w == h ? RectF{0, float(h) / 4, float(w), float(h) / 2} : RectF{0, 0, float(w), float(h)};
        EXPECT_FLOAT_EQ(l.bar.y, expectedBar.y) << what;
        EXPECT_FLOAT_EQ(l.bar.height, expectedBar.height) << what;
        // The row stays between the spaces, in order, the separator between pad and trash.
        EXPECT_GE(l.icons.front().x, spacing.spaceLeft - 1e-3f) << what;
        EXPECT_LE(l.icons.back().Right(), l.bar.Right() - spacing.spaceRight + 1e-3f) << what;
        for (std::size_t i = 0; i < l.icons.size(); ++i) {
            EXPECT_GE(l.icons[i].y, l.bar.y + spacing.spaceTop - 1e-3f) << what;
            EXPECT_LE(l.icons[i].Bottom(), l.bar.Bottom() - spacing.spaceBottom + 1e-3f) << what;
            EXPECT_TRUE(i == 0 || l.icons[i - 1].Right() <= l.icons[i].x + 1e-3f) << what;
        }
        EXPECT_GT(l.separatorCentre, l.icons[kPreviewSeparatorBefore - 1].Right()) << what;
        EXPECT_LT(l.separatorCentre, l.icons[kPreviewSeparatorBefore].x) << what;
    }
    EXPECT_TRUE(LayoutPreview(30, 30, spacing).icons.front().Empty()) << "no room: no icons";
}

} // namespace
} // namespace kestrana::themes
