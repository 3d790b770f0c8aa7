#pragma once
// One dock's item list from the dock's side: loading it into the row (then labels, then
// asking for the pictures, which arrive from workers), asking for saves after changes, the
// language and theme changes, and the settings page's backup and restore. Called on the
// user-interface thread.

#include "dock/item_backup.h"
#include "dock/item_labels.h"
#include "dock/item_list.h"
#include "dock/item_list_save.h"
#include "dock/item_pictures.h"

namespace kestrana::dock {

struct LoadedRow {
    ItemListSource source = ItemListSource::File; // where the items came from
    PictureRequest pictures;                       // their pictures, on their way
};

class ItemListManager {
public:
    // `codePage` is the settings store's (see LoadItemList).
    ItemListManager(foundation::ConfigStore& store, const ItemShell& shell, const LocalClock& clock,
                    PictureLoader& pictures, foundation::JobRunner& jobs,
                    const foundation::CodePage& codePage = foundation::Windows1252());

    // Loads the list into the row in place of its items, sets labels, asks for the
    // pictures, and saves when the load upgraded something.
    LoadedRow Load(DockItems& row, const PictureState& state, const PictureDelivery& delivery);
    // After any add, remove, move, pin, unpin or edit. False when the job was dropped (the
    // saver logs it; a later save covers the change).
    bool Changed(const DockItems& row) { return m_saver.RequestSave(row); }
    // Before a dock is taken down: lets the saves it asked for reach the file, so that a
    // dock built next loads them. At most `timeout`.
    bool WaitForSaves(std::chrono::milliseconds timeout) const { return m_saver.WaitIdle(timeout); }
    void LanguageChanged(DockItems& row) { ApplyItemLabels(row, m_store, m_clock); }
    // A new kept item as the load would make it from this section (added or dropped).
    [[nodiscard]] std::unique_ptr<Dockico> NewItem(const ItemRecord& record) const;
    // After a theme or appearance change, or an edit of an item's picture.
    PictureRequest PicturesChanged(DockItems& row, const PictureState& state, const PictureDelivery& delivery) {
        return m_pictures.Request(row, state, delivery);
    }
    // Picture requests that found no free worker are asked again; call every second.
    void RetryPictures() { m_pictures.RetryDropped(); }

    [[nodiscard]] ItemBackupResult Backup() { return BackupItemList(m_store, m_clock); }
    // Restores "ico_backup.ini" and loads the row again; false when there was nothing to restore.
    bool Restore(DockItems& row, const PictureState& state, const PictureDelivery& delivery);

    [[nodiscard]] const ItemListSaver& Saver() const { return m_saver; }

private:
    foundation::ConfigStore& m_store;
    const ItemShell& m_shell;
    const LocalClock& m_clock;
    PictureLoader& m_pictures;
    const foundation::CodePage& m_codePage;
    ItemListSaver m_saver;
};

} // namespace kestrana::dock
