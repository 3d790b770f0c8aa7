#pragma once
// The right-click menus of one dock: gathers what the menu needs about the place clicked,
// shows it in the program's one menu window ("OndelMenu", reused while the dock lives)
// and carries out the chosen command, handing anything slow to a job.

#include "dock/dock_menus.h"
#include "dock/item_drops.h"
#include "dock/item_list_manager.h"
#include "foundation/job_runner.h"
#include "dock/ondel_bar.h"
#include "dock/win32/dock_window_ids.h"
#include "dock/win32/item_actions.h"
#include "platform/win32/recent_documents.h"
#include "gfx/text_renderer.h"
#include "platform/win32/shell_launch.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrana::dock::win32 {

class DockClicks;

using platform::ReadShortcut;

class DockMenus {
public:
    struct Services {
        foundation::JobRunner& jobs;
        foundation::ConfigStore& store;
        ItemListManager& items;
        gfx::TextRenderer& text;
        HWND owner = nullptr; // the dock's input window
        std::function<SpecialServices()> special{};
        std::function<void()> restart{}; // the whole program starts again
        std::function<void()> quit{};
        std::function<void()> openSettings{}; // "preference"
        // New items joined the row: ask for their pictures.
        std::function<void()> itemsAdded{};
        // A folder item's own entries (ids kFolderFirst..kFolderLast) and their handler;
        // none until folder stacks exist. Both are called with the row's lock held: they
        // read the item and must not wait or open windows.
        std::function<gfx::Menu(const Dockico& item, HWND dock)> folderRows{};
        std::function<void(const Dockico& item, int command)> folderCommand{};
        // After a folder command, with no lock held: the dock icon follows the new settings.
        std::function<void()> folderChanged{};
        // A program was excluded from or let back into the running programs.
        std::function<void()> runningRulesChanged{};
    };

    DockMenus(Services services, OndelBar& bar, DockClicks& clicks)
        : m_services(std::move(services)), m_bar(bar), m_clicks(clicks), m_recent(m_services.jobs) {}

    // The right button went up at `pointer` over entry `index` (0: the background). Runs
    // the menu to its end; true when a command was chosen.
    bool Open(ScreenPoint pointer, std::size_t index, float scale, bool dark);
    [[nodiscard]] bool IsOpen() const { return m_open; }
    // The pointer came onto the dock: a menu may follow, so the recent items are read.
    void PointerArrived() { m_recent.Refresh(); }
    // "lockicon": the icons stay where they are.
    [[nodiscard]] bool ItemsLocked() const { return m_services.store.ReadBool(L"normal", L"lockicon"); }
    // The row changed (an item added, moved or removed): lay it out and save it.
    void RowChanged();
    // Files or programs dropped on the dock become items before entry `index`; the first
    // starts at `firstFactor` of its width (the gap it takes over had opened that far).
    // Shortcuts on a share are read on a worker, as a share that does not answer would hold
    // the dock; their items join when `DroppedRead` runs.
    void AddPaths(const std::vector<std::wstring>& paths, std::size_t index, float firstFactor = 0);
    // On kMsgDroppedRead: the items of drops read on a worker join the row.
    void DroppedRead();

private:
    using ReadFiles = std::vector<std::pair<std::wstring, std::optional<foundation::ShortcutFacts>>>;
    struct ReadDrop {
        ReadFiles files;
        std::size_t index = 0;
        float firstFactor = 0;
    };
    // Shared with the workers, so a reading that ends after the dock went has somewhere to go.
    struct DropInbox {
        std::mutex lock;
        std::vector<ReadDrop> ready;
    };
    [[nodiscard]] static ReadFiles ReadDropped(const std::vector<std::wstring>& paths);
    void AddRead(const ReadFiles& files, std::size_t index, float firstFactor);

    void Run(const DockMenu& menu, int command, std::int32_t itemId, std::size_t index);
    bool RunItemCommand(int command, std::int32_t itemId);
    void OpenRecent(const std::wstring& file, std::int32_t itemId);
    void GoToFolder();
    void ConnectToServer();
    void AddProgram(std::size_t index);
    // Inserts before entry `index` (clamped to the row), then lays out, saves and asks for
    // the new items' pictures.
    void InsertItems(std::vector<std::unique_ptr<Dockico>> items, std::size_t index, float firstFactor = 0);

    Services m_services;
    OndelBar& m_bar;
    DockClicks& m_clicks;
    bool m_open = false;
    platform::RecentDocuments m_recent;
    std::shared_ptr<DropInbox> m_dropInbox = std::make_shared<DropInbox>();
};

} // namespace kestrana::dock::win32
