#include "settings/settings_catalogue.h"

#include "extras/animation_settings_page.h"
#include "settings/backup_settings_page.h"
#include "extras/corner_settings_pages.h"
#include "extras/stage_settings_page.h"
#include "weather/weather_settings_page.h"

namespace kestrana::settings {

foundation::SettingsPages AllSettingsPages(foundation::ConfigStore& store, const PagePorts& ports) {
    using foundation::SettingText;
    foundation::SettingsPages pages;
    pages.Add(foundation::GeneralSettingsPage(store, ports.autostart, ports.unsafeFolder));
    pages.Add(dock::DockSettingsPage(store, ports.monitors));
    pages.Add(dock::PreviewSettingsPage());
    pages.Add(menubar::MenuBarSettingsPage(store, ports.clockSample, ports.monitors));
    pages.Add(launchers::LaunchpadSettingsPage(store, ports.monitors, ports.confirm, ports.padExcluded));
    pages.Add(launchers::FolderStackSettingsPage());
    pages.Add(extras::AnimationSettingsPage(store, ports.animationExcluded));
    pages.Add(themes::ThemeSettingsPage(store, ports.themeChoices, ports.decoder));
    // Filled by the features of their own.
    pages.Add(foundation::HotkeySettingsPage(store, ports.hotkeyStatus));
    pages.Add(extras::HotCornersSettingsPage(store, ports.windows11));
    pages.Add(extras::ScreenCornersSettingsPage(ports.monitors, ports.uiAccessPossible));
    pages.Add(extras::StageManagerSettingsPage(ports.monitors));
    pages.Add(weather::WeatherSettingsPage(ports.placeSearch));
    pages.Add(BackupSettingsPage(store));
    return pages;
}

} // namespace kestrana::settings
