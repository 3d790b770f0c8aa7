#include "item_list_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrana::dock {
namespace {

using namespace testing;
using namespace std::chrono_literals;

std::string Utf16Text(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) text += static_cast<char>(bytes[i]);
    return text;
}

TEST(ItemListSave, WritesPinnedItemsInRowOrderWithTheirKeys) {
    ItemWorld world;
    world.files.AddFile(L"C:\\bin\\tool.exe", "exe");
    ItemRecord web = Program(L"web");
    web.runline = L"--open x";
    web.icopath = L"c:\\icons\\web.png";
    web.uwp = 4;
    web.realpath = L"c:\\apps\\proxy.exe --app-id=abc";
    DockItems row;
    Fill(row, {web, Separator(), Program(L"tool"), Program(L"gone"), Program(L"running"), Program(L"unpinned"),
               Program(L"gap"), Program(L"noid")},
         world);
    row[3].virtualpath = L"Vendor.App_1!App";
    row[5].virtualpath = L"C:\\bin\\tool.exe"; // names an existing file: not written
    row[6].windows = {WindowId{7}};            // pinned, windows still listed, no longer running
    row[7].windows = {WindowId{8}};
    row[7].running = true;
    row[8].kept = false; // running only, never pinned
    row[9].id = kDragGapItemId;
    row[10].id = kNoItemId;

    ASSERT_EQ(WriteItemList(world.files, kBase, SnapshotItems(row)), ItemSaveResult::Saved);
    EXPECT_EQ(Utf16Text(world.Bytes(L"ico.ini")),
              "[ico1]\r\ntag=web\r\nappname=web.exe\r\nfilepath=abc\r\nrealpath=c:\\apps\\proxy.exe --app-id=abc\r\n"
              "virtualpath=Vendor.App_1!App\r\nrunline=--open x\r\nicopath=c:\\icons\\web.png\r\nUWP=4\r\n"
              "[ico2]\r\ndelimiter=1\r\n"
              "[ico3]\r\ntag=tool\r\nappname=tool.exe\r\nfilepath=c:\\apps\\tool.exe\r\nrealpath=c:\\apps\\tool.exe\r\n"
              "[ico4]\r\ntag=running\r\nappname=running.exe\r\nfilepath=c:\\apps\\running.exe\r\n"
              "realpath=c:\\apps\\running.exe\r\n");
}

TEST(ItemListSave, RotationKeepsThePreviousListAndNeverWritesTwoOrFewerItems) {
    ItemWorld world;
    const auto a = ProgramList(5, L"a");
    const auto b = ProgramList(4, L"b");
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(a));
    EXPECT_EQ(WriteItemList(world.files, kBase, b), ItemSaveResult::Saved);
    EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(b));
    EXPECT_EQ(world.Bytes(L"ico_bak.ini"), FileOf(a));
    EXPECT_FALSE(world.Exists(L"ico_back.ini"));

    // The same list again: identical file, and the previous one beside it.
    EXPECT_EQ(WriteItemList(world.files, kBase, b), ItemSaveResult::Saved);
    EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(b));
    EXPECT_EQ(world.Bytes(L"ico_bak.ini"), FileOf(b));

    for (const auto& few : {std::vector<ItemRecord>{}, ProgramList(1), std::vector<ItemRecord>{Program(L"x"), Separator()}}) {
        EXPECT_EQ(WriteItemList(world.files, kBase, few), ItemSaveResult::KeptShortList);
        EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(b));
    }
}

TEST(ItemListSave, SectionsOfAnyNameAreWrittenBackNumbered) {
    ItemWorld world;
    world.Write(L"ico.ini", "[zeta]\r\nappname=z.exe\r\n[Alpha]\r\nappname=a.exe\r\n[x]\r\ndelimiter=1\r\n[ico7]\r\nappname=b.exe\r\n");
    auto loaded = world.Load();
    DockItems row;
    ReplaceItems(row, std::move(loaded.items));
    ASSERT_EQ(WriteItemList(world.files, kBase, SnapshotItems(row)), ItemSaveResult::Saved);
    std::vector<std::wstring> names;
    world.store.ReadSectionNames(L"ico.ini", &names);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"ico1", L"ico2", L"ico3", L"ico4"}));
    EXPECT_EQ(world.Records(L"ico.ini")[3].appname, L"b.exe");
}

// Counts file operations made while anybody holds the row's item-list lock or the
// bars-list lock.
class LockWatchingFileSystem final : public FileSystemProxy {
public:
    LockWatchingFileSystem(foundation::FileSystem& files, const DockItems& row) : FileSystemProxy(files), m_row(row) {}
    mutable std::atomic<int> violations{0};

private:
    bool Before(bool) const override {
        for (std::mutex* lock : {&BarsListMutex(), &m_row.ListMutex()}) {
            if (lock->try_lock()) {
                lock->unlock();
            } else {
                ++violations;
            }
        }
        return true;
    }
    const DockItems& m_row;
};

