#include "dock/window_event_codes.h"

#include "foundation/hook_protocol.h"

namespace kestrana::dock {

std::optional<WindowEventKind> WinEventKind(std::uint32_t event, bool wholeWindow) {
    if (!wholeWindow) return std::nullopt;
    switch (event) {
    case kEventForeground: return WindowEventKind::Activated;
    case kEventMinimiseStart: return WindowEventKind::Minimised;
    case kEventMinimiseEnd: return WindowEventKind::Restored;
    // A window moved to another monitor may belong to another dock now.
    case kEventMoveSizeEnd: return WindowEventKind::Changed;
    case kEventObjectNameChange: return WindowEventKind::Changed;
    case kEventObjectCreate:
    case kEventObjectShow: return WindowEventKind::Appeared;
    case kEventObjectDestroy:
    case kEventObjectHide: return WindowEventKind::Destroyed;
    default: return std::nullopt;
    }
}

std::span<const WindowEventKind> ShellHookEventKinds(std::uintptr_t code) {
    using K = WindowEventKind;
    static constexpr K kAppeared[] = {K::Appeared};
    static constexpr K kDestroyed[] = {K::Destroyed};
    static constexpr K kActivated[] = {K::Activated};
    static constexpr K kChanged[] = {K::Changed};
    static constexpr K kFullScreen[] = {K::FullScreen, K::Activated};
    static constexpr K kAttention[] = {K::Attention};
    switch (code) {
    case kShellWindowCreated: return kAppeared;
    case kShellWindowDestroyed: return kDestroyed;
    case kShellWindowActivated: return kActivated;
    // A new title or icon; the replacing pair names both the old and the new window, and
    // a look at each tells which one is still there.
    case kShellRedraw:
    case kShellWindowReplaced:
    case kShellWindowReplacing:
    case kShellMonitorChanged: return kChanged;
    case kShellFullScreenActivated: return kFullScreen;
    case kShellFlash: return kAttention;
    default: return {};
    }
}

bool IgnoresAttention(std::wstring_view windowClass) {
    return windowClass == L"$$$Secure UAP Dummy Window Class For Interim Dialog" ||
           windowClass == L"Credential Dialog Xaml Host";
}

ReportClaim OpenCloseClaim(std::intptr_t lParam) { return lParam == 1 ? ReportClaim::Opened : ReportClaim::Closed; }

std::optional<ReportClaim> WindowReportClaim(std::uintptr_t code) {
    switch (code) {
    case foundation::kReportActivated: return ReportClaim::Activated;
    case foundation::kReportMinimised: return ReportClaim::Minimised;
    case foundation::kReportRestored: return ReportClaim::Restored;
    default: return std::nullopt;
    }
}

std::optional<WindowEventKind> JudgeReport(ReportClaim claim, const ReportedWindow& seen) {
    if (claim == ReportClaim::Closed) {
        if (!seen.exists) return WindowEventKind::Destroyed;
        if (seen.topLevel && !seen.ours) return WindowEventKind::Changed;
        return std::nullopt;
    }
    if (!seen.exists || !seen.topLevel || seen.ours) return std::nullopt;
    switch (claim) {
    case ReportClaim::Opened: return WindowEventKind::Appeared;
    case ReportClaim::Activated: return WindowEventKind::Activated;
    // The module reports before the system acts; until the state shows, it is only a look.
    case ReportClaim::Minimised: return seen.minimised ? WindowEventKind::Minimised : WindowEventKind::Changed;
    case ReportClaim::Restored: return seen.minimised ? WindowEventKind::Changed : WindowEventKind::Restored;
    default: return std::nullopt;
    }
}

} // namespace kestrana::dock
