// The Wi-Fi key prompt's rules: which keys can be keys, and the entry that holds what is
// typed.
#include "menubar/wifi_key.h"

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

} // namespace
} // namespace kestrana::menubar
