// The Wi-Fi key prompt's rules: which keys can be keys, the entry that holds what is
// typed, and where the prompt's parts lie.
#include "menubar/password_prompt_picture.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

TEST(WifiPassword, KeysArePassPhrasesOrHexOfTheirCipher) {
    const std::wstring hex64(64, L'a'), notHex64 = std::wstring(63, L'a') + L'g';
    EXPECT_FALSE(KeyAcceptable(L"1234567", false));
    EXPECT_TRUE(KeyAcceptable(L"12345678", false));
    EXPECT_TRUE(KeyAcceptable(std::wstring(63, L'x'), false));
    EXPECT_TRUE(KeyAcceptable(hex64, false));
    EXPECT_FALSE(KeyAcceptable(notHex64, false));
    for (std::size_t n = 0; n <= 30; ++n) {
        const bool text = KeyAcceptable(std::wstring(n, L'z'), true);
        const bool hex = KeyAcceptable(std::wstring(n, L'F'), true);
        EXPECT_EQ(text, n == 5 || n == 13) << n;
        EXPECT_EQ(hex, n == 5 || n == 13 || n == 10 || n == 26) << n;
    }
}

TEST(WifiPassword, EntryTakesPrintableCharactersUpToSixtyFourAndHandsThemOver) {
    SecretEntry entry;
    EXPECT_FALSE(entry.Type(L'\r'));
    EXPECT_FALSE(entry.Type(L'\x7F'));
    for (int i = 0; i < 70; ++i) entry.Type(static_cast<wchar_t>(L'a' + i % 26));
    EXPECT_EQ(entry.Length(), 64u);
    entry.Backspace();
    EXPECT_EQ(entry.Length(), 63u);
    EXPECT_TRUE(entry.Acceptable(false));
    const std::wstring key = entry.Take();
    EXPECT_EQ(key.size(), 63u);
    EXPECT_EQ(key.substr(0, 3), L"abc");
    EXPECT_EQ(entry.Length(), 0u);
    entry.Backspace(); // on nothing
    EXPECT_FALSE(entry.Acceptable(false));
}

TEST(WifiPassword, PromptPartsDoNotOverlapAndGrowWithTheTitle) {
    for (const float scale : {1.0f, 1.5f, 2.0f}) {
        const PasswordLayout l = LayOutPasswordPrompt(scale, 900);
        EXPECT_GE(l.width, 900);
        for (const auto& r : {l.field, l.cancel, l.join}) {
            EXPECT_GE(r.x, 0);
            EXPECT_LE(r.Right(), l.width);
            EXPECT_LE(r.Bottom(), l.height);
        }
        EXPECT_EQ(PasswordPartAt(l, l.join.x + 1, l.join.y + 1), PasswordPart::Join);
        EXPECT_EQ(PasswordPartAt(l, l.cancel.Right() - 1, l.cancel.y + 1), PasswordPart::Cancel);
        EXPECT_EQ(PasswordPartAt(l, l.field.x + 1, l.field.Bottom() - 1), PasswordPart::Field);
        EXPECT_EQ(PasswordPartAt(l, l.cancel.Right(), l.cancel.y + 1), PasswordPart::None); // the gap
        EXPECT_LE(l.cancel.Right(), l.join.x);
        EXPECT_LE(l.field.Bottom(), l.join.y);
    }
}

} // namespace
} // namespace kestrana::menubar
