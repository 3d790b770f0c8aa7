#pragma once
// Choosing the dock skin, the icon set and the clock skin: the settings each choice
// writes and the parts of the program it asks to reload.

#include "foundation/config_store.h"
#include "themes/theme_choices.h"

#include <functional>
#include <string_view>

namespace kestrana::themes {

// What the rest of the program does after a choice. Each hook is filled in by the part
// that owns the thing to reload (posting to the user-interface thread as it needs); an
// empty hook means that part is not running.
struct ThemeReloadHooks {
    std::function<void()> reloadDockSkin;    // every dock loads its skin again
    std::function<void()> reloadDockIcons;   // every dock resolves its item pictures again
    std::function<void()> reloadClockSkin;   // the clock and calendar icons read their skins again
    std::function<void()> reloadMenuBarLogo; // the menu bar loads "finder"/"logopath" again
};

class ThemeChooser {
public:
    ThemeChooser(foundation::ConfigStore& store, ThemeChoices& choices, ThemeReloadHooks hooks = {});

    // "default" removes "themes"/"dockskin" (nothing is written when it is already
    // absent); another name is written unless it is already the value. The docks reload
    // either way, so choosing a skin again picks up its edited files. False when the name
    // is unusable or the file could not be written.
    bool ChooseDockSkin(std::wstring_view name);

    // Makes the theme the icon set, and takes over what it carries: its calendar skin
    // ("cal"/"enabled" = 2), its clock skin ("timeskin") and its menu-bar logo
    // ("finder"/"logopath"); then the docks reload their icons.
    bool ChooseIconSet(std::wstring_view name);

    bool ChooseClockSkin(std::wstring_view name);

private:
    static void Run(const std::function<void()>& hook);

    foundation::ConfigStore& m_store;
    ThemeChoices& m_choices;
    ThemeReloadHooks m_hooks;
};

} // namespace kestrana::themes
