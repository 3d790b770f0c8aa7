#include "gfx/present_plan.h"

namespace kestrana::gfx {

PresentPlan PlanPresent(const PresentedState& last, const PresentRequest& request) {
    const PresentPlan whole{PresentKind::Whole, request.part};
    const bool sameSize = request.part.width == last.part.width && request.part.height == last.part.height;
    if (!last.shown || !sameSize || !(request.part == last.part) || request.opacity != last.opacity ||
        !request.visible || !(request.windowNow == last.window) || !request.dirty)
        return whole;
    if (request.dirty->Empty()) return {PresentKind::MoveOnly, {}};
    const RectI area = Intersect(*request.dirty, request.part);
    if (area.Empty()) return {PresentKind::MoveOnly, {}};
    // A window that moves while its picture changes is handed the whole picture: the
    // parts outside the change would otherwise be where the system last drew them.
    if (area == request.part || !(request.window == last.window)) return whole;
    return {PresentKind::Changed, area};
}

} // namespace kestrana::gfx
