#include "menubar/monitors.h"

#include "foundation/config_store.h"
#include "menubar/bar_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cwctype>
#include <sstream>
#include <tuple>

namespace kestrana::menubar {
namespace {

// Enough for any pop-up or graph; a bar that runs for weeks must not grow without end.
constexpr std::size_t kHistoryLimit = 1024;

constexpr std::uint8_t kMaxCelsius = 150;

std::wstring ShownNumber(double number) {
    std::wostringstream out;
    out << number;
    std::wstring text = out.str();
    if (number == std::floor(number)) text += L".0";
    return text;
}

std::wstring Percent(int value) { return std::to_wstring(value) + L"%"; }

std::wstring OneDecimal(float value) {
    std::wostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    out << value;
    return out.str();
}

gfx::MenuItem Row(std::wstring text, std::wstring detail = {}) {
    gfx::MenuItem item = gfx::MenuItem::Command(0, std::move(text), false, false);
    item.detail = std::move(detail);
    return item;
}

} // namespace

int LoadPercent(double value) {
    if (!std::isfinite(value) || value <= 0) return 0;
    if (value < 1) return 1;
    if (value >= 100) return 100;
    return std::min(100, static_cast<int>(value + 0.5));
}

int SystemTimesLoad::Next(std::uint64_t idle, std::uint64_t kernel, std::uint64_t user) {
    const std::optional<Times> last = m_last;
    m_last = Times{idle, kernel, user};
    if (!last || idle < last->idle || kernel < last->kernel || user < last->user) return 0;
    const std::uint64_t kernelDelta = kernel - last->kernel, idleDelta = idle - last->idle, userDelta = user - last->user;
    const std::uint64_t total = kernelDelta + userDelta;
    if (total == 0) return 0;
    // Kernel time includes the idle time; a bogus idle larger than it means nothing busy.
    const std::uint64_t busy = (kernelDelta > idleDelta ? kernelDelta - idleDelta : 0) + userDelta;
    return LoadPercent(static_cast<double>(busy * 1000 / total) / 10.0);
}

std::vector<int> CoreLoads::Next(std::span<const CoreTimes> cores) {
    if (m_cores.size() != cores.size()) m_cores.assign(cores.size(), SystemTimesLoad());
    std::vector<int> loads;
    loads.reserve(cores.size());
    for (std::size_t i = 0; i < cores.size(); ++i) loads.push_back(m_cores[i].Next(cores[i].idle, cores[i].kernel, cores[i].user));
    return loads;
}

std::vector<ProcessUse> ProcessRanking::TopByCpu(std::span<const ProcessTimes> now, std::uint64_t elapsed,
                                                 unsigned processors, std::size_t count) {
    const auto before = [](const Seen& a, const Seen& b) { return std::tie(a.pid, a.created) < std::tie(b.pid, b.created); };
    std::vector<Seen> seen;
    seen.reserve(now.size());
    struct Share {
        std::uint64_t delta;
        const ProcessTimes* process;
    };
    std::vector<Share> shares;
    const std::uint64_t capacity = elapsed * std::max(processors, 1u);
    for (const ProcessTimes& p : now) {
        if (p.pid == 0) continue;
        const Seen current{p.pid, p.created, p.cpuTime};
        seen.push_back(current);
        const auto it = std::lower_bound(m_last.begin(), m_last.end(), current, before);
        // New since the last list, or its times went backwards: no share this time.
        if (it == m_last.end() || it->pid != p.pid || it->created != p.created || p.cpuTime <= it->cpuTime) continue;
        shares.push_back({p.cpuTime - it->cpuTime, &p});
    }
    std::sort(seen.begin(), seen.end(), before);
    m_last = std::move(seen);
    if (capacity == 0) return {};
    const auto more = [](const Share& a, const Share& b) {
        return a.delta != b.delta ? a.delta > b.delta : a.process->name < b.process->name;
    };
    const std::size_t kept = std::min(count, shares.size());
    std::partial_sort(shares.begin(), shares.begin() + static_cast<std::ptrdiff_t>(kept), shares.end(), more);
    std::vector<ProcessUse> top;
    for (std::size_t i = 0; i < kept; ++i)
        top.push_back({shares[i].process->name, std::min<std::uint64_t>(shares[i].delta * 1000 / capacity, 1000)});
    return top;
}

std::vector<ProcessUse> TopByMemory(std::span<const ProcessTimes> now, std::size_t count) {
    std::vector<const ProcessTimes*> listed;
    for (const ProcessTimes& p : now)
        if (p.pid != 0 && p.memory != 0) listed.push_back(&p);
    const std::size_t kept = std::min(count, listed.size());
    std::partial_sort(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(kept), listed.end(),
                      [](const ProcessTimes* a, const ProcessTimes* b) {
                          return a->memory != b->memory ? a->memory > b->memory : a->name < b->name;
                      });
    std::vector<ProcessUse> top;
    for (std::size_t i = 0; i < kept; ++i) top.push_back({listed[i]->name, listed[i]->memory});
    return top;
}

std::wstring FormatShare(std::uint64_t tenths) {
    return std::to_wstring(tenths / 10) + L"." + std::to_wstring(tenths % 10) + L"%";
}

std::wstring FormatBytes(std::uint64_t bytes) {
    constexpr std::uint64_t kMb = 1024 * 1024, kGb = kMb * 1024;
    if (bytes < kGb) return std::to_wstring(bytes / kMb) + L" MB";
    return OneDecimal(static_cast<float>(static_cast<double>(bytes) / static_cast<double>(kGb))) + L" GB";
}

std::vector<DiskUse> DiskRows(std::span<const std::pair<std::wstring, double>> instances) {
    std::vector<DiskUse> rows;
    for (const auto& [name, value] : instances) {
        if (name.size() != 2 || name[1] != L':') continue;
        const wchar_t letter = static_cast<wchar_t>(std::towupper(name[0]));
        if (letter < L'A' || letter > L'Z') continue;
        const std::wstring shown{letter, L':'};
        if (std::any_of(rows.begin(), rows.end(), [&shown](const DiskUse& d) { return d.name == shown; })) continue;
        rows.push_back({shown, LoadPercent(value)});
    }
    std::sort(rows.begin(), rows.end(), [](const DiskUse& a, const DiskUse& b) { return a.name < b.name; });
    if (rows.size() > kMaxDisks) rows.resize(kMaxDisks);
    return rows;
}

bool CountsInterface(const InterfaceRow& row) { return row.addressLength != 0 && row.hardware; }

Traffic InterfaceReading::TableRead(std::span<const InterfaceRow> rows) {
    std::vector<Counted> counted;
    bool rebased = false;
    for (const InterfaceRow& row : rows) {
        if (!CountsInterface(row)) continue;
        const Counted now{row.luid, row.down, {row.inOctets, row.outOctets}};
        const auto before = std::find_if(m_counted.begin(), m_counted.end(),
                                         [&](const Counted& c) { return c.luid == row.luid; });
        // An adapter that came, or a down one whose bytes moved (it was up in between,
        // unseen): its bytes belong to no one span of two seconds.
        if (m_tableSeen && (before == m_counted.end() ||
                            (before->down && (before->octets.in != now.octets.in || before->octets.out != now.octets.out))))
            rebased = true;
        counted.push_back(now);
    }
    // An adapter gone takes its bytes out of the totals.
    if (counted.size() != m_counted.size() && m_tableSeen) rebased = true;
    m_counted = std::move(counted);
    m_tableSeen = true;
    m_sinceTable = 0;
    Traffic sum = Sum();
    sum.rebased = rebased;
    return sum;
}

std::vector<std::uint64_t> InterfaceReading::LiveInterfaces() const {
    std::vector<std::uint64_t> live;
    for (const Counted& c : m_counted)
        if (!c.down) live.push_back(c.luid);
    return live;
}

Traffic InterfaceReading::EntriesRead(std::span<const Octets> live) {
    std::size_t next = 0;
    for (Counted& c : m_counted)
        if (!c.down && next < live.size()) c.octets = live[next++];
    ++m_sinceTable;
    return Sum();
}

Traffic InterfaceReading::Sum() const {
    Traffic sum;
    for (const Counted& c : m_counted) {
        sum.sent += c.octets.out;
        sum.received += c.octets.in;
    }
    return sum;
}

bool NetworkRates::Update(const Traffic& totals, std::uint64_t nowMs) {
    const std::uint32_t up = m_up, down = m_down;
    const bool first = !m_previous;
    if (first || totals.rebased) {
        m_up = m_down = 0;
    } else {
        const std::uint64_t elapsed = std::max<std::uint64_t>(nowMs >= m_previousMs ? (nowMs - m_previousMs) / 100 : 0, 10);
        // Totals that shrank (an adapter went away, a counter wrapped) give no rate this time.
        const auto rate = [elapsed](std::uint64_t now, std::uint64_t before) -> std::uint32_t {
            if (now < before) return 0;
            const std::uint64_t r = (now - before) / elapsed * 10;
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(r, UINT32_MAX));
        };
        m_up = rate(totals.sent, m_previous->sent);
        m_down = rate(totals.received, m_previous->received);
    }
    m_previous = totals;
    m_previousMs = nowMs;
    return first || up != m_up || down != m_down;
}

