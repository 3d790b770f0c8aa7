#pragma once
// Every page of the settings window, in the order it lists them. A feature adds its page
// here, once; pages that later features fill stand here already, empty.

#include "dock/dock_settings_page.h"
#include "foundation/general_settings_page.h"
#include "foundation/hotkey_settings_page.h"
#include "foundation/settings_pages.h"
#include "menubar/bar_settings_page.h"

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::settings {

// What the pages need from the machine: the autostart entries, the monitors, the
// clock's formatting for the preset samples, and which hotkeys registered.
struct PagePorts {
    foundation::AutostartPort autostart;
    dock::MonitorChoices monitors;
    menubar::PatternSample clockSample;
    foundation::HotkeyStatusOf hotkeyStatus;
};

[[nodiscard]] foundation::SettingsPages AllSettingsPages(foundation::ConfigStore& store, const PagePorts& ports);

} // namespace kestrana::settings
