// Replacing companion files with their update files, and noticing a downloaded update of
// the program, on an in-memory file system. A file "held" by a running process is
// modelled as read-only: it cannot be deleted until that process is ended.
#include "foundation/companion_update.h"
#include "foundation/md5.h"

#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

using fakes::FakeFileSystem;
using fakes::FsOp;

const std::wstring kBase = L"C:\\Kestrana\\";

struct Processes {
    FakeFileSystem& files;
    std::vector<std::wstring> ended;
    std::vector<std::wstring> holding; // images whose end releases the files they hold
    std::vector<std::pair<std::wstring, std::wstring>> holds; // image -> held file
    int slept = 0;

    CompanionProcessPort Port() {
        return {[this](const std::wstring& image) {
                    ended.push_back(image);
                    bool any = false;
                    for (const auto& [holder, file] : holds)
                        if (holder == image) {
                            files.SetAttributes(file, {});
                            any = true;
                        }
                    return any;
                },
                [this](std::uint32_t ms) { slept += static_cast<int>(ms); }};
    }
};

TEST(CompanionUpdate, UpdateFileNamesFollowTheExtension) {
    EXPECT_EQ(UpdateFileName(L"Hookel64.exe"), L"Hookel64_update.exe");
    EXPECT_EQ(UpdateFileName(L"Hookel32.dll"), L"Hookel32_update.dll");
    EXPECT_EQ(UpdateFileName(L"HOOKEL.EXE"), L"HOOKEL_update.exe");
}

TEST(CompanionUpdate, ReplacesChangedFilesSkipsIdenticalOnesAndClearsBackups) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Hookel.exe", "old hook");
    files.AddFile(kBase + L"Hookel_update.exe", "new hook");
    files.AddFile(kBase + L"Thermel.exe", "same");
    files.AddFile(kBase + L"Thermel_update.exe", "same");
    files.AddFile(kBase + L"Hookel64.dll_update.dll", "not a name we use");
    files.AddFile(kBase + L"Hookel64.exe.bak", "left from last time");
    Processes processes{files};
    const auto result = UpdateCompanionFiles(files, kBase, processes.Port());

    EXPECT_EQ(files.ContentText(kBase + L"Hookel.exe"), "new hook");
    EXPECT_FALSE(files.IsFile(kBase + L"Hookel_update.exe"));
    EXPECT_EQ(files.ContentText(kBase + L"Thermel.exe"), "same");
    EXPECT_FALSE(files.IsFile(kBase + L"Thermel_update.exe"));
    EXPECT_FALSE(files.IsFile(kBase + L"Hookel64.exe.bak"));
    EXPECT_TRUE(files.IsFile(kBase + L"Hookel64.dll_update.dll"));
    EXPECT_EQ(result.replaced, std::vector<std::wstring>{L"Hookel.exe"});
    EXPECT_FALSE(result.selfUpdatePending);
    EXPECT_TRUE(processes.ended.empty());
}

TEST(CompanionUpdate, AnUpdateWithoutATargetIsMovedIntoPlace) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Hookel64arm_update.exe", "arm");
    Processes processes{files};
    const auto result = UpdateCompanionFiles(files, kBase, processes.Port());
    EXPECT_EQ(files.ContentText(kBase + L"Hookel64arm.exe"), "arm");
    EXPECT_EQ(result.replaced.size(), 1u);
}

TEST(CompanionUpdate, ADllHeldByTheTrayCompanionIsFreedByEndingIt) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Hookel64.dll", "old dll", {.readOnly = true});
    files.AddFile(kBase + L"Hookel64_update.dll", "new dll");
    Processes processes{files};
    processes.holds = {{kBase + L"Nestlet64.exe", kBase + L"Hookel64.dll"}};
    UpdateCompanionFiles(files, kBase, processes.Port());

    EXPECT_EQ(files.ContentText(kBase + L"Hookel64.dll"), "new dll");
    const std::vector<std::wstring> expected = {kBase + L"Nestlet64.exe", kBase + L"Nestlet.exe"};
    EXPECT_EQ(processes.ended, expected);
    EXPECT_EQ(processes.slept, 100);
    EXPECT_FALSE(files.IsFile(kBase + L"Hookel64.dll.bak"));
}

