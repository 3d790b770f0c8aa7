// Files dropped on a folder item, through the shell on real files: moved on one drive,
// copied with Ctrl, and never written over a file of the same name. Built and run only in
// the Windows build (under Wine in CI).
#ifdef _WIN32

#include "dock/win32/item_actions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kestrana::dock {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const char* text) { std::ofstream(path) << text; }

std::string Read(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::ptrdiff_t FilesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

TEST(FolderDropWin32, MovesCopiesWithCtrlAndNeverOverwrites) {
    const fs::path base = fs::temp_directory_path() / ("kestrana-folder-drop-" + std::to_string(::GetCurrentProcessId()));
    const fs::path box = base / "box";
    fs::remove_all(base); // left by an earlier run that stopped half-way
    fs::create_directories(box);
    Write(base / "a.txt", "a");
    Write(base / "b.txt", "b");
    Write(box / "b.txt", "kept");

    ASSERT_TRUE(win32::PutIntoFolder({(base / "a.txt").wstring()}, box.wstring(), false, false));
    EXPECT_FALSE(fs::exists(base / "a.txt"));
    EXPECT_EQ(Read(box / "a.txt"), "a");

    ASSERT_TRUE(win32::PutIntoFolder({(base / "b.txt").wstring()}, box.wstring(), true, false));
    EXPECT_EQ(Read(base / "b.txt"), "b"); // copied: still here
    EXPECT_EQ(Read(box / "b.txt"), "kept");
    EXPECT_EQ(FilesIn(box), 3); // the copy took another name

    // A file already in the folder goes nowhere.
    EXPECT_FALSE(win32::PutIntoFolder({(box / "a.txt").wstring()}, box.wstring(), false, false));
    EXPECT_EQ(FilesIn(box), 3);
    fs::remove_all(base);
}

} // namespace
} // namespace kestrana::dock

#endif
