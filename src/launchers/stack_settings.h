#pragma once
// A folder item's own settings (its sort order, its pop-up's layout, whether its dock
// icon shows a pile of its contents), the value arithmetic of its menu commands, and the
// folder item's menu entries. The item menu of the dock takes these entries in and hands
// the chosen command back to ApplyStackCommand.

#include "foundation/config_store.h"
#include "gfx/menu_model.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::launchers {

// The layout of a folder's pop-up ("foldereffect").
enum class StackLayout : std::uint8_t { Grid = 1, Fan = 2, List = 3 };

// 0 or absent counts as the grid, and so does any value outside 0..3.
[[nodiscard]] StackLayout LayoutFromEffect(int effect);

// One "foldersortorder" value taken apart. Its absolute value above 100 carries the
// locate-folder flag (the key is then the value less 100); a negative value reverses.
struct SortOrder {
    int key = 0; // 0 listing order, 1 name, 2 extension, 3 last write, 4 creation, 5 kind
    bool reverse = false;
    bool locate = false;
};
[[nodiscard]] SortOrder DecodeSortOrder(int value);

struct FolderStackSettings {
    int sortValue = 0;     // "foldersortorder", as stored
    int effect = 0;        // "foldereffect", as stored (0..3, anything else read as 0)
    bool stackIcon = false; // "stack": the dock icon piles the folder's first items
    [[nodiscard]] SortOrder Order() const { return DecodeSortOrder(sortValue); }
    [[nodiscard]] StackLayout Layout() const { return LayoutFromEffect(effect); }
};

// The per-folder settings of `folder` (the item's path). A folder without a layout whose
// path ends in "\" is looked up once more without it, as older versions stored it.
[[nodiscard]] FolderStackSettings ReadFolderStackSettings(const foundation::ConfigStore& store, std::wstring_view folder);

// The pop-up's global switches, section "normal".
struct StackBehaviour {
    bool doubleClickOpens = false; // "folderDoubleclickOpen"
    bool noOpenButton = false;     // "foldernoopen": no button that opens the folder itself
};
[[nodiscard]] StackBehaviour ReadStackBehaviour(const foundation::ConfigStore& store);

// The folder item's menu commands. The layouts keep the numbers the item menu has always
// used; the others sit just above them.
enum StackCommand : int {
    kStackGrid = 1001,
    kStackFan = 1002,
    kStackList = 1003,
    kStackSortFirst = 1011, // 1011..1015: sort keys 1..5
    kStackSortLast = 1015,
    kStackReverse = 1016,
    kStackShowFolder = 1017,
    kStackShowPile = 1018,
    kStackLocate = 1019,
};

// The entries, headings and check marks for the item menu, texts from the language file.
// `shown` is the layout the pop-up is drawn in, which the layout entries tick: a fan that
// cannot be drawn beside this dock is shown, and ticked, as what replaces it.
[[nodiscard]] gfx::Menu FolderItemMenu(const FolderStackSettings& settings, const foundation::ConfigStore& texts,
                                       StackLayout shown);

// What a command did, so the caller can re-sort or rebuild the dock icon.
struct StackCommandResult {
    bool handled = false;      // the command was one of the folder item's
    bool resort = false;       // the order of the items changed
    bool iconChanged = false;  // the dock icon changes between folder and pile
};

// The settings after `command` (pure arithmetic); `result` says what changed.
[[nodiscard]] FolderStackSettings SettingsAfterCommand(const FolderStackSettings& before, int command,
                                                       StackCommandResult* result = nullptr);
// Reads, applies and writes the folder's settings for a chosen command.
StackCommandResult ApplyStackCommand(foundation::ConfigStore& store, std::wstring_view folder, int command);

} // namespace kestrana::launchers
