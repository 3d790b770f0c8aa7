#pragma once
// Leaving and re-entering the process: the one-job verbs, restart, elevated starts, the
// crash handler, the hook companion's start and the autostart entries.

#include "foundation/startup_verbs.h"

#include <windows.h>

#include <optional>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::app {

// The settings store of the running program, once start-up has made it; null before.
void SetSettings(foundation::ConfigStore* settings) noexcept;
[[nodiscard]] foundation::ConfigStore* Settings() noexcept;

// The instance event "Ondelwgc123456" held by the running instance.
void SetInstanceEvent(HANDLE event) noexcept;
// Signals and closes it, so a new instance may start.
void ReleaseInstanceEvent() noexcept;

// Carries out a verb that makes the process do one job; returns the exit code, or
// nullopt when the start goes on (a normal start, or after the wait of a restart).
[[nodiscard]] std::optional<int> RunVerb(const foundation::ParsedCommandLine& command) noexcept;

// Ends a workshop window left running by an earlier instance.
void EndWorkshopWindow() noexcept;

// Starts the program anew (waiting for `window` to go first, when given) and ends this
// process. Only the first request counts.
void RestartProgram(HWND window) noexcept;

// The unhandled-exception filter: dump, hide, ask, restart.
void InstallCrashHandler() noexcept;

// Starts the hook companion and shakes hands with it, on a worker thread.
void StartCompanionLinkAsync(HWND mainWindow) noexcept;

} // namespace kestrana::app
