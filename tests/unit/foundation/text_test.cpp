// Conversions and number parsing that every settings read goes through.
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

TEST(TextIntegers, ReadDigitsAsFarAsTheyGo) {
    struct Case {
        const wchar_t* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {L"42", 42},  {L"42abc", 42}, {L"abc", 0},       {L"", 0},     {L"-7", -7},
        {L"+7", 7},   {L"  \t19", 19}, {L"- 5", 0},         {L"0x10", 0}, {L"007", 7},
        {L"-", 0},    {L"\x0661\x0662", 0}, // Arabic-Indic digits are not decimal here
        {L"2147483647", 2147483647},         {L"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {L"2147483648", 0},                  {L"-2147483649", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseInt32(c.text), c.expected) << "text: " << ToUtf8(c.text);
}

TEST(TextIntegers, SixtyFourBitRangeAndOverflow) {
    EXPECT_EQ(ParseInt64(L"9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseInt64(L"-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ParseInt64(L"9223372036854775808"), 0);
    EXPECT_EQ(ParseInt64(L"4294967296x"), 4294967296LL);
    // What overflows 32 bits is fine in 64 and vice versa.
    EXPECT_EQ(ParseInt32(L"4294967296"), 0);
}

TEST(TextFloats, ParseDecimalPrefixes) {
    struct Case {
        const wchar_t* text;
        float expected;
    };
    const Case cases[] = {
        {L"0.5", 0.5f},   {L"1.25", 1.25f}, {L"-2.5e2", -250.0f}, {L"1e+06", 1e6f}, {L".5", 0.5f},
        {L"3.", 3.0f},    {L"7px", 7.0f},   {L"1e", 1.0f},        {L"1e+", 1.0f},   {L" +4", 4.0f},
        {L"abc", 0.0f},   {L".", 0.0f},     {L"", 0.0f},          {L"-.e5", 0.0f},  {L"nan", 0.0f},
        {L"inf", 0.0f},   {L"1e39", 0.0f},  {L"3,5", 3.0f},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseFloat(c.text), c.expected) << "text: " << ToUtf8(c.text);
}

TEST(TextFloats, FormatUsesSixSignificantDigitsAndReadsBack) {
    EXPECT_EQ(FormatFloat(0.5f), L"0.5");
    EXPECT_EQ(FormatFloat(30.0f), L"30");
    EXPECT_EQ(FormatFloat(1000000.0f), L"1e+06");
    EXPECT_EQ(FormatFloat(1.0f / 3.0f), L"0.333333");
    // Round trip at six significant digits over a sweep of magnitudes.
    for (float v = 1e-4f; v < 1e7f; v *= 1.37f) {
        const float back = ParseFloat(FormatFloat(v));
        EXPECT_NEAR(back, v, std::fabs(v) * 5e-6f) << ToUtf8(FormatFloat(v));
    }
}

TEST(TextUtf16, RoundTripsCountsUnitsAndNeverSplitsAPair) {
    EXPECT_EQ(Utf16Length(FromUtf16(u"a\u00FC\u4E2D\U0001F600z")), 6u);
    // Lone surrogates survive a round trip.
    const std::u16string lone = {u'x', char16_t(0xD800), u'y', char16_t(0xDC01)};
    EXPECT_EQ(ToUtf16(FromUtf16(lone)), lone);
    const std::wstring text = FromUtf16(u"ab\U0001F600c");
    EXPECT_EQ(ToUtf16(TruncateUtf16(text, 3)), u"ab");
    EXPECT_EQ(ToUtf16(TruncateUtf16(text, 4)), u"ab\U0001F600");
    EXPECT_EQ(ToUtf16(TruncateUtf16(text, 100)), u"ab\U0001F600c");
    EXPECT_EQ(TruncateUtf16(text, 0), L"");
}

TEST(TextUtf8, ReplacesInvalidSequencesAsWindowsDoes) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"Gr\xC3\xBC\xC3\x9F" "e", u"Gr\u00FC\u00DFe"},
        {"\xE4\xB8\xAD", u"\u4E2D"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xFF\xC3x\xE4\xB8", u"\uFFFD\uFFFDx\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},             // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD"},          // encoded surrogate: lead and second byte go together
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xF5\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // not a lead byte at all
        {"\xF0\x9F\x98x", u"\uFFFDx"},              // cut short: one replacement
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\xE0\xA0", u"\uFFFD"},                    // truncated at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.expected) << c.bytes;
        EXPECT_EQ(IsValidUtf8(c.bytes), c.expected.find(u'\uFFFD') == std::u16string::npos) << c.bytes;
    }
}

TEST(TextUtf8, EncodesPairsAndReplacesLoneSurrogates) {
    EXPECT_EQ(Utf16ToUtf8(u"\u4E2D\U0001F600"), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
    const std::u16string lone = {u'p', char16_t(0xDC00)};
    EXPECT_EQ(Utf16ToUtf8(lone), "p\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8(ToUtf8(FromUtf16(u"\u00FC\U0001F600"))), FromUtf16(u"\u00FC\U0001F600"));
}

TEST(TextCase, AsciiFoldingOnly) {
    EXPECT_TRUE(EqualsIgnoreCase(L"Config.INI", L"config.ini"));
    EXPECT_FALSE(EqualsIgnoreCase(L"\u00DC", L"\u00FC"));
    EXPECT_EQ(AsciiLower(L"C:\\Program Files\\\u00C4"), L"c:\\program files\\\u00C4");
    EXPECT_TRUE(StartsWithIgnoreCase(L"HKEY_Current_User\\x", L"hkey_current_user"));
    EXPECT_FALSE(EndsWithIgnoreCase(L"dmp", L".dmp"));
}

} // namespace
} // namespace kestrana::foundation
