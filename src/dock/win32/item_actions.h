#pragma once
// Carrying out what a click on the dock decided: starting programs, packaged applications
// and URLs, switching to, minimising and closing windows, the special items' actions, and
// the recycle bin. Called from background jobs; none of these waits on the user-interface
// thread.

#include "dock/click_rules.h"
#include "dock/dockico.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace kestrana::dock::win32 {

struct LaunchRequest {
    std::wstring realpath;    // what is started: a program, document, folder or URL
    std::wstring runline;     // its arguments
    std::wstring appUserModelId; // packaged applications
    AppKind kind = AppKind::Program;
    bool admin = false;       // "adminmode": the "runas" verb
};

// The request for an item's start; with `another`, a second instance of a program.
[[nodiscard]] LaunchRequest LaunchRequestFor(const Dockico& item);

bool Launch(const LaunchRequest& request) noexcept;

// Restores a minimised window and brings it to the front even when the system would
// refuse a background process; a window on another virtual desktop is moved here first.
bool SwitchToWindow(HWND window) noexcept;
void MinimiseWindow(HWND window) noexcept;
// Asks the window to close, as its close button would.
void AskToClose(HWND window) noexcept;

// Whether the packaged application family is installed for this user.
[[nodiscard]] bool PackageInstalled(std::wstring_view family) noexcept;
// Starts "family!application"; false when not installed or refused.
bool StartPackage(std::wstring_view family, std::wstring_view application) noexcept;

struct SpecialServices {
    // The companion's key window and message; 0 when the companion is not there.
    HWND companion = nullptr;
    UINT shareKeyMessage = 0;
    std::function<void()> toggleTaskbar;
    // Opens our own weather view when the weather package is not installed.
    std::function<void()> weatherView;
};
bool RunSpecialAction(const SpecialAction& action, const SpecialServices& services) noexcept;

// Presses a chord: through the companion when it runs (confirmed over its pipe), else
// synthesised with the sequence's timings.
void PressKeys(const SpecialServices& services, std::uint16_t first, std::uint16_t second) noexcept;

// --- the recycle bin ---
[[nodiscard]] bool RecycleBinFull() noexcept;
// Every drive's recycle bin, without the system's confirmation, progress or sound.
bool EmptyRecycleBin() noexcept;
// Moves files to the recycle bin (undoable) without asking.
bool MoveToRecycleBin(const std::vector<std::wstring>& paths) noexcept;
// Opens the recycle bin folder.
bool OpenRecycleBin() noexcept;

// --- folders ---
// Moves or copies dropped files into `folder` as the file manager would (the keys held at
// the drop decide, else the drive). Never overwrites: a name already taken gets a new one.
// Shows no window; failures go to the diagnostic log.
bool PutIntoFolder(const std::vector<std::wstring>& paths, const std::wstring& folder, bool ctrl, bool shift) noexcept;

} // namespace kestrana::dock::win32
