// Pictures of other programs' windows: a window of ordinary size is pictured at its size
// (or at a thumbnail's size when asked); one made huge (any program can size its window
// so) is refused before anything is allocated for it. Copies from the screen are read in
// bands of rows; every row must land where it was on the screen.
#include "extras/win32/window_capture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

namespace kestrana::extras::win32 {
namespace {

constexpr int kWidth = 300, kHeight = 400;

// Red counts the row (so a band shifted by one row shows), green fills the upper half and
// blue the lower one (so a shrunk picture can be checked without knowing the filter).
COLORREF RowColour(int y) { return RGB(y % 256, y < kHeight / 2 ? 255 : 0, y < kHeight / 2 ? 0 : 255); }

LRESULT CALLBACK RowsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PRINT: return 0; // prints nothing: its picture has to come from the screen
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        for (int y = 0; y < kHeight; ++y) {
            HBRUSH brush = ::CreateSolidBrush(RowColour(y));
            const RECT row{0, y, kWidth, y + 1};
            ::FillRect(dc, &row, brush);
            ::DeleteObject(brush);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    default: return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

int Red(std::uint32_t p) { return int((p >> 16) & 0xFF); }
int Green(std::uint32_t p) { return int((p >> 8) & 0xFF); }
int Blue(std::uint32_t p) { return int(p & 0xFF); }

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

TEST(WindowCapture, ScreenCopiesKeepEveryRowInPlaceAcrossTheirBands) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = RowsProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaCaptureRows";
    ::RegisterClassW(&wc);
    // Away from the screen's edges, where other tests' bars and windows sit.
    constexpr int kLeft = 240, kTop = 160;
    HWND window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"rows", WS_POPUP | WS_VISIBLE,
                                    kLeft, kTop, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    ::UpdateWindow(window);
    const RECT rect{kLeft, kTop, kLeft + kWidth, kTop + kHeight};
    // The window system shows the painted window a moment later, maybe not all at once.
    const auto allRowsShown = [](const gfx::Bitmap& copy) {
        if (copy.Height() != kHeight) return false;
        for (int y = 0; y < kHeight; ++y)
            if (Red(copy.At(kWidth / 2, y)) != y % 256) return false;
        return true;
    };
    gfx::Bitmap copy;
    for (int tries = 0; tries < 50; ++tries) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        copy = CopyScreenImage(rect);
        if (allRowsShown(copy)) break;
        ::Sleep(100);
    }
    ASSERT_EQ(copy.Width(), kWidth);
    ASSERT_EQ(copy.Height(), kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const std::uint32_t p = copy.At(kWidth / 2, y);
        ASSERT_EQ(Red(p), y % 256) << "row " << y;
        ASSERT_EQ(Green(p), y < kHeight / 2 ? 255 : 0) << "row " << y;
        ASSERT_EQ(p >> 24, 0xFFu) << "row " << y;
    }

    // The window prints nothing, so its thumbnail is shrunk from the screen band by band.
    constexpr int kSmallWidth = kWidth / 4, kSmallHeight = kHeight / 4;
    const gfx::Bitmap small = CaptureWindowThumbnail(window, rect, kSmallWidth, kSmallHeight);
    ASSERT_EQ(small.Width(), kSmallWidth);
    ASSERT_EQ(small.Height(), kSmallHeight);
    for (const int y : {2, kSmallHeight / 4, kSmallHeight / 2 - 3}) { // upper half, away from the middle
        EXPECT_GE(Green(small.At(kSmallWidth / 2, y)), 250) << "row " << y;
        EXPECT_LE(Blue(small.At(kSmallWidth / 2, y)), 5) << "row " << y;
    }
    for (const int y : {kSmallHeight / 2 + 3, kSmallHeight * 3 / 4, kSmallHeight - 3}) { // lower half
        EXPECT_LE(Green(small.At(kSmallWidth / 2, y)), 5) << "row " << y;
        EXPECT_GE(Blue(small.At(kSmallWidth / 2, y)), 250) << "row " << y;
    }
    // Each thumbnail row stands for four screen rows: its red is about theirs.
    for (const int y : {5, 20, 35, 55, 70}) {
        const int expected = (4 * y + 2) % 256;
        EXPECT_LE(std::abs(Red(small.At(kSmallWidth / 2, y)) - expected), 6) << "row " << y;
    }
    ::DestroyWindow(window);
    ::UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

} // namespace
} // namespace kestrana::extras::win32
