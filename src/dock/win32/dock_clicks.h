#pragma once
// The clicks on one dock: which item was pressed and released, what the click rules make
// of it, and the jobs that carry it out, so the user-interface thread never waits on a
// program start or a window switch. Also the trash: its full/empty poll and its double
// click.

#include "dock/click_rules.h"
#include "foundation/job_runner.h"
#include "dock/win32/item_actions.h"
#include "dock/win32/dock_window_ids.h"
#include "dock/win32/trash_watch.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::dock::win32 {

class DockClicks {
public:
    // Without the shell's notices the bin is polled; with them, a rare look catches what
    // they miss (bins on drives that appeared later).
    static constexpr UINT kTrashPollMs = 1200;
    static constexpr UINT kTrashWatchedPollMs = 30000;
    // Deleting many files sends a notice per file: one look after they settle.
    static constexpr UINT kTrashNoticeSettleMs = 250;

    struct Services {
        foundation::JobRunner& jobs;
        const foundation::ConfigStore& settings;
        HWND inputWindow = nullptr; // owns the trash timer and the prompt
        std::function<SpecialServices()> special{};
        // The trash went full or empty: its picture changes.
        std::function<void(bool full)> trashChanged{};
        // A folder item was clicked: its stack opens beside `dock` at the pointer. None:
        // the folder opens in the file manager.
        std::function<void(const std::wstring& folder, const std::wstring& title, HWND dock, POINT pointer)> openStack{};
        // Asks a question in the dock's own window: title, text, the confirming and the
        // cancelling answer; true when confirmed.
        std::function<bool(const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&)> confirm{};
        // The item's program is being started: its icon hops until a window shows.
        std::function<void(std::int32_t itemId)> bounce{};
        // The item's window previews open (several windows) or an open one of the item
        // closes (a click that switches to its only window). Without them a click on a
        // multi-window item brings the next window forward.
        std::function<void(std::int32_t itemId)> openPreview{};
        std::function<void(std::int32_t itemId)> closePreview{};
    };

    explicit DockClicks(Services services);
    ~DockClicks();
    DockClicks(const DockClicks&) = delete;
    DockClicks& operator=(const DockClicks&) = delete;

    void Pressed(const DockItems& row, std::size_t index, ClickButton button);
    // A release over `index`: a click when the press was on the same item and no menu is
    // open.
    void Released(DockItems& row, std::size_t index, ClickButton button, bool menuOpen);
    // The pointer left or a drag began: the press no longer makes a click.
    void Cancel() { m_pressedId = kNoItemId; }
    // The input window's timer fired; true when it was one of ours.
    bool TimerFired(UINT_PTR id);
    // The trash-changed message arrived (user-interface thread).
    void TrashChanged(bool full);
    // Asks first, in the dock's own prompt, then empties every drive's recycle bin.
    void AskToEmptyTrash();
    // The recycle bin changed (kTrashNoticeMessage's parameters).
    void TrashNoticed(WPARAM wParam, LPARAM lParam);
    // The pointer came onto the dock: a fresh look at the trash unless one was just taken.
    void PointerArrived();
    // The poll's latest answer (on the user-interface thread).
    [[nodiscard]] bool TrashFull() const { return m_state->trashFull.load(); }

private:
    struct Shared {
        std::atomic<bool> trashFull{false};
        std::atomic<bool> polling{false};
    };
    ULONGLONG m_lastPoll = 0;
    void Click(const Dockico& item, const ClickFacts& facts, const std::vector<WindowId>& windows);
    void TrashClick();
    void StartTrashPoll();
    void PollTrash();

    Services m_services;
    std::shared_ptr<Shared> m_state = std::make_shared<Shared>();
    std::int32_t m_pressedId = kNoItemId;
    ClickButton m_pressedButton = ClickButton::Left;
    TrashClicks m_trashClicks;
    std::unique_ptr<TrashWatch> m_trashWatch;
};

} // namespace kestrana::dock::win32