TEST(ItemListSave, SaveJobsCopyTheRowUnderItsLocksAndWriteWithoutThem) {
    ItemWorld world;
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(ProgramList(5, L"a")));
    DockItems row;
    Fill(row, ProgramList(3, L"b"), world);
    LockWatchingFileSystem watched(world.files, row);
    foundation::JobRunner jobs;
    ItemListSaver saver(watched, kBase, jobs);
    {
        // Changes made under the locks before the job may copy the row are in the file.
        std::lock_guard bars(BarsListMutex());
        std::lock_guard list(row.ListMutex());
        ASSERT_TRUE(saver.RequestSave(row));
        std::this_thread::sleep_for(20ms); // room for a job that does not wait for the locks
        row.Append(MakeDockico());
        row[row.EndReal() - 1].appname = L"late.exe";
    }
    ASSERT_TRUE(jobs.WaitIdle(10s));
    EXPECT_EQ(saver.LastResult(), ItemSaveResult::Saved);
    EXPECT_EQ(watched.violations.load(), 0);
    const auto saved = world.Records(L"ico.ini");
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved.back().appname, L"late.exe");
}

// Records whether anybody held the item files while a virtual path was looked up (such a
// path may lie on a share that keeps the asker waiting).
class ShareWatchingFileSystem final : public FileSystemProxy {
public:
    using FileSystemProxy::FileSystemProxy;
    bool IsFile(const std::wstring& p) const override {
        if (p.starts_with(L"\\\\")) {
            ++asked;
            std::thread([this] {
                if (ItemFilesMutex().try_lock()) {
                    ItemFilesMutex().unlock();
                } else {
                    ++heldWhileAsking;
                }
            }).join();
        }
        return m_inner.IsFile(p);
    }
    mutable std::atomic<int> asked{0};
    mutable std::atomic<int> heldWhileAsking{0};

private:
    bool Before(bool) const override { return true; }
};

TEST(ItemListSave, VirtualPathsOnSharesAreLookedUpWithoutHoldingTheFiles) {
    ItemWorld world;
    world.files.AddFile(L"\\\\server\\docs\\tool.exe", "exe");
    DockItems row;
    Fill(row, ProgramList(4, L"v"), world);
    const std::size_t first = row.EndReal() - 2; // v3 and v4, after the separator
    row[first].virtualpath = L"\\\\server\\docs\\tool.exe";    // a file: left out of the list
    row[first + 1].virtualpath = L"\\\\server\\docs\\gone.exe"; // no file: kept
    ShareWatchingFileSystem watched(world.files);

    ASSERT_EQ(WriteItemList(watched, kBase, SnapshotItems(row)), ItemSaveResult::Saved);
    foundation::JobRunner jobs;
    ItemListSaver saver(watched, kBase, jobs);
    ASSERT_TRUE(saver.RequestSave(row));
    ASSERT_TRUE(saver.WaitIdle(10s));
    EXPECT_EQ(saver.LastResult(), ItemSaveResult::Saved);

    EXPECT_EQ(watched.asked.load(), 4); // both paths, by both ways of saving
    EXPECT_EQ(watched.heldWhileAsking.load(), 0);
    const auto saved = world.Records(L"ico.ini");
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[3].virtualpath, L"");
    EXPECT_EQ(saved[4].virtualpath, L"\\\\server\\docs\\gone.exe");
}

TEST(ItemListSave, RequestsThatPileUpAreServedByOneSave) {
    ItemWorld world;
    const auto a = ProgramList(5, L"a");
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(a));
    DockItems row;
    Fill(row, ProgramList(3, L"b"), world);
    foundation::JobRunner jobs;
    ItemListSaver saver(world.files, kBase, jobs);
    {
        std::lock_guard files(ItemFilesMutex()); // a save already in progress
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(saver.RequestSave(row));
    }
    ASSERT_TRUE(jobs.WaitIdle(10s));
    EXPECT_EQ(saver.Finished(), 5u);
    // One rotation only: the list before the saves is still the previous file.
    EXPECT_EQ(world.Bytes(L"ico_bak.ini"), FileOf(a));
    EXPECT_EQ(world.Records(L"ico.ini").size(), 4u);
}

TEST(ItemListSave, AJobWhoseRowWasDestroyedWritesNothingAndALiveRowIsStillSaved) {
    ItemWorld world;
    const auto a = ProgramList(5, L"a");
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(a));
    auto gone = std::make_unique<DockItems>();
    Fill(*gone, ProgramList(4, L"gone"), world);
    DockItems kept;
    Fill(kept, ProgramList(3, L"kept"), world);
    foundation::JobRunner jobs;
    ItemListSaver saver(world.files, kBase, jobs);
    {
        std::lock_guard files(ItemFilesMutex()); // the jobs wait behind a save in progress
        ASSERT_TRUE(saver.RequestSave(*gone));
        gone.reset();
        EXPECT_FALSE(saver.WaitIdle(10ms));
    }
    ASSERT_TRUE(saver.WaitIdle(10s));
    EXPECT_EQ(saver.LastResult(), ItemSaveResult::RowGone);
    EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(a));

    // The request the dead row's job could not serve is still served by the next one.
    {
        std::lock_guard files(ItemFilesMutex());
        auto doomed = std::make_unique<DockItems>();
        ASSERT_TRUE(saver.RequestSave(*doomed));
        ASSERT_TRUE(saver.RequestSave(kept));
        doomed.reset();
    }
    ASSERT_TRUE(saver.WaitIdle(10s));
    EXPECT_EQ(saver.Finished(), 3u);
    EXPECT_EQ(world.Records(L"ico.ini").size(), 4u);
}

} // namespace
} // namespace kestrana::dock
