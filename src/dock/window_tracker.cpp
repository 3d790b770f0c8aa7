#include "dock/window_tracker.h"

#include "dock/window_matching.h"
#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>
#include <cwchar>
#include <atomic>
#include <deque>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace kestrana::dock {
namespace {

// Dialogs of the system's credential prompts flash without belonging to any program.
constexpr std::wstring_view kSilentAttentionClasses[] = {L"$$$Secure UAP Dummy Window Class For Interim Dialog",
                                                         L"Credential Dialog Xaml Host"};
// Acceptance without a dock in mind; each row adds its own icon size and emptiness.
constexpr float kAnyIconSize = 1000;
constexpr float kSmallestShownIconSize = 10;
// Pictures of running-only items kept for their next windows and for docks built later;
// beyond this many, only those an item still shows stay (each may hold 256 KB).
constexpr std::size_t kKeptPictures = 16;
// Reconciliation passes between two looks for windows that went unreported.
constexpr int kPassesPerSweep = 16;

// What a window asks the tracker to do, folded over the reports that came in meanwhile.
struct Pending {
    bool gone = false;      // destroyed or hidden: out of every row
    bool refresh = false;   // look at it (again)
    bool activated = false; // its attention mark ends
    bool attention = false; // mark its item
    bool instant = false;   // put into a new row: no growing in
    // The first report of this round, for the detail log's timings.
    WindowEventSource source = WindowEventSource::Reconcile;
    std::int64_t reportedMs = 0;
};

// What the tracker remembers of a window between reports.
struct Known {
    AppIdentity identity;
    std::wstring title;
    bool identified = false;
    bool placed = false;        // in the rows as a running program
    bool minimisedItem = false; // minimised, with an item of its own
    std::int64_t attentionMs = 0;
    bool attentionSeen = false;
};

const wchar_t* SourceName(WindowEventSource source) {
    switch (source) {
    case WindowEventSource::WinEvent: return L"event hook";
    case WindowEventSource::ShellHook: return L"shell hook";
    case WindowEventSource::Companion: return L"companion";
    case WindowEventSource::Reconcile: return L"reconciliation";
    }
    return L"";
}

std::wstring WindowName(WindowId window, const AppIdentity& identity) {
    wchar_t id[24];
    std::swprintf(id, 24, L"%llx", static_cast<unsigned long long>(window));
    return std::wstring(L"window ") + id + L" (" + (identity.program.empty() ? identity.filePath : identity.program) + L")";
}

// The job's own waits end early once the program quits.
class JobPause final : public Pause {
public:
    JobPause(Pause& inner, const foundation::JobContext& job) : m_inner(inner), m_job(job) {}
    void Sleep(int milliseconds) override {
        if (!m_job.Quitting()) m_inner.Sleep(milliseconds);
    }

private:
    Pause& m_inner;
    const foundation::JobContext& m_job;
};

bool IsCandidate(const WindowShape& shape) {
    return shape.visible && !shape.cloaked && !shape.toolWindow && (!shape.owned || shape.appWindow);
}

bool IsRunningOnly(const Dockico& item) { return !item.kept && !item.delimiter && !item.filepath.empty(); }

bool Holds(const Dockico& item, WindowId window) {
    return std::find(item.windows.begin(), item.windows.end(), window) != item.windows.end();
}

// Takes the window out of one item; an item that is not pinned and has no window left goes.
bool Release(Dockico& item, WindowId window) {
    const auto gone = std::remove(item.windows.begin(), item.windows.end(), window);
    if (gone == item.windows.end()) return false;
    item.windows.erase(gone, item.windows.end());
    if (item.windows.empty()) {
        item.running = false;
        item.attention = false;
        if (!item.kept) item.leaving = true;
    }
    return true;
}

PictureFacts FactsOf(const Dockico& item) {
    PictureFacts facts;
    facts.id = item.id;
    facts.appKind = item.appKind;
    facts.key = item.key;
    facts.appname = item.appname;
    facts.filepath = item.filepath;
    facts.realpath = item.realpath;
    return facts;
}

} // namespace

