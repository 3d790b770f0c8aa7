#pragma once
// What a file dropped on the dock (or chosen to be added) becomes: the item section the
// load would read for it, with a shortcut's target and arguments standing for the
// shortcut.

#include "dock/dockico.h"
#include "dock/item_list_file.h"
#include "foundation/launch_request.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::dock {

using foundation::ShortcutFacts;

[[nodiscard]] ItemRecord RecordForPath(std::wstring_view path, const std::optional<ShortcutFacts>& shortcut);

// What files dropped at a point of the row do.
enum class DropAction : std::uint8_t {
    AddItems, // they become items at `index`
    ToTrash,  // they go to the recycle bin
    OpenWith, // the program of the item at `index` opens them
    IntoFolder, // they move or are copied into the folder of the item at `index`
};

struct DropDecision {
    DropAction action = DropAction::AddItems;
    std::size_t index = 0;
};

// `rowCoordinate`: the pointer along the row as laid out now (from its first item). On the
// middle half of a program's icon the program takes the files, on a folder's the folder;
// elsewhere they land beside
// the item under the pointer (after it past its middle), never before the first item nor
// after the last, and a place next to an icon that is the trash's hands them to the trash.
[[nodiscard]] DropDecision DecideDrop(const DockItems& row, float rowCoordinate);

enum class FolderDropEffect : std::uint8_t { Move, Copy };

// What a file dropped into `folder` undergoes, as the file manager does it: Ctrl copies,
// Shift moves (both together: neither, the drive decides); otherwise a file on the
// folder's own drive or share moves and one from elsewhere is copied.
[[nodiscard]] FolderDropEffect FolderDropEffectFor(std::wstring_view path, std::wstring_view folder, bool ctrl,
                                                   bool shift);

// The name a file dropped into a folder takes: its own when `taken` says it is free, else
// "name (2).ext", "name (3).ext" and so on; nothing is ever written over.
[[nodiscard]] std::wstring FreeNameInFolder(std::wstring_view name, const std::function<bool(const std::wstring&)>& taken);

// Whether `path` may go into `folder`: not the folder itself or one that holds it, and not
// something that already lies directly in it.
[[nodiscard]] bool CanGoIntoFolder(std::wstring_view path, std::wstring_view folder);

} // namespace kestrana::dock
