#include "dock/item_list_save.h"

#include "foundation/diagnostic_log.h"

#include <mutex>
#include <unordered_map>

namespace kestrana::dock {

using foundation::FileSystem;

namespace {

// Whole or absent at every instant, unlike a plain copy: the content goes in by replace.
bool CopyWhole(FileSystem& files, const std::wstring& from, const std::wstring& to) {
    const auto content = files.Read(from);
    return content && files.Replace(to, *content);
}

} // namespace

bool IsSavedItem(const Dockico& item) {
    return item.id != kNoItemId && item.id != kDragGapItemId && item.kept.load() &&
           (item.windows.empty() || item.running.load());
}

ItemRecord RecordOf(const Dockico& item) {
    ItemRecord record;
    record.delimiter = item.delimiter;
    if (item.delimiter) return record;
    record.tag = item.tag;
    record.appname = item.appname;
    record.filepath = item.filepath;
    record.realpath = item.realpath;
    record.virtualpath = item.virtualpath;
    record.runline = item.runline;
    record.icopath = item.icopath;
    record.uwp = static_cast<int>(item.appKind);
    return record;
}

namespace {

// The caller holds the bars-list lock.
std::vector<ItemRecord> CopyRow(const DockItems& row) {
    std::vector<ItemRecord> records;
    std::lock_guard list(row.ListMutex());
    std::lock_guard windows(row.WindowListMutex());
    if (!DockItems::HasItemRange(row.Size())) return records;
    records.reserve(row.RealCount());
    row.ForEachReal([&](std::size_t, const Dockico& item) {
        if (IsSavedItem(item)) records.push_back(RecordOf(item));
    });
    return records;
}

} // namespace

std::vector<ItemRecord> SnapshotItems(const DockItems& row) {
    std::lock_guard bars(BarsListMutex());
    return CopyRow(row);
}

std::optional<std::vector<ItemRecord>> SnapshotItems(const RowLink& link) {
    std::lock_guard bars(BarsListMutex());
    if (const DockItems* row = link.Row()) return CopyRow(*row);
    return std::nullopt;
}

namespace {

// The virtual paths that name existing files. Asked before the files are locked: a virtual
// path can lie in a known folder redirected to a share, and a share that does not answer
// must not hold every other user of the files (the dock's own reload among them).
using VirtualFiles = std::unordered_map<std::wstring, bool>;
VirtualFiles AskVirtualFiles(const FileSystem& files, std::span<const ItemRecord> records) {
    VirtualFiles known;
    for (const auto& record : records)
        if (!record.virtualpath.empty() && !known.contains(record.virtualpath))
            known.emplace(record.virtualpath, files.IsFile(record.virtualpath));
    return known;
}

// The save itself; the caller holds ItemFilesMutex(). A virtual path not asked before
// (the row changed in between) is kept in the file; the next save settles it.
ItemSaveResult WriteHoldingFiles(FileSystem& files, const std::wstring& baseFolder, std::span<const ItemRecord> records,
                                 const VirtualFiles& virtualFiles, const std::function<bool()>& quitting) {
    const auto stop = [&] { return quitting && quitting(); };
    const std::wstring current = baseFolder + std::wstring(kItemFile);
    const std::wstring fresh = baseFolder + std::wstring(kItemSaveFile);
    const std::wstring previous = baseFolder + std::wstring(kItemPreviousFile);

    std::vector<ItemKeys> sections;
    sections.reserve(records.size());
    for (const auto& record : records) {
        const auto known = virtualFiles.find(record.virtualpath);
        const bool virtualpathIsFile = known != virtualFiles.end() && known->second;
        sections.push_back(SectionKeys(record, virtualpathIsFile));
    }
    std::size_t written = 0;
    const auto bytes = ComposeItemFile(sections, &written);

    if (stop()) return ItemSaveResult::Stopped;
    files.Remove(fresh); // what an interrupted save left behind
    if (stop()) return ItemSaveResult::Stopped;
    if (!files.Replace(fresh, bytes)) return ItemSaveResult::Failed;
    if (written <= 2) return ItemSaveResult::KeptShortList;

    if (stop()) return ItemSaveResult::Stopped;
    files.Remove(previous);
    if (stop()) return ItemSaveResult::Stopped;
    const bool keptAside = !files.IsFile(current) || files.Rename(current, previous) || files.Copy(current, previous);
    if (stop()) return ItemSaveResult::Stopped;
    if (!keptAside) {
        // With no copy of the old list beside it, "ico.ini" must never be missing: swap
        // the new list in with one replacing move.
        return files.Rename(fresh, current, true) || CopyWhole(files, fresh, current) ? ItemSaveResult::Saved
                                                                                       : ItemSaveResult::Failed;
    }
    files.Remove(current);
    if (stop()) return ItemSaveResult::Stopped;
    // A missing "ico.ini" from here on is restored from "ico_bak.ini" at the next start.
    if (files.Rename(fresh, current) || CopyWhole(files, fresh, current)) return ItemSaveResult::Saved;
    return ItemSaveResult::Failed;
}

} // namespace

ItemSaveResult WriteItemList(FileSystem& files, const std::wstring& baseFolder, std::span<const ItemRecord> records,
                             const std::function<bool()>& quitting) {
    const VirtualFiles virtualFiles = AskVirtualFiles(files, records);
    std::lock_guard filesLock(ItemFilesMutex());
    return WriteHoldingFiles(files, baseFolder, records, virtualFiles, quitting);
}

struct ItemListSaver::State {
    FileSystem& files;
    std::wstring baseFolder;
    std::atomic<std::uint64_t> requested{0};
    std::uint64_t taken = 0; // newest request whose row has been copied; under ItemFilesMutex
    std::atomic<int> lastResult{static_cast<int>(ItemSaveResult::Saved)};
    std::atomic<std::uint64_t> finished{0};
    mutable std::mutex pendingMutex;
    mutable std::condition_variable idle;
    int pending = 0; // jobs started and not finished; under pendingMutex