std::wstring FormatRate(std::uint64_t b, bool compact) {
    double shown = 0;
    int unit = 0;
    if (b >= 1000) {
        std::uint64_t p = b;
        unit = -1;
        while (b >= 1000) {
            p = b;
            b >>= 10;
            ++unit;
        }
        shown = std::floor(static_cast<double>(p) / 102.4) / 10;
    } else if (b > 102) {
        shown = std::floor(static_cast<double>(b) / 102.4) / 10;
    }
    static constexpr std::array<const wchar_t*, 4> kUnits{L"KB", L"MB", L"GB", L"TB"};
    std::wstring text = shown != 0 ? ShownNumber(shown) : std::wstring(L"0.0");
    if (shown == 0 || unit < 0 || unit > 3) unit = 0;
    if (!compact) text += L' ';
    text += kUnits[static_cast<std::size_t>(unit)];
    if (!compact) text += L"/s";
    return text;
}

bool MonitorHistory::Append(std::uint8_t value, bool graph, bool force) {
    const std::optional<std::uint8_t> last = Last();
    const std::vector<std::uint8_t> shown = graph ? Points() : std::vector<std::uint8_t>();
    if (m_values.size() >= kHistoryLimit) m_values.erase(m_values.begin(), m_values.begin() + kHistoryLimit / 2);
    m_values.push_back(value);
    if (!last || force) return true;
    return graph ? Points() != shown : *last != value;
}

