#include "menubar/system_summary.h"

#include "foundation/config_store.h"

#include <algorithm>
#include <cstdio>

namespace kestrana::menubar {
namespace {

std::uint16_t Word(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Dword(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(Word(b, at)) | (static_cast<std::uint32_t>(Word(b, at + 2)) << 16);
}

constexpr std::uint8_t kMemoryDevice = 17;
constexpr std::uint8_t kEndOfTable = 127;

} // namespace

std::wstring MemoryGeneration(std::uint8_t type) {
    switch (type) {
    case 0x12: return L"DDR";
    case 0x13: return L"DDR2";
    case 0x18: return L"DDR3";
    case 0x1A: return L"DDR4";
    case 0x1B: return L"LPDDR";
    case 0x1C: return L"LPDDR2";
    case 0x1D: return L"LPDDR3";
    case 0x1E: return L"LPDDR4";
    case 0x22: return L"DDR5";
    case 0x23: return L"LPDDR5";
    default: return {};
    }
}

std::optional<MemoryModules> ReadMemoryModules(std::span<const std::uint8_t> raw) {
    if (raw.size() < 8) return std::nullopt;
    const std::uint32_t length = Dword(raw, 4);
    std::span<const std::uint8_t> table = raw.subspan(8, std::min<std::size_t>(length, raw.size() - 8));
    MemoryModules modules;
    std::size_t at = 0;
    while (at + 4 <= table.size()) {
        const std::uint8_t type = table[at];
        const std::uint8_t formatted = table[at + 1];
        if (formatted < 4 || at + formatted > table.size()) break;
        const auto record = table.subspan(at, formatted);
        if (type == kMemoryDevice && formatted >= 0x17) {
            std::uint64_t mb = 0;
            const std::uint16_t size = Word(record, 0x0C);
            if (size == 0x7FFF && formatted >= 0x20) mb = Dword(record, 0x1C) & 0x7FFFFFFFu;
            else if (size != 0 && size != 0xFFFF) mb = (size & 0x8000) ? (size & 0x7FFF) / 1024 : size;
            if (mb > 0) {
                modules.totalMb += mb;
                ++modules.count;
                int speed = formatted >= 0x22 ? Word(record, 0x20) : 0;
                if (speed == 0) speed = Word(record, 0x15);
                if (speed == 0xFFFF && formatted >= 0x58) speed = static_cast<int>(Dword(record, 0x54));
                if (speed != 0xFFFF) modules.speedMts = std::max(modules.speedMts, speed);
                if (modules.generation.empty()) modules.generation = MemoryGeneration(record[0x12]);
            }
        }
        if (type == kEndOfTable) break;
        // The record's strings follow its formatted part and end with two zero bytes.
        std::size_t next = at + formatted;
        while (next + 1 < table.size() && !(table[next] == 0 && table[next + 1] == 0)) ++next;
        at = next + 2;
    }
    if (modules.count == 0) return std::nullopt;
    return modules;
}

std::wstring MemoryText(const SystemSummary& s) {
    const std::uint64_t mb = s.modules ? s.modules->totalMb : s.memoryMb;
    std::wstring text;
    if (mb >= 1024) {
        wchar_t size[32];
        const double gb = static_cast<double>(mb) / 1024.0;
        std::swprintf(size, 32, gb == static_cast<double>(static_cast<std::uint64_t>(gb)) ? L"%.0f GB" : L"%.1f GB", gb);
        text = size;
    } else if (mb > 0) {
        text = std::to_wstring(mb) + L" MB";
    }
    if (s.modules && s.modules->speedMts > 0) text += L" " + std::to_wstring(s.modules->speedMts) + L" MT/s";
    if (s.modules && !s.modules->generation.empty()) text += L" " + s.modules->generation;
    return text;
}

std::wstring WindowsText(const SystemSummary& s) {
    std::wstring name = s.windowsName;
    const auto ten = name.find(L"Windows 10");
    if (s.build >= 22000 && ten != std::wstring::npos) name.replace(ten, 10, L"Windows 11");
    if (!s.windowsVersion.empty()) name += L" " + s.windowsVersion;
    if (s.build) {
        name += L" (" + std::to_wstring(s.build);
        if (s.revision) name += L"." + std::to_wstring(s.revision);
        name += L")";
    }
    return name;
}

std::vector<std::pair<std::wstring, std::wstring>> SummaryRows(const SystemSummary& s, const foundation::ConfigStore& store) {
    auto label = [&](const wchar_t* key, const wchar_t* fallback) {
        return store.LanguageText(L"aboutpc", key, fallback);
    };
    return {{label(L"processor", L"Processor"), s.processor},
            {label(L"memory", L"Memory"), MemoryText(s)},
            {label(L"graphics", L"Graphics"), s.graphics},
            {label(L"windows", L"Windows"), WindowsText(s)}};
}

} // namespace kestrana::menubar
