#pragma once
// Dragging an icon within its dock: a press and a move past a few pixels lift it, the
// icon then takes the place in the row where the pointer is (the layout's drop index at
// rest), and a release saves the new order; released away from the dock, a kept item
// leaves the dock. Runs on the user-interface thread; the row's lock is the caller's.

#include "dock/dockico.h"
#include "dock/ondel_bar_model.h"

#include <cstdint>

namespace kestrana::dock {

class DockDrag {
public:
    // How far the pointer moves before the icon lifts.
    static constexpr int kLiftDistance = 6;
    // How far past the dock's window a release counts as off the dock.
    static constexpr int kOffDockDistance = 24;

    enum class Change : std::uint8_t {
        None,
        Lifted, // the icon left its place: clicks are off until the release
        Moved,  // the icon took another place in the row
    };
    enum class Outcome : std::uint8_t {
        None,    // no drag was under way
        Placed,  // the order may have changed: save
        Removed, // dropped off the dock: the item leaves (save)
    };

    // The button went down on entry `index` (0: none). Items the dock owns and separators
    // move like any other; `locked` ("lockicon") keeps every icon where it is.
    void Press(ScreenPoint at, std::size_t index, const DockItems& row, bool locked);
    Change Move(ScreenPoint at, DockItems& row, const OndelBarModel& model);
    Outcome Release(ScreenPoint at, DockItems& row, const OndelBarModel& model);
    // The pointer was taken away (capture lost): the icon stays where it is now.
    void Cancel() { m_state = State::Idle; }

    [[nodiscard]] bool Lifted() const { return m_state == State::Lifted; }
    [[nodiscard]] std::int32_t ItemId() const { return m_itemId; }

private:
    enum class State : std::uint8_t { Idle, Pressed, Lifted };
    State m_state = State::Idle;
    ScreenPoint m_start{};
    std::int32_t m_itemId = kNoItemId;
};

// Where an item dragged to `restPointer` (along the resting row) ends up: after every
// other entry whose resting middle lies before the pointer.
[[nodiscard]] std::size_t DragTargetIndex(const DockItems& row, std::size_t from, float restPointer, float iconSize);

// Whether dragging this item off the dock takes it out: kept items, but never the trash,
// the Launchpad item or a separator.
[[nodiscard]] bool RemovedByDragOff(const Dockico& item);

} // namespace kestrana::dock
