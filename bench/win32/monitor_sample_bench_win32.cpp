// One monitor sample against the real system calls: the counter query (or, with the
// counters off, the system times), the memory status and the interface table, as the
// sampler's worker takes it every two seconds. Prints the median and the 90th percentile
// of the thread's CPU time and of the wall time, in microseconds.
#include "menubar/win32/monitor_sampler.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

double ThreadCpuMicros() {
    FILETIME created{}, ended{}, kernel{}, user{};
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto value = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(value(kernel) + value(user)) / 10.0;
}

void Report(const char* what, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    std::printf("%s: median %.1f us, p90 %.1f us over %zu samples\n", what, micros[micros.size() / 2],
                micros[micros.size() * 9 / 10], micros.size());
}

void Run(bool countersOff, int samples) {
    kestrana::menubar::win32::MonitorReaders readers(countersOff);
    std::vector<double> wall, cpu;
    for (int i = 0; i < samples; ++i) {
        const double cpuBefore = ThreadCpuMicros();
        const auto start = std::chrono::steady_clock::now();
        const auto sample = readers.Sample();
        wall.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        cpu.push_back(ThreadCpuMicros() - cpuBefore);
        if (!sample.memory) std::printf("no memory reading\n");
        ::Sleep(5);
    }
    std::printf("%s\n", countersOff ? "counters off (system times):" : "counters on:");
    Report("  wall", wall);
    Report("  thread CPU", cpu);
}

// Each system call of a sample alone, wall time (Wine's thread times tick too coarsely):
// which of them an idle sampler pays most for.
template <typename Call> void Time(const char* what, int samples, Call call) {
    std::vector<double> wall;
    for (int i = 0; i < samples; ++i) {
        const auto start = std::chrono::steady_clock::now();
        call();
        wall.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    Report(what, wall);
}

void RunCalls(int samples) {
    using Query = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
    // Through a plain function pointer: the looked-up entry point has no type of its own.
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::printf("single calls:\n");
    Time("  system times", samples, [] {
        FILETIME a{}, b{}, c{};
        ::GetSystemTimes(&a, &b, &c);
    });
    Time("  memory status", samples, [] {
        MEMORYSTATUSEX m{};
        m.dwLength = sizeof m;
        ::GlobalMemoryStatusEx(&m);
    });
    NET_LUID counted{};
    Time("  interface table", samples, [&counted] {
        PMIB_IF_TABLE2 table = nullptr;
        if (::GetIfTable2(&table) != NO_ERROR) return;
        for (ULONG i = 0; i < table->NumEntries; ++i)
            if (table->Table[i].PhysicalAddressLength && table->Table[i].InterfaceAndOperStatusFlags.HardwareInterface)
                counted = table->Table[i].InterfaceLuid;
        ::FreeMibTable(table);
    });
    Time("  one interface entry", samples, [&counted] {
        MIB_IF_ROW2 row{};
        row.InterfaceLuid = counted;
        (void)::GetIfEntry2(&row);
    });
    std::vector<unsigned char> buffer(1 << 20);
    Time("  per-core times", samples, [&] {
        ULONG length = 0;
        if (query) query(8, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
    });
    Time("  process list", samples, [&] {
        ULONG length = 0;
        if (query) query(5, buffer.data(), static_cast<ULONG>(buffer.size()), &length);
    });
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int samples = argc > 1 ? std::max(10, _wtoi(argv[1])) : 200;
    Run(true, samples);
    Run(false, samples);
    RunCalls(samples);
    return 0;
}
