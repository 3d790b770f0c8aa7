// Icons of real files through the shell, and icon handles turned into premultiplied
// pictures. Built and run only in the Windows build (under Wine in CI).
#ifdef _WIN32

#include "gfx/win32/shell_icon_source.h"
#include "foundation/text.h"
#include "foundation/win32/unique_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

namespace kestrana::gfx {
namespace {

// The size the shell's pictures come in, and a sharp 256 px one really fills its frame.
void ExpectShellPicture(const std::optional<Bitmap>& picture, const std::wstring& what) {
    ASSERT_TRUE(picture) << foundation::ToUtf8(what);
    const int size = picture->Width();
    EXPECT_EQ(picture->Height(), size);
    EXPECT_TRUE(size == 256 || size == 48 || size == 32) << size;
    if (size == 256) {
        EXPECT_TRUE(HasContentBeyond(*picture, 48)) << foundation::ToUtf8(what);
    }
    bool visible = false;
    for (const auto p : picture->Pixels()) {
        visible = visible || PixelA(p) != 0;
        ASSERT_LE(PixelR(p), PixelA(p)); // premultiplied
    }
    EXPECT_TRUE(visible) << foundation::ToUtf8(what);
}

TEST(ShellIconSourceWin32, RealProgramsGiveAPictureOfAShellSize) {
    kestrana::win32::ComApartment com;
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(folder, MAX_PATH), 0u);
    const std::wstring windows = folder;
    ShellIconSource icons;
    std::vector<std::vector<Pixel>> seen;
    for (const wchar_t* program : {L"\\notepad.exe", L"\\explorer.exe", L"\\regedit.exe"}) {
        const std::wstring path = windows + program;
        const auto picture = icons.FileIcon(path);
        ExpectShellPicture(picture, path);
        if (!picture) continue;
        std::cout << "[          ] " << foundation::ToUtf8(path) << ": " << picture->Width() << " px\n";
        // Each program shows its own icon, not one for every program.
        const std::vector<Pixel> pixels(picture->Pixels().begin(), picture->Pixels().end());
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

TEST(ShellIconSourceWin32, IconHandlesBecomePremultipliedPictures) {
    constexpr int kSize = 16;
    // A 32-bit icon with alpha: one half-transparent red pixel at (1, 0).
    std::vector<std::uint32_t> colour(kSize * kSize, 0xFF00FF00u);
    colour[1] = 0x80FF0000u;
    const kestrana::win32::UniqueGdiObject colourBitmap(::CreateBitmap(kSize, kSize, 1, 32, colour.data()));
    std::vector<std::uint8_t> maskBits(kSize * kSize / 8, 0);
    const kestrana::win32::UniqueGdiObject maskBitmap(::CreateBitmap(kSize, kSize, 1, 1, maskBits.data()));
    ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(maskBitmap.Get()), static_cast<HBITMAP>(colourBitmap.Get())};
    const kestrana::win32::UniqueIcon withAlpha(::CreateIconIndirect(&info));
    const auto picture = BitmapFromIcon(withAlpha.Get());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Width(), kSize);
    EXPECT_EQ(picture->At(0, 0), MakePixel(0, 255, 0, 255));
    EXPECT_EQ(picture->At(1, 0), MakePixel(128, 0, 0, 128));

    // Without alpha the mask decides: its set bits are transparent.
    std::vector<std::uint32_t> opaque(kSize * kSize, 0x000000FFu);
    const kestrana::win32::UniqueGdiObject plainBitmap(::CreateBitmap(kSize, kSize, 1, 32, opaque.data()));
    maskBits[0] = 0x80; // the first pixel
    const kestrana::win32::UniqueGdiObject holeMask(::CreateBitmap(kSize, kSize, 1, 1, maskBits.data()));
    ICONINFO plain{TRUE, 0, 0, static_cast<HBITMAP>(holeMask.Get()), static_cast<HBITMAP>(plainBitmap.Get())};
    const kestrana::win32::UniqueIcon noAlpha(::CreateIconIndirect(&plain));
    const auto masked = BitmapFromIcon(noAlpha.Get());
    ASSERT_TRUE(masked);
    EXPECT_EQ(masked->At(0, 0), 0u);
    EXPECT_EQ(masked->At(1, 0), MakePixel(0, 0, 255, 255));
    EXPECT_FALSE(BitmapFromIcon(nullptr));
}

} // namespace
} // namespace kestrana::gfx

#endif // _WIN32
