// The INI engine against the behaviour observed from the Windows profile functions, and
// the promise that edits leave every unrelated byte alone.
#include "foundation/profile_document.h"


#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

constexpr char16_t kMissing[] = u"<missing>";

std::vector<std::uint8_t> Utf16Le(std::u16string_view text, bool bom = true) {
    std::vector<std::uint8_t> bytes;
    if (bom) bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return std::vector<std::uint8_t>(text.begin(), text.end()); }

ProfileDocument Parse(std::vector<std::uint8_t> bytes) {
    auto doc = ProfileDocument::Parse(std::move(bytes));
    EXPECT_TRUE(doc.has_value());
    return std::move(*doc);
}

std::u16string Read(const ProfileDocument& doc, std::u16string_view section, std::u16string_view key, std::size_t units = 260) {
    return doc.ReadString(section, key, kMissing, units);
}

// Bytes as a string, which a failed comparison prints with escapes.
std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct ReadCase {
    const char* what;
    std::u16string file;
    std::u16string section;
    std::u16string key;
    std::u16string expected;
};

TEST(ProfileRead, FindsKeysAsTheProfileFunctionsDo) {
    const ReadCase cases[] = {
        {"blanks around names and values", u"[a]\r\n \t k \t= \x1A v x \x0B\r\n", u"a", u"k", u"v x"},
        {"query names are trimmed", u"[a]\r\nk=v\r\n", u" a\t", u"\tk ", u"v"},
        {"ideographic space is not a blank", u"[a]\r\n\u3000k=v\r\n", u"a", u"k", kMissing},
        {"ASCII case folds", u"[GENERAL]\r\nNAME=x\r\n", u"general", u"name", u"x"},
        {"first '=' splits", u"[a]\r\nk=x=y\r\n", u"a", u"k", u"x=y"},
        {"inline comment stays", u"[a]\r\nk = v ; c\r\n", u"a", u"k", u"v ; c"},
        {"comment line reads as a key", u"[a]\r\n  ;c=1\r\n", u"a", u";c", u"1"},
        {"keys before any section", u"o=1\r\n[a]\r\nk=1\r\n", u"", u"o", u"1"},
        {"orphan keys are not in a section", u"o=1\r\n[a]\r\nk=1\r\n", u"a", u"o", kMissing},
        {"duplicate key: first wins", u"[a]\r\nk=1\r\nk=2\r\n", u"a", u"k", u"1"},
        {"duplicate section: first wins", u"[a]\r\nk=1\r\n[A]\r\nm=4\r\n", u"a", u"m", kMissing},
        {"line without '=' is no key", u"[a]\r\nnoeq\r\n", u"a", u"noeq", kMissing},
        {"and hides a later key of that name", u"[a]\r\nk\r\nk=2\r\n", u"a", u"k", kMissing},
        {"'=value' is the key \"\"", u"[a]\r\n=val\r\n", u"a", u"", u"val"},
        {"text after the bracket", u"[b] junk\r\ny=1\r\n", u"b", u"y", u"1"},
        {"name runs to the last bracket", u"[c]x]\r\nz=1\r\n", u"c]x", u"z", u"1"},
        {"unclosed header is a key line", u"[a]\r\n[d\r\nw=1\r\n", u"a", u"w", u"1"},
        {"[] is unreachable", u"[]\r\ne=1\r\n", u"", u"e", kMissing},
        {"mixed breaks", u"[a]\r\nk=1\rm=2\nz=3", u"a", u"m", u"2"},
        {"no final line break", u"[a]\r\nk=last", u"a", u"k", u"last"},
        {"double quotes stripped", u"[a]\r\nq=\"abc\"\r\n", u"a", u"q", u"abc"},
        {"single quotes stripped", u"[a]\r\nq='abc'\r\n", u"a", u"q", u"abc"},
        {"inner blanks kept", u"[a]\r\nq= \" x \" \r\n", u"a", u"q", u" x "},
        {"unmatched quote kept", u"[a]\r\nq=\"abc\r\n", u"a", u"q", u"\"abc"},
        {"only outer quotes go", u"[a]\r\nq=\"a\"b\"\r\n", u"a", u"q", u"a\"b"},
        {"mixed quotes kept", u"[a]\r\nq='a\"\r\n", u"a", u"q", u"'a\""},
    };
    for (const auto& c : cases) {
        const auto doc = Parse(Utf16Le(c.file));
        EXPECT_EQ(Read(doc, c.section, c.key), c.expected) << c.what;
    }
}

