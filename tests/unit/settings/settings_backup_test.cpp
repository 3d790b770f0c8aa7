// The backup of everything: what it holds, a restore that puts it back, the refusal of
// hostile archives before any file is touched, and a failed write that leaves the old
// files.
#include "settings/settings_backup.h"

#include "fakes/fake_file_system.h"
#include "fakes/settings_folder.h"
#include "settings/backup_settings_page.h"
#include "settings/settings_catalogue.h"
#include "foundation/text.h"
#include "foundation/zip_archive.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace kestrana::settings {
namespace {

using fakes::FakeFileSystem;
using fakes::FsOp;

const std::wstring kBase = L"C:\\Kestrana\\";
constexpr dock::LocalTime kMorning{2026, 12, 6, 9, 5, 0};
constexpr dock::LocalTime kEvening{2026, 12, 6, 21, 30, 7};

std::vector<std::uint8_t> Zip(const std::vector<foundation::ZipMember>& members) {
    auto archive = foundation::WriteZip(members, 64u * 1024 * 1024);
    EXPECT_TRUE(archive);
    return archive ? *archive : std::vector<std::uint8_t>{};
}

foundation::ZipMember Member(std::string name, std::string_view text) {
    return {std::move(name), std::vector<std::uint8_t>(text.begin(), text.end())};
}

std::map<std::wstring, std::string> Snapshot(const FakeFileSystem& files) {
    std::map<std::wstring, std::string> all;
    for (const auto& path : files.AllFiles()) all[path] = files.ContentText(path);
    return all;
}

class SettingsBackupTest : public ::testing::Test {
protected:
    SettingsBackupTest() {
        files.AddFile(kBase + L"config.ini", "[normal]\r\ndefaultsize=48\r\n");
        files.AddFile(kBase + L"ico.ini", "[ico1]\r\nappname=explorer.exe\r\n");
        files.AddFile(kBase + L"padconfig.xml", "<pad><page1/></pad>");
        files.AddFile(kBase + L"padconfig.ini", "[pinned]\r\n");
        files.AddFile(kBase + L"themes\\dark\\theme.ini", "[config]\r\nname=Dark\r\n");
        files.AddFile(kBase + L"themes\\dark\\dockskin\\config.ini", "[config]\r\nleft=4\r\n");
        files.AddFile(kBase + L"themes\\dark\\dockskin\\bar.png", "image, not a setting");
        files.AddFile(kBase + L"themes\\light\\clock\\config.ini", "[clock]\r\n");
        files.AddFile(kBase + L"pinyin.ini", "[pinyin]\r\n");
    }

    RestoreResult Restore(const std::vector<std::uint8_t>& archive) {
        files.AddFile(kBase + L"incoming.zip", archive);
        return RestoreSettingsBackup(files, kBase, kBase + L"incoming.zip", kEvening);
    }

