// The calendar skin: where it is read from, and the values as editors write them.
#include "themes/calendar_skin.h"

#include "themes_test_support.h"

namespace kestrana::themes {
namespace {

using testing::kBase;
using testing::ProgramFolder;

TEST(CalendarSkin, ColoursReadTheSameWrittenSignedOrUnsigned) {
    EXPECT_EQ(ParseSkinColour(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseSkinColour(L"4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseSkinColour(L" -16777216 "), 0xFF000000u);
    EXPECT_EQ(ParseSkinColour(L"4278190335"), ParseSkinColour(L"-16776961"));
    EXPECT_EQ(ParseSkinColour(L"16777215"), 0x00FFFFFFu); // white with alpha 0
    for (const wchar_t* bad : {L"", L"red", L"12px", L"4294967296", L"-2147483649", L"0x10"})
        EXPECT_EQ(ParseSkinColour(bad), 0u) << bad;
    EXPECT_EQ(SkinColour(0x80102030u), (gfx::Color{0x10, 0x20, 0x30, 0x80}));
    EXPECT_EQ(SkinAlignOf(1), SkinAlign::Centre);
    EXPECT_EQ(SkinAlignOf(2), SkinAlign::Right);
    EXPECT_EQ(SkinAlignOf(3), SkinAlign::Left);
    EXPECT_EQ(CalendarMonthKey(8), L"8\u6708");
    EXPECT_EQ(CalendarMonthKey(12), L"12\u6708");
    EXPECT_EQ(NightTwinPath(L"C:\\a.b\\page.png"), L"C:\\a.b\\page_dark.png");
    EXPECT_EQ(NightTwinPath(L"C:\\a.b\\page"), L"C:\\a.b\\page_dark");
}

TEST(CalendarSkin, TheSkinInForceComesFromConfigOrTheIconSet) {
    ProgramFolder folder;
    const std::wstring setFile = folder.Theme(L"mine") + L"icons\\config.ini";
    const std::wstring config = kBase + L"config.ini";
    folder.Text(setFile, u"[cal]\r\nenabled=1\r\nfilepath=page.png\r\nmfontsize=30\r\n");
    // No choice in config.ini and a set that carries a skin: the set's.
    EXPECT_EQ(CalendarSkinFile(folder.store, L"mine"), setFile);
    folder.Config(u"[cal]\r\nenabled=2\r\n");
    EXPECT_EQ(CalendarSkinFile(folder.store, L"mine"), setFile);
    // 1: the user's own, whatever the set carries; 0: the built-in look.
    folder.Config(u"[cal]\r\nenabled=1\r\n");
    EXPECT_EQ(CalendarSkinFile(folder.store, L"mine"), config);
    folder.Config(u"[cal]\r\nenabled=0\r\n");
    EXPECT_EQ(CalendarSkinFile(folder.store, L"mine"), std::nullopt);
    // A set without a skin file, and the default set: config.ini's section when enabled.
    folder.Config(u"[cal]\r\nenabled=2\r\n");
    EXPECT_EQ(CalendarSkinFile(folder.store, L"plain"), config);
    EXPECT_EQ(CalendarSkinFile(folder.store, L"default"), config);
    folder.Config(u"[normal]\r\n");
    EXPECT_EQ(CalendarSkinFile(folder.store, L"plain"), std::nullopt);
    EXPECT_EQ(ReadCalendarSkin(folder.store, L"default"), std::nullopt);
}

TEST(CalendarSkin, ValuesAsTheEditorWritesThem) {
    ProgramFolder folder;
    const std::wstring setFile = folder.Theme(L"mine") + L"icons\\config.ini";
    folder.Text(setFile, u"[cal]\r\nfilepath=pages\\page.png\r\nrotate=-7.5\r\n"
                         u"mfontname=Segoe UI\r\nmfontsize=30\r\nmfontcolor=-1\r\nmfontline=1\r\nmfontx=0\r\nmfonty=20\r\n"
                         u"dfontname= Arial \r\ndfontsize=120\r\ndfontcolor=4278190080\r\ndfontline=2\r\ndfontx=-10\r\ndfonty=70\r\n");
    const auto skin = ReadCalendarSkin(folder.store, L"mine");
    ASSERT_TRUE(skin);
    EXPECT_EQ(skin->picture, folder.Theme(L"mine") + L"icons\\pages\\page.png");
    EXPECT_FLOAT_EQ(skin->rotate, -7.5f);
    EXPECT_EQ(skin->month.font, L"Segoe UI");
    EXPECT_EQ(skin->month.colour, 0xFFFFFFFFu);
    EXPECT_EQ(skin->month.align, SkinAlign::Centre);
    EXPECT_EQ(skin->month.y, 20);
    EXPECT_EQ(skin->day.font, L"Arial");
    EXPECT_EQ(skin->day.size, 120);
    EXPECT_EQ(skin->day.colour, 0xFF000000u);
    EXPECT_EQ(skin->day.align, SkinAlign::Right);
    EXPECT_EQ(skin->day.x, -10);
    EXPECT_TRUE(skin->day.Draws());
    // A full picture path stays as written; a missing colour draws nothing.
    folder.Config(u"[cal]\r\nenabled=1\r\nfilepath=D:\\pics\\cal.png\r\ndfontsize=100\r\n");
    const auto own = ReadCalendarSkin(folder.store, L"mine");
    ASSERT_TRUE(own);
    EXPECT_EQ(own->picture, L"D:\\pics\\cal.png");
    EXPECT_FALSE(own->day.Draws());
}

} // namespace
} // namespace kestrana::themes
