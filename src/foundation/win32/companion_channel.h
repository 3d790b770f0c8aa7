#pragma once
// A named pipe beside the hook companion's window. Window messages name no sender, so the
// program confirms each sensitive request (typing keys, installing its update, detaching
// a disk) over this pipe just before it posts or sends the message; the companion acts
// only on a message it holds a confirmation for, and the pipe tells it which process
// wrote the confirmation.

#include "foundation/foreign_requests.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace kestrana::win32 {

// "\\.\pipe\Kestrana-companion-<pid>": the pipe of the companion process `pid`.
[[nodiscard]] std::wstring CompanionPipeName(unsigned long pid);

// The program's side: writes the confirmation to the pipe of the process that owns
// `companionWindow` and waits for its receipt; the pipe's server must be that process.
bool ConfirmToCompanion(HWND companionWindow, const foundation::Confirmation& confirmation) noexcept;

// Confirms, then posts "KestranaShareKey" with the chord: what the program does instead
// of posting the message alone.
bool PostKeysToCompanion(HWND companionWindow, UINT shareKeyMessage, WORD first, WORD second) noexcept;
// Confirms, then sends the copy-data that asks the companion to detach a disk image;
// returns the companion's answer (1 = done).
LRESULT DetachDiskThroughCompanion(HWND companionWindow, HWND mainWindow, const std::wstring& imagePath) noexcept;

// The companion's side, run on a thread of its own until the process ends: accepts one
// confirmation per connection. `check` decides about the writer (its process id); the
// accepted ones go to `accepted`, which must be thread-safe.
void ServeConfirmations(std::function<bool(unsigned long pid)> check,
                        std::function<void(const foundation::Confirmation&)> accepted) noexcept;

} // namespace kestrana::win32