    FakeFileSystem files;
};

TEST_F(SettingsBackupTest, BackupHoldsTheSettingsFilesThatExistAndRestoreBringsThemBackKeepingTheCurrentOnes) {
    const BackupReport backup = WriteSettingsBackup(files, kBase, kMorning);
    ASSERT_TRUE(backup.written);
    EXPECT_EQ(backup.path, kBase + L"backup\\2026-12-6 9_5_0.settings.zip");
    EXPECT_EQ(backup.stored, (std::vector<std::wstring>{L"config.ini", L"ico.ini", L"padconfig.xml", L"padconfig.ini",
                                                        L"themes\\dark\\theme.ini", L"themes\\dark\\dockskin\\config.ini",
                                                        L"themes\\light\\clock\\config.ini"}));
    EXPECT_TRUE(backup.unreadable.empty());
    const auto archive = files.Content(backup.path);
    ASSERT_TRUE(archive);
    const BackupCheck check = CheckSettingsBackup(*archive);
    ASSERT_EQ(check.refusal, BackupRefusal::None);
    ASSERT_EQ(check.entries.size(), 7u);
    EXPECT_EQ(check.entries[5].relativePath, L"themes\\dark\\dockskin\\config.ini");
    EXPECT_EQ(std::string(check.entries[5].content.begin(), check.entries[5].content.end()), "[config]\r\nleft=4\r\n");

    // Settings change after the backup; a file appears that the backup did not have.
    files.AddFile(kBase + L"config.ini", "[normal]\r\ndefaultsize=96\r\n");
    files.AddFile(kBase + L"themes\\dark\\dockskin\\config.ini", "[config]\r\nleft=9\r\n");
    files.AddFile(kBase + L"padconfig_desktop.xml", "<pad/>");
    files.SetAttributes(kBase + L"ico.ini", {.readOnly = true});
    files.AddFile(kBase + L"ico.ini", "[ico1]\r\nappname=other.exe\r\n", {.readOnly = true});

    const RestoreResult restored = RestoreSettingsBackup(files, kBase, backup.path, kEvening);
    ASSERT_EQ(restored.outcome, RestoreOutcome::Restored);
    EXPECT_EQ(restored.written, backup.stored);
    EXPECT_EQ(files.ContentText(kBase + L"config.ini"), "[normal]\r\ndefaultsize=48\r\n");
    EXPECT_EQ(files.ContentText(kBase + L"ico.ini"), "[ico1]\r\nappname=explorer.exe\r\n");
    EXPECT_EQ(files.ContentText(kBase + L"themes\\dark\\dockskin\\config.ini"), "[config]\r\nleft=4\r\n");
    EXPECT_EQ(files.ContentText(kBase + L"padconfig_desktop.xml"), "<pad/>");
    // The files as they were before the restore, in a folder of their own.
    EXPECT_EQ(restored.keptFolder, kBase + L"backup\\2026-12-6 21_30_7.before-restore");
    EXPECT_EQ(files.ContentText(restored.keptFolder + L"\\config.ini"), "[normal]\r\ndefaultsize=96\r\n");
    EXPECT_EQ(files.ContentText(restored.keptFolder + L"\\ico.ini"), "[ico1]\r\nappname=other.exe\r\n");
    EXPECT_EQ(files.ContentText(restored.keptFolder + L"\\themes\\dark\\dockskin\\config.ini"), "[config]\r\nleft=9\r\n");
}

TEST_F(SettingsBackupTest, MissingFilesAreLeftOutAndAnUnreadableOneIsReported) {
    files.Remove(kBase + L"padconfig.xml");
    files.FailNth(FsOp::Read, 2); // ico.ini, read after config.ini
    const BackupReport backup = WriteSettingsBackup(files, kBase, kMorning);
    ASSERT_TRUE(backup.written);
    EXPECT_EQ(backup.unreadable, std::vector<std::wstring>{L"ico.ini"});
    EXPECT_EQ(backup.stored.size(), 5u);
    EXPECT_EQ(std::count(backup.stored.begin(), backup.stored.end(), L"padconfig.xml"), 0);

    files.ClearFaults();
    files.FailAlways(FsOp::Replace);
    EXPECT_FALSE(WriteSettingsBackup(files, kBase, kEvening).written);
}

TEST_F(SettingsBackupTest, ThemeFilesAreRestoredOnlyWhereTheThemeIsInstalled) {
    const auto archive = Zip({Member("config.ini", "[normal]\r\n"), Member("themes/gone/theme.ini", "[config]\r\n"),
                              Member("themes/light/clock/config.ini", "[clock]\r\nx=1\r\n"),
                              Member("themes/light/icons/config.ini", "[cal]\r\n")});
    const RestoreResult result = Restore(archive);
    ASSERT_EQ(result.outcome, RestoreOutcome::Restored);
    EXPECT_EQ(result.skipped, (std::vector<std::wstring>{L"themes\\gone\\theme.ini", L"themes\\light\\icons\\config.ini"}));
    EXPECT_FALSE(files.IsDirectory(kBase + L"themes\\gone"));
    EXPECT_FALSE(files.IsFile(kBase + L"themes\\light\\icons\\config.ini"));
    EXPECT_EQ(files.ContentText(kBase + L"themes\\light\\clock\\config.ini"), "[clock]\r\nx=1\r\n");
}

TEST_F(SettingsBackupTest, HostileArchivesAreRefusedBeforeAnyFileIsTouched) {
    const std::vector<std::uint8_t> zeros7(7u * 1024 * 1024, 0);
    const std::vector<std::uint8_t> zeros9(9u * 1024 * 1024, 0);
    std::vector<foundation::ZipMember> many;
    for (int i = 0; i <= int(kMaxBackupEntries); ++i) many.push_back(Member("themes/t" + std::to_string(i) + "/theme.ini", "x"));
    auto flipped = Zip({Member("config.ini", std::string(4000, 'a') + "[normal]\r\n")});
    flipped[40] ^= 0x55; // inside the deflated data
    const auto whole = Zip({Member("config.ini", "[normal]\r\n")});
    const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + long(whole.size() / 2));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> archive;
        BackupRefusal refusal;
    };
    const std::vector<Case> cases = {
        {"parent folder", Zip({Member("../config.ini", "x")}), BackupRefusal::UnsafeName},
        {"parent inside", Zip({Member("themes/dark/../../config.ini", "x")}), BackupRefusal::UnsafeName},
        {"absolute", Zip({Member("/config.ini", "x")}), BackupRefusal::UnsafeName},
        {"drive", Zip({Member("C:/Kestrana/config.ini", "x")}), BackupRefusal::UnsafeName},
        {"stream", Zip({Member("config.ini:hidden", "x")}), BackupRefusal::UnsafeName},
        {"unc", Zip({Member("\\\\server\\share\\config.ini", "x")}), BackupRefusal::UnsafeName},
        {"backslash", Zip({Member("themes\\dark\\theme.ini", "x")}), BackupRefusal::UnsafeName},
        {"empty segment", Zip({Member("themes//theme.ini", "x")}), BackupRefusal::UnsafeName},
        {"unknown", Zip({Member("config.ini", "x"), Member("run.bat", "x")}), BackupRefusal::UnknownName},
        {"unknown theme file", Zip({Member("themes/dark/icons/explorer.png", "x")}), BackupRefusal::UnknownName},
        {"device name", Zip({Member("themes/con/theme.ini", "x")}), BackupRefusal::UnknownName},
        {"trailing dot", Zip({Member("themes/dark./theme.ini", "x")}), BackupRefusal::UnknownName},
        {"duplicate", Zip({Member("config.ini", "a"), Member("CONFIG.INI", "b")}), BackupRefusal::Duplicate},
        {"too many", Zip(many), BackupRefusal::TooManyEntries},
        {"oversize", Zip({{"config.ini", zeros9}}), BackupRefusal::TooLarge},
        {"bomb", Zip({{"ico.ini", zeros7}}), BackupRefusal::Bomb},
        {"corrupt data", flipped, BackupRefusal::Corrupt},
        {"cut short", cut, BackupRefusal::NotAnArchive},
        {"no zip", std::vector<std::uint8_t>(200, 'z'), BackupRefusal::NotAnArchive},
        {"folders only", Zip({Member("themes/", ""), Member("themes/dark/", "")}), BackupRefusal::Empty},
    };
    const auto before = Snapshot(files);
    for (const Case& c : cases) {
        const RestoreResult result = Restore(c.archive);
        EXPECT_EQ(result.outcome, RestoreOutcome::Refused) << c.what;
        EXPECT_EQ(result.refusal, c.refusal) << c.what;
        files.Remove(kBase + L"incoming.zip");
        EXPECT_EQ(Snapshot(files), before) << c.what;
    }
    EXPECT_FALSE(files.IsDirectory(kBase + L"backup"));
}

