// The item list survives every failure and every interruption of a save: afterwards a
// load always gives one whole list, the old one or the new one.

#include "item_list_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <random>

#ifndef _WIN32
#include "platform/posix/posix_file_system.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#endif

namespace kestrana::dock {
namespace {

using namespace testing;
using fakes::FsOp;

const auto kOld = ProgramList(6, L"old");
const auto kNew = ProgramList(7, L"new");
const auto kOlder = ProgramList(5, L"older");

// A program that dies after `budget` more file changes: the change it dies in is not
// made, except a plain copy, which leaves half a file (copies are not atomic).
class DyingFileSystem final : public FileSystemProxy {
public:
    DyingFileSystem(fakes::FakeFileSystem& files, int budget) : FileSystemProxy(files), m_files(files), m_budget(budget) {}
    [[nodiscard]] bool Dead() const { return m_budget < 0; }

    bool Copy(const std::wstring& f, const std::wstring& t, bool e) override {
        if (Before(true)) return m_files.Copy(f, t, e);
        if (auto content = m_files.Content(f)) {
            content->resize(content->size() / 2);
            m_files.AddFile(t, std::move(*content));
        }
        return false;
    }

private:
    bool Before(bool changes) const override {
        if (changes && m_budget >= 0) --m_budget;
        return !Dead();
    }
    fakes::FakeFileSystem& m_files;
    mutable int m_budget;
};

// A world where the last save left kOld and the one before kOlder.
void Prepare(ItemWorld& world) {
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(kOld));
    world.files.AddFile(world.Path(L"ico_bak.ini"), FileOf(kOlder));
}

// The next start's list, which must be the old or the new one, whole.
void ExpectWholeList(ItemWorld& world, ItemSaveResult result, const std::string& where) {
    world.files.ClearFaults();
    const auto loaded = RecordsOf(world.Load().items);
    if (result == ItemSaveResult::Saved) {
        EXPECT_EQ(loaded, kNew) << where;
    } else {
        EXPECT_TRUE(loaded == kOld || loaded == kNew) << where << ": " << loaded.size() << " items";
    }
}

TEST(ItemListFaults, FailingFileOperationsOfASaveLeaveAWholeList) {
    // Each operation failing at each of its calls, while any set of others always fails.
    const std::vector<FsOp> ops = {FsOp::Rename, FsOp::Copy, FsOp::Remove, FsOp::Replace, FsOp::Read};
    int checked = 0;
    for (unsigned broken = 0; broken < (1u << ops.size()); ++broken) {
        for (const FsOp op : ops) {
            for (int n = 1; n <= 3; ++n) {
                ItemWorld world;
                Prepare(world);
                for (std::size_t i = 0; i < ops.size(); ++i) {
                    if (broken & (1u << i)) world.files.FailAlways(ops[i]);
                }
                world.files.FailNth(op, n);
                const auto result = WriteItemList(world.files, kBase, kNew);
                ExpectWholeList(world, result,
                                "always " + std::to_string(broken) + ", op " + std::to_string(static_cast<int>(op)) +
                                    " call " + std::to_string(n));
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 480);
}

TEST(ItemListFaults, DyingAtAnyStepOfASaveOrStoppingForQuitLeavesAWholeList) {
    // With and without failing renames, so that the copy paths are interrupted too.
    for (const bool renamesFail : {false, true}) {
        for (int budget = 0; budget < 14; ++budget) {
            ItemWorld world;
            Prepare(world);
            if (renamesFail) world.files.FailAlways(FsOp::Rename);
            DyingFileSystem dying(world.files, budget);
            const auto result = WriteItemList(dying, kBase, kNew);
            ExpectWholeList(world, dying.Dead() ? ItemSaveResult::Failed : result,
                            "budget " + std::to_string(budget) + (renamesFail ? " without renames" : ""));
        }
    }
    for (int checks = 0; checks < 10; ++checks) {
        ItemWorld world;
        Prepare(world);
        int asked = 0;
        const auto result = WriteItemList(world.files, kBase, kNew, [&] { return asked++ >= checks; });
        if (checks == 0) {
            EXPECT_EQ(result, ItemSaveResult::Stopped);
            EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(kOld));
        }
        ExpectWholeList(world, result, "stopped at check " + std::to_string(checks));
    }
}

TEST(ItemListFaults, BadFilesLoadWhatTheyCanAndTheNextSaveIsClean) {
    std::mt19937 random(20240305);
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<std::uint8_t> binary(64 * 1024);
    for (auto& byte : binary) byte = static_cast<std::uint8_t>(random());
    files.push_back(binary);
    std::string huge;
    for (int i = 0; i < 100000; ++i) huge += "[s" + std::to_string(i) + "]\r\nappname=a" + std::to_string(i) + ".exe\r\n";
    files.emplace_back(huge.begin(), huge.end());
    const std::string longValue(10000, 'v');
    const std::string hostile = "[a]\r\ntag=" + longValue + "\r\nappname=" + longValue +
                                "\r\nfilepath=%LOOP%\\..\\..\\con\r\nrealpath=\\\\.\\COM1\r\nicopath=NUL\r\n"
                                "[b]\r\nappname=..\\..\\x.exe\r\nvirtualpath=" + longValue + "\r\nUWP=-7\r\n"
                                "[c]\r\ndelimiter=999999999999\r\n[d]\r\nappname=aux.exe\r\nfilepath=c:\\x\\aux\r\n";
    files.emplace_back(hostile.begin(), hostile.end());
    std::vector<std::uint8_t> utf16be = {0xFE, 0xFF};
    for (const char c : hostile) utf16be.insert(utf16be.end(), {0, static_cast<std::uint8_t>(c)});
    files.push_back(utf16be);
    const std::string odd = "\xEF\xBB\xBF[\xC3\xA9]\r\nappname=\xC3\xA9\xFF\xFE.exe\r\n[z]\r\nappname=\xE4\xB8\xAD.exe\r\n"
                            "[\r\n=\r\n[y]]\r\nappname=y.exe\r\n";
    files.emplace_back(odd.begin(), odd.end());

    for (std::size_t i = 0; i < files.size(); ++i) {
        ItemWorld world;
        world.shell.SetVariable(L"LOOP", L"%LOOP%%LOOP%");
        world.files.AddFile(world.Path(L"ico.ini"), files[i]);
        auto loaded = world.Load();
        DockItems row;
        ReplaceItems(row, std::move(loaded.items));
        for (int extra = 0; extra < 3; ++extra) { // enough items to be written in every case
            auto item = MakeDockico();
            item->appname = L"extra" + std::to_wstring(extra) + L".exe";
            row.Append(std::move(item));
        }
        const auto records = SnapshotItems(row);
        ASSERT_EQ(WriteItemList(world.files, kBase, records), ItemSaveResult::Saved) << i;

        // Clean: numbered sections, one line per value, each value read back as stored.
        const auto saved = world.Records(L"ico.ini");
        std::vector<std::wstring> names;
        world.store.ReadSectionNames(L"ico.ini", &names);
        for (std::size_t n = 0; n < names.size(); ++n) EXPECT_EQ(names[n], L"ico" + std::to_wstring(n + 1)) << i;
        std::size_t at = 0;
        for (const auto& record : records) {
            if (SectionKeys(record, false).empty()) continue;
            if (at == kMaxItems) break;
            ASSERT_LT(at, saved.size()) << i;
            EXPECT_EQ(saved[at].appname, StorableValue(record.appname)) << i;
            EXPECT_EQ(saved[at].tag, StorableValue(record.tag)) << i;
            ++at;
        }
        EXPECT_EQ(at, saved.size()) << i;
        if (i == 1) {
            EXPECT_EQ(saved.size(), kMaxItems); // the huge list keeps what a file can give back
        }
    }
}

#ifndef _WIN32
TEST(ItemListFaults, KilledAtRandomWhileSavingTheNextStartHasAWholeList) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kestrana-items-kill-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "Kestrana");
    const auto many = [](int count, const std::wstring& prefix) {
        auto list = ProgramList(count, prefix);
        for (auto& record : list) {
            if (!record.delimiter) record.runline = std::wstring(120, L'r');
        }
        return list;
    };
    const auto first = many(40, L"first");
    const auto second = many(41, L"second");
    platform::PosixFileSystem files;
    files.MapDrive(L'C', folder.string());
    ASSERT_EQ(WriteItemList(files, kBase, first), ItemSaveResult::Saved);

