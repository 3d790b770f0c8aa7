#include "dock/dock_accessible.h"

#include "dock/dock_renderer.h"

#include <algorithm>
#include <cmath>

namespace kestrana::dock {
namespace {

using foundation::AccessibleElement;
using foundation::AccessibleRole;
using foundation::AccessibleState;

// Rounded as OndelBar::IconOnScreen rounds, and cut to the window: a fully grown icon
// may reach past it, and that part is never seen.
foundation::AccessibleRect ToScreen(const gfx::RectF& r, const ScreenRect& window) {
    const int left = std::max(window.left, window.left + static_cast<int>(std::lround(r.x)));
    const int top = std::max(window.top, window.top + static_cast<int>(std::lround(r.y)));
    const int right = std::min(window.right, window.left + static_cast<int>(std::lround(r.x)) +
                                                 static_cast<int>(std::lround(r.width)));
    const int bottom = std::min(window.bottom, window.top + static_cast<int>(std::lround(r.y)) +
                                                   static_cast<int>(std::lround(r.height)));
    return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

// An item of its own for one minimised window: the tracker gives it no program.
bool IsMinimisedWindowItem(const Dockico& item) {
    return !item.kept.load(std::memory_order_relaxed) && item.appname.empty() && item.filepath.empty() &&
           item.windows.size() == 1;
}

void Describe(AccessibleElement& e, const Dockico& item, const DockWords& words) {
    const auto add = [&e](const std::wstring& words) {
        if (!e.description.empty()) e.description += L", ";
        e.description += words;
    };
    if (IsMinimisedWindowItem(item)) {
        add(words.minimised);
    } else if (item.running.load(std::memory_order_relaxed)) {
        e.state |= AccessibleState::Running;
        add(words.running);
        if (item.windows.size() > 1) add(std::to_wstring(item.windows.size()) + L" " + words.windows);
    }
    if (item.attention) {
        e.state |= AccessibleState::Attention;
        add(words.attention);
    }
    if (item.unread != kNoUnread) {
        // Read out as the item's value, which is what changes as messages come and go.
        const std::wstring unread = item.unread > 0 ? std::to_wstring(item.unread) + L" " + words.unread : words.unread;
        e.value = e.value.empty() ? unread : e.value + L", " + unread;
    }
}

} // namespace

foundation::AccessibleTree BuildDockTree(const DockItems& items, const OndelBarModel& model, const DockLiveValues& live,
                                         const DockFocus& focus, const DockWords& words) {
    const ScreenRect window = model.WindowRect();
    AccessibleElement root;
    root.role = AccessibleRole::ToolBar;
    root.name = words.dock;
    root.bounds = {window.left, window.top, window.Width(), window.Height()};
    root.flow = IsVertical(model.GetEdge()) ? foundation::AccessibleFlow::Vertical : foundation::AccessibleFlow::Horizontal;
    foundation::AccessibleTree tree(std::move(root));
    if (!DockItems::HasItemRange(items.Size())) return tree;

    // The row runs left to right and top to bottom on every edge, so the vector order is
    // the screen order.
    items.ForEachReal([&](std::size_t, const Dockico& item) {
        // The drag gap holds only room; a lifted icon is elsewhere until it is dropped.
        if (item.id <= kNoItemId || item.lifted) return;
        AccessibleElement e;
        e.id = DockElementId(item.id);
        e.bounds = ToScreen(ItemRectInFrame(model, item, window.Width(), window.Height()), window);
        if (item.IsSeparator()) {
            e.role = AccessibleRole::Separator;
            tree.Add(std::move(e));
            return;
        }
        e.role = AccessibleRole::PushButton;
        e.name = item.tag.empty() ? item.appname : item.tag;
        e.state = AccessibleState::Focusable | AccessibleState::HasPopup;
        e.defaultAction = words.open;
        if (item.appname == L"systemtime") {
            e.role = AccessibleRole::Clock;
            e.name = words.clock;
            e.value = live.clockTime.empty() ? item.tag : live.clockTime;
        } else if (item.appname == L"cal|") {
            e.value = live.calendarDate;
        } else if (item.appname == L"weather") {
            e.value = live.weather;
        } else if (item.appname == L"battery") {
            if (!live.batteryPercent) {
                e.value = words.noBattery;
            } else {
                e.value = std::to_wstring(std::clamp(*live.batteryPercent, 0, 100)) + L" %";
                if (live.batteryCharging) e.value += L", " + words.charging;
            }
        } else if (item.appname == L"trash|" && live.trashFull) {
            e.value = *live.trashFull ? words.trashFull : words.trashEmpty;
        }
        Describe(e, item, words);
        if (item.sizeFactor <= 0 || item.leaving) e.state |= AccessibleState::Offscreen; // growing in or leaving
        if (item.id == focus.focused) e.state |= AccessibleState::Focused;
        if (item.id == focus.pressed) e.state |= AccessibleState::Pressed;
        if (item.id == focus.menuOpen) e.state |= AccessibleState::Expanded;
        tree.Add(std::move(e));
    });
    tree.Seal();
    return tree;
}

} // namespace kestrana::dock
