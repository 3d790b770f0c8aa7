#pragma once
// The theme lists of the settings window: the dock skins and the icon sets found under
// "themes\", the current choice marked, followed by two command rows.

#include "foundation/config_store.h"
#include "themes/theme_choices.h"

#include <string>
#include <vector>

namespace kestrana::themes {

// List ids of the two command rows after the themes.
inline constexpr int kListIdWorkshop = -99;
inline constexpr int kListIdNewTheme = -100;

struct ThemeListEntry {
    std::wstring name;   // folder name, what the choice stores; empty for a command row
    std::wstring label;  // what the list shows: "name" of theme.ini, else the folder name
    int listId = 0;      // position among the themes (0, 1, ...), or one of the command ids
    bool current = false;

    [[nodiscard]] bool IsCommand() const { return listId < 0; }
};

// Every theme folder with "dockskin\config.ini"; the current one is "themes"/"dockskin"
// ("default" when absent).
[[nodiscard]] std::vector<ThemeListEntry> ListDockSkins(const foundation::ConfigStore& store);
// Every theme folder with "clock\config.ini"; the current one is the clock skin in use.
[[nodiscard]] std::vector<ThemeListEntry> ListClockSkins(const foundation::ConfigStore& store,
                                                         const ThemeChoices& choices);
// Every theme folder with an "icons\" folder; the current one is the icon set in use.
[[nodiscard]] std::vector<ThemeListEntry> ListIconSets(const foundation::ConfigStore& store,
                                                       const ThemeChoices& choices);

} // namespace kestrana::themes