// How a minimised window shows, read once per placement.
struct MinimisedChoice {
    bool ownItems = false; // an item of its own rather than staying with its program's
    bool instant = false;  // at full size at once (a dock built while it was minimised)
    MinimisedPlace place = MinimisedPlace::BeforeLastKept;
    std::shared_ptr<const gfx::Bitmap> snapshot;
};

struct WindowTracker::Shared {
    Shared(TrackerPorts p, TrackerOptions o) : ports(p), options(std::move(o)) {}

    // One dock's row and what the tracker put into it.
    struct Row {
        RowHandle handle = 0;
        std::shared_ptr<RowLink> link;
        RowChanged changed;
        std::atomic<float> iconSize{0};
        // Under the row's item-list lock:
        TrackerSeparators separators;
        std::unordered_map<WindowId, std::int32_t> minimised; // window -> the item of its own
        std::unordered_map<WindowId, std::int32_t> attention; // window -> the item it marked
        // Windows first seen minimised that no item matched, taken in by the running item
        // the minimised-window look-up found: they stay there when restored.
        std::unordered_set<WindowId> adopted;
    };
    using Rows = std::vector<std::shared_ptr<Row>>;

    TrackerPorts ports;
    TrackerOptions options;

    // Guards everything below; never held together with any other lock.
    mutable std::mutex mutex;
    std::unordered_map<WindowId, Pending> pending;
    std::deque<WindowId> queue;
    std::unordered_set<WindowId> busy;
    std::unordered_map<WindowId, Known> known;
    std::unordered_map<std::wstring, std::shared_ptr<const gfx::Bitmap>> pictures; // running-only, by key
    Rows rows;
    RowHandle nextHandle = 1;
    int workers = 0;
    int passesSinceSweep = 0; // user-interface thread only
    bool dropLogged = false; // one log line per stretch of refused jobs

    [[nodiscard]] Rows RowsNow() const {
        std::lock_guard lock(mutex);
        return rows;
    }

    // fn(row, state) under the bars-list lock and the row's two locks; true when it changed
    // the row. The changed rows are told once every lock is let go.
    template <typename Fn>
    void ApplyToRows(const Rows& targets, Fn&& fn) {
        std::vector<std::shared_ptr<Row>> changed;
        {
            std::lock_guard bars(BarsListMutex());
            for (const auto& state : targets) {
                DockItems* row = state->link->Row();
                if (!row) continue;
                std::lock_guard list(row->ListMutex());
                std::lock_guard windows(row->WindowListMutex());
                if (!DockItems::HasItemRange(row->Size())) continue;
                if (fn(*row, *state)) changed.push_back(state);
            }
        }
        for (const auto& state : changed) {
            if (state->changed) state->changed();
        }
    }

    void Worker(const foundation::JobContext& job);
    void Process(WindowId window, const Pending& pending, const foundation::JobContext& job);
    void Remove(WindowId window);
    void Place(WindowId window, const Known& seen, bool minimised, const Pending& work, const foundation::JobContext& job);
    // The window's own item while it is minimised ("mintoico" 0), or none; true on a change.
    static bool KeepMinimisedItem(DockItems& row, Row& state, WindowId window, const Known& seen,
                                  const Dockico& owner, const MinimisedChoice& choice);
    // A running-only item made without a picture gets one when the program's is found.
    void FollowWithPicture(WindowId window, const Rows& rows, const PictureFacts& facts);
    void NoteShown(WindowId window, const Known& seen, const Pending& work) const;
    void MarkAttention(WindowId window, const AppIdentity& identity);
    void EndAttention(WindowId window);
};

namespace {

using Row = WindowTracker::Shared::Row;

// The item that holds the window as one of its program's, not as a minimised window's own.
std::size_t ProgramItemOf(const DockItems& row, const Row& state, WindowId window) {
    const auto own = state.minimised.find(window);
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
        if (own != state.minimised.end() && row[i].id == own->second) continue;
        if (Holds(row[i], window)) return i;
    }
    return 0;
}

