#pragma once
// The row of status items on the bar's right side: their order, their places from the
// right edge leftward, the ones that do not fit (shown through a "more" item), and the
// drag that reorders them.

#include "menubar/status_items.h"

#include <optional>
#include <vector>

namespace kestrana::menubar {

struct StatusCell {
    StatusKind kind{};
    int width = 0;      // 0: nothing shown for this item (not built here, or hidden)
    int x = 0;          // bar pixels, after LayOut
    bool placed = false;
    // Where the item is drawn while it slides to `x`, and where that slide began.
    int shownX = 0;
    int fromX = 0;
};

struct RowLayout {
    std::vector<std::size_t> overflow; // indices of items that did not fit, in list order
    std::optional<int> moreX;          // the "more" item, when anything overflowed
    int moreWidth = 0;
};

enum class DragStep {
    None,    // no drag, or the pointer has not moved far enough yet
    Started, // the item left its place
    Moved,   // the dragged item follows the pointer
    Swapped, // it changed places with a neighbour: lay the row out again
};

class StatusRow {
public:
    explicit StatusRow(const std::vector<StatusKind>& order);

    [[nodiscard]] const std::vector<StatusCell>& Cells() const { return m_cells; }
    [[nodiscard]] std::vector<StatusKind> Order() const;
    [[nodiscard]] int IndexOf(StatusKind kind) const;
    // True when the width changed.
    bool SetWidth(StatusKind kind, int width);

    // Places the items from the right margin leftward; an item whose left edge would
    // come closer than 33 x scale to `leftLimit` goes to the overflow list. A rounded
    // screen corner of `cornerInset` pixels widens the margin when it is the wider.
    // An item that was already shown slides from where it is drawn (`shownX`) to its new
    // place (see Slide); one that appears is placed at once.
    RowLayout LayOut(int barWidth, float scale, int leftLimit, int cornerInset = 0);
    // True while an item is drawn away from its place.
    [[nodiscard]] bool Sliding() const;
    // Moves the drawn places along the slide, `progress` 0..1 (eased); at 1 every item is
    // at its place. True while the slide goes on.
    bool Slide(double progress);
    // Ends every slide at once (no animations wanted).
    void SettleSlides() { Slide(1.0); }
    // The placed item under a bar x, or -1.
    [[nodiscard]] int IndexAt(int x) const;

    // Dragging: a press on a placed item, then moves. Past 6 pixels the drag starts
    // unless `locked` ("lockbtn", or bars on every screen).
    void Press(int index, int pointerX);
    DragStep Move(int pointerX, bool locked);
    // Ends a press; true when a drag took place (renumber and save the order).
    bool Release();
    [[nodiscard]] bool Dragging() const { return m_dragging; }
    [[nodiscard]] int DraggedIndex() const { return m_dragging ? m_pressed : -1; }
    // The dragged item's left edge: the pointer minus where it was pressed inside the item.
    [[nodiscard]] int DraggedX() const { return m_pointerX - m_grabOffset; }

private:
    std::vector<StatusCell> m_cells;
    int m_pressed = -1;
    int m_pressX = 0;
    int m_pointerX = 0;
    int m_grabOffset = 0;
    bool m_dragging = false;
};

} // namespace kestrana::menubar
