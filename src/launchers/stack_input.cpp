#include "launchers/stack_input.h"

#include <algorithm>

namespace kestrana::launchers {

bool StackClickRule::Click(int item, std::int64_t nowMs) {
    const bool soon = m_last && item == m_lastItem && nowMs - *m_last < kDoubleClickMs;
    if (m_double) {
        // The second click of a pair opens; a third starts a new pair.
        if (soon) {
            m_last.reset();
            return true;
        }
        m_last = nowMs;
        m_lastItem = item;
        return false;
    }
    if (soon) return false;
    m_last = nowMs;
    m_lastItem = item;
    return true;
}

float WheelScrollPixels(const WheelInput& input, float rowHeight) {
    constexpr int kNotch = 120;
    if (input.busy || input.delta == 0) return 0;
    if (!input.modifiers && (input.delta == kNotch || input.delta == -kNotch))
        return input.delta > 0 ? -rowHeight : rowHeight;
    return -static_cast<float>(input.delta) * rowHeight / kNotch;
}

float ClampScroll(float offset, float contentHeight, float viewHeight) {
    return std::clamp(offset, 0.0f, std::max(0.0f, contentHeight - viewHeight));
}

} // namespace kestrana::launchers
