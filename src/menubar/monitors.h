#pragma once
// The system monitors of the bar: CPU, temperature, memory, disk and network. The rules
// here turn raw readings (system times, counter values, interface rows, messages of the
// temperature reader) into histories and rates, decide when the items must be drawn
// again and what each item's face, screen-reader value and pop-up say. The Win32 layer
// gathers the readings on a worker and hands them to a MonitorBoard.

#include "menubar/status_source.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

inline constexpr std::size_t kGraphPoints = 30;

// A percentage from a counter: anything above 0 and below 1 shows as 1 (there is some
// load), the rest rounds half up, and the result is kept within 0..100.
[[nodiscard]] int LoadPercent(double value);

// The CPU load from the system's idle, kernel (idle included) and user times. The first
// call only keeps the baseline and says 0; so does a call whose times went backwards.
class SystemTimesLoad {
public:
    [[nodiscard]] int Next(std::uint64_t idle, std::uint64_t kernel, std::uint64_t user);

private:
    struct Times {
        std::uint64_t idle, kernel, user;
    };
    std::optional<Times> m_last;
};

// One row of the interface table, as far as the sums need it.
struct InterfaceRow {
    std::uint32_t addressLength = 0; // physical address; 0 for software interfaces
    bool hardware = false;           // lowest bit of the interface-and-status flags
    std::uint64_t inOctets = 0;
    std::uint64_t outOctets = 0;
    std::uint64_t luid = 0;
    bool down = false; // down, not present or its lower layer down: it moves no bytes
};

struct Traffic {
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    // The totals include bytes of an unknown span (an adapter that came up unseen): they
    // are a new baseline, not a rate.
    bool rebased = false;
};

struct Octets {
    std::uint64_t in = 0;
    std::uint64_t out = 0;
};

// Only hardware interfaces with an address count: the filter and virtual interfaces
// stacked on a real adapter would count its bytes again.
[[nodiscard]] bool CountsInterface(const InterfaceRow& row);

// Which way a sample reads the network's totals. The whole interface table (which
// adapters there are, which count and which are down) is read at the first sample, every
// kSamplesPerTable samples after, at once after a counted interface could not be read on
// its own, and at the next sample after the system said its interfaces changed. In
// between only the counted interfaces that were up are read, one by one, which costs a
// fraction of the table; a down one moves no bytes, so its totals from the table stand.
class InterfaceReading {
public:
    static constexpr int kSamplesPerTable = 15; // with a sample every 2 s: the table twice a minute
    [[nodiscard]] bool WantsTable() const { return m_sinceTable < 0 || m_sinceTable + 1 >= kSamplesPerTable; }
    // Keeps the counted rows and gives their totals.
    Traffic TableRead(std::span<const InterfaceRow> rows);
    // The interfaces to read one by one, in the order EntriesRead takes their octets.
    [[nodiscard]] std::vector<std::uint64_t> LiveInterfaces() const;
    // The totals from the live interfaces' octets read now and the down ones' kept ones.
    Traffic EntriesRead(std::span<const Octets> live);
    void EntryFailed() { m_sinceTable = -1; }
    void InterfacesChanged() { m_sinceTable = -1; }

private:
    struct Counted {
        std::uint64_t luid = 0;
        bool down = false;
        Octets octets;
    };
    [[nodiscard]] Traffic Sum() const;

    int m_sinceTable = -1; // samples since the table was read; -1: it must be read now
    std::vector<Counted> m_counted;
    bool m_tableSeen = false;
};

// Upload and download rates in bytes per second from successive totals.
class NetworkRates {
public:
    // True when either rate changed, or on the first sample. Totals that are a new
    // baseline (rebased) or that shrank give no rate this time.
    bool Update(const Traffic& totals, std::uint64_t nowMs);
    [[nodiscard]] std::uint32_t Up() const { return m_up; }
    [[nodiscard]] std::uint32_t Down() const { return m_down; }
    [[nodiscard]] bool Sampled() const { return m_previous.has_value(); }

private:
    std::optional<Traffic> m_previous;
    std::uint64_t m_previousMs = 0;
    std::uint32_t m_up = 0;
    std::uint32_t m_down = 0;
};

