#include "item_list_support.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using namespace testing;

TEST(ItemListFile, ComposedFileEqualsKeyByKeyWritesAndReadsBackEveryValue) {
    ItemWorld world;
    std::vector<ItemKeys> sections = {
        {{L"tag", L"Notes \u4E2D\u6587 \U0001F600"}, {L"appname", L"notes.exe"}, {L"runline", L"--mode=a=b \"q\""}},
        {{L"delimiter", L"1"}},
        {},                                              // nothing to write: no section, no gap
        {{L"appname", L"cal|"}, {L"UWP", L"4"}, {L"icopath", L""}},
    };
    for (std::size_t n = 0, written = 0; n < sections.size(); ++n) {
        if (sections[n].empty()) continue;
        ++written;
        for (const auto& [key, value] : sections[n]) {
            world.store.WriteString(L"ico" + std::to_wstring(written), key, value, L"by_keys.ini");
        }
    }
    EXPECT_EQ(ComposeItemFile(sections), world.Bytes(L"by_keys.ini"));

    // Hostile values come back as StorableValue made them, on one line each.
    const std::wstring longValue(10000, L'x');
    std::wstring pairs;
    for (int i = 0; i < 200; ++i) pairs += L"\U0001F600";
    const std::vector<std::wstring> values = {L"two\r\nlines", L"  padded\t ", std::wstring(L"cut\0here", 8),
                                              longValue, pairs, L"[ico9]", L"a\x01" L"b", L"\"quoted\"", L"''",
                                              L"\"" + longValue + L"\""};
    std::vector<ItemKeys> hostile;
    for (const auto& value : values) hostile.push_back({{L"tag", value}, {L"appname", L"x.exe"}});
    world.files.AddFile(world.Path(L"hostile.ini"), ComposeItemFile(hostile));
    const auto records = world.Records(L"hostile.ini");
    ASSERT_EQ(records.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(records[i].tag, StorableValue(values[i])) << i;
        EXPECT_LE(foundation::Utf16Length(records[i].tag), kItemValueUnits);
        EXPECT_EQ(records[i].appname, L"x.exe");
    }
    EXPECT_EQ(StorableValue(L"two\r\nlines"), L"two  lines");
    EXPECT_EQ(foundation::Utf16Length(StorableValue(pairs)), 258u); // a pair is never split
}

TEST(ItemListFile, SectionsAreReadInFileOrderWhateverTheirNames) {
    ItemWorld world;
    world.Write(L"ico.ini",
                "; comment\r\n[zeta]\r\nappname=z.exe\r\nUWP=3\r\n[ico9]\r\ndelimiter=1\r\n"
                "[Alpha]\r\nappname=a.exe\r\ntag=\"Quoted\"\r\n[ZETA]\r\nappname=again.exe\r\n[ico1]\r\nvirtualpath=v\r\n");
    const auto records = world.Records(L"ico.ini");
    ASSERT_EQ(records.size(), 4u); // the second [ZETA] can never be read apart from the first
    EXPECT_EQ(records[0].appname, L"z.exe");
    EXPECT_EQ(records[0].uwp, 3);
    EXPECT_TRUE(records[1].delimiter);
    EXPECT_EQ(records[2].tag, L"Quoted");
    EXPECT_EQ(records[3].virtualpath, L"v");
}

TEST(ItemListFile, XmlChildrenBecomeSectionsInDocumentOrder) {
    const std::string xml =
        "<?xml version=\"1.0\"?><config>"
        "<b><tag>Second name first</tag><appname>b.exe</appname><UWP>2</UWP><ignored>x</ignored></b>"
        "<ico><appname>same1.exe</appname></ico><!-- note --><ico><appname>same2.exe</appname><delimiter>1</delimiter></ico>"
        "</config>";
    const auto parsed = ParseItemXml(std::span(reinterpret_cast<const std::uint8_t*>(xml.data()), xml.size()));
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->size(), 3u);
    EXPECT_EQ((*parsed)[0], (ItemKeys{{L"tag", L"Second name first"}, {L"appname", L"b.exe"}, {L"UWP", L"2"}}));
    EXPECT_EQ((*parsed)[1], (ItemKeys{{L"appname", L"same1.exe"}}));
    EXPECT_EQ((*parsed)[2], (ItemKeys{{L"appname", L"same2.exe"}, {L"delimiter", L"1"}}));

    // UTF-16 with a byte-order mark, and a document cut short after its first item.
    std::vector<std::uint8_t> utf16 = {0xFF, 0xFE};
    for (const char16_t c : std::u16string(u"<config><i><tag>\u00E9t\u00E9</tag></i><j><tag>lost"))
        utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    const auto damaged = ParseItemXml(utf16);
    ASSERT_TRUE(damaged);
    ASSERT_GE(damaged->size(), 1u);
    EXPECT_EQ((*damaged)[0], (ItemKeys{{L"tag", L"\u00E9t\u00E9"}}));

    const std::string junk = "not xml at all";
    EXPECT_FALSE(ParseItemXml(std::span(reinterpret_cast<const std::uint8_t*>(junk.data()), junk.size())));
}

} // namespace
} // namespace kestrana::dock
