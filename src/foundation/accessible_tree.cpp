#include "foundation/accessible_tree.h"

#include <algorithm>

namespace kestrana::foundation {

AccessibleTree::AccessibleTree(AccessibleElement root) {
    root.id = kAccessibleRoot;
    root.parent = kAccessibleRoot;
    root.children.clear();
    m_elements.push_back(std::move(root));
}

AccessibleElement* AccessibleTree::FindMutable(AccessibleId id) {
    if (id == kAccessibleRoot) return &m_elements.front();
    if (m_sealed) return const_cast<AccessibleElement*>(Find(id));
    // While building, parents are nearly always the root or a recent addition.
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it)
        if (it->id == id) return &*it;
    return nullptr;
}

bool AccessibleTree::Add(AccessibleElement element) {
    if (m_sealed || element.id == kAccessibleRoot || element.id > kAccessibleMaxId) return false;
    // The index stays sorted as elements come, so a taken id is found by halving.
    const auto at = std::lower_bound(m_index.begin(), m_index.end(), std::make_pair(element.id, std::uint32_t{0}));
    if (at != m_index.end() && at->first == element.id) return false;
    AccessibleElement* parent = FindMutable(element.parent);
    if (!parent) return false;
    parent->children.push_back(element.id);
    element.children.clear();
    m_index.insert(at, {element.id, static_cast<std::uint32_t>(m_elements.size())});
    // `parent` may dangle after this: the vector can move.
    m_elements.push_back(std::move(element));
    return true;
}

void AccessibleTree::Seal() {
    m_sealed = true;
}

const AccessibleElement* AccessibleTree::Find(AccessibleId id) const {
    if (id == kAccessibleRoot) return &m_elements.front();
    if (!m_sealed) return nullptr;
    const auto it = std::lower_bound(m_index.begin(), m_index.end(), std::make_pair(id, std::uint32_t{0}));
    if (it == m_index.end() || it->first != id) return nullptr;
    return &m_elements[it->second];
}

std::optional<AccessibleId> AccessibleTree::HitTest(int x, int y) const {
    const AccessibleElement* at = &Root();
    if (!at->bounds.Contains(x, y)) return std::nullopt;
    // Later children are drawn over earlier ones, so the last hit wins.
    for (bool deeper = true; deeper;) {
        deeper = false;
        for (auto it = at->children.rbegin(); it != at->children.rend(); ++it) {
            const AccessibleElement* child = Find(*it);
            if (child && !Has(child->state, AccessibleState::Invisible) && child->bounds.Contains(x, y)) {
                at = child;
                deeper = true;
                break;
            }
        }
    }
    return at->id;
}

std::optional<AccessibleId> AccessibleTree::Focused() const {
    for (const AccessibleElement& e : m_elements)
        if (Has(e.state, AccessibleState::Focused)) return e.id;
    return std::nullopt;
}

std::optional<AccessibleId> AccessibleTree::Sibling(AccessibleId id, int step) const {
    const AccessibleElement* element = Find(id);
    if (!element || id == kAccessibleRoot) return std::nullopt;
    const AccessibleElement* parent = Find(element->parent);
    if (!parent) return std::nullopt;
    const auto& kids = parent->children;
    const auto at = std::find(kids.begin(), kids.end(), id);
    const auto index = (at - kids.begin()) + step;
    if (at == kids.end() || index < 0 || index >= static_cast<std::ptrdiff_t>(kids.size())) return std::nullopt;
    return kids[static_cast<std::size_t>(index)];
}

bool HoldsSelection(const AccessibleTree& tree, AccessibleId id) {
    const AccessibleElement* e = tree.Find(id);
    if (!e || (e->role != AccessibleRole::List && e->role != AccessibleRole::PageTabList)) return false;
    return std::any_of(e->children.begin(), e->children.end(), [&tree](AccessibleId child) {
        const AccessibleElement* c = tree.Find(child);
        return c && Has(c->state, AccessibleState::Selectable);
    });
}

bool InSelection(const AccessibleTree& tree, AccessibleId id) {
    const AccessibleElement* e = tree.Find(id);
    return e && id != kAccessibleRoot && Has(e->state, AccessibleState::Selectable) && HoldsSelection(tree, e->parent);
}

std::vector<AccessibleId> SelectedChildren(const AccessibleTree& tree, AccessibleId container) {
    std::vector<AccessibleId> selected;
    if (!HoldsSelection(tree, container)) return selected;
    for (AccessibleId child : tree.Find(container)->children) {
        const AccessibleElement* c = tree.Find(child);
        if (c && Has(c->state, AccessibleState::Selectable) && Has(c->state, AccessibleState::Selected))
            selected.push_back(child);
    }
    return selected;
}

std::optional<FocusMove> FocusMoveFor(FocusKey key, AccessibleFlow flow) {
    switch (key) {
    case FocusKey::Home: return FocusMove::First;
    case FocusKey::End: return FocusMove::Last;
    case FocusKey::Tab: return FocusMove::Next;
    case FocusKey::ShiftTab: return FocusMove::Previous;
    case FocusKey::Left:
        if (flow == AccessibleFlow::Vertical) return std::nullopt;
        return FocusMove::Previous;
    case FocusKey::Right:
        if (flow == AccessibleFlow::Vertical) return std::nullopt;
        return FocusMove::Next;
    case FocusKey::Up:
        if (flow == AccessibleFlow::Horizontal) return std::nullopt;
        return flow == AccessibleFlow::Grid ? FocusMove::Up : FocusMove::Previous;
    case FocusKey::Down:
        if (flow == AccessibleFlow::Horizontal) return std::nullopt;
        return flow == AccessibleFlow::Grid ? FocusMove::Down : FocusMove::Next;
    }
    return std::nullopt;
}

