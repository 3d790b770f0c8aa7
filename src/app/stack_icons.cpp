#include "app/stack_icons.h"

#include "dock/dockico.h"
#include "dock/win32/dock_host.h"
#include "foundation/diagnostic_log.h"
#include "launchers/stack_picture.h"
#include "launchers/stack_listing.h"
#include "launchers/stack_settings.h"
#include "launchers/win32/stack_shell.h"

#include <map>
#include <mutex>
#include <set>
#include <vector>

namespace kestrana::app {
namespace {

using launchers::DecodeSortOrder;
using launchers::DrawStackPile;
using launchers::FolderStackSettings;
using launchers::MakeStackItems;
using launchers::ReadFolderStackSettings;
using launchers::SortStackItems;
using launchers::StackItem;
using launchers::win32::ListFolder;
using launchers::win32::MakeStackPicture;

constexpr int kPileSize = 256;
constexpr int kPilePictureSize = 192;
constexpr int kPileItems = 3;
// A copy or a download fires several notifications; one pile is made after they settle.
constexpr DWORD kSettleMs = 150;
// WaitForMultipleObjects takes 64 handles; one is the wake event.
constexpr std::size_t kMaxWatched = MAXIMUM_WAIT_OBJECTS - 1;

struct ChangeTraits {
    using Handle = HANDLE;
    static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindCloseChangeNotification(h); }
};
using UniqueChange = kestrana::win32::UniqueHandle<ChangeTraits>;

bool IsFolderItem(const dock::Dockico& item) { return item.key.starts_with(L"folder-") && !item.realpath.empty(); }

} // namespace

struct StackIcons::Shared {
    std::mutex mutex; // a leaf: never held while a row's lock is taken
    std::atomic<bool> quit{false};
    kestrana::win32::UniqueKernelHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    struct Folder {
        int sortValue = 0;
        std::shared_ptr<const gfx::Bitmap> pile;
        int pileSortValue = 0;
        bool making = false;
        int makingSortValue = 0;
        bool again = false; // changed while a pile was being made
    };
    std::map<std::wstring, Folder> folders; // shown as stacks, watched
    struct Row {
        std::shared_ptr<dock::RowLink> link;
        std::function<void()> redraw;
    };
    std::vector<Row> rows;
    std::map<std::int32_t, std::shared_ptr<const gfx::Bitmap>> originals; // item id: its own picture
};

namespace {

std::shared_ptr<const gfx::Bitmap> BuildPile(const std::wstring& folder, int sortValue, const gfx::ImageDecoder& decoder,
                                             const std::wstring& base) {
    std::vector<StackItem> items;
    if (auto listed = ListFolder(folder)) {
        items = MakeStackItems(folder, *listed, DecodeSortOrder(sortValue).key);
        SortStackItems(items, sortValue);
    }
    std::vector<std::shared_ptr<const gfx::Bitmap>> pictures;
    for (std::size_t i = 0; i < items.size() && pictures.size() < kPileItems; ++i)
        pictures.push_back(MakeStackPicture(items[i], kPilePictureSize, decoder, base));
    std::vector<const gfx::Bitmap*> raw;
    for (const auto& p : pictures) raw.push_back(p.get());
    return std::make_shared<const gfx::Bitmap>(DrawStackPile(raw, kPileSize));
}

// Puts the pile on every item of the folder, under the rows' locks.
void HandOver(StackIcons::Shared& shared, const std::wstring& folder, const std::shared_ptr<const gfx::Bitmap>& pile,
              const std::vector<StackIcons::Shared::Row>& rows) {
    std::vector<std::function<void()>> redraws;
    {
        std::lock_guard bars(dock::BarsListMutex());
        for (const auto& entry : rows) {
            dock::DockItems* row = entry.link->Row();
            if (!row) continue;
            std::lock_guard list(row->ListMutex());
            bool changed = false;
            row->ForEachReal([&](std::size_t, dock::Dockico& item) {
                if (!IsFolderItem(item) || item.realpath != folder || item.picture == pile) return;
                {
                    std::lock_guard lock(shared.mutex);
                    shared.originals.emplace(item.id, item.picture);
                }
                item.picture = pile;
                changed = true;
            });
            if (changed && entry.redraw) redraws.push_back(entry.redraw);
        }
    }
    for (const auto& redraw : redraws) redraw();
}

} // namespace

