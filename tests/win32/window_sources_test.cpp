// The window facts and event sources against real windows: what identification reads of
// a window and its process, the shape the reconciliation pass sees, a created and a
// destroyed window reported by the running sources, and web applications read from real
// shortcut files.
#include "dock/win32/win32_web_apps.h"
#include "dock/win32/win32_window_facts.h"
#include "dock/win32/window_event_sources.h"
#include "foundation/text.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>

namespace kestrana::dock {
namespace {

constexpr wchar_t kClass[] = L"KestranaTrackedTest";

HWND MakeWindow(const wchar_t* title, DWORD style, DWORD exStyle = 0, HWND parent = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
    // Shown without activation: under Wine without a window manager, activating and then
    // destroying a window waits seconds for focus events.
    HWND window = ::CreateWindowExW(exStyle, kClass, title, style & ~WS_VISIBLE, 10, 10, 200, 100, parent, nullptr,
                                    wc.hInstance, nullptr);
    if (window && (style & WS_VISIBLE)) ::ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

TEST(Win32WindowFacts, ReadsWindowProcessAndShape) {
    Win32WindowFacts facts;
    HWND main = MakeWindow(L"Tracked main", WS_POPUP | WS_VISIBLE);
    HWND tool = MakeWindow(L"Tracked tool", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
    HWND owned = MakeWindow(L"Tracked owned", WS_POPUP | WS_VISIBLE, 0, main);
    HWND child = MakeWindow(L"", WS_CHILD | WS_VISIBLE, 0, main);
    ASSERT_TRUE(main && tool && owned && child);
    const WindowId id = ToWindowId(main);

    EXPECT_EQ(facts.ClassName(id), kClass);
    EXPECT_EQ(facts.Title(id), L"Tracked main");
    EXPECT_EQ(facts.ProcessId(id), ::GetCurrentProcessId());
    EXPECT_TRUE(foundation::EndsWithIgnoreCase(facts.ProcessImagePath(facts.ProcessId(id)), L"\\unit_win32.exe"));
    EXPECT_EQ(facts.PackageFamilyName(facts.ProcessId(id)), L"");
    EXPECT_EQ(facts.ApplicationId(id), L""); // none set; the property store is reached without a crash
    EXPECT_EQ(facts.Owner(ToWindowId(owned)), id);
    EXPECT_TRUE(facts.ChildStyle(ToWindowId(child)));
    EXPECT_EQ(facts.FindChild(id, kClass), ToWindowId(child));
    EXPECT_EQ(facts.FindTopLevel(kClass, L"Tracked tool"), ToWindowId(tool));
    EXPECT_EQ(facts.KnownFolderPath(L"{F38BF404-1D43-42F2-9305-67DE0B28FC23}"), facts.WindowsFolder());
    EXPECT_FALSE(facts.WindowsFolder().empty());

    EXPECT_TRUE(facts.Shape(id).visible);
    EXPECT_TRUE(facts.Shape(ToWindowId(tool)).toolWindow);
    EXPECT_TRUE(facts.Shape(ToWindowId(owned)).owned);
    ::ShowWindow(main, SW_MINIMIZE);
    EXPECT_TRUE(facts.Shape(id).minimised);
    const auto all = facts.Enumerate();
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const TopLevelWindow& w) { return w.window == id && w.shape.minimised; }));
    EXPECT_FALSE(std::any_of(all.begin(), all.end(), [&](const TopLevelWindow& w) { return w.window == ToWindowId(child); }));

    ::DestroyWindow(tool);
    ::DestroyWindow(main);
    EXPECT_FALSE(facts.IsWindow(id));
    EXPECT_FALSE(facts.Shape(id).visible);
}

class Recorder final : public WindowEventSink {
public:
    std::vector<WindowEvent> events;
    void OnWindowEvent(const WindowEvent& event) override { events.push_back(event); }
    bool Saw(WindowEventKind kind, HWND window) const {
        return std::any_of(events.begin(), events.end(),
                           [&](const WindowEvent& e) { return e.kind == kind && e.window == ToWindowId(window); });
    }
};

// Runs this thread's messages (the sources' timer and hooks) until `done` or `limit`.
template <typename Done>
bool PumpUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    MSG msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

TEST(WindowEventSources, ReportCreatedAndDestroyedWindows) {
    Win32WindowFacts facts;
    WindowEventSources sources(facts);
    Recorder sink;
    HWND host = MakeWindow(L"", WS_POPUP);
    ASSERT_TRUE(sources.Start(host, sink));
    WindowEventSources second(facts);
    EXPECT_FALSE(second.Start(host, sink)); // one at a time: the hooks have no context

    HWND window = MakeWindow(L"Tracked later", WS_POPUP | WS_VISIBLE);
    EXPECT_TRUE(PumpUntil([&] { return sink.Saw(WindowEventKind::Appeared, window); }));
    ::DestroyWindow(window);
    EXPECT_TRUE(PumpUntil([&] { return sink.Saw(WindowEventKind::Destroyed, window); }));

    sources.Stop();
    sink.events.clear();
    HWND late = MakeWindow(L"After stop", WS_POPUP | WS_VISIBLE);
    PumpUntil([] { return false; }, std::chrono::milliseconds(4 * WindowEventSources::kReconcileMs));
    EXPECT_TRUE(sink.events.empty());
    ::DestroyWindow(late);
    ::DestroyWindow(host);
}

TEST(Win32WebApps, ReadsBrowserShortcutsOfProgramsAndItsFolders) {
    testing::TempFolder programs(L"kestrana-programs-");
    const std::wstring apps = programs.Path() + L"Chrome Apps";
    ASSERT_TRUE(::CreateDirectoryW(apps.c_str(), nullptr));
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const auto write = [](const std::wstring& file, const wchar_t* target, const wchar_t* arguments) {
        Microsoft::WRL::ComPtr<IShellLinkW> link;
        Microsoft::WRL::ComPtr<IPersistFile> save;
        return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
               SUCCEEDED(link->SetPath(target)) && SUCCEEDED(link->SetArguments(arguments)) &&
               SUCCEEDED(link.As(&save)) && SUCCEEDED(save->Save(file.c_str(), TRUE));
    };
    EXPECT_TRUE(write(apps + L"\\Music.lnk", L"C:\\Chrome\\chrome_proxy.exe", L"--profile-directory=Default --app-id=musicid"));
    EXPECT_TRUE(write(programs.File(L"Mail.lnk"), L"C:\\Edge\\msedge_proxy.exe", L"--app-id=mailid"));
    EXPECT_TRUE(write(programs.File(L"Editor.lnk"), L"C:\\Tools\\editor.exe", L"--new-window"));
    ::CoUninitialize();

    Win32WebApps webApps(programs.Path().substr(0, programs.Path().size() - 1));
    EXPECT_EQ(webApps.FindByTitle(Browser::Chrome, L"Music"), L"musicid");
    EXPECT_EQ(webApps.FindByTitle(Browser::Edge, L"Mail"), L"mailid");
    EXPECT_EQ(webApps.Count(), 2u);
}

} // namespace
} // namespace kestrana::dock
