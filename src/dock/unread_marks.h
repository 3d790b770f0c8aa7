#pragma once
// The unread-message marks of the dock's items: the chat programs' counts, by program
// file name, become the marks of the items of those programs.

#include "dock/dockico.h"

#include <map>
#include <string>

namespace kestrana::dock {

// `marks`: by lower-case program file name ("dingtalk.exe"), the count, 0 for a mark
// without one. Items of other programs lose any mark. With the item-list lock held; true
// when any item's mark changed.
bool ApplyUnreadMarks(DockItems& items, const std::map<std::wstring, int>& marks);

} // namespace kestrana::dock
