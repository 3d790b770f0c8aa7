#pragma once
// The windows whose minimise the program animated, with the image each showed, so that
// their restore can play the flight backwards. Shared between the watcher (user-interface
// thread) and the workers that fly the windows. It never grows without bound: closed
// windows are dropped when room is needed, and then the oldest minimised ones.

#include "dock/dockico.h"
#include "extras/window_mesh.h"
#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrana::extras {

using dock::WindowId;

enum class FlightState : std::uint8_t {
    Minimising, // flying into the dock; the window is hidden
    Minimised,  // down, with the image kept for the way back
    Restoring,  // flying back out
    Completing, // the program itself minimises or restores it now: let that pass
};

// What a minimised window looked like and where it stood.
struct KeptImage {
    gfx::Bitmap image;
    Box window;
};

class AnimatedWindows {
public:
    using Exists = std::function<bool(WindowId)>;

    explicit AnimatedWindows(std::size_t capacity = 16) : m_capacity(capacity) {}

    // A new flight for `window`; false when it already flies or no room can be made.
    bool BeginMinimise(WindowId window, const Exists& exists);
    // There would be room for one more (the check that takes no entry).
    [[nodiscard]] bool HasRoom(const Exists& exists);

    [[nodiscard]] std::optional<FlightState> State(WindowId window) const;
    // False when the window is no longer listed (dropped meanwhile).
    bool SetState(WindowId window, FlightState state);
    void Keep(WindowId window, std::shared_ptr<const KeptImage> image);
    [[nodiscard]] std::shared_ptr<const KeptImage> Image(WindowId window) const;
    void Remove(WindowId window);
    [[nodiscard]] std::size_t Size() const;

private:
    struct Entry {
        WindowId window;
        FlightState state;
        std::uint64_t since;
        std::shared_ptr<const KeptImage> image;
    };
    // With the mutex held: makes room for one more entry; false when every entry flies.
    bool MakeRoom(const Exists& exists);
    Entry* Find(WindowId window);
    const Entry* Find(WindowId window) const;

    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;
    std::size_t m_capacity;
    std::uint64_t m_counter = 0;
};

} // namespace kestrana::extras