    State(FileSystem& f, std::wstring base) : files(f), baseFolder(std::move(base)) {}

    void Finish() {
        std::lock_guard lock(pendingMutex);
        --pending;
        idle.notify_all();
    }
};

ItemListSaver::ItemListSaver(FileSystem& files, std::wstring baseFolder, foundation::JobRunner& jobs)
    : m_state(std::make_shared<State>(files, std::move(baseFolder))), m_jobs(jobs) {
    if (!m_state->baseFolder.empty() && m_state->baseFolder.back() != L'\\') m_state->baseFolder += L'\\';
}

bool ItemListSaver::RequestSave(const DockItems& row) {
    const std::uint64_t request = ++m_state->requested;
    {
        std::lock_guard lock(m_state->pendingMutex);
        ++m_state->pending;
    }
    const bool started = m_jobs.Run([state = m_state, request, link = row.Link()](const foundation::JobContext& context) {
        ItemSaveResult result = ItemSaveResult::Superseded;
        {
            // The row is copied and written within one turn on the files, so the newest
            // copy is always written last. Requests that piled up meanwhile are served by
            // the next job that copies the row: it sees every change made before them.
            // Lock order: the files, the bars list, the row's item list, its window list.
            VirtualFiles virtualFiles;
            if (const auto before = SnapshotItems(*link)) virtualFiles = AskVirtualFiles(state->files, *before);
            std::lock_guard filesLock(ItemFilesMutex());
            if (request > state->taken) {
                const std::uint64_t newest = state->requested.load();
                result = ItemSaveResult::Stopped;
                if (!context.Quitting()) {
                    if (const auto records = SnapshotItems(*link)) {
                        state->taken = newest;
                        result = WriteHoldingFiles(state->files, state->baseFolder, *records, virtualFiles,
                                                   [&context] { return context.Quitting(); });
                    } else {
                        // Another dock's later request is still served by its own job.
                        result = ItemSaveResult::RowGone;
                    }
                } else {
                    state->taken = newest;
                }
            }
        }
        if (result == ItemSaveResult::Failed)
            foundation::LogFailure("item save", L"a file operation failed; \"ico.ini\" keeps the list before");
        else if (result == ItemSaveResult::RowGone)
            foundation::LogFailure("item save", L"the dock was taken down before its row could be copied; "
                                                L"the change is not saved");
        state->lastResult = static_cast<int>(result);
        ++state->finished;
        state->Finish();
    });
    if (!started) {
        m_state->Finish();
        if (!m_jobs.Quitting())
            foundation::LogFailure("item save", L"dropped: the job runner is full; a later save writes the change");
    }
    return started;
}

bool ItemListSaver::WaitIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_state->pendingMutex);
    return m_state->idle.wait_for(lock, timeout, [&] { return m_state->pending == 0; });
}

ItemSaveResult ItemListSaver::LastResult() const { return static_cast<ItemSaveResult>(m_state->lastResult.load()); }

std::uint64_t ItemListSaver::Finished() const { return m_state->finished.load(); }

} // namespace kestrana::dock
