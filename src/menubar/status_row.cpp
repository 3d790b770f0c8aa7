#include "menubar/status_row.h"

#include <algorithm>

#include "menubar/bar_geometry.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace kestrana::menubar {

namespace {
constexpr int kDragThreshold = 6;
}

StatusRow::StatusRow(const std::vector<StatusKind>& order) {
    m_cells.reserve(order.size());
    for (StatusKind kind : order) m_cells.push_back({kind, 0, 0, false, 0, 0});
}

std::vector<StatusKind> StatusRow::Order() const {
    std::vector<StatusKind> order;
    order.reserve(m_cells.size());
    for (const StatusCell& cell : m_cells) order.push_back(cell.kind);
    return order;
}

int StatusRow::IndexOf(StatusKind kind) const {
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        if (m_cells[i].kind == kind) return static_cast<int>(i);
    return -1;
}

bool StatusRow::SetWidth(StatusKind kind, int width) {
    const int index = IndexOf(kind);
    if (index < 0 || m_cells[static_cast<std::size_t>(index)].width == width) return false;
    m_cells[static_cast<std::size_t>(index)].width = width;
    return true;
}

RowLayout StatusRow::LayOut(int barWidth, float scale, int leftLimit, int cornerInset) {
    RowLayout layout;
    layout.moreWidth = Scaled(33.0f, scale);
    const int reserve = Scaled(33.0f, scale);
    int x = barWidth - std::max(Scaled(10.0f, scale), cornerInset);
    int lastPlaced = x;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        StatusCell& cell = m_cells[i];
        const bool wasPlaced = cell.placed;
        cell.placed = false;
        if (cell.width <= 0) continue;
        x -= cell.width;
        if (x - reserve >= leftLimit) {
            cell.x = x;
            cell.placed = true;
            lastPlaced = x;
            // A slide starts from where the item is drawn now, even halfway through another.
            if (!wasPlaced) cell.shownX = x;
            cell.fromX = cell.shownX;
        } else {
            layout.overflow.push_back(i);
        }
    }
    if (!layout.overflow.empty()) layout.moreX = lastPlaced - layout.moreWidth;
    return layout;
}

bool StatusRow::Sliding() const {
    return std::any_of(m_cells.begin(), m_cells.end(), [](const StatusCell& c) { return c.placed && c.shownX != c.x; });
}

bool StatusRow::Slide(double progress) {
    const double t = std::clamp(progress, 0.0, 1.0);
    // Ease out: quick to leave, gentle to arrive.
    const double eased = 1.0 - (1.0 - t) * (1.0 - t) * (1.0 - t);
    for (StatusCell& cell : m_cells) {
        if (!cell.placed) continue;
        cell.shownX = t >= 1.0 ? cell.x : cell.fromX + static_cast<int>(std::lround((cell.x - cell.fromX) * eased));
    }
    return Sliding();
}

int StatusRow::IndexAt(int x) const {
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        const StatusCell& c = m_cells[i];
        if (c.placed && x >= c.x && x < c.x + c.width) return static_cast<int>(i);
    }
    return -1;
}

void StatusRow::Press(int index, int pointerX) {
    m_dragging = false;
    m_pressed = -1;
    if (index < 0 || index >= static_cast<int>(m_cells.size()) || !m_cells[static_cast<std::size_t>(index)].placed)
        return;
    m_pressed = index;
    m_pressX = m_pointerX = pointerX;
    m_grabOffset = pointerX - m_cells[static_cast<std::size_t>(index)].x;
}

DragStep StatusRow::Move(int pointerX, bool locked) {
    if (m_pressed < 0) return DragStep::None;
    m_pointerX = pointerX;
    if (!m_dragging) {
        if (locked || std::abs(pointerX - m_pressX) <= kDragThreshold) return DragStep::None;
        m_dragging = true;
        return DragStep::Started;
    }
    // Crossing the middle of a neighbour swaps the two; the middle (not the edge) keeps
    // items of different widths from swapping back and forth.
    const int over = IndexAt(pointerX);
    if (over >= 0 && over != m_pressed) {
        const StatusCell& other = m_cells[static_cast<std::size_t>(over)];
        const int middle = other.x + other.width / 2;
        const bool otherIsLeft = over > m_pressed; // later in the list = further left
        if (otherIsLeft ? pointerX < middle : pointerX >= middle) {
            std::swap(m_cells[static_cast<std::size_t>(over)], m_cells[static_cast<std::size_t>(m_pressed)]);
            m_pressed = over;
            return DragStep::Swapped;
        }
    }
    return DragStep::Moved;
}

bool StatusRow::Release() {
    const bool dragged = m_dragging;
    // The dropped item slides from where it was let go into its place.
    if (dragged) m_cells[static_cast<std::size_t>(m_pressed)].shownX = DraggedX();
    m_dragging = false;
    m_pressed = -1;
    return dragged;
}

} // namespace kestrana::menubar
