// The dock skin: reading its file with the dark fallback, its numbers and their bounds,
// turning it for each dock edge, placing the running dot, the separator and the progress
// bar, and what a broken skin still draws.
#include "themes/builtin_dock_skin.h"
#include "themes/dock_skin.h"
#include "themes/skin_geometry.h"

#include "themes_test_support.h"

#include "fakes/png_builder.h"
#include "gfx/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace kestrana::themes {
namespace {

using gfx::Bitmap;
using gfx::Insets;
using gfx::RectF;
using testing::AddSkin;
using testing::kBase;
using testing::ProgramFolder;

const gfx::NativeImageDecoder kDecoder;

void ChooseSkin(ProgramFolder& pf, std::u16string_view name) {
    std::u16string text = u"[themes]\r\ndockskin=";
    text += name;
    text += u"\r\n";
    pf.Config(text);
}

void ExpectInsets(const Insets& actual, const Insets& expected, const std::string& what) {
    EXPECT_FLOAT_EQ(actual.left, expected.left) << what;
    EXPECT_FLOAT_EQ(actual.top, expected.top) << what;
    EXPECT_FLOAT_EQ(actual.right, expected.right) << what;
    EXPECT_FLOAT_EQ(actual.bottom, expected.bottom) << what;
}

TEST(DockSkinFile, DarkNamesFallBackToTheLightOnes) {
    ProgramFolder pf;
    const std::wstring folder = pf.Theme(L"Glass") + L"dockskin\\";
    pf.files.AddFile(folder + L"bg.png", "x");
    pf.files.AddFile(folder + L"run.png", "x");
    pf.files.AddFile(folder + L"run_night.png", "x");
    pf.files.AddFile(folder + L"line.png", "x");
    pf.Text(folder + L"config.ini", u"[config]\r\nbg=bg.png\r\nrun=run.png\r\nrun_dark=run_night.png\r\n"
                                    u"delimiter=line.png\r\ndelimiter_dark=gone.png\r\n"
                                    u"bg_dark=..\\..\\Other\\bg.png\r\nblur_mask=\\\\server\\share\\x.png\r\n");

    const auto light = ReadDockSkinFile(pf.store, L"Glass", false);
    ASSERT_TRUE(light);
    EXPECT_EQ(light->folder, folder);
    EXPECT_EQ(light->imagePaths[0], folder + L"bg.png");
    EXPECT_EQ(light->imagePaths[2], folder + L"run.png");
    EXPECT_EQ(light->imagePaths[1], L"") << "no picture for a key without a file name, or one that leaves the folder";

    const auto dark = ReadDockSkinFile(pf.store, L"Glass", true);
    ASSERT_TRUE(dark);
    EXPECT_EQ(dark->imagePaths[0], folder + L"bg.png") << "a dark name that leaves the folder is refused";
    for (const auto& path : dark->imagePaths) EXPECT_EQ(path.find(L"server"), std::wstring::npos);
    EXPECT_EQ(dark->imagePaths[2], folder + L"run_night.png");
    EXPECT_EQ(dark->imagePaths[3], folder + L"line.png") << "a named dark file that is missing";
}

TEST(DockSkinFile, NumbersAreReadAsFloatsAndHeldToSaneBounds) {
    ProgramFolder pf;
    AddSkin(pf, L"Odd", u"clip_left=22.5\r\nclip_top=abc\r\nclip_right=-4\r\nclip_bottom=7px\r\nlimclip_top=14\r\n"
            u"proclip_right=6.25\r\nspace_left=12.0\r\nspace_top=1e30\r\nspace_right=-3\r\nspace_bottom=8.75\r\n"
            u"runoffset=99999\r\n");
    const auto file = ReadDockSkinFile(pf.store, L"Odd", false);
    ASSERT_TRUE(file);
    ExpectInsets(file->clip, {22.5f, 0, -4, 7}, "clip");
    EXPECT_FLOAT_EQ(file->limClipTop, 14);
    EXPECT_FLOAT_EQ(file->limClipBottom, 0);
    EXPECT_FLOAT_EQ(file->proClipRight, 6.25f);
    EXPECT_FLOAT_EQ(file->spacing.spaceLeft, 12);
    EXPECT_FLOAT_EQ(file->spacing.spaceTop, 1000) << "a space beyond any screen is held back";
    EXPECT_FLOAT_EQ(file->spacing.spaceRight, 0);
    EXPECT_FLOAT_EQ(file->spacing.spaceBottom, 8.75f);
    EXPECT_EQ(file->spacing.runOffset, 1000);
}

TEST(DockSkinLoad, BuiltInLookWithoutAUsableSkin) {
    const DockSkinSpacing builtIn{70.1f, 0.1f, 70.1f, 0, 0};
    for (const char16_t* config : {u"", u"[themes]\r\ndockskin=\r\n", u"[themes]\r\ndockskin=default\r\n",
                                   u"[themes]\r\ndockskin=Gone\r\n", u"[themes]\r\ndockskin=..\\Glass\r\n"}) {
        ProgramFolder pf;
        AddSkin(pf, L"default");
        pf.Config(config);
        const DockSkin skin = DockSkin::Load(pf.store, kDecoder, {});
        const std::string what(config, config + std::char_traits<char16_t>::length(config));
        EXPECT_FALSE(skin.HasSkin()) << what;
        EXPECT_EQ(skin.Spacing(), builtIn) << what;
        EXPECT_TRUE(skin.HasPicture(SkinImage::Background)) << what;
        EXPECT_EQ(skin.Picture(SkinImage::Background).Width(), 64) << "the built-in bar, not the skin's 30 px one";
    }
}

// The shipped theme's skin file, as the build copies it, read through the same reader.
TEST(DockSkinFile, ShippedDefaultSkinFileReads) {
    std::ifstream in(std::string(KESTRANA_SOURCE_DIR) + "/assets/themes/default/dockskin/config.ini", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ProgramFolder pf;
    pf.files.AddFile(pf.Theme(L"default") + L"dockskin\\config.ini", std::move(bytes));
    const auto file = ReadDockSkinFile(pf.store, L"default", true);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->imagePaths[0], pf.Theme(L"default") + L"dockskin\\bg.png") << "the dark file is not there: the light name";
    // The built-in look draws with the same numbers as the shipped skin.
    ExpectInsets(file->clip, {kBuiltInClip, kBuiltInClip, kBuiltInClip, kBuiltInClip}, "clip");
    ExpectInsets({file->limClipTop, file->proClipLeft, file->limClipBottom, file->proClipRight},
                 {kBuiltInLimClip, kBuiltInProClip, kBuiltInLimClip, kBuiltInProClip}, "bar ends");
    EXPECT_EQ(file->spacing, (DockSkinSpacing{kBuiltInSpaceEnds, kBuiltInSpaceAcross, kBuiltInSpaceEnds, kBuiltInSpaceAcross, kBuiltInRunOffset}));
}

TEST(DockSkinLoad, SkinSpacingAndScaledPictures) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    ChooseSkin(pf, u"Glass");
    const DockSkin skin = DockSkin::Load(pf.store, kDecoder, {false, 1.5f, 2});
    ASSERT_TRUE(skin.HasSkin());
    EXPECT_EQ(skin.Spacing(), (DockSkinSpacing{12.5f, 6, 12.5f, 7.75f, 3})) << "spacing stays at 96 dpi";
    const Bitmap& bg = skin.Picture(SkinImage::Background);
    EXPECT_EQ(bg.Width(), 45);
    EXPECT_EQ(bg.Height(), 36);
    ExpectInsets(skin.PictureInsets(SkinImage::Background), {9, 6, 12, 15}, "insets follow the picture's scale");
    EXPECT_EQ(skin.Picture(SkinImage::Run).Width(), 18);
    ExpectInsets(skin.PictureInsets(SkinImage::ProgressFrame), {9, 0, 9, 0}, "progress ends");
}

