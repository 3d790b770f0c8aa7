#pragma once
// One menu bar as a screen reader reads it: the logo, the active application's name,
// its menu titles and the status items shown, each with what it shows (the clock's text
// as drawn), in screen order from left to right. The platform layer hands over the
// cells it draws; nothing here asks the system anything.

#include "foundation/accessible_tree.h"
#include "gfx/bitmap.h"
#include "menubar/status_items.h"

#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace kestrana::menubar {

struct BarTextCell {
    std::wstring text;
    gfx::RectI rect; // bar pixels; empty when not shown
};

struct BarStatusCell {
    StatusKind kind{};
    std::wstring text; // what the cell shows as text, empty for a glyph
    gfx::RectI rect;   // bar pixels
    std::wstring name; // an item that names itself; empty: the kind's name of BarWords
    std::vector<BarTextCell> parts; // an item of several parts (tray icons), each a button
};

// What the bar draws, in bar pixels, and which of its menus is open.
struct BarFacts {
    int originX = 0, originY = 0; // the bar's top-left corner on the screen
    int width = 0, height = 0;
    gfx::RectI logo;
    BarTextCell appName;
    std::vector<BarTextCell> titles;
    std::vector<BarStatusCell> status; // the placed items, in any order
    std::optional<gfx::RectI> more;    // the item that holds what did not fit
    int openTitle = -1;                // the title whose menu is open
    bool logoMenuOpen = false;
    std::optional<StatusKind> openStatus; // the status item whose menu is open
    foundation::AccessibleId focused = foundation::kAccessibleRoot; // the cell with the keyboard focus
};

struct BarWords {
    std::wstring bar = L"Menu bar";
    std::wstring logo = L"System menu";
    std::wstring more = L"More";
    std::wstring open = L"Open";
    std::wstring clock = L"Clock";
    std::wstring focusAssist = L"Focus Assist";
    std::wstring search = L"Search";
    std::wstring user = L"User Account";
    std::wstring inputSource = L"Input Source";
    std::wstring press = L"Press";
};

// Element ids: fixed per kind of cell, so a reader keeps its place across rebuilds.
inline constexpr foundation::AccessibleId kBarLogoId = 1;
inline constexpr foundation::AccessibleId kBarAppNameId = 2;
inline constexpr foundation::AccessibleId kBarMoreId = 3;
[[nodiscard]] constexpr foundation::AccessibleId BarTitleId(int index) {
    return 100 + static_cast<foundation::AccessibleId>(index);
}
[[nodiscard]] constexpr foundation::AccessibleId BarStatusId(StatusKind kind) {
    return 1000 + static_cast<foundation::AccessibleId>(kind);
}

// A part of a status item: its kind's block, then the part's place in it.
inline constexpr std::size_t kBarMaxParts = 1000;
[[nodiscard]] constexpr foundation::AccessibleId BarPartId(StatusKind kind, std::size_t index) {
    return 100000 + static_cast<foundation::AccessibleId>(kind) * 1000 + static_cast<foundation::AccessibleId>(index);
}
// The part an id names, as (kind, index); nothing for any other id.
[[nodiscard]] std::optional<std::pair<StatusKind, std::size_t>> BarPartOf(foundation::AccessibleId id);

[[nodiscard]] std::wstring StatusItemName(StatusKind kind, const BarWords& words);

[[nodiscard]] foundation::AccessibleTree BuildBarTree(const BarFacts& facts, const BarWords& words = {});

} // namespace kestrana::menubar
