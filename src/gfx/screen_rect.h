#pragma once
// Places on the screen in physical pixels, shared by everything that stands on a monitor:
// the docks, the menu bar, the Launchpad and the monitor list itself.

namespace kestrana::gfx {

struct ScreenPoint {
    int x = 0, y = 0;
};

// Screen pixels, right and bottom exclusive.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    [[nodiscard]] int Width() const { return right - left; }
    [[nodiscard]] int Height() const { return bottom - top; }
    [[nodiscard]] bool Empty() const { return right <= left || bottom <= top; }
    [[nodiscard]] bool Contains(ScreenPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    [[nodiscard]] bool Intersects(const ScreenRect& o) const {
        return !Empty() && !o.Empty() && left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
    bool operator==(const ScreenRect&) const = default;
};

} // namespace kestrana::gfx
