// The firmware's system table as the system hands it over, read for the memory modules
// shown in the system window: it comes from outside the program, so reading any bytes
// must not crash or hang, and what reads describes at least one module.

#include "menubar/system_summary.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const auto modules = kestrana::menubar::ReadMemoryModules(std::span<const std::uint8_t>(data, size))) {
        if (modules->count <= 0 || modules->speedMts < 0) std::abort();
    }
    return 0;
}
