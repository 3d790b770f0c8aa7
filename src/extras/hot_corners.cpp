#include "extras/hot_corners.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"

#include <algorithm>

namespace kestrana::extras {
namespace {

// Chebyshev distance from a point to a box (0 inside it).
int DistanceTo(const MonitorBox& box, CornerPoint p) {
    const int dx = std::max({box.left - p.x, 0, p.x - (box.right - 1)});
    const int dy = std::max({box.top - p.y, 0, p.y - (box.bottom - 1)});
    return std::max(dx, dy);
}

// Another monitor meets the corner when it lies within reach of one of the three points
// just outside it: beside it, below it or diagonally past it.
bool MetByAnotherMonitor(const MonitorBox& own, Corner corner, std::span<const MonitorBox> monitors) {
    const bool left = corner == Corner::BottomLeft;
    const int inside = left ? own.left : own.right - 1;
    const int outside = left ? own.left - 1 : own.right;
    const CornerPoint beside{outside, own.bottom - 1};
    const CornerPoint below{inside, own.bottom};
    const CornerPoint past{outside, own.bottom};
    for (const MonitorBox& other : monitors) {
        if (&other == &own) continue;
        for (CornerPoint p : {beside, below, past})
            if (!own.Contains(p) && DistanceTo(other, p) <= kNeighbourReach) return true;
    }
    return false;
}

} // namespace

Corner CornerAt(CornerPoint pointer, std::span<const MonitorBox> monitors) {
    const auto own = std::find_if(monitors.begin(), monitors.end(), [&](const MonitorBox& m) { return m.Contains(pointer); });
    if (own == monitors.end()) return Corner::None;
    if (pointer.y < own->bottom - kCornerZone) return Corner::None;
    Corner corner = Corner::None;
    if (pointer.x <= own->left + kCornerZone) corner = Corner::BottomLeft;
    else if (pointer.x >= own->right - kCornerZone) corner = Corner::BottomRight;
    if (corner == Corner::None || monitors.size() < 2) return corner;
    return MetByAnotherMonitor(*own, corner, monitors) ? Corner::None : corner;
}

bool CornerTestAllowed(const CornerFacts& facts) {
    if (facts.dockBusy || facts.userLockedOut || facts.fullScreenApp) return false;
    if (facts.dockExists && facts.dockSecondBusy) return false;
    if (facts.pointerDockSuspended) return false;
    if (facts.buttonHeld) {
        const bool fromFileWindow = facts.foregroundClass == L"CabinetWClass" || facts.foregroundClass == L"EVERYTHING";
        return facts.dockExists && !facts.launchpadShown && fromFileWindow;
    }
    return true;
}

void PointerSettle::Report(CornerPoint pointer, std::int64_t nowMs) {
    ++m_reports;
    m_last = pointer;
    m_lastAt = nowMs;
}

std::optional<CornerPoint> PointerSettle::Due(std::int64_t nowMs) {
    if (m_tested == m_reports || nowMs - m_lastAt < kSettleMs) return std::nullopt;
    m_tested = m_reports;
    return m_last;
}

std::optional<std::int64_t> PointerSettle::Wait(std::int64_t nowMs) const {
    if (m_tested == m_reports) return std::nullopt;
    return std::max<std::int64_t>(0, kSettleMs - (nowMs - m_lastAt));
}

CornerTracker::TimerStep CornerTracker::Observe(Corner result) {
    if (result == m_corner) return TimerStep::Leave;
    m_corner = result;
    return result == Corner::None ? TimerStep::Stop : TimerStep::Restart;
}

Corner CornerTracker::Take() {
    const Corner corner = m_corner == Corner::BottomLeft ? Corner::BottomLeft : Corner::BottomRight;
    m_corner = Corner::None;
    return corner;
}

ActionLabel LabelOf(CornerAction action) {
    switch (action) {
    case CornerAction::Nothing: return {L"nothing", L"Nothing"};
    case CornerAction::AllWindows: return {L"allwindows", L"All windows"};
    case CornerAction::Launchpad: return {L"launchpad", L"LaunchPad"};
    case CornerAction::DisplaySleep: return {L"displaytosleep", L"Display to sleep"};
    case CornerAction::StartMenu: return {L"startmenu", L"Start menu"};
    case CornerAction::ShowDesktop: return {L"showdesktop", L"Show desktop"};
    case CornerAction::ActionCenter: return {L"actioncenter", L"Action center"};
    case CornerAction::ScreenSaver: return {L"screensaver", L"Screen saver"};
    case CornerAction::Widgets: return {L"Windows widget", L"Windows widget"};
    }
    return {};
}

std::array<std::wstring_view, 3> SlotKeys(Corner corner) {
    if (corner == Corner::BottomLeft) return {L"bottomleft", L"bottomleft2", L"bottomleft3"};
    return {L"bottomright", L"bottomright2", L"bottomright3"};
}

std::vector<CornerAction> ActionsOf(std::span<const int, 3> slots, const std::function<void(int, int)>& badValue) {
    std::vector<CornerAction> actions;
    for (int slot = 0; slot < 3; ++slot) {
        int value = slots[static_cast<std::size_t>(slot)];
        if (value < 0 || value > kLastCornerAction) {
            if (badValue) badValue(slot, value);
            value = 0;
        }
        if (value == 0) break;
        actions.push_back(static_cast<CornerAction>(value));
    }
    return actions;
}

std::int64_t PointerWatch::Sampled(bool moved, bool anyCornerAction, std::int64_t nowMs) {
    if (moved) m_lastMoveMs = nowMs;
    if (!anyCornerAction) return kNoCornerMs;
    if (moved) return kMovingMs;
    return nowMs - m_lastMoveMs >= kLongRestAfterMs ? kLongRestMs : kRestingMs;
}

std::vector<CornerAction> CornerSettingsReader::Read(const foundation::ConfigStore& store, Corner corner) {
    const auto keys = SlotKeys(corner);
    std::array<int, 3> slots{};
    for (std::size_t i = 0; i < 3; ++i) slots[i] = store.ReadInt(L"normal", keys[i]);
    return ActionsOf(slots, [&](int slot, int value) {
        std::wstring what = std::wstring(keys[static_cast<std::size_t>(slot)]) + L"=" + std::to_wstring(value);
        if (!m_reported.insert(what).second) return;
        foundation::LogFailure("hot corner settings", L"no such action: " + what + L"; the corner does nothing there");
    });
}

TimerOutcome DecideOnTimer(std::vector<CornerAction> actions) {
    TimerOutcome outcome;
    if (actions.empty()) return outcome;
    outcome.kind = actions.size() == 1 ? TimerOutcome::Kind::Run : TimerOutcome::Kind::OfferChoice;
    outcome.actions = std::move(actions);
    return outcome;
}

ActionPlan PlanAction(CornerAction action, bool windows11) {
    constexpr std::uint8_t kWin = 91, kControl = 17, kEscape = 27, kTab = 9, kD = 68, kW = 87;
    ActionPlan plan;
    plan.runs = true;
    switch (action) {
    case CornerAction::AllWindows: plan.keys = {kWin, kTab}; break;
    case CornerAction::Launchpad: plan.toggleLaunchpad = true; break;
    case CornerAction::DisplaySleep: plan.displayOff = true; break;
    case CornerAction::StartMenu:
        plan.activateDesktop = true;
        plan.keys = {kControl, kEscape};
        break;
    case CornerAction::ShowDesktop:
        plan.activateDesktop = true;
        plan.keys = {kWin, kD};
        break;
    case CornerAction::ActionCenter: plan.uri = L"ms-actioncenter:"; break;
    case CornerAction::ScreenSaver: plan.screenSaverNow = true; break;
    case CornerAction::Widgets:
        plan.runs = windows11;
        if (windows11) plan.keys = {kWin, kW};
        break;
    case CornerAction::Nothing: plan.runs = false; break;
    }
    return plan;
}

} // namespace kestrana::extras
