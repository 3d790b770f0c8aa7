// The in-memory disk other features test their file handling on: it must follow Windows
// path rules and the contract the real disks keep. (Its fault injection is exercised by
// the settings store's failure tests, which fail if a fault does not fire.)
#include "fakes/fake_file_system.h"
#include "fakes/file_system_contract.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::fakes {
namespace {

TEST(FakeFileSystem, FollowsWindowsPathRules) {
    FakeFileSystem fs;
    fs.AddFile(L"C:\\Program Files\\App\\Config.ini", "x");
    EXPECT_TRUE(fs.IsFile(L"c:\\program files\\app\\CONFIG.INI"));
    EXPECT_TRUE(fs.IsFile(L"C:/Program Files/App/config.ini"));
    EXPECT_TRUE(fs.IsFile(L"C:\\Program Files\\App\\.\\sub\\..\\config.ini"));
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

} // namespace
} // namespace kestrana::fakes
