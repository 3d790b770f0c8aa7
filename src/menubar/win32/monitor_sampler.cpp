#include "menubar/win32/monitor_sampler.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"

// The interface table's types are declared only when the IP definitions come first.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <pdh.h>
#include <winternl.h>
#include <pdhmsg.h>

#include <algorithm>
#include <atomic>
#include <bitset>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>

namespace kestrana::menubar::win32 {
namespace {

using GetIfTable2Fn = DWORD(WINAPI*)(PMIB_IF_TABLE2*);
using FreeMibTableFn = VOID(WINAPI*)(PVOID);
using NtQuerySystemInformationFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG);

// The IP helper, loaded at first use and kept for the process's life (it is a system
// library; unloading it would gain nothing).
struct IpHelper {
    GetIfTable2Fn getIfTable2 = nullptr;
    FreeMibTableFn freeMibTable = nullptr;
    GetAdaptersAddressesFn getAdaptersAddresses = nullptr;

    static const IpHelper& Get() {
        static const IpHelper helper = [] {
            IpHelper h;
            if (HMODULE module = ::LoadLibraryW(L"Iphlpapi.dll")) {
                h.getIfTable2 = kestrana::win32::FunctionIn<GetIfTable2Fn>(module, "GetIfTable2");
                h.freeMibTable =
                    kestrana::win32::FunctionIn<FreeMibTableFn>(module, "FreeMibTable");
                h.getAdaptersAddresses =
                    kestrana::win32::FunctionIn<GetAdaptersAddressesFn>(module, "GetAdaptersAddresses");
            }
            return h;
        }();
        return helper;
    }
};

// The counter library, loaded by the worker when counters are wanted: the program's start
// and the user-interface thread never pay for it.
struct PdhLibrary {
    decltype(&::PdhOpenQueryW) open = nullptr;
    decltype(&::PdhAddEnglishCounterW) add = nullptr;
    decltype(&::PdhCollectQueryData) collect = nullptr;
    decltype(&::PdhGetFormattedCounterValue) value = nullptr;
    decltype(&::PdhCloseQuery) close = nullptr;

    static const PdhLibrary& Get() {
        static const PdhLibrary library = [] {
            PdhLibrary l;
            HMODULE module = ::LoadLibraryW(L"pdh.dll");
            if (!module) return l;
            const auto get = [module](auto& fn, const char* name) {
                fn = kestrana::win32::FunctionIn<std::remove_reference_t<decltype(fn)>>(module, name);
            };
            get(l.open, "PdhOpenQueryW");
            get(l.add, "PdhAddEnglishCounterW");
            get(l.collect, "PdhCollectQueryData");
            get(l.value, "PdhGetFormattedCounterValue");
            get(l.close, "PdhCloseQuery");
            return l;
        }();
        return library;
    }
    [[nodiscard]] bool Complete() const { return open && add && collect && value && close; }
};

class PdhQuery {
public:
    PdhQuery() = default;
    ~PdhQuery() {
        if (m_query) PdhLibrary::Get().close(m_query);
    }
    PdhQuery(const PdhQuery&) = delete;
    PdhQuery& operator=(const PdhQuery&) = delete;

