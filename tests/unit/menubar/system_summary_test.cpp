// "About This PC": the memory modules read from a firmware table, and the texts shown.
#include "menubar/system_summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kestrana::menubar {
namespace {

// A memory-device record (34 formatted bytes) with its strings.
void AddModule(std::vector<std::uint8_t>& t, std::uint16_t sizeMb, std::uint8_t type, std::uint16_t speed,
               std::uint16_t configured) {
    std::vector<std::uint8_t> r(0x22, 0);
    r[0] = 17;
    r[1] = 0x22;
    r[0x0C] = sizeMb & 0xFF;
    r[0x0D] = sizeMb >> 8;
    r[0x12] = type;
    r[0x15] = speed & 0xFF;
    r[0x16] = speed >> 8;
    r[0x20] = configured & 0xFF;
    r[0x21] = configured >> 8;
    t.insert(t.end(), r.begin(), r.end());
    for (char c : std::string("DIMM 0")) t.push_back(static_cast<std::uint8_t>(c));
    t.insert(t.end(), {0, 0});
}

std::vector<std::uint8_t> Table(const std::vector<std::uint8_t>& records) {
    // The system's header: calling method, version 3.4, revision, then the table's length.
    std::vector<std::uint8_t> raw(8 + records.size(), 0);
    raw[1] = 3;
    raw[2] = 4;
    raw[4] = records.size() & 0xFF;
    raw[5] = (records.size() >> 8) & 0xFF;
    std::copy(records.begin(), records.end(), raw.begin() + 8);
    return raw;
}

TEST(SystemSummary, MemoryComesFromTheFirmwaresModuleRecords) {
    std::vector<std::uint8_t> records{4, 4, 0, 0, 0, 0}; // a record of another type, no strings
    AddModule(records, 8192, 0x1A, 3200, 2933);
    AddModule(records, 0, 0x1A, 0, 0); // an empty slot
    AddModule(records, 8192, 0x1A, 3200, 0);
    records.insert(records.end(), {127, 4, 0, 0, 0, 0});
    const auto modules = ReadMemoryModules(Table(records));
    ASSERT_TRUE(modules);
    EXPECT_EQ(modules->count, 2);
    EXPECT_EQ(modules->totalMb, 16384u);
    EXPECT_EQ(modules->speedMts, 3200); // the faster of the configured 2933 and the rated 3200
    SystemSummary summary;
    summary.modules = modules;
    EXPECT_EQ(MemoryText(summary), L"16 GB 3200 MT/s DDR4");

    std::vector<std::uint8_t> cut;
    AddModule(cut, 4096, 0x22, 4800, 0);
    cut.resize(20); // the record runs past the table's end
    EXPECT_FALSE(ReadMemoryModules(Table(cut)));
    EXPECT_FALSE(ReadMemoryModules({}));

    SystemSummary plain;
    plain.memoryMb = 6 * 1024 + 512;
    EXPECT_EQ(MemoryText(plain), L"6.5 GB");
}

TEST(SystemSummary, WindowsElevenIsNamedAsSuch) {
    SystemSummary s;
    s.windowsName = L"Windows 10 Pro";
    s.windowsVersion = L"23H2";
    s.build = 22631;
    s.revision = 4317;
    EXPECT_EQ(WindowsText(s), L"Windows 11 Pro 23H2 (22631.4317)");
    s.build = 19045;
    s.revision = 0;
    EXPECT_EQ(WindowsText(s), L"Windows 10 Pro 23H2 (19045)");
}

} // namespace
} // namespace kestrana::menubar
