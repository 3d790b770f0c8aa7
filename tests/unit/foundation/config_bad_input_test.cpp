// Hostile settings files: the store answers with its failure values or writes without
// disturbing what it does not understand, and never crashes or hangs.
#include "foundation/config_store.h"

#include "fakes/settings_folder.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

using fakes::FakeFileSystem;

const std::wstring kBase = L"C:\\K\\";
const std::wstring kFile = kBase + L"config.ini";

// True when `after` is `before` with one block inserted somewhere (or, for a padded
// UTF-16 tail, a zero byte appended first).
bool IsInsertionInto(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    return prefix + suffix == before.size() && after.size() > before.size();
}

TEST(ConfigStoreBadInput, BinaryGarbageReadsAsEmptyAndSurvivesWrites) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> junk(20000 + random() % 20000);
        for (auto& b : junk) b = static_cast<std::uint8_t>(random());
        if (seed % 3 == 0) junk[0] = 0xFF, junk[1] = 0xFE; // the same junk as UTF-16
        if (seed % 3 == 1) junk[0] = 0xEF, junk[1] = 0xBB, junk[2] = 0xBF;
        FakeFileSystem files;
        files.AddFile(kFile, junk);
        ConfigStore store(files, kBase);
        EXPECT_EQ(store.ReadInt(L"normal", L"blurvalue"), 0) << seed;
        EXPECT_EQ(store.ReadString(L"normal", L"font", L"dflt"), L"dflt") << seed;
        EXPECT_FALSE(store.ReadBool(L"brisel", L"varlo")) << seed;
        std::vector<std::wstring> names;
        store.ReadSectionNames(L"", &names);
        for (const auto& name : names) {
            std::vector<std::wstring> keys;
            std::vector<std::wstring> values;
            store.ReadSection(name, L"", &keys, &values);
            EXPECT_EQ(keys.size(), values.size());
        }
        ASSERT_TRUE(store.WriteInt(L"normal", L"blurvalue", 30)) << seed;
        EXPECT_EQ(store.ReadInt(L"normal", L"blurvalue"), 30) << seed;
        EXPECT_TRUE(IsInsertionInto(junk, *files.Content(kFile))) << seed;
    }
}

TEST(ConfigStoreBadInput, FiftyMegabyteFile) {
    // Built as ASCII and widened in one pass: 50 MB of UTF-16 in 1,000-character lines.
    std::string text = "[normal]\r\n";
    text.reserve(26u * 1024 * 1024);
    const std::string filler(1000, 'f');
    while (text.size() * 2 < 50u * 1024 * 1024) text += "k" + std::to_string(text.size()) + "=" + filler + "\r\n";
    text += "last=42\r\n";
    std::vector<std::uint8_t> bytes(2 + text.size() * 2, 0);
    bytes[0] = 0xFF;
    bytes[1] = 0xFE;
    for (std::size_t i = 0; i < text.size(); ++i) bytes[2 + 2 * i] = static_cast<std::uint8_t>(text[i]);
    FakeFileSystem files;
    files.AddFile(kFile, std::move(bytes));
    ConfigStore store(files, kBase);
    EXPECT_EQ(store.ReadInt(L"normal", L"last"), 42);
    ASSERT_TRUE(store.WriteString(L"other", L"x", L"1"));
    EXPECT_EQ(store.ReadInt(L"other", L"x"), 1);
    // "[other]", "x=1" and their line breaks: 14 units appended, nothing else touched.
    EXPECT_EQ(files.Content(kFile)->size(), text.size() * 2 + 2 + 28);
}

TEST(ConfigStoreBadInput, OneMegabyteLine) {
    FakeFileSystem files;
    files.AddFile(kFile, fakes::Utf16File(u"[a]\r\nbig=" + std::u16string(1 << 20, u'x') + u"\r\nafter=1\r\n" + std::u16string(1 << 20, u'[')));
    ConfigStore store(files, kBase);
    EXPECT_EQ(store.ReadString(L"a", L"big").size(), 259u);
    EXPECT_TRUE(store.HasKey(L"a", L"big"));
    EXPECT_EQ(store.ReadInt(L"a", L"after"), 1);
    std::vector<std::wstring> keys;
    std::vector<std::wstring> values;
    // The section read's buffer is full after the first line: "big=" and 65529 units.
    EXPECT_EQ(store.ReadSection(L"a", L"", &keys, &values), 1);
    EXPECT_EQ(values[0].size(), ConfigStore::kSectionUnits - 6);
    EXPECT_TRUE(store.WriteString(L"a", L"big", std::wstring(1 << 20, L'y')));
    EXPECT_EQ(store.ReadString(L"a", L"big").size(), 259u);
    EXPECT_EQ(store.ReadInt(L"a", L"after"), 1);
}

TEST(ConfigStoreBadInput, SurrogatesAndNulCharactersInTextAndNames) {
    FakeFileSystem files;
    files.AddDirectory(kBase);
    ConfigStore store(files, kBase);
    const std::wstring lone = FromUtf16(std::u16string{u'x', char16_t(0xD800), u'y'});
    EXPECT_TRUE(store.WriteString(L"a", L"lone", lone));
    EXPECT_EQ(store.ReadString(L"a", L"lone"), lone);
    EXPECT_TRUE(store.WriteString(L"a", lone, L"v"));
    EXPECT_EQ(store.ReadString(L"a", lone), L"v");
    const std::wstring withNul(L"ab\0cd", 5);
    EXPECT_TRUE(store.WriteString(L"a", L"nul", withNul));
    EXPECT_EQ(store.ReadString(L"a", L"nul"), L"ab");
    EXPECT_TRUE(store.WriteString(std::wstring(L"s\0x", 3), L"k", L"1"));
    EXPECT_EQ(store.ReadInt(L"s", L"k"), 1);
    // What is in the file is what any reader would see.
    EXPECT_EQ(files.ContentText(kFile), fakes::Utf16File(u"[a]\r\nlone=x\xD800y\r\nx\xD800y=v\r\nnul=ab\r\n[s]\r\nk=1\r\n"));
}

} // namespace
} // namespace kestrana::foundation