// A rate as the network item shows it: "1.5KB" compact, "1.5 KB/s" otherwise.
[[nodiscard]] std::wstring FormatRate(std::uint64_t bytesPerSecond, bool compact);

// A reading's history, newest last, kept to a bounded length (the graph needs 30).
class MonitorHistory {
public:
    // Appends `value`; true when the items must be drawn again: the first value, a forced
    // sample, a value that differs from the last or, for a graph, any of the points it
    // shows (a graph scrolls every tick, but a flat one looks the same after it).
    bool Append(std::uint8_t value, bool graph, bool force);
    [[nodiscard]] std::optional<std::uint8_t> Last() const;
    [[nodiscard]] const std::vector<std::uint8_t>& Values() const { return m_values; }
    // The last `count` values, padded in front with zeros to exactly `count`.
    [[nodiscard]] std::vector<std::uint8_t> Points(std::size_t count = kGraphPoints) const;

private:
    std::vector<std::uint8_t> m_values;
};

// "CPUTYPE", "MENTYPE", "DISKTYPE": 0 level bar, 1 ring, 2 graph, 3 text; values out of
// range draw as the level bar.
[[nodiscard]] Meter MeterOfType(int type);
[[nodiscard]] bool IsMonitorKind(StatusKind kind);

// The temperature reader as the sampler keeps it going: whether its window is known,
// and the request cycle (ask the hook companion, wait 40 samples, ask once more, stop).
class ReaderLink {
public:
    static constexpr int kWaitSamples = 40;
    enum class Step : std::uint8_t { Nothing, Ask };

    // One sample; `alive` says whether the stored handle still names a window.
    [[nodiscard]] Step Sample(bool alive);
    // The request reached the hook companion: the wait starts. An Ask that could not be
    // delivered (no companion yet) is made again at the next sample.
    void Asked() { m_counter = 0; }
    // The reader announced its window.
    void Announced(std::uintptr_t handle);
    // The item was switched off: forget the reader and start afresh next time.
    void Reset() { *this = ReaderLink(); }
    [[nodiscard]] std::uintptr_t Handle() const { return m_handle; }
    [[nodiscard]] bool GaveUp() const { return m_gaveUp; }

private:
    std::uintptr_t m_handle = 0;
    std::optional<int> m_counter; // running while a request waits for an answer
    bool m_retried = false;
    bool m_gaveUp = false;
};

struct Sensor {
    std::wstring name;
    std::uint8_t celsius = 0;
    bool operator==(const Sensor&) const = default;
};

// What the temperature reader reported (user-interface thread).
class TemperatureReadings {
public:
    static constexpr std::size_t kMaxSensors = 64;
    // CPU and GPU degrees; true when anything shown changed. Values a thermometer cannot
    // give (0, above 150) are not readings and are ignored.
    bool Reading(std::uintptr_t cpu, std::intptr_t gpu, bool gpuWanted);
    // The reader has `n` sensors; only taken when both halves agree.
    bool SensorCount(std::uintptr_t wParam, std::intptr_t lParam);
    // One sensor; true when it was the last of the list (the pop-up shows them anew).
    bool SensorReading(std::uintptr_t index, std::wstring name, std::uintptr_t celsius);
    void Clear() { *this = TemperatureReadings(); }

    [[nodiscard]] const MonitorHistory& Cpu() const { return m_cpu; }
    [[nodiscard]] std::uint8_t Gpu() const { return m_gpu; }
    [[nodiscard]] const std::vector<Sensor>& Sensors() const { return m_sensors; }

private:
    MonitorHistory m_cpu;
    std::uint8_t m_gpu = 0;
    std::vector<Sensor> m_sensors;
};

