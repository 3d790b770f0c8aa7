#pragma once
// The dock's answer to screen readers: its accessible tree, built from the bar's row and
// model when a reader asks, over the dock's input window.

#include "dock/live_pictures.h"
#include "dock/ondel_bar.h"
#include "dock/win32/dock_clicks.h"
#include "dock/win32/dock_window_ids.h"
#include "foundation/win32/accessible_host.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

namespace kestrana::dock::win32 {

// The battery as the dock's battery item was last drawn: what a reader hears as its value.
void SetReaderBattery(const BatteryLevel& level);

// `trashFull` tells whether the recycle bin holds something; nothing while unknown.
[[nodiscard]] std::unique_ptr<kestrana::win32::AccessibleHost> MakeDockReader(
    HWND window, OndelBar& bar, std::function<std::optional<bool>()> trashFull);

// WM_GETOBJECT on the dock's input window: the host is made on the first question for
// the client object. Nothing for the questions DefWindowProc answers.
[[nodiscard]] std::optional<LRESULT> AnswerDockReader(std::unique_ptr<kestrana::win32::AccessibleHost>& host,
                                                      HWND window, OndelBar& bar,
                                                      const std::function<std::optional<bool>()>& trashFull,
                                                      WPARAM wParam, LPARAM lParam) noexcept;

// What the weather item's value reads ("21°, Clear"); set once at start-up, asked on the
// user-interface thread.
void SetWeatherValueSource(std::function<std::wstring()> source);

// kMsgReaderInvoke: clicks the item as the left button would; an id that names no item
// of the row (a stale one, or one another program made up) is ignored.
void InvokeForReader(OndelBar& bar, DockClicks* clicks, bool menuOpen, WPARAM itemId);

} // namespace kestrana::dock::win32
