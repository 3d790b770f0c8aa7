#include "foundation/win32/process_memory.h"

#include <windows.h>
#include <psapi.h>

namespace kestrana::win32 {

long long PrivateMemoryKilobytes() noexcept {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::K32GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                   sizeof counters))
        return 0;
    // Wine leaves the private figure at 0; the committed total is the nearest it gives.
    return static_cast<long long>((counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage) / 1024);
}

} // namespace kestrana::win32