std::optional<std::uint8_t> MonitorHistory::Last() const {
    if (m_values.empty()) return std::nullopt;
    return m_values.back();
}

std::vector<std::uint8_t> MonitorHistory::Points(std::size_t count) const {
    std::vector<std::uint8_t> points(count, 0);
    const std::size_t taken = std::min(count, m_values.size());
    std::copy(m_values.end() - static_cast<std::ptrdiff_t>(taken), m_values.end(),
              points.end() - static_cast<std::ptrdiff_t>(taken));
    return points;
}

Meter MeterOfType(int type) {
    switch (type) {
    case 1: return Meter::Ring;
    case 2: return Meter::Graph;
    case 3: return Meter::Value;
    default: return Meter::Level;
    }
}

MonitorReads ReadsFor(std::uint32_t items, std::uint32_t details) {
    const std::uint32_t wanted = items | details;
    const auto has = [wanted](StatusKind kind) { return (wanted & KindBit(kind)) != 0; };
    return {has(StatusKind::Cpu), has(StatusKind::Memory), has(StatusKind::Disk), has(StatusKind::Network)};
}

bool IsMonitorKind(StatusKind kind) {
    return kind == StatusKind::Cpu || kind == StatusKind::Temperature || kind == StatusKind::Memory ||
           kind == StatusKind::Disk || kind == StatusKind::Network;
}

