#pragma once
// Starting what a launch request names through the shell, and reading shortcuts. Called
// from background jobs; none of these waits on the user-interface thread.

#include "foundation/launch_request.h"

#include <optional>
#include <string>

namespace kestrana::platform {

// Packaged applications through their activation, everything else with the shell's
// "open" (or "runas") verb in the folder that holds it. Failures are logged.
bool Launch(const foundation::LaunchRequest& request) noexcept;

// A shortcut's target and arguments; nothing for a file that is no shortcut. Needs COM on
// the calling thread.
[[nodiscard]] std::optional<foundation::ShortcutFacts> ReadShortcut(const std::wstring& path) noexcept;

} // namespace kestrana::platform
