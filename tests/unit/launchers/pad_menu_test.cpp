// The Launchpad menu's orders of the pages and the rows it offers.

#include "catalogue_support.h"
#include "launchers/pad_arrange.h"
#include "launchers/pad_menu.h"

namespace kestrana::launchers::testing {
namespace {

LaunchpadEntry Entry(int app, EntrySource source = EntrySource::Applications) {
    LaunchpadEntry entry;
    entry.path = L"C:\\Apps\\app" + std::to_wstring(app) + L".exe";
    entry.name = L"App " + std::to_wstring(app);
    entry.source = source;
    return entry;
}

TEST(PadMenuSort, GroupsFirstThenEachSourceByNameAndFillingKeepsTheOrder) {
    LaunchpadGroup group{L"zeta", {Entry(8), Entry(9)}};
    std::vector<LaunchpadPage> pages{
        {Entry(3, EntrySource::Pinned), Entry(2), group},
        {Entry(5, EntrySource::Desktop), Entry(1)},
    };
    SortGroupsFirst(pages);
    EXPECT_EQ(Shape(pages), (std::vector<std::vector<int>>{{-2, 1, 2, 5, 3}}));

    // 40 icons over three thin pages become a full page and five on the next.
    std::vector<LaunchpadPage> thin(3);
    for (int i = 1; i <= 40; ++i) thin[static_cast<std::size_t>((i - 1) / 14)].push_back(Entry(i));
    FillPages(thin);
    ASSERT_EQ(thin.size(), 2u);
    EXPECT_EQ(thin[0].size(), 35u);
    EXPECT_EQ(Shape(thin)[1], (std::vector<int>{36, 37, 38, 39, 40}));
}

TEST(PadMenu, RecentDocumentsInTheirOwnRowsAndOnlyTheBackgroundsRowsOffTheEntries) {
    PadMenuFacts facts{true, {L"notes", L"todo"}};
    const auto menu = BuildPadMenu(facts, [](auto, auto, std::wstring_view fallback) { return std::wstring(fallback); });
    const auto recentRow = std::find_if(menu.begin(), menu.end(), [](const auto& row) { return row.text == L"Recent Items"; });
    ASSERT_NE(recentRow, menu.end());
    ASSERT_EQ(recentRow->submenu.size(), 2u);
    EXPECT_EQ(recentRow->submenu[1].id, kPadMenuRecentFirst + 1);
    EXPECT_EQ(BuildPadMenu({}, [](auto, auto, std::wstring_view f) { return std::wstring(f); }).size(), 2u); // add, sort
}

} // namespace
} // namespace kestrana::launchers::testing