// The item of the row the window belongs to now, 0 when it needs a running-only item.
// An item that held the window and no longer owns it lets it go (`changed` then).
std::size_t OwnerInRow(DockItems& row, Row& state, WindowId window, const AppIdentity& identity, bool minimised,
                       const foundation::FileSystem& files, bool& changed) {
    std::size_t target = MatchWindowItem(row, identity, files);
    const std::size_t own = ProgramItemOf(row, state, window);
    if (target == 0 && own != 0 && state.adopted.count(window)) return own;
    if (target == 0 && own == 0 && minimised) {
        // A window that shows up minimised goes to the running program that owns it
        // rather than making an item of its own program.
        target = FindMinimisedOwner(row, identity);
        if (target != 0) state.adopted.insert(window);
    }
    if (own == 0 || own == target) return target;
    // The window now belongs to another program (a web application's title was set).
    state.adopted.erase(window);
    const std::int32_t targetId = target ? row[target].id : kNoItemId;
    changed = Release(row[own], window) || changed;
    return targetId ? row.IndexOfId(targetId) : 0;
}

// The tracker's separators go once nothing stands behind them, and come back with it.
void TidySeparators(DockItems& row, const Row& state) {
    bool running = false, minimised = false;
    row.ForEachReal([&](std::size_t, const Dockico& item) {
        if (item.leaving) return;
        if (IsRunningOnly(item)) running = true;
    });
    for (const auto& [window, id] : state.minimised) {
        const std::size_t index = row.IndexOfId(id);
        if (index != 0 && !row[index].leaving) minimised = true;
    }
    const auto mark = [&](std::int32_t id, bool wanted) {
        const std::size_t index = id == kNoItemId ? 0 : row.IndexOfId(id);
        if (index != 0) row[index].leaving = !wanted;
    };
    mark(state.separators.running, running);
    mark(state.separators.minimised, minimised);
}

// The window no longer asks for attention; its item stops showing it unless another of
// its windows still asks.
bool EndAttentionInRow(DockItems& row, Row& state, WindowId window) {
    const auto marked = state.attention.find(window);
    if (marked == state.attention.end()) return false;
    const std::int32_t id = marked->second;
    state.attention.erase(marked);
    for (const auto& [other, otherId] : state.attention) {
        if (otherId == id) return false;
    }
    const std::size_t index = row.IndexOfId(id);
    if (index == 0 || !row[index].attention) return false;
    row[index].attention = false;
    return true;
}

bool RemoveFromRow(DockItems& row, Row& state, WindowId window) {
    bool changed = EndAttentionInRow(row, state, window);
    row.ForEachReal([&](std::size_t, Dockico& item) { changed = Release(item, window) || changed; });
    state.minimised.erase(window);
    state.adopted.erase(window);
    if (changed) TidySeparators(row, state);
    return changed;
}

} // namespace

void WindowTracker::Shared::Worker(const foundation::JobContext& job) {
    for (;;) {
        WindowId window{};
        Pending work;
        {
            std::lock_guard lock(mutex);
            if (queue.empty() || job.Quitting()) {
                --workers;
                return;
            }
            window = queue.front();
            queue.pop_front();
            work = pending[window];
            pending.erase(window);
            busy.insert(window);
        }
        try {
            Process(window, work, job);
        } catch (...) {
            foundation::LogCaught("window tracker");
        }
        std::lock_guard lock(mutex);
        busy.erase(window);
        // Reports that came in while it was looked at: once more, behind the others.
        if (pending.count(window)) queue.push_back(window);
    }
}