TEST(DockSkinLoad, DarkAppearanceDrawsTheDarkBg) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    ChooseSkin(pf, u"Glass");
    pf.Picture(pf.Theme(L"Glass") + L"dockskin\\night.png", testing::SolidBitmap(30, 24, {0, 0, 0, 255}));
    pf.store.WriteString(L"config", L"bg_dark", L"night.png", pf.Theme(L"Glass") + L"dockskin\\config.ini");
    const DockSkin night = DockSkin::Load(pf.store, kDecoder, {true, 1, 2});
    EXPECT_EQ(night.Picture(SkinImage::Background).At(15, 12), gfx::MakePixel(0, 0, 0, 255));
}

// The insets handed to the drawing for each "screenposition", out-of-range values
// meaning the bottom edge.
TEST(DockSkinEdges, InsetsFollowTheScreenPosition) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass", u"clip_left=1\r\nclip_top=2\r\nclip_right=3\r\nclip_bottom=4\r\nproclip_left=6\r\n"
                          u"proclip_right=6\r\n");
    ChooseSkin(pf, u"Glass");
    struct Case {
        int position;
        Insets expected;
        bool vertical;
    };
    const Case cases[] = {{2, {1, 2, 3, 4}, false}, {1, {4, 1, 2, 3}, true},  {3, {2, 3, 4, 1}, true},
                          {4, {1, 4, 3, 2}, false}, {0, {1, 2, 3, 4}, false}, {5, {1, 2, 3, 4}, false}};
    for (const Case& c : cases) {
        const DockSkin skin = DockSkin::Load(pf.store, kDecoder, {false, 1, c.position});
        const std::string what = "screenposition " + std::to_string(c.position);
        ExpectInsets(skin.PictureInsets(SkinImage::Background), c.expected, what);
        ExpectInsets(skin.PictureInsets(SkinImage::BlurMask), c.expected, what);
        EXPECT_EQ(skin.Picture(SkinImage::Background).Width(), c.vertical ? 24 : 30) << what;
        // Progress bars lie under upright icons on every edge.
        ExpectInsets(skin.PictureInsets(SkinImage::ProgressFrame), {6, 0, 6, 0}, what);
        EXPECT_EQ(skin.Picture(SkinImage::ProgressFrame).Width(), 40) << what;
    }
}

