// Which recent items an item's menu lists.
#include "foundation/recent_files.h"

#include <gtest/gtest.h>

namespace kestrana::foundation {
namespace {

TEST(RecentFiles, ProgramsListTheirOwnDocumentsNewestFirstOnceEach) {
    const std::vector<RecentEntry> used{
        {L"C:\\a.txt", L"notepad.exe", 10, false},  {L"C:\\b.png", L"mspaint.exe", 50, false},
        {L"C:\\c.txt", L"notepad.exe", 30, false},  {L"c:\\A.TXT", L"notepad.exe", 40, false},
        {L"C:\\Work", L"", 60, true},                {L"C:\\d.log", L"", 70, false},
    };
    EXPECT_EQ(RecentFilesFor(used, L"Notepad.exe"), (std::vector<std::wstring>{L"c:\\A.TXT", L"C:\\c.txt"}));
    EXPECT_EQ(RecentFilesFor(used, L"explorer.exe"),
              (std::vector<std::wstring>{L"C:\\d.log", L"C:\\Work", L"C:\\b.png", L"c:\\A.TXT", L"C:\\c.txt"}));
    // Files nobody claims belong to no program, not even one without a name.
    EXPECT_TRUE(RecentFilesFor(used, L"").empty());

    std::vector<RecentEntry> many;
    for (int i = 0; i < 30; ++i) many.push_back({L"C:\\f" + std::to_wstring(i) + L".txt", L"notepad.exe", i, false});
    const auto rows = RecentFilesFor(many, L"notepad.exe");
    ASSERT_EQ(rows.size(), kRecentRows);
    EXPECT_EQ(rows.front(), L"C:\\f29.txt");

    EXPECT_EQ(RecentRowText(L"C:\\Users\\me\\Notes.txt"), L"Notes.txt");
    EXPECT_EQ(RecentRowText(L"D:\\Work\\"), L"Work");
    EXPECT_EQ(RecentRowText(L"D:\\"), L"D:\\");
}

} // namespace
} // namespace kestrana::foundation
