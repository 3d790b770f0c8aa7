// A status item's face width and its tip: lines, place under the item, picture.
#include "menubar/status_source.h"
#include "menubar/status_tip.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

TEST(StatusFace, WidthGrowsWithTheTextAndVanishesWhenHidden) {
    StatusFace face;
    face.glyph = Glyph::Battery;
    for (float scale : {1.0f, 1.25f, 2.0f}) {
        const int glyphOnly = FaceWidth(face, 0, scale);
        EXPECT_EQ(glyphOnly, static_cast<int>(34 * scale));
        face.text = L"80%";
        EXPECT_GT(FaceWidth(face, 30, scale), glyphOnly + 30);
        face.text.clear();
        EXPECT_EQ(FaceWidth(face, 30, scale), glyphOnly); // a stale width without text adds nothing
    }
    StatusFace text;
    text.text = L"abc";
    EXPECT_GT(FaceWidth(text, 20, 1.0f), 20);
    face.shown = text.shown = false;
    EXPECT_EQ(FaceWidth(face, 30, 1.0f), 0);
    EXPECT_EQ(FaceWidth(text, 20, 1.0f), 0);
}

TEST(StatusTip, LinesTimesAndPlaces) {
    EXPECT_EQ(TipLines(L"Battery 80%\nPower adapter, Charging"),
              (std::vector<std::wstring>{L"Battery 80%", L"Power adapter, Charging"}));
    EXPECT_EQ(TipLines(L"one\r\n\ntwo\n"), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_TRUE(TipLines(L"").empty());
    EXPECT_EQ(VolumeTipMs(0), 2000);
    EXPECT_EQ(VolumeTipMs(-5), 2000);
    EXPECT_EQ(VolumeTipMs(750), 750);

    const gfx::RectI screen{100, 0, 1000, 700};
    // Centred under its item, below the bar.
    gfx::RectI tip = PlaceTip(80, 16, {500, 0, 34, 24}, 24, screen, 1.0f);
    EXPECT_EQ(tip.x + tip.width / 2, 517);
    EXPECT_GT(tip.y, 24);
    EXPECT_GT(tip.width, 80);
    // Kept inside the screen at both ends, whatever the item's place.
    for (int cellX : {100, 101, 600, 1060, 1090}) {
        for (float scale : {1.0f, 2.0f}) {
            tip = PlaceTip(200, 16, {cellX, 0, 10, 24}, 24, screen, scale);
            EXPECT_GE(tip.x, screen.x) << cellX;
            EXPECT_LE(tip.Right(), screen.Right()) << cellX;
        }
    }
    // Wider than the screen: it starts at the screen's left edge.
    EXPECT_EQ(PlaceTip(2000, 16, {900, 0, 10, 24}, 24, screen, 1.0f).x, screen.x);

    std::vector<gfx::Bitmap> lines;
    lines.emplace_back(20, 10);
    const gfx::Bitmap picture = DrawTip(lines, tip.width, tip.height, true, 2.0f);
    EXPECT_EQ(picture.Width(), tip.width);
    EXPECT_EQ(picture.Height(), tip.height);
    EXPECT_GT(gfx::Unpremultiply(picture.At(tip.width / 2, tip.height / 2)).a, 200); // an opaque panel, not see-through
    EXPECT_TRUE(DrawTip({}, 0, 0, false, 1.0f).Empty());
}

} // namespace
} // namespace kestrana::menubar
