#pragma once
// The settings window's General page: the language, how the program starts with
// Windows, the taskbar, and a restart.

#include "foundation/autostart.h"
#include "foundation/settings_pages.h"

#include <functional>

namespace kestrana::foundation {

class ConfigStore;

// The autostart entries live in the registry and the task scheduler, outside the
// settings files; the platform reads and writes them (writing answers the mode read back).
struct AutostartPort {
    std::function<AutostartMode()> read;
    std::function<AutostartMode(AutostartMode)> write;
};

// The languages of the "lang" folder: each ".ini" file's base name, labelled with the
// name the file gives itself ("language"/"name"), or the base name when it has none.
[[nodiscard]] std::vector<Choice> LanguageChoices(const ConfigStore& store);

// The action of the button shown when the program runs as administrator from a folder
// others can change: it opens that folder.
inline constexpr wchar_t kOpenProgramFolderAction[] = L"openprogramfolder";

// `unsafeFolder`: the program runs elevated from a folder others can change.
[[nodiscard]] PageDescriptor GeneralSettingsPage(ConfigStore& store, AutostartPort autostart, bool unsafeFolder = false);

} // namespace kestrana::foundation
