#pragma once
// Dragging an icon within its dock: a press and a move past a few pixels lift it. The
// lifted icon gives up its room (it is drawn at the pointer instead) and the gap item
// opens where it would land, following the layout's drop index as the pointer moves; a
// release puts the icon in the gap's place. Off the dock the gap closes, and a release
// there takes a kept item out of the dock. Escape or a lost capture puts the icon back.
// Runs on the user-interface thread; the row's lock is the caller's.

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
        Lifted, // the icon left its place: clicks are off until the drag ends
        Moved,  // the gap opened, moved or closed
        Ended,  // the icon went meanwhile (its program ended): the drag is over
    };
    enum class Outcome : std::uint8_t {
        None,    // no icon was lifted
        Placed,  // the icon took the gap's place: save the order
        Removed, // dropped off the dock: the item leaves (save)
        PutBack, // back where it was lifted from: nothing to save
    };

    // The button went down on entry `index` (0: none). Items the dock owns and separators
    // move like any other; `locked` ("lockicon") keeps every icon where it is.
    void Press(ScreenPoint at, std::size_t index, const DockItems& row, bool locked);
    Change Move(ScreenPoint at, DockItems& row, const OndelBarModel& model);
    Outcome Release(ScreenPoint at, DockItems& row, const OndelBarModel& model);
    // Escape, or the pointer was taken away: the icon goes back to its place.
    Outcome Cancel(DockItems& row);

    [[nodiscard]] bool Lifted() const { return m_state == State::Lifted; }
    [[nodiscard]] std::int32_t ItemId() const { return m_itemId; }
    [[nodiscard]] ScreenPoint PressedAt() const { return m_start; }

private:
    enum class State : std::uint8_t { Idle, Pressed, Lifted };
    // Closes the gap and lets the icon take room again wherever it stands.
    void Drop(DockItems& row);

    State m_state = State::Idle;
    ScreenPoint m_start{};
    std::int32_t m_itemId = kNoItemId;
};

// Whether dragging this item off the dock takes it out: kept items, but never the trash,
// the Launchpad item or a separator.
[[nodiscard]] bool RemovedByDragOff(const Dockico& item);

} // namespace kestrana::dock
