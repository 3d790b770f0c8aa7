#pragma once
// What can be learnt about the process behind a request from another process, and the
// program folder it is compared with. The rules are in foundation/foreign_requests.h.

#include "foundation/foreign_requests.h"

#include <windows.h>

#include <string>

namespace kestrana::win32 {

// The folder of this process's executable in its long form, ending in a backslash.
[[nodiscard]] std::wstring ProgramFolder() noexcept;

[[nodiscard]] foundation::SenderFacts ProcessFacts(DWORD pid) noexcept;
// The facts of the process that owns `window`; pid 0 when there is no such window.
[[nodiscard]] foundation::SenderFacts WindowFacts(HWND window) noexcept;

// Checks the sender and writes a refusal to the diagnostic log under `where`.
bool AcceptSender(const foundation::SenderFacts& sender, const foundation::SenderRule& rule, const char* where,
                  std::wstring_view what) noexcept;

// Checks a hook module's message about `window` (50014) before anything is done for it,
// and writes a refusal to the diagnostic log under `where`. Call from the window
// procedure that received the message: whether it was sent is asked of the current one.
bool AcceptHookReport(HWND window, bool mustBeSent, const char* where, std::wstring_view what) noexcept;

// True when running under Wine, which has no integrity levels, no UIPI and no enforced
// file access lists; checks that depend on them are described as skipped there.
[[nodiscard]] bool RunningUnderWine() noexcept;

} // namespace kestrana::win32
