// The cost of the window reconciliation pass under the real window system: with N
// top-level windows of another process (every other one visible) it times single passes,
// then lets the event sources run idle on their 250 ms timer and reports the process's
// CPU time over that span as a share of one core, beside an idle span without them.
//   bench_window_reconcile_win32.exe [idle seconds, default 20] [N, default 60]
#include "dock/win32/win32_window_facts.h"
#include "dock/win32/window_event_sources.h"
#include "dock/window_reconcile.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using namespace kestrana::dock;

class CountingSink final : public WindowEventSink {
public:
    long events = 0;
    void OnWindowEvent(const WindowEvent&) override { ++events; }
};

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

// The windows belong to a second process, as other programs' windows do: reading them
// costs more than reading one's own.
int ServeWindows(int count) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaReconcileBench";
    ::RegisterClassExW(&wc);
    for (int i = 0; i < count; ++i) {
        HWND w = ::CreateWindowExW(0, wc.lpszClassName, L"bench", WS_POPUP, 10 + i, 10 + i, 120, 80, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        if (i % 2 == 0) ::ShowWindow(w, SW_SHOWNOACTIVATE);
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const auto number = [&](int index, int fallback) {
        return argc > index ? std::max(1, static_cast<int>(std::wcstol(argv[index], nullptr, 10))) : fallback;
    };
    if (argc > 2 && std::wcscmp(argv[1], L"--windows") == 0) return ServeWindows(number(2, 60));
    const int idleSeconds = number(1, 20);
    const int windowCount = number(2, 60);

    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --windows " + std::to_wstring(windowCount);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        return 1;
    for (int i = 0; i < 100 && !::FindWindowW(L"KestranaReconcileBench", nullptr); ++i) ::Sleep(100);
    ::Sleep(1000);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaReconcileHost";
    ::RegisterClassExW(&wc);

    Win32WindowFacts facts;
    WindowReconciler reconciler(facts);
    CountingSink sink;
    reconciler.Pass(sink);
    const auto all = facts.Enumerate();
    const long candidates = sink.events;

    std::vector<double> passes;
    for (int i = 0; i < 2000; ++i) {
        const auto start = std::chrono::steady_clock::now();
        reconciler.Pass(sink);
        passes.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(passes.begin(), passes.end());
    std::printf("top-level windows %zu, task-list candidates %ld\n", all.size(), candidates);
    std::printf("one pass: median %.1f us, 90th percentile %.1f us, events after the first pass %ld\n",
                passes[passes.size() / 2], passes[passes.size() * 9 / 10], sink.events - candidates);

    // Idle spans: first without the sources (what the loop itself costs), then with them.
    const auto idle = [idleSeconds](const char* what) {
        std::printf("idle %s for %d s\n", what, idleSeconds);
        std::fflush(stdout);
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::seconds(idleSeconds);
        MSG msg;
        for (auto now = start; now < end; now = std::chrono::steady_clock::now()) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left + 1), QS_ALLINPUT);
        }
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        std::printf("idle %s: %.3f s CPU in %.1f s = %.3f %% of one core\n", what, cpu, wall, 100.0 * cpu / wall);
        std::fflush(stdout);
    };
    idle("without the sources");
    HWND host = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    WindowEventSources sources(facts);
    if (!sources.Start(host, sink)) return 1;
    const long before = sink.events;
    idle("with the sources");
    std::printf("events while idle %ld\n", sink.events - before);
    std::fflush(stdout);
    // Time for an observer outside to read the process's counters before it ends.
    ::Sleep(1500);
    sources.Stop();
    ::DestroyWindow(host);
    ::TerminateProcess(child.hProcess, 0);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return 0;
}
