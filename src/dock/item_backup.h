#pragma once
// Manual backups of the dock's item list from the settings page: dated copies in the
// "backup" folder plus "ico_backup.ini" in the program folder, and the restore of
// "ico_backup.ini" as the new "ico.ini". The messages for the user come back to the
// caller, which shows them.

#include "dock/item_list_ports.h"
#include "foundation/config_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrana::dock {

struct ItemBackupResult {
    bool ok = false;
    std::wstring message;  // the language text to show
    std::wstring fileName; // the dated copy's name in the backup folder
};

// "2024-3-5 9_07_02" is written "2024-3-5 9_7_2": plain numbers, then ".dockico.ini".
[[nodiscard]] std::wstring ItemBackupName(const LocalTime& time);

// Copies "ico.ini" into the backup folder under a dated name and to "ico_backup.ini".
[[nodiscard]] ItemBackupResult BackupItemList(foundation::ConfigStore& store, const LocalClock& clock);

// The ".dockico.ini" files of the backup folder, newest first (by the date in the name;
// names without one come last, in name order).
[[nodiscard]] std::vector<std::wstring> ListItemBackups(const foundation::ConfigStore& store);

// Makes a dated backup the one a restore takes: copies it to "ico_backup.ini". Only a
// plain file name of the backup folder is accepted.
bool ChooseItemBackup(foundation::ConfigStore& store, std::wstring_view fileName);

// Restores "ico_backup.ini": it becomes "ico.ini" and "ico_bak.ini" goes, so the list
// before the restore cannot come back by itself. False (and nothing changed) when there
// is no backup or it holds no section. The caller reloads the dock's items on success.
bool RestoreItemList(foundation::ConfigStore& store);

} // namespace kestrana::dock
