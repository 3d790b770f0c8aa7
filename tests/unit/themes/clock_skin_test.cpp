// The clock skin: which file, which picture by day and by night, and a digital skin's texts.
#include "themes/clock_skin.h"

#include "themes_test_support.h"

namespace kestrana::themes {
namespace {

using testing::ProgramFolder;

struct ClockFolders : ProgramFolder {
    std::wstring Clock(const std::wstring& theme) const { return Theme(theme) + L"clock\\"; }
    void Skin(const std::wstring& theme, std::u16string_view text) { Text(Clock(theme) + L"config.ini", text); }
    void File(const std::wstring& path) { files.AddFile(path, std::vector<std::uint8_t>{1, 2, 3}); }
};

TEST(ClockSkin, PicturesByDayAndNightWithTheDefaultThemeBehind) {
    ClockFolders folder;
    // Neither the theme nor the default has a skin: nothing, and hands.
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", false, ClockPart::Face), L"");
    EXPECT_EQ(ReadClockType(folder.store, L"mine"), ClockType::Hands);

    folder.Skin(L"default", u"[config]\r\nbg=bg.png\r\nbg_dark=bg_dark.png\r\nhour=hour.png\r\n");
    for (const wchar_t* name : {L"bg.png", L"bg_dark.png", L"hour.png"}) folder.File(folder.Clock(L"default") + name);
    // A theme without a skin borrows the default's.
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", true, ClockPart::Face), folder.Clock(L"default") + L"bg_dark.png");

    folder.Skin(L"mine", u"[config]\r\ntype=0\r\nbg=face.png\r\nbg_dark=face_night.png\r\nhour=h.png\r\nhour_dark=\r\n"
                         u"minute=..\\..\\x.png\r\npreview=preview.png\r\npreview_dark=never.png\r\nsecond=hour.png\r\n");
    for (const wchar_t* name : {L"face.png", L"face_night.png", L"h.png", L"preview.png"}) folder.File(folder.Clock(L"mine") + name);
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", false, ClockPart::Face), folder.Clock(L"mine") + L"face.png");
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", true, ClockPart::Face), folder.Clock(L"mine") + L"face_night.png");
    // An empty night picture falls back to the day's; the preview has no night twin.
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", true, ClockPart::Hour), folder.Clock(L"mine") + L"h.png");
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", true, ClockPart::Preview), folder.Clock(L"mine") + L"preview.png");
    // A picture the theme lacks comes from the default's clock; a name leaving the folder is refused.
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", false, ClockPart::Second), folder.Clock(L"default") + L"hour.png");
    EXPECT_EQ(ClockImagePath(folder.store, L"mine", false, ClockPart::Minute), L"");
    // A theme name that is no name falls back to the default.
    EXPECT_EQ(ClockSkinFile(folder.store, L"..\\mine"), folder.Clock(L"default") + L"config.ini");
}

TEST(ClockSkin, DigitalSkinTexts) {
    ClockFolders folder;
    folder.Skin(L"digits", u"[config]\r\ntype=1\r\nbg=bg.png\r\n"
                           u"[hour]\r\nformat=HH\r\nfont_name=Segoe UI\r\nfont_size=90\r\nfont_color=-16777216\r\n"
                           u"font_align=1\r\nposition_x=0\r\nposition_y=40\r\n"
                           u"[minute]\r\nformat=mm\r\nfont_size=90\r\nfont_color=4294901760\r\nfont_align=3\r\n"
                           u"[second]\r\nfont_size=40\r\nfont_color=-1\r\n");
    EXPECT_EQ(ReadClockType(folder.store, L"digits"), ClockType::Digits);
    const ClockText hour = ReadClockText(folder.store, L"digits", ClockTextPart::Hour);
    EXPECT_EQ(hour.format, L"HH");
    EXPECT_EQ(hour.look.font, L"Segoe UI");
    EXPECT_EQ(hour.look.colour, 0xFF000000u);
    EXPECT_EQ(hour.look.align, SkinAlign::Centre);
    EXPECT_EQ(hour.look.y, 40);
    EXPECT_TRUE(hour.Draws());
    const ClockText minute = ReadClockText(folder.store, L"digits", ClockTextPart::Minute);
    EXPECT_EQ(minute.look.colour, 0xFFFF0000u);
    EXPECT_EQ(minute.look.align, SkinAlign::Left);
    // No format: the seconds are not drawn.
    EXPECT_FALSE(ReadClockText(folder.store, L"digits", ClockTextPart::Second).Draws());
}

} // namespace
} // namespace kestrana::themes
