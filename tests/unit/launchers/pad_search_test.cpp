// Finding applications by typed text: word beginnings, pinyin spellings and initials,
// and the order of the hits.

#include "launchers/pad_search.h"

#include <gtest/gtest.h>

#include <map>

namespace kestrana::launchers {
namespace {

std::wstring Reading(wchar_t c) {
    static const std::map<wchar_t, std::wstring> readings = {
        {L'微', L"wei"}, {L'信', L"xin"}, {L'音', L"yin"}, {L'乐', L"yue"}, {L'记', L"ji"}, {L'事', L"shi"}, {L'本', L"ben"}};
    const auto it = readings.find(c);
    return it == readings.end() ? std::wstring() : it->second;
}

LaunchpadEntry Entry(const std::wstring& name) {
    LaunchpadEntry entry;
    entry.name = name;
    entry.path = L"C:\\Apps\\" + name + L".lnk";
    entry.SetKey(name, Reading);
    return entry;
}

std::optional<MatchKind> Match(const std::wstring& name, const std::wstring& query) {
    return MatchWords(SearchWords(Entry(name).SearchKey()), query);
}

TEST(PadSearch, SplitsNamesIntoWords) {
    EXPECT_EQ(SearchWords(Entry(L"Visual Studio Code").SearchKey()), (std::vector<std::wstring>{L"visual", L"studio", L"code"}));
    EXPECT_EQ(SearchWords(Entry(L"QQ音乐").SearchKey()), (std::vector<std::wstring>{L"qq", L"yin", L"yue"}));
    EXPECT_EQ(SearchWords(Entry(L"OneDrive-Sync").SearchKey()), (std::vector<std::wstring>{L"one", L"drive", L"sync"}));
}

TEST(PadSearch, MatchesBeginningsPinyinAndInitials) {
    const struct {
        const wchar_t* name;
        const wchar_t* query;
        std::optional<MatchKind> kind;
    } cases[] = {
        {L"Notepad", L"note", MatchKind::NameStart},
        {L"Notepad", L"NOTE", MatchKind::NameStart},
        {L"Notepad", L"otepad", std::nullopt},   // inside a word is no match
        {L"Visual Studio", L"studio", MatchKind::WordStart},
        {L"Visual Studio", L"visual st", MatchKind::NameStart}, // spaces are ignored
        {L"Visual Studio Code", L"vsc", MatchKind::Initials},
        {L"Visual Studio Code", L"sc", MatchKind::LaterInitials},
        {L"微信", L"weixin", MatchKind::NameStart},
        {L"微信", L"weix", MatchKind::NameStart},
        {L"微信", L"xin", MatchKind::WordStart},
        {L"微信", L"wx", MatchKind::Initials},
        {L"微信", L"wxn", std::nullopt},
        {L"QQ音乐", L"qqyy", MatchKind::Initials},
        {L"记事本", L"jsb", MatchKind::Initials},
        {L"记事本", L"jishib", MatchKind::NameStart},
        {L"Notepad", L"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::string(c.query, c.query + std::wcslen(c.query)));
        EXPECT_EQ(Match(c.name, c.query), c.kind);
    }
}

TEST(PadSearch, RanksBestMatchFirstAndLooksInsideGroups) {
    LaunchpadGroup group;
    group.name = L"other";
    group.entries = {Entry(L"Notes"), Entry(L"微信")};
    std::vector<LaunchpadPage> pages(2);
    pages[0] = {Entry(L"Sticky Notes"), Entry(L"Notepad++"), group};
    pages[1] = {Entry(L"New Office"), Entry(L"Notepad")};

    const auto hits = SearchPages(pages, L"no");
    std::vector<std::wstring> names;
    for (const auto& hit : hits) {
        const auto& icon = pages[hit.place.page][hit.place.position];
        names.push_back(hit.place.member ? std::get<LaunchpadGroup>(icon).entries[*hit.place.member].name
                                         : std::get<LaunchpadEntry>(icon).name);
    }
    // Name starts, shortest first; then word starts; "New Office" only by initials.
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Notes", L"Notepad", L"Notepad++", L"Sticky Notes", L"New Office"}));
    ASSERT_EQ(SearchPages(pages, L"wx").size(), 1u);
    // Text from an input method finds the name itself.
    const auto literal = SearchPages(pages, L"微");
    ASSERT_EQ(literal.size(), 1u);
    EXPECT_EQ(literal[0].place.member, std::optional<std::size_t>(1));
}

} // namespace
} // namespace kestrana::launchers