// Details only the pop-ups show, gathered with the sample.
struct MemoryDetails {
    float usedGb = 0, totalGb = 0;
    std::uint64_t pageUsedGb = 0, pageTotalGb = 0;
};

// One core's times as the system counts them (kernel includes idle).
struct CoreTimes {
    std::uint64_t idle = 0, kernel = 0, user = 0;
};

// Per-core loads from successive core times; a core that comes or goes starts afresh.
class CoreLoads {
public:
    [[nodiscard]] std::vector<int> Next(std::span<const CoreTimes> cores);

private:
    std::vector<SystemTimesLoad> m_cores;
};

// One process as the system lists it: its processor time so far (100 ns units, kernel
// and user) and its working set. The creation time tells a reused id from the process
// that had it before.
struct ProcessTimes {
    std::uint32_t pid = 0;
    std::int64_t created = 0;
    std::wstring name;
    std::uint64_t cpuTime = 0;
    std::uint64_t memory = 0;
};

// One row of a pop-up's process list: tenths of a percent of the whole machine for the
// CPU, bytes for the memory.
struct ProcessUse {
    std::wstring name;
    std::uint64_t amount = 0;
    bool operator==(const ProcessUse&) const = default;
};

inline constexpr std::size_t kTopProcesses = 5;

// The processes that used the most processor time since the last call. A process seen
// for the first time has no share yet; the idle process (id 0) is no process.
class ProcessRanking {
public:
    // `elapsed`: wall time since the last call, in 100 ns units; `processors`: logical ones.
    [[nodiscard]] std::vector<ProcessUse> TopByCpu(std::span<const ProcessTimes> now, std::uint64_t elapsed,
                                                   unsigned processors, std::size_t count = kTopProcesses);
    // Forget the baseline (the pop-up closed; the next list starts afresh).
    void Forget() { m_last.clear(); }
    [[nodiscard]] bool HasBaseline() const { return !m_last.empty(); }

private:
    struct Seen {
        std::uint32_t pid;
        std::int64_t created;
        std::uint64_t cpuTime;
    };
    std::vector<Seen> m_last; // sorted by (pid, created)
};

[[nodiscard]] std::vector<ProcessUse> TopByMemory(std::span<const ProcessTimes> now, std::size_t count = kTopProcesses);
// "0.4%" from tenths of a percent; "312 MB" or "1.2 GB" from bytes.
[[nodiscard]] std::wstring FormatShare(std::uint64_t tenths);
[[nodiscard]] std::wstring FormatBytes(std::uint64_t bytes);

// One logical disk's activity.
struct DiskUse {
    std::wstring name; // "C:"
    int percent = 0;
    bool operator==(const DiskUse&) const = default;
};
inline constexpr std::size_t kMaxDisks = 26;
// The disk rows from the counter's instances: lettered volumes only (the total and the
// volumes without a letter are left out), in letter order, at most one per letter.
[[nodiscard]] std::vector<DiskUse> DiskRows(std::span<const std::pair<std::wstring, double>> instances);

// One sample's readings; a reading that failed is absent. The details are gathered only
// while a pop-up that shows them is open.
struct MonitorSample {
    std::optional<int> cpu, memory, disk;
    std::vector<int> cores; // per-core loads for the pop-up; empty when unknown
    std::optional<std::vector<ProcessUse>> topCpu, topMemory;
    std::optional<std::vector<DiskUse>> disks;
    std::optional<Traffic> traffic;
    MemoryDetails memoryDetails;
    std::uint64_t nowMs = 0;
};

// What one sample changed: the items to draw again, and the pop-ups whose rows changed
// (bit per StatusKind value each).
struct MonitorChanges {
    std::uint32_t faces = 0;
    std::uint32_t details = 0;
    bool operator==(const MonitorChanges&) const = default;
};