TEST(UsableInsetsTest, CorrectsMeetingInsetsAndRefusesNonsense) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        Insets in;
        std::optional<Insets> expected;
    };
    const Case cases[] = {
        {{22, 10, 22, 10}, Insets{22, 10, 22, 10}},
        {{22, 0, 42, 0}, Insets{22, 0, 41, 0}},   // meet the width: right = 64 - 22 - 1
        {{0, 30, 0, 34}, Insets{0, 30, 0, 1}},    // cross the height of 32
        {{64, 0, 0, 0}, std::nullopt},            // one inset covers the picture
        {{-1, 0, 0, 0}, std::nullopt},
        {{0, nan, 0, 0}, std::nullopt},
        {{0, 0, std::numeric_limits<float>::infinity(), 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = UsableInsets(c.in, 64, 32);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.in.left << " " << c.in.top << " " << c.in.right;
        if (got) ExpectInsets(*got, *c.expected, "usable");
    }
    EXPECT_FALSE(UsableInsets({}, 0, 10));
}

// Where the parts go on each edge shows in the golden pictures; the scale is checked here.
TEST(DockSkinDrawing, RunIndicatorAndOffsetFollowTheScale) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass"); // a 12 px dot, runoffset 3
    ChooseSkin(pf, u"Glass");
    const DockSkin big = DockSkin::Load(pf.store, kDecoder, {false, 2, 2});
    const RectF r = big.RunIndicatorRect({0, 0, 300, 100}, {100, 10, 80, 80});
    ExpectInsets({r.x, r.y, r.width, r.height}, {140 - 12, 100 - 6 - 24, 24, 24}, "x, y, width and height");
}

bool IsFill(gfx::Pixel p) { return gfx::PixelB(p) > 200 && gfx::PixelR(p) < 60; }

TEST(DockSkinDrawing, ProgressFillReachesTheFraction) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    ChooseSkin(pf, u"Glass");
    DockSkin skin = DockSkin::Load(pf.store, kDecoder, {});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float fraction : {0.0f, 0.25f, 0.6f, 1.0f, 1.7f, -0.5f, nan}) {
        Bitmap frame(200, 12);
        gfx::Canvas canvas(frame);
        skin.DrawProgress(canvas, {0, 0, 200, 12}, fraction);
        const float f = std::isnan(fraction) ? 0.0f : std::clamp(fraction, 0.0f, 1.0f);
        for (int x = 0; x < 200; ++x) {
            const bool inside = float(x) + 0.5f < 200 * f;
            ASSERT_EQ(IsFill(frame.At(x, 6)), inside) << "fraction " << fraction << " x " << x;
        }
        EXPECT_NE(gfx::PixelA(frame.At(199, 6)), 0) << "the frame spans the whole bar";
    }
}