    bool Open() {
        const PdhLibrary& pdh = PdhLibrary::Get();
        return pdh.Complete() && pdh.open(nullptr, 0, &m_query) == ERROR_SUCCESS;
    }
    // By English name, so a localised system finds the same counter.
    PDH_HCOUNTER Add(const wchar_t* path) {
        PDH_HCOUNTER counter = nullptr;
        if (!m_query || PdhLibrary::Get().add(m_query, path, 0, &counter) != ERROR_SUCCESS) return nullptr;
        return counter;
    }
    bool Collect() { return m_query && PdhLibrary::Get().collect(m_query) == ERROR_SUCCESS; }

private:
    PDH_HQUERY m_query = nullptr;
};

std::optional<double> ReadCounter(PDH_HCOUNTER counter) {
    if (!counter) return std::nullopt;
    PDH_FMT_COUNTERVALUE value{};
    if (PdhLibrary::Get().value(counter, PDH_FMT_DOUBLE | PDH_FMT_NOCAP100, nullptr, &value) != ERROR_SUCCESS ||
        (value.CStatus != PDH_CSTATUS_VALID_DATA && value.CStatus != PDH_CSTATUS_NEW_DATA))
        return std::nullopt;
    return value.doubleValue;
}

std::uint64_t FileTimeValue(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Each kind of failure is written once per sampler, not every two seconds.
enum Failure : std::size_t {
    kNoQuery, kNoCpuCounter, kNoDiskCounter, kCollect, kTimes, kMemory, kNoIpHelper, kIfTable, kCores, kFailures
};

// The readings' sources; lives on the worker thread only.
class Readers {
public:
    explicit Readers(bool countersOff) {
        if (countersOff) {
            foundation::LogDetail("monitors", "performance counters switched off: the CPU comes from system times");
            return;
        }
        if (!m_query.Open()) {
            Fail(kNoQuery, "no performance-counter query: the CPU comes from system times, the disk reads 0");
            return;
        }
        m_utility = m_query.Add(L"\\Processor Information(_Total)\\% Processor Utility");
        m_processorTime = m_query.Add(L"\\Processor(_Total)\\% Processor Time");
        m_disk = m_query.Add(L"\\LogicalDisk(_Total)\\% Disk Time");
        if (!m_utility && !m_processorTime) Fail(kNoCpuCounter, "no processor counter: the CPU comes from system times");
        if (!m_disk) Fail(kNoDiskCounter, "no logical-disk counter: the disk reads 0");
        m_counters = m_utility || m_processorTime || m_disk;
        // Rate counters need a first collection to compare the next one with.
        if (m_counters) m_query.Collect();
    }

    MonitorSample Sample() {
        MonitorSample sample;
        sample.nowMs = ::GetTickCount64();
        const bool collected = m_counters && m_query.Collect();
        if (m_counters && !collected) Fail(kCollect, "the performance counters could not be collected");
        sample.cpu = Cpu(collected);
        if (collected) {
            if (const auto disk = ReadCounter(m_disk)) sample.disk = LoadPercent(*disk);
            else if (m_disk) Fail(kNoDiskCounter, "the logical-disk counter gave no value");
        }
        if (!sample.disk) sample.disk = 0;
        MEMORYSTATUSEX memory{};
        memory.dwLength = sizeof memory;
        if (::GlobalMemoryStatusEx(&memory)) {
            sample.memory = static_cast<int>(memory.dwMemoryLoad);
            constexpr float kGb = 1024.0f * 1024.0f * 1024.0f;
            sample.memoryDetails.totalGb = static_cast<float>(memory.ullTotalPhys) / kGb;
            sample.memoryDetails.usedGb = static_cast<float>(memory.ullTotalPhys - memory.ullAvailPhys) / kGb;
            sample.memoryDetails.pageTotalGb = memory.ullTotalPageFile >> 30;
            sample.memoryDetails.pageUsedGb = (memory.ullTotalPageFile - memory.ullAvailPageFile) >> 30;
        } else {
            Fail(kMemory, "the memory status could not be read");
        }
        sample.traffic = Network();
        sample.cores = Cores();
        return sample;
    }

private:
    std::optional<int> Cpu(bool collected) {
        if (collected) {
            if (const auto utility = ReadCounter(m_utility)) return LoadPercent(*utility);
            if (const auto time = ReadCounter(m_processorTime)) return LoadPercent(*time);
        }
        FILETIME idle{}, kernel{}, user{};
        if (!::GetSystemTimes(&idle, &kernel, &user)) {
            Fail(kTimes, "the system times could not be read");
            return std::nullopt;
        }
        return m_times.Next(FileTimeValue(idle), FileTimeValue(kernel), FileTimeValue(user));
    }

    // Per-core times for the CPU pop-up; the system's own call, as no counter is needed.
    std::vector<int> Cores() {
        static const auto query =
            kestrana::win32::LoadedFunction<NtQuerySystemInformationFn>(L"ntdll.dll", "NtQuerySystemInformation");
        constexpr int kProcessorPerformance = 8;
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        std::vector<SYSTEM_PROCESSOR_PERFORMANCE_INFORMATION> times(std::clamp<DWORD>(info.dwNumberOfProcessors, 1, 256));
        ULONG length = 0;
        if (!query || query(kProcessorPerformance, times.data(), static_cast<ULONG>(times.size() * sizeof(times[0])), &length) < 0) {
            Fail(kCores, "the per-core times could not be read");
            return {};
        }
        m_coreTimes.clear();
        for (std::size_t i = 0; i < std::min<std::size_t>(times.size(), length / sizeof(times[0])); ++i)
            m_coreTimes.push_back({static_cast<std::uint64_t>(times[i].IdleTime.QuadPart),
                                   static_cast<std::uint64_t>(times[i].KernelTime.QuadPart),
                                   static_cast<std::uint64_t>(times[i].UserTime.QuadPart)});
        return m_cores.Next(m_coreTimes);
    }

    std::optional<Traffic> Network() {
        const IpHelper& ip = IpHelper::Get();
        if (!ip.getIfTable2 || !ip.freeMibTable) {
            Fail(kNoIpHelper, "the IP helper is missing: the network rates stay 0");
            return Traffic{};
        }
        PMIB_IF_TABLE2 table = nullptr;
        if (ip.getIfTable2(&table) != NO_ERROR || !table) {
            Fail(kIfTable, "the interface table could not be read");
            return std::nullopt;
        }
        m_rows.clear();
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& row = table->Table[i];
            m_rows.push_back({row.PhysicalAddressLength, row.InterfaceAndOperStatusFlags.HardwareInterface != 0,
                              row.InOctets, row.OutOctets});
        }
        ip.freeMibTable(table);
        return SumTraffic(m_rows);
    }

    void Fail(Failure which, const char* what) {
        if (m_failed.test(which)) return;
        m_failed.set(which);
        foundation::LogFailure("monitors", what);
    }

    PdhQuery m_query;
    PDH_HCOUNTER m_utility = nullptr, m_processorTime = nullptr, m_disk = nullptr;
    bool m_counters = false;
    SystemTimesLoad m_times;
    CoreLoads m_cores;
    std::vector<CoreTimes> m_coreTimes;
    std::vector<InterfaceRow> m_rows;
    std::bitset<kFailures> m_failed;
};

} // namespace

