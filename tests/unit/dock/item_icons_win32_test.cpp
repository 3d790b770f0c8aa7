// The item list's Windows ports: shell icons of real programs, icon handles turned into
// pictures, environment and shell names, the time format and read-only registry
// look-ups. Built and run only in the Windows build (under Wine in CI).
#ifdef _WIN32

#include "dock/win32/item_icon_source.h"
#include "dock/win32/item_system.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <iostream>

namespace kestrana::dock {
namespace {

// The size the shell's pictures come in, and a sharp 256 px one really fills its frame.
void ExpectShellPicture(const std::optional<gfx::Bitmap>& picture, const std::wstring& what) {
    ASSERT_TRUE(picture) << foundation::ToUtf8(what);
    const int size = picture->Width();
    EXPECT_EQ(picture->Height(), size);
    EXPECT_TRUE(size == 256 || size == 48 || size == 32) << size;
    if (size == 256) {
        EXPECT_TRUE(HasContentBeyond(*picture, 48)) << foundation::ToUtf8(what);
    }
    bool visible = false;
    for (const auto p : picture->Pixels()) {
        visible = visible || gfx::PixelA(p) != 0;
        ASSERT_LE(gfx::PixelR(p), gfx::PixelA(p)); // premultiplied
    }
    EXPECT_TRUE(visible) << foundation::ToUtf8(what);
}

TEST(ItemIconsWin32, RealProgramsGiveAPictureOfAShellSize) {
    win32::ComApartment com;
    Win32ItemShell shell;
    const std::wstring windows = shell.WindowsFolder();
    ShellIconSource icons;
    std::vector<std::vector<gfx::Pixel>> seen;
    for (const wchar_t* program : {L"\\notepad.exe", L"\\explorer.exe", L"\\regedit.exe"}) {
        const std::wstring path = windows + program;
        const auto picture = icons.FileIcon(path);
        ExpectShellPicture(picture, path);
        if (!picture) continue;
        std::cout << "[          ] " << foundation::ToUtf8(path) << ": " << picture->Width() << " px\n";
        // Each program shows its own icon, not one for every program.
        const std::vector<gfx::Pixel> pixels(picture->Pixels().begin(), picture->Pixels().end());
        EXPECT_EQ(std::count(seen.begin(), seen.end(), pixels), 0) << foundation::ToUtf8(path);
        seen.push_back(pixels);
    }
    // A document has no icon of its own: the shell's picture for its type.
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring text = std::wstring(temp) + L"kestrana items.txt";
    ::CloseHandle(::CreateFileW(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ExpectShellPicture(icons.FileIcon(text), text);
    ::DeleteFileW(text.c_str());
    // A module's icon group: the picture is as large as the group's largest entry allows.
    const std::wstring shell32 = windows + L"\\system32\\shell32.dll";
    const int largest = LargestIconInGroup(shell32, 0);
    EXPECT_GT(largest, 0);
    std::cout << "[          ] shell32.dll group 0: largest entry " << largest << " px\n";
    const auto resource = icons.ResourceIcon(shell32, 0);
    ASSERT_TRUE(resource);
    EXPECT_EQ(resource->Width(), largest >= 256 ? 256 : largest >= 48 ? 48 : 32);
    EXPECT_FALSE(icons.ResourceIcon(windows + L"\\no such file.dll", 0));
    EXPECT_EQ(LargestIconInGroup(shell32, 100000), 0);
}

TEST(ItemIconsWin32, IconHandlesBecomePremultipliedPictures) {
    constexpr int kSize = 16;
    // A 32-bit icon with alpha: one half-transparent red pixel at (1, 0).
    std::vector<std::uint32_t> colour(kSize * kSize, 0xFF00FF00u);
    colour[1] = 0x80FF0000u;
    const win32::UniqueGdiObject colourBitmap(::CreateBitmap(kSize, kSize, 1, 32, colour.data()));
    std::vector<std::uint8_t> maskBits(kSize * kSize / 8, 0);
    const win32::UniqueGdiObject maskBitmap(::CreateBitmap(kSize, kSize, 1, 1, maskBits.data()));
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(maskBitmap.Get()), static_cast<HBITMAP>(colourBitmap.Get())};
    const win32::UniqueIcon withAlpha(::CreateIconIndirect(&info));
    const auto picture = BitmapFromIcon(withAlpha.Get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), kSize);
    EXPECT_EQ(picture->At(0, 0), gfx::MakePixel(0, 255, 0, 255));
    EXPECT_EQ(picture->At(1, 0), gfx::MakePixel(128, 0, 0, 128));

    // Without alpha the mask decides: its set bits are transparent.
    std::vector<std::uint32_t> opaque(kSize * kSize, 0x000000FFu);
    const win32::UniqueGdiObject plainBitmap(::CreateBitmap(kSize, kSize, 1, 32, opaque.data()));
    maskBits[0] = 0x80; // the first pixel
    const win32::UniqueGdiObject holeMask(::CreateBitmap(kSize, kSize, 1, 1, maskBits.data()));
    ICONINFO plain{TRUE, 0, 0, static_cast<HBITMAP>(holeMask.Get()), static_cast<HBITMAP>(plainBitmap.Get())};
    const win32::UniqueIcon noAlpha(::CreateIconIndirect(&plain));
    const auto masked = BitmapFromIcon(noAlpha.Get());
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->At(0, 0), 0u);
    EXPECT_EQ(masked->At(1, 0), gfx::MakePixel(0, 0, 255, 255));
    EXPECT_FALSE(BitmapFromIcon(nullptr));
}

TEST(ItemIconsWin32, ShellNamesEnvironmentAndTime) {
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

TEST(ItemIconsWin32, RegistryReaderNeverCreatesKeys) {
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
