#pragma once
// How clicks and the wheel act on a folder stack's pop-up.

#include <cstdint>
#include <optional>

namespace kestrana::launchers {

// Whether a click on an item opens it. With double clicks, two clicks on one item less
// than 300 ms apart open it; with single clicks each click opens, except a second one
// within 300 ms of the last, which a double click would otherwise turn into two opens.
class StackClickRule {
public:
    static constexpr std::int64_t kDoubleClickMs = 300;

    explicit StackClickRule(bool doubleClickOpens = false) : m_double(doubleClickOpens) {}
    [[nodiscard]] bool Click(int item, std::int64_t nowMs);

private:
    bool m_double;
    std::optional<std::int64_t> m_last;
    int m_lastItem = -1;
};

// One wheel message: its delta and whether a button or key was held with it.
struct WheelInput {
    int delta = 0;
    bool modifiers = false;
    bool busy = false; // an animation or a drag is under way
};

// How far the content moves, in pixels (positive: further into the list). One notch
// (exactly 120, nothing held) moves one row; anything else is a precision touchpad's fine
// scroll and moves in proportion, the same way for small positive and negative deltas.
[[nodiscard]] float WheelScrollPixels(const WheelInput& input, float rowHeight);

// The scroll offset kept within the content.
[[nodiscard]] float ClampScroll(float offset, float contentHeight, float viewHeight);

} // namespace kestrana::launchers
