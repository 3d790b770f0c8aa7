#pragma once
// The settings window's pages for the corners: the three actions of each bottom corner,
// and each monitor's rounded corners (switch, size, colour) with the UI-access option.

#include "foundation/settings_pages.h"

#include <functional>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::extras {

// `windows11`: the widgets action can run here; elsewhere choosing it is refused with a tip.
[[nodiscard]] foundation::PageDescriptor HotCornersSettingsPage(foundation::ConfigStore& store, bool windows11);

// `monitors`: the monitors by device name, as labelled. `uiAccessPossible`: the companion
// with UI access can be installed and started here (a signed build in a protected
// folder); where it cannot, the option refuses with a tip that says why.
[[nodiscard]] foundation::PageDescriptor ScreenCornersSettingsPage(
    std::function<std::vector<foundation::Choice>()> monitors, std::function<bool()> uiAccessPossible);

} // namespace kestrana::extras
