// A folder item's settings: the sort-order value arithmetic of every menu command, the
// layout value's fall-backs, and the check marks of the item menu.

#include "fakes/settings_folder.h"
#include "launchers/stack_settings.h"

#include <gtest/gtest.h>

namespace kestrana::launchers {
namespace {

constexpr wchar_t kFolder[] = L"c:\\users\\u\\downloads";

TEST(StackSortOrder, ValueCarriesKeyReverseAndLocateFlag) {
    struct Case {
        int value, key;
        bool reverse, locate;
    };
    for (const Case& c : {Case{0, 0, false, false}, Case{3, 3, false, false}, Case{-103, 3, true, true},
                          Case{105, 5, false, true}, Case{-1, 1, true, false}}) {
        const SortOrder o = DecodeSortOrder(c.value);
        EXPECT_EQ(o.reverse, c.reverse) << c.value;
        EXPECT_EQ(o.locate, c.locate) << c.value;
        EXPECT_EQ(o.key, c.key) << c.value;
    }
}

TEST(StackSortOrder, MenuCommandsMoveTheValueAsTheItemMenuPromises) {
    struct Case {
        int before;
        int command;
        int after;
        int stackAfter; // -1: unchanged
    };
    const Case cases[] = {
        {-103, kStackSortFirst + 1, -102, -1}, // by extension keeps reverse and the flag
        {4, kStackSortFirst, 1, -1},
        {103, kStackSortFirst + 4, 105, -1},
        {-5, kStackReverse, 5, -1},
        {105, kStackShowPile, 5, 1},
        {-104, kStackShowFolder, -4, 0},
        {3, kStackShowPile, 3, 1},
        {3, kStackLocate, 103, 0},
        {-3, kStackLocate, -103, 0},
        {-103, kStackLocate, -3, 0},
        {0, kStackLocate, 101, 0}, // an unsorted folder takes the name order with the flag
    };
    for (const Case& c : cases) {
        FolderStackSettings before;
        before.sortValue = c.before;
        before.stackIcon = c.stackAfter == 0; // so that every change of the flag shows
        StackCommandResult result;
        const FolderStackSettings after = SettingsAfterCommand(before, c.command, &result);
        EXPECT_TRUE(result.handled);
        EXPECT_EQ(after.sortValue, c.after) << c.before << " command " << c.command;
        if (c.stackAfter >= 0) {
            EXPECT_EQ(after.stackIcon, c.stackAfter == 1) << c.before << " command " << c.command;
        }
    }
    StackCommandResult result;
    (void)SettingsAfterCommand({}, 999, &result);
    EXPECT_FALSE(result.handled);
}

TEST(StackSettingsFile, CommandsAreWrittenPerFolderAndReadBack) {
    fakes::SettingsFolder folder;
    folder.Config(u"[foldersortorder]\r\nc:\\users\\u\\downloads=105\r\n");
    auto& store = folder.store;
    EXPECT_TRUE(ApplyStackCommand(store, kFolder, kStackShowPile).iconChanged);
    FolderStackSettings s = ReadFolderStackSettings(store, kFolder);
    EXPECT_EQ(s.sortValue, 5);
    EXPECT_TRUE(s.stackIcon);
    ApplyStackCommand(store, kFolder, kStackFan);
    EXPECT_EQ(ReadFolderStackSettings(store, kFolder).Layout(), StackLayout::Fan);
    EXPECT_EQ(ReadFolderStackSettings(store, L"c:\\other").sortValue, 0);
}

TEST(StackSettingsFile, LayoutFallsBackToThePathWithoutBackslashAndToTheGrid) {
    fakes::SettingsFolder folder;
    folder.Config(u"[foldereffect]\r\nc:\\a=3\r\nc:\\b=7\r\nc:\\c\\=2\r\n");
    EXPECT_EQ(ReadFolderStackSettings(folder.store, L"c:\\a\\").Layout(), StackLayout::List);
    EXPECT_EQ(ReadFolderStackSettings(folder.store, L"c:\\c\\").Layout(), StackLayout::Fan);
    EXPECT_EQ(ReadFolderStackSettings(folder.store, L"c:\\b").effect, 0);
    EXPECT_EQ(ReadFolderStackSettings(folder.store, L"c:\\none\\").Layout(), StackLayout::Grid);
}

TEST(StackItemMenu, ChecksTheCurrentChoices) {
    fakes::SettingsFolder folder;
    auto checked = [](const gfx::Menu& menu) {
        std::vector<int> ids;
        for (const auto& item : menu) {
            if (item.checked) ids.push_back(item.id);
            for (const auto& sub : item.submenu)
                if (sub.checked) ids.push_back(sub.id);
        }
        return ids;
    };
    FolderStackSettings s;
    s.sortValue = -103;
    s.effect = 0;
    EXPECT_EQ(checked(FolderItemMenu(s, folder.store, s.Layout())),
              (std::vector<int>{kStackSortFirst + 2, kStackReverse, kStackLocate, kStackGrid}));
    s.sortValue = 2;
    s.effect = 3;
    s.stackIcon = true;
    EXPECT_EQ(checked(FolderItemMenu(s, folder.store, s.Layout())), (std::vector<int>{kStackSortFirst + 1, kStackShowPile, kStackList}));
}

} // namespace
} // namespace kestrana::launchers
