#include "extras/win32/hot_corner_host.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/process_state.h"
#include "foundation/shell_messages.h"
#include "foundation/win32/process_start.h"
#include "gfx/win32/popup_menu.h"

#include <shellapi.h>

#include <chrono>
#include <climits>
#include <optional>
#include <vector>

namespace kestrana::extras::win32 {
namespace {

// How often the watcher looks at the pointer. Only a change is reported, so a still
// pointer costs a position read per tick and nothing else.

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data) {
    auto* boxes = reinterpret_cast<std::vector<MonitorBox>*>(data);
    boxes->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

std::vector<MonitorBox> Monitors() {
    std::vector<MonitorBox> boxes;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&boxes));
    return boxes;
}

bool FullScreenProgram() {
    QUERY_USER_NOTIFICATION_STATE state{};
    return SUCCEEDED(::SHQueryUserNotificationState(&state)) && state == QUNS_RUNNING_D3D_FULL_SCREEN;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    if (!window || ::GetClassNameW(window, name, 128) == 0) return {};
    return name;
}

// The desktop's own window, the one holding the folder view: key presses meant for the
// shell reach it instead of the program in front.
HWND DesktopWindow() {
    HWND progman = ::FindWindowW(L"Progman", L"Program Manager");
    if (progman && ::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr)) return progman;
    for (HWND w = ::GetWindow(progman, GW_HWNDPREV); w; w = ::GetWindow(w, GW_HWNDPREV)) {
        if (::IsWindowVisible(w) && ::GetWindowTextLengthW(w) == 0 &&
            ::FindWindowExW(w, nullptr, L"SHELLDLL_DefView", nullptr))
            return w;
    }
    HWND worker = nullptr;
    while ((worker = ::FindWindowExW(nullptr, worker, L"WorkerW", nullptr)))
        if (::FindWindowExW(worker, nullptr, L"SHELLDLL_DefView", nullptr)) return worker;
    return progman;
}

} // namespace

HotCornerHost::HotCornerHost(HotCornerServices services) : m_services(std::move(services)) {
    m_watcher = std::thread([this] { Watch(); });
}

HotCornerHost::~HotCornerHost() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_watcher.joinable()) m_watcher.join();
    if (m_services.mainWindow) ::KillTimer(m_services.mainWindow, kCornerTimer);
}

void HotCornerHost::Watch() {
    POINT last{INT_MIN, INT_MIN};
    PointerWatch watch;
    std::int64_t wait = PointerWatch::kMovingMs;
    bool anyAction = false;
    std::optional<std::int64_t> actionsReadAt;
    std::unique_lock lock(m_mutex);
    // The quit flag ends the watch as well: the host itself lives until the process ends.
    while (!m_stop && !foundation::Process().quit.load()) {
        m_wake.wait_for(lock, std::chrono::milliseconds(wait), [this] { return m_stop; });
        if (m_stop) break;
        lock.unlock();
        POINT now{};
        const bool read = ::GetCursorPos(&now) != FALSE;
        const std::int64_t at = NowMs();
        // A corner set on the settings page is noticed within a second.
        if (!actionsReadAt || at - *actionsReadAt >= PointerWatch::kNoCornerMs) {
            actionsReadAt = at;
            anyAction = AnyCornerActs();
        }
        lock.lock();
        const bool moved = read && (now.x != last.x || now.y != last.y);
        wait = watch.Sampled(moved, anyAction, at);
        if (moved) {
            last = now;
            if (anyAction) m_settle.Report({now.x, now.y}, at);
        }
        if (auto due = m_settle.Due(at)) {
            m_settled = *due;
            ::PostMessageW(m_services.mainWindow, kMsgCornerPointer, 0, 0);
        }
    }
}

bool HotCornerHost::AnyCornerActs() const {
    if (!m_services.store) return false;
    for (const Corner corner : {Corner::BottomLeft, Corner::BottomRight})
        if (m_services.store->ReadInt(L"normal", SlotKeys(corner)[0]) != 0) return true;
    return false;
}

CornerFacts HotCornerHost::GatherFacts(POINT at) const {
    CornerFacts facts;
    const DockCornerFacts dock = m_services.dockFacts ? m_services.dockFacts(at) : DockCornerFacts{};
    facts.dockExists = dock.exists;
    facts.dockBusy = dock.busy;
    facts.dockSecondBusy = dock.secondBusy;
    facts.pointerDockSuspended = dock.suspended;
    facts.userLockedOut = foundation::Process().sessionLocked.load();
    facts.fullScreenApp = FullScreenProgram();
    facts.buttonHeld = (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) || (::GetAsyncKeyState(VK_RBUTTON) & 0x8000);
    facts.launchpadShown = m_services.launchpadShown && m_services.launchpadShown();
    if (facts.buttonHeld) facts.foregroundClass = ClassOf(::GetForegroundWindow());
    return facts;
}

