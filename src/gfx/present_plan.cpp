#include "gfx/present_plan.h"

namespace kestrana::gfx {

PresentPlan PlanPresent(const PresentedState& last, const PresentRequest& request) {
    const PresentPlan whole{PresentKind::Whole, request.part};
    const bool sameSize = request.part.width == last.part.width && request.part.height == last.part.height;
    if (!last.shown || !sameSize || !(request.part == last.part) || request.opacity != last.opacity ||
        !request.visible || !(request.windowNow == last.window))
        return whole;
    // A window that moves while its picture changes is handed the whole picture: the
    // parts outside the change would otherwise be where the system last drew them.
    const bool inPlace = request.window == last.window;
    // A present that names no change is a full hand-over on purpose (a new layout, a
    // surface the system may have lost): it is never skipped.
    if (!request.dirty) return whole;
    if (request.dirty->Empty()) return {PresentKind::MoveOnly, {}};
    const RectI area = Intersect(*request.dirty, request.part);
    if (area.Empty()) return {PresentKind::MoveOnly, {}};
    if (!inPlace) return whole;
    if (area == request.part) return {PresentKind::Whole, request.part, true};
    return {PresentKind::Changed, area, true};
}

} // namespace kestrana::gfx
