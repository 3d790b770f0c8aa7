#pragma once
// The settings window's page for the stage manager: each monitor's switch, side, show
// mode, slot size, space and count, border, and whether the column shows window titles.

#include "foundation/settings_pages.h"

#include <functional>
#include <vector>

namespace kestrana::extras {

// `monitors`: the monitors by device name, as labelled.
[[nodiscard]] foundation::PageDescriptor StageManagerSettingsPage(std::function<std::vector<foundation::Choice>()> monitors);

} // namespace kestrana::extras