void HotCornerHost::PointerSettled() noexcept {
    try {
        CornerPoint at;
        {
            std::lock_guard lock(m_mutex);
            at = m_settled;
        }
        // The pop-up follows the pointer itself; the corner waits until it is closed.
        if (m_choiceOpen) return;
        if (!CornerTestAllowed(GatherFacts({at.x, at.y}))) return;
        const std::vector<MonitorBox> monitors = Monitors();
        switch (m_tracker.Observe(CornerAt(at, monitors))) {
        case CornerTracker::TimerStep::Leave: break;
        case CornerTracker::TimerStep::Stop: ::KillTimer(m_services.mainWindow, kCornerTimer); break;
        case CornerTracker::TimerStep::Restart:
            ::KillTimer(m_services.mainWindow, kCornerTimer);
            ::SetTimer(m_services.mainWindow, kCornerTimer, kCornerTimerMs, nullptr);
            break;
        }
    } catch (...) {
        foundation::LogCaught("hot corner test");
    }
}

void HotCornerHost::TimerFired() noexcept {
    try {
        ::KillTimer(m_services.mainWindow, kCornerTimer);
        const Corner corner = m_tracker.Take();
        if (!m_services.store) return;
        const TimerOutcome outcome = DecideOnTimer(m_reader.Read(*m_services.store, corner));
        switch (outcome.kind) {
        case TimerOutcome::Kind::HideChoice:
            if (m_choiceOpen) gfx::CancelPopupMenu();
            break;
        case TimerOutcome::Kind::Run:
            foundation::LogDetail("hot corner", L"action " + std::to_wstring(static_cast<int>(outcome.actions[0])));
            Run(outcome.actions[0]);
            break;
        case TimerOutcome::Kind::OfferChoice: OfferChoice(corner, outcome.actions); break;
        }
    } catch (...) {
        foundation::LogCaught("hot corner timer");
    }
}

void HotCornerHost::OfferChoice(Corner corner, const std::vector<CornerAction>& actions) noexcept {
    if (m_choiceOpen || gfx::PopupMenuOpen() || !m_services.text || !m_services.store) return;
    gfx::Menu menu;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const ActionLabel label = LabelOf(actions[i]);
        std::wstring text = m_services.store->LanguageText(L"hotcorners", label.key, label.fallback);
        menu.push_back(gfx::MenuItem::Command(static_cast<int>(i) + 1, std::move(text), false,
                                              PlanAction(actions[i], m_services.windows11).runs));
    }
    POINT pointer{};
    ::GetCursorPos(&pointer);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info);
    const UINT dpi = ::GetDpiForWindow(m_services.mainWindow);
    const float scale = dpi ? static_cast<float>(dpi) / 96.0f : 1.0f;
    // Opened above the corner, leaning into the screen, so that the pointer in the corner
    // is right beside the list.
    const int gap = static_cast<int>(8 * scale);
    const POINT anchor{corner == Corner::BottomLeft ? info.rcMonitor.left + gap : info.rcMonitor.right - gap,
                       info.rcMonitor.bottom};
    gfx::PopupMenuOptions options;
    options.className = std::wstring(foundation::kHotCornerClass);
    options.ownerProperty = kChoiceProperty;
    options.ownerValue = this;
    options.scale = scale;
    foundation::LogDetail("hot corner", L"choice of " + std::to_wstring(actions.size()) + L" offered");
    m_choiceOpen = true;
    const int chosen = gfx::RunPopupMenu(m_services.mainWindow, menu, anchor, info.rcMonitor.bottom - gap,
                                         m_services.text(), options);
    m_choiceOpen = false;
    if (chosen >= 1 && chosen <= static_cast<int>(actions.size())) Run(actions[static_cast<std::size_t>(chosen - 1)]);
}

void HotCornerHost::Run(CornerAction action) noexcept {
    const ActionPlan plan = PlanAction(action, m_services.windows11);
    if (!plan.runs) return;
    if (plan.activateDesktop) {
        if (HWND desktop = DesktopWindow()) ::SetForegroundWindow(desktop);
    }
    if (plan.keys.size() == 2 && m_services.pressKeys) m_services.pressKeys(plan.keys[0], plan.keys[1]);
    if (!plan.uri.empty()) kestrana::win32::StartWithShell({.file = plan.uri.c_str()}, "hot corner");
    if (plan.toggleLaunchpad && m_services.toggleLaunchpad) m_services.toggleLaunchpad();
    if (plan.displayOff) ::PostMessageW(m_services.mainWindow, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    if (plan.screenSaverNow && !::SystemParametersInfoW(SPI_SETSCREENSAVETIMEOUT, 1, nullptr, SPIF_SENDCHANGE))
        foundation::LogFailure("hot corner", L"the screen saver's time-out could not be set");
}

} // namespace kestrana::extras::win32
