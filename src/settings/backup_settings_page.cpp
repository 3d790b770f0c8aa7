#include "settings/backup_settings_page.h"

#include "dock/item_backup.h"
#include "foundation/config_store.h"

#include <memory>

namespace kestrana::settings {

using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingText;

foundation::PageDescriptor BackupSettingsPage(foundation::ConfigStore& store) {
    foundation::PageDescriptor page{L"backup", SettingText(L"pagebackup", L"Backup"), {}};
    page.controls.push_back(foundation::ActionButton(L"backupnow", SettingText(L"backupnow", L"Back up now"), kBackupAction,
                                   {L"settingtips", L"backupnowtip",
                                    L"Saves all settings in one zip file in the backup folder."}));
    page.controls.push_back(foundation::ActionButton(L"restorebackup", SettingText(L"restorebackup", L"Restore\u2026"), kRestoreAction,
                                   {L"settingtips", L"restorebackuptip",
                                    L"Restarts Kestrana; the replaced settings stay in the backup folder."}));

    // The dock's item-list backups: the chosen one becomes "ico_backup.ini".
    auto chosen = std::make_shared<std::wstring>();
    ControlDescriptor list;
    list.id = L"itembackups";
    list.kind = ControlKind::Combo;
    list.label = SettingText(L"locationbackup", L"Backup location");
    list.listChoices = [&store] {
        std::vector<foundation::Choice> choices;
        for (std::wstring& name : dock::ListItemBackups(store)) {
            foundation::TextRef label{L"", L"", name};
            choices.push_back({std::move(name), std::move(label)});
        }
        return choices;
    };
    list.custom = foundation::CustomValue{[chosen] { return *chosen; },
                                          [&store, chosen](const std::wstring& name) {
                                              if (!dock::ChooseItemBackup(store, name)) return false;
                                              *chosen = name;
                                              return true;
                                          }};
    page.controls.push_back(std::move(list));
    page.controls.push_back(foundation::ActionButton(L"itembackup", SettingText(L"Addbackupdockico", L"Back up dock items"), kItemBackupAction));
    page.controls.push_back(foundation::ActionButton(L"itemrestore", SettingText(L"restoredockico", L"Restore dock items"), kItemRestoreAction));
    return page;
}

} // namespace kestrana::settings