// --- the temperature reader --------------------------------------------------------------

ReaderLink::Step ReaderLink::Sample(bool alive) {
    if (m_handle) {
        if (alive) return Step::Nothing;
        // The reader died: the cycle starts again at the next sample.
        m_handle = 0;
        m_counter.reset();
        m_retried = false;
        m_gaveUp = false;
        return Step::Nothing;
    }
    if (m_gaveUp) return Step::Nothing;
    if (m_counter) {
        if (++*m_counter < kWaitSamples) return Step::Nothing;
        m_counter.reset();
        if (m_retried) {
            m_gaveUp = true;
            return Step::Nothing;
        }
        m_retried = true;
    }
    return Step::Ask;
}

void ReaderLink::Announced(std::uintptr_t handle) {
    if (!handle) return;
    m_handle = handle;
    m_counter.reset();
    m_gaveUp = false;
}

bool TemperatureReadings::Reading(std::uintptr_t cpu, std::intptr_t gpu, bool gpuWanted) {
    bool changed = false;
    if (cpu > 0 && cpu <= kMaxCelsius) {
        const auto value = static_cast<std::uint8_t>(cpu);
        if (m_cpu.Last() != value) changed = m_cpu.Append(value, false, false);
    }
    if (gpuWanted && gpu > 0 && gpu <= kMaxCelsius && m_gpu != static_cast<std::uint8_t>(gpu)) {
        m_gpu = static_cast<std::uint8_t>(gpu);
        changed = true;
    }
    return changed;
}

bool TemperatureReadings::SensorCount(std::uintptr_t wParam, std::intptr_t lParam) {
    if (lParam < 0 || wParam != static_cast<std::uintptr_t>(lParam) || wParam > kMaxSensors) return false;
    if (wParam == m_sensors.size()) return false;
    m_sensors.resize(wParam);
    return true;
}

bool TemperatureReadings::SensorReading(std::uintptr_t index, std::wstring name, std::uintptr_t celsius) {
    if (index >= m_sensors.size()) return false;
    Sensor& sensor = m_sensors[index];
    if (sensor.name != name) sensor.name = std::move(name);
    sensor.celsius = static_cast<std::uint8_t>(std::min<std::uintptr_t>(celsius, kMaxCelsius));
    return index + 1 == m_sensors.size();
}

// --- the shared readings -----------------------------------------------------------------

