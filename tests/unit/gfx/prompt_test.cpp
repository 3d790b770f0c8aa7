#include "gfx/prompt.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::gfx {
namespace {

// Ten pixels a character.
int Measure(std::wstring_view text) { return static_cast<int>(text.size()) * 10; }

TEST(PromptWrap, BreaksAtSpacesThenBetweenCharactersAndKeepsLineBreaks) {
    const auto lines = WrapLines(L"Are you sure you want to erase it?", 120, Measure);
    ASSERT_EQ(lines, (std::vector<std::wstring>{L"Are you sure", L"you want to", L"erase it?"}));

    // A word longer than a line, and a text without spaces (as Chinese is written).
    EXPECT_EQ(WrapLines(L"ab abcdefghijklmn cd", 60, Measure),
              (std::vector<std::wstring>{L"ab", L"abcdef", L"ghijkl", L"mn cd"}));
    EXPECT_EQ(WrapLines(L"您确定要永久清除废纸篓中的项目吗", 50, Measure),
              (std::vector<std::wstring>{L"您确定要永", L"久清除废纸", L"篓中的项目", L"吗"}));

    EXPECT_EQ(WrapLines(L"first\r\n\nsecond", 200, Measure), (std::vector<std::wstring>{L"first", L"", L"second"}));
    // Narrower than one character: still one character a line, never an endless loop.
    EXPECT_EQ(WrapLines(L"abc", 3, Measure), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_EQ(WrapLines(L"", 100, Measure), (std::vector<std::wstring>{L""}));

    for (const std::wstring text : {L"a bb ccc dddd eeeee ffffff ggggggg", L"x  y   z    spaced", L"one"}) {
        for (int width : {10, 35, 70, 1000}) {
            std::wstring joined;
            for (const auto& line : WrapLines(text, width, Measure)) {
                EXPECT_TRUE(Measure(line) <= width || line.size() == 1) << "'" << std::string(line.begin(), line.end())
                                                                         << "' at " << width;
                joined += line;
            }
            // Only spaces are ever dropped.
            std::wstring letters, kept;
            for (wchar_t c : text)
                if (c != L' ') letters += c;
            for (wchar_t c : joined)
                if (c != L' ') kept += c;
            EXPECT_EQ(kept, letters);
        }
    }
}

TEST(PromptLayout, PartsTheirOrderAndTheKeyboardsRound) {
    const PromptLayout plain = LayOutPrompt(1.0f, 0, 200, 36, 0);
    EXPECT_TRUE(plain.title.Empty());
    EXPECT_TRUE(plain.choice.Empty());
    EXPECT_LT(plain.cancel.Right(), plain.confirm.x); // Confirm on the right
    EXPECT_GE(plain.cancel.y, plain.message.Bottom());
    EXPECT_EQ(PromptPartAt(plain, plain.confirm.x + 1, plain.confirm.y + 1), PromptPart::Confirm);
    EXPECT_EQ(PromptPartAt(plain, plain.cancel.x + 1, plain.cancel.y + 1), PromptPart::Cancel);
    EXPECT_EQ(PromptPartAt(plain, plain.message.x + 1, plain.message.y + 1), PromptPart::None);
    EXPECT_EQ(NextPromptPart(plain, PromptPart::Confirm, 1), PromptPart::Cancel);
    EXPECT_EQ(NextPromptPart(plain, PromptPart::Cancel, 1), PromptPart::Confirm);
    EXPECT_EQ(NextPromptPart(plain, PromptPart::Choice, 1), PromptPart::Cancel); // none here: the first part

    const PromptLayout full = LayOutPrompt(2.0f, 30, 2000, 108, 80);
    EXPECT_EQ(full.width, PromptTextWidth(2.0f) + 2 * 44); // a long question wraps at the prompt's width
    EXPECT_GE(full.message.y, full.title.Bottom());
    EXPECT_GE(full.choice.y, full.message.Bottom());
    EXPECT_GE(full.cancel.y, full.choice.Bottom());
    EXPECT_EQ(full.height, full.confirm.Bottom() + 44);
    EXPECT_EQ(NextPromptPart(full, PromptPart::Confirm, 1), PromptPart::Choice);
    EXPECT_EQ(NextPromptPart(full, PromptPart::Choice, -1), PromptPart::Confirm);
    EXPECT_EQ(NextPromptPart(full, PromptPart::Cancel, -1), PromptPart::Choice);
}

TEST(PromptPicture, TheFocusRingFollowsTheKeyboard) {
    const PromptLayout layout = LayOutPrompt(1.0f, 0, 200, 18, 0);
    Bitmap onConfirm(layout.width, layout.height), onCancel(layout.width, layout.height);
    PromptLabels labels;
    PromptState state;
    state.focused = PromptPart::Confirm;
    DrawPrompt(onConfirm, layout, labels, false, 1.0f, state);
    state.focused = PromptPart::Cancel;
    DrawPrompt(onCancel, layout, labels, false, 1.0f, state);
    // Just above each button's top edge, in its middle.
    const auto above = [](const Bitmap& b, const RectI& r) { return b.At(r.x + r.width / 2, r.y - 2); };
    EXPECT_NE(above(onConfirm, layout.confirm), above(onCancel, layout.confirm));
    EXPECT_NE(above(onConfirm, layout.cancel), above(onCancel, layout.cancel));
    EXPECT_EQ(above(onConfirm, layout.cancel), onConfirm.At(layout.cancel.x + layout.cancel.width / 2, layout.message.y));

    // High contrast: the scheme's opaque window behind, its highlight on Confirm.
    const ContrastColours scheme{{0, 0, 0, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}};
    Bitmap contrast(layout.width, layout.height);
    DrawPrompt(contrast, layout, labels, false, 1.0f, state, scheme);
    EXPECT_EQ(contrast.At(layout.width / 2, layout.message.y), scheme.window.Premultiplied());
    EXPECT_EQ(contrast.At(layout.confirm.x + 4, layout.confirm.y + layout.confirm.height / 2), scheme.highlight.Premultiplied());
}

TEST(PromptField, TheKeysFieldComesFirstShowsOnlyDotsAndHoldsConfirmBackUntilTheKeyWillDo) {
    const PromptLayout layout = LayOutPrompt(1.0f, 20, 0, 0, 0, true);
    EXPECT_TRUE(layout.message.Empty()); // a title alone, then the field
    EXPECT_GE(layout.field.y, layout.title.Bottom());
    EXPECT_GE(layout.cancel.y, layout.field.Bottom());
    EXPECT_EQ(PromptPartAt(layout, layout.field.x + 2, layout.field.y + 2), PromptPart::Field);
    EXPECT_EQ(NextPromptPart(layout, PromptPart::Confirm, 1), PromptPart::Field);
    EXPECT_EQ(NextPromptPart(layout, PromptPart::Field, 1), PromptPart::Cancel);

    // Each typed character is one more dot in the field.
    PromptLabels labels;
    PromptState state;
    state.focused = PromptPart::Field;
    Bitmap none(layout.width, layout.height), three(layout.width, layout.height);
    DrawPrompt(none, layout, labels, false, 1.0f, state);
    state.dots = 3;
    DrawPrompt(three, layout, labels, false, 1.0f, state);
    const int cy = layout.field.y + layout.field.height / 2;
    EXPECT_EQ(none.At(layout.field.x + 13 + 18, cy), none.At(layout.field.x + 60, cy)); // plain field
    EXPECT_NE(three.At(layout.field.x + 13 + 18, cy), three.At(layout.field.x + 60, cy)); // the third dot

    // Confirm is pale, and read as unavailable, until the key will do.
    state.confirmable = false;
    Bitmap waiting(layout.width, layout.height);
    DrawPrompt(waiting, layout, labels, false, 1.0f, state);
    const int mx = layout.confirm.x + 4, my = layout.confirm.y + layout.confirm.height / 2;
    EXPECT_LT(Unpremultiply(waiting.At(mx, my)).a + 0, Unpremultiply(three.At(mx, my)).a + 0);
    PromptWords words;
    words.field = L"Password for \u201CHome\u201D";
    words.dots = 4;
    words.confirmable = false;
    const auto tree = BuildPromptTree(layout, words, 0, 0, PromptPart::Field);
    const auto* field = tree.Find(PromptPartId(PromptPart::Field));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->role, foundation::AccessibleRole::Text);
    EXPECT_EQ(field->value, L"\u2022\u2022\u2022\u2022");
    EXPECT_EQ(*tree.Focused(), PromptPartId(PromptPart::Field));
    EXPECT_TRUE(foundation::Has(tree.Find(PromptPartId(PromptPart::Confirm))->state, foundation::AccessibleState::Unavailable));
    EXPECT_EQ(tree.Find(kPromptMessageId), nullptr);
}

TEST(PromptTree, ReadsTheQuestionAndTheButtonsWhereTheyAre) {
    const PromptLayout layout = LayOutPrompt(1.0f, 20, 200, 18, 60);
    PromptWords words;
    words.title = L"Trash";
    words.message = L"Erase the items?";
    words.choice = L"5 minutes";
    words.countdown = L"04:59";
    words.cancel = L"Cancel";
    words.confirm = L"Empty Trash";
    const auto tree = BuildPromptTree(layout, words, 300, 200, PromptPart::Cancel);
    EXPECT_EQ(tree.Root().name, L"Trash");
    EXPECT_EQ(tree.Root().bounds, (foundation::AccessibleRect{300, 200, layout.width, layout.height}));
    ASSERT_TRUE(tree.Focused());
    EXPECT_EQ(*tree.Focused(), PromptPartId(PromptPart::Cancel));
    const auto* confirm = tree.Find(PromptPartId(PromptPart::Confirm));
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->name, L"Empty Trash");
    EXPECT_EQ(confirm->bounds.x, 300 + layout.confirm.x);
    const auto* choice = tree.Find(PromptPartId(PromptPart::Choice));
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(choice->role, foundation::AccessibleRole::MenuButton);
    EXPECT_EQ(choice->value, L"5 minutes");
    ASSERT_NE(tree.Find(kPromptCountdownId), nullptr);
    EXPECT_EQ(tree.Find(kPromptMessageId)->name, L"Erase the items?");
    // The tab order is the children's order.
    EXPECT_EQ(tree.Sibling(PromptPartId(PromptPart::Cancel), 1), PromptPartId(PromptPart::Confirm));
}

TEST(PromptLinger, ClosesAfterItsSpanButNeverInTheUsersHandNorRightAfter) {
    PromptLinger left(1000, 10000, 3000);
    EXPECT_FALSE(left.Due(10999));
    EXPECT_TRUE(left.Due(11000));

    // Held past its span it stays; let go, it gets the grace period from then.
    PromptLinger held(1000, 10000, 3000);
    held.Hold(true, 5000);
    EXPECT_FALSE(held.Due(20000));
    held.Hold(false, 20000);
    EXPECT_FALSE(held.Due(22999));
    EXPECT_TRUE(held.Due(23000));

    // Touched early and let go, the span still counts from the start.
    PromptLinger brief(1000, 10000, 3000);
    brief.Hold(true, 2000);
    brief.Hold(false, 2500);
    EXPECT_FALSE(brief.Due(10999));
    EXPECT_TRUE(brief.Due(11000));

    // Let go without ever being held, it keeps its time.
    PromptLinger again(0, 10000, 3000);
    again.Hold(false, 9000);
    EXPECT_TRUE(again.Due(10000));
}

} // namespace
} // namespace kestrana::gfx
