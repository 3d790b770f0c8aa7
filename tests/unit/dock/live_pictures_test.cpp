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
}

} // namespace
} // namespace kestrana::dock