MonitorChanges MonitorBoard::Take(const MonitorSample& sample, const DisplayTypes& types, bool force) {
    std::lock_guard lock(m_mutex);
    std::uint32_t redraw = 0, details = 0;
    const auto take = [&](MonitorHistory& history, const std::optional<int>& value, int type, int before, StatusKind kind) {
        // Another display type is another face even for the same value (and width).
        if (MeterOfType(type) != MeterOfType(before)) redraw |= KindBit(kind);
        if (!value) return;
        const auto byte = static_cast<std::uint8_t>(std::clamp(*value, 0, 100));
        const std::optional<std::uint8_t> last = history.Last();
        if (!history.Append(byte, MeterOfType(type) == Meter::Graph, force)) return;
        // A level bar whose fill stays the same on every bar draws the same pixels: an idle
        // machine's 2 to 4 % then costs the bars nothing. Its value is read when asked.
        if (MeterOfType(type) == Meter::Level && last && !force && !types.levelTracks.empty() &&
            std::none_of(types.levelTracks.begin(), types.levelTracks.end(),
                         [&](float track) { return LevelFill(*last, track) != LevelFill(byte, track); }))
            return;
        redraw |= KindBit(kind);
    };
    take(m_cpu, sample.cpu, types.cpu, m_types.cpu, StatusKind::Cpu);
    take(m_memory, sample.memory, types.memory, m_types.memory, StatusKind::Memory);
    take(m_disk, sample.disk, types.disk, m_types.disk, StatusKind::Disk);
    m_types = types;
    if (sample.memory) {
        // The pop-up shows tenths of gigabytes and whole ones of the page file.
        const auto shown = [](const MemoryDetails& m) {
            return std::tuple(std::lround(m.usedGb * 10), std::lround(m.totalGb * 10), m.pageUsedGb, m.pageTotalGb);
        };
        if (shown(m_memoryDetails) != shown(sample.memoryDetails)) details |= KindBit(StatusKind::Memory);
        m_memoryDetails = sample.memoryDetails;
    }
    const auto detail = [&details](auto& kept, const auto& taken, StatusKind kind) {
        if (kept == taken) return;
        kept = taken;
        details |= KindBit(kind);
    };
    if (!sample.cores.empty()) detail(m_cores, sample.cores, StatusKind::Cpu);
    if (sample.topCpu) detail(m_topCpu, *sample.topCpu, StatusKind::Cpu);
    if (sample.topMemory) detail(m_topMemory, *sample.topMemory, StatusKind::Memory);
    if (sample.disks) detail(m_disks, *sample.disks, StatusKind::Disk);
    if (sample.traffic) {
        const auto shown = [this] { return std::pair(FormatRate(m_rates.Up(), true), FormatRate(m_rates.Down(), true)); };
        const auto before = shown();
        const bool changed = m_rates.Update(*sample.traffic, sample.nowMs);
        // The network graph keeps the download rate in kilobytes per second, at most 255.
        m_network.Append(static_cast<std::uint8_t>(std::min<std::uint32_t>(m_rates.Down() / 1024, 255)), false, false);
        // The item shows the compact texts: a rate that changes within them (a few bytes
        // a second on an idle line) is not drawn again; an open pop-up's exact rates are.
        if (force || !m_networkDrawn || (changed && shown() != before)) redraw |= KindBit(StatusKind::Network);
        if (changed) details |= KindBit(StatusKind::Network);
        m_networkDrawn = true;
    }
    if (force) redraw |= KindBit(StatusKind::Temperature);
    return {redraw, details};
}

std::optional<std::uint8_t> MonitorBoard::LastOf(StatusKind kind) const {
    std::lock_guard lock(m_mutex);
    switch (kind) {
    case StatusKind::Cpu: return m_cpu.Last();
    case StatusKind::Memory: return m_memory.Last();
    case StatusKind::Disk: return m_disk.Last();
    case StatusKind::Temperature: return m_temperatures.Cpu().Last();
    default: return std::nullopt;
    }
}

std::vector<int> MonitorBoard::Cores() const {
    std::lock_guard lock(m_mutex);
    return m_cores;
}

std::vector<ProcessUse> MonitorBoard::TopCpu() const {
    std::lock_guard lock(m_mutex);
    return m_topCpu;
}

std::vector<ProcessUse> MonitorBoard::TopMemory() const {
    std::lock_guard lock(m_mutex);
    return m_topMemory;
}

std::vector<DiskUse> MonitorBoard::Disks() const {
    std::lock_guard lock(m_mutex);
    return m_disks;
}

std::uint32_t MonitorBoard::Up() const {
    std::lock_guard lock(m_mutex);
    return m_rates.Up();
}

std::uint32_t MonitorBoard::Down() const {
    std::lock_guard lock(m_mutex);
    return m_rates.Down();
}

