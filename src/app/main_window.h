#pragma once
// The hidden main window: it serves window-creation requests for worker threads and
// other processes, and receives the system broadcasts the program reacts to.

#include "dock/window_events.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace kestrana::app {

// Registered message numbers, filled in at start.
struct RegisteredMessages {
    UINT share = 0;
    UINT shareHwnd = 0;
    UINT shareTemp = 0;
    UINT shareMemoryTask = 0;
    UINT shareKey = 0;
    UINT hwndMenu = 0;
    UINT stageManager = 0;
    UINT tabSwitch = 0;
    UINT shellHook = 0;
    UINT taskbarCreated = 0;
    UINT windowReport = 0;
};
[[nodiscard]] RegisteredMessages& Messages() noexcept;

// Feature entry points the main window calls. Each feature fills in its own when it is
// built; an empty one means the feature is not running.
struct MainWindowHandlers {
    std::function<void()> taskbarRecreated;              // after the 1 s settle timer
    std::function<void(WPARAM, LPARAM)> shellHook;       // window tracker
    std::function<void(HWND, bool opened)> windowOpenClose;
    // The hook module's reports (opened, closed, activated, minimised, restored) once the
    // main window has checked them; a report only ever asks for a look at the window.
    std::function<void(const dock::WindowEvent&)> windowEvent;
    // Some window came to the front (from any of the window event sources).
    std::function<void()> foregroundHint;
    // A window came to the front, appeared or went away (the stage manager's columns).
    std::function<void()> stageWindowsChanged;
    std::function<void()> endLivePreview;
    std::function<void()> showWindowsTaskbar;            // undo the hide-taskbar setting
    std::function<void(WPARAM, LPARAM)> steamResult;
    std::function<void(int id)> hotkey;
    std::function<void()> displayChanged;                // on the user-interface thread, after the change settles
    std::function<void()> followPointer;                 // every half second
    std::function<void()> everySecond;                   // the live items' clock
    std::function<void()> colorSetChanged;               // called on a worker
    std::function<bool()> appModeChanged;                // user-interface thread: true when the docks must be rebuilt
    std::function<void()> powerResumed;
    std::function<void()> powerStatusChanged;
    std::function<void(WPARAM, LPARAM)> launchpadRequest;
    std::function<void()> openSettings;                  // the settings window, on request of a second start
    std::function<LRESULT(const COPYDATASTRUCT&)> trayRecord;
    std::function<void()> hideBars;                      // crash, restart
    std::function<void()> hideLaunchpad;
    std::function<void()> reloadLaunchpad;               // its catalogue files were replaced
    std::function<bool()> launchpadShown;
    std::function<void()> stopMinimiseWatcher;
    std::function<void()> stopMenuBar;
    std::function<std::vector<HWND>()> trackedWindows;   // windows the dock tracks
    std::function<bool()> minimiseAnimationsOn;
    std::function<void()> hotCornerPointer;              // a settled pointer position waits to be tested
    std::function<void()> hotCornerTimer;                // timer 6: the pointer stayed in a corner
    std::function<void()> screenCornersChanged;          // the monitors changed: corners as their settings say
};
[[nodiscard]] MainWindowHandlers& Handlers() noexcept;

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

inline constexpr UINT_PTR kTimerFollowPointer = 9878;
inline constexpr UINT_PTR kTimerEverySecond = 9879;
// The dock follows the pointer across monitors ("multiscreen" 1).
void StartFollowPointerTimer(HWND mainWindow) noexcept;
// How many display changes the main window has seen.
[[nodiscard]] int DisplayChangeCount() noexcept;

// Sets the quit flag and ends the message loop; the caller returns to the loop.
void RequestQuit() noexcept;

} // namespace kestrana::app
