#pragma once
// What the item list asks of the system besides files: facts about names and paths from
// the shell and the environment, and the local time. Win32 implements them in
// dock/win32/; tests use small fakes.

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::dock {

class ItemShell {
public:
    virtual ~ItemShell() = default;
    // The value of an environment variable (names compare case-insensitively); nothing
    // when it is not set.
    [[nodiscard]] virtual std::optional<std::wstring> EnvironmentVariable(std::wstring_view name) const = 0;
    // The long form of a path written with short (8.3) names; empty when the path does
    // not exist or cannot be resolved.
    [[nodiscard]] virtual std::wstring LongPathName(const std::wstring& path) const = 0;
    // True when the shell can parse this name into an item ("shell:AppsFolder\<id>").
    [[nodiscard]] virtual bool ParsesAsShellItem(const std::wstring& parsingName) const = 0;
    // The folder of a known-folder id written as "{GUID}"; empty when unknown.
    [[nodiscard]] virtual std::wstring KnownFolderPath(std::wstring_view folderId) const = 0;
    // The Windows folder, e.g. "C:\Windows" (no trailing backslash).
    [[nodiscard]] virtual std::wstring WindowsFolder() const = 0;
    // True for a path on another machine: a share ("\\server\..."), or on Windows a drive
    // letter mapped to one. The list's load takes such paths as written and never asks the
    // file system about them: a share may take the network's time-outs to answer, and the
    // load runs on the user-interface thread.
    [[nodiscard]] virtual bool IsRemote(const std::wstring& path) const { return IsSharePath(path); }

    // "\\server\share\..." or "\\?\UNC\server\...", with either slash; not the local
    // device forms "\\?\C:\..." and "\\.\...".
    [[nodiscard]] static bool IsSharePath(std::wstring_view path);
};

struct LocalTime {
    int year = 0;
    int month = 0; // 1 to 12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class LocalClock {
public:
    virtual ~LocalClock() = default;
    [[nodiscard]] virtual LocalTime Now() const = 0;
    // The time written with a time picture such as "HH:mm" or "h:mm tt", in the user's
    // locale; empty when the picture cannot be used.
    [[nodiscard]] virtual std::wstring FormatTime(std::wstring_view picture, const LocalTime& time) const = 0;
};

} // namespace kestrana::dock