void WindowTracker::Shared::Process(WindowId window, const Pending& work, const foundation::JobContext& job) {
    if (work.gone) Remove(window);
    if (!work.refresh && !work.attention && !work.activated) return;

    const WindowShape shape = ports.windows.Shape(window);
    if (!shape.visible) {
        Remove(window);
        return;
    }
    Known seen;
    {
        std::lock_guard lock(mutex);
        if (auto it = known.find(window); it != known.end()) seen = it->second;
    }
    const bool candidate = IsCandidate(shape);
    bool identifiedNow = false;
    if (candidate || work.attention) {
        // A new title may make another application of it (a browser's web application).
        const std::wstring title = ports.facts.Title(window);
        if (!seen.identified || title != seen.title) {
            JobPause pause(ports.pause, job);
            seen.identity = IdentifyWindow(window, {ports.facts, ports.webApps, pause, ports.settings});
            seen.title = title;
            seen.identified = true;
            identifiedNow = true;
            std::lock_guard lock(mutex);
            Known& kept = known[window];
            kept.identity = seen.identity;
            kept.title = seen.title;
            kept.identified = true;
        }
    }
    if (job.Quitting()) return;
    const AcceptContext anyDock{kAnyIconSize, false, ports.settings.BaseFolder(), options.ownImagePath};
    const bool accepted = candidate && AcceptsWindow(seen.identity, anyDock, ports.settings);
    if (accepted) {
        Place(window, seen, shape.minimised, work, job);
    } else if (seen.placed) {
        Remove(window);
    } else if (candidate && !seen.placed && identifiedNow && foundation::DetailLogging()) {
        foundation::LogDetail("window tracker", WindowName(window, seen.identity) + L" is no running program");
    }

    if (work.activated) EndAttention(window);
    if (work.attention) {
        const std::wstring className = ports.facts.ClassName(window);
        const bool silent = std::find(std::begin(kSilentAttentionClasses), std::end(kSilentAttentionClasses),
                                      className) != std::end(kSilentAttentionClasses);
        if (!silent && !seen.identity.Empty()) MarkAttention(window, seen.identity);
    }
}

void WindowTracker::Shared::Remove(WindowId window) {
    bool inRows = false;
    {
        std::lock_guard lock(mutex);
        if (auto it = known.find(window); it != known.end()) {
            inRows = it->second.placed || it->second.attentionSeen;
            known.erase(it);
        }
    }
    // Most windows that close were never shown: their rows need no look.
    if (!inRows) return;
    ApplyToRows(RowsNow(), [&](DockItems& row, Row& state) { return RemoveFromRow(row, state, window); });
}

void WindowTracker::Shared::Place(WindowId window, const Known& seen, bool minimised, const Pending& work,
                                  const foundation::JobContext& job) {
    const bool instant = work.instant;
    const auto& settings = ports.settings;
    auto& files = settings.Files();
    const std::wstring base = settings.BaseFolder();
    const bool runIconLim = settings.ReadBool(L"normal", L"runicolim");
    MinimisedChoice choice;
    choice.ownItems = minimised && settings.ReadInt(L"minimize", L"mintoico") != 1;
    choice.instant = instant;
    choice.place = MinimisedPlaceFromSetting(settings.ReadInt(L"minimize", L"minicopos"));
    const bool ownItems = choice.ownItems;
    const Rows rows = RowsNow();

    // Items are made without any lock held (naming one reads the disk); the rows that
    // turn out to need none leave theirs unused.
    std::shared_ptr<const gfx::Bitmap> cachedPicture;
    std::vector<std::unique_ptr<Dockico>> spares;
    std::vector<PictureFacts> wantPictures;
    bool needItem = false;
    bool taken = false;

    const auto apply = [&](DockItems& row, Row& state) {
        if (row.Empty() || state.iconSize.load() <= kSmallestShownIconSize) return RemoveFromRow(row, state, window);
        bool changed = false;
        std::size_t target = OwnerInRow(row, state, window, seen.identity, minimised, files, changed);
        if (target == 0) {
            if (spares.empty()) {
                needItem = true;
                return changed;
            }
            auto item = std::move(spares.back());
            spares.pop_back();
            item->sizeFactor = instant ? item->FullFactor() : 0; // grows in
            item->picture = cachedPicture;
            if (!item->picture) wantPictures.push_back(FactsOf(*item));
            const std::int32_t id = item->id;
            PlaceRunningItem(row, std::move(item), state.separators, runIconLim);
            target = row.IndexOfId(id);
            changed = true;
        }
        Dockico& item = row[target];
        if (!Holds(item, window)) {
            item.windows.push_back(window);
            changed = taken = true;
        }
        if (!item.running || item.leaving) changed = true;
        item.running = true;
        item.leaving = false;

        if (KeepMinimisedItem(row, state, window, seen, item, choice)) changed = true;
        if (changed) TidySeparators(row, state);
        return changed;
    };

    // The snapshot is taken once, when the window gets its own item.
    if (ownItems && !seen.minimisedItem) choice.snapshot = ports.pictures.WindowSnapshot(window);
    ApplyToRows(rows, apply);
    if (needItem && !job.Quitting()) {
        for (std::size_t i = 0; i < rows.size(); ++i) spares.push_back(MakeRunningItem(seen.identity, files, base));
        {
            std::lock_guard lock(mutex);
            if (auto it = pictures.find(spares.front()->key); it != pictures.end()) cachedPicture = it->second;
        }
        needItem = false;
        ApplyToRows(rows, apply);
    }
    {
        std::lock_guard lock(mutex);
        Known& kept = known[window];
        kept.placed = true;
        kept.minimisedItem = ownItems;
    }
    if (taken && !seen.placed) NoteShown(window, seen, work);
    if (!wantPictures.empty() && !job.Quitting()) FollowWithPicture(window, rows, wantPictures.front());
}

