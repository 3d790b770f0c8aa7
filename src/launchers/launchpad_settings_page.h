#pragma once
// The settings window's Launchpad and Folder stacks pages. The Launchpad's sizes are the
// chosen monitor's; its source choice goes through the catalogue's own rule (a source
// without an arrangement yet asks first), the exclusion list edits padconfig.ini's
// "delete" section, and the pack buttons export and import "pad.zip".

#include "foundation/settings_pages.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::launchers {

inline constexpr wchar_t kPadExportAction[] = L"padexport";
inline constexpr wchar_t kPadImportAction[] = L"padimport";
inline constexpr wchar_t kPadIncludeAction[] = L"padinclude";

// The user's answer to a question the page has to ask (true: go ahead).
using Confirm = std::function<bool(const std::wstring& question)>;

// The applications left out of the scans, as padconfig.ini lists them.
[[nodiscard]] std::vector<std::wstring> ExcludedApplications(const foundation::ConfigStore& store);
// Takes an application off that list: the next scan finds it again.
bool IncludeApplication(foundation::ConfigStore& store, const std::wstring& path);

// `monitors` lists the screens; `confirm` asks before a source without an arrangement is
// chosen. `excludedChoice` is the exclusion list's chosen entry, shared with the action
// that takes it off the list.
[[nodiscard]] foundation::PageDescriptor LaunchpadSettingsPage(
    foundation::ConfigStore& store, std::function<std::vector<foundation::Choice>()> monitors, Confirm confirm,
    std::shared_ptr<std::wstring> excludedChoice);

[[nodiscard]] foundation::PageDescriptor FolderStackSettingsPage();

} // namespace kestrana::launchers
