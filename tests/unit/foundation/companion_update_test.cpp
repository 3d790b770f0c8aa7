// Replacing companion files with their update files, and noticing a downloaded update of
// the program, on an in-memory file system. A file "held" by a running process is
// modelled as read-only: it cannot be deleted until that process is ended.
#include "foundation/companion_update.h"
#include "foundation/md5.h"

#include "fakes/fake_file_system.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

using fakes::FakeFileSystem;
using fakes::FsOp;

const std::wstring kBase = L"C:\\Kestrana\\";

struct Processes {
    explicit Processes(FakeFileSystem& fs) : files(fs) {}

    FakeFileSystem& files;
    std::vector<std::wstring> ended;
    std::vector<std::pair<std::wstring, std::wstring>> holds; // image -> held file, released when it ends
    int slept = 0;

    CompanionProcessPort Port() {
        return {[this](const std::wstring& image) {
                    ended.push_back(image);
                    bool any = false;
                    for (const auto& [holder, file] : holds) if (holder == image) {
                            files.SetAttributes(file, {});
                            any = true;
                        }
                    return any;
                },
                [this](std::uint32_t ms) { slept += static_cast<int>(ms); },
                {}};
    }
};

class CompanionUpdate : public ::testing::Test {
protected:
    CompanionUpdateResult Update() { return UpdateCompanionFiles(files, kBase, processes.Port()); }

    FakeFileSystem files;
    Processes processes{files};
};

TEST(CompanionUpdateNames, UpdateFileNamesFollowTheExtension) {
    EXPECT_EQ(UpdateFileName(L"Hookel64.exe"), L"Hookel64_update.exe");
    EXPECT_EQ(UpdateFileName(L"Hookel32.dll"), L"Hookel32_update.dll");
    EXPECT_EQ(UpdateFileName(L"HOOKEL.EXE"), L"HOOKEL_update.exe");
}

TEST_F(CompanionUpdate, ReplacesChangedFilesSkipsIdenticalOnesAndClearsBackups) {
    files.AddFile(kBase + L"Hookel.exe", "old hook");
    files.AddFile(kBase + L"Hookel_update.exe", "new hook");
    files.AddFile(kBase + L"Thermel.exe", "same");
    files.AddFile(kBase + L"Thermel_update.exe", "same");
    files.AddFile(kBase + L"Hookel64.dll_update.dll", "not a name we use");
    files.AddFile(kBase + L"Hookel64.exe.bak", "left from last time");
    const auto result = Update();

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

TEST_F(CompanionUpdate, AnUpdateWithoutATargetIsMovedIntoPlace) {
    files.AddFile(kBase + L"Hookel64arm_update.exe", "arm");
    const auto result = Update();
    EXPECT_EQ(files.ContentText(kBase + L"Hookel64arm.exe"), "arm");
    EXPECT_EQ(result.replaced.size(), 1u);
}

TEST_F(CompanionUpdate, ADllHeldByTheTrayCompanionIsFreedByEndingIt) {
    files.AddFile(kBase + L"Hookel64.dll", "old dll", {.readOnly = true});
    files.AddFile(kBase + L"Hookel64_update.dll", "new dll");
    processes.holds = {{kBase + L"Nestlet64.exe", kBase + L"Hookel64.dll"}};
    Update();

    EXPECT_EQ(files.ContentText(kBase + L"Hookel64.dll"), "new dll");
    const std::vector<std::wstring> expected = {kBase + L"Nestlet64.exe", kBase + L"Nestlet.exe"};
    EXPECT_EQ(processes.ended, expected);
    EXPECT_EQ(processes.slept, 100);
    EXPECT_FALSE(files.IsFile(kBase + L"Hookel64.dll.bak"));
}

TEST_F(CompanionUpdate, AnExecutableHeldByItsOwnProcessIsEndedFirst) {
    files.AddFile(kBase + L"Hookel64.exe", "old", {.readOnly = true});
    files.AddFile(kBase + L"Hookel64_update.exe", "new");
    processes.holds = {{kBase + L"Hookel64.exe", kBase + L"Hookel64.exe"}};
    Update();
    EXPECT_EQ(files.ContentText(kBase + L"Hookel64.exe"), "new");
    EXPECT_EQ(processes.ended, std::vector<std::wstring>{kBase + L"Hookel64.exe"});
}

TEST_F(CompanionUpdate, AFileThatStaysHeldIsRenamedOutOfTheWay) {
    files.AddFile(kBase + L"Hookel32.dll", "old", {.readOnly = true});
    files.AddFile(kBase + L"Hookel32_update.dll", "new");
    // Ending the tray companions does not let go of it.
    const auto result = Update();
    EXPECT_EQ(files.ContentText(kBase + L"Hookel32.dll"), "new");
    EXPECT_EQ(result.replaced, std::vector<std::wstring>{L"Hookel32.dll"});
    // The old file went to the backup name; the clean-up cannot delete it while held.
    EXPECT_EQ(files.ContentText(kBase + L"Hookel32.dll.bak"), "old");
}

TEST_F(CompanionUpdate, AnOndelThatCannotBeReplacedLeavesASelfUpdateForTheCompanion) {
    files.AddFile(kBase + L"Ondel.exe", "old", {.readOnly = true});
    files.AddFile(kBase + L"Ondel_update.exe", "new");
    files.FailAlways(FsOp::Rename);
    const auto result = Update();
    EXPECT_TRUE(result.selfUpdatePending);
    EXPECT_EQ(files.ContentText(kBase + L"Ondel.exe"), "old");
    EXPECT_TRUE(files.IsFile(kBase + L"Ondel_update.exe")) << "kept for the next try";
}

TEST_F(CompanionUpdate, AnUntrustedUpdateIsDeletedAndTheFileKept) {
    files.AddFile(kBase + L"Ondel.exe", "old");
    files.AddFile(kBase + L"Ondel_update.exe", "planted");
    files.AddFile(kBase + L"Hookel_update.exe", "new hook");
    auto port = processes.Port();
    port.mayInstall = [](const std::wstring&, std::wstring_view name) { return name != L"Ondel.exe"; };
    const auto result = UpdateCompanionFiles(files, kBase, port);
    EXPECT_EQ(files.ContentText(kBase + L"Ondel.exe"), "old");
    EXPECT_FALSE(files.IsFile(kBase + L"Ondel_update.exe"));
    EXPECT_FALSE(result.selfUpdatePending);
    EXPECT_EQ(result.refused, std::vector<std::wstring>{L"Ondel.exe"});
    EXPECT_EQ(result.replaced, std::vector<std::wstring>{L"Hookel.exe"});
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

        // A matching download whose origin is not trusted is not run, and goes.
        std::wstring asked;
        EXPECT_EQ(CheckDownloadedUpdate(files, kBase, exe, [&](const std::wstring& p) { asked = p; return false; }),
                  PendingUpdate::Refused);
        EXPECT_EQ(asked, kBase + L"temp_64.exe");
        EXPECT_FALSE(files.IsFile(kBase + L"temp_64.exe"));
        EXPECT_FALSE(files.IsFile(kBase + L"dock_64.md5"));
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
