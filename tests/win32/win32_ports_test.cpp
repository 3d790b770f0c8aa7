// The Windows implementations of the file-system, registry and code-page ports, on the
// real APIs (run under Wine).
#include "fakes/file_system_contract.h"
#include "foundation/config_store.h"
#include "foundation/text.h"
#include "foundation/win32/system_code_page.h"
#include "foundation/win32/win32_registry.h"
#include "platform/win32/win32_file_system.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>
// The store's registry helper shares its name with this macro.
#undef RegDeleteValue

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace kestrana {
namespace {

using foundation::RegistryRoot;
using platform::Win32FileSystem;
using testing::TempFolder;

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Win32FileSystem, KeepsTheFileSystemContractOnLongPathsToo) {
    TempFolder folder(L"kestrana-ports-");
    Win32FileSystem fs;
    const auto hide = [](const std::wstring& path) {
        ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    };
    testing::CheckFileSystemContract(fs, folder.Path(), hide);
    EXPECT_TRUE(fs.Stat(folder.File(L"config.ini"))->recent);
    // A reset clears every attribute that would stop a rewrite.
    hide(folder.File(L"c"));
    EXPECT_TRUE(fs.ResetAttributes(folder.File(L"c")));
    EXPECT_EQ(::GetFileAttributesW(folder.File(L"c").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);

    // A path beyond MAX_PATH.
    std::wstring deep = folder.Path();
    for (int i = 0; i < 6; ++i) {
        deep += std::wstring(40, static_cast<wchar_t>(L'a' + i)) + L"\\";
        ASSERT_TRUE(fs.CreateFolder(deep)) << i;
    }
    const auto longFile = deep + L"config.ini";
    ASSERT_GT(longFile.size(), static_cast<std::size_t>(MAX_PATH));
    EXPECT_TRUE(fs.Replace(longFile, Bytes("deep")));
    EXPECT_EQ(fs.Read(longFile), Bytes("deep"));
    EXPECT_TRUE(fs.Stat(longFile));
    EXPECT_TRUE(fs.Remove(longFile));
}

// A reader holding the file a moment (a scanner that does not share delete; under Wine,
// any reader) makes the replacing move fail for that moment; the write waits it out. One
// that keeps it open leaves the old content whole and no temporary file behind.
TEST(Win32FileSystem, AReplaceWaitsOutAReaderAndFailsWholeAgainstOneThatStays) {
    TempFolder folder(L"kestrana-ports-");
    Win32FileSystem fs;
    const auto file = folder.File(L"config.ini");
    ASSERT_TRUE(fs.Replace(file, Bytes("first")));
    const auto hold = [&](DWORD share) {
        HANDLE reader = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(reader, INVALID_HANDLE_VALUE);
        return reader;
    };
    for (const DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        HANDLE reader = hold(share);
        std::thread closer([reader] {
            ::Sleep(60);
            ::CloseHandle(reader);
        });
        const bool replaced = fs.Replace(file, Bytes("second"));
        closer.join();
        EXPECT_TRUE(replaced) << "share " << share;
        EXPECT_EQ(fs.Read(file), Bytes("second"));
        ASSERT_TRUE(fs.Replace(file, Bytes("first")));
    }

    HANDLE reader = hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_FALSE(fs.Replace(file, Bytes("third")));
    ::CloseHandle(reader);
    EXPECT_EQ(fs.Read(file), Bytes("first"));
    EXPECT_EQ(fs.List(folder.Path()).size(), 1u) << "a temporary file stayed";
}

// What kernel32 reads from the store's files, and a read-only file, are the differential test's.
TEST(Win32FileSystem, TheStoreSeesAnotherWritersChangeAtTheNextRead) {
    TempFolder folder(L"kestrana-ports-");
    Win32FileSystem fs;
    foundation::ConfigStore store(fs, folder.Path());
    EXPECT_TRUE(store.WriteString(L"normal", L"font", L"\u5FAE\u8F6F\u96C5\u9ED1"));
    EXPECT_EQ(store.ReadString(L"normal", L"font"), L"\u5FAE\u8F6F\u96C5\u9ED1");
    ::WritePrivateProfileStringW(L"normal", L"font", L"Tahoma", folder.File(L"config.ini").c_str());
    EXPECT_EQ(store.ReadString(L"normal", L"font"), L"Tahoma");
}

TEST(Win32Registry, ReadsWritesAndDeletesStrings) {
    win32::Win32Registry registry;
    const std::wstring key = L"Software\\KestranaTest\\Ports" + std::to_wstring(::GetCurrentProcessId());
    EXPECT_FALSE(registry.ReadString(RegistryRoot::CurrentUser, key, L"value"));
    // The read created the key.
    HKEY opened = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ | KEY_SET_VALUE, &opened), ERROR_SUCCESS);
    EXPECT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, key, L"value", L"C:\\Program Files\\K\\Kestrana.exe"));
    EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, L"VALUE"), L"C:\\Program Files\\K\\Kestrana.exe");
    EXPECT_TRUE(registry.WriteString(RegistryRoot::CurrentUser, key, L"empty", L""));
    EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, L"empty"), L"");
    const DWORD number = 7;
    ::RegSetValueExW(opened, L"number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    EXPECT_FALSE(registry.ReadString(RegistryRoot::CurrentUser, key, L"number"));
    // Only plain strings are settings; an expandable one is not read.
    ::RegSetValueExW(opened, L"expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"%TEMP%"), 7 * sizeof(wchar_t));
    EXPECT_FALSE(registry.ReadString(RegistryRoot::CurrentUser, key, L"expand"));
    // A string stored without its terminator.
    ::RegSetValueExW(opened, L"bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 3 * sizeof(wchar_t));
    EXPECT_EQ(registry.ReadString(RegistryRoot::CurrentUser, key, L"bare"), L"abc");
    EXPECT_TRUE(registry.DeleteValue(RegistryRoot::CurrentUser, key, L"value"));
    EXPECT_FALSE(registry.DeleteValue(RegistryRoot::CurrentUser, key, L"value"));
    ::RegCloseKey(opened);

    Win32FileSystem fs;
    foundation::ConfigStore store(fs, L"C:\\", &registry);
    const std::wstring full = L"HKEY_CURRENT_USER\\" + key;
    EXPECT_TRUE(store.RegWriteString(full, L"viaStore", L"1"));
    EXPECT_EQ(store.RegReadString(full, L"viaStore"), L"1");
    EXPECT_TRUE(store.RegDeleteValue(full, L"viaStore"));
    EXPECT_EQ(store.RegReadString(full, L"viaStore"), L"");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KestranaTest");
}

TEST(SystemCodePage, Windows1252MatchesTheSystemConverter) {
    const win32::SystemCodePage system(1252);
    const auto& builtIn = foundation::Windows1252();
    std::string every;
    for (int b = 1; b < 256; ++b) every.push_back(static_cast<char>(b));
    EXPECT_EQ(builtIn.Decode(every), system.Decode(every));
    std::u16string text;
    for (char16_t c = 1; c < 0x3000; ++c) text.push_back(c);
    bool exactBuiltIn = true;
    bool exactSystem = true;
    const auto fromBuiltIn = builtIn.Encode(text, exactBuiltIn);
    const auto fromSystem = system.Encode(text, exactSystem);
    EXPECT_FALSE(exactBuiltIn);
    EXPECT_FALSE(exactSystem);
    ASSERT_EQ(fromBuiltIn.size(), fromSystem.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(fromBuiltIn[i], fromSystem[i]) << "U+" << std::hex << static_cast<unsigned>(text[i]);
    }
    bool exact = true;
    EXPECT_EQ(system.Encode(u"Gr\u00FC\u00DF\u20AC", exact), "Gr\xFC\xDF\x80");
    EXPECT_TRUE(exact);
}

} // namespace
} // namespace kestrana
