#pragma once
// Every timer and private message of a dock's input window, in one place: the pieces
// that share that window (clicks, menus, drops, the reader, the live pictures) each set
// their own, and two of them once used the same timer id, so one silently replaced the other.

#include "dock/hide_decision.h"

#include <windows.h>

#include <array>
#include <cstddef>

namespace kestrana::dock::win32 {

// Timers.
inline constexpr UINT_PTR kWeatherTimer = 2;       // redraws the weather item while one exists
inline constexpr UINT_PTR kTrashTimer = 8;         // a single click on the trash, unless a second follows
inline constexpr UINT_PTR kTimerPointerSample = 9899;
inline constexpr UINT_PTR kTimerStripCheck = 9900;
inline constexpr UINT_PTR kTimerAttention = 9901;
inline constexpr UINT_PTR kTrashPollTimer = 9902;
inline constexpr UINT_PTR kTrashNoticeTimer = 9903;
inline constexpr UINT_PTR kTimerDropWait = 9904;

// Messages.
inline constexpr UINT kMsgFrame = WM_APP + 10;
inline constexpr UINT kMsgVerdict = WM_APP + 11;
inline constexpr UINT kMsgRowChanged = WM_APP + 12;
// The trash went full (wParam 1) or empty.
inline constexpr UINT kTrashChangedMessage = WM_APP + 13;
// Asks whether to empty the trash: the click that asks comes while the row is locked, and
// the question runs a message loop.
inline constexpr UINT kAskToEmptyTrashMessage = WM_APP + 14;
// Posted just before a menu opens; the menu's own loop delivers it once the menu shows.
inline constexpr UINT kMsgMenuShown = WM_APP + 15;
// The shell's notice that the recycle bin changed.
inline constexpr UINT kTrashNoticeMessage = WM_APP + 16;
// Shortcuts and paths dropped from a share were read on a worker.
inline constexpr UINT kMsgDroppedRead = WM_APP + 17;
inline constexpr UINT kMsgPictures = WM_APP + 20;
inline constexpr UINT kMsgDragEscape = WM_APP + 21;
// A click asks for an item's previews while the row is locked; they open after it.
inline constexpr UINT kMsgOpenPreview = WM_APP + 22;
// A reader asked for an item's default action (wParam: its item id): the click runs
// outside the reader's call.
inline constexpr UINT kMsgReaderInvoke = WM_APP + 30;

namespace detail {
template <typename T, std::size_t N>
constexpr bool AllDifferent(const std::array<T, N>& values) {
    for (std::size_t i = 0; i < N; ++i)
        for (std::size_t j = i + 1; j < N; ++j)
            if (values[i] == values[j]) return false;
    return true;
}
} // namespace detail

static_assert(detail::AllDifferent(std::array<UINT_PTR, 9>{kWeatherTimer, kTrashTimer, kTimerPointerSample,
                                                           kTimerStripCheck, kTimerAttention, kTrashPollTimer,
                                                           kTrashNoticeTimer, kTimerDropWait, kHideTimerId}),
              "two timers of the dock's input window share an id");
static_assert(detail::AllDifferent(std::array<UINT, 12>{kMsgFrame, kMsgVerdict, kMsgRowChanged, kTrashChangedMessage,
                                                        kAskToEmptyTrashMessage, kMsgMenuShown, kTrashNoticeMessage,
                                                        kMsgDroppedRead, kMsgPictures, kMsgDragEscape, kMsgOpenPreview,
                                                        kMsgReaderInvoke}),
              "two messages of the dock's input window share a number");

} // namespace kestrana::dock::win32
