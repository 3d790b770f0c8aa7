// Pictures of other programs' windows: a window of ordinary size is pictured at its size
// (or at a thumbnail's size when asked); one made huge (any program can size its window
// so) is refused before anything is allocated for it.
#include "extras/win32/window_capture.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace kestrana::extras::win32 {
namespace {

TEST(WindowCapture, PicturesOrdinaryWindowsAndRefusesHugeOnes) {
    HWND window = ::CreateWindowExW(0, L"STATIC", L"pictured", WS_POPUP | WS_VISIBLE, 20, 20, 200, 120, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(window);
    ::UpdateWindow(window);
    const RECT rect{20, 20, 220, 140};
    const gfx::Bitmap picture = CaptureWindowImage(window, rect);
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), 200);
    EXPECT_EQ(picture.Height(), 120);

    // 12 000 square is 144 million pixels, over half a gigabyte as a picture.
    EXPECT_TRUE(CaptureWindowImage(window, RECT{0, 0, 12000, 12000}).Empty());
    EXPECT_TRUE(CopyScreenImage(RECT{0, 0, 12000, 12000}).Empty());
    EXPECT_TRUE(CaptureWindowImage(window, RECT{50, 50, 40, 40}).Empty());

    // A thumbnail comes at the size asked for, opaque, also the second time (when the
    // print gave nothing the first time, the screen is copied straight away).
    for (int round = 0; round < 2; ++round) {
        const gfx::Bitmap small = CaptureWindowThumbnail(window, rect, 50, 30);
        ASSERT_EQ(small.Width(), 50);
        ASSERT_EQ(small.Height(), 30);
        EXPECT_EQ(small.At(25, 15) >> 24, 0xFFu);
    }
    EXPECT_TRUE(CaptureWindowThumbnail(window, RECT{0, 0, 12000, 12000}, 50, 30).Empty());
    EXPECT_TRUE(CaptureWindowThumbnail(window, rect, 0, 30).Empty());
    ::DestroyWindow(window);
}

} // namespace
} // namespace kestrana::extras::win32
