// Listing a folder stack: item kinds, every sort key both ways, and which pictures are
// decoded at once.

#include "launchers/stack_listing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrana::launchers {
namespace {

std::vector<ListedFile> Listing() {
    // In the order a listing by name gives them; times chosen so no two orders agree.
    return {
        {L"b.TXT", false, 10, 300, 500},   {L"Docs", true, 0, 100, 900},  {L"c.exe", false, 10, 500, 100},
        {L"Site.url", false, 1, 200, 200}, {L"a.lnk", false, 1, 400, 700}, {L"d.png", false, 10, 50, 300},
    };
}

std::vector<std::wstring> Names(int sortValue) {
    const int key = DecodeSortOrder(sortValue).key;
    auto items = MakeStackItems(L"C:\\f\\", Listing(), key);
    SortStackItems(items, sortValue);
    std::vector<std::wstring> names;
    for (const auto& item : items) names.push_back(item.name);
    return names;
}

TEST(StackListing, ClassifiesKindsAndShowsShortcutsWithoutExtension) {
    const auto items = MakeStackItems(L"C:\\f", Listing(), 0);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].path, L"C:\\f\\b.TXT");
    EXPECT_EQ(items[0].extension, L"txt");
    const StackItemKind kinds[] = {StackItemKind::File,     StackItemKind::Folder,   StackItemKind::Program,
                                   StackItemKind::InternetShortcut, StackItemKind::Shortcut, StackItemKind::File};
    for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i].kind, kinds[i]) << i;
    EXPECT_EQ(items[3].name, L"Site");
    EXPECT_EQ(items[4].name, L"a");
    EXPECT_TRUE(items[1].extension.empty());
}

TEST(StackListing, EverySortKeyOrdersBothWays) {
    using V = std::vector<std::wstring>;
    const V listing{L"b.TXT", L"Docs", L"c.exe", L"Site", L"a", L"d.png"};
    EXPECT_EQ(Names(0), listing);
    EXPECT_EQ(Names(1), listing);
    EXPECT_EQ(Names(-1), (V{L"a", L"b.TXT", L"c.exe", L"d.png", L"Docs", L"Site"}));
    EXPECT_EQ(Names(2), (V{L"Site", L"b.TXT", L"d.png", L"a", L"c.exe", L"Docs"}));
    EXPECT_EQ(Names(-2), (V{L"Docs", L"c.exe", L"a", L"d.png", L"b.TXT", L"Site"}));
    EXPECT_EQ(Names(3), (V{L"c.exe", L"a", L"b.TXT", L"Site", L"Docs", L"d.png"}));
    EXPECT_EQ(Names(-103), (V{L"d.png", L"Docs", L"Site", L"b.TXT", L"a", L"c.exe"}));
    EXPECT_EQ(Names(4), (V{L"Docs", L"a", L"b.TXT", L"d.png", L"Site", L"c.exe"}));
    EXPECT_EQ(Names(-4), (V{L"c.exe", L"Site", L"d.png", L"b.TXT", L"a", L"Docs"}));
    // Ties keep the listing order.
    EXPECT_EQ(Names(5), (V{L"Docs", L"b.TXT", L"d.png", L"a", L"c.exe", L"Site"}));
    EXPECT_EQ(Names(-5), (V{L"Site", L"c.exe", L"a", L"b.TXT", L"d.png", L"Docs"}));
}

TEST(StackListing, SmallPicturesAreDecodedAtOnceLargeOnesAndVideosWait) {
    auto plan = [](const wchar_t* name, std::uint64_t kb, bool directory = false) {
        const auto items = MakeStackItems(L"C:\\f", {{name, directory, kb * 1024, 0, 0}}, 0);
        return PlanIcon(items.at(0));
    };
    EXPECT_EQ(plan(L"photo.jpg", 699), IconPlan::DecodeNow);
    EXPECT_EQ(plan(L"photo.jpg", 700), IconPlan::ThumbnailLater);
    EXPECT_EQ(plan(L"Scan.TIFF", 0), IconPlan::DecodeNow);
    EXPECT_EQ(plan(L"clip.mkv", 1), IconPlan::ThumbnailLater);
    EXPECT_EQ(plan(L"notes.txt", 5000), IconPlan::Shell);
    EXPECT_EQ(plan(L"pictures.png", 1, true), IconPlan::Shell);
    EXPECT_EQ(plan(L"jpg", 1), IconPlan::Shell); // no extension at all
    EXPECT_EQ(ExtensionPicturePath(L"C:\\K", L"pdf"), L"C:\\K\\folderpng\\.pdf.png");
}

} // namespace
} // namespace kestrana::launchers