TEST(ProfileRead, NulEndsNamesAndValues) {
    using namespace std::string_literals;
    const auto doc = Parse(Utf16Le(u"[a]\r\nk=ab\0cd\r\nn\0x=5\r\n"s));
    EXPECT_EQ(Read(doc, u"a", u"k"), u"ab");
    EXPECT_EQ(Read(doc, u"a", u"n"), u"5");
    EXPECT_EQ(Read(doc, u"a", u"nx"), kMissing);
    EXPECT_EQ(doc.ReadSection(u"a", 100), (std::vector<std::u16string>{u"k=ab", u"n=5"}));
}

TEST(ProfileRead, CutsValuesToTheBufferAndTidiesDefaults) {
    // The opening quote is always skipped; the closing one only goes when the text after
    // the opening quote fits the buffer.
    const std::pair<std::size_t, std::size_t> quoted[] = {{258, 256}, {259, 257}, {260, 258}, {261, 258}, {262, 259}};
    for (const auto& [total, expected] : quoted) {
        const auto doc = Parse(Utf16Le(u"[a]\r\nk=\"" + std::u16string(total - 2, u'x') + u"\"\r\n"));
        EXPECT_EQ(Read(doc, u"a", u"k"), std::u16string(expected, u'x')) << total;
    }
    const auto doc = Parse(Utf16Le(u"[a]\r\nk=abcdef\r\nlong=" + std::u16string(300, u'y') + u"\r\nempty=\r\n"));
    EXPECT_EQ(Read(doc, u"a", u"long").size(), 259u);
    EXPECT_EQ(Read(doc, u"a", u"k", 4), u"abc");
    EXPECT_EQ(Read(doc, u"a", u"k", 1), u"");
    EXPECT_EQ(Read(doc, u"a", u"k", 0), u"");
    EXPECT_EQ(doc.ReadString(u"a", u"m", u"d  ", 260), u"d");
    EXPECT_EQ(doc.ReadString(u"a", u"m", u"   ", 260), u" ");
    EXPECT_EQ(doc.ReadString(u"a", u"m", u"\"q\"", 260), u"q");
    EXPECT_EQ(doc.ReadString(u"a", u"m", u"abcdefghij", 5), u"abcd");
    EXPECT_EQ(doc.ReadString(u"a", u"empty", u"def", 260), u"") << "an existing empty value is not replaced by the default";
}

TEST(ProfileSection, ListsLinesWithoutCommentsWithinTheBuffer) {
    const auto doc = Parse(Utf16Le(u"o=1\r\n[a]\r\nk=1\r\nk=2\r\nnoeq\r\n=val\r\n;c=1\r\n\r\n#h=1\r\nq=\"x\"\r\n[A]\r\nm=4\r\n"));
    EXPECT_EQ(doc.ReadSection(u"a", 65535), (std::vector<std::u16string>{u"k=1", u"k=2", u"noeq", u"=val", u"#h=1", u"q=\"x\""}));
    EXPECT_EQ(doc.ReadSection(u"", 65535), (std::vector<std::u16string>{u"o=1"}));
    EXPECT_TRUE(doc.ReadSection(u"missing", 65535).empty());
    // A section read takes the name as given, where a key read trims it.
    EXPECT_TRUE(doc.ReadSection(u" a ", 65535).empty());
    EXPECT_EQ(Read(doc, u" a ", u"k"), u"1");

    // Small buffers: each line takes its length and a NUL, the list a final NUL, and the
    // last line is cut.
    const auto small = Parse(Utf16Le(u"[a]\r\nk1=v1\r\nnoeq\r\nkey2=value2\r\n"));
    const std::pair<std::size_t, std::vector<std::u16string>> sized[] = {
        {2, {}}, {3, {u"k"}}, {7, {u"k1=v1"}}, {8, {u"k1=v1"}}, {9, {u"k1=v1", u"n"}}, {13, {u"k1=v1", u"noeq"}},
        {20, {u"k1=v1", u"noeq", u"key2=va"}},
    };
    for (const auto& [units, expected] : sized) EXPECT_EQ(small.ReadSection(u"a", units), expected) << "buffer " << units;
}

