#pragma once
// The Steam client's part in start-up: its library, the launch parameters that make the
// process run one job, and its language. The program runs without the library; this is
// where a Steam integration plugs in. Until then Steam counts as not available and none
// of its paths is taken.

#include "foundation/companion_update.h"

#include <optional>
#include <string>

namespace kestrana::app {

struct SteamSession {
    bool available = false;
    std::wstring runType;                 // launch parameter "runtype"; empty for a normal start
    std::optional<std::wstring> language; // the client's current game language
};

// Starts the Steam client library; `available` is false without it.
[[nodiscard]] SteamSession StartSteam() noexcept;

// Runs the one-shot job named by "runtype" ("savesteamini", "shareico", ...) and reports
// its result to the window in the launch parameter "HWND". Returns the exit code.
int RunSteamJob(const SteamSession& steam) noexcept;

// Start-up steps taken only with Steam and not started by another instance of this
// program: the downloaded update and the "steamoffline" restart. Returns true when the
// process must exit (an update installer took over, or the program restarted).
bool RunSteamStartSteps(const SteamSession& steam, bool steamOffline) noexcept;

} // namespace kestrana::app
