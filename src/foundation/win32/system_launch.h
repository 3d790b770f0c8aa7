#pragma once
// Starting programs the way the program needs: elevated, with a check that they kept
// running, the hook companion that this system can run, and the autostart entries.

#include "foundation/autostart.h"

#include <windows.h>

#include <optional>
#include <string>

namespace kestrana::win32 {

[[nodiscard]] bool IsElevated() noexcept;

// Starts a program in the program folder and reports whether it is still running after
// `settleMs` (a program the system cannot run at all ends at once); 0 = do not wait.
bool StartProcess(const std::wstring& path, const std::wstring& arguments, DWORD settleMs) noexcept;

// Ends every process (but this one) whose image is `imagePath`; true when one was ended.
bool TerminateProcessesOf(const std::wstring& imagePath) noexcept;

// Starts a program with "open" when this process is elevated, "runas" otherwise; refused
// (and logged) when the program's folder can be changed by users other than administrators.
bool RunElevated(const std::wstring& file, const std::wstring& arguments) noexcept;

// The command of a scheduled task's first program action; nullopt when there is none.
[[nodiscard]] std::optional<std::wstring> TaskCommand(const wchar_t* name) noexcept;

// True when the scheduled task exists and its action runs `program`.
[[nodiscard]] bool TaskRunsProgram(const wchar_t* name, const std::wstring& program) noexcept;

// The companion program this system can run: "hookel.exe", or the 64-bit build where
// 32-bit programs cannot run.
[[nodiscard]] std::wstring CompanionExecutable() noexcept;

[[nodiscard]] foundation::AutostartMode ReadAutostart() noexcept;
// Applies a mode and returns the mode read back afterwards.
foundation::AutostartMode WriteAutostart(foundation::AutostartMode mode) noexcept;

} // namespace kestrana::win32
