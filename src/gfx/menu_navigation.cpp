#include "gfx/menu_navigation.h"

#include <cwctype>

namespace kestrana::gfx {
namespace {

MenuEvent Changed() { return {MenuEvent::Kind::Changed, 0}; }
MenuEvent Unchanged() { return {}; }

} // namespace

MenuNavigator::MenuNavigator(const Menu& root) { m_levels.push_back({&root, -1}); }

int MenuNavigator::Step(const Level& level, int from, int direction) const {
    const int count = static_cast<int>(level.items->size());
    if (count == 0) return -1;
    int index = from;
    for (int i = 0; i < count; ++i) {
        index = (index + direction + count) % count;
        if ((*level.items)[static_cast<std::size_t>(index)].Selectable()) return index;
    }
    return -1;
}

MenuEvent MenuNavigator::Truncate(std::size_t depth, bool changed) {
    if (m_levels.size() > depth) {
        m_levels.resize(depth);
        changed = true;
    }
    return changed ? Changed() : Unchanged();
}

MenuEvent MenuNavigator::Open(std::size_t level, bool lightFirst) {
    Level& parent = m_levels[level];
    const MenuItem& item = (*parent.items)[static_cast<std::size_t>(parent.hot)];
    m_levels.resize(level + 1);
    m_levels.push_back({&item.submenu, -1});
    if (lightFirst) m_levels.back().hot = Step(m_levels.back(), -1, 1);
    return Changed();
}

MenuEvent MenuNavigator::Hover(std::size_t level, int row) {
    if (level >= m_levels.size()) return Unchanged();
    Level& l = m_levels[level];
    if (row < 0 || row >= static_cast<int>(l.items->size())) {
        // Between rows or on the padding: an open submenu stays, so the pointer may cross
        // the gap to reach it.
        if (m_levels.size() > level + 1 || l.hot == -1) return Unchanged();
        l.hot = -1;
        return Changed();
    }
    const MenuItem& item = (*l.items)[static_cast<std::size_t>(row)];
    if (!item.Selectable()) {
        const bool changed = l.hot != -1;
        l.hot = -1;
        return Truncate(level + 1, changed);
    }
    if (l.hot == row) {
        // Back on the lit row: its submenu stays (or opens again), deeper ones close.
        if (!item.HasSubmenu()) return Truncate(level + 1, false);
        return m_levels.size() == level + 1 ? Open(level, false) : Truncate(level + 2, false);
    }
    l.hot = row;
    if (item.HasSubmenu()) return Open(level, false);
    return Truncate(level + 1, true);
}

MenuEvent MenuNavigator::Leave() {
    Level& deepest = m_levels.back();
    if (deepest.hot == -1) return Unchanged();
    if ((*deepest.items)[static_cast<std::size_t>(deepest.hot)].HasSubmenu()) return Unchanged();
    deepest.hot = -1;
    return Changed();
}

MenuEvent MenuNavigator::Click(std::size_t level, int row) {
    if (level >= m_levels.size() || row < 0 || row >= static_cast<int>(m_levels[level].items->size()))
        return Unchanged();
    const MenuItem& item = (*m_levels[level].items)[static_cast<std::size_t>(row)];
    if (!item.Selectable()) return Unchanged();
    if (item.HasSubmenu()) {
        m_levels[level].hot = row;
        return Open(level, false);
    }
    // A slider is moved where it is pressed, never chosen: the menu stays open.
    if (item.slider) return Unchanged();
    return {MenuEvent::Kind::Chosen, item.id};
}

MenuEvent MenuNavigator::Key(MenuKey key) {
    const std::size_t deepest = m_levels.size() - 1;
    Level& l = m_levels[deepest];
    const int before = l.hot;
    if (l.hot >= 0) {
        const MenuItem& lit = (*l.items)[static_cast<std::size_t>(l.hot)];
        if (lit.slider) {
            int value = lit.value;
            switch (key) {
            case MenuKey::Left: value -= kSliderStep; break;
            case MenuKey::Right: value += kSliderStep; break;
            case MenuKey::Enter: return Unchanged();
            default: value = -1; break;
            }
            if (value != -1) {
                value = value < 0 ? 0 : (value > 100 ? 100 : value);
                if (value == lit.value) return Unchanged();
                return {MenuEvent::Kind::Slid, lit.id, value};
            }
        }
    }
    switch (key) {
    case MenuKey::Down: l.hot = Step(l, l.hot, 1); break;
    case MenuKey::Up: l.hot = Step(l, l.hot < 0 ? 0 : l.hot, -1); break;
    case MenuKey::Home: l.hot = Step(l, -1, 1); break;
    case MenuKey::End: l.hot = Step(l, 0, -1); break;
    case MenuKey::Right:
        if (l.hot >= 0 && (*l.items)[static_cast<std::size_t>(l.hot)].HasSubmenu()) return Open(deepest, true);
        return Unchanged();
    case MenuKey::Left:
        return deepest > 0 ? Truncate(deepest, false) : Unchanged();
    case MenuKey::Escape:
        if (deepest > 0) return Truncate(deepest, false);
        return {MenuEvent::Kind::Dismissed, 0};
    case MenuKey::Enter:
        if (l.hot < 0) return Unchanged();
        if ((*l.items)[static_cast<std::size_t>(l.hot)].HasSubmenu()) return Open(deepest, true);
        return {MenuEvent::Kind::Chosen, (*l.items)[static_cast<std::size_t>(l.hot)].id};
    }
    return l.hot == before ? Unchanged() : Changed();
}

MenuEvent MenuNavigator::Letter(wchar_t c) {
    Level& l = m_levels.back();
    const int count = static_cast<int>(l.items->size());
    const wchar_t wanted = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    for (int i = 1; i <= count; ++i) {
        const int index = ((l.hot < 0 ? -1 : l.hot) + i + count) % count;
        const MenuItem& item = (*l.items)[static_cast<std::size_t>(index)];
        if (item.Selectable() && !item.text.empty() &&
            static_cast<wchar_t>(std::towlower(static_cast<wint_t>(item.text.front()))) == wanted) {
            if (index == l.hot) return Unchanged();
            l.hot = index;
            return Changed();
        }
    }
    return Unchanged();
}

} // namespace kestrana::gfx
