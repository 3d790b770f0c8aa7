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
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace kestrana::menubar::win32 {
namespace {

using GetIfTable2Fn = DWORD(WINAPI*)(PMIB_IF_TABLE2*);
using GetIfEntry2Fn = DWORD(WINAPI*)(PMIB_IF_ROW2);
using FreeMibTableFn = VOID(WINAPI*)(PVOID);
using NtQuerySystemInformationFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
using GetAdaptersAddressesFn = ULONG(WINAPI*)(ULONG, ULONG, PVOID, PIP_ADAPTER_ADDRESSES, PULONG);
using NotifyIpInterfaceChangeFn = DWORD(WINAPI*)(ADDRESS_FAMILY, PIPINTERFACE_CHANGE_CALLBACK, PVOID, BOOLEAN, HANDLE*);
using CancelMibChangeNotify2Fn = DWORD(WINAPI*)(HANDLE);

// The IP helper, loaded at first use and kept for the process's life (it is a system
// library; unloading it would gain nothing).
struct IpHelper {
    GetIfTable2Fn getIfTable2 = nullptr;
    GetIfEntry2Fn getIfEntry2 = nullptr;
    FreeMibTableFn freeMibTable = nullptr;
    GetAdaptersAddressesFn getAdaptersAddresses = nullptr;
    NotifyIpInterfaceChangeFn notifyInterfaceChange = nullptr;
    CancelMibChangeNotify2Fn cancelNotify = nullptr;

    static const IpHelper& Get() {
        static const IpHelper helper = [] {
            IpHelper h;
            if (HMODULE module = ::LoadLibraryW(L"Iphlpapi.dll")) {
                h.getIfTable2 = kestrana::win32::FunctionIn<GetIfTable2Fn>(module, "GetIfTable2");
                h.getIfEntry2 = kestrana::win32::FunctionIn<GetIfEntry2Fn>(module, "GetIfEntry2");
                h.freeMibTable =
                    kestrana::win32::FunctionIn<FreeMibTableFn>(module, "FreeMibTable");
                h.getAdaptersAddresses =
                    kestrana::win32::FunctionIn<GetAdaptersAddressesFn>(module, "GetAdaptersAddresses");
                h.notifyInterfaceChange =
                    kestrana::win32::FunctionIn<NotifyIpInterfaceChangeFn>(module, "NotifyIpInterfaceChange");
                h.cancelNotify = kestrana::win32::FunctionIn<CancelMibChangeNotify2Fn>(module, "CancelMibChangeNotify2");
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
    decltype(&::PdhGetFormattedCounterArrayW) array = nullptr;
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
            get(l.array, "PdhGetFormattedCounterArrayW");
            get(l.close, "PdhCloseQuery");
            return l;
        }();
        return library;
    }
    [[nodiscard]] bool Complete() const { return open && add && collect && value && array && close; }
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
    kNoQuery, kNoCpuCounter, kNoDiskCounter, kCollect, kTimes, kMemory, kNoIpHelper, kIfTable, kCores, kProcesses,
    kDisks, kFailures
};

// A pop-up that opens needs two readings to show shares; the first is taken this long
// before the second, on the worker.
constexpr DWORD kBaselineMs = 300;
constexpr std::size_t kMaxProcesses = 8192;
constexpr int kSystemProcessInformation = 5;

std::uint64_t Now100ns() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count()) /
           100;
}

// The readings' sources; lives on the worker thread only.
class Readers {
public:
    explicit Readers(bool countersOff) : m_countersOff(countersOff) {
        const IpHelper& ip = IpHelper::Get();
        // Where the system does not tell (or the call fails), the table read twice a minute
        // still finds what changed.
        if (ip.notifyInterfaceChange && ip.cancelNotify &&
            ip.notifyInterfaceChange(AF_UNSPEC, InterfaceChanged, &m_changed, FALSE, &m_notification) != NO_ERROR)
            m_notification = nullptr;
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

    MonitorSample Sample(std::uint32_t details, std::uint32_t items) {
        const MonitorReads reads = ReadsFor(items, details);
        MonitorSample sample;
        sample.nowMs = ::GetTickCount64();
        const bool counters = (reads.cpu || reads.disk) && m_counters;
        const bool collected = counters && m_query.Collect();
        if (counters && !collected) Fail(kCollect, "the performance counters could not be collected");
        if (reads.cpu) sample.cpu = Cpu(collected);
        if (reads.disk) {
            if (collected) {
                if (const auto disk = ReadCounter(m_disk)) sample.disk = LoadPercent(*disk);
                else if (m_disk) Fail(kNoDiskCounter, "the logical-disk counter gave no value");
            }
            if (!sample.disk) sample.disk = 0;
        }
        if (reads.network) sample.traffic = Network();
        Details(details, sample);
        if (!reads.memory) return sample;
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
        return sample;
    }

    ~Readers() {
        // Waits for a callback under way, so none runs once the flag it sets is gone.
        if (m_notification) IpHelper::Get().cancelNotify(m_notification);
    }
    Readers(const Readers&) = delete;
    Readers& operator=(const Readers&) = delete;

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

    // What an open pop-up shows beyond the items: per-core loads and the busiest
    // processes for the CPU, the largest processes for the memory, per-disk activity.
    // Nothing of it is read while no such pop-up is open.
    void Details(std::uint32_t wanted, MonitorSample& sample) {
        const bool cpu = (wanted & KindBit(StatusKind::Cpu)) != 0;
        const bool memory = (wanted & KindBit(StatusKind::Memory)) != 0;
        const bool disk = (wanted & KindBit(StatusKind::Disk)) != 0;
        if (!cpu && m_cpuDetails) {
            // Closed: the next opening starts from fresh baselines, not stale ones.
            m_ranking.Forget();
            m_cores = CoreLoads();
            m_cpuDetails = false;
        }
        if (!disk) m_diskQuery.reset();
        if (!cpu && !memory && !disk) return;
        const bool cpuFresh = cpu && !m_cpuDetails;
        const bool diskFresh = disk && !m_diskQuery && !m_countersOff && !m_failed.test(kDisks);
        if (cpuFresh) {
            if (Processes()) (void)m_ranking.TopByCpu(m_processes, 0, 1);
            m_processesAt = Now100ns();
            (void)Cores();
            m_cpuDetails = true;
        }
        if (diskFresh) OpenDiskQuery();
        if (cpuFresh || (diskFresh && m_diskQuery)) ::Sleep(kBaselineMs);
        if ((cpu || memory) && Processes()) {
            if (cpu) {
                const std::uint64_t now = Now100ns();
                sample.topCpu = m_ranking.TopByCpu(m_processes, now - m_processesAt, Processors());
                m_processesAt = now;
            }
            if (memory) sample.topMemory = TopByMemory(m_processes);
        }
        if (cpu) sample.cores = Cores();
        if (disk && m_diskQuery) sample.disks = DiskRowsNow();
    }

    static unsigned Processors() {
        SYSTEM_INFO info{};
        ::GetSystemInfo(&info);
        return std::max<unsigned>(info.dwNumberOfProcessors, 1);
    }

    // The system's process list in one call: processor times and working sets.
    bool Processes() {
        static const auto query =
            kestrana::win32::LoadedFunction<NtQuerySystemInformationFn>(L"ntdll.dll", "NtQuerySystemInformation");
        constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
        if (!query) {
            Fail(kProcesses, "the process list cannot be read");
            return false;
        }
        if (m_processBuffer.empty()) m_processBuffer.resize(256 * 1024);
        LONG status = kLengthMismatch;
        for (int tries = 0; tries < 4 && status == kLengthMismatch; ++tries) {
            ULONG needed = 0;
            status = query(kSystemProcessInformation, m_processBuffer.data(), static_cast<ULONG>(m_processBuffer.size()), &needed);
            // Processes come and go between the two calls: ask for some room to spare.
            if (status == kLengthMismatch)
                m_processBuffer.resize(std::max<std::size_t>(needed, m_processBuffer.size()) + 64 * 1024);
        }
        m_processes.clear();
        if (status < 0) {
            Fail(kProcesses, "the process list could not be read");
            return false;
        }
        std::size_t offset = 0;
        while (m_processes.size() < kMaxProcesses && offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= m_processBuffer.size()) {
            const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(m_processBuffer.data() + offset);
            ProcessTimes p;
            p.pid = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(entry->UniqueProcessId));
            p.created = entry->CreateTime.QuadPart;
            p.cpuTime = static_cast<std::uint64_t>(entry->KernelTime.QuadPart + entry->UserTime.QuadPart);
            p.memory = entry->VirtualMemoryCounters.WorkingSetSize;
            if (entry->ImageName.Buffer && entry->ImageName.Length)
                p.name.assign(entry->ImageName.Buffer, entry->ImageName.Length / sizeof(wchar_t));
            else
                p.name = L"System";
            m_processes.push_back(std::move(p));
            if (entry->NextEntryOffset == 0) break;
            offset += entry->NextEntryOffset;
        }
        return true;
    }

    void OpenDiskQuery() {
        auto query = std::make_unique<PdhQuery>();
        PDH_HCOUNTER counter = query->Open() ? query->Add(L"\\LogicalDisk(*)\\% Disk Time") : nullptr;
        if (!counter || !query->Collect()) {
            Fail(kDisks, "no per-disk counters: the disk pop-up shows the total only");
            return;
        }
        m_diskCounter = counter;
        m_diskQuery = std::move(query);
    }

    std::vector<DiskUse> DiskRowsNow() {
        const PdhLibrary& pdh = PdhLibrary::Get();
        DWORD bytes = 0, count = 0;
        if (!m_diskQuery->Collect() ||
            pdh.array(m_diskCounter, PDH_FMT_DOUBLE | PDH_FMT_NOCAP100, &bytes, &count, nullptr) !=
                static_cast<PDH_STATUS>(PDH_MORE_DATA))
            return {};
        m_diskBuffer.resize(bytes);
        auto* items = reinterpret_cast<PDH_FMT_COUNTERVALUE_ITEM_W*>(m_diskBuffer.data());
        if (pdh.array(m_diskCounter, PDH_FMT_DOUBLE | PDH_FMT_NOCAP100, &bytes, &count, items) != ERROR_SUCCESS) return {};
        std::vector<std::pair<std::wstring, double>> instances;
        for (DWORD i = 0; i < count && instances.size() < 64; ++i)
            if (items[i].szName && (items[i].FmtValue.CStatus == PDH_CSTATUS_VALID_DATA ||
                                    items[i].FmtValue.CStatus == PDH_CSTATUS_NEW_DATA))
                instances.emplace_back(items[i].szName, items[i].FmtValue.doubleValue);
        return DiskRows(instances);
    }

    std::optional<Traffic> Network() {
        const IpHelper& ip = IpHelper::Get();
        if (!ip.getIfTable2 || !ip.freeMibTable) {
            Fail(kNoIpHelper, "the IP helper is missing: the network rates stay 0");
            return Traffic{};
        }
        if (m_changed.exchange(false)) m_interfaces.InterfacesChanged();
        if (!m_interfaces.WantsTable() && ip.getIfEntry2) {
            std::vector<Octets> live;
            bool read = true;
            for (const std::uint64_t luid : m_interfaces.LiveInterfaces()) {
                MIB_IF_ROW2 row{};
                row.InterfaceLuid.Value = luid;
                if (ip.getIfEntry2(&row) != NO_ERROR) {
                    read = false; // gone, most likely: the table says what is left
                    break;
                }
                live.push_back({row.InOctets, row.OutOctets});
            }
            if (read) return m_interfaces.EntriesRead(live);
            m_interfaces.EntryFailed();
        }
        PMIB_IF_TABLE2 table = nullptr;
        if (ip.getIfTable2(&table) != NO_ERROR || !table) {
            Fail(kIfTable, "the interface table could not be read");
            return std::nullopt;
        }
        m_rows.clear();
        for (ULONG i = 0; i < table->NumEntries; ++i) {
            const MIB_IF_ROW2& row = table->Table[i];
            const bool down = row.OperStatus == IfOperStatusDown || row.OperStatus == IfOperStatusNotPresent ||
                              row.OperStatus == IfOperStatusLowerLayerDown;
            m_rows.push_back({row.PhysicalAddressLength, row.InterfaceAndOperStatusFlags.HardwareInterface != 0,
                              row.InOctets, row.OutOctets, row.InterfaceLuid.Value, down});
        }
        ip.freeMibTable(table);
        return m_interfaces.TableRead(m_rows);
    }

    // The system calls this on a thread of its own when an interface comes, goes or
    // changes state; the next sample then reads the table instead of the entries.
    static void CALLBACK InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE) {
        static_cast<std::atomic<bool>*>(context)->store(true);
    }

    void Fail(Failure which, const char* what) {
        if (m_failed.test(which)) return;
        m_failed.set(which);
        foundation::LogFailure("monitors", what);
    }

    PdhQuery m_query;
    PDH_HCOUNTER m_utility = nullptr, m_processorTime = nullptr, m_disk = nullptr;
    bool m_countersOff = false;
    bool m_counters = false;
    bool m_cpuDetails = false; // the CPU pop-up's baselines are taken
    ProcessRanking m_ranking;
    std::uint64_t m_processesAt = 0;
    std::vector<unsigned char> m_processBuffer;
    std::vector<ProcessTimes> m_processes;
    std::unique_ptr<PdhQuery> m_diskQuery; // only while the disk pop-up is open
    PDH_HCOUNTER m_diskCounter = nullptr;
    std::vector<unsigned char> m_diskBuffer;
    SystemTimesLoad m_times;
    CoreLoads m_cores;
    std::vector<CoreTimes> m_coreTimes;
    std::vector<InterfaceRow> m_rows;
    InterfaceReading m_interfaces;
    std::atomic<bool> m_changed{false}; // the system said the interfaces changed
    HANDLE m_notification = nullptr;
    std::bitset<kFailures> m_failed;
};

} // namespace