StackIcons::StackIcons(foundation::ConfigStore& store, foundation::JobRunner& jobs, const gfx::ImageDecoder& decoder)
    : m_store(store), m_jobs(jobs), m_decoder(decoder), m_shared(std::make_shared<Shared>()) {
    try {
        m_watcher = std::thread([this] { Watch(); });
    } catch (const std::system_error&) {
        foundation::LogFailure("stack icons", "no thread watches the folders; piles follow settings only");
    }
}

StackIcons::~StackIcons() {
    m_shared->quit = true;
    ::SetEvent(m_shared->wake.Get());
    if (m_watcher.joinable()) m_watcher.join();
}

void StackIcons::StartPile(const std::wstring& folder, bool changed) {
    int sortValue = 0;
    {
        std::lock_guard lock(m_shared->mutex);
        const auto found = m_shared->folders.find(folder);
        if (found == m_shared->folders.end()) return;
        Shared::Folder& f = found->second;
        if (f.making) {
            // Asked again while one is made: once more after it, if it will be out of date.
            f.again = f.again || changed || f.sortValue != f.makingSortValue;
            return;
        }
        f.making = true;
        sortValue = f.makingSortValue = f.sortValue;
    }
    std::weak_ptr<Shared> weak = m_shared;
    const gfx::ImageDecoder* decoder = &m_decoder; // the program's; it outlives the jobs
    const std::wstring base = m_store.BaseFolder();
    auto make = [weak, decoder, base, folder, sortValue](const foundation::JobContext& job) mutable {
        kestrana::win32::ComApartment apartment;
        for (;;) {
            auto pile = BuildPile(folder, sortValue, *decoder, base);
            const auto shared = weak.lock();
            if (!shared || job.Quitting()) return;
            std::vector<Shared::Row> rows;
            {
                std::lock_guard lock(shared->mutex);
                const auto found = shared->folders.find(folder);
                if (found == shared->folders.end()) return;
                Shared::Folder& f = found->second;
                f.pile = pile;
                f.pileSortValue = sortValue;
                if (f.again) {
                    f.again = false;
                    sortValue = f.makingSortValue = f.sortValue;
                    continue;
                }
                f.making = false;
                rows = shared->rows;
            }
            if (foundation::DetailLogging()) foundation::LogDetail("stack icons", L"pile made for " + folder);
            HandOver(*shared, folder, pile, rows);
            return;
        }
    };
    if (!m_jobs.Run(std::move(make))) {
        std::lock_guard lock(m_shared->mutex);
        if (const auto found = m_shared->folders.find(folder); found != m_shared->folders.end()) found->second.making = false;
    }
}

