#pragma once
// What a screen reader is told about one dock: an element per item in screen order,
// with the item's label, its running, attention and minimised marks, the live values of
// the special items, and where its icon is drawn. Built from the row, the bar model and
// the live values the bar draws from, with the item-list lock held by the caller.

#include "dock/dockico.h"
#include "dock/ondel_bar_model.h"
#include "foundation/accessible_tree.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kestrana::dock {

// Values of the special items that do not live in the row itself.
struct DockLiveValues {
    std::wstring clockTime;        // as the clock item's label formats it; its label when empty
    std::wstring calendarDate;     // today, as the calendar page shows it
    std::optional<bool> trashFull; // nothing when it is not known yet
    std::wstring weather;          // "21°, Clear"; empty before the first data
    std::optional<int> batteryPercent; // nothing without a battery (or before it is read)
    bool batteryCharging = false;
};

// The words a reader hears besides the labels, in the user's language.
struct DockWords {
    std::wstring dock = L"Dock";
    std::wstring clock = L"Clock";
    std::wstring open = L"Open";
    std::wstring running = L"running";
    std::wstring windows = L"windows"; // after a count above one: "running, 2 windows"
    std::wstring attention = L"asks for attention";
    std::wstring unread = L"unread messages"; // after a count: "3 unread messages"
    std::wstring minimised = L"minimised window";
    std::wstring trashFull = L"Full";
    std::wstring trashEmpty = L"Empty";
    std::wstring charging = L"charging";
    std::wstring noBattery = L"No battery";
};

struct DockFocus {
    std::int32_t focused = kNoItemId; // item with the keyboard focus
    std::int32_t pressed = kNoItemId; // item held down
    std::int32_t menuOpen = kNoItemId; // item whose menu is open
};

// The element id of an item: its item id (always above 0).
[[nodiscard]] constexpr foundation::AccessibleId DockElementId(std::int32_t itemId) {
    return static_cast<foundation::AccessibleId>(itemId);
}

// `window` is the dock window on the screen; the icons' places are taken from the row as
// laid out by `model` (the frame the renderer draws into has the window's size).
[[nodiscard]] foundation::AccessibleTree BuildDockTree(const DockItems& items, const OndelBarModel& model,
                                                       const DockLiveValues& live, const DockFocus& focus = {},
                                                       const DockWords& words = {});

} // namespace kestrana::dock
