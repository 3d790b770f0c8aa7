#pragma once
// A program started from the dock: its icon hops until the program's first window shows,
// and gives up after a while.

#include <cstdint>

namespace kestrana::dock {

inline constexpr std::int64_t kBounceGiveUpMs = 10000;
inline constexpr std::int64_t kBouncePeriodMs = 700;

// How far above its place the icon stands `elapsedMs` into the bounce: hops of half an
// icon (no higher than `room`), slowing at the top and landing hard, as a ball does.
[[nodiscard]] float BounceLift(std::int64_t elapsedMs, float iconSize, float room);

} // namespace kestrana::dock