struct DisplayTypes {
    int cpu = 0, memory = 0, disk = 0;
    // The monitor items the bars show (a KindBit each): a reading nothing shows is not taken.
    std::uint32_t items = ~0u;
    // The level bars' tracks on every bar, in pixels (LevelTrack): a new load that fills
    // each as the last one did is no change to draw. Empty: every new load is one.
    std::vector<float> levelTracks;
};

// The readings the whole program shares: written by the sampler's worker, read by the
// items on the user-interface thread.
class MonitorBoard {
public:
    // Takes one sample; returns the kinds whose items must be drawn again and whose
    // pop-ups show something new.
    MonitorChanges Take(const MonitorSample& sample, const DisplayTypes& types, bool force);
    [[nodiscard]] StatusFace FaceOf(StatusKind kind, int displayType) const;
    [[nodiscard]] std::optional<std::uint8_t> LastOf(StatusKind kind) const;
    [[nodiscard]] std::uint32_t Up() const;
    [[nodiscard]] std::uint32_t Down() const;
    [[nodiscard]] MemoryDetails Memory() const;
    [[nodiscard]] std::vector<int> Cores() const;
    [[nodiscard]] std::vector<ProcessUse> TopCpu() const;
    [[nodiscard]] std::vector<ProcessUse> TopMemory() const;
    [[nodiscard]] std::vector<DiskUse> Disks() const;
    [[nodiscard]] TemperatureReadings& Temperatures() { return m_temperatures; }
    [[nodiscard]] const TemperatureReadings& Temperatures() const { return m_temperatures; }

private:
    mutable std::mutex m_mutex;
    MonitorHistory m_cpu, m_memory, m_disk, m_network;
    NetworkRates m_rates;
    bool m_networkDrawn = false; // the network item was handed its first rates
    DisplayTypes m_types; // of the last sample
    MemoryDetails m_memoryDetails;
    std::vector<int> m_cores;
    std::vector<ProcessUse> m_topCpu, m_topMemory;
    std::vector<DiskUse> m_disks;
    TemperatureReadings m_temperatures; // user-interface thread only
};

[[nodiscard]] constexpr std::uint32_t KindBit(StatusKind kind) { return 1u << static_cast<unsigned>(kind); }

// Which of the system's readings one sample takes: those an item shows or an open pop-up
// lists (`items` and `details` hold a KindBit each). Reading the network costs most, and
// many keep only the CPU in view.
struct MonitorReads {
    bool cpu = false, memory = false, disk = false, network = false;
    bool operator==(const MonitorReads&) const = default;
};
[[nodiscard]] MonitorReads ReadsFor(std::uint32_t items, std::uint32_t details);

// What the pop-ups show beyond the shared readings.
class MonitorFacts {
public:
    virtual ~MonitorFacts() = default;
    [[nodiscard]] virtual std::wstring ProcessorName() = 0;
    // The machine's addresses, IPv4 and IPv6 apart.
    [[nodiscard]] virtual std::vector<std::wstring> Addresses(bool ipv6) = 0;
};

// One monitor item: its face in the display type its setting names, its reader value
// and its pop-up of details (rows that show, not act).
class MonitorSource final : public StatusSource {
public:
    MonitorSource(StatusKind kind, const MonitorBoard& board, const foundation::ConfigStore& store, MonitorFacts& facts);

    [[nodiscard]] StatusKind Kind() const override { return m_kind; }
    [[nodiscard]] std::wstring Name() const override;
    [[nodiscard]] StatusFace Face() const override;
    [[nodiscard]] gfx::Menu Menu() override;
    void Choose(int /*id*/) override {}
    [[nodiscard]] std::wstring ReaderValue() const override;
    // The sampler saw a change (user-interface thread).
    void ReadingChanged() { Changed(); }

private:
    [[nodiscard]] int DisplayType() const;
    [[nodiscard]] std::wstring Text(std::wstring_view key, std::wstring_view fallback) const;

    StatusKind m_kind;
    const MonitorBoard& m_board;
    const foundation::ConfigStore& m_store;
    MonitorFacts& m_facts;
};

} // namespace kestrana::menubar
