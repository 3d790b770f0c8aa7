// Which paths the user-interface thread must not read itself: shares in every spelling,
// and drive letters mapped to one.
#include "foundation/network_path.h"

#include <gtest/gtest.h>

namespace kestrana::foundation {
namespace {

TEST(NetworkPaths, SharesInEverySpellingAndMappedDrives) {
    const auto mappedZ = [](wchar_t drive) { return drive == L'Z'; };
    for (const wchar_t* path : {L"\\\\server\\share\\app.exe", L"//server/share/app.exe", L"\\\\?\\UNC\\server\\share\\a",
                                L"\\\\.\\pipe\\x", L"Z:\\Tools\\app.exe", L"z:\\tools\\app.exe", L"\\\\?\\Z:\\app.exe"})
        EXPECT_TRUE(MayWaitOnNetwork(path, mappedZ)) << path;
    for (const wchar_t* path : {L"C:\\Program Files\\app.exe", L"c:/x", L"\\\\?\\C:\\app.exe", L"app.exe", L"\\app.exe", L""})
        EXPECT_FALSE(MayWaitOnNetwork(path, mappedZ)) << path;
    EXPECT_FALSE(MayWaitOnNetwork(L"Z:\\app.exe", nullptr)) << "no drive is known to be mapped";
}

} // namespace
} // namespace kestrana::foundation