TEST(CompanionUpdate, AnExecutableHeldByItsOwnProcessIsEndedFirst) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Hookel64.exe", "old", {.readOnly = true});
    files.AddFile(kBase + L"Hookel64_update.exe", "new");
    Processes processes{files};
    processes.holds = {{kBase + L"Hookel64.exe", kBase + L"Hookel64.exe"}};
    UpdateCompanionFiles(files, kBase, processes.Port());
    EXPECT_EQ(files.ContentText(kBase + L"Hookel64.exe"), "new");
    EXPECT_EQ(processes.ended, std::vector<std::wstring>{kBase + L"Hookel64.exe"});
}

TEST(CompanionUpdate, AFileThatStaysHeldIsRenamedOutOfTheWay) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Hookel32.dll", "old", {.readOnly = true});
    files.AddFile(kBase + L"Hookel32_update.dll", "new");
    Processes processes{files}; // ending the tray companions does not let go of it
    const auto result = UpdateCompanionFiles(files, kBase, processes.Port());
    EXPECT_EQ(files.ContentText(kBase + L"Hookel32.dll"), "new");
    EXPECT_EQ(result.replaced, std::vector<std::wstring>{L"Hookel32.dll"});
    // The old file went to the backup name; the clean-up cannot delete it while held.
    EXPECT_EQ(files.ContentText(kBase + L"Hookel32.dll.bak"), "old");
}

TEST(CompanionUpdate, AnOndelThatCannotBeReplacedLeavesASelfUpdateForTheCompanion) {
    FakeFileSystem files;
    files.AddFile(kBase + L"Ondel.exe", "old", {.readOnly = true});
    files.AddFile(kBase + L"Ondel_update.exe", "new");
    files.FailAlways(FsOp::Rename);
    Processes processes{files};
    const auto result = UpdateCompanionFiles(files, kBase, processes.Port());
    EXPECT_TRUE(result.selfUpdatePending);
    EXPECT_EQ(files.ContentText(kBase + L"Ondel.exe"), "old");
    EXPECT_TRUE(files.IsFile(kBase + L"Ondel_update.exe")) << "kept for the next try";
}

TEST(CompanionUpdate, FilesAreTakenInTheirFixedOrder) {
    FakeFileSystem files;
    for (const std::wstring_view name : kCompanionFiles) {
        files.AddFile(kBase + std::wstring(name), "old", {.readOnly = true});
        files.AddFile(kBase + UpdateFileName(name), "new");
    }
    Processes processes{files};
    const auto result = UpdateCompanionFiles(files, kBase, processes.Port());
    ASSERT_EQ(result.replaced.size(), kCompanionFiles.size());
    for (std::size_t i = 0; i < kCompanionFiles.size(); ++i) EXPECT_EQ(result.replaced[i], kCompanionFiles[i]);
}

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(DownloadedUpdate, HandsOverOnlyWhenTheDownloadMatchesAndTheProgramDoesNot) {
    const std::wstring exe = kBase + L"Kestrana.exe";
    {
        FakeFileSystem files;
        files.AddFile(exe, "running");
        EXPECT_EQ(CheckDownloadedUpdate(files, kBase, exe), PendingUpdate::None);
    }
    {
        FakeFileSystem files;
        files.AddFile(exe, "running");
        files.AddFile(kBase + L"temp_64.exe", "downloaded");
        files.AddFile(kBase + L"oldversion.exe", "older");
        files.AddFile(kBase + L"dock_64.md5", "  " + Md5Hex(Bytes("downloaded")) + "\r\n");
        EXPECT_EQ(CheckDownloadedUpdate(files, kBase, exe), PendingUpdate::HandOver);
        EXPECT_FALSE(files.IsFile(kBase + L"oldversion.exe"));
        EXPECT_TRUE(files.IsFile(kBase + L"temp_64.exe"));
    }
    for (const std::string& sum : {Md5Hex(Bytes("running")), Md5Hex(Bytes("something else")), std::string()}) {
        // Already up to date, a broken download, or no checksum: the download goes.
        FakeFileSystem files;
        files.AddFile(exe, "running");
        files.AddFile(kBase + L"temp_64.exe", "downloaded");
        files.AddFile(kBase + L"dock_64.md5", sum);
        EXPECT_EQ(CheckDownloadedUpdate(files, kBase, exe), PendingUpdate::Discarded) << sum;
        EXPECT_FALSE(files.IsFile(kBase + L"temp_64.exe"));
        EXPECT_FALSE(files.IsFile(kBase + L"dock_64.md5"));
    }
}

} // namespace
} // namespace kestrana::foundation
