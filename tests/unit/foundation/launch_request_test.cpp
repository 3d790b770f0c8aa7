#include "foundation/launch_request.h"

#include <gtest/gtest.h>

namespace kestrana::foundation {
namespace {

// A started program runs in the folder that holds it; a URL's slashes name no folder, and
// a bare name leaves the choice to the system.
TEST(StartFolder, FolderOfTheFileExceptForUrlsAndBareNames) {
    EXPECT_EQ(StartFolderOf(L"C:\\Program Files\\Editor\\ed.exe"), L"C:\\Program Files\\Editor");
    EXPECT_EQ(StartFolderOf(L"D:/tools/run.cmd"), L"D:/tools");
    EXPECT_EQ(StartFolderOf(L"\\\\server\\share\\app.exe"), L"\\\\server\\share");
    EXPECT_EQ(StartFolderOf(L"C:\\Users\\Me\\Documents\\"), L"C:\\Users\\Me\\Documents");
    EXPECT_EQ(StartFolderOf(L"https://example.org/docs/page"), L"");
    EXPECT_EQ(StartFolderOf(L"steam://rungameid/440"), L"");
    EXPECT_EQ(StartFolderOf(L"notepad.exe"), L"");
    EXPECT_EQ(StartFolderOf(L""), L"");
}

} // namespace
} // namespace kestrana::foundation