TEST(DockSkinDrawing, BlurMaskShapesTheBackdrop) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass");
    ChooseSkin(pf, u"Glass");
    DockSkin skin = DockSkin::Load(pf.store, kDecoder, {});
    Bitmap mask(80, 40);
    gfx::Canvas maskCanvas(mask);
    skin.DrawBlurMask(maskCanvas, {10, 5, 60, 30});
    Bitmap backdrop = testing::SolidBitmap(80, 40, {100, 150, 200, 255});
    MaskByAlpha(backdrop, mask);
    EXPECT_EQ(backdrop.At(2, 2), 0u) << "outside the bar nothing of the backdrop shows";
    EXPECT_EQ(gfx::PixelA(backdrop.At(12, 7)), 255);
    // The middle of the mask picture is 160/255 opaque: so is the backdrop there.
    EXPECT_NEAR(gfx::PixelA(backdrop.At(40, 12)), 160, 1);
    EXPECT_NEAR(gfx::PixelB(backdrop.At(40, 12)), 200 * 160 / 255, 1);
}

// Each kind of broken picture leaves only its own drawing out.
TEST(DockSkinBadInput, BrokenPicturesLeaveOnlyTheirPartUndrawn) {
    std::vector<std::uint8_t> truncated = testing::PngOf(testing::NineRegionPicture(30, 24, 6, 4, 8, 10));
    truncated.resize(truncated.size() / 2);
    struct Case {
        const char* what;
        std::optional<std::vector<std::uint8_t>> bytes; // nothing: the file is missing
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt},
        {"truncated", truncated},
        {"huge", kestrana::testing::RgbaPngFile(16384, 16384, kestrana::testing::Deflate({}))}, // no pixel data at all
        {"not a picture", std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 1, 2}},
        {"empty", std::vector<std::uint8_t>{}},
    };
    for (const Case& c : cases) {
        ProgramFolder pf;
        AddSkin(pf, L"Glass");
        ChooseSkin(pf, u"Glass");
        const std::wstring bar = pf.Theme(L"Glass") + L"dockskin\\bar.png";
        pf.files.Remove(bar);
        if (c.bytes) pf.files.AddFile(bar, *c.bytes);
        DockSkin skin = DockSkin::Load(pf.store, kDecoder, {});
        EXPECT_TRUE(skin.HasSkin()) << c.what;
        EXPECT_FALSE(skin.HasPicture(SkinImage::Background)) << c.what;
        for (const SkinImage other : {SkinImage::BlurMask, SkinImage::Run, SkinImage::Delimiter,
                                      SkinImage::ProgressFrame, SkinImage::ProgressFill}) {
            EXPECT_TRUE(skin.HasPicture(other)) << c.what << " " << int(other);
        }
        EXPECT_EQ(skin.Spacing().runOffset, 3) << c.what;
        Bitmap frame(120, 40);
        gfx::Canvas canvas(frame);
        skin.DrawBackground(canvas, {0, 0, 120, 40});
        EXPECT_EQ(testing::PngOf(frame), testing::PngOf(Bitmap(120, 40))) << c.what << ": nothing drawn";
        skin.DrawRunIndicator(canvas, {0, 0, 120, 40}, {40, 0, 40, 40});
        EXPECT_NE(gfx::PixelA(frame.At(60, 31)), 0) << c.what << ": the rest still draws";
    }
}

TEST(DockSkinBadInput, GarbageInsetsLeaveTheNineGridUndrawn) {
    ProgramFolder pf;
    AddSkin(pf, L"Glass", u"clip_left=-5\r\nclip_top=4\r\nlimclip_top=30\r\nproclip_left=abc\r\nrunoffset=x\r\n");
    ChooseSkin(pf, u"Glass");
    const DockSkin skin = DockSkin::Load(pf.store, kDecoder, {});
    EXPECT_FALSE(skin.HasPicture(SkinImage::Background)) << "a negative inset";
    EXPECT_FALSE(skin.HasPicture(SkinImage::BlurMask)) << "shares the bar's insets";
    EXPECT_FALSE(skin.HasPicture(SkinImage::Delimiter)) << "an inset as long as the picture";
    EXPECT_TRUE(skin.HasPicture(SkinImage::ProgressFrame)) << "no number reads as 0, a plain stretch";
    EXPECT_TRUE(skin.HasPicture(SkinImage::Run));
    EXPECT_EQ(skin.Spacing().runOffset, 0);
}

} // namespace
} // namespace kestrana::themes
