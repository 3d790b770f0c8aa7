// Window creation through the main window: requests from worker threads are served on
// the user-interface thread, unanswered ones give up without leaving a window behind,
// and blocks this process did not issue are refused.
#include "foundation/shell_messages.h"
#include "foundation/win32/shell_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

using kestrana::win32::CreateShellWindow;
using kestrana::win32::ShellWindowRequest;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kestrana::foundation::kMsgShellWindowRequest && wParam == kestrana::foundation::kCreateShellWindowBlock)
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
        return {.title = {}, .className = L"KestranaTestPopup", .x = 10, .y = 20, .width = 300, .height = 40, .layered = true, .toolWindow = true,
                .noActivate = true};
    }

    // Runs the message loop of this (user-interface) thread until `done` or `time` is up.
    static void PumpUntil(const std::atomic<bool>& done, std::chrono::milliseconds time = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + time;
        MSG msg;
        while (!done.load() && std::chrono::steady_clock::now() < deadline) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }

    // Asks for the popup from a worker thread while this thread runs `serve`.
    static HWND CreateFromWorker(const std::function<void(const std::atomic<bool>& done)>& serve) {
        std::atomic<bool> done{false};
        std::atomic<HWND> made{nullptr};
        std::thread worker([&] {
            made = CreateShellWindow(PopupRequest());
            done = true;
        });
        serve(done);
        worker.join();
        return made.load();
    }

    HWND m_host = nullptr;
};

TEST_F(ShellWindowTest, WorkerRequestIsCreatedOnTheUserInterfaceThread) {
    HWND window = CreateFromWorker([](const std::atomic<bool>& done) { PumpUntil(done); });
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());
    EXPECT_EQ(::GetWindowLongPtrW(window, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
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
    // The user-interface thread is busy and does not read its messages.
    EXPECT_EQ(CreateFromWorker([](const std::atomic<bool>& done) {
                  while (!done.load()) ::Sleep(20);
              }),
              nullptr);
    // When it catches up, the stale request must not produce a window.
    const std::atomic<bool> never{false};
    PumpUntil(never, std::chrono::milliseconds(300));
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
