#include "dock/item_backup.h"

#include "item_list_support.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using namespace testing;

TEST(ItemBackup, CopiesTheListUnderADatedNameAndReportsTheLanguageText) {
    ItemWorld world;
    world.store.SetCurrentLanguage(L"en");
    world.Write(L"lang\\en.ini", "[settingtips]\r\nbackuptips=Saved!\r\n");
    const auto list = FileOf(ProgramList(4));
    world.files.AddFile(world.Path(L"ico.ini"), list);
    world.clock.now = LocalTime{2024, 11, 5, 0, 7, 9};
    const auto result = BackupItemList(world.store, world.clock);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.message, L"Saved!");
    EXPECT_EQ(result.fileName, L"2024-11-5 0_7_9.dockico.ini");
    EXPECT_EQ(world.Bytes(L"backup\\2024-11-5 0_7_9.dockico.ini"), list);
    EXPECT_EQ(world.Bytes(L"ico_backup.ini"), list);

    // No folder can be made, or nothing to copy: the error text, built in when the file has none.
    for (const bool folderFails : {true, false}) {
        ItemWorld broken;
        if (folderFails) {
            broken.files.AddFile(broken.Path(L"ico.ini"), list);
            broken.files.FailAlways(fakes::FsOp::CreateFolder);
        }
        const auto failed = BackupItemList(broken.store, broken.clock);
        EXPECT_FALSE(failed.ok);
        EXPECT_EQ(failed.message, L"The backup could not be written.");
        EXPECT_FALSE(broken.Exists(L"ico_backup.ini"));
    }
}

TEST(ItemBackup, ListsDatedCopiesNewestFirst) {
    ItemWorld world;
    for (const wchar_t* name : {L"2024-9-30 23_59_59.dockico.ini", L"notes.dockico.ini", L"2024-10-1 0_0_0.dockico.ini",
                                L"2024-10-1 0_0_10.DOCKICO.INI", L"other.ini", L"2023-12-31 9_5_1.dockico.ini"}) {
        world.files.AddFile(world.Path(L"backup\\") + name, "x");
    }
    world.files.AddDirectory(world.Path(L"backup\\folder.dockico.ini"));
    EXPECT_EQ(ListItemBackups(world.store),
              (std::vector<std::wstring>{L"2024-10-1 0_0_10.DOCKICO.INI", L"2024-10-1 0_0_0.dockico.ini",
                                         L"2024-9-30 23_59_59.dockico.ini", L"2023-12-31 9_5_1.dockico.ini",
                                         L"notes.dockico.ini"}));
}

TEST(ItemBackup, RestoreReplacesTheListAndDropsThePreviousFile) {
    ItemWorld world;
    const auto chosen = FileOf(ProgramList(3, L"chosen"));
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(ProgramList(5)));
    world.files.AddFile(world.Path(L"ico_bak.ini"), FileOf(ProgramList(6)));
    world.files.AddFile(world.Path(L"backup\\2024-1-1 1_1_1.dockico.ini"), chosen);

    EXPECT_FALSE(RestoreItemList(world.store)); // nothing chosen yet
    EXPECT_FALSE(ChooseItemBackup(world.store, L"..\\ico.ini"));
    EXPECT_FALSE(ChooseItemBackup(world.store, L"missing.dockico.ini"));
    ASSERT_TRUE(ChooseItemBackup(world.store, L"2024-1-1 1_1_1.dockico.ini"));
    world.files.FailNth(fakes::FsOp::Rename, 1); // the move fails: copied instead
    ASSERT_TRUE(RestoreItemList(world.store));
    EXPECT_EQ(world.Bytes(L"ico.ini"), chosen);
    EXPECT_FALSE(world.Exists(L"ico_bak.ini"));
    EXPECT_FALSE(world.Exists(L"ico_backup.ini"));
    EXPECT_EQ(RecordsOf(world.Load().items), ProgramList(3, L"chosen"));

    // A backup without a single section is refused and changes nothing.
    world.Write(L"ico_backup.ini", "; empty\r\n");
    EXPECT_FALSE(RestoreItemList(world.store));
    EXPECT_EQ(world.Bytes(L"ico.ini"), chosen);
}

} // namespace
} // namespace kestrana::dock
