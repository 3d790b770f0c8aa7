#include "foundation/accessible_surface.h"

namespace kestrana::foundation {

AccessibleSurface::AccessibleSurface(Builder builder, std::int64_t maxAgeMs)
    : m_builder(std::move(builder)), m_maxAgeMs(maxAgeMs) {}

std::shared_ptr<const AccessibleTree> AccessibleSurface::Current(std::int64_t nowMs) {
    // A clock that went backwards counts as old too.
    const bool old = nowMs - m_builtMs >= m_maxAgeMs || nowMs < m_builtMs;
    if (m_tree && !m_stale && !old) return m_tree;
    std::optional<AccessibleTree> tree = m_builder ? m_builder() : AccessibleTree();
    if (!tree) {
        if (!m_tree) {
            AccessibleTree empty;
            empty.Seal();
            return std::make_shared<const AccessibleTree>(std::move(empty));
        }
        return m_tree;
    }
    tree->Seal();
    // Holders of the previous snapshot keep it: it stays whole until they let go.
    m_tree = std::make_shared<const AccessibleTree>(std::move(*tree));
    m_builtMs = nowMs;
    m_stale = false;
    ++m_builds;
    return m_tree;
}

} // namespace kestrana::foundation
