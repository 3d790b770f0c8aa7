#include "dock/click_rules.h"

#include <algorithm>

namespace kestrana::dock {
namespace {

bool Contains(std::wstring_view text, std::wstring_view part) { return text.find(part) != std::wstring_view::npos; }

// Nothing of the item is on screen: its folder, special action, running program or a start.
ClickDecision WithoutWindows(const ClickFacts& f) {
    if (f.isFolder) return {ClickAction::OpenStack};
    if (f.appname == L"launchpad|") return {ClickAction::OpenLaunchpad};
    if (f.appname == L"explorer.exe") return {ClickAction::SwitchToFileManager};
    if (SpecialActionFor(f.appname)) return {ClickAction::Special};
    if (f.running && !f.shift && !f.ctrl) return {ClickAction::SearchRunning};
    ClickDecision d{ClickAction::Launch};
    d.bounce = f.jumpIcon && !f.running &&
               (Contains(f.appname, L".exe") || Contains(f.appname, L".url") || f.kind != AppKind::Program);
    return d;
}

} // namespace

ClickDecision DecideClick(const ClickFacts& f) {
    const bool another = f.shift || f.ctrl || f.button == ClickButton::Middle;
    if (another && f.running && f.hasFilepath) return {ClickAction::StartAnother};
    if (f.windowCount > 1) return {ClickAction::ShowPreviews};
    if (f.windowCount == 1) {
        ClickDecision d{ClickAction::SwitchToWindow, true};
        if (f.button == ClickButton::Middle) d.action = ClickAction::CloseWindow;
        else if (f.onlyWindowInFront) d.action = ClickAction::MinimiseWindow;
        return d;
    }
    return WithoutWindows(f);
}

std::optional<SpecialAction> SpecialActionFor(std::wstring_view appname) {
    constexpr std::uint16_t kCtrl = 0x11, kEsc = 0x1B, kWin = 0x5B, kC = 0x43;
    auto folder = [](std::wstring_view id, std::wstring_view classId) {
        return SpecialAction{.kind = SpecialKind::OpenKnownFolder, .target = id, .fallback = classId};
    };
    auto package = [](std::wstring_view family, std::wstring_view app) {
        return SpecialAction{.kind = SpecialKind::StartPackage, .target = family, .fallback = app};
    };
    auto keys = [](std::uint16_t a, std::uint16_t b, std::wstring_view uri = {}) {
        return SpecialAction{.kind = SpecialKind::PressKeys, .keys = {a, b}, .uri = uri};
    };
    if (appname == L"trash|") return SpecialAction{.kind = SpecialKind::OpenTrash};
    if (appname == L"controlpanel")
        return folder(L"{82A74AEB-AEB4-465C-A014-D097EE346D63}", L"::{21EC2020-3AEA-1069-A2DD-08002B30309D}");
    if (appname == L"mydocuments")
        return folder(L"{FDD39AD0-238F-46AF-ADB4-6C85480369C7}", L"::{450D8FBA-AD25-11D0-98A8-0800361B1103}");
    if (appname == L"network")
        return folder(L"{D20BEEC4-5CA8-4905-AE3B-BF251EA09B53}", L"::{208D2C60-3AEA-1069-A2D7-08002B30309D}");
    if (appname == L"taskbar") return SpecialAction{.kind = SpecialKind::ToggleTaskbar};
    if (appname == L"startmenu") return keys(kCtrl, kEsc);
    if (appname == L"cortana") return keys(kWin, kC, L"ms-cortana:");
    if (appname == L"weather") return package(L"microsoft.bingweather_8wekyb3d8bbwe", L"app");
    if (appname == L"virtualdesktop") return SpecialAction{.kind = SpecialKind::TaskView};
    if (appname == L"battery") return SpecialAction{.kind = SpecialKind::OpenUri, .target = L"ms-settings:batterysaver"};
    if (appname == L"cal|")
        return package(L"microsoft.windowscommunicationsapps_8wekyb3d8bbwe", L"microsoft.windowslive.calendar");
    if (appname == L"systemtime") return package(L"microsoft.windowsalarms_8wekyb3d8bbwe", L"app");
    return std::nullopt;
}

std::vector<KeyStep> KeySequence(std::uint16_t first, std::uint16_t second, std::uint16_t third) {
    std::vector<KeyStep> steps;
    steps.push_back({first, false, 50});
    steps.push_back({second, false, third ? 50 : 100});
    if (third) steps.push_back({third, false, 100});
    for (int round = 0; round < 3; ++round) {
        if (third) steps.push_back({third, true, 0});
        steps.push_back({second, true, 0});
        steps.push_back({first, true, 0});
    }
    return steps;
}

TrashClicks::Outcome TrashClicks::Click(bool full, std::int64_t nowMs) {
    if (m_since && nowMs - *m_since <= kDoubleClickMs) {
        m_since.reset();
        return Outcome::AskToEmpty;
    }
    if (!full) {
        m_since.reset();
        return Outcome::Open;
    }
    m_since = nowMs;
    return Outcome::StartTimer;
}

bool TrashClicks::TimerElapsed() {
    const bool waiting = m_since.has_value();
    m_since.reset();
    return waiting;
}

std::size_t ClampDropIndex(std::size_t hitIndex, bool pastMiddle, std::size_t entries) {
    const std::size_t wanted = hitIndex + (pastMiddle ? 1 : 0);
    const std::size_t lo = 4;
    const std::size_t hi = entries >= 8 ? entries - 4 : lo;
    // Never past the trailing placeholders, even on a row with no room at all.
    const std::size_t last = entries >= DockItems::kPlaceholders ? entries - DockItems::kPlaceholders : 0;
    return std::min(std::clamp(wanted, lo, hi), last);
}

} // namespace kestrana::dock
