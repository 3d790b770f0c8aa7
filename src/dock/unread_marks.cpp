#include "dock/unread_marks.h"

#include "foundation/text.h"

#include <algorithm>

namespace kestrana::dock {

bool ApplyUnreadMarks(DockItems& items, const std::map<std::wstring, int>& marks) {
    bool changed = false;
    items.ForEachReal([&](std::size_t, Dockico& item) {
        std::int32_t unread = kNoUnread;
        // The item's program file name; special items and folders have none.
        if (!item.IsSeparator() && foundation::EndsWithIgnoreCase(item.appname, L".exe")) {
            const auto found = marks.find(foundation::AsciiLower(item.appname));
            if (found != marks.end()) unread = std::max(found->second, 0);
        }
        changed = changed || unread != item.unread;
        item.unread = unread;
    });
    return changed;
}

} // namespace kestrana::dock