namespace {

bool TakesFocus(const AccessibleElement& e) {
    return Has(e.state, AccessibleState::Focusable) && !Has(e.state, AccessibleState::Unavailable) &&
           !Has(e.state, AccessibleState::Invisible);
}

} // namespace

std::optional<AccessibleId> MoveFocus(const AccessibleTree& tree, AccessibleId container, AccessibleId from,
                                      FocusMove move) {
    const AccessibleElement* box = tree.Find(container);
    if (!box) return std::nullopt;
    // Positions among all children (a grid's rows count skipped cells too), and which of
    // them can take the focus.
    const auto& kids = box->children;
    std::vector<std::size_t> focusable;
    for (std::size_t i = 0; i < kids.size(); ++i) {
        const AccessibleElement* child = tree.Find(kids[i]);
        if (child && TakesFocus(*child)) focusable.push_back(i);
    }
    if (focusable.empty()) return std::nullopt;

    const auto here = std::find(kids.begin(), kids.end(), from);
    if (here == kids.end() || from == container) {
        const bool backwards = move == FocusMove::Previous || move == FocusMove::Last || move == FocusMove::Up;
        return kids[backwards ? focusable.back() : focusable.front()];
    }
    const std::size_t at = static_cast<std::size_t>(here - kids.begin());
    switch (move) {
    case FocusMove::First: return kids[focusable.front()];
    case FocusMove::Last: return kids[focusable.back()];
    case FocusMove::Next: {
        const auto it = std::upper_bound(focusable.begin(), focusable.end(), at);
        return kids[it == focusable.end() ? focusable.front() : *it];
    }
    case FocusMove::Previous: {
        const auto it = std::lower_bound(focusable.begin(), focusable.end(), at);
        return kids[it == focusable.begin() ? focusable.back() : *(it - 1)];
    }
    case FocusMove::Up:
    case FocusMove::Down: {
        const std::size_t columns = box->columns > 0 ? static_cast<std::size_t>(box->columns) : 1;
        // A row further in the chosen direction; a gap (an unfocusable cell) is passed over.
        for (std::size_t target = at;;) {
            if (move == FocusMove::Up) {
                if (target < columns) return std::nullopt;
                target -= columns;
            } else {
                target += columns;
                if (target >= kids.size()) {
                    // A last row shorter than the others: its last cell answers "down".
                    if (focusable.back() > at && (at / columns) + 1 == (focusable.back() / columns))
                        return kids[focusable.back()];
                    return std::nullopt;
                }
            }
            if (std::binary_search(focusable.begin(), focusable.end(), target)) return kids[target];
        }
    }
    }
    return std::nullopt;
}

SurfaceKeyResult KeyOnSurface(const AccessibleTree& tree, AccessibleId focused, int virtualKey, bool shift,
                              bool downOpensMenu) {
    const AccessibleElement* here = focused == kAccessibleRoot ? nullptr : tree.Find(focused);
    // Only an element that still takes the focus can be acted on; otherwise the first key
    // that moves lands on the first (or last) item.
    if (here && !TakesFocus(*here)) here = nullptr;
    const AccessibleId from = here ? here->id : kAccessibleRoot;
    const auto act = [&](SurfaceVerb verb) -> SurfaceKeyResult {
        if (!here) return {};
        if (verb == SurfaceVerb::OpenMenu && !Has(here->state, AccessibleState::HasPopup)) return {};
        if (verb == SurfaceVerb::Activate && here->defaultAction.empty()) return {};
        return {verb, here->id};
    };
    std::optional<FocusKey> key;
    switch (virtualKey) {
    case keys::kEscape: return {SurfaceVerb::Leave, kAccessibleRoot};
    case keys::kEnter:
    case keys::kSpace: return act(SurfaceVerb::Activate);
    case keys::kMenu: return act(SurfaceVerb::OpenMenu);
    case keys::kF10: return shift ? act(SurfaceVerb::OpenMenu) : SurfaceKeyResult{};
    case keys::kLeft: key = FocusKey::Left; break;
    case keys::kRight: key = FocusKey::Right; break;
    case keys::kUp: key = FocusKey::Up; break;
    case keys::kDown: key = FocusKey::Down; break;
    case keys::kHome: key = FocusKey::Home; break;
    case keys::kEnd: key = FocusKey::End; break;
    case keys::kTab: key = shift ? FocusKey::ShiftTab : FocusKey::Tab; break;
    default: return {};
    }
    const AccessibleFlow flow = tree.Root().flow;
    const auto move = FocusMoveFor(*key, flow);
    if (!move) {
        if (downOpensMenu && *key == FocusKey::Down && flow == AccessibleFlow::Horizontal) return act(SurfaceVerb::OpenMenu);
        return {};
    }
    const auto target = MoveFocus(tree, kAccessibleRoot, from, *move);
    if (!target) return {};
    return {SurfaceVerb::Move, *target};
}

} // namespace kestrana::foundation
