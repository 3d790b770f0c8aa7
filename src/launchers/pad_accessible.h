#pragma once
// The Launchpad as a screen reader reads it: the search field with its text, then either
// the search hits or the pages (each a grid of entries and groups, the pages not shown
// marked invisible), the page dots, and the open group's members, all from the view the
// Launchpad is drawn from.

#include "foundation/accessible_tree.h"
#include "launchers/pad_view.h"

#include <string>

namespace kestrana::launchers {

struct PadWords {
    std::wstring launchpad = L"Launchpad";
    std::wstring search = L"Search";
    std::wstring results = L"Search results";
    std::wstring pages = L"Pages";
    std::wstring page = L"Page";  // "Page 2"
    std::wstring open = L"Open";
    std::wstring folder = L"folder"; // a group, besides its name
};

inline constexpr foundation::AccessibleId kPadSearchId = 1;
inline constexpr foundation::AccessibleId kPadPagesId = 2;
inline constexpr foundation::AccessibleId kPadResultsId = 3;
[[nodiscard]] constexpr foundation::AccessibleId PadDotId(std::size_t page) {
    return 0x100 + static_cast<foundation::AccessibleId>(page);
}
[[nodiscard]] constexpr foundation::AccessibleId PadPageId(std::size_t page) {
    return 0x10000 + static_cast<foundation::AccessibleId>(page);
}
// The page a page tab stands for; nothing for any other id or a page that is not there.
[[nodiscard]] std::optional<std::size_t> PadPageOfTab(foundation::AccessibleId id, std::size_t pageCount);
// An entry or group by its place; nothing for a place beyond what ids can tell apart.
[[nodiscard]] std::optional<foundation::AccessibleId> PadEntryId(const EntryPlace& place);

// `originX`, `originY`: the monitor's top-left corner (the view works in monitor pixels).
[[nodiscard]] foundation::AccessibleTree BuildPadTree(const PadView& view, int originX, int originY,
                                                      const PadWords& words = {});

} // namespace kestrana::launchers
