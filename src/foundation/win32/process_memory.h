#pragma once
// How much memory this process holds for itself, for the figures the detail log keeps
// (a window's cost, what a hidden surface gives back).

namespace kestrana::win32 {

// Private bytes in kilobytes; 0 when the system does not say.
[[nodiscard]] long long PrivateMemoryKilobytes() noexcept;

} // namespace kestrana::win32
