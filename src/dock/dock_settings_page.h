#pragma once
// The settings window's Dock page: the sizes of the chosen monitor's dock, the effect,
// the edge and the display mode, and the switches of the row.

#include "foundation/settings_pages.h"

#include <functional>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock {

// The monitors whose docks the page sets up, by device name and as labelled.
using MonitorChoices = std::function<std::vector<foundation::Choice>()>;

[[nodiscard]] foundation::PageDescriptor DockSettingsPage(const foundation::ConfigStore& store, MonitorChoices monitors);

} // namespace kestrana::dock