TEST_F(SettingsBackupTest, AFailedWriteMidwayPutsTheOldFilesBack) {
    const auto archive = Zip({Member("padconfig_desktop.xml", "<pad>new</pad>"), Member("config.ini", "[normal]\r\nnew=1\r\n"),
                              Member("ico.ini", "[ico1]\r\nappname=new.exe\r\n")});
    files.AddFile(kBase + L"incoming.zip", archive);
    auto before = Snapshot(files);

    // Keeping the current files fails: nothing is replaced.
    files.FailNth(FsOp::Replace, 1);
    EXPECT_EQ(RestoreSettingsBackup(files, kBase, kBase + L"incoming.zip", kEvening).outcome, RestoreOutcome::NotKept);
    files.ClearFaults();
    for (const auto& [path, text] : before) EXPECT_EQ(files.ContentText(path), text) << foundation::ToUtf8(path);
    EXPECT_FALSE(files.IsFile(kBase + L"padconfig_desktop.xml"));

    // Two kept copies, then the new file and config.ini are written, and ico.ini fails.
    files.FailNth(FsOp::Replace, 5);
    const RestoreResult result = RestoreSettingsBackup(files, kBase, kBase + L"incoming.zip", kEvening);
    files.ClearFaults();
    EXPECT_EQ(result.outcome, RestoreOutcome::RolledBack);
    EXPECT_TRUE(result.written.empty());
    for (const auto& [path, text] : before) EXPECT_EQ(files.ContentText(path), text) << foundation::ToUtf8(path);
    EXPECT_FALSE(files.IsFile(kBase + L"padconfig_desktop.xml"));
    EXPECT_EQ(files.ContentText(result.keptFolder + L"\\ico.ini"), "[ico1]\r\nappname=explorer.exe\r\n");
}

