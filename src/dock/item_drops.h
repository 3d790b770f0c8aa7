#pragma once
// What a file dropped on the dock (or chosen to be added) becomes: the item section the
// load would read for it, with a shortcut's target and arguments standing for the
// shortcut.

#include "dock/item_list_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::dock {

struct ShortcutFacts {
    std::wstring target;
    std::wstring arguments;
};

[[nodiscard]] ItemRecord RecordForPath(std::wstring_view path, const std::optional<ShortcutFacts>& shortcut);

} // namespace kestrana::dock
