#include "launchers/pad_geometry.h"

#include <algorithm>
#include <cmath>

namespace kestrana::launchers {

namespace {
int Scaled(int pixels, float scale) { return static_cast<int>(static_cast<float>(pixels) * scale); }
// A line of text is this much taller than its size, accents and descenders included.
constexpr float kLineHeight = 1.4f;
int LineHeight(float size) { return static_cast<int>(std::ceil(size * kLineHeight)); }

// The dock's band is kept free; the room under the grid is there besides.
void KeepDockBandFree(PadGeometry& g, DockSide side, int dock) {
    int widthReduction = 0;
    g.bottomReserve = g.height / 20;
    switch (side) {
    case DockSide::Bottom: g.bottomReserve += dock; break;
    case DockSide::Left:
        g.leftOffset = dock;
        widthReduction = dock;
        break;
    case DockSide::Right: widthReduction = dock; break;
    case DockSide::Top: g.topOffset = dock; break;
    case DockSide::None: break;
    }
    g.usableWidth = g.width - widthReduction;
    g.usableHeight = g.height - g.bottomReserve;
}

// The rows' spacing and the room above the grid: the user's spacing where it fits under
// the search field, the room shared out otherwise.
void SpaceRows(PadGeometry& g, int spaceHeight, int minTop) {
    const float s = g.scale;
    bool spaceYAutomatic = spaceHeight <= 0;
    if (!spaceYAutomatic) {
        g.spaceY = spaceHeight;
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
    if (g.textScale > 1.0f) {
        // Bigger names need their line below the icon: the rows part at least that far, and
        // the icons give up what the grid then lacks. At the normal size the spacing stays
        // the user's.
        const int below = g.cellHeight - g.margin - g.iconSize;
        g.spaceY = std::max(g.spaceY, g.LabelRoom() - below);
        const int rowRoom = (g.usableHeight - (g.topMargin + g.topOffset)) / kPadRows - g.spaceY;
        if (g.cellHeight > rowRoom) {
            g.iconSize = std::max(Scaled(16, s), rowRoom - g.margin - Scaled(4, s));
            g.cellWidth = g.iconSize + 2 * g.margin;
            g.cellHeight = g.iconSize + g.margin + Scaled(4, s);
        }
    }
}

} // namespace

PadGeometry LayOutPad(const PadMetrics& m) {
    PadGeometry g;
    g.width = std::max(m.width, 1);
    g.height = std::max(m.height, 1);
    g.scale = m.scale > 0 ? m.scale : 1.0f;
    const int w = g.width;
    const int h = g.height;
    const float s = g.scale;
    g.textScale = std::clamp(m.textScale, 1.0f, 2.25f);
    g.labelSize = 13.0f * s * g.textScale;
    g.searchSize = 14.0f * s * g.textScale;

    KeepDockBandFree(g, m.dock, std::max(m.dockThickness, 0));

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

    // The search field keeps its margins around a text grown by "make text bigger", and
    // the room above the grid keeps its margins around the field.
    const int boxWidth = m.searchWidth > 0 ? m.searchWidth
                                           : std::min(static_cast<int>(static_cast<float>(Scaled(240, s)) * g.textScale),
                                                      std::max(w / 2, Scaled(240, s)));
    const int boxHeight = std::max(m.searchHeight > 0 ? m.searchHeight : Scaled(30, s),
                                   LineHeight(g.searchSize) + Scaled(10, s));
    SpaceRows(g, m.spaceHeight, std::max(Scaled(60, s), boxHeight + Scaled(30, s)));
    // A name may use the room between two cells before it is shortened.
    g.labelWidth = g.textScale > 1.0f ? g.cellWidth + g.spaceX : g.cellWidth;

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
int PadGeometry::LabelRoom() const { return Scaled(6, scale) + LineHeight(labelSize); }

} // namespace kestrana::launchers
