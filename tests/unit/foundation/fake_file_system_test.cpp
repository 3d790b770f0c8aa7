// The in-memory disk other features test their file handling on: it must follow Windows
// path rules and fail exactly where it is told to.
#include "fakes/fake_file_system.h"
#include "fakes/file_system_contract.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrana::fakes {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(FakeFileSystem, FollowsWindowsPathRules) {
    FakeFileSystem fs;
    fs.AddFile(L"C:\\Program Files\\App\\Config.ini", "x");
    EXPECT_TRUE(fs.IsFile(L"c:\\program files\\app\\CONFIG.INI"));
    EXPECT_TRUE(fs.IsFile(L"C:/Program Files/App/config.ini"));
    EXPECT_TRUE(fs.IsFile(L"C:\\Program Files\\App\\.\\sub\\..\\config.ini"));
    EXPECT_TRUE(fs.IsFile(L"C:\\Program Files\\App\\\\config.ini"));
    EXPECT_TRUE(fs.IsFile(L"C:\\Program Files\\App\\config.ini."));
    EXPECT_TRUE(fs.IsDirectory(L"C:\\PROGRAM FILES\\app\\"));
    EXPECT_FALSE(fs.IsFile(L"D:\\Program Files\\App\\config.ini"));
    fs.SetCurrentDirectory(L"C:\\Program Files\\App");
    EXPECT_TRUE(fs.IsFile(L"config.ini"));
    EXPECT_TRUE(fs.IsFile(L"\\Program Files\\App\\config.ini"));
    const auto entries = fs.List(L"C:\\program files\\app");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"Config.ini"); // the name as stored
}

TEST(FakeFileSystem, KeepsTheFileSystemContract) {
    FakeFileSystem fs;
    fs.AddDirectory(L"C:\\d");
    kestrana::testing::CheckFileSystemContract(fs, L"C:\\d\\", [&](const std::wstring& path) {
        fs.SetAttributes(path, {true, false, false});
    });
    // Beyond the contract: a read-only target refuses a rename too; folders move with
    // what is in them and must be empty to go.
    fs.SetAttributes(L"C:\\d\\c", {true, true, false});
    EXPECT_FALSE(fs.Rename(L"C:\\d\\b", L"C:\\d\\c", true));
    EXPECT_FALSE(fs.CreateFolder(L"C:\\x\\y\\z"));
    fs.AddFile(L"C:\\d\\sub\\f.txt", "f");
    EXPECT_FALSE(fs.RemoveFolder(L"C:\\d\\sub"));
    EXPECT_TRUE(fs.Rename(L"C:\\d\\sub", L"C:\\d\\moved"));
    EXPECT_EQ(fs.ContentText(L"C:\\d\\moved\\f.txt"), "f");
}

TEST(FakeFileSystem, StampsChangeWithEveryWrite) {
    FakeFileSystem fs;
    fs.AddFile(L"C:\\f.ini", "1");
    const auto first = fs.Stat(L"C:\\f.ini");
    ASSERT_TRUE(first);
    ASSERT_TRUE(fs.Replace(L"C:\\f.ini", Bytes("2")));
    const auto second = fs.Stat(L"C:\\f.ini");
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size, first->size);
    EXPECT_NE(*second, *first);
    ASSERT_TRUE(fs.Rename(L"C:\\f.ini", L"C:\\g.ini"));
    EXPECT_EQ(fs.Stat(L"C:\\g.ini")->fileId, second->fileId); // a rename keeps the file
    EXPECT_FALSE(fs.Stat(L"C:\\f.ini"));
}

TEST(FakeFileSystem, FailsTheChosenCallOnly) {
    FakeFileSystem fs;
    fs.AddDirectory(L"C:\\d");
    fs.FailNth(FsOp::Rename, 2);
    fs.FailNth(FsOp::Copy, 1);
    fs.FailNth(FsOp::Remove, 3);
    fs.AddFile(L"C:\\d\\1", "1");
    EXPECT_TRUE(fs.Rename(L"C:\\d\\1", L"C:\\d\\2"));
    EXPECT_FALSE(fs.Rename(L"C:\\d\\2", L"C:\\d\\3"));
    EXPECT_TRUE(fs.IsFile(L"C:\\d\\2")); // a failed rename changes nothing
    EXPECT_TRUE(fs.Rename(L"C:\\d\\2", L"C:\\d\\3"));
    EXPECT_FALSE(fs.Copy(L"C:\\d\\3", L"C:\\d\\4"));
    EXPECT_TRUE(fs.Copy(L"C:\\d\\3", L"C:\\d\\4"));
    EXPECT_TRUE(fs.Copy(L"C:\\d\\3", L"C:\\d\\5"));
    EXPECT_TRUE(fs.Remove(L"C:\\d\\4"));
    EXPECT_TRUE(fs.Remove(L"C:\\d\\5"));
    fs.AddFile(L"C:\\d\\6", "6");
    EXPECT_FALSE(fs.Remove(L"C:\\d\\6"));
    EXPECT_TRUE(fs.Remove(L"C:\\d\\6"));
    EXPECT_EQ(fs.Calls(FsOp::Rename), 3);

    fs.FailAlways(FsOp::Replace);
    EXPECT_FALSE(fs.Replace(L"C:\\d\\7", Bytes("7")));
    EXPECT_FALSE(fs.Replace(L"C:\\d\\7", Bytes("7")));
    fs.ClearFaults();
    EXPECT_TRUE(fs.Replace(L"C:\\d\\7", Bytes("7")));
}

TEST(FakeFileSystem, FullDiskRefusesWritesThatDoNotFit) {
    FakeFileSystem fs;
    fs.AddFile(L"C:\\a", std::string(60, 'a'));
    fs.SetCapacity(100);
    EXPECT_FALSE(fs.Replace(L"C:\\a", std::vector<std::uint8_t>(50, 'b'))); // old and new side by side
    EXPECT_TRUE(fs.Replace(L"C:\\a", std::vector<std::uint8_t>(40, 'b')));
    fs.SetCapacity(70);
    EXPECT_FALSE(fs.Copy(L"C:\\a", L"C:\\b"));
    EXPECT_TRUE(fs.Rename(L"C:\\a", L"C:\\b")); // moving needs no room
    EXPECT_EQ(fs.ContentText(L"C:\\b"), std::string(40, 'b'));
}

} // namespace
} // namespace kestrana::fakes
