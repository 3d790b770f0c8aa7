#pragma once
// The accessible side of one surface window: builds the surface's snapshot only when a
// client asks, and keeps it for a short while so that the many questions of one reading
// share one build. The platform adapter holds this by a weak link; once the surface is
// gone its elements answer "not available" instead of reaching a destroyed object.

#include "foundation/accessible_tree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace kestrana::foundation {

class AccessibleSurface {
public:
    // Nothing when the surface's state cannot be read at once (a worker holds it): the
    // previous snapshot answers meanwhile, and the next question tries again.
    using Builder = std::function<std::optional<AccessibleTree>()>;

    // `maxAgeMs`: how long a snapshot answers before the next question builds a new one.
    explicit AccessibleSurface(Builder builder, std::int64_t maxAgeMs = 250);

    // The current snapshot, built now when there is none, it is older than the age limit
    // or the surface changed since. Always sealed; an empty surface while nothing could be
    // built yet.
    [[nodiscard]] std::shared_ptr<const AccessibleTree> Current(std::int64_t nowMs);
    // The surface changed in a way a reader should see at once (items came or went).
    void Invalidate() { m_stale = true; }
    // How many snapshots were built: none at all while nobody asks.
    [[nodiscard]] std::uint64_t Builds() const { return m_builds; }

private:
    Builder m_builder;
    std::int64_t m_maxAgeMs;
    std::shared_ptr<const AccessibleTree> m_tree;
    std::int64_t m_builtMs = 0;
    std::uint64_t m_builds = 0;
    bool m_stale = true;
};

} // namespace kestrana::foundation