MemoryDetails MonitorBoard::Memory() const {
    std::lock_guard lock(m_mutex);
    return m_memoryDetails;
}

StatusFace MonitorBoard::FaceOf(StatusKind kind, int displayType) const {
    StatusFace face;
    if (kind == StatusKind::Network) {
        std::lock_guard lock(m_mutex);
        face.meter = Meter::Lines;
        face.text = FormatRate(m_rates.Up(), true);
        face.second = FormatRate(m_rates.Down(), true);
        return face;
    }
    if (kind == StatusKind::Temperature) {
        // Drawn as text beside its label; no value until the reader has told one.
        face.meter = Meter::Value;
        face.label = L"TEMP";
        if (const auto last = m_temperatures.Cpu().Last()) face.text = std::to_wstring(*last) + L"\u00B0";
        return face;
    }
    std::lock_guard lock(m_mutex);
    const MonitorHistory* history = kind == StatusKind::Cpu ? &m_cpu : kind == StatusKind::Memory ? &m_memory : &m_disk;
    face.label = kind == StatusKind::Cpu ? L"CPU" : kind == StatusKind::Memory ? L"MEM" : L"SSD";
    face.meter = MeterOfType(displayType);
    face.level = history->Last().value_or(0);
    if (face.meter == Meter::Graph) face.points = history->Points();
    if (face.meter == Meter::Value) face.text = Percent(face.level);
    return face;
}

// --- the items -----------------------------------------------------------------------------

MonitorSource::MonitorSource(StatusKind kind, const MonitorBoard& board, const foundation::ConfigStore& store,
                             MonitorFacts& facts)
    : m_kind(kind), m_board(board), m_store(store), m_facts(facts) {}

std::wstring MonitorSource::Text(std::wstring_view key, std::wstring_view fallback) const {
    return m_store.LanguageText(L"monitor", key, fallback);
}

int MonitorSource::DisplayType() const {
    switch (m_kind) {
    case StatusKind::Cpu: return m_store.ReadInt(L"findermonitor", L"CPUTYPE");
    case StatusKind::Memory: return m_store.ReadInt(L"findermonitor", L"MENTYPE");
    case StatusKind::Disk: return m_store.ReadInt(L"findermonitor", L"DISKTYPE");
    default: return 0;
    }
}

std::wstring MonitorSource::Name() const {
    switch (m_kind) {
    case StatusKind::Cpu: return Text(L"cpu", L"CPU");
    case StatusKind::Temperature: return Text(L"temperature", L"Temperature");
    case StatusKind::Memory: return Text(L"memory", L"Memory");
    case StatusKind::Disk: return Text(L"disk", L"Disk");
    default: return Text(L"network", L"Network");
    }
}

StatusFace MonitorSource::Face() const { return m_board.FaceOf(m_kind, DisplayType()); }

std::wstring MonitorSource::ReaderValue() const {
    if (m_kind == StatusKind::Network)
        return Text(L"upload", L"Upload") + L" " + FormatRate(m_board.Up(), false) + L", " + Text(L"download", L"Download") +
               L" " + FormatRate(m_board.Down(), false);
    const auto last = m_board.LastOf(m_kind);
    if (!last) return {};
    if (m_kind == StatusKind::Temperature) return std::to_wstring(*last) + L" \u00B0C";
    return Percent(*last);
}

