#pragma once
// The one way the program and its companions start other processes: a program by its
// path (optionally as another user, hidden, waited for), or a file or verb through the
// shell. Every handle the system hands back is owned; every failure is logged with the
// caller's `what`.

#include "foundation/win32/unique_handle.h"

#include <optional>
#include <string>

namespace kestrana::win32 {

struct StartedProcess {
    UniqueKernelHandle process;
    DWORD id = 0;
};

struct ProgramStart {
    std::wstring program;   // full path; empty: the first word of `arguments` names it
    std::wstring arguments; // after the quoted program path
    std::wstring folder;    // working folder; empty: this process's
    DWORD flags = 0;        // creation flags, e.g. CREATE_NO_WINDOW
    // Start as this user, with that user's environment, on the interactive desktop.
    HANDLE userToken = nullptr;
};

// Starts a program; nullopt (logged) when the system refused.
[[nodiscard]] std::optional<StartedProcess> StartProgram(const ProgramStart& start, const char* what) noexcept;

// Whether the process is still running after `ms` (a program the system cannot run at all
// ends at once).
[[nodiscard]] bool StillRunningAfter(const StartedProcess& started, DWORD ms) noexcept;

// The exit code once the process ended within `ms`; nullopt when it did not.
[[nodiscard]] std::optional<DWORD> WaitForExit(const StartedProcess& started, DWORD ms) noexcept;

// Opens a file, program or URL through the shell with a verb ("open", "runas"). Takes
// plain pointers so the crash handler can use it without allocating.
struct ShellStart {
    const wchar_t* file = nullptr;
    const wchar_t* arguments = nullptr; // null or empty: none
    const wchar_t* folder = nullptr;
    const wchar_t* verb = L"open";
    int show = SW_SHOWNORMAL;
    bool waitForStart = false; // the call returns once the start has been handed over
};
bool StartWithShell(const ShellStart& start, const char* what) noexcept;

} // namespace kestrana::win32
