#pragma once
// The parts of the user's Windows settings that our surfaces follow, as rules.

namespace kestrana::gfx {

// "Make text bigger" as Windows stores it (percent, 100 to 225) as a factor; anything
// else, hand-edited or from an older system, reads as the normal size.
[[nodiscard]] float TextScaleFromPercent(long long percent);

} // namespace kestrana::gfx
