#pragma once
// Which row of an open menu is lit and which submenus are open, driven by the pointer
// and the keyboard. The window code shows one level per entry of the stack and carries
// out the events this returns.

#include "gfx/menu_model.h"

#include <cstddef>
#include <vector>

namespace kestrana::gfx {

enum class MenuKey { Up, Down, Left, Right, Enter, Escape, Home, End };

struct MenuEvent {
    enum class Kind {
        None,     // nothing to show differently
        Changed,  // the lit rows or the open levels changed
        Chosen,   // a command was chosen: close everything and run `id`
        Dismissed, // close everything, nothing chosen
        Slid      // the slider `id` of the deepest level asks to move to `value`
    };
    Kind kind = Kind::None;
    int id = 0;
    int value = 0;
};

class MenuNavigator {
public:
    explicit MenuNavigator(const Menu& root);

    [[nodiscard]] std::size_t Depth() const { return m_levels.size(); }
    [[nodiscard]] const Menu& Items(std::size_t level) const { return *m_levels[level].items; }
    // The lit row of a level, or -1.
    [[nodiscard]] int Hot(std::size_t level) const { return m_levels[level].hot; }

    // The pointer is over `row` of `level` (-1: over the level but on no row). A row with
    // a submenu opens it; levels deeper than the pointer's close.
    MenuEvent Hover(std::size_t level, int row);
    // The pointer left every level: the deepest level forgets its lit row.
    MenuEvent Leave();
    MenuEvent Click(std::size_t level, int row);
    // On a lit slider, Left and Right ask for a step of 5; the other keys move as ever.
    MenuEvent Key(MenuKey key);
    static constexpr int kSliderStep = 5;
    // Type-ahead: the next selectable row of the deepest level whose text starts with `c`.
    MenuEvent Letter(wchar_t c);

private:
    struct Level {
        const Menu* items = nullptr;
        int hot = -1;
    };
    [[nodiscard]] int Step(const Level& level, int from, int direction) const;
    MenuEvent Open(std::size_t level, bool lightFirst);
    MenuEvent Truncate(std::size_t depth, bool changed);

    std::vector<Level> m_levels;
};

} // namespace kestrana::gfx
