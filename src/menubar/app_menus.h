#pragma once
// The left side of the bar for the active application: which foreground windows the bar
// follows, the name it shows, and where the menu titles come from (texts of our own for
// the desktop, File Explorer and the browsers, or the window's own menu bar). The window
// facts come in as plain values; nothing here asks a window anything.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// What the bar knows of the foreground window before it asks it anything.
struct ForegroundFacts {
    bool exists = false;
    bool ours = false;          // a window of this program (bars, dock, Launchpad, stacks)
    bool onThisScreen = true;   // on the screen of the bar that asks
    bool desktop = false;       // the desktop window itself
    bool hung = false;          // not answering messages
    std::wstring className;
    std::wstring title;
    std::wstring imagePath;     // the process image, as the system spells it
    std::uint32_t exStyle = 0;
    bool explorerCommands = false; // File Explorer's command list is available
};

// A bar follows a foreground change unless there is no window, it is the program's own
// or an application's menu pop-up, or, with several bars, it lies on another bar's screen.
[[nodiscard]] bool FollowsForeground(const ForegroundFacts& facts, bool severalBars);

// A dock item as the name look-up sees it.
struct DockItemName {
    std::wstring realpath; // lower case, as the item list keeps it
    std::wstring appname;
    std::wstring tag;
};

// Where the application's name may come from, best first.
struct NameSources {
    std::wstring dockName;        // see DockNameFor
    std::wstring unsaveName;      // "unsaveicon" under the program's path (see UnsaveName)
    std::wstring fileDescription; // the program file's own descriptive name
};

// The name of the first dock item whose program path is `imagePath` (any case); the
// trash is passed over. Empty when none.
[[nodiscard]] std::wstring DockNameFor(std::span<const DockItemName> items, std::wstring_view imagePath);

// What an "unsaveicon" value gives as a name. The section holds the pictures chosen for
// programs that run without a dock item, so a value naming a file (a folder in it, a
// drive, or a picture or program extension) is no name and gives nothing.
[[nodiscard]] std::wstring_view UnsaveName(std::wstring_view value);

// The name shown: the dock item's name, else a name from "unsaveicon", else the file's
// description, else the file name without its extension.
[[nodiscard]] std::wstring AppName(const NameSources& sources, std::wstring_view imagePath);

enum class TitleSource : std::uint8_t {
    None,       // no titles
    Desktop,    // texts of "findertitle"
    Explorer,   // texts of "findermenubrowser" for File Explorer
    Browser,    // texts of "findermenubrowser" for a web browser
    Fixed,      // the fixed titles of a program without a menu bar of its own
    WindowMenu, // the window's own menu bar: ask the window
};

struct TitlePlan {
    TitleSource source = TitleSource::None;
    std::vector<std::wstring> titles; // for every source but WindowMenu and None
    std::vector<std::wstring> keys;   // each title's language key: which menu of ours it opens
    bool askWindow = false;           // WindowMenu: the window may be asked (it is not hung)
};

struct TitleOptions {
    bool enabled = true;           // "findermenu"
    bool explorerThreeTitles = false; // "Group by" left out of File Explorer's titles
};

// The first rule that yields titles, in the order desktop and File Explorer, browsers,
// fixed titles, the window's own menu (never for layered, tool-window or transparent
// windows, nor for the taskbar). A hung window may still be named; it is not asked.
[[nodiscard]] TitlePlan PlanTitles(const ForegroundFacts& facts, const foundation::ConfigStore& store,
                                   const TitleOptions& options);

// A title as read from a menu bar, made fit to show: blanks around it removed, the
// ampersands that mark access keys dropped ("&&" stays one "&"), and a parenthesised
// access key at the end cut off ("Edit(&E)" -> "Edit"). Tabs and what follows go too.
[[nodiscard]] std::wstring CleanTitle(std::wstring_view raw);
// The titles of a window's own menu, cleaned; titles that come out empty are kept empty
// so indexes still match the menu's positions.
[[nodiscard]] std::vector<std::wstring> CleanTitles(std::span<const std::wstring> raw);

// How a File Explorer window's view is sorted and grouped, as far as its menus show it.
enum class ArrangeColumn : std::uint8_t { None, Name, Modified, Type, Size };
struct Arrangement {
    ArrangeColumn sort = ArrangeColumn::Name; // None: a column the menus do not offer
    bool descending = false;
    ArrangeColumn group = ArrangeColumn::None;
    friend bool operator==(const Arrangement&, const Arrangement&) = default;
};

// An entry of a menu of ours behind a title: it does what it says by pressing the
// keys that do it in the window in front, or, for File Explorer's sorting and grouping,
// by giving its view a new arrangement.
struct OwnMenuEntry {
    std::wstring text;
    std::uint8_t modifiers = 0; // kCtrl | kShift | kAlt | kWin
    std::uint8_t key = 0;       // virtual-key code; 0 for an arrangement
    bool checked = false;
    bool enabled = true;
    Arrangement arrange;        // with key 0: the view's arrangement once chosen
};
inline constexpr std::uint8_t kCtrl = 1, kShift = 2, kAlt = 4, kWin = 8;

// The menu of ours behind a title of the desktop, File Explorer or a browser (by the
// title's language key), with texts of section "findermenuitems"; empty when that
// title has none. `arrangement` is File Explorer's current one when its view can be
// commanded, null when not: its sorting and grouping entries are then shown disabled.
[[nodiscard]] std::vector<OwnMenuEntry> OwnTitleMenu(TitleSource source, std::wstring_view titleKey,
                                                     const foundation::ConfigStore& store,
                                                     const Arrangement* arrangement = nullptr);

// The application's name for a Qt window: its title stands in for the program's name.
[[nodiscard]] bool UsesWindowTitleAsName(std::wstring_view className);

} // namespace kestrana::menubar
