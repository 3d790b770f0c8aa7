#pragma once
// The one-job verbs of the command line, the restart argument and the wait that a
// restarted program does before it starts for real.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::foundation {

enum class StartVerb {
    Normal,
    AddUiAccess,   // install the UI-access companion under Program Files, exit 0
    DelUiAccess,   // remove it again, exit 0
    OpenSystemUac, // turn User Account Control back on, exit 0
    WaitGameOver,  // wait for a window (and any full-screen game) before the normal start
    SteamOffline,  // restart after the update step
    OpenSettings,  // "--settings": the settings window, of the running instance when there is one
};

struct ParsedCommandLine {
    StartVerb verb = StartVerb::Normal;
    std::uint64_t waitWindow = 0; // WaitGameOver: the window handle, 0 when none was given
};

// The whole argument text, compared case-insensitively; "waitgameover-" may stand
// anywhere, followed by a window handle in decimal.
[[nodiscard]] ParsedCommandLine ParseCommandLine(std::wstring_view arguments);

// The argument text of a restart: "waitgameover-" and the window, or empty without one.
[[nodiscard]] std::wstring RestartArguments(std::optional<std::uint64_t> window);

// What the wait before a restarted start needs from the system.
struct WaitGameOverPorts {
    std::function<bool()> fullScreenDirect3D;       // the shell reports a full-screen game
    std::function<bool(std::uint64_t)> windowExists;
    std::function<void(std::uint32_t ms)> sleep;
};

// Every 1500 ms, when no full-screen game runs, tests whether the window still exists;
// returns after the second such test that finds it gone. Returns the number of checks.
std::uint32_t WaitGameOver(std::uint64_t window, const WaitGameOverPorts& ports);

} // namespace kestrana::foundation