struct MonitorReaders::Impl : Readers {
    using Readers::Readers;
};

MonitorReaders::MonitorReaders(bool countersOff) : m_impl(std::make_unique<Impl>(countersOff)) {}
MonitorReaders::~MonitorReaders() = default;
MonitorSample MonitorReaders::Sample() { return m_impl->Sample(); }

struct MonitorSampler::Shared {
    std::shared_ptr<MonitorBoard> board;
    bool countersOff = false;
    std::mutex mutex;
    std::condition_variable wake;
    bool pending = false;
    bool busy = false;
    bool stop = false;
    DisplayTypes types;
    bool force = false;
    HWND target = nullptr;

    void Run() {
        MonitorReaders readers(countersOff);
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] { return pending || stop; });
            if (stop) return;
            pending = false;
            busy = true;
            const DisplayTypes t = types;
            const bool f = force;
            const HWND to = target;
            lock.unlock();
            std::uint32_t changed = 0;
            try {
                changed = board->Take(readers.Sample(), t, f);
            } catch (...) {
                foundation::LogCaught("monitor sample");
            }
            if (changed && to) ::PostMessageW(to, kMsgMonitors, changed, 0);
            lock.lock();
            busy = false;
        }
    }
};

MonitorSampler::MonitorSampler(std::shared_ptr<MonitorBoard> board, bool countersOff)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->board = std::move(board);
    m_shared->countersOff = countersOff;
    try {
        // Detached: a counter that hangs must not hold the user-interface thread at exit.
        std::thread([shared = m_shared] { shared->Run(); }).detach();
    } catch (...) {
        foundation::LogCaught("monitor sampler start");
    }
}

MonitorSampler::~MonitorSampler() {
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->stop = true;
        m_shared->target = nullptr;
    }
    m_shared->wake.notify_one();
}

bool MonitorSampler::Request(const DisplayTypes& types, bool force, HWND target) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->busy || m_shared->pending) return false;
        m_shared->pending = true;
        m_shared->types = types;
        m_shared->force = force;
        m_shared->target = target;
    }
    m_shared->wake.notify_one();
    return true;
}

std::wstring SystemMonitorFacts::ProcessorName() {
    wchar_t name[256]{};
    DWORD size = sizeof name;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                       RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS)
        return {};
    std::wstring text(name);
    const auto first = text.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : text.substr(first);
}

std::vector<std::wstring> SystemMonitorFacts::Addresses(bool ipv6) {
    std::vector<std::wstring> out;
    const IpHelper& ip = IpHelper::Get();
    using InetNtopFn = PCWSTR(WINAPI*)(INT, const VOID*, PWSTR, size_t);
    static const auto toText = [] {
        HMODULE sockets = ::LoadLibraryW(L"ws2_32.dll");
        return sockets ? kestrana::win32::FunctionIn<InetNtopFn>(sockets, "InetNtopW") : nullptr;
    }();
    if (!ip.getAdaptersAddresses) return out;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    const ULONG family = ipv6 ? AF_INET6 : AF_INET;
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    for (int tries = 0; tries < 3 && result == ERROR_BUFFER_OVERFLOW; ++tries) {
        buffer.resize(size);
        result = ip.getAdaptersAddresses(family, flags, nullptr, reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data()), &size);
    }
    if (result != NO_ERROR) return out;
    for (auto* adapter = reinterpret_cast<PIP_ADAPTER_ADDRESSES>(buffer.data()); adapter; adapter = adapter->Next) {
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK || adapter->OperStatus != IfOperStatusUp) continue;
        for (auto* unicast = adapter->FirstUnicastAddress; unicast && out.size() < 8; unicast = unicast->Next) {
            wchar_t text[64]{};
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != family) continue;
            // Needs no sockets started, unlike the address-to-string call of the socket layer.
            const void* bytes = ipv6 ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr)
                                     : static_cast<const void*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
            if (toText && toText(static_cast<INT>(family), bytes, text, 64)) out.emplace_back(text);
        }
    }
    return out;
}

} // namespace kestrana::menubar::win32
