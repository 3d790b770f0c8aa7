#pragma once
// The four ways the program can start with Windows, as the settings page shows them:
// 0 none, 1 the Run value, 2 the logon task, 3 the service entry.

#include <optional>
#include <string>

namespace kestrana::foundation {

enum class AutostartMode { None = 0, RunValue = 1, Task = 2, Service = 3 };

// What the system holds; absent entries are nullopt.
struct AutostartFacts {
    bool runValueExists = false;                   // "Kestrana" under HKCU\...\Run
    std::optional<std::wstring> taskCommand;       // the action of the task "Kestrana"
    std::optional<std::wstring> serviceImagePath;  // "ImagePath" of the service "Ondel"
};

[[nodiscard]] AutostartMode ReadAutostartMode(const AutostartFacts& facts, const std::wstring& exePath,
                                              const std::wstring& baseFolder);

// The companion verb that sets up (or removes) modes 2, 3 and 0; empty for mode 1.
[[nodiscard]] std::wstring AutostartCompanionVerb(AutostartMode mode);

} // namespace kestrana::foundation