TEST(BackupPage, ListsTheItemBackupsAndChoosingOneMakesItTheOneAnItemRestoreTakes) {
    fakes::SettingsFolder folder;
    folder.files.AddFile(folder.base + L"backup\\2026-3-5 9_7_2.dockico.ini", "[ico1]\r\nappname=old.exe\r\n");
    folder.files.AddFile(folder.base + L"backup\\2026-11-1 8_0_0.dockico.ini", "[ico1]\r\nappname=new.exe\r\n");
    folder.files.AddFile(folder.base + L"backup\\2026-12-6 9_5_0.settings.zip", "not an item list");
    const auto pages = AllSettingsPages(folder.store, {});
    const auto* page = pages.Find(L"backup");
    ASSERT_NE(page, nullptr);
    std::vector<std::wstring> actions;
    const foundation::ControlDescriptor* list = nullptr;
    for (const auto& control : page->controls) {
        if (control.role == foundation::ControlRole::Action) actions.push_back(control.action);
        if (control.id == L"itembackups") list = &control;
    }
    EXPECT_EQ(actions, (std::vector<std::wstring>{kBackupAction, kRestoreAction, kItemBackupAction, kItemRestoreAction}));
    ASSERT_NE(list, nullptr);

    foundation::SettingsModel model(folder.store);
    std::vector<std::wstring> listed;
    for (const auto& choice : model.Choices(*list)) listed.push_back(choice.value);
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"2026-11-1 8_0_0.dockico.ini", L"2026-3-5 9_7_2.dockico.ini"}));

    EXPECT_EQ(model.Write(*list, L"..\\config.ini").status, foundation::WriteStatus::Refused);
    EXPECT_FALSE(folder.files.IsFile(folder.base + L"ico_backup.ini"));
    EXPECT_EQ(model.Write(*list, L"2026-3-5 9_7_2.dockico.ini").status, foundation::WriteStatus::Written);
    EXPECT_EQ(model.Read(*list), L"2026-3-5 9_7_2.dockico.ini");
    EXPECT_EQ(folder.files.ContentText(folder.base + L"ico_backup.ini"), "[ico1]\r\nappname=old.exe\r\n");
    EXPECT_EQ(folder.store.ReadInt(L"normal", L"itembackups"), 0); // nothing of it in config.ini
}

} // namespace
} // namespace kestrana::settings
