#include "dock/dock_drag.h"

#include "dock/drop_gap.h"
#include "dock/magnification.h"

#include <algorithm>
#include <cstdlib>

namespace kestrana::dock {
namespace {

bool OffDock(ScreenPoint at, const OndelBarModel& model) {
    const EdgeFrame& frame = model.Frame();
    const ScreenRect& window = model.WindowRect();
    const int windowDepth = IsVertical(frame.GetEdge()) ? window.Width() : window.Height();
    const int along = frame.AlongOf(at) - frame.AlongStart(window);
    return frame.DepthOf(at) > windowDepth + DockDrag::kOffDockDistance || along < -DockDrag::kOffDockDistance ||
           along > frame.AlongLength(window) + DockDrag::kOffDockDistance;
}

// The layout's drop index for the pointer. The lifted icon takes no room, so the places
// just before and just after it are one; the gap always takes the one after, or it would
// hop from one side of the icon to the other without anything moving on screen.
std::size_t GapIndex(ScreenPoint at, const DockItems& row, const OndelBarModel& model) {
    const EdgeFrame& frame = model.Frame();
    std::size_t index = DragDropIndex(row, RowPointer(frame.AlongOf(at), frame.AlongStart(model.WindowRect()),
                                                      model.WindowLength(), model.RestRowLength()));
    while (index < row.EndReal() && row[index].lifted) ++index;
    return index;
}

} // namespace

bool RemovedByDragOff(const Dockico& item) {
    return item.kept && !item.IsSeparator() && item.appname != L"trash|" && item.appname != L"launchpad|";
}

void DockDrag::Press(ScreenPoint at, std::size_t index, const DockItems& row, bool locked) {
    m_state = State::Idle;
    if (locked || !index || index >= row.Size() || DockItems::IsPlaceholderIndex(index, row.Size())) return;
    const Dockico& item = row[index];
    if (item.id == kDragGapItemId || item.leaving) return;
    m_itemId = item.id;
    m_start = at;
    m_state = State::Pressed;
}

void DockDrag::Drop(DockItems& row) {
    CloseDropGap(row);
    // By index, not id: a separator gets a new id when the pictures are made again.
    if (DockItems::HasItemRange(row.Size())) row.ForEachReal([](std::size_t, Dockico& item) { item.lifted = false; });
}

DockDrag::Change DockDrag::Move(ScreenPoint at, DockItems& row, const OndelBarModel& model) {
    if (m_state == State::Idle) return Change::None;
    const std::size_t from = row.IndexOfId(m_itemId);
    if (!from || row[from].leaving) {
        const bool lifted = m_state == State::Lifted;
        m_state = State::Idle;
        if (!lifted) return Change::None;
        Drop(row);
        return Change::Ended;
    }
    Change change = Change::None;
    if (m_state == State::Pressed) {
        if (std::abs(at.x - m_start.x) < kLiftDistance && std::abs(at.y - m_start.y) < kLiftDistance)
            return Change::None;
        m_state = State::Lifted;
        row[from].lifted = true; // shrinks away while the gap grows beside it
        change = Change::Lifted;
    }
    const bool moved = OffDock(at, model) ? CloseDropGap(row) : PlaceDropGap(row, GapIndex(at, row, model));
    if (change == Change::None && moved) change = Change::Moved;
    return change;
}

DockDrag::Outcome DockDrag::Release(ScreenPoint at, DockItems& row, const OndelBarModel& model) {
    const bool lifted = m_state == State::Lifted;
    m_state = State::Idle;
    if (!lifted) return Outcome::None;
    const std::size_t index = row.IndexOfId(m_itemId);
    if (!index) {
        Drop(row);
        return Outcome::PutBack;
    }
    Dockico& item = row[index];
    if (OffDock(at, model)) {
        Drop(row);
        if (!RemovedByDragOff(item)) return Outcome::PutBack;
        item.kept = false;
        // A running program stays as a running item; anything else vanishes.
        if (!item.running) item.leaving = true;
        return Outcome::Removed;
    }
    const auto gap = TakeDropGap(row);
    Drop(row);
    if (!gap) return Outcome::PutBack;
    // The icon lands in the gap as wide as both were: nothing in the row jumps.
    const std::size_t from = row.IndexOfId(m_itemId);
    row.Move(from, from < gap->index ? gap->index - 1 : gap->index);
    item.sizeFactor = std::min(item.FullFactor(), item.sizeFactor + gap->sizeFactor);
    return Outcome::Placed;
}

DockDrag::Outcome DockDrag::Cancel(DockItems& row) {
    const bool lifted = m_state == State::Lifted;
    m_state = State::Idle;
    if (!lifted) return Outcome::None;
    Drop(row);
    return Outcome::PutBack;
}

} // namespace kestrana::dock
