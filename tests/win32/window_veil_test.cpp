// Hiding a window in place during a flight and showing it again: whatever way was used,
// lifting the veil gives the window back its own styles and transparency.
#include "extras/win32/window_veil.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace kestrana::extras::win32 {
namespace {

struct TestWindow {
    explicit TestWindow(DWORD exStyle) {
        window = ::CreateWindowExW(exStyle, L"STATIC", L"veiled", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 120,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() { ::DestroyWindow(window); }
    HWND window = nullptr;
};

bool Layered(HWND window) { return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

TEST(WindowVeil, LiftGivesBackStylesAndTransparency) {
    TestWindow plain(0);
    ASSERT_TRUE(plain.window);
    {
        WindowVeil veil;
        ASSERT_TRUE(veil.Drop(plain.window));
        BYTE alpha = 255;
        DWORD flags = 0;
        EXPECT_TRUE(::GetLayeredWindowAttributes(plain.window, nullptr, &alpha, &flags));
        EXPECT_EQ(alpha, 0);
        EXPECT_TRUE(::IsWindowVisible(plain.window)) << "hidden in place, not in state";
    } // the veil goes with its owner
    EXPECT_FALSE(Layered(plain.window));

    // A window that is translucent of its own keeps its own alpha.
    TestWindow translucent(WS_EX_LAYERED);
    ASSERT_TRUE(::SetLayeredWindowAttributes(translucent.window, 0, 200, LWA_ALPHA));
    WindowVeil veil;
    ASSERT_TRUE(veil.Drop(translucent.window));
    veil.Lift();
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(translucent.window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 200);
    EXPECT_TRUE(Layered(translucent.window));
    veil.Lift(); // twice is harmless

    // A new window that made itself translucent while veiled keeps its own layering.
    TestWindow young(0);
    WindowVeil early;
    ASSERT_TRUE(early.Drop(young.window));
    ASSERT_TRUE(::SetLayeredWindowAttributes(young.window, 0, 180, LWA_ALPHA));
    early.Lift();
    ASSERT_TRUE(::GetLayeredWindowAttributes(young.window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 180);
    EXPECT_TRUE(Layered(young.window));
}

TEST(WindowVeil, WindowGoneMeanwhileIsNoFault) {
    WindowVeil veil;
    {
        TestWindow shortLived(0);
        ASSERT_TRUE(veil.Drop(shortLived.window));
    }
    veil.Lift();
    EXPECT_FALSE(veil.Dropped());
    EXPECT_FALSE(veil.Drop(nullptr));
}

} // namespace
} // namespace kestrana::extras::win32
