#pragma once
// The rearranging edits the Launchpad makes on the catalogue's pages: moving an icon,
// combining two icons into a group, adding to a group and taking an entry out of one.
// Pages never hold more than 35 icons (the last ones move on to the next page) and a
// page or group left empty goes away.

#include "launchers/launchpad_entry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::launchers {

inline constexpr wchar_t kNewGroupName[] = L"other";

// Moves the icon at `from` (a page position, or a group member when `from.member` is set)
// to `index` on `page` (the index as seen with the icon already taken away). False when
// `from` names nothing.
bool MoveIcon(std::vector<LaunchpadPage>& pages, const EntryPlace& from, std::size_t page, std::size_t index);

// Moves the group member at `from` to `index` among its group's entries (the index as
// seen with the entry already taken away). False when nothing moved.
bool MoveInGroup(std::vector<LaunchpadPage>& pages, const EntryPlace& from, std::size_t index);

// Drops the icon at `from` onto the icon at `onto` (page, position): onto an entry both
// become a new group named "other", onto a group the entry joins it. A group cannot be
// put into another. Returns where the group now is.
std::optional<EntryPlace> CombineIcons(std::vector<LaunchpadPage>& pages, const EntryPlace& from,
                                       const EntryPlace& onto);

// Puts every icon of every page in the order of its name (case ignored), 35 to a page.
void SortByName(std::vector<LaunchpadPage>& pages);
// Groups first, then the applications by where they come from (applications folder,
// desktop, pinned), each part by name; 35 to a page.
void SortGroupsFirst(std::vector<LaunchpadPage>& pages);
// Keeps the order and closes the gaps: every page but the last holds 35 icons.
void FillPages(std::vector<LaunchpadPage>& pages);

} // namespace kestrana::launchers