TEST(ProfileEncoding, DetectsEachEncoding) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        ProfileEncoding encoding;
        std::u16string value;
    };
    std::vector<std::uint8_t> be = {0xFE, 0xFF};
    for (char16_t c : std::u16string(u"[a]\r\nk=\u4E2D\r\n")) {
        be.push_back(static_cast<std::uint8_t>(c >> 8));
        be.push_back(static_cast<std::uint8_t>(c & 0xFF));
    }
    const Case cases[] = {
        {"UTF-16LE", Utf16Le(u"[a]\r\nk=\u4E2D\r\n"), ProfileEncoding::Utf16Le, u"\u4E2D"},
        {"UTF-16BE", be, ProfileEncoding::Utf16Be, u"\u4E2D"},
        {"UTF-8 BOM", Bytes("\xEF\xBB\xBF[a]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n"), ProfileEncoding::Utf8Bom, u"Gr\u00FC\u00DFe"},
        {"UTF-8", Bytes("[a]\r\nk=Gr\xC3\xBC\xC3\x9F" "e\r\n"), ProfileEncoding::Utf8, u"Gr\u00FC\u00DFe"},
        {"code page", Bytes("[a]\r\nk=Gr\xFC\xDF" "e\x80\x81\r\n"), ProfileEncoding::CodePage, u"Gr\u00FC\u00DFe\u20AC\u0081"},
        {"ASCII", Bytes("[a]\r\nk=plain\r\n"), ProfileEncoding::CodePage, u"plain"},
        {"UTF-8 BOM with invalid bytes", Bytes("\xEF\xBB\xBF[a]\r\nk=\xFF\xC3x\xE4\xB8\r\n"), ProfileEncoding::Utf8Bom, u"\uFFFD\uFFFDx\uFFFD"},
        {"lone surrogate kept", Utf16Le(u"[a]\r\nk=x\xD800y\r\n"), ProfileEncoding::Utf16Le, u"x\xD800y"},
        // An empty file without byte-order mark is a code-page file, as the profile functions see it.
        {"empty", {}, ProfileEncoding::CodePage, kMissing},
    };
    for (const auto& c : cases) {
        const auto doc = Parse(c.bytes);
        EXPECT_EQ(doc.Encoding(), c.encoding) << c.what;
        EXPECT_EQ(Read(doc, u"a", u"k"), c.value) << c.what;
    }
}

struct EditCase {
    const char* what;
    std::vector<std::uint8_t> before;
    std::u16string section;
    std::u16string key;
    std::optional<std::u16string> value; // nullopt: delete the key
    std::optional<std::vector<std::uint8_t>> after; // nullopt: the file stays as it is
};

