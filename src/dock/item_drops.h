#pragma once
// What a file dropped on the dock (or chosen to be added) becomes: the item section the
// load would read for it, with a shortcut's target and arguments standing for the
// shortcut.

#include "dock/dockico.h"
#include "dock/item_list_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::dock {

struct ShortcutFacts {
    std::wstring target;
    std::wstring arguments;
};

[[nodiscard]] ItemRecord RecordForPath(std::wstring_view path, const std::optional<ShortcutFacts>& shortcut);

// What files dropped at a point of the row do.
enum class DropAction : std::uint8_t {
    AddItems, // they become items at `index`
    ToTrash,  // they go to the recycle bin
    OpenWith, // the program of the item at `index` opens them
};

struct DropDecision {
    DropAction action = DropAction::AddItems;
    std::size_t index = 0;
};

// `rowCoordinate`: the pointer along the row as laid out now (from its first item). On the
// middle half of a program's icon the program takes the files; elsewhere they land beside
// the item under the pointer (after it past its middle), never before the first item nor
// after the last, and a place next to an icon that is the trash's hands them to the trash.
[[nodiscard]] DropDecision DecideDrop(const DockItems& row, float rowCoordinate);

} // namespace kestrana::dock
