// Lyrics hosting: which windows are a player's lyrics, the players' numbers in section
// "Lyrics" and their defaults, and where a lyrics window lands in the bar.
#include "menubar/lyrics_hosting.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

TEST(LyricsWindows, MatchByClassAndWhereNeededByTitle) {
    const struct {
        const wchar_t* windowClass;
        const wchar_t* title;
        const wchar_t* player; // null: not a lyrics window
    } cases[] = {
        {L"kugou_ui", L"", L"kugou"},
        {L"TXGuiFoundation", L"anything", L"qqmusic"},
        {L"DesktopLyrics", L"", L"cloudmusic"},
        {L"KwDeskLyricWnd", L"", L"KwDeskLyricWnd"},
        {L"HwndWrapper[HotLyric.Win32;;9c4d7d38-1a2b]", L"", L"HotLyric"},
        {L"WinUIDesktopWin32WindowClass", L"HotLyric", L"HotLyric"},
        {L"WinUIDesktopWin32WindowClass", L"Settings", nullptr},
        {L"HwndWrapper[Lyricify.exe;;0b1c]", L"", L"Lyricify"},
        {L"HwndWrapper[Lyricify for Spotify;;77aa]", L"", L"Lyricify for Spotify"},
        {L"CometLyricsWindow", L"", L"CometLyricsWindow"},
        {L"uie_eslyric_desktop_wnd_class", L"", L"uie_eslyric_desktop_wnd_class"},
        {L"Chrome_WidgetWin_1", L"Listen1", L"Listen1"},
        {L"Chrome_WidgetWin_1", L"Some page - Browser", nullptr},
        {L"Chrome_WidgetWin_0", L"Music Free", L"Music Free"},
        {L"Chrome_WidgetWin_0", L"Listen1", nullptr},
        // Exact classes are not prefixes, and case counts as the system reports it.
        {L"kugou_ui2", L"", nullptr},
        {L"desktoplyrics", L"", nullptr},
        {L"HwndWrapper[HotLyric", L"", nullptr},
        {L"", L"HotLyric", nullptr},
    };
    for (const auto& c : cases) {
        const auto player = LyricsPlayerOf(c.windowClass, c.title);
        if (c.player) {
            ASSERT_TRUE(player.has_value()) << c.windowClass;
            EXPECT_EQ(*player, c.player) << c.windowClass;
        } else {
            EXPECT_FALSE(player.has_value()) << c.windowClass << " / " << c.title;
        }
    }
}

TEST(LyricsNumbers, DefaultsAreWrittenOnlyWhenHotLyricIsAbsent) {
    fakes::SettingsFolder folder;
    folder.Config(u"[Lyrics]\r\nkugou=1|1\r\n");
    WriteLyricsDefaults(folder.store);
    EXPECT_EQ(folder.store.ReadString(L"Lyrics", L"HotLyric"), L"36|15");
    EXPECT_EQ(folder.store.ReadString(L"Lyrics", L"kugou"), L"32|10");
    EXPECT_EQ(folder.store.ReadString(L"Lyrics", L"qqmusic"), L"36|2");
    EXPECT_EQ(folder.store.ReadString(L"Lyrics", L"cloudmusic"), L"53|15");

    // The user's own numbers stay once HotLyric is there.
    folder.store.WriteString(L"Lyrics", L"kugou", L"40|0");
    WriteLyricsDefaults(folder.store);
    EXPECT_EQ(folder.store.ReadString(L"Lyrics", L"kugou"), L"40|0");
    EXPECT_EQ(LyricsInsetOf(folder.store, L"kugou"), (LyricsInset{40, 0}));
    EXPECT_FALSE(LyricsInsetOf(folder.store, L"Listen1").has_value());
}

TEST(LyricsNumbers, ParsesTwoSmallNumbersAroundABar) {
    EXPECT_EQ(ParseLyricsInset(L"36|15"), (LyricsInset{36, 15}));
    EXPECT_EQ(ParseLyricsInset(L"0|1000"), (LyricsInset{0, 1000}));
    for (const wchar_t* bad : {L"", L"36", L"36|", L"|15", L"36|15|2", L"-3|4", L"3|x", L"1001|0", L" 36|15",
                               L"99999999999|1"})
        EXPECT_FALSE(ParseLyricsInset(bad).has_value()) << bad;
}