bool WindowTracker::Shared::KeepMinimisedItem(DockItems& row, Row& state, WindowId window, const Known& seen,
                                              const Dockico& owner, const MinimisedChoice& choice) {
    const auto mine = state.minimised.find(window);
    const std::size_t ownIndex = mine == state.minimised.end() ? 0 : row.IndexOfId(mine->second);
    if (!choice.ownItems) {
        state.minimised.erase(window);
        if (ownIndex == 0) return false;
        Release(row[ownIndex], window);
        return true;
    }
    if (ownIndex == 0) {
        auto mini = MakeMinimisedItem(window, seen.title);
        mini->picture = choice.snapshot ? choice.snapshot : owner.picture;
        if (choice.instant) mini->sizeFactor = mini->FullFactor();
        state.minimised[window] = mini->id;
        PlaceMinimisedItem(row, std::move(mini), state.separators, choice.place);
        return true;
    }
    Dockico& own = row[ownIndex];
    if (!own.leaving) return false;
    own.leaving = false;
    if (!Holds(own, window)) own.windows.push_back(window);
    own.running = true;
    return true;
}

void WindowTracker::Shared::NoteShown(WindowId window, const Known& seen, const Pending& work) const {
    if (!foundation::DetailLogging()) return;
    const std::int64_t waited = options.nowMs ? options.nowMs() - work.reportedMs : 0;
    foundation::LogDetail("window tracker", WindowName(window, seen.identity) + L" shown " + std::to_wstring(waited) +
                                                L" ms after the " + SourceName(work.source) + L" reported it");
}

void WindowTracker::Shared::FollowWithPicture(WindowId window, const Rows& rows, const PictureFacts& facts) {
    // The picture follows the item: looking for it may take a while.
    auto picture = ports.pictures.ProgramPicture(facts);
    if (!picture) return;
    {
        std::lock_guard lock(mutex);
        // A long session meets many programs: the pictures no item shows any more go (the
        // program's cache file brings one back), those of running programs stay.
        if (pictures.size() >= kKeptPictures)
            std::erase_if(pictures, [](const auto& kept) { return kept.second.use_count() == 1; });
        pictures[facts.key] = picture;
    }
    ApplyToRows(rows, [&](DockItems& row, Row& state) {
        bool changed = false;
        const auto give = [&](Dockico& item) {
            if (item.picture) return;
            item.picture = picture;
            changed = true;
        };
        row.ForEachReal([&](std::size_t, Dockico& item) {
            if (IsRunningOnly(item) && item.key == facts.key) give(item);
        });
        // The window's own item, made while the program had no picture yet, takes it too.
        if (const auto own = state.minimised.find(window); own != state.minimised.end()) {
            if (const std::size_t index = row.IndexOfId(own->second)) give(row[index]);
        }
        return changed;
    });
}