struct MonitorReaders::Impl : Readers {
    using Readers::Readers;
};

MonitorReaders::MonitorReaders(bool countersOff) : m_impl(std::make_unique<Impl>(countersOff)) {}
MonitorReaders::~MonitorReaders() = default;
MonitorSample MonitorReaders::Sample(std::uint32_t details, std::uint32_t items) { return m_impl->Sample(details, items); }

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
    std::uint32_t details = 0;
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
            const std::uint32_t d = details;
            const HWND to = target;
            lock.unlock();
            MonitorChanges changed;
            try {
                changed = board->Take(readers.Sample(d, t.items), t, f);
            } catch (...) {
                foundation::LogCaught("monitor sample");
            }
            // Nothing changed that is shown, nothing posted: an idle machine costs the bar
            // nothing. Rows of a pop-up that is not open are not shown.
            changed.details &= d;
            if ((changed.faces || changed.details) && to)
                ::PostMessageW(to, kMsgMonitors, changed.faces, static_cast<LPARAM>(changed.details));
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

bool MonitorSampler::Request(const DisplayTypes& types, bool force, std::uint32_t details, HWND target) {
    {
        std::lock_guard lock(m_shared->mutex);
        if (m_shared->busy || m_shared->pending) return false;
        m_shared->pending = true;
        m_shared->types = types;
        m_shared->force = force;
        m_shared->details = details;
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
    constexpr ULONGLONG kKeepMs = 10000;
    Kept& kept = m_kept[ipv6 ? 1 : 0];
    const ULONGLONG now = ::GetTickCount64();
    if (kept.atMs == 0 || now - kept.atMs > kKeepMs) kept = {now, ReadAddresses(ipv6)};
    return kept.addresses;
}

std::vector<std::wstring> SystemMonitorFacts::ReadAddresses(bool ipv6) {
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
