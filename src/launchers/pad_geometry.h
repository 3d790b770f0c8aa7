#pragma once
// Where the Launchpad puts things on its monitor: the icon size, the 7 x 5 grid of cells
// with the spaces between them, the search box and the page dots, kept clear of the
// dock when the dock shares the monitor. Recomputed when the monitor or the size settings
// change.

#include "gfx/bitmap.h"

#include <cstdint>

namespace kestrana::launchers {

inline constexpr int kPadColumns = 7;
inline constexpr int kPadRows = 5;

// The dock's edge on the Launchpad's monitor, numbered as the dock's settings number it.
enum class DockSide : std::uint8_t { None = 0, Left = 1, Bottom = 2, Right = 3, Top = 4 };

struct PadMetrics {
    int width = 0;  // the monitor, in pixels
    int height = 0;
    float scale = 1.0f;
    int iconSize = 0;     // "padico_size"; 0: automatic
    int spaceWidth = 0;   // "padicospace_width"; 0: automatic
    int spaceHeight = 0;  // "padicospace_height"; 0: automatic
    DockSide dock = DockSide::None;
    int dockThickness = 0;
    int searchWidth = 0;  // 0: 240 at this scale
    int searchHeight = 0; // 0: 30 at this scale
    float textScale = 1.0f; // the system's "make text bigger", 1 to 2.25
};

struct PadGeometry {
    int width = 0, height = 0;
    float scale = 1.0f;
    int iconSize = 0;
    int margin = 0; // around the icon inside its cell
    int cellWidth = 0, cellHeight = 0;
    int spaceX = 0, spaceY = 0;
    int topMargin = 0;
    int leftOffset = 0, topOffset = 0; // room kept for a left or top dock
    int usableWidth = 0, usableHeight = 0;
    int bottomReserve = 0;
    int leftMargin = 0;
    gfx::RectI searchBox;
    float textScale = 1.0f;
    float labelSize = 13.0f;  // the names under the icons, in pixels
    float searchSize = 14.0f; // the search field's text
    int labelWidth = 0;       // a name's widest line before its ellipsis

    // A cell of the grid (row 0..4, column 0..6), on the monitor.
    [[nodiscard]] gfx::RectI Cell(int row, int column) const;
    [[nodiscard]] gfx::RectI Cell(int index) const { return Cell(index / kPadColumns, index % kPadColumns); }
    // The icon's square inside its cell, centred across and `margin` from its top.
    [[nodiscard]] gfx::RectI IconRect(int index) const;
    // The whole grid: from the first cell's corner to the last's.
    [[nodiscard]] gfx::RectI GridRect() const;
    // The page dots' centre line, in the middle of the room below the grid.
    [[nodiscard]] int DotsY() const;
    [[nodiscard]] int DotSpacing() const;
    [[nodiscard]] int DotRadius() const;
    // From an icon's bottom to its name's, with the gap between them.
    [[nodiscard]] int LabelRoom() const;
};

[[nodiscard]] PadGeometry LayOutPad(const PadMetrics& metrics);

} // namespace kestrana::launchers
