#pragma once
// What the hook companion and the program say to each other beyond the registered
// message names: codes of message 50014 and the decisions the hook makes on a window's
// show command. Header-only, shared by the program and both companion builds.

#include <cstdint>
#include <string_view>

namespace kestrana::foundation {

inline constexpr std::uint32_t kMsgHookAsk = 50014;       // to the "dockhook32" watcher and to the main window
inline constexpr std::uintptr_t kAskMinimise = 0;
inline constexpr std::uintptr_t kAskStageManager = 1;
inline constexpr std::uintptr_t kAskMinimiseBySystemMenu = 2;
inline constexpr std::uintptr_t kAskRestore = 3;

// What the hook module saw happen to a top-level window of its own process, posted to
// the main window as the registered message kMsgWindowReport (wParam the window, lParam
// the code). Opening and closing keep their older message, kMsgHookAsk with lParam 1 or 0.
// A report names no sender and proves nothing: the program only looks at the window.
inline constexpr std::uintptr_t kReportActivated = 1;
inline constexpr std::uintptr_t kReportMinimised = 2;
inline constexpr std::uintptr_t kReportRestored = 3;
// kMsgHookAsk lParam for a window being destroyed while still on screen: sent, not
// posted, so the program can take the window's picture before it goes (the hook waits
// briefly); the usual closing report (0) is posted after it.
inline constexpr std::intptr_t kClosingOnScreen = 2;
// Set on the main window while closing animations are on: only then does the hook wait.
inline constexpr std::wstring_view kPropCloseAnimation = L"KestranaCloseAnimation";

// The menu hand-over: the companion posts kMsgMenuRequest (wParam the request's number)
// to the application's window; the hook module, inside that thread, answers the bar
// window with kMsgMenuState (wParam the number, lParam the open title, or one of below).
inline constexpr std::wstring_view kMsgMenuRequest = L"KestranaFinderMenu";
inline constexpr std::wstring_view kMsgMenuState = L"KestranaFinderMenuState";
inline constexpr std::intptr_t kMenuStateDone = -1;
inline constexpr std::intptr_t kMenuStateTitles = -2;

// The watcher is a window of this class and title in the program itself.
inline constexpr std::wstring_view kWatcherWindowTitle = L"dockhook32";
inline constexpr std::wstring_view kWatcherWindowClass = L"dockhook32";
inline constexpr std::wstring_view kProgramImageName = L"Kestrana.exe";
inline constexpr std::wstring_view kCompanion32Class = L"hookel32";
inline constexpr std::wstring_view kCompanion64Class = L"hookel64";
inline constexpr std::wstring_view kCompanionArmClass = L"hookel64arm";

// "KestranaShare" requests (wParam).
inline constexpr std::uintptr_t kShareWatchWindow = 1;
inline constexpr std::uintptr_t kShareTaskbar = 4;
inline constexpr std::uintptr_t kShareTrayHookArm = 5;
// lParam: the number of a menu request file in "findermenu"; the companion wakes its hook
// module inside the thread of the request's window to carry it out.
inline constexpr std::uintptr_t kShareMenuRequest = 6;
inline constexpr std::uintptr_t kShareHandshake = 999;
// "KestranaShareMemoryTask" requests (wParam).
inline constexpr std::uintptr_t kTaskInstallSelfUpdate = 4;
inline constexpr std::uintptr_t kTaskRerunHooks = 5;
// Copy-data kind of a disk image to detach.
inline constexpr std::uintptr_t kCopyDataDetachDisk = 1;

// Command lines of the companion started elevated for the autostart modes.
inline constexpr std::wstring_view kVerbCreateStartTask = L"SystemRunStartPlane";
inline constexpr std::wstring_view kVerbCreateStartService = L"SystemRunStart";
inline constexpr std::wstring_view kVerbRemoveStart = L"SystemDelStart";

enum class ShowIntent { Other, Minimise, Restore };

// The show commands (SW_*) that minimise or bring back a window, as a hook sees them
// before the system acts. Numbers, so this stays free of system headers.
[[nodiscard]] constexpr ShowIntent ClassifyShowCommand(int showCommand, bool iconic) noexcept {
    switch (showCommand) {
    case 2:  // SW_SHOWMINIMIZED
    case 6:  // SW_MINIMIZE
    case 7:  // SW_SHOWMINNOACTIVE
    case 11: // SW_FORCEMINIMIZE
        return iconic ? ShowIntent::Other : ShowIntent::Minimise;
    case 1:  // SW_SHOWNORMAL
    case 3:  // SW_MAXIMIZE
    case 9:  // SW_RESTORE
    case 10: // SW_SHOWDEFAULT
        return iconic ? ShowIntent::Restore : ShowIntent::Other;
    default: return ShowIntent::Other;
    }
}

} // namespace kestrana::foundation
