#pragma once
// Milliseconds since the process was created and since the program's entry point, for
// the start-up timings of the detail log.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::win32 {

// Notes the entry point's moment; call first thing in the entry point.
void MarkProgramEntry() noexcept;
// Milliseconds since the process was created (the system's own record of it).
[[nodiscard]] double MsSinceProcessCreated() noexcept;
// Milliseconds since MarkProgramEntry, 0 before it.
[[nodiscard]] double MsSinceProgramEntry() noexcept;
// "<step>: 12.3 ms after entry (56.7 ms after the process was created)" in the detail
// log, when detail logging is on.
void LogStartupStep(std::wstring_view step) noexcept;

} // namespace kestrana::win32
