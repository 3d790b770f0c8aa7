#pragma once
// The Backup page: a backup of every settings file and its restore, and the dock's own
// item-list backups. The buttons are actions the window hands to the program (they need
// the clock, a file dialog, a restart); choosing an item-list backup is a value of the
// page, kept in "ico_backup.ini", the file an item-list restore takes.

#include "foundation/settings_pages.h"

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::settings {

// The actions of the page's buttons, as ControlDescriptor::action.
inline constexpr wchar_t kBackupAction[] = L"backup";
inline constexpr wchar_t kRestoreAction[] = L"restore";
inline constexpr wchar_t kItemBackupAction[] = L"itembackup";
inline constexpr wchar_t kItemRestoreAction[] = L"itemrestore";

[[nodiscard]] foundation::PageDescriptor BackupSettingsPage(foundation::ConfigStore& store);

} // namespace kestrana::settings
