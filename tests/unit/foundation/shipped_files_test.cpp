// The language files and the pinyin table as they ship: encoding, line breaks, the texts
// the program asks for, and values short enough for the store's read buffer.
#include "foundation/config_store.h"
#include "foundation/profile_document.h"
#include "foundation/text.h"

#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every line break is CRLF: no CR or LF unit stands alone.
bool OnlyCrlf(const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        const unsigned next = i + 3 < bytes.size() ? (bytes[i + 2] | (bytes[i + 3] << 8)) : 0;
        const unsigned previous = i >= 4 ? (bytes[i - 2] | (bytes[i - 1] << 8)) : 0;
        if (unit == '\r' && next != '\n') return false;
        if (unit == '\n' && previous != '\r') return false;
    }
    return true;
}

struct Text {
    const char16_t* section;
    const char16_t* key;
};

// The texts the features built so far show.
const Text kTexts[] = {
    {u"language", u"name"},
    {u"iconame", u"explorer"}, {u"iconame", u"launchpad"}, {u"iconame", u"cal"}, {u"iconame", u"trash"},
    {u"iconame", u"timeformat"}, {u"iconame", u"startmenu"},
    {u"systemicon", u"taskbar"}, {u"systemicon", u"controlpanel"}, {u"systemicon", u"network"},
    {u"systemicon", u"weather"}, {u"systemicon", u"battery"},
    {u"settingtips", u"backupfolderror"}, {u"settingtips", u"backuptips"}, {u"settingtips", u"hotkeyhideerror"},
    {u"settingtips", u"autohideerror"}, {u"settingtips", u"restarttip"}, {u"settingtips", u"padicotypetips"},
    {u"tips", u"crashtip"},
    {u"menu", u"Workshop"},
    {u"workshop", u"newtheme"},
    {u"settingUI", u"locationbackup"}, {u"settingUI", u"Addbackupdockico"},
    {u"menu", u"sortorder"}, {u"menu", u"Byname"}, {u"menu", u"Byextension"}, {u"menu", u"Bydate/time"},
    {u"menu", u"Createtime"}, {u"menu", u"Groupdirectories"}, {u"menu", u"reverseorder"}, {u"menu", u"Display"},
    {u"menu", u"Folder"}, {u"menu", u"Stack"}, {u"menu", u"Locatefolder"}, {u"menu", u"FolderEffect"},
    {u"menu", u"Grid"}, {u"menu", u"Fan"}, {u"menu", u"menufold"},
    {u"folderstack", u"openfolder"}, {u"folderstack", u"more"},
};

ProfileDocument LanguageFile(const std::string& language) {
    const auto bytes = ReadFile(std::string(KESTRANA_SOURCE_DIR) + "/assets/lang/" + language + ".ini");
    EXPECT_TRUE(bytes.size() > 2 && bytes[0] == 0xFF && bytes[1] == 0xFE && bytes.size() % 2 == 0) << language;
    EXPECT_TRUE(OnlyCrlf(bytes)) << language;
    auto document = ProfileDocument::Parse(bytes);
    EXPECT_EQ(document->Encoding(), ProfileEncoding::Utf16Le) << language;
    return std::move(*document);
}

TEST(ShippedLanguageFiles, AreUtf16WithCrlfAndHoldEveryText) {
    const ProfileDocument english = LanguageFile("English");
    const ProfileDocument chinese = LanguageFile("Chinese");
    for (const auto& text : kTexts) {
        const std::string name = ToUtf8(FromUtf16(text.section)) + "/" + ToUtf8(FromUtf16(text.key));
        const auto value = english.ReadString(text.section, text.key, u"", 65535);
        const auto translated = chinese.ReadString(text.section, text.key, u"", 65535);
        EXPECT_FALSE(value.empty()) << name;
        // The store reads a value into 260 units; a longer text would be cut.
        EXPECT_LT(std::max(value.size(), translated.size()), ConfigStore::kValueUnits) << name;
        EXPECT_TRUE(std::any_of(translated.begin(), translated.end(), [](char16_t c) { return c >= 0x4E00 && c <= 0x9FFF; }))
            << name << " is not translated";
    }
    // Both files hold the same sections and keys, each key once in its section: a second
    // line of a key is never read, so a text written there would never show.
    EXPECT_EQ(english.ReadSectionNames(32767), chinese.ReadSectionNames(32767));
    for (const auto& [from, to] : {std::pair{&english, &chinese}, std::pair{&chinese, &english}}) {
        for (const auto& section : from->ReadSectionNames(32767)) {
            std::set<std::u16string> seen;
            for (const auto& line : from->ReadSection(section, 65535)) {
                const auto key = line.substr(0, line.find(u'='));
                EXPECT_FALSE(to->ReadString(section, key, u"", 260).empty()) << ToUtf8(FromUtf16(key));
                EXPECT_TRUE(seen.insert(key).second) << ToUtf8(FromUtf16(section + u"/" + key)) << " twice";
            }
        }
    }
}

#if defined(KESTRANA_ASSETS_OUT)
TEST(ShippedPinyin, HoldsPlainReadingsOfTheIdeographs) {
    const auto bytes = ReadFile(std::string(KESTRANA_ASSETS_OUT) + "/pinyin.ini");
    ASSERT_GT(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_TRUE(OnlyCrlf(bytes));
    const auto document = ProfileDocument::Parse(bytes);
    ASSERT_TRUE(document);
    EXPECT_EQ(document->ReadSectionNames(32767), std::vector<std::u16string>{u"pinyin"});
    const auto lines = document->ReadSection(u"pinyin", 1u << 30);
    EXPECT_GT(lines.size(), 20000u);
    char16_t previous = 0;
    for (const auto& line : lines) {
        ASSERT_GE(line.size(), 3u);
        ASSERT_EQ(line[1], u'=');
        EXPECT_GE(line[0], 0x4E00);
        EXPECT_LE(line[0], 0x9FA5);
        EXPECT_GT(line[0], previous); // in code point order, each once
        previous = line[0];
        for (std::size_t i = 2; i < line.size(); ++i) ASSERT_TRUE(line[i] >= u'a' && line[i] <= u'z') << ToUtf8(FromUtf16(line));
    }

    fakes::FakeFileSystem files;
    files.AddFile(L"C:\\K\\pinyin.ini", bytes);
    ConfigStore store(files, L"C:\\K");
    struct Case {
        wchar_t character;
        const wchar_t* reading;
    };
    for (const auto& c : {Case{L'\u4E2D', L"zhong"}, Case{L'\u7EFF', L"lv"}, Case{L'\u7565', L"lve"}, Case{L'\u9FA5', L"yu"}}) {
        EXPECT_EQ(store.PinyinOf(c.character), c.reading) << std::hex << static_cast<unsigned>(c.character);
    }
    EXPECT_EQ(store.PinyinOf(L'\u3400'), L"");
}
#endif

} // namespace
} // namespace kestrana::foundation
