#pragma once
// Every page of the settings window, in the order it lists them. A feature adds its page
// here, once; pages that later features fill stand here already, empty.

#include "dock/dock_settings_page.h"
#include "dock/preview_settings_page.h"
#include "launchers/launchpad_settings_page.h"
#include "foundation/general_settings_page.h"
#include "foundation/hotkey_settings_page.h"
#include "foundation/settings_pages.h"
#include "menubar/bar_settings_page.h"
#include "themes/theme_settings_page.h"
#include "weather/weather_settings_page.h"

#include <functional>
#include <memory>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::settings {

// What the pages need from the machine: the autostart entries, the monitors, the clock's
// formatting for the preset samples, which hotkeys registered and the user's answer to a
// question. The chosen entries of the exclusion lists are shared with the actions that
// take them off.
struct PagePorts {
    foundation::AutostartPort autostart;
    dock::MonitorChoices monitors;
    menubar::PatternSample clockSample;
    foundation::HotkeyStatusOf hotkeyStatus;
    launchers::Confirm confirm;
    std::shared_ptr<std::wstring> padExcluded = std::make_shared<std::wstring>();
    std::shared_ptr<std::wstring> animationExcluded = std::make_shared<std::wstring>();
    std::shared_ptr<weather::PlaceSearchState> placeSearch = std::make_shared<weather::PlaceSearchState>();
    themes::ThemeChoices* themeChoices = nullptr; // the running program's, when there is one
    const gfx::ImageDecoder* decoder = nullptr;   // pictures of the skins, when there is one
    bool windows11 = false;
    std::function<bool()> uiAccessPossible; // the companion with UI access can run here
    bool unsafeFolder = false; // running as administrator from a folder others can change
};

[[nodiscard]] foundation::SettingsPages AllSettingsPages(foundation::ConfigStore& store, const PagePorts& ports);

} // namespace kestrana::settings
