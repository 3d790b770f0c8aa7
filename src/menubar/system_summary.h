#pragma once
// What "About This PC" shows: the processor, the memory (size, speed and generation,
// read from the firmware's memory-device records), the graphics adapter and the Windows
// edition and build, as rows of label and value.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

struct MemoryModules {
    std::uint64_t totalMb = 0;  // of the installed modules
    int speedMts = 0;           // the configured speed, else the rated one; the fastest module
    std::wstring generation;    // "DDR4", "LPDDR5", ...; empty when the firmware does not say
    int count = 0;
};

// The memory-device records of the firmware's system table, as the system hands it over
// (an 8-byte header, then the records); nullopt when it holds none.
[[nodiscard]] std::optional<MemoryModules> ReadMemoryModules(std::span<const std::uint8_t> rawTable);

// "DDR4" for the firmware's memory type 0x1A, and so on; empty for types without a name.
[[nodiscard]] std::wstring MemoryGeneration(std::uint8_t type);

struct SystemSummary {
    std::wstring computerName; // the window's title
    std::wstring processor;
    std::uint64_t memoryMb = 0; // what the system reports when the firmware does not
    std::optional<MemoryModules> modules;
    std::wstring graphics;
    std::wstring windowsName; // "Windows 11 Pro"
    std::wstring windowsVersion; // "23H2"
    std::uint32_t build = 0;
    std::uint32_t revision = 0;
};

// "16 GB 3200 MT/s DDR4"; the parts the firmware does not give are left out.
[[nodiscard]] std::wstring MemoryText(const SystemSummary& summary);
// The system still names itself "Windows 10" in its edition text on Windows 11.
[[nodiscard]] std::wstring WindowsText(const SystemSummary& summary);

[[nodiscard]] std::vector<std::pair<std::wstring, std::wstring>> SummaryRows(const SystemSummary& summary,
                                                                             const foundation::ConfigStore& store);

} // namespace kestrana::menubar