TEST(LyricsPlacement, CentredInTheFreeMiddleAndShiftedByTheNumbers) {
    // Scale 1: the window's 15 left pixels and 36 top pixels are cut off.
    auto place = PlaceLyrics(300, 900, 24, 415, {36, 15}, 1.0f);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->host, (gfx::RectI{400, 0, 400, 24}));
    EXPECT_EQ(place->windowX, -15);
    EXPECT_EQ(place->windowY, -36);

    // Scale 1.5: the numbers scale, a wide window is cut to the free middle.
    place = PlaceLyrics(300, 900, 36, 2000, {53, 15}, 1.5f);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->host, (gfx::RectI{300, 0, 600, 36}));
    EXPECT_EQ(place->windowX, -22);
    EXPECT_EQ(place->windowY, -79);

    // Every fit stays inside the free middle.
    for (int width = 1; width < 1400; width += 37)
        for (int freeRight : {360, 500, 901}) {
            const auto p = PlaceLyrics(300, freeRight, 24, width, {36, 15}, 1.25f);
            if (!p) continue;
            EXPECT_GE(p->host.x, 300);
            EXPECT_LE(p->host.Right(), freeRight);
            EXPECT_GT(p->host.width, 0);
        }

    EXPECT_FALSE(PlaceLyrics(300, 359, 24, 400, {36, 15}, 1.0f).has_value()) << "too narrow a middle";
    EXPECT_FALSE(PlaceLyrics(900, 300, 24, 400, {36, 15}, 1.0f).has_value()) << "titles past the items";
    EXPECT_FALSE(PlaceLyrics(300, 900, 24, 15, {36, 15}, 1.0f).has_value()) << "nothing left of the window";
    EXPECT_FALSE(PlaceLyrics(300, 900, 0, 400, {36, 15}, 1.0f).has_value());
}

// The player's letters cover by how far they stand from the backdrop, whatever its colour.
TEST(LyricsColour, LettersCoverByTheirDistanceFromTheBackdrop) {
    const gfx::Pixel green = gfx::MakePixel(0, 200, 0, 0); // a GDI picture: no alpha
    gfx::Bitmap line(10, 4);
    line.Fill(green);
    line.Set(2, 1, gfx::MakePixel(0, 0, 0, 0));       // a black letter
    line.Set(3, 1, gfx::MakePixel(0, 100, 0, 0));     // its softened edge
    line.Set(4, 2, gfx::MakePixel(255, 200, 0, 255)); // red light added to the backdrop
    const gfx::Bitmap mask = LyricsCoverage(line);
    ASSERT_EQ(mask.Width(), 10);
    ASSERT_EQ(mask.Height(), 4);
    EXPECT_EQ(gfx::PixelA(mask.At(0, 0)), 0);
    EXPECT_EQ(gfx::PixelA(mask.At(9, 3)), 0);
    EXPECT_EQ(gfx::PixelA(mask.At(2, 1)), 200);
    EXPECT_EQ(gfx::PixelA(mask.At(3, 1)), 100);
    EXPECT_EQ(gfx::PixelA(mask.At(4, 2)), 255);

    // A transparent layered backdrop with light letters: the letters cover, the dark
    // outline around them (close to the backdrop's black) hardly does.
    gfx::Bitmap layered(6, 2);
    layered.Fill(0);
    layered.Set(1, 0, gfx::MakePixel(250, 250, 250, 255));
    layered.Set(2, 0, gfx::MakePixel(10, 10, 10, 255));
    const gfx::Bitmap lit = LyricsCoverage(layered);
    EXPECT_EQ(gfx::PixelA(lit.At(1, 0)), 250);
    EXPECT_EQ(gfx::PixelA(lit.At(2, 0)), 10);
    EXPECT_EQ(gfx::PixelA(lit.At(5, 1)), 0);

    EXPECT_TRUE(LyricsCoverage(gfx::Bitmap{}).Empty());
}

} // namespace
} // namespace kestrana::menubar
