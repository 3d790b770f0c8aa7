// The dock's menus for each kind of place, and the commands that only touch the settings
// and the row.
#include "dock/dock_menus.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrana::dock {
namespace {

namespace cmd = dock_command;

// Top-level ids in order, 0 for rules and sub-menus.
std::vector<int> Ids(const gfx::Menu& rows) {
    std::vector<int> ids;
    for (const auto& row : rows) ids.push_back(row.id);
    return ids;
}

const gfx::MenuItem* Find(const gfx::Menu& rows, int id) {
    for (const auto& row : rows) {
        if (row.id == id && !row.separator) return &row;
        if (const auto* inner = Find(row.submenu, id)) return inner;
    }
    return nullptr;
}

const gfx::Menu* OptionsOf(const DockMenu& menu) {
    for (const auto& row : menu.rows)
        if (row.HasSubmenu()) return &row.submenu;
    return nullptr;
}

TEST(DockMenus, BackgroundMenuInItsOrderWithLockAndSeparatorRows) {
    fakes::SettingsFolder folder;
    folder.Config(u"[normal]\r\nlockicon=1\r\n");
    const DockMenu plain = BuildBackgroundMenu(folder.store, false, true);
    EXPECT_EQ(plain.kind, DockMenuKind::Background);
    EXPECT_EQ(Ids(plain.rows), (std::vector<int>{cmd::kAddProgram, 0, cmd::kAddSeparator, 0, cmd::kHideTaskbar,
                                                 cmd::kLock, 0, cmd::kRestartDock, cmd::kPreference,
                                                 cmd::kEndDock}));
    EXPECT_TRUE(Find(plain.rows, cmd::kLock)->checked);
    EXPECT_EQ(plain.rows[1].submenu.size(), AddableSpecialItems().size());
    EXPECT_EQ(plain.rows[1].submenu.back().id, cmd::kAddSpecialFirst + static_cast<int>(AddableSpecialItems().size()) - 1);

    const DockMenu onSeparator = BuildBackgroundMenu(folder.store, true, false);
    EXPECT_NE(Find(onSeparator.rows, cmd::kRemoveSeparator), nullptr);
    EXPECT_NE(Find(onSeparator.rows, cmd::kShowTaskbar), nullptr);
    EXPECT_EQ(Find(onSeparator.rows, cmd::kHideTaskbar), nullptr);
}

TEST(DockMenus, ItemMenusOfEachKind) {
    fakes::SettingsFolder folder;
    folder.Config(u"[blacklist]\r\nchrome.exe=1\r\n");

    // A running browser with two windows: private window, the windows, options, quit last.
    ItemMenuFacts browser{L"chrome.exe", true, true, true, {{WindowId{11}, L"Mail"}, {WindowId{12}, L""}}, {}, {}};
    const DockMenu running = BuildItemMenu(folder.store, browser);
    EXPECT_EQ(running.kind, DockMenuKind::Item);
    EXPECT_EQ(Ids(running.rows), (std::vector<int>{cmd::kPrivateWindow, 0, cmd::kWindowFirst, cmd::kWindowFirst + 1,
                                                   0, 0, 0, cmd::kQuit}));
    EXPECT_EQ(running.rows[3].text, L"chrome.exe"); // an untitled window shows the program
    EXPECT_EQ(WindowOfCommand(running, cmd::kWindowFirst + 1), WindowId{12});
    EXPECT_FALSE(WindowOfCommand(running, cmd::kWindowFirst + 2).has_value());
    const gfx::Menu* options = OptionsOf(running);
    ASSERT_NE(options, nullptr);
    EXPECT_NE(Find(*options, cmd::kRemove), nullptr);
    EXPECT_TRUE(Find(*options, cmd::kNeverShow)->checked);
    EXPECT_FALSE(Find(*options, cmd::kMessageCounts)->checked);
    EXPECT_NE(Find(*options, cmd::kRunAgain), nullptr);

    // Not running, not kept (nothing to show it but the menu): keep, and open last.
    const DockMenu idle = BuildItemMenu(folder.store, {L"notepad.exe", false, false, true, {}, {}, {}});
    EXPECT_EQ(idle.rows.back().id, cmd::kOpen);
    EXPECT_EQ(Find(idle.rows, cmd::kPrivateWindow), nullptr);
    EXPECT_NE(Find(idle.rows, cmd::kKeep), nullptr);
    EXPECT_EQ(Find(idle.rows, cmd::kRunAgain), nullptr);

    // A folder item's own entries stand first.
    ItemMenuFacts folderItem{L"documents", true, false, true, {}, {gfx::MenuItem::Command(cmd::kFolderFirst, L"Sort")}, {}};
    EXPECT_EQ(BuildItemMenu(folder.store, folderItem).rows.front().id, cmd::kFolderFirst);

    // The trash: open and empty, nothing else; Launchpad cannot be removed; the weather
    // item has neither open nor quit; the file manager starts with a new window.
    const DockMenu trash = BuildItemMenu(folder.store, {L"trash|", true, false, false, {}, {}, {}});
    EXPECT_EQ(trash.kind, DockMenuKind::Trash);
    EXPECT_EQ(Ids(trash.rows), (std::vector<int>{cmd::kOpen, cmd::kEmptyTrash}));
    const DockMenu pad = BuildItemMenu(folder.store, {L"launchpad|", true, false, false, {}, {}, {}});
    EXPECT_EQ(Find(pad.rows, cmd::kRemove), nullptr);
    const DockMenu weather = BuildItemMenu(folder.store, {L"weather", true, false, false, {}, {}, {}});
    EXPECT_EQ(weather.kind, DockMenuKind::Special);
    EXPECT_EQ(Find(weather.rows, cmd::kOpen), nullptr);
    EXPECT_EQ(Find(weather.rows, cmd::kNeverShow), nullptr);
    const DockMenu files = BuildItemMenu(folder.store, {L"explorer.exe", true, true, true, {}, {}, {}});
    EXPECT_EQ(Ids(files.rows), (std::vector<int>{0, 0, cmd::kNewFileManagerWindow, cmd::kGoToFolder,
                                                 cmd::kConnectToServer, cmd::kShowDesktop, 0, 0, 0, cmd::kQuit}));
    EXPECT_EQ(files.rows.front().submenu.size(), SystemTools().size());
    EXPECT_EQ(SystemToolOfCommand(files.rows.front().submenu.back().id), &SystemTools().back());
    EXPECT_EQ(SystemToolOfCommand(cmd::kSystemToolFirst + static_cast<int>(SystemTools().size())), nullptr);
    for (const DockMenu* m : {&running, &idle, &trash, &pad, &weather, &files}) {
        EXPECT_FALSE(m->rows.front().separator);
        EXPECT_FALSE(m->rows.back().separator);
        for (std::size_t i = 1; i < m->rows.size(); ++i)
            EXPECT_FALSE(m->rows[i].separator && m->rows[i - 1].separator) << "two rules in a row";
    }
}

TEST(DockMenus, RecentItemsStandBeforeTheWindowsAndAllWindowsAmongTheOptions) {
    fakes::SettingsFolder folder;
    ItemMenuFacts editor{L"notepad.exe", true, true, true, {{WindowId{5}, L"a.txt"}}, {}, {L"C:\\d\\a.txt", L"C:\\b.txt"}};
    const DockMenu menu = BuildItemMenu(folder.store, editor);
    ASSERT_TRUE(menu.rows.front().HasSubmenu());
    EXPECT_EQ(menu.rows.front().submenu[0].text, L"a.txt");
    EXPECT_EQ(menu.rows[2].id, cmd::kWindowFirst);
    EXPECT_EQ(RecentOfCommand(menu, menu.rows.front().submenu[1].id), L"C:\\b.txt");
    EXPECT_FALSE(RecentOfCommand(menu, cmd::kRecentFirst + 2));
    EXPECT_NE(Find(menu.rows, cmd::kShowAllWindows), nullptr);
    // Without windows there is nothing to show; without recent items, no empty sub-menu.
    const DockMenu idle = BuildItemMenu(folder.store, {L"notepad.exe", true, false, true, {}, {}, {}});
    EXPECT_EQ(Find(idle.rows, cmd::kShowAllWindows), nullptr);
    EXPECT_EQ(Find(idle.rows, cmd::kRecentFirst), nullptr);
    // The file manager lists its recent items first.
    const DockMenu files = BuildItemMenu(folder.store, {L"explorer.exe", true, false, true, {}, {}, {L"D:\\Work\\"}});
    EXPECT_EQ(files.rows.front().submenu.front().text, L"Work");
}

TEST(DockMenus, ProgramOptionsSwitchTheirConfigKey) {
    fakes::SettingsFolder folder;
    EXPECT_TRUE(ToggleProgramOption(folder.store, cmd::kNeverShow, L"code.exe"));
    EXPECT_EQ(folder.store.ReadInt(L"blacklist", L"code.exe"), 1);
    EXPECT_TRUE(ToggleProgramOption(folder.store, cmd::kNoMinimiseEffect, L"code.exe"));
    EXPECT_TRUE(folder.store.HasKey(L"blacklistwindows", L"code.exe"));
    const DockMenu menu = BuildItemMenu(folder.store, {L"code.exe", true, true, true, {}, {}, {}});
    const gfx::Menu* options = OptionsOf(menu);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(Find(*options, cmd::kNeverShow)->checked);
    EXPECT_TRUE(ToggleProgramOption(folder.store, cmd::kNeverShow, L"code.exe"));
    EXPECT_FALSE(folder.store.HasKey(L"blacklist", L"code.exe"));
    EXPECT_FALSE(ToggleProgramOption(folder.store, cmd::kQuit, L"code.exe"));
    EXPECT_FALSE(ToggleProgramOption(folder.store, cmd::kNeverShow, L""));
}

TEST(DockMenus, RowCommandsKeepRemoveAndSeparators) {
    DockItems row;
    for (const wchar_t* app : {L"a.exe", L"trash|"}) {
        auto item = MakeDockico();
        item->appname = app;
        row.Append(std::move(item));
    }
    auto running = MakeDockico();
    running->appname = L"b.exe";
    running->kept = false;
    running->running = true;
    row.Append(std::move(running));
    const std::size_t a = 3, trash = 4, b = 5;

    EXPECT_TRUE(ApplyRowCommand(row, b, cmd::kKeep));
    EXPECT_TRUE(row[b].kept);
    EXPECT_FALSE(ApplyRowCommand(row, b, cmd::kKeep));
    EXPECT_TRUE(ApplyRowCommand(row, b, cmd::kRemove));
    EXPECT_FALSE(row[b].kept);
    EXPECT_FALSE(row[b].leaving); // still running: stays until it ends
    EXPECT_TRUE(ApplyRowCommand(row, a, cmd::kRemove));
    EXPECT_TRUE(row[a].leaving);
    EXPECT_FALSE(ApplyRowCommand(row, trash, cmd::kRemove));
    EXPECT_TRUE(row[trash].kept);

    // A separator goes in before the item clicked, or at the end beside the row.
    EXPECT_TRUE(ApplyRowCommand(row, trash, cmd::kAddSeparator));
    EXPECT_TRUE(row[trash].IsSeparator());
    EXPECT_TRUE(ApplyRowCommand(row, 0, cmd::kAddSeparator));
    EXPECT_TRUE(row[row.EndReal() - 1].IsSeparator());
    EXPECT_FALSE(ApplyRowCommand(row, a, cmd::kRemoveSeparator));
    EXPECT_TRUE(ApplyRowCommand(row, trash, cmd::kRemoveSeparator));
    EXPECT_TRUE(row[trash].leaving);
    EXPECT_FALSE(row[trash].kept);
    EXPECT_FALSE(ApplyRowCommand(row, 1, cmd::kKeep)); // a placeholder
}

} // namespace
} // namespace kestrana::dock