    std::mt19937 random(7);
    int missing = 0;  // killed between the moves of a rotation
    int midSave = 0;  // killed after the new list was written, before it took its place
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            platform::PosixFileSystem own;
            own.MapDrive(L'C', folder.string());
            // Every step takes a while, so that the kill can land between any two of them.
            struct Unhurried final : FileSystemProxy {
                using FileSystemProxy::FileSystemProxy;
                bool Before(bool) const override {
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                    return true;
                }
            } unhurried(own);
            for (int i = 0;; ++i) WriteItemList(unhurried, kBase, i % 2 ? first : second);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + random() % 40000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);

        platform::PosixFileSystem after;
        after.MapDrive(L'C', folder.string());
        foundation::ConfigStore store(after, kBase);
        if (!after.IsFile(kBase + L"ico.ini")) ++missing;
        if (after.IsFile(kBase + L"ico_back.ini")) ++midSave;
        FakeItemShell shell;
        const auto loaded = RecordsOf(LoadItemList(store, shell).items);
        ASSERT_TRUE(loaded == first || loaded == second) << "round " << round << ": " << loaded.size() << " items";
    }
    std::filesystem::remove_all(folder);
    std::cout << "[          ] of 40 kills, " << midSave << " left a written new list not yet moved in, " << missing
              << " a missing ico.ini\n";
}
#endif

} // namespace
} // namespace kestrana::dock