gfx::Menu MonitorSource::Menu() {
    gfx::Menu menu;
    const auto last = m_board.LastOf(m_kind);
    const std::wstring value = last ? Percent(*last) : std::wstring(L"-");
    switch (m_kind) {
    case StatusKind::Cpu: {
        const std::wstring name = m_facts.ProcessorName();
        menu.push_back(Row(name.empty() ? Name() : name));
        menu.push_back(gfx::MenuItem::Rule());
        menu.push_back(Row(Text(L"usage", L"Usage"), value));
        const std::vector<ProcessUse> top = m_board.TopCpu();
        if (!top.empty()) {
            menu.push_back(gfx::MenuItem::Rule());
            menu.push_back(Row(Text(L"process", L"Processes")));
            for (const ProcessUse& p : top) menu.push_back(Row(p.name, FormatShare(p.amount)));
        }
        const std::vector<int> cores = m_board.Cores();
        if (!cores.empty()) {
            menu.push_back(gfx::MenuItem::Rule());
            menu.push_back(Row(Text(L"cores", L"CPU Cores")));
            const std::wstring core = Text(L"core", L"CPU Core #");
            for (std::size_t i = 0; i < cores.size(); ++i) menu.push_back(Row(core + std::to_wstring(i + 1), Percent(cores[i])));
        }
        return menu;
    }
    case StatusKind::Memory: {
        const MemoryDetails memory = m_board.Memory();
        menu.push_back(Row(Name(), value));
        menu.push_back(gfx::MenuItem::Rule());
        menu.push_back(Row(Text(L"used", L"Used"), OneDecimal(memory.usedGb) + L" / " + OneDecimal(memory.totalGb) + L" GB"));
        menu.push_back(Row(Text(L"pagefile", L"Page file"),
                           std::to_wstring(memory.pageUsedGb) + L" / " + std::to_wstring(memory.pageTotalGb) + L" GB"));
        const std::vector<ProcessUse> top = m_board.TopMemory();
        if (!top.empty()) {
            menu.push_back(gfx::MenuItem::Rule());
            menu.push_back(Row(Text(L"process", L"Processes")));
            for (const ProcessUse& p : top) menu.push_back(Row(p.name, FormatBytes(p.amount)));
        }
        return menu;
    }
    case StatusKind::Disk: {
        menu.push_back(Row(Name()));
        menu.push_back(gfx::MenuItem::Rule());
        menu.push_back(Row(Text(L"readwrite", L"Read and write"), value));
        const std::vector<DiskUse> disks = m_board.Disks();
        for (const DiskUse& disk : disks) menu.push_back(Row(disk.name, Percent(disk.percent)));
        return menu;
    }
    case StatusKind::Network: {
        menu.push_back(Row(Text(L"NETWORK", L"Network")));
        menu.push_back(gfx::MenuItem::Rule());
        menu.push_back(Row(Text(L"upload", L"Upload"), FormatRate(m_board.Up(), false)));
        menu.push_back(Row(Text(L"download", L"Download"), FormatRate(m_board.Down(), false)));
        const auto v4 = m_facts.Addresses(false), v6 = m_facts.Addresses(true);
        if (!v4.empty() || !v6.empty()) menu.push_back(gfx::MenuItem::Rule());
        for (const auto& address : v4) menu.push_back(Row(L"IPV4", address));
        for (const auto& address : v6) menu.push_back(Row(L"IPV6", address));
        return menu;
    }
    default: {
        const TemperatureReadings& readings = m_board.Temperatures();
        menu.push_back(Row(Name()));
        menu.push_back(gfx::MenuItem::Rule());
        if (readings.Sensors().empty() && !readings.Cpu().Last())
            menu.push_back(Row(Text(L"noreading", L"No reading")));
        for (const Sensor& sensor : readings.Sensors())
            menu.push_back(Row(sensor.name.empty() ? L"-" : sensor.name, std::to_wstring(sensor.celsius) + L"\u00B0"));
        if (readings.Sensors().empty() && readings.Cpu().Last())
            menu.push_back(Row(L"CPU", std::to_wstring(*readings.Cpu().Last()) + L"\u00B0"));
        if (m_store.ReadInt(L"findermonitor", L"TEMPGPU") == 1 && readings.Gpu() != 0)
            menu.push_back(Row(L"GPU Core", std::to_wstring(readings.Gpu()) + L"\u00B0"));
        return menu;
    }
    }
}

} // namespace kestrana::menubar
