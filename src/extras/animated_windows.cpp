#include "extras/animated_windows.h"

#include <algorithm>

namespace kestrana::extras {

AnimatedWindows::Entry* AnimatedWindows::Find(WindowId window) {
    for (Entry& e : m_entries)
        if (e.window == window) return &e;
    return nullptr;
}

const AnimatedWindows::Entry* AnimatedWindows::Find(WindowId window) const {
    for (const Entry& e : m_entries)
        if (e.window == window) return &e;
    return nullptr;
}

bool AnimatedWindows::MakeRoom(const Exists& exists) {
    if (m_entries.size() < m_capacity) return true;
    // Windows that closed while minimised never come back.
    std::erase_if(m_entries, [&](const Entry& e) { return e.state == FlightState::Minimised && !exists(e.window); });
    if (m_entries.size() < m_capacity) return true;
    auto oldest = m_entries.end();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
        if (it->state == FlightState::Minimised && (oldest == m_entries.end() || it->since < oldest->since)) oldest = it;
    if (oldest == m_entries.end()) return false;
    m_entries.erase(oldest);
    return true;
}

bool AnimatedWindows::BeginMinimise(WindowId window, const Exists& exists) {
    std::lock_guard lock(m_mutex);
    if (Entry* e = Find(window)) {
        // A window restored without us still holds its old entry: it starts again.
        if (e->state != FlightState::Minimised) return false;
        e->state = FlightState::Minimising;
        e->since = ++m_counter;
        e->image.reset();
        return true;
    }
    if (!MakeRoom(exists)) return false;
    m_entries.push_back({window, FlightState::Minimising, ++m_counter, nullptr});
    return true;
}

bool AnimatedWindows::HasRoom(const Exists& exists) {
    std::lock_guard lock(m_mutex);
    return MakeRoom(exists);
}

std::optional<FlightState> AnimatedWindows::State(WindowId window) const {
    std::lock_guard lock(m_mutex);
    if (const Entry* e = Find(window)) return e->state;
    return std::nullopt;
}

bool AnimatedWindows::SetState(WindowId window, FlightState state) {
    std::lock_guard lock(m_mutex);
    Entry* e = Find(window);
    if (!e) return false;
    e->state = state;
    return true;
}

void AnimatedWindows::Keep(WindowId window, std::shared_ptr<const KeptImage> image) {
    std::lock_guard lock(m_mutex);
    if (Entry* e = Find(window)) e->image = std::move(image);
}

std::shared_ptr<const KeptImage> AnimatedWindows::Image(WindowId window) const {
    std::lock_guard lock(m_mutex);
    const Entry* e = Find(window);
    return e ? e->image : nullptr;
}

void AnimatedWindows::Remove(WindowId window) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry& e) { return e.window == window; });
}

std::size_t AnimatedWindows::Size() const {
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

} // namespace kestrana::extras
