#include "dock/win32/dock_clicks.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/shell_window.h"

#include <algorithm>
#include <mutex>

namespace kestrana::dock::win32 {
namespace {

HWND AsWindow(WindowId id) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id)); }

// Several windows and no previews to choose from: each click brings the next one forward.
HWND NextWindow(const std::vector<WindowId>& windows) {
    const HWND front = ::GetForegroundWindow();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (AsWindow(windows[i]) == front) return AsWindow(windows[(i + 1) % windows.size()]);
    }
    return windows.empty() ? nullptr : AsWindow(windows.front());
}

} // namespace

DockClicks::DockClicks(Services services) : m_services(std::move(services)) { StartTrashPoll(); }

DockClicks::~DockClicks() {
    if (!m_services.inputWindow) return;
    ::KillTimer(m_services.inputWindow, kTrashTimer);
    ::KillTimer(m_services.inputWindow, kTrashPollTimer);
    ::KillTimer(m_services.inputWindow, kTrashNoticeTimer);
}

void DockClicks::TrashChanged(bool full) {
    if (foundation::DetailLogging()) foundation::LogDetail("trash", full ? "full" : "empty");
    if (m_services.trashChanged) m_services.trashChanged(full);
}

void DockClicks::StartTrashPoll() {
    if (m_services.inputWindow) {
        m_trashWatch = std::make_unique<TrashWatch>(m_services.inputWindow, kTrashNoticeMessage);
        ::SetTimer(m_services.inputWindow, kTrashPollTimer,
                   m_trashWatch->Watching() ? kTrashWatchedPollMs : kTrashPollMs, nullptr);
    }
    PollTrash();
}

void DockClicks::TrashNoticed(WPARAM wParam, LPARAM lParam) {
    TrashWatch::Acknowledge(wParam, lParam);
    ::SetTimer(m_services.inputWindow, kTrashNoticeTimer, kTrashNoticeSettleMs, nullptr);
}

void DockClicks::PointerArrived() {
    if (::GetTickCount64() - m_lastPoll >= kTrashPollMs) PollTrash();
}

void DockClicks::PollTrash() {
    // One short job per poll, never two at once; the state it shares outlives the dock if
    // it must.
    if (m_state->polling.exchange(true)) return;
    m_lastPoll = ::GetTickCount64();
    std::weak_ptr<Shared> weak = m_state;
    const HWND window = m_services.inputWindow;
    auto poll = [weak, window](const foundation::JobContext&) {
        const bool full = RecycleBinFull();
        const auto state = weak.lock();
        if (!state) return;
        if (state->trashFull.exchange(full) != full && window) ::PostMessageW(window, kTrashChangedMessage, full, 0);
        state->polling = false;
    };
    if (!m_services.jobs.Run(std::move(poll))) m_state->polling = false;
}

void DockClicks::Pressed(const DockItems& row, std::size_t index, ClickButton button) {
    std::lock_guard lock(row.ListMutex());
    m_pressedId = index < row.Size() && !DockItems::IsPlaceholderIndex(index, row.Size()) ? row[index].id : kNoItemId;
    m_pressedButton = button;
}

void DockClicks::Released(DockItems& row, std::size_t index, ClickButton button, bool menuOpen) {
    const std::int32_t pressed = std::exchange(m_pressedId, kNoItemId);
    if (pressed == kNoItemId || menuOpen || button != m_pressedButton) return;
    std::unique_lock list(row.ListMutex());
    if (index >= row.Size() || DockItems::IsPlaceholderIndex(index, row.Size()) || row[index].id != pressed || row[index].IsSeparator()) return;
    const Dockico& item = row[index];
    std::vector<WindowId> windows;
    {
        std::lock_guard windowList(row.WindowListMutex());
        windows = item.windows;
    }
    ClickFacts facts;
    facts.button = button;
    facts.shift = ::GetKeyState(VK_SHIFT) < 0;
    facts.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    facts.appname = item.appname;
    facts.hasFilepath = !item.filepath.empty();
    // Whether realpath is a folder is not asked here, as it may be on a network share: the
    // picture pass (on a worker) already gave a folder item its "folder-" key.
    facts.isFolder = item.key.starts_with(L"folder-");
    facts.running = item.running.load();
    facts.windowCount = windows.size();
    facts.kind = item.appKind;
    if (windows.size() == 1) {
        const HWND only = AsWindow(windows.front());
        facts.onlyWindowInFront = ::GetForegroundWindow() == only && !::IsIconic(only);
    }
    facts.jumpIcon = m_services.settings.ReadBool(L"normal", L"jumpicon");
    Click(item, facts, windows);
}