void WindowTracker::Shared::MarkAttention(WindowId window, const AppIdentity& identity) {
    auto& files = ports.settings.Files();
    ApplyToRows(RowsNow(), [&](DockItems& row, Row& state) {
        std::size_t index = ProgramItemOf(row, state, window);
        if (index == 0) index = MatchWindowItem(row, identity, files);
        if (index == 0 || row[index].attention) return false;
        row[index].attention = true;
        state.attention[window] = row[index].id;
        return true;
    });
}

void WindowTracker::Shared::EndAttention(WindowId window) {
    ApplyToRows(RowsNow(), [&](DockItems& row, Row& state) { return EndAttentionInRow(row, state, window); });
}

WindowTracker::WindowTracker(TrackerPorts ports, foundation::JobRunner& jobs, TrackerOptions options)
    : m_shared(std::make_shared<Shared>(ports, std::move(options))), m_jobs(jobs) {}

WindowTracker::~WindowTracker() {
    m_jobs.Stop();
    // Identifying a store application waits for its content window, but a stopped job
    // no longer waits; what is left is quick.
    if (!m_jobs.WaitIdle(std::chrono::milliseconds(500)))
        foundation::LogFailure("window tracker", L"jobs still ran when the tracker was taken down");
}

void WindowTracker::OnWindowEvent(const WindowEvent& event) {
    if (event.window == WindowId::None) return;
    {
        std::lock_guard lock(m_shared->mutex);
        if (event.kind == WindowEventKind::Attention) {
            const std::int64_t now = m_shared->options.nowMs ? m_shared->options.nowMs() : 0;
            Known& known = m_shared->known[event.window];
            if (known.attentionSeen && now - known.attentionMs < kAttentionQuietMs) return;
            known.attentionSeen = true;
            known.attentionMs = now;
        }
        auto [entry, fresh] = m_shared->pending.try_emplace(event.window);
        Pending& work = entry->second;
        if (fresh) {
            work.source = event.source;
            work.reportedMs = m_shared->options.nowMs ? m_shared->options.nowMs() : 0;
        }
        switch (event.kind) {
        case WindowEventKind::Destroyed:
            work.refresh = work.activated = work.attention = work.instant = false;
            work.gone = true;
            break;
        case WindowEventKind::Activated:
            work.refresh = true;
            work.activated = true;
            break;
        case WindowEventKind::Attention:
            work.refresh = true;
            work.attention = true;
            break;
        case WindowEventKind::Appeared:
        case WindowEventKind::Changed:
        case WindowEventKind::Minimised:
        case WindowEventKind::Restored:
        case WindowEventKind::FullScreen: work.refresh = true; break;
        }
        if (fresh && !m_shared->busy.count(event.window)) m_shared->queue.push_back(event.window);
    }
    StartJobs();
}

void WindowTracker::OnPassEnded() {
    if (++m_shared->passesSinceSweep >= kPassesPerSweep) {
        m_shared->passesSinceSweep = 0;
        ForgetVanished();
    }
    StartJobs();
}

void WindowTracker::ForgetVanished() {
    // A window hidden while it was no candidate, or destroyed while its report was lost,
    // would otherwise be remembered (and perhaps shown) for the rest of the session.
    std::vector<WindowId> remembered;
    {
        std::lock_guard lock(m_shared->mutex);
        remembered.reserve(m_shared->known.size());
        for (const auto& [window, known] : m_shared->known) {
            if (!m_shared->busy.count(window) && !m_shared->pending.count(window)) remembered.push_back(window);
        }
    }
    std::vector<WindowId> vanished;
    for (const WindowId window : remembered) {
        if (!m_shared->ports.windows.Shape(window).visible) vanished.push_back(window);
    }
    if (vanished.empty()) return;
    std::lock_guard lock(m_shared->mutex);
    for (const WindowId window : vanished) {
        auto [entry, fresh] = m_shared->pending.try_emplace(window);
        entry->second.gone = true;
        if (fresh && !m_shared->busy.count(window)) m_shared->queue.push_back(window);
    }
}