namespace {

// The docks' folder items, and the folders among them shown as stacks.
struct DockSurvey {
    struct Dock {
        dock::win32::DockWindow* window;
        std::vector<std::pair<std::int32_t, std::wstring>> folders; // item id, folder
    };
    std::vector<Dock> docks;
    std::vector<StackIcons::Shared::Row> rows;
    std::map<std::wstring, int> wanted; // folder: sort value
};

DockSurvey SurveyDocks(dock::win32::DockHost& docks, foundation::ConfigStore& store) {
    DockSurvey survey;
    for (std::size_t i = 0; i < docks.Count(); ++i) {
        dock::win32::DockWindow* window = docks.At(i);
        if (!window) continue;
        dock::DockItems& row = window->Bar().Items();
        survey.rows.push_back({row.Link(), window->PicturesArrived()});
        DockSurvey::Dock s{window, {}};
        {
            std::lock_guard list(row.ListMutex());
            row.ForEachReal([&](std::size_t, const dock::Dockico& item) {
                if (IsFolderItem(item)) s.folders.emplace_back(item.id, item.realpath);
            });
        }
        for (const auto& [id, folder] : s.folders) {
            if (survey.wanted.contains(folder)) continue;
            const FolderStackSettings settings = ReadFolderStackSettings(store, folder);
            if (settings.stackIcon && !settings.Order().locate) survey.wanted[folder] = settings.sortValue;
        }
        survey.docks.push_back(std::move(s));
    }
    return survey;
}

struct PilePlan {
    std::vector<std::wstring> toMake;                                 // missing or sorted otherwise
    std::map<std::wstring, std::shared_ptr<const gfx::Bitmap>> ready; // folder: its pile
    bool watchChanged = false;
};

// Watches the wanted folders only, and says which piles are ready and which to make.
PilePlan PlanPiles(StackIcons::Shared& shared, const DockSurvey& survey) {
    PilePlan plan;
    std::lock_guard lock(shared.mutex);
    shared.rows = survey.rows;
    for (auto it = shared.folders.begin(); it != shared.folders.end();) {
        if (survey.wanted.contains(it->first)) {
            ++it;
        } else {
            it = shared.folders.erase(it);
            plan.watchChanged = true;
        }
    }
    for (const auto& [folder, sortValue] : survey.wanted) {
        auto [it, added] = shared.folders.try_emplace(folder);
        plan.watchChanged = plan.watchChanged || added;
        StackIcons::Shared::Folder& f = it->second;
        f.sortValue = sortValue;
        if (!f.pile || f.pileSortValue != sortValue) plan.toMake.push_back(folder);
        else plan.ready[folder] = f.pile;
    }
    return plan;
}

// Piles on the items of stacked folders, their own pictures back on the others.
void ShowPiles(StackIcons::Shared& shared, const DockSurvey& survey,
               const std::map<std::wstring, std::shared_ptr<const gfx::Bitmap>>& piles) {
    for (const DockSurvey::Dock& s : survey.docks) {
        dock::DockItems& row = s.window->Bar().Items();
        bool changed = false;
        {
            std::lock_guard list(row.ListMutex());
            row.ForEachReal([&](std::size_t, dock::Dockico& item) {
                if (!IsFolderItem(item)) return;
                std::lock_guard lock(shared.mutex);
                const auto pile = piles.find(item.realpath);
                const auto original = shared.originals.find(item.id);
                if (pile != piles.end()) {
                    // A picture pass since may have put the folder's icon back.
                    if (item.picture == pile->second) return;
                    shared.originals.emplace(item.id, item.picture);
                    item.picture = pile->second;
                    changed = true;
                } else if (!survey.wanted.contains(item.realpath) && original != shared.originals.end()) {
                    item.picture = original->second;
                    shared.originals.erase(original);
                    changed = true;
                }
            });
        }
        if (changed) s.window->Bar().Redraw();
    }
}

} // namespace

void StackIcons::Refresh(dock::win32::DockHost& docks) {
    const DockSurvey survey = SurveyDocks(docks, m_store);
    const PilePlan plan = PlanPiles(*m_shared, survey);
    if (plan.watchChanged) ::SetEvent(m_shared->wake.Get());
    for (const auto& folder : plan.toMake) StartPile(folder, false);
    ShowPiles(*m_shared, survey, plan.ready);
}

void StackIcons::Watch() {
    std::map<std::wstring, UniqueChange> handles;
    while (!m_shared->quit) {
        {
            std::lock_guard lock(m_shared->mutex);
            for (auto it = handles.begin(); it != handles.end();)
                it = m_shared->folders.contains(it->first) ? std::next(it) : handles.erase(it);
            for (const auto& [folder, f] : m_shared->folders) {
                if (handles.contains(folder) || handles.size() >= kMaxWatched) continue;
                UniqueChange change(::FindFirstChangeNotificationW(
                    folder.c_str(), FALSE,
                    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE));
                if (!change) foundation::LogFailure("stack icons", L"cannot watch " + folder);
                handles.emplace(folder, std::move(change));
            }
        }
        std::vector<HANDLE> waits{m_shared->wake.Get()};
        std::vector<const std::wstring*> names{nullptr};
        for (const auto& [folder, change] : handles) {
            if (!change) continue;
            waits.push_back(change.Get());
            names.push_back(&folder);
        }
        const DWORD woke = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, INFINITE);
        if (m_shared->quit) return;
        if (woke == WAIT_FAILED) {
            foundation::LogFailure("stack icons", "waiting for folder changes failed");
            return;
        }
        const std::size_t index = woke - WAIT_OBJECT_0;
        if (index == 0 || index >= waits.size()) continue;
        ::Sleep(kSettleMs);
        ::FindNextChangeNotification(waits[index]);
        const std::wstring folder = *names[index];
        StartPile(folder, true);
    }
}

} // namespace kestrana::app
