#pragma once
// The dock's right-click menus as rows: the background menu, an item's menu and the
// special items' own rows, built from what the dock knows of the place clicked and from
// the settings; and the commands that only touch the settings or the row. The platform
// layer shows the rows and carries out the rest (starting, closing, dialogs).

#include "dock/dockico.h"
#include "gfx/menu_model.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// Which menu is open; a command is read against it.
enum class DockMenuKind : std::uint8_t {
    Background,  // the dock's empty part or a separator
    Item,        // a program or folder item
    FileManager, // the file manager item
    Trash,
    Special,     // any other special item
};

namespace dock_command {
inline constexpr int kAddProgram = 1;
inline constexpr int kAddSpecial = 2; // a sub-menu; its rows are kAddSpecialFirst + index
inline constexpr int kAddSeparator = 3;
inline constexpr int kRemoveSeparator = 4;
inline constexpr int kQuit = 99;
inline constexpr int kOpen = 100;
inline constexpr int kShowTaskbar = 101;
inline constexpr int kHideTaskbar = 102;
inline constexpr int kKeep = 103;
inline constexpr int kRemove = 104;
inline constexpr int kRestartDock = 105;
inline constexpr int kEndDock = 106;
inline constexpr int kLock = 110;
inline constexpr int kAdmin = 111;
inline constexpr int kRunAgain = 112;
inline constexpr int kPrivateWindow = 113;
inline constexpr int kEmptyTrash = 114;
inline constexpr int kNewFileManagerWindow = 115;
inline constexpr int kShowAllWindows = 116; // "showmodeapps": every window of the program in front
inline constexpr int kShowDesktop = 117;    // "showmodedesktop"
inline constexpr int kGoToFolder = 118;
inline constexpr int kConnectToServer = 119;
inline constexpr int kNoMinimiseEffect = 120;
inline constexpr int kMessageCounts = 121;
inline constexpr int kNoProgressBar = 122;
inline constexpr int kNeverShow = 123;
inline constexpr int kLocation = 186;
inline constexpr int kPreference = 999; // the settings window
inline constexpr int kSystemToolFirst = 130; // the file manager's system entries, in SystemTools() order
inline constexpr int kAddSpecialFirst = 300;
inline constexpr int kWindowFirst = 2000; // + the window's row
inline constexpr int kFolderFirst = 3000; // a folder item's own entries use ids from here
inline constexpr int kFolderLast = 3999;
inline constexpr int kRecentFirst = 4000; // + the recent item's row
} // namespace dock_command

// A window of the item, as its menu row shows it.
struct MenuWindow {
    WindowId id = WindowId::None;
    std::wstring title;
};

// What the item's menu is built from, gathered under the row's lock.
struct ItemMenuFacts {
    std::wstring appname;
    bool kept = false;
    bool running = false;
    bool hasFilepath = false;
    std::vector<MenuWindow> windows;
    // A folder item's own entries (sort, display, stack), ids within kFolderFirst..kFolderLast;
    // they stand first, before the program entries.
    gfx::Menu folderRows;
    // Its program's recent documents (the file manager's: every recent item), newest first.
    std::vector<std::wstring> recent;
};

struct DockMenu {
    DockMenuKind kind = DockMenuKind::Background;
    gfx::Menu rows;
    std::vector<WindowId> windows; // the window rows' windows, in order
    std::vector<std::wstring> recent; // the recent rows' files, in order
};

// The system's own tools the file manager's menu offers ("systemmenu").
struct SystemTool {
    std::wstring_view key;  // language text, section "menu"
    std::wstring_view text; // its default
    std::wstring_view file; // what the shell opens
    std::wstring_view arguments;
};
[[nodiscard]] const std::vector<SystemTool>& SystemTools();
[[nodiscard]] const SystemTool* SystemToolOfCommand(int command);

// `onSeparator`: the right click hit a separator, which the menu then offers to remove.
[[nodiscard]] DockMenu BuildBackgroundMenu(const foundation::ConfigStore& store, bool onSeparator, bool taskbarShown);
[[nodiscard]] DockMenu BuildItemMenu(const foundation::ConfigStore& store, const ItemMenuFacts& facts);

// The special items the background menu offers to add, in its order.
[[nodiscard]] const std::vector<std::wstring_view>& AddableSpecialItems();

// The window a window row stands for.
[[nodiscard]] std::optional<WindowId> WindowOfCommand(const DockMenu& menu, int command);
// The file a recent row stands for.
[[nodiscard]] std::optional<std::wstring> RecentOfCommand(const DockMenu& menu, int command);

// The browser's switch for a private window ("-incognito", "-inprivate", "-private"), or
// empty for a program that is no known browser.
[[nodiscard]] std::wstring_view PrivateWindowSwitch(std::wstring_view appname);

// The per-program options kept in config.ini sections: switches the option for this
// program. False for a command that is no such option (nothing written).
bool ToggleProgramOption(foundation::ConfigStore& store, int command, std::wstring_view appname);

// Keep, remove and the separators, on the item at `index` (the caller holds the row's
// lock). True when the row changed and must be saved. A removed item that is not running
// shrinks away; a running one stays, no longer kept.
bool ApplyRowCommand(DockItems& row, std::size_t index, int command);

} // namespace kestrana::dock
