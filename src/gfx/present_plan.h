#pragma once
// How much of a layered window's picture one present hands to the system. Handing over
// only the changed part relies on the system still holding the rest of the picture; it
// does not after a new picture buffer, another part of the frame, a new opacity, or when
// the window is not where and as large as the last present left it (something else moved
// or resized it, or the system made its surface anew, as some do after a modal loop or a
// change of the foreground). Then everything goes over again.

#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>

namespace kestrana::gfx {

// What the last present left on screen.
struct PresentedState {
    bool shown = false;     // a picture was handed over since the buffer was made
    RectI part;             // the part of the frame it showed (frame pixels)
    std::uint8_t opacity = 255;
    RectI window;           // where the window was put (screen pixels)
};

struct PresentRequest {
    RectI part;                  // the part of the frame to show (frame pixels)
    std::uint8_t opacity = 255;
    std::optional<RectI> dirty;  // frame pixels that changed; none = all; empty = none
    RectI window;                // where the window goes (screen pixels)
    RectI windowNow;             // where the system says the window is now
    bool visible = true;         // the window is shown
};

enum class PresentKind : std::uint8_t { MoveOnly, Changed, Whole };

struct PresentPlan {
    PresentKind kind = PresentKind::Whole;
    RectI area; // the part of the frame to copy (frame pixels); empty for a move
    // The system still shows the last picture, in place: when the area's pixels equal
    // the ones last handed over, the present needs no call at all (a redrawn item that
    // looks as it did, such as a flat graph scrolling).
    bool onScreen = false;
};

[[nodiscard]] PresentPlan PlanPresent(const PresentedState& last, const PresentRequest& request);

} // namespace kestrana::gfx
