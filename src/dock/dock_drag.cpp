#include "dock/dock_drag.h"

#include <cstdlib>

namespace kestrana::dock {
namespace {

float RestPointer(ScreenPoint at, const OndelBarModel& model) {
    const EdgeFrame& frame = model.Frame();
    return RowPointer(frame.AlongOf(at), frame.AlongStart(model.WindowRect()), model.WindowLength(),
                      model.RestRowLength());
}

bool OffDock(ScreenPoint at, const OndelBarModel& model) {
    const EdgeFrame& frame = model.Frame();
    const ScreenRect& window = model.WindowRect();
    const int windowDepth = IsVertical(frame.GetEdge()) ? window.Width() : window.Height();
    const int along = frame.AlongOf(at) - frame.AlongStart(window);
    return frame.DepthOf(at) > windowDepth + DockDrag::kOffDockDistance || along < -DockDrag::kOffDockDistance ||
           along > frame.AlongLength(window) + DockDrag::kOffDockDistance;
}

} // namespace

std::size_t DragTargetIndex(const DockItems& row, std::size_t from, float restPointer, float iconSize) {
    std::size_t before = 0;
    for (std::size_t i = DockItems::kFirstReal; i < row.EndReal(); ++i) {
        const Dockico& item = row[i];
        if (i != from && item.restStart + iconSize * item.FullFactor() / 2 < restPointer) ++before;
    }
    return DockItems::kFirstReal + before;
}

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

DockDrag::Change DockDrag::Move(ScreenPoint at, DockItems& row, const OndelBarModel& model) {
    if (m_state == State::Idle) return Change::None;
    const std::size_t from = row.IndexOfId(m_itemId);
    if (!from) {
        m_state = State::Idle; // the item went meanwhile
        return Change::None;
    }
    Change change = Change::None;
    if (m_state == State::Pressed) {
        if (std::abs(at.x - m_start.x) < kLiftDistance && std::abs(at.y - m_start.y) < kLiftDistance)
            return Change::None;
        m_state = State::Lifted;
        change = Change::Lifted;
    }
    if (OffDock(at, model)) return change;
    const std::size_t to = DragTargetIndex(row, from, RestPointer(at, model), model.IconSize());
    if (to != from && row.Move(from, to)) return change == Change::Lifted ? change : Change::Moved;
    return change;
}

DockDrag::Outcome DockDrag::Release(ScreenPoint at, DockItems& row, const OndelBarModel& model) {
    const bool lifted = m_state == State::Lifted;
    m_state = State::Idle;
    if (!lifted) return Outcome::None;
    const std::size_t index = row.IndexOfId(m_itemId);
    if (!index) return Outcome::None;
    Dockico& item = row[index];
    if (!OffDock(at, model) || !RemovedByDragOff(item)) return Outcome::Placed;
    item.kept = false;
    // A running program stays as a running item; anything else vanishes.
    if (!item.running) item.leaving = true;
    return Outcome::Removed;
}

} // namespace kestrana::dock
