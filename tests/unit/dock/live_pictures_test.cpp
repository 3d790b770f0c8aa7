// The live clock and calendar pictures.
#include "dock/live_pictures.h"

#include "fakes/golden_image.h"
#include "gfx/builtin_text_renderer.h"
#include "gfx/canvas.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrana::dock {
namespace {

// A face with a dot at twelve, and hands as bars pointing up from the centre.
ClockSkinPictures TestSkin() {
    ClockSkinPictures skin;
    skin.face = gfx::Bitmap(64, 64);
    gfx::Canvas face(skin.face);
    face.FillRoundedRect({2, 2, 60, 60}, 30, gfx::Color{240, 240, 240, 255});
    face.FillRoundedRect({30, 4, 4, 4}, 2, gfx::Color{0, 0, 0, 255});
    auto hand = [](float length, float width, gfx::Color colour) {
        gfx::Bitmap b(64, 64);
        gfx::Canvas c(b);
        c.FillRect({32 - width / 2, 32 - length, width, length}, colour);
        return b;
    };
    skin.hour = hand(16, 4, {20, 20, 20, 255});
    skin.minute = hand(26, 2, {20, 20, 20, 255});
    skin.second = hand(28, 2, {220, 30, 30, 255});
    return skin;
}

// The colour under a point at `degrees` clockwise from twelve, `radius` from the centre.
gfx::Pixel At(const gfx::Bitmap& b, float degrees, float radius) {
    const float a = degrees * 3.14159265f / 180.0f;
    const int x = static_cast<int>(32 + radius * std::sin(a));
    const int y = static_cast<int>(32 - radius * std::cos(a));
    return b.At(x, y);
}
bool Dark(gfx::Pixel p) { return gfx::PixelR(p) < 100 && gfx::PixelA(p) > 200; }

TEST(LivePictures, ClockHandsPointAtTheTime) {
    const ClockSkinPictures skin = TestSkin();
    // 3:00 - the minute hand at twelve, the hour hand at three.
    gfx::Bitmap three = DrawClockPicture(skin, 15, 0, 0, false, 64);
    EXPECT_TRUE(Dark(At(three, 0, 20)));
    EXPECT_TRUE(Dark(At(three, 90, 12)));
    EXPECT_FALSE(Dark(At(three, 180, 12)));
    // 9:30 - the minute hand at six, the hour hand halfway between nine and ten.
    gfx::Bitmap half = DrawClockPicture(skin, 9, 30, 0, false, 64);
    EXPECT_TRUE(Dark(At(half, 180, 20)));
    EXPECT_TRUE(Dark(At(half, 285, 12)));
    EXPECT_FALSE(Dark(At(half, 0, 20)));
    // Seconds only when asked for.
    gfx::Bitmap withSeconds = DrawClockPicture(skin, 12, 0, 15, true, 64);
    const gfx::Pixel second = At(withSeconds, 90, 24);
    EXPECT_GT(int(gfx::PixelR(second)) - int(gfx::PixelG(second)), 50);
    const gfx::Pixel none = At(DrawClockPicture(skin, 12, 0, 15, false, 64), 90, 24);
    EXPECT_LT(int(gfx::PixelR(none)) - int(gfx::PixelG(none)), 10);
}

TEST(LivePictures, ClockHandAngles) {
    ClockHands hands;
    hands.Tick(3, 30, 0);
    EXPECT_FLOAT_EQ(hands.hour, 105);
    EXPECT_FLOAT_EQ(hands.minute, 180);
    struct Case {
        int h, m, s;
        float hour, minute;
    };
    for (const Case& c : {Case{14, 30, 0, 75, 180}, Case{23, 59, 0, 359.5f, 354}, Case{12, 0, 0, 0, 0},
                          Case{0, 0, 59, 0, 5.9f}}) {
        ClockHands first;
        first.Tick(c.h, c.m, c.s);
        EXPECT_FLOAT_EQ(first.hour, c.hour) << c.h << ":" << c.m;
        EXPECT_FLOAT_EQ(first.minute, c.minute) << c.h << ":" << c.m;
    }
    // First drawn at 10:07:30: the minute hand waits for the full minute; the second hand moves.
    ClockHands ticking;
    ticking.Tick(10, 7, 30);
    EXPECT_FLOAT_EQ(ticking.minute, 45);
    ticking.Tick(10, 7, 45);
    EXPECT_FLOAT_EQ(ticking.minute, 45);
    EXPECT_FLOAT_EQ(ticking.second, 270);
    ticking.Tick(10, 8, 0);
    EXPECT_FLOAT_EQ(ticking.minute, 48);
    EXPECT_FLOAT_EQ(ticking.hour, 304);
    // A tick that missed the full minute still moves them.
    ticking.Tick(10, 9, 1);
    EXPECT_FLOAT_EQ(ticking.minute, 54.1f);
    // Drawn from the angles, the hands show them.
    const gfx::Bitmap drawn = DrawClockPicture(TestSkin(), ticking, false, 64);
    EXPECT_TRUE(Dark(At(drawn, 54, 20)));
    EXPECT_TRUE(Dark(At(drawn, 304, 12)));
}

TEST(LivePictures, HandsAwayFromTheCentreOrAtTheEdgeTurnAboutTheCentre) {
    // Hands drawn only near their tips, one reaching the picture's top edge: whatever part
    // of the square is clear, the hand turns about the square's centre, at every size.
    ClockSkinPictures skin = TestSkin();
    skin.hour = gfx::Bitmap(64, 64);
    gfx::Canvas(skin.hour).FillRect({30, 12, 4, 6}, gfx::Color{20, 20, 20, 255});
    skin.minute = gfx::Bitmap(64, 64);
    gfx::Canvas(skin.minute).FillRect({30, 0, 4, 6}, gfx::Color{20, 20, 20, 255});
    for (const int size : {64, 128, 30}) {
        const gfx::Bitmap clock = DrawClockPicture(skin, 3, 45, 0, false, size);
        const float k = float(size) / 64;
        const auto at = [&](float degrees, float radius) {
            const float a = degrees * 3.14159265f / 180.0f;
            return clock.At(int(float(size) / 2 + radius * k * std::sin(a)), int(float(size) / 2 - radius * k * std::cos(a)));
        };
        // 3:45: the hour hand just short of four (112.5 degrees), the minute hand at nine.
        EXPECT_TRUE(Dark(at(112.5f, 17))) << size;
        EXPECT_TRUE(Dark(at(270, 28))) << size;
        EXPECT_FALSE(Dark(at(0, 17))) << size;
        EXPECT_FALSE(Dark(at(270, 12))) << size; // the minute hand has no stem
    }
}

TEST(LivePictures, CalendarPageCarriesTheMonthAndTheDay) {
    gfx::Bitmap page(64, 64);
    gfx::Canvas canvas(page);
    canvas.FillRect({0, 0, 64, 64}, gfx::Color{250, 250, 250, 255});
    canvas.FillRect({0, 0, 64, 18}, gfx::Color{230, 60, 50, 255});
    gfx::BuiltinTextRenderer text;
    const gfx::Bitmap picture = DrawCalendarPicture(page, text, L"DEC", 25, 128);
    testing::CheckGoldenImage("dock", "calendar_dec_25", picture);
    // A different day draws differently; an empty page still carries the text.
    const gfx::Bitmap other = DrawCalendarPicture(page, text, L"DEC", 24, 128);
    int differing = 0;
    for (int i = 0; i < 128 * 128; ++i) differing += other.Pixels()[i] != picture.Pixels()[i];
    EXPECT_GT(differing, 10);
    const gfx::Bitmap blank = DrawCalendarPicture(gfx::Bitmap(), text, L"DEC", 25, 64);
    int inked = 0;
    for (gfx::Pixel p : blank.Pixels()) inked += gfx::PixelA(p) > 0;
    EXPECT_GT(inked, 20);
    // A dark page (the night picture) carries a light number: the body is light where the
    // day is written, and dark beside it.
    canvas.FillRect({0, 18, 64, 46}, gfx::Color{40, 42, 48, 255});
    const gfx::Bitmap night = DrawCalendarPicture(page, text, L"DEC", 25, 128);
    int lit = 0;
    for (int y = 128 * 45 / 100; y < 128 * 70 / 100; ++y)
        for (int x = 40; x < 88; ++x) lit += gfx::PixelG(night.At(x, y)) > 180;
    EXPECT_GT(lit, 40);
}

TEST(LivePictures, TheBatteryItemShowsTheSummedBatteries) {
    platform::PowerReading reading;
    EXPECT_FALSE(BatteryLevelOf(platform::SumBatteries(reading)).present) << "no battery at all";
    reading.percent = 255; // a battery whose charge the system does not know
    reading.batteries.push_back({});
    EXPECT_FALSE(BatteryLevelOf(platform::SumBatteries(reading)).present);

    // Two batteries: the item shows the capacities added, charging when either charges.
    reading.batteries = {{50000, 10000, false, 0}, {30000, 30000, true, 0}};
    const BatteryLevel two = BatteryLevelOf(platform::SumBatteries(reading));
    EXPECT_TRUE(two.present);
    EXPECT_EQ(two.percent, 50);
    EXPECT_TRUE(two.charging);

    // A driver that claims more than it holds is drawn full, never past the body.
    reading.batteries = {{40000, 90000, false, 0}};
    EXPECT_EQ(BatteryLevelOf(platform::SumBatteries(reading)).percent, 100);
    reading.batteries = {{0, 0, false, 0}};
    reading.percent = 180;
    EXPECT_EQ(BatteryLevelOf(platform::SumBatteries(reading)).percent, 100);
}

// Colours sampled on the 256-unit layout: inside the body's left end, and near its right end.
gfx::Color Sample(const gfx::Bitmap& b, int x, int y) { return gfx::Unpremultiply(b.At(x, y)); }
bool Reddish(gfx::Color c) { return c.r > 200 && c.g < 100; }
bool Greenish(gfx::Color c) { return c.g > 150 && c.r < 100; }
bool Inked(gfx::Color c) { return c.r < 100 && c.g < 100 && c.a > 200; }

TEST(LivePictures, BatteryFillFollowsTheChargeAndWarnsWhenLow) {
    gfx::BuiltinTextRenderer text;
    const gfx::Bitmap half = DrawBatteryPicture({true, 50, false}, text, false, 256);
    EXPECT_TRUE(Inked(Sample(half, 70, 120)));
    EXPECT_FALSE(Inked(Sample(half, 170, 120)));
    const gfx::Bitmap full = DrawBatteryPicture({true, 100, false}, text, false, 256);
    EXPECT_TRUE(Inked(Sample(full, 170, 120)));

    EXPECT_TRUE(Reddish(Sample(DrawBatteryPicture({true, 20, false}, text, false, 256), 56, 120)));
    EXPECT_FALSE(Reddish(Sample(DrawBatteryPicture({true, 21, false}, text, false, 256), 56, 120)));
    // Charging is never a warning, however low; the bolt crosses the body.
    const gfx::Bitmap charging = DrawBatteryPicture({true, 10, true}, text, false, 256);
    EXPECT_TRUE(Greenish(Sample(charging, 56, 120)));
    const gfx::Color bolt = Sample(charging, 127, 120);
    EXPECT_GT(bolt.r, 200);
    EXPECT_GT(bolt.b, 200);

    // No battery: no fill and no percentage.
    const gfx::Bitmap none = DrawBatteryPicture({}, text, false, 256);
    EXPECT_FALSE(Inked(Sample(none, 70, 120)));
    const gfx::Bitmap zero = DrawBatteryPicture({true, 0, false}, text, false, 256);
    int textInk = 0, noneInk = 0;
    for (int y = 170; y < 230; ++y)
        for (int x = 96; x < 216; ++x) {
            textInk += Inked(Sample(zero, x, y));
            noneInk += Inked(Sample(none, x, y));
        }
    EXPECT_GT(textInk, 50);
    EXPECT_LT(noneInk, textInk / 4);
    // The dark tile carries light ink.
    EXPECT_GT(Sample(DrawBatteryPicture({true, 100, false}, text, true, 256), 170, 120).r, 200);
}

// Where the skin's red ink lies: the mean position of its pixels, and how many there are.
struct Ink {
    float x = 0, y = 0;
    int count = 0;
};
Ink RedInk(const gfx::Bitmap& b) {
    Ink ink;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const gfx::Color c = gfx::Unpremultiply(b.At(x, y));
            if (c.a < 128 || c.r < 150 || c.g > 80) continue;
            ink.x += float(x);
            ink.y += float(y);
            ++ink.count;
        }
    if (ink.count) {
        ink.x /= float(ink.count);
        ink.y /= float(ink.count);
    }
    return ink;
}

