#include "launchers/pad_geometry.h"

#include <algorithm>

namespace kestrana::launchers {

namespace {
int Scaled(int pixels, float scale) { return static_cast<int>(static_cast<float>(pixels) * scale); }
} // namespace

PadGeometry LayOutPad(const PadMetrics& m) {
    PadGeometry g;
    g.width = std::max(m.width, 1);
    g.height = std::max(m.height, 1);
    g.scale = m.scale > 0 ? m.scale : 1.0f;
    const int w = g.width;
    const int h = g.height;
    const float s = g.scale;

    // The dock's band is kept free; the room under the grid is there besides.
    int widthReduction = 0;
    g.bottomReserve = h / 20;
    const int dock = std::max(m.dockThickness, 0);
    switch (m.dock) {
    case DockSide::Bottom: g.bottomReserve += dock; break;
    case DockSide::Left:
        g.leftOffset = dock;
        widthReduction = dock;
        break;
    case DockSide::Right: widthReduction = dock; break;
    case DockSide::Top: g.topOffset = dock; break;
    case DockSide::None: break;
    }
    g.usableWidth = w - widthReduction;
    g.usableHeight = h - g.bottomReserve;

    if (m.iconSize > 0) {
        g.iconSize = m.iconSize;
        if (8 * g.iconSize > w) g.iconSize = w / 8;
        else if (8 * g.iconSize > h) g.iconSize = h / 8;
    } else {
        g.iconSize = std::max(w, h) / 17;
    }

    g.margin = Scaled(20, s);
    g.cellWidth = g.iconSize + 2 * g.margin;
    g.cellHeight = g.iconSize + g.margin + Scaled(4, s);

    if (m.spaceWidth > 0) {
        g.spaceX = m.spaceWidth;
        if (kPadColumns * g.cellWidth + 8 * g.spaceX > w) g.spaceX = (w - kPadColumns * g.cellWidth) / 8;
    } else {
        g.spaceX = (g.usableWidth - kPadColumns * g.cellWidth) / 12;
    }
    // Cells wider than the screen would otherwise overlap; they touch instead.
    g.spaceX = std::max(g.spaceX, 0);

    const int minTop = Scaled(60, s);
    bool spaceYAutomatic = m.spaceHeight <= 0;
    if (!spaceYAutomatic) {
        g.spaceY = m.spaceHeight;
        g.topMargin = (g.usableHeight - kPadRows * g.cellHeight - kPadRows * g.spaceY) / 2;
    } else {
        g.topMargin = minTop;
    }
    if (g.topMargin < minTop) {
        g.topMargin = minTop;
        spaceYAutomatic = true;
    }
    if (spaceYAutomatic)
        g.spaceY = std::max(0, (g.usableHeight - (g.topMargin + g.topOffset) - kPadRows * g.cellHeight) / kPadRows);

    const int boxWidth = m.searchWidth > 0 ? m.searchWidth : Scaled(240, s);
    const int boxHeight = m.searchHeight > 0 ? m.searchHeight : Scaled(30, s);
    g.searchBox = {(w - boxWidth) / 2, g.topOffset + (g.topMargin - boxHeight) / 2, boxWidth, boxHeight};

    g.leftMargin = (g.usableWidth - (kPadColumns - 1) * g.spaceX - kPadColumns * g.cellWidth) / 2;
    return g;
}

gfx::RectI PadGeometry::Cell(int row, int column) const {
    return {leftOffset + leftMargin + column * (spaceX + cellWidth), topMargin + topOffset + row * (spaceY + cellHeight),
            cellWidth, cellHeight};
}

gfx::RectI PadGeometry::IconRect(int index) const {
    const gfx::RectI cell = Cell(index);
    return {cell.x + (cell.width - iconSize) / 2, cell.y + margin, iconSize, iconSize};
}

gfx::RectI PadGeometry::GridRect() const {
    const gfx::RectI first = Cell(0, 0);
    const gfx::RectI last = Cell(kPadRows - 1, kPadColumns - 1);
    return {first.x, first.y, last.Right() - first.x, last.Bottom() - first.y};
}

int PadGeometry::DotsY() const {
    const int gridBottom = GridRect().Bottom();
    const int limit = height - (bottomReserve - height / 20);
    return std::clamp(gridBottom + (limit - gridBottom) / 2, 0, std::max(0, limit - 2 * DotRadius()));
}

int PadGeometry::DotSpacing() const { return std::max(8, static_cast<int>(18 * scale)); }
int PadGeometry::DotRadius() const { return std::max(2, static_cast<int>(4 * scale)); }

} // namespace kestrana::launchers
