#include "dock/hide_decision.h"

#include "foundation/text.h"

#include <algorithm>

namespace kestrana::dock {

using foundation::EqualsIgnoreCase;

bool CountsAgainstDock(const WindowFacts& w, const HideContext& c) {
    if (!w.visible || w.cloaked || w.monitor != c.monitor) return false;
    if (EqualsIgnoreCase(w.className, L"OSKMainClass")) return false;
    // Suspended store apps keep a visible core window; only a live one counts.
    if (EqualsIgnoreCase(w.className, L"Windows.UI.Core.CoreWindow") && (w.minimised || w.cloaked)) return false;
    if (!c.showModeWindows && w.processId != c.foregroundProcessId) return false;

    const ScreenRect& rect = w.maximised ? w.rootOwnerRect : w.rect;
    if (rect.Intersects(c.dockArea)) return true;
    return w.popupStyle && w.rect.Intersects(c.monitorRect);
}

HideVerdict DecideHide(const HideContext& c, std::span<const WindowFacts> windows) {
    if (!UsesHideDecision(c.mode) || c.pointerInside) return HideVerdict::Stay;
    if (HidesWhenPointerLeaves(c.mode)) return c.hidden ? HideVerdict::Stay : HideVerdict::Hide;

    const bool covered =
        std::any_of(windows.begin(), windows.end(), [&](const WindowFacts& w) { return CountsAgainstDock(w, c); });
    if (covered) return c.hidden ? HideVerdict::Stay : HideVerdict::Hide;
    return c.hidden ? HideVerdict::Show : HideVerdict::Stay;
}

bool HideTicker::Tick(const DockActivity& a) {
    if (a.itemChange || a.buttonHeld || a.dragging || a.popupOpen) return false;
    int skip = m_skip.load(std::memory_order_relaxed);
    while (skip > 0) {
        if (m_skip.compare_exchange_weak(skip, skip - 1, std::memory_order_relaxed)) return false;
    }
    return true;
}

} // namespace kestrana::dock
