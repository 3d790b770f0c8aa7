#include "dock/dock_menus.h"

#include "dock/app_identity.h"
#include "foundation/recent_files.h"
#include "foundation/config_store.h"

#include <array>

namespace kestrana::dock {
namespace {

using gfx::MenuItem;
namespace cmd = dock_command;

struct OptionSection {
    int command;
    std::wstring_view section;
    std::wstring_view textKey;
    std::wstring_view text;
};

constexpr std::array<OptionSection, 4> kOptionSections{{
    {cmd::kNoMinimiseEffect, L"blacklistwindows", L"NominiEffect", L"No Minimise Effect"},
    {cmd::kMessageCounts, L"MsgTips", L"msgtips", L"Show Notification Counts"},
    {cmd::kNoProgressBar, L"blacklistprogressbar", L"nevershowprogress bar", L"Never Show Progress"},
    {cmd::kNeverShow, L"blacklist", L"nevershowthis", L"Never Show as Running"},
}};

const OptionSection* OptionFor(int command) {
    for (const auto& option : kOptionSections)
        if (option.command == command) return &option;
    return nullptr;
}

std::wstring Text(const foundation::ConfigStore& store, std::wstring_view key, std::wstring_view fallback) {
    return store.LanguageText(L"menu", key, fallback);
}

// Items the dock itself provides: never removed from it, and without program options.
bool OwnedByDock(std::wstring_view appname) { return appname == L"trash|" || appname == L"launchpad|"; }

// Special items that only show something: nothing to open or quit from the menu.
bool WithoutOpenOrQuit(std::wstring_view appname) {
    return appname == L"weather" || appname == L"battery" || appname == L"taskbar";
}

struct SpecialName {
    std::wstring_view appname;
    std::wstring_view section;
    std::wstring_view key;
    std::wstring_view text;
};

constexpr std::array<SpecialName, 12> kSpecialNames{{
    {L"launchpad|", L"iconame", L"launchpad", L"Launchpad"},
    {L"trash|", L"iconame", L"trash", L"Trash"},
    {L"cal|", L"iconame", L"cal", L"Calendar"},
    {L"systemtime", L"menu", L"clockitem", L"Clock"},
    {L"startmenu", L"iconame", L"startmenu", L"Start"},
    {L"taskbar", L"systemicon", L"taskbar", L"Taskbar"},
    {L"controlpanel", L"systemicon", L"controlpanel", L"Control Panel"},
    {L"mydocuments", L"menu", L"documentsitem", L"Documents"},
    {L"network", L"systemicon", L"network", L"Network"},
    {L"weather", L"systemicon", L"weather", L"Weather"},
    {L"battery", L"systemicon", L"battery", L"Battery"},
    {L"virtualdesktop", L"menu", L"taskviewitem", L"Task View"},
}};

std::wstring SpecialItemName(const foundation::ConfigStore& store, std::wstring_view appname) {
    for (const auto& name : kSpecialNames)
        if (name.appname == appname) return store.LanguageText(name.section, name.key, name.text);
    return std::wstring(appname);
}

} // namespace

DockMenu BuildBackgroundMenu(const foundation::ConfigStore& store, bool onSeparator, bool taskbarShown) {
    DockMenu menu;
    menu.kind = DockMenuKind::Background;
    auto& rows = menu.rows;
    rows.push_back(MenuItem::Command(cmd::kAddProgram, Text(store, L"addnormalicon", L"Add Program...")));
    gfx::Menu specials;
    const auto& addable = AddableSpecialItems();
    for (std::size_t i = 0; i < addable.size(); ++i) {
        const std::wstring name = SpecialItemName(store, addable[i]);
        specials.push_back(MenuItem::Command(cmd::kAddSpecialFirst + static_cast<int>(i), name));
    }
    rows.push_back(MenuItem::Sub(Text(store, L"addsystemicon", L"Add System Item"), std::move(specials)));
    rows.push_back(MenuItem::Command(cmd::kAddSeparator, Text(store, L"add delimiter", L"Add Separator")));
    if (onSeparator)
        rows.push_back(MenuItem::Command(cmd::kRemoveSeparator, Text(store, L"del delimiter", L"Remove Separator")));
    rows.push_back(MenuItem::Rule());
    rows.push_back(taskbarShown ? MenuItem::Command(cmd::kHideTaskbar, Text(store, L"hidetaskbar", L"Hide Taskbar"))
                                : MenuItem::Command(cmd::kShowTaskbar, Text(store, L"showtaskbar", L"Show Taskbar")));
    rows.push_back(MenuItem::Command(cmd::kLock, store.LanguageText(L"settingUI", L"lockicon", L"Lock Dock Items"),
                                     store.ReadBool(L"normal", L"lockicon")));
    rows.push_back(MenuItem::Rule());
    rows.push_back(MenuItem::Command(cmd::kRestartDock,
                                     store.LanguageText(L"settingUI", L"restartdock", L"Restart Kestrana")));
    rows.push_back(MenuItem::Command(cmd::kPreference, Text(store, L"preference", L"Settings...")));
    rows.push_back(MenuItem::Command(cmd::kEndDock, Text(store, L"enddock", L"Quit Kestrana")));
    return menu;
}

namespace {

// A rule between groups: never first, never two in a row.
void AddRule(gfx::Menu& rows) {
    if (!rows.empty() && !rows.back().separator) rows.push_back(MenuItem::Rule());
}

void AddRecentRows(const foundation::ConfigStore& store, const ItemMenuFacts& facts, DockMenu& menu) {
    gfx::Menu recent;
    for (const std::wstring& file : facts.recent) {
        const int id = cmd::kRecentFirst + static_cast<int>(menu.recent.size());
        recent.push_back(MenuItem::Command(id, foundation::RecentRowText(file)));
        menu.recent.push_back(file);
    }
    if (!recent.empty())
        menu.rows.push_back(MenuItem::Sub(Text(store, L"RecentFiles", L"Recent Items"), std::move(recent)));
}

// The file manager's own rows: its recent items, the system tools and the window commands.
void AddFileManagerRows(const foundation::ConfigStore& store, const ItemMenuFacts& facts, DockMenu& menu) {
    auto& rows = menu.rows;
    AddRecentRows(store, facts, menu);
    gfx::Menu tools;
    for (std::size_t i = 0; i < SystemTools().size(); ++i)
        tools.push_back(MenuItem::Command(cmd::kSystemToolFirst + static_cast<int>(i),
                                          Text(store, SystemTools()[i].key, SystemTools()[i].text)));
    rows.push_back(MenuItem::Sub(Text(store, L"systemmenu", L"System"), std::move(tools)));
    AddRule(rows);
    rows.push_back(
        MenuItem::Command(cmd::kNewFileManagerWindow, Text(store, L"newfinderwindow", L"New File Explorer Window")));
    rows.push_back(MenuItem::Command(cmd::kGoToFolder, Text(store, L"gotofolder", L"Go to Folder...")));
    rows.push_back(MenuItem::Command(cmd::kConnectToServer, Text(store, L"connecttoserver", L"Connect to Server...")));
    rows.push_back(MenuItem::Command(cmd::kShowDesktop, Text(store, L"showmodedesktop", L"Show Desktop")));
    AddRule(rows);
}

// The "Options" sub-menu: keeping, the window list, the per-program switches and the launch
// variants of an item with a file.
gfx::Menu OptionRows(const foundation::ConfigStore& store, const ItemMenuFacts& facts, DockMenuKind kind) {
    const std::wstring_view app = facts.appname;
    gfx::Menu options;
    if (!OwnedByDock(app))
        options.push_back(facts.kept
                              ? MenuItem::Command(cmd::kRemove, Text(store, L"removefromdock", L"Remove from Dock"))
                              : MenuItem::Command(cmd::kKeep, Text(store, L"keepindock", L"Keep in Dock")));
    if (!facts.windows.empty() && kind != DockMenuKind::Special)
        options.push_back(MenuItem::Command(cmd::kShowAllWindows, Text(store, L"showmodeapps", L"Show All Windows")));
    if (kind != DockMenuKind::Item) return options;
    options.push_back(MenuItem::Rule());
    for (const auto& option : kOptionSections)
        options.push_back(MenuItem::Command(option.command, Text(store, option.textKey, option.text),
                                            store.HasKey(option.section, app)));
    if (facts.hasFilepath) {
        options.push_back(MenuItem::Rule());
        if (facts.running)
            options.push_back(MenuItem::Command(cmd::kRunAgain, Text(store, L"runagain", L"Open Another Window")));
        options.push_back(MenuItem::Command(cmd::kAdmin, Text(store, L"adminmode", L"Open as Administrator")));
        options.push_back(MenuItem::Command(cmd::kLocation, Text(store, L"locationfile", L"Show in Folder")));
    }
    return options;
}

} // namespace

DockMenu BuildItemMenu(const foundation::ConfigStore& store, const ItemMenuFacts& facts) {
    DockMenu menu;
    const std::wstring_view app = facts.appname;
    menu.kind = app == L"explorer.exe"  ? DockMenuKind::FileManager
                : app == L"trash|"      ? DockMenuKind::Trash
                : IsSpecialKey(app)     ? DockMenuKind::Special
                                        : DockMenuKind::Item;
    auto& rows = menu.rows;
    if (menu.kind == DockMenuKind::FileManager) AddFileManagerRows(store, facts, menu);
    // A folder item's own entries come first; the folder menu builder supplies them.
    if (!facts.folderRows.empty()) {
        rows.insert(rows.end(), facts.folderRows.begin(), facts.folderRows.end());
        AddRule(rows);
    }
    if (menu.kind == DockMenuKind::Item && !facts.recent.empty()) {
        AddRecentRows(store, facts, menu);
        AddRule(rows);
    }
    if (!PrivateWindowSwitch(app).empty()) {
        rows.push_back(MenuItem::Command(cmd::kPrivateWindow, Text(store, L"incognito", L"New Private Window")));
        AddRule(rows);
    }
    for (const MenuWindow& window : facts.windows) {
        const int id = cmd::kWindowFirst + static_cast<int>(menu.windows.size());
        rows.push_back(MenuItem::Command(id, window.title.empty() ? std::wstring(app) : window.title));
        menu.windows.push_back(window.id);
    }
    AddRule(rows);

    if (menu.kind == DockMenuKind::Trash) {
        rows.push_back(MenuItem::Command(cmd::kOpen, Text(store, L"open", L"Open")));
        rows.push_back(MenuItem::Command(cmd::kEmptyTrash, Text(store, L"emptytrash", L"Empty Trash")));
        return menu;
    }
    if (gfx::Menu options = OptionRows(store, facts, menu.kind); !options.empty())
        rows.push_back(MenuItem::Sub(Text(store, L"otheroption", L"Options"), std::move(options)));
    if (!WithoutOpenOrQuit(app) && !OwnedByDock(app)) {
        AddRule(rows);
        rows.push_back(facts.running ? MenuItem::Command(cmd::kQuit, Text(store, L"quit", L"Quit"))
                                     : MenuItem::Command(cmd::kOpen, Text(store, L"open", L"Open")));
    } else if (app == L"launchpad|") {
        AddRule(rows);
        rows.push_back(MenuItem::Command(cmd::kOpen, Text(store, L"open", L"Open")));
    }
    while (!rows.empty() && rows.back().separator) rows.pop_back();
    return menu;
}

const std::vector<std::wstring_view>& AddableSpecialItems() {
    static const std::vector<std::wstring_view> items = [] {
        std::vector<std::wstring_view> all;
        for (const auto& name : kSpecialNames) all.push_back(name.appname);
        return all;
    }();
    return items;
}

std::optional<WindowId> WindowOfCommand(const DockMenu& menu, int command) {
    const int row = command - cmd::kWindowFirst;
    if (row < 0 || static_cast<std::size_t>(row) >= menu.windows.size()) return std::nullopt;
    return menu.windows[static_cast<std::size_t>(row)];
}

std::optional<std::wstring> RecentOfCommand(const DockMenu& menu, int command) {
    const int row = command - cmd::kRecentFirst;
    if (row < 0 || static_cast<std::size_t>(row) >= menu.recent.size()) return std::nullopt;
    return menu.recent[static_cast<std::size_t>(row)];
}

const std::vector<SystemTool>& SystemTools() {
    static const std::vector<SystemTool> tools{
        {L"systemsettings", L"Settings", L"ms-settings:", L""},
        {L"systemcontrolpanel", L"Control Panel", L"control.exe", L""},
        {L"systemtaskmanager", L"Task Manager", L"taskmgr.exe", L""},
        {L"systemdevices", L"Device Manager", L"devmgmt.msc", L""},
        {L"systemconsole", L"Command Prompt", L"cmd.exe", L""},
        {L"systemrun", L"Run...", L"explorer.exe", L"shell:::{2559a1f3-21d7-11d4-bdaf-00c04f60b9f0}"},
    };
    return tools;
}

const SystemTool* SystemToolOfCommand(int command) {
    const int row = command - cmd::kSystemToolFirst;
    if (row < 0 || static_cast<std::size_t>(row) >= SystemTools().size()) return nullptr;
    return &SystemTools()[static_cast<std::size_t>(row)];
}

std::wstring_view PrivateWindowSwitch(std::wstring_view appname) {
    if (appname == L"chrome.exe") return L"-incognito";
    if (appname == L"msedge.exe") return L"-inprivate";
    if (appname == L"firefox.exe") return L"-private";
    return {};
}

bool ToggleProgramOption(foundation::ConfigStore& store, int command, std::wstring_view appname) {
    const OptionSection* option = OptionFor(command);
    if (!option || appname.empty()) return false;
    if (store.HasKey(option->section, appname)) return store.DeleteKey(option->section, appname);
    return store.WriteInt(option->section, appname, 1);
}

bool ApplyRowCommand(DockItems& row, std::size_t index, int command) {
    if (command == cmd::kAddSeparator) {
        // Before the item clicked, or at the end when the click was beside the row.
        const std::size_t at = index && !DockItems::IsPlaceholderIndex(index, row.Size()) ? index : row.EndReal();
        auto separator = MakeDockico(true);
        separator->sizeFactor = 0; // grows in
        row.Insert(at, std::move(separator));
        return true;
    }
    if (!index || index >= row.Size() || DockItems::IsPlaceholderIndex(index, row.Size())) return false;
    Dockico& item = row[index];
    switch (command) {
    case cmd::kRemoveSeparator:
        if (!item.IsSeparator()) return false;
        item.kept = false;
        item.leaving = true;
        return true;
    case cmd::kKeep:
        if (item.kept) return false;
        item.kept = true;
        return true;
    case cmd::kRemove:
        if (!item.kept || OwnedByDock(item.appname)) return false;
        item.kept = false;
        if (!item.running) item.leaving = true;
        return true;
    default: return false;
    }
}

} // namespace kestrana::dock
