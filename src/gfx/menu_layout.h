#pragma once
// Sizes and places a pop-up menu: the rows of one level inside its picture, and the
// picture on the screen (below its anchor, or beside its parent row for a submenu),
// kept inside the work area.

#include "gfx/bitmap.h"
#include "gfx/menu_model.h"

#include <functional>
#include <string>
#include <vector>

namespace kestrana::gfx {

// Every size in pixels at the menu's scale (96 dpi = 1.0), truncated.
struct MenuMetrics {
    float scale = 1.0f;
    float textSize = 13;
    int padding = 5;          // above the first and below the last row
    int rowHeight = 24;
    int separatorHeight = 9;
    int checkGutter = 26;     // left of the text: room for the check mark
    int arrowGutter = 26;     // right of the text: room for the submenu arrow
    int detailGap = 24;       // between a row's text and its detail
    int minWidth = 168;
    int maxTextWidth = 460;   // longer texts end with an ellipsis
    int radius = 7;
    int highlightInset = 5;

    // `textScale` is the system's "make text bigger" (1 to 2.25): the texts grow by it,
    // and the rows and widths with them, so a bigger text never overflows its row.
    [[nodiscard]] static MenuMetrics At(float scale, float textScale = 1.0f);
};

struct MenuLayout {
    int width = 0;
    int height = 0;
    std::vector<RectI> rows; // one per item, in picture pixels
};

// `measure` gives a text's width in pixels at the metrics' text size.
using MeasureText = std::function<int(const std::wstring&)>;

[[nodiscard]] MenuLayout LayOutMenu(const Menu& items, const MenuMetrics& metrics, const MeasureText& measure);

// The row under a point of the picture, or -1.
[[nodiscard]] int RowAt(const MenuLayout& layout, int x, int y);

// The track of a slider row (picture pixels), between the check and arrow gutters.
[[nodiscard]] RectI SliderTrack(const RectI& row, const MenuMetrics& metrics);
// The value (0..100) a press at picture x sets on a slider row; outside the track it
// sticks to the nearer end.
[[nodiscard]] int SliderValueAt(const RectI& row, const MenuMetrics& metrics, int x);

// Where a menu of `size` opens for an anchor point (its preferred top-left corner):
// moved left to stay in the work area, and above the anchor's `flipY` when there is no
// room below.
[[nodiscard]] RectI PlaceMenu(int width, int height, int anchorX, int anchorY, int flipY, const RectI& workArea);
// A submenu beside its parent row (screen pixels): right of the parent menu, or left of
// it when the right side has no room; top aligned with the row, moved up when needed.
[[nodiscard]] RectI PlaceSubmenu(int width, int height, const RectI& parentMenu, const RectI& parentRow,
                                 const RectI& workArea);

} // namespace kestrana::gfx
