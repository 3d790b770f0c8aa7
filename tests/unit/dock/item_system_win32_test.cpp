// The item list's Windows ports: environment and shell names, the time format and
// read-only registry look-ups. Built and run only in the Windows build (under Wine in CI).
#ifdef _WIN32

#include "dock/win32/item_system.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <iostream>

namespace kestrana::dock {
namespace {

TEST(ItemSystemWin32, ShellNamesEnvironmentAndTime) {
    win32::ComApartment com;
    Win32ItemShell shell;
    ::SetEnvironmentVariableW(L"KESTRANA_ITEMS", L"C:\\from env");
    EXPECT_EQ(shell.EnvironmentVariable(L"kestrana_items"), L"C:\\from env");
    EXPECT_FALSE(shell.EnvironmentVariable(L"KESTRANA_ITEMS_UNSET"));
    EXPECT_FALSE(shell.EnvironmentVariable(L"A=B"));
    const std::wstring windows = shell.WindowsFolder();
    EXPECT_FALSE(windows.empty());
    EXPECT_TRUE(foundation::EqualsIgnoreCase(shell.KnownFolderPath(L"{F38BF404-1D43-42F2-9305-67DE0B28FC23}"), windows));
    EXPECT_TRUE(shell.KnownFolderPath(L"{00000000-0000-0000-0000-000000000001}").empty());
    EXPECT_TRUE(shell.KnownFolderPath(L"not a guid").empty());
    EXPECT_TRUE(shell.LongPathName(windows + L"\\no such folder\\x.exe").empty());
    // The local disk is asked about its files; a share never is.
    EXPECT_FALSE(shell.IsRemote(windows + L"\\notepad.exe"));
    EXPECT_TRUE(shell.IsRemote(L"\\\\server\\share\\x.exe"));

    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"Kestrana Items Long Folder Name";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t shortName[MAX_PATH] = {};
    if (::GetShortPathNameW(folder.c_str(), shortName, MAX_PATH) && std::wstring(shortName).find(L'~') != std::wstring::npos) {
        EXPECT_TRUE(foundation::EqualsIgnoreCase(shell.LongPathName(shortName), folder));
    } else {
        std::cout << "[          ] no short name here; long-name look-up not checked\n";
    }
    ::RemoveDirectoryW(folder.c_str());

    Win32LocalClock clock;
    EXPECT_EQ(clock.FormatTime(L"HH':'mm':'ss", LocalTime{2024, 3, 5, 9, 7, 2}), L"09:07:02");
    const LocalTime now = clock.Now();
    EXPECT_GE(now.year, 2020);
    EXPECT_TRUE(now.month >= 1 && now.month <= 12);
}

TEST(ItemSystemWin32, RegistryReaderNeverCreatesKeys) {
    const std::wstring base = L"Software\\KestranaItemsTest";
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (base + L"\\Uninstall\\AppB").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t icon[] = L"%SystemRoot%\\b.ico,1";
    ::RegSetValueExW(key, L"DisplayIcon", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(icon), sizeof icon);
    ::RegCloseKey(key);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, (base + L"\\Uninstall\\AppA").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ::RegCloseKey(key);

    Win32RegistryReader registry;
    auto names = registry.SubKeyNames(foundation::RegistryRoot::CurrentUser, base + L"\\Uninstall");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"AppA", L"AppB"}));
    EXPECT_EQ(registry.ReadString(foundation::RegistryRoot::CurrentUser, base + L"\\Uninstall\\AppB", L"DisplayIcon"),
              L"%SystemRoot%\\b.ico,1");
    EXPECT_FALSE(registry.ReadString(foundation::RegistryRoot::CurrentUser, base + L"\\Uninstall\\AppC", L"DisplayIcon"));
    EXPECT_TRUE(registry.SubKeyNames(foundation::RegistryRoot::CurrentUser, base + L"\\Missing").empty());
    HKEY probe = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, (base + L"\\Uninstall\\AppC").c_str(), 0, KEY_READ, &probe), ERROR_SUCCESS);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, base.c_str());
}

} // namespace
} // namespace kestrana::dock

#endif
