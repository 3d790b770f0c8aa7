// The Launchpad's small rules: wheel page turns, keyboard steps, the drop limit and the
// show and hide effects.

#include "launchers/pad_renderer.h"
#include "launchers/pad_rules.h"

#include <gtest/gtest.h>

namespace kestrana::launchers {
namespace {

TEST(PadRules, WheelTurnsOnePageForOneNotchOrAWideSidewaysMove) {
    const struct {
        int delta;
        bool horizontal, held;
        PageTurn turn;
    } cases[] = {
        {-120, false, false, PageTurn::Next},    {120, false, false, PageTurn::Previous},
        {-240, false, false, PageTurn::None},    {-60, false, false, PageTurn::None},
        {-120, false, true, PageTurn::None},     {120, true, false, PageTurn::None},
        {240, true, false, PageTurn::Next},      {-240, true, false, PageTurn::Previous},
        {121, true, true, PageTurn::Next},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.delta << (c.horizontal ? " sideways" : "") << (c.held ? " held" : ""));
        EXPECT_EQ(WheelPageTurn(c.delta, c.horizontal, c.held), c.turn);
    }
}

TEST(PadRules, KeyboardSelectionStaysOnTheGrid) {
    EXPECT_EQ(MoveSelection(-1, SelectionKey::Right, 10, 7), 0);
    EXPECT_EQ(MoveSelection(-1, SelectionKey::BackTab, 10, 7), 9);
    EXPECT_EQ(MoveSelection(6, SelectionKey::Right, 10, 7), 6);
    EXPECT_EQ(MoveSelection(7, SelectionKey::Left, 10, 7), 7);
    EXPECT_EQ(MoveSelection(2, SelectionKey::Down, 10, 7), 9);
    EXPECT_EQ(MoveSelection(3, SelectionKey::Down, 10, 7), 3); // no icon below
    EXPECT_EQ(MoveSelection(9, SelectionKey::Tab, 10, 7), 0);
    EXPECT_EQ(MoveSelection(0, SelectionKey::Up, 0, 7), -1);
}

TEST(PadRules, DropsAddUpToSeventyFilesUnderNamesOfTheirOwn) {
    std::vector<std::wstring> files;
    for (int i = 0; i < 71; ++i) files.push_back(L"C:\\Tools\\tool" + std::to_wstring(i) + L".exe");
    EXPECT_FALSE(PlanDrop(files, {})); // 71: none of them
    files.pop_back();
    ASSERT_EQ(PlanDrop(files, {})->size(), 70u);
    EXPECT_FALSE(PlanDrop({}, {}));

    const auto plan = PlanDrop({L"C:\\A\\Editor.exe", L"D:\\B\\editor.EXE", L"C:\\Links\\Mail.lnk", L"C:\\Notes"},
                               {L"EDITOR.lnk"});
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->size(), 4u);
    EXPECT_EQ((*plan)[0].shortcutName, L"Editor (2).lnk"); // the folder holds one already
    EXPECT_EQ((*plan)[1].shortcutName, L"editor (3).lnk"); // and so does this drop now
    EXPECT_FALSE((*plan)[1].copy);
    EXPECT_EQ((*plan)[2].shortcutName, L"Mail.lnk");
    EXPECT_TRUE((*plan)[2].copy); // a shortcut is copied, not pointed at
    EXPECT_EQ((*plan)[3].shortcutName, L"Notes.lnk");
}

TEST(PadRules, EffectsRunFromHiddenToShownAndBack) {
    for (int effect : {0, 1, 2}) {
        SCOPED_TRACE(effect);
        const int duration = EffectDurationMs(effect);
        EXPECT_GE(duration, 200);
        EXPECT_LE(duration, 300);
        const EffectFrame start = EffectAt(effect, true, 0);
        const EffectFrame end = EffectAt(effect, true, duration);
        EXPECT_EQ(start.opacity, 0.0f);
        EXPECT_EQ(end.opacity, 1.0f);
        EXPECT_EQ(end.zoom, 1.0f);
        EXPECT_EQ(end.shiftY, 0.0f);
        EXPECT_EQ(EffectAt(effect, false, duration).opacity, 0.0f);
        float previous = -1;
        for (int t = 0; t <= duration; t += 10) {
            const EffectFrame f = EffectAt(effect, true, t);
            EXPECT_GE(f.opacity, previous);
            previous = f.opacity;
            EXPECT_NEAR(EffectAt(effect, false, t).opacity, 1.0f - f.opacity, 1e-5f);
        }
    }
    // The three differ in more than their speed.
    EXPECT_GT(EffectAt(0, true, 50).zoom, 1.0f);
    EXPECT_LT(EffectAt(1, true, 50).shiftY, 0.0f);
    EXPECT_EQ(EffectAt(2, true, 50).zoom, 1.0f);
}

TEST(PadBackdrop, SpreadsADarkenedBlurOfTheDesktopOverTheScreen) {
    // Left half black, right half white, as the small copy of the desktop comes.
    gfx::Bitmap desktop(40, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) desktop.Set(x, y, x < 20 ? gfx::MakePixel(0, 0, 0, 255) : gfx::MakePixel(255, 255, 255, 255));
    gfx::Bitmap backdrop;
    PadRenderer::MakeBackdrop(desktop, backdrop, 320, 160, 16, {0, 0, 0, 128});
    ASSERT_EQ(backdrop.Width(), 320);
    ASSERT_EQ(backdrop.Height(), 160);
    const auto grey = [&](int x) { return gfx::PixelG(backdrop.At(x, 80)); };
    EXPECT_EQ(gfx::PixelA(backdrop.At(0, 0)), 255);
    EXPECT_LT(grey(5), 20);           // the dark side stays dark
    EXPECT_NEAR(grey(315), 127, 4);   // the bright side, half darkened
    EXPECT_GT(grey(170), grey(150));  // blurred across the edge, rising left to right
    EXPECT_GT(grey(150), grey(5));
    EXPECT_LT(grey(170), grey(315));
}

TEST(PadRules, TheScreenCopyTriesBothWaysAndKeepsTheQuicker) {
    ScreenCopyChoice slowWhole;
    EXPECT_EQ(slowWhole.Next(), ScreenCopy::Whole);
    slowWhole.Took(ScreenCopy::Whole, 76);
    EXPECT_EQ(slowWhole.Next(), ScreenCopy::Rows) << "the other way is tried once";
    slowWhole.Took(ScreenCopy::Rows, 12);
    EXPECT_EQ(slowWhole.Next(), ScreenCopy::Rows);
    EXPECT_EQ(slowWhole.Next(), ScreenCopy::Rows);
    // A bigger screen made the rows slow: the whole copy comes back.
    slowWhole.Took(ScreenCopy::Rows, 90);
    EXPECT_EQ(slowWhole.Next(), ScreenCopy::Whole);

    ScreenCopyChoice slowRows;
    slowRows.Took(ScreenCopy::Whole, 6);
    slowRows.Took(ScreenCopy::Rows, 40);
    EXPECT_EQ(slowRows.Next(), ScreenCopy::Whole);

    // A way that failed is never tried again, however quick it was.
    ScreenCopyChoice failing;
    failing.Took(ScreenCopy::Whole, 70);
    failing.Took(ScreenCopy::Rows, 5);
    failing.Failed(ScreenCopy::Rows);
    EXPECT_EQ(failing.Next(), ScreenCopy::Whole);
    ScreenCopyChoice wholeFails;
    wholeFails.Failed(ScreenCopy::Whole);
    EXPECT_EQ(wholeFails.Next(), ScreenCopy::Rows);
}

} // namespace
} // namespace kestrana::launchers
