// Window creation through the main window: requests from worker threads are served on
// the user-interface thread, unanswered ones give up without leaving a window behind,
// and blocks this process did not issue are refused.
#include "foundation/shell_messages.h"
#include "foundation/win32/shell_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using kestrana::win32::CreateShellWindow;
using kestrana::win32::ShellWindowRequest;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kestrana::foundation::kMsgShellWindowRequest &&
        wParam == kestrana::foundation::kCreateShellWindowBlock)
        return kestrana::win32::ServeShellWindowRequest(lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KestranaTestHost";
        ::RegisterClassExW(&wc);
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.lpszClassName = L"KestranaTestPopup";
        ::RegisterClassExW(&wc);
        m_host = ::CreateWindowExW(0, L"KestranaTestHost", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_host, nullptr);
        kestrana::win32::SetShellWindowHost(m_host, ::GetCurrentThreadId());
    }
    void TearDown() override {
        kestrana::win32::SetShellWindowHost(nullptr, 0);
        if (HWND left = ::FindWindowW(L"KestranaTestPopup", nullptr)) ::DestroyWindow(left);
        ::DestroyWindow(m_host);
    }

    static ShellWindowRequest PopupRequest() {
        ShellWindowRequest request;
        request.className = L"KestranaTestPopup";
        request.x = 10;
        request.y = 20;
        request.width = 300;
        request.height = 40;
        request.layered = true;
        request.toolWindow = true;
        request.noActivate = true;
        return request;
    }

    // Runs the message loop of this (user-interface) thread until `done` or a deadline.
    static void PumpUntil(const std::atomic<bool>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        MSG msg;
        while (!done.load() && std::chrono::steady_clock::now() < deadline) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

    HWND m_host = nullptr;
};

TEST_F(ShellWindowTest, WorkerRequestIsCreatedOnTheUserInterfaceThread) {
    std::atomic<bool> done{false};
    std::atomic<HWND> made{nullptr};
    std::thread worker([&] {
        made = CreateShellWindow(PopupRequest());
        done = true;
    });
    PumpUntil(done);
    worker.join();

    HWND window = made.load();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());
    const auto exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_FALSE(exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(::GetPropW(window, L"NonRudeHWND"), reinterpret_cast<HANDLE>(1));
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.bottom - rect.top, 40);
    ::DestroyWindow(window);
}

TEST_F(ShellWindowTest, CreateOnThisThreadStaysOnTheWorker) {
    DWORD workerThread = 0;
    DWORD ownerThread = 1;
    std::thread worker([&] {
        workerThread = ::GetCurrentThreadId();
        auto request = PopupRequest();
        request.createOnThisThread = true;
        HWND window = CreateShellWindow(request);
        ownerThread = window ? ::GetWindowThreadProcessId(window, nullptr) : 0;
        if (window) ::DestroyWindow(window);
    });
    worker.join();
    EXPECT_EQ(ownerThread, workerThread);
}

TEST_F(ShellWindowTest, UnansweredRequestGivesUpAndLeavesNoWindow) {
    std::atomic<bool> done{false};
    std::atomic<HWND> made{reinterpret_cast<HWND>(1)};
    std::thread worker([&] {
        made = CreateShellWindow(PopupRequest());
        done = true;
    });
    // The user-interface thread is busy and does not read its messages.
    while (!done.load()) ::Sleep(20);
    worker.join();
    EXPECT_EQ(made.load(), nullptr);

    // When it catches up, the stale request must not produce a window.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    MSG msg;
    while (std::chrono::steady_clock::now() < until) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
    EXPECT_EQ(::FindWindowW(L"KestranaTestPopup", nullptr), nullptr);
}

TEST_F(ShellWindowTest, ForeignRequestBlocksAreRefused) {
    EXPECT_EQ(kestrana::win32::ServeShellWindowRequest(0), 0);
    EXPECT_EQ(kestrana::win32::ServeShellWindowRequest(0x12345678), 0);
    // Through the window, as another process would send it.
    EXPECT_EQ(::SendMessageW(m_host, kestrana::foundation::kMsgShellWindowRequest,
                             kestrana::foundation::kCreateShellWindowBlock, 0x7FFE0000),
              0);
    EXPECT_EQ(::FindWindowW(L"KestranaTestPopup", nullptr), nullptr);
}

} // namespace