void DockClicks::Click(const Dockico& item, const ClickFacts& facts, const std::vector<WindowId>& windows) {
    const ClickDecision decision = DecideClick(facts);
    if (foundation::DetailLogging())
        foundation::LogDetail("dock click", item.appname + L": action " + std::to_wstring(static_cast<int>(decision.action)) +
                                                L", " + std::to_wstring(windows.size()) + L" windows");
    if (decision.bounce && m_services.bounce) m_services.bounce(item.id);
    if (decision.closePreview && m_services.closePreview) m_services.closePreview(item.id);
    auto& jobs = m_services.jobs;
    auto run = [&jobs](const char* what, std::function<void()> action) {
        if (!jobs.Run([what, action = std::move(action)](const foundation::JobContext&) {
                try {
                    action();
                } catch (...) {
                    foundation::LogCaught(what);
                }
            }))
            foundation::LogFailure(what, "no job could be started");
    };
    switch (decision.action) {
    case ClickAction::Nothing: return;
    case ClickAction::StartAnother:
    case ClickAction::Launch:
    case ClickAction::SearchRunning: // the tracker already looked; starting it is what is left
        run("launch item", [request = LaunchRequestFor(item)] { Launch(request); });
        return;
    case ClickAction::OpenStack:
        if (m_services.openStack) {
            POINT pointer{};
            ::GetCursorPos(&pointer);
            m_services.openStack(item.realpath, item.tag, m_services.inputWindow, pointer);
        } else {
            run("launch item", [request = LaunchRequestFor(item)] { Launch(request); });
        }
        return;
    case ClickAction::ShowPreviews: {
        if (m_services.openPreview) {
            m_services.openPreview(item.id);
            return;
        }
        const HWND next = NextWindow(windows);
        run("switch window", [next] { SwitchToWindow(next); });
        return;
    }
    case ClickAction::SwitchToWindow: {
        const HWND window = AsWindow(windows.front());
        run("switch window", [window] { SwitchToWindow(window); });
        return;
    }
    case ClickAction::MinimiseWindow: MinimiseWindow(AsWindow(windows.front())); return;
    case ClickAction::CloseWindow: AskToClose(AsWindow(windows.front())); return;
    case ClickAction::SwitchToFileManager:
        run("open file manager", [] { RunSpecialAction({.kind = SpecialKind::OpenFileManager}, {}); });
        return;
    case ClickAction::OpenLaunchpad:
        // The Launchpad lives beside the docks; the main window hands the toggle on.
        ::PostMessageW(kestrana::win32::ShellWindowHost(), foundation::kMsgLaunchpadRequest, 1,
                       foundation::kLaunchpadConfiguredEffect);
        return;
    case ClickAction::Special: {
        const auto action = SpecialActionFor(item.appname);
        if (!action) return;
        if (action->kind == SpecialKind::OpenTrash) {
            TrashClick();
            return;
        }
        const SpecialServices services = m_services.special ? m_services.special() : SpecialServices{};
        run("special item", [action = *action, services] { RunSpecialAction(action, services); });
        return;
    }
    }
}

void DockClicks::TrashClick() {
    switch (m_trashClicks.Click(TrashFull(), static_cast<std::int64_t>(::GetTickCount64()))) {
    case TrashClicks::Outcome::Open:
        if (!m_services.jobs.Run([](const foundation::JobContext&) { OpenRecycleBin(); }))
            foundation::LogFailure("open trash", "no job could be started");
        return;
    case TrashClicks::Outcome::StartTimer:
        ::SetTimer(m_services.inputWindow, kTrashTimer, TrashClicks::kDoubleClickMs, nullptr);
        return;
    case TrashClicks::Outcome::AskToEmpty:
        ::KillTimer(m_services.inputWindow, kTrashTimer);
        ::PostMessageW(m_services.inputWindow, kAskToEmptyTrashMessage, 0, 0);
        return;
    }
}

bool DockClicks::TimerFired(UINT_PTR id) {
    if (id == kTrashPollTimer || id == kTrashNoticeTimer) {
        if (id == kTrashNoticeTimer) ::KillTimer(m_services.inputWindow, kTrashNoticeTimer);
        PollTrash();
        return true;
    }
    if (id != kTrashTimer) return false;
    ::KillTimer(m_services.inputWindow, kTrashTimer);
    if (m_trashClicks.TimerElapsed() && !m_services.jobs.Run([](const foundation::JobContext&) { OpenRecycleBin(); }))
        foundation::LogFailure("open trash", "no job could be started");
    return true;
}

void DockClicks::AskToEmptyTrash() {
    const auto& s = m_services.settings;
    const std::wstring title = s.LanguageText(L"promptwindow", L"trashtitle", L"Trash");
    const std::wstring text =
        s.LanguageText(L"promptwindow", L"trashok", L"Are you sure you want to permanently erase the items in the Trash?");
    const std::wstring confirm = s.LanguageText(L"menu", L"emptytrash", L"Empty Trash");
    const std::wstring cancel = s.LanguageText(L"promptwindow", L"cancel", L"Cancel");
    const bool confirmed = m_services.confirm && m_services.confirm(title, text, confirm, cancel);
    if (foundation::DetailLogging()) foundation::LogDetail("trash", confirmed ? "emptying" : "left as it is");
    if (!confirmed) return;
    std::weak_ptr<Shared> weak = m_state;
    const HWND window = m_services.inputWindow;
    auto empty = [weak, window](const foundation::JobContext&) {
        EmptyRecycleBin();
        const bool full = RecycleBinFull();
        if (const auto state = weak.lock(); state && state->trashFull.exchange(full) != full && window)
            ::PostMessageW(window, kTrashChangedMessage, full, 0);
    };
    if (!m_services.jobs.Run(std::move(empty))) foundation::LogFailure("empty trash", "no job could be started");
}

} // namespace kestrana::dock::win32
