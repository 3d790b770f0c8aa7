#pragma once
// The settings window's Menu bar page: which screens carry a bar, how it looks and hides,
// the clock's date and time patterns (chosen from the language's presets or typed, with
// or without seconds) and which status items are shown.

#include "foundation/settings_pages.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// A pattern as the clock would show it now (`date`: a date pattern, else a time pattern);
// the page labels the presets with it.
using PatternSample = std::function<std::wstring(const std::wstring& pattern, bool date)>;

// The time pattern with seconds after its minutes (":ss"), or with every seconds field
// taken out; a pattern that already is so comes back as it is.
[[nodiscard]] std::wstring WithSeconds(std::wstring_view pattern);
[[nodiscard]] std::wstring WithoutSeconds(std::wstring_view pattern);

// The screens by device name, as labelled.
using ScreenChoices = std::function<std::vector<foundation::Choice>()>;

[[nodiscard]] foundation::PageDescriptor MenuBarSettingsPage(foundation::ConfigStore& store, PatternSample sample,
                                                             ScreenChoices screens);

} // namespace kestrana::menubar