void WindowTracker::LookAgain() {
    std::vector<WindowId> windows;
    for (const TopLevelWindow& top : m_shared->ports.windows.Enumerate()) {
        if (IsCandidate(top.shape)) windows.push_back(top.window);
    }
    {
        std::lock_guard lock(m_shared->mutex);
        // The tracker's own list too: a shown window may have become a non-candidate since.
        for (const auto& [window, known] : m_shared->known) windows.push_back(window);
        for (const WindowId window : windows) {
            auto [entry, fresh] = m_shared->pending.try_emplace(window);
            entry->second.refresh = true;
            if (fresh && !m_shared->busy.count(window)) m_shared->queue.push_back(window);
        }
    }
    StartJobs();
}

void WindowTracker::StartJobs() {
    std::shared_ptr<Shared> shared = m_shared;
    for (;;) {
        {
            std::lock_guard lock(shared->mutex);
            if (shared->queue.empty() || shared->workers >= std::max(1, shared->options.jobs)) return;
            ++shared->workers;
        }
        // A dropped job leaves the queue as it is: the next report or reconciliation pass
        // starts one again.
        if (!m_jobs.Run([shared](const foundation::JobContext& job) { shared->Worker(job); })) {
            bool first = false;
            {
                std::lock_guard lock(shared->mutex);
                --shared->workers;
                first = !std::exchange(shared->dropLogged, true);
            }
            if (first && !m_jobs.Quitting())
                foundation::LogFailure("window tracker", "no room for a job; the reports wait for the next look");
            return;
        }
        std::lock_guard lock(shared->mutex);
        shared->dropLogged = false;
    }
}

WindowTracker::RowHandle WindowTracker::AttachRow(DockItems& row, RowChanged changed, float iconSize) {
    auto state = std::make_shared<Shared::Row>();
    state->link = row.Link();
    state->changed = std::move(changed);
    state->iconSize = iconSize;
    RowHandle handle = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        handle = state->handle = m_shared->nextHandle++;
        m_shared->rows.push_back(std::move(state));
        for (const auto& [window, known] : m_shared->known) {
            if (!known.placed) continue;
            auto [entry, fresh] = m_shared->pending.try_emplace(window);
            entry->second.refresh = true;
            entry->second.instant = true;
            if (fresh && !m_shared->busy.count(window)) m_shared->queue.push_back(window);
        }
    }
    StartJobs();
    return handle;
}

void WindowTracker::DetachRow(RowHandle row) {
    std::lock_guard lock(m_shared->mutex);
    std::erase_if(m_shared->rows, [row](const auto& state) { return state->handle == row; });
}

void WindowTracker::SetIconSize(RowHandle row, float iconSize) {
    std::lock_guard lock(m_shared->mutex);
    for (const auto& state : m_shared->rows) {
        if (state->handle == row) state->iconSize = iconSize;
    }
}

std::vector<WindowId> WindowTracker::TrackedWindows() const {
    std::vector<WindowId> windows;
    std::lock_guard lock(m_shared->mutex);
    for (const auto& [window, known] : m_shared->known) {
        if (known.placed) windows.push_back(window);
    }
    return windows;
}

std::size_t WindowTracker::RememberedWindows() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->known.size();
}

std::size_t WindowTracker::KeptPictures() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->pictures.size();
}

bool WindowTracker::WaitIdle(std::chrono::milliseconds timeout) const { return m_jobs.WaitIdle(timeout); }

} // namespace kestrana::dock
