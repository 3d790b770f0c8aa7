// The preview window with real windows of this process: it opens beside the item inside
// the monitor, shows one picture per window (captured on a worker where the window
// manager refuses live thumbnails), switches to a window when its picture is clicked, and
// stays shut for an item without windows. Built and run only in the Windows build (under
// Wine in CI).
#ifdef _WIN32

#include "dock/win32/preview_window.h"

#include "fakes/settings_folder.h"
#include "gfx/builtin_text_renderer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace kestrana::dock::win32 {
namespace {

HWND Popup(const wchar_t* title, int x, int width, int height) {
    return ::CreateWindowExW(0, L"STATIC", title, WS_POPUP | WS_VISIBLE, x, 40, width, height, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

WindowId Id(HWND window) { return static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)); }

// Runs this thread's messages until `done` or two seconds pass.
template <class Done> bool PumpUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class PreviewWindowTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    PreviewWindowTest() {
        Config(u"[DWMThumbnail]\r\nenabled=1\r\ntitle=1\r\n");
        preview.Reload();
        first = Popup(L"first", 30, 320, 180);
        second = Popup(L"second", 400, 160, 240);
    }
    ~PreviewWindowTest() override {
        jobs.Stop();
        jobs.WaitIdle(std::chrono::milliseconds(2000));
        ::DestroyWindow(first);
        ::DestroyWindow(second);
    }
    PreviewWindow::Resolver Resolver(std::vector<WindowId> windows) {
        return [windows](std::int32_t) -> std::optional<PreviewTarget> {
            if (windows.empty()) return std::nullopt;
            PreviewTarget t;
            t.program = L"test.exe";
            t.windows = windows;
            t.icon = {1880, 1000, 1944, 1064}; // at the right end of a bottom dock
            t.edge = Edge::Bottom;
            t.monitor = {0, 0, 1920, 1080};
            return t;
        };
    }

    foundation::JobRunner jobs;
    gfx::BuiltinTextRenderer text;
    std::atomic<int> captures{0};
    std::atomic<int> capturesOnTestThread{0};
    const DWORD testThread = ::GetCurrentThreadId();
    PreviewWindow preview{{jobs, store, text, [this](HWND, const RECT& r, int, int) {
                               ++captures;
                               if (::GetCurrentThreadId() == testThread) ++capturesOnTestThread;
                               gfx::Bitmap b(r.right - r.left, r.bottom - r.top);
                               for (auto& p : b.Pixels()) p = 0xFF3366CCu;
                               return b;
                           }}};
    HWND first = nullptr;
    HWND second = nullptr;
    const int owner = 0;
};

TEST_F(PreviewWindowTest, OpensInsideTheMonitorWithAPictureOfEachWindowAndSwitchesOnAClick) {
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(preview.OpenNow(&owner, 7, Resolver({Id(first), Id(second)})));
    const HWND window = preview.Window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(::IsWindowVisible(window));
    wchar_t cls[64]{};
    ::GetClassNameW(window, cls, 64);
    EXPECT_STREQ(cls, L"OndelPreview");
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_LE(r.bottom, 1000); // above the icon
    EXPECT_LE(r.right, 1920);  // pushed back inside the monitor
    EXPECT_GT(r.right - r.left, 100);

    // This system's window manager may give live thumbnails; where it does not, each
    // window is pictured on a worker (and none is pictured on this thread).
    const bool live = SUCCEEDED([&] {
        HTHUMBNAIL probe = nullptr;
        const HRESULT hr = ::DwmRegisterThumbnail(window, first, &probe);
        if (SUCCEEDED(hr)) ::DwmUnregisterThumbnail(probe);
        return hr;
    }());
    if (!live) {
        EXPECT_TRUE(PumpUntil([&] { return captures.load() >= 2; }));
        EXPECT_EQ(capturesOnTestThread.load(), 0);
    }

    // The second picture stands right of the first: a click on the window's right part
    // picks it, closes the preview and brings the second window forward.
    const int y = (r.bottom - r.top) / 2;
    const int x = (r.right - r.left) * 3 / 4;
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == second; }));
}

TEST_F(PreviewWindowTest, StaysShutWithoutWindowsAndClosesForItsItemOnly) {
    EXPECT_FALSE(preview.OpenNow(&owner, 3, Resolver({})));
    EXPECT_TRUE(!preview.Window() || !::IsWindowVisible(preview.Window()));

    ASSERT_TRUE(preview.OpenNow(&owner, 4, Resolver({Id(first)})));
    preview.CloseFor(&owner, 5); // another item's click
    EXPECT_TRUE(::IsWindowVisible(preview.Window()));
    const int otherDock = 0;
    preview.Forget(&otherDock);
    EXPECT_TRUE(::IsWindowVisible(preview.Window()));
    preview.CloseFor(&owner, 4);
    EXPECT_FALSE(::IsWindowVisible(preview.Window()));

    // A window that changes its size while shown: the row follows within a refresh.
    ASSERT_TRUE(preview.OpenNow(&owner, 4, Resolver({Id(first)})));
    const auto width = [&] {
        RECT r{};
        ::GetWindowRect(preview.Window(), &r);
        return r.right - r.left;
    };
    const int before = width();
    ::SetWindowPos(first, nullptr, 0, 0, 640, 180, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(PumpUntil([&] { return width() > before; }));
    EXPECT_TRUE(::IsWindowVisible(preview.Window()));
    preview.CloseFor(&owner, 4);

    // A window gone before the preview opens is left out; with none left nothing shows.
    const HWND gone = Popup(L"gone", 10, 50, 50);
    ::DestroyWindow(gone);
    EXPECT_FALSE(preview.OpenNow(&owner, 6, Resolver({Id(gone)})));
}

TEST_F(PreviewWindowTest, ThePinButtonTogglesTheWindowOnTopAndSaysSo) {
    Config(u"[DWMThumbnail]\r\ncontrol=1\r\ntitle=1\r\n");
    preview.Reload();
    ASSERT_TRUE(preview.OpenNow(&owner, 9, Resolver({Id(first)})));
    RECT r{};
    ::GetWindowRect(preview.Window(), &r);
    // One picture: 8 pixels in from the sides, below a 20-pixel title; the 28-pixel pin
    // sits in its top right corner.
    const LPARAM pin = MAKELPARAM((r.right - r.left) - 8 - 2 - 14, 8 + 20 + 2 + 14);
    auto pinned = [&] { return (::GetWindowLongPtrW(first, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    ASSERT_FALSE(pinned());
    ::SendMessageW(preview.Window(), WM_MOUSEMOVE, 0, pin);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetPropW(preview.Window(), L"dwmtopmostres")), 460);
    ::SendMessageW(preview.Window(), WM_LBUTTONUP, 0, pin);
    EXPECT_TRUE(pinned());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetPropW(preview.Window(), L"dwmtopmostres")), 461);
    EXPECT_TRUE(::IsWindowVisible(preview.Window())); // the pin does not switch
    ::SendMessageW(preview.Window(), WM_LBUTTONUP, 0, pin);
    EXPECT_FALSE(pinned());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(::GetPropW(preview.Window(), L"dwmtopmostres")), 460);
}

} // namespace
} // namespace kestrana::dock::win32

#endif
