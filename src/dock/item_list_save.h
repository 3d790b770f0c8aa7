#pragma once
// Saving the dock's item list. Every change of the list asks for a save; the save runs
// as a background job that copies the pinned items under the bars-list, item-list and
// window-list locks, lets go of them, writes "ico_back.ini" in one piece and then rotates the files:
// "ico.ini" becomes "ico_bak.ini" and "ico_back.ini" becomes "ico.ini". At every instant
// a whole "ico.ini" or a whole "ico_bak.ini" is on disk, so an interrupted save never
// loses the list. A list of 2 or fewer items never replaces "ico.ini".

#include "dock/dockico.h"
#include "dock/item_list_file.h"
#include "foundation/job_runner.h"
#include "foundation/file_system.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrana::dock {

enum class ItemSaveResult {
    Saved,          // "ico.ini" holds the new list, "ico_bak.ini" the one before
    KeptShortList,  // 2 or fewer items: written to "ico_back.ini" only
    Stopped,        // the program is quitting; "ico.ini" untouched from that step on
    Failed,         // a file operation failed; the files are as the last good step left them
    Superseded,     // a later request saved the list first
    RowGone,        // the dock was taken down before the job could copy its row
};

// An item belongs in the file when it has a real id, is pinned, and either has no
// windows or is running (a pinned item whose program ended keeps its place).
[[nodiscard]] bool IsSavedItem(const Dockico& item);

// The record a save writes for an item.
[[nodiscard]] ItemRecord RecordOf(const Dockico& item);

// The records of the items to save, in row order. Takes the bars-list lock and then the
// row's item-list and window-list locks, only for as long as it walks the row.
[[nodiscard]] std::vector<ItemRecord> SnapshotItems(const DockItems& row);
// The same through a link: nothing when the row is gone.
[[nodiscard]] std::optional<std::vector<ItemRecord>> SnapshotItems(const RowLink& link);

// Writes the records and rotates the files in the program folder `baseFolder` (ending in
// a backslash). `quitting` is asked before every step. Takes turns with other saves,
// restores and backups through ItemFilesMutex().
ItemSaveResult WriteItemList(foundation::FileSystem& files, const std::wstring& baseFolder,
                             std::span<const ItemRecord> records, const std::function<bool()>& quitting = {});

// Starts save jobs for the docks. A job reaches its row through the row's link, so the
// row may be destroyed first (the job then writes nothing); the saver may go first too.
// Failures and dropped requests go to the diagnostic log.
class ItemListSaver {
public:
    ItemListSaver(foundation::FileSystem& files, std::wstring baseFolder, foundation::JobRunner& jobs);

    // Asks for a save of the row as it will be when the job runs. False when the runner
    // dropped the job (21 jobs running or quitting).
    bool RequestSave(const DockItems& row);
    // The result of the last save job that finished, for diagnostics and tests.
    [[nodiscard]] ItemSaveResult LastResult() const;
    // The number of save jobs that have finished.
    [[nodiscard]] std::uint64_t Finished() const;
    // Waits at most `timeout` until no save job is pending; true when none is. Before a
    // dock is taken down, so that the changes it asked to save reach the file first.
    bool WaitIdle(std::chrono::milliseconds timeout) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
    foundation::JobRunner& m_jobs;
};

} // namespace kestrana::dock