TEST(ProfileEdit, ChangesOnlyTheLineItTouches) {
    const EditCase cases[] = {
        {"replace a value in place", Utf16Le(u"; c\r\n[a]\r\n  x = 1 \r\nodd line\r\n\r\n;end\r\n"), u"a", u"x", u"2",
         Utf16Le(u"; c\r\n[a]\r\nx=2\r\nodd line\r\n\r\n;end\r\n")},
        {"the stored name keeps its case", Utf16Le(u"[A]\r\nKey=1\r\n"), u"a", u"key", u"2", Utf16Le(u"[A]\r\nKey=2\r\n")},
        {"new key after the section's last line, before blank lines",
         Utf16Le(u"[a]\r\nx=1\r\n;note\r\n\r\n[b]\r\ny=2\r\n"), u"a", u"z", u"3",
         Utf16Le(u"[a]\r\nx=1\r\n;note\r\nz=3\r\n\r\n[b]\r\ny=2\r\n")},
        {"new key into an empty section", Utf16Le(u"[a]\r\n[b]\r\n"), u"a", u"k", u"v", Utf16Le(u"[a]\r\nk=v\r\n[b]\r\n")},
        {"new key where the file lacks its last line break", Utf16Le(u"[a]\r\nx=1"), u"a", u"y", u"2",
         Utf16Le(u"[a]\r\nx=1\r\ny=2\r\n")},
        {"new section at the end", Utf16Le(u"[a]\r\nx=1\r\n\r\n"), u"b", u"y", u"2", Utf16Le(u"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n")},
        {"new section after a missing line break", Utf16Le(u"[a]\r\nx=1"), u"b", u"y", u"2",
         Utf16Le(u"[a]\r\nx=1\r\n[b]\r\ny=2\r\n")},
        {"LF files stay LF", Utf16Le(u"[a]\nx=1\n"), u"b", u"y", u"2", Utf16Le(u"[a]\nx=1\n[b]\ny=2\n")},
        {"first of duplicate sections", Utf16Le(u"[a]\r\nk=1\r\n[A]\r\nm=4\r\n"), u"A", u"m", u"5",
         Utf16Le(u"[a]\r\nk=1\r\nm=5\r\n[A]\r\nm=4\r\n")},
        {"first of duplicate keys", Utf16Le(u"[a]\r\nk=1\r\nk=2\r\n"), u"a", u"k", u"3", Utf16Le(u"[a]\r\nk=3\r\nk=2\r\n")},
        {"a line without '=' gains a value", Utf16Le(u"[a]\r\nk\r\nk=2\r\n"), u"a", u"k", u"3", Utf16Le(u"[a]\r\nk=3\r\nk=2\r\n")},
        {"orphan key added at the top", Utf16Le(u"[a]\r\nk=1\r\n"), u"", u"p", u"3", Utf16Le(u"p=3\r\n[a]\r\nk=1\r\n")},
        {"orphan key after the orphans", Utf16Le(u"o=1\r\n[a]\r\n"), u"", u"p", u"3", Utf16Le(u"o=1\r\np=3\r\n[a]\r\n")},
        {"leading blanks of new names and values go", Utf16Le(u"[a]\r\n"), u"a", u"\tk2\t", u"\tv\t",
         Utf16Le(u"[a]\r\nk2\t=v\t\r\n")},
        {"same value: no write", Utf16Le(u"[a]\r\n x = 1 \n"), u"a", u"x", u"1", std::nullopt},
        {"quotes make a different value", Utf16Le(u"[a]\r\nk=\"1\"\r\n"), u"a", u"k", u"1", Utf16Le(u"[a]\r\nk=1\r\n")},
        {"delete keeps the neighbours", Utf16Le(u"[a]\r\n;c\r\nk=1\r\n\r\nm=2"), u"a", u"k", std::nullopt,
         Utf16Le(u"[a]\r\n;c\r\n\r\nm=2")},
        {"delete the last line", Utf16Le(u"[a]\r\nk=1\r\nm=2"), u"a", u"m", std::nullopt, Utf16Le(u"[a]\r\nk=1\r\n")},
        {"delete a missing key: no write", Utf16Le(u"[a]\r\nk=1\r\n"), u"a", u"z", std::nullopt, std::nullopt},
        {"UTF-8 stays UTF-8", Bytes("\xEF\xBB\xBF[a]\r\n"), u"a", u"n", u"\u4E2D\u00FC",
         Bytes("\xEF\xBB\xBF[a]\r\nn=\xE4\xB8\xAD\xC3\xBC\r\n")},
        {"code page stays code page", Bytes("[a]\r\nk=\xFC\r\n"), u"a", u"n", u"\u00FC\u20AC\u4E2D",
         Bytes("[a]\r\nk=\xFC\r\nn=\xFC\x80?\r\n")},
        {"an ASCII file takes CJK as UTF-8", Bytes("[a]\r\n"), u"a", u"n", u"\u4E2D", Bytes("[a]\r\nn=\xE4\xB8\xAD\r\n")},
        {"an ASCII file takes code-page text as code page", Bytes("[a]\r\n"), u"a", u"n", u"\u00FC", Bytes("[a]\r\nn=\xFC\r\n")},
        {"a lone surrogate in UTF-8", Bytes("\xEF\xBB\xBF[a]\r\n"), u"a", u"k", std::u16string(u"p\xDC00"),
         Bytes("\xEF\xBB\xBF[a]\r\nk=p\xEF\xBF\xBD\r\n")},
        {"a NUL ends the value", Utf16Le(u"[a]\r\n"), u"a", u"k", std::u16string(u"ab\0cd", 5), Utf16Le(u"[a]\r\nk=ab\r\n")},
        {"unrelated garbage bytes survive", Bytes("\x01\x02junk\xFF\r\n[a]\r\nk=1\r\n"), u"a", u"k", u"2",
         Bytes("\x01\x02junk\xFF\r\n[a]\r\nk=2\r\n")},
    };
    for (const auto& c : cases) {
        const auto doc = Parse(c.before);
        const auto after = c.value ? doc.WithString(c.section, c.key, *c.value) : doc.WithoutKey(c.section, c.key);
        ASSERT_EQ(after.has_value(), c.after.has_value()) << c.what;
        if (after) {
            EXPECT_EQ(Text(*after), Text(*c.after)) << c.what;
        }
    }
}

TEST(ProfileEdit, OddUtf16TailReadsAsAUnitAndIsCompletedByAnEdit) {
    auto bytes = Utf16Le(u"[a]\r\nk=1\r\n");
    bytes.push_back('A');
    const auto doc = Parse(bytes);
    EXPECT_EQ(doc.ReadSection(u"a", 100), (std::vector<std::u16string>{u"k=1", u"A"}));
    const auto edited = doc.WithString(u"b", u"x", u"y");
    ASSERT_TRUE(edited);
    EXPECT_EQ(Text(*edited), Text(Utf16Le(u"[a]\r\nk=1\r\nA\r\n[b]\r\nx=y\r\n")));
}

} // namespace
} // namespace kestrana::foundation
