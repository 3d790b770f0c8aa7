#pragma once
// How the system's window notifications and the hook module's reports become window
// events: which notification means what, and what a report from another process may
// make the program do. The numbers are the system's; they are written out here so the
// rules stay free of system headers.

#include "dock/window_events.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace kestrana::dock {

// Window events of the system's event hooks.
inline constexpr std::uint32_t kEventForeground = 0x0003;
inline constexpr std::uint32_t kEventMoveSizeEnd = 0x000B;
inline constexpr std::uint32_t kEventMinimiseStart = 0x0016;
inline constexpr std::uint32_t kEventMinimiseEnd = 0x0017;
inline constexpr std::uint32_t kEventObjectCreate = 0x8000;
inline constexpr std::uint32_t kEventObjectDestroy = 0x8001;
inline constexpr std::uint32_t kEventObjectShow = 0x8002;
inline constexpr std::uint32_t kEventObjectHide = 0x8003;
inline constexpr std::uint32_t kEventObjectNameChange = 0x800C;

// The kind an event hook's event stands for; none for the events of the hooked range the
// tracker has no use for, and for events about a part of a window (`wholeWindow` false:
// the object is not the window itself).
[[nodiscard]] std::optional<WindowEventKind> WinEventKind(std::uint32_t event, bool wholeWindow);

// Shell-hook codes whose lParam is a window.
inline constexpr std::uintptr_t kShellWindowCreated = 1;
inline constexpr std::uintptr_t kShellWindowDestroyed = 2;
inline constexpr std::uintptr_t kShellWindowActivated = 4;
inline constexpr std::uintptr_t kShellRedraw = 6;
inline constexpr std::uintptr_t kShellWindowReplaced = 13;
inline constexpr std::uintptr_t kShellWindowReplacing = 14;
inline constexpr std::uintptr_t kShellMonitorChanged = 16;
inline constexpr std::uintptr_t kShellFullScreenActivated = 0x8004;
inline constexpr std::uintptr_t kShellFlash = 0x8006;

// The kinds a shell-hook code stands for, in order; empty for codes the tracker has no
// use for (and for those whose lParam is no window). A full-screen window that becomes
// active is reported as FullScreen and as Activated.
[[nodiscard]] std::span<const WindowEventKind> ShellHookEventKinds(std::uintptr_t code);

// The system's credential prompts flash while they wait; they are no application's call
// for attention.
[[nodiscard]] bool IgnoresAttention(std::wstring_view windowClass);

// What the hook module claims about a window: the opening and closing of its older message
// (lParam 1 opened, anything else closed), or a code of the window report message.
enum class ReportClaim : std::uint8_t { Opened, Closed, Activated, Minimised, Restored };

[[nodiscard]] ReportClaim OpenCloseClaim(std::intptr_t lParam);
// None for a code the module does not send.
[[nodiscard]] std::optional<ReportClaim> WindowReportClaim(std::uintptr_t code);

// What the program itself sees of the window a report names, looked up when it arrives.
struct ReportedWindow {
    bool exists = false;    // still a window
    bool topLevel = false;  // a window of the desktop, not a child
    bool ours = false;      // belongs to this process
    bool minimised = false;
};

// The event a report may cause, or none. A report names no sender and is never believed:
// it can only make the tracker look at a top-level window of another process. A closed
// window that still exists is looked at again instead of being dropped, a minimise that
// has not happened yet is a look, and the program's own windows are never reported.
[[nodiscard]] std::optional<WindowEventKind> JudgeReport(ReportClaim claim, const ReportedWindow& seen);

} // namespace kestrana::dock
