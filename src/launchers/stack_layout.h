#pragma once
// Where a folder stack's pop-up stands and where each of its items goes, for the three
// layouts: a grid that scrolls, a fan that curves away from the dock item (the first item
// nearest the dock) and a list of names that scrolls. Pure arithmetic on screen pixels.

#include "gfx/bitmap.h"
#include "launchers/stack_settings.h"

#include <cstdint>
#include <vector>

namespace kestrana::launchers {

enum class DockEdge : std::uint8_t { Bottom, Top, Left, Right };

struct StackPlacement {
    gfx::RectI work;       // the monitor's work area
    gfx::RectI dock;       // the dock's bar on screen
    int anchorAlong = 0;   // centre of the clicked item along the dock (x on a bottom dock)
    DockEdge edge = DockEdge::Bottom;
    float scale = 1.0f;
    float textScale = 1.0f; // the system's "make text bigger", 1 to 2.25
};

struct StackCell {
    gfx::RectF icon;  // window pixels; grid and list cells are in content coordinates
    gfx::RectF label;
    float angle = 0;  // fan: the icon's tilt in degrees, clockwise
};

// The fan shows this many items at most; a further cell offers the rest in the folder.
inline constexpr int kFanMaxItems = 15;

struct StackGeometry {
    StackLayout layout = StackLayout::Grid;
    gfx::RectI window;      // screen pixels
    gfx::RectF panel;       // the backdrop, window pixels (empty for the fan)
    gfx::RectF title;       // the folder's name
    gfx::RectF backButton;  // empty unless a nested folder is shown
    gfx::RectF openButton;  // opens the folder itself; empty when hidden
    gfx::RectF view;        // the area the cells scroll in (grid and list)
    float contentHeight = 0;
    float rowHeight = 0;
    float iconSize = 0;
    float radius = 0;       // corner radius of the panel
    float textSize = 12;    // the items' names and the open button, in pixels
    float titleSize = 14;   // the folder's name
    std::vector<StackCell> cells;
    bool more = false;      // fan: the last cell is the "more in folder" entry
    [[nodiscard]] bool Scrolls() const { return contentHeight > view.height + 0.5f; }
};

// The layout actually drawn for the chosen one: the fan falls back to the list on a dock
// at the left or right edge, where it would run along the screen's edge, and to the grid
// for a nested folder, whose back button only the boxed layouts have.
[[nodiscard]] StackLayout DrawnLayout(StackLayout chosen, DockEdge edge, bool nested);

// `count` items in the layout drawn for the chosen one (see DrawnLayout).
[[nodiscard]] StackGeometry LayOutStack(StackLayout layout, int count, const StackPlacement& place, bool nested,
                                        bool openButton);

// The scroll (grid and list) that shows item `index` whole, moved as little as possible
// from `scroll`: the keyboard's selection never sits out of view. The fan does not scroll.
[[nodiscard]] float ScrollToShow(const StackGeometry& geometry, int index, float scroll);

// The cell under a point of the window (scroll applied to grid and list); -1 for none.
[[nodiscard]] int HitStackCell(const StackGeometry& geometry, gfx::PointF point, float scroll);

// A cell where it stands `progress` (0..1) into the opening animation: grid and list
// slide a little from the dock side; the fan's items rise from the first one in turn.
[[nodiscard]] StackCell AnimatedCell(const StackGeometry& geometry, int index, float progress, float scroll);

// Eases the animation's linear time (0..1).
[[nodiscard]] float EaseOut(float t);

} // namespace kestrana::launchers
