#pragma once
// A folder stack's pop-up as a screen reader reads it: its title, the back and open
// buttons when shown, and one element per item in the order they are laid out, placed
// where the stack draws them (scrolled grid and list items out of view are marked so).

#include "foundation/accessible_tree.h"
#include "launchers/stack_layout.h"
#include "launchers/stack_listing.h"

#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

struct StackWords {
    std::wstring back = L"Back";
    std::wstring openFolder = L"Open in Explorer";
    std::wstring more = L"More in folder";
    std::wstring open = L"Open";
    std::wstring folder = L"folder"; // said of an item that is a folder
};

inline constexpr foundation::AccessibleId kStackBackId = 1;
inline constexpr foundation::AccessibleId kStackOpenId = 2;
[[nodiscard]] constexpr foundation::AccessibleId StackItemId(std::size_t index) {
    return 16 + static_cast<foundation::AccessibleId>(index);
}

// The item (cell) an element stands for; nothing for the buttons or an id beyond the cells.
[[nodiscard]] constexpr std::optional<std::size_t> StackItemOf(foundation::AccessibleId id, std::size_t cells) {
    if (id < StackItemId(0) || id >= StackItemId(cells)) return std::nullopt;
    return static_cast<std::size_t>(id - StackItemId(0));
}

struct StackAccessibleState {
    std::wstring title;  // the folder's name
    float scroll = 0;    // grid and list: how far the content is scrolled
    int selected = -1;   // the item under the keyboard selection
};

[[nodiscard]] foundation::AccessibleTree BuildStackTree(const StackGeometry& geometry,
                                                        const std::vector<StackItem>& items,
                                                        const StackAccessibleState& state,
                                                        const StackWords& words = {});

} // namespace kestrana::launchers
