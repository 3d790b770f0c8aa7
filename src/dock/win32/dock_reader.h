#pragma once
// The dock's answer to screen readers: its accessible tree, built from the bar's row and
// model when a reader asks, over the dock's input window.

#include "dock/ondel_bar.h"
#include "foundation/win32/accessible_host.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

namespace kestrana::dock::win32 {

// `trashFull` tells whether the recycle bin holds something; nothing while unknown.
[[nodiscard]] std::unique_ptr<kestrana::win32::AccessibleHost> MakeDockReader(
    HWND window, OndelBar& bar, std::function<std::optional<bool>()> trashFull);

// WM_GETOBJECT on the dock's input window: the host is made on the first question for
// the client object. Nothing for the questions DefWindowProc answers.
[[nodiscard]] std::optional<LRESULT> AnswerDockReader(std::unique_ptr<kestrana::win32::AccessibleHost>& host,
                                                      HWND window, OndelBar& bar,
                                                      const std::function<std::optional<bool>()>& trashFull,
                                                      WPARAM wParam, LPARAM lParam) noexcept;

} // namespace kestrana::dock::win32