TEST(LivePictures, SkinnedCalendarPlacesAlignsAndTurnsItsTexts) {
    gfx::BuiltinTextRenderer text;
    gfx::Bitmap page(32, 32);
    page.Fill(gfx::MakePixel(250, 250, 250, 255));
    themes::CalendarSkin skin;
    skin.day = {L"", 60, 0xFFE00000u, themes::SkinAlign::Left, 0, 20};
    const Ink left = RedInk(DrawSkinnedCalendar(page, skin, text, L"", 7, 128));
    ASSERT_GT(left.count, 20);
    EXPECT_LT(left.x, 32); // the box's left edge, at half scale
    EXPECT_LT(left.y, 40);
    skin.day.align = themes::SkinAlign::Right;
    EXPECT_GT(RedInk(DrawSkinnedCalendar(page, skin, text, L"", 7, 128)).x, 96);
    skin.day.align = themes::SkinAlign::Centre;
    const Ink centred = RedInk(DrawSkinnedCalendar(page, skin, text, L"", 7, 128));
    EXPECT_NEAR(centred.x, 64, 6);
    // Half a turn about the centre puts the day into the lower half.
    skin.rotate = 180;
    const Ink turned = RedInk(DrawSkinnedCalendar(page, skin, text, L"", 7, 128));
    EXPECT_NEAR(turned.x, 128 - centred.x, 6);
    EXPECT_NEAR(turned.y, 128 - centred.y, 6);
    // The month is its own line; a colour without alpha, a zero size or no colour draws nothing.
    skin.rotate = 0;
    skin.month = {L"", 30, 0xFFE00000u, themes::SkinAlign::Left, 0, 180};
    EXPECT_GT(RedInk(DrawSkinnedCalendar(page, skin, text, L"Aug", 7, 128)).y, centred.y + 10);
    skin.month.colour = 0x00E00000u;
    skin.day.size = 0;
    EXPECT_EQ(RedInk(DrawSkinnedCalendar(page, skin, text, L"Aug", 7, 128)).count, 0);
}

TEST(LivePictures, DigitalClockLaysItsTextsOverTheFace) {
    gfx::BuiltinTextRenderer text;
    gfx::Bitmap face(64, 64);
    face.Fill(gfx::MakePixel(20, 20, 20, 255));
    const ClockTextLine hour{{L"", 80, 0xFFE00000u, themes::SkinAlign::Centre, 0, 20}, L"10"};
    const ClockTextLine minute{{L"", 80, 0xFFE00000u, themes::SkinAlign::Centre, 0, 140}, L"07"};
    const ClockTextLine both[] = {hour, minute};
    const Ink top = RedInk(DrawDigitalClock(face, std::span(both, 1), text, 128));
    const Ink two = RedInk(DrawDigitalClock(face, both, text, 128));
    ASSERT_GT(top.count, 20);
    EXPECT_NEAR(top.x, 64, 8);
    EXPECT_LT(top.y, 50);
    EXPECT_GT(two.count, top.count + 20);
    EXPECT_GT(two.y, top.y + 10);
    // The face stays under the texts.
    EXPECT_EQ(gfx::PixelG(DrawDigitalClock(face, both, text, 128).At(2, 2)), 20);
}

} // namespace
} // namespace kestrana::dock
