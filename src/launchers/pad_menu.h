#pragma once
// The Launchpad's right-button menu: which rows it offers on an entry and on the
// background.

#include "gfx/menu_model.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::launchers {

enum PadMenuId : int {
    kPadMenuAdmin = 1,
    kPadMenuLocation,
    kPadMenuDelete,
    kPadMenuAdd,
    kPadMenuSortName,
    kPadMenuSortKind,
    kPadMenuSortFill,
    kPadMenuRename,
    kPadMenuRecentFirst = 100, // + index into PadMenuFacts::recent
    kPadMenuRecentLast = 199,
};

struct PadMenuFacts {
    bool onEntry = false;             // the click was on an application, not a group or empty space
    std::vector<std::wstring> recent; // names of the entry's recent documents, newest first
};

// A language text by section and key, with the built-in default.
using PadText = std::function<std::wstring(std::wstring_view section, std::wstring_view key, std::wstring_view fallback)>;

[[nodiscard]] gfx::Menu BuildPadMenu(const PadMenuFacts& facts, const PadText& text);

} // namespace kestrana::launchers
