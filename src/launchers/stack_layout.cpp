#include "launchers/stack_layout.h"

#include <algorithm>
#include <cmath>

namespace kestrana::launchers {
namespace {

// Between the dock and the pop-up: room for the item's name, which the dock shows above it.
constexpr float kGap = 28;
constexpr float kPad = 14;       // inside the panel
constexpr float kHeader = 40;    // title row
constexpr float kButton = 28;

// Grid: a cell holds the icon and one line of its name.
constexpr float kGridIcon = 64;
constexpr float kGridCellW = 100;
constexpr float kGridCellH = 100;
constexpr int kGridMaxColumns = 7;
constexpr int kGridMaxRows = 4;

// List: a row of a small icon and the name.
constexpr float kListIcon = 32;
constexpr float kListRow = 40;
constexpr float kListWidth = 300;
constexpr int kListMaxRows = 12;

// Fan: icons one above the other, names in a pill beside them.
constexpr float kFanIcon = 56;
constexpr float kFanStep = 62;
constexpr float kFanLabel = 200;
constexpr float kFanDrift = 70;  // sideways at the far end of the curve
constexpr float kFanTilt = 9;    // degrees at the far end

int Floor(float v) { return static_cast<int>(std::floor(v)); }

// The sizes that carry text, grown by "make text bigger": each box keeps its margins
// around its text, so it grows by what the text's line grew.
struct TextRoom {
    float text = 1;        // the factor, 1 to 2.25
    float nameSize = 12;   // pixels
    float titleSize = 14;
    float nameGrowth = 0;  // extra height of a name's line over the normal size
    float titleGrowth = 0;
};
constexpr float kLineHeight = 1.4f; // a line of text over its size

TextRoom RoomFor(const StackPlacement& p) {
    TextRoom r;
    r.text = std::clamp(p.textScale, 1.0f, 2.25f);
    r.nameSize = 12 * p.scale * r.text;
    r.titleSize = 14 * p.scale * r.text;
    r.nameGrowth = 12 * p.scale * (r.text - 1) * kLineHeight;
    r.titleGrowth = 14 * p.scale * (r.text - 1) * kLineHeight;
    return r;
}

// Puts a window of `width` by `height` beside the dock, its centre along the dock at
// `along`, kept inside the work area.
gfx::RectI Beside(const StackPlacement& p, int width, int height, float along) {
    const int gap = static_cast<int>(kGap * p.scale);
    gfx::RectI r{0, 0, width, height};
    const bool horizontal = p.edge == DockEdge::Bottom || p.edge == DockEdge::Top;
    if (horizontal) {
        r.x = Floor(along - width / 2.0f);
        r.y = p.edge == DockEdge::Bottom ? p.dock.y - gap - height : p.dock.Bottom() + gap;
    } else {
        r.y = Floor(along - height / 2.0f);
        r.x = p.edge == DockEdge::Left ? p.dock.Right() + gap : p.dock.x - gap - width;
    }
    r.x = std::clamp(r.x, p.work.x, std::max(p.work.x, p.work.Right() - width));
    r.y = std::clamp(r.y, p.work.y, std::max(p.work.y, p.work.Bottom() - height));
    return r;
}

// The room left between the dock and the far side of the work area.
float RoomAway(const StackPlacement& p) {
    switch (p.edge) {
    case DockEdge::Bottom: return static_cast<float>(p.dock.y - p.work.y);
    case DockEdge::Top: return static_cast<float>(p.work.Bottom() - p.dock.Bottom());
    case DockEdge::Left: return static_cast<float>(p.work.Right() - p.dock.Right());
    case DockEdge::Right: return static_cast<float>(p.dock.x - p.work.x);
    }
    return 0;
}

void Header(StackGeometry& g, float s, const TextRoom& room, bool nested, bool openButton) {
    const float pad = kPad * s, button = kButton * s + room.nameGrowth;
    const float header = kHeader * s + room.titleGrowth;
    const float top = g.panel.y + (header - button) / 2;
    float left = g.panel.x + pad, right = g.panel.Right() - pad;
    if (nested) {
        g.backButton = {left, top, button, button};
        left += button + pad / 2;
    }
    if (openButton) {
        g.openButton = {right - button * 3.2f, top, button * 3.2f, button};
        right -= button * 3.2f + pad / 2;
    }
    g.title = {left, g.panel.y, std::max(0.0f, right - left), header};
}

StackGeometry Boxed(StackLayout layout, int count, const StackPlacement& p, bool nested, bool openButton) {
    const float s = p.scale;
    const TextRoom room = RoomFor(p);
    StackGeometry g;
    g.layout = layout;
    g.textSize = room.nameSize;
    g.titleSize = room.titleSize;
    const bool grid = layout == StackLayout::Grid;
    const float horizontalRoom = static_cast<float>(p.work.width) - 2 * kGap * s;
    int columns = 1;
    // Wider names need wider rows; half the growth keeps a grid from sprawling.
    const float widen = 1 + (room.text - 1) / 2;
    float cellW = std::min(kListWidth * s * room.text, std::max(kListWidth * s, horizontalRoom - 2 * kPad * s));
    float cellH = kListRow * s + room.nameGrowth;
    g.iconSize = (grid ? kGridIcon : kListIcon) * s;
    int maxRows = kListMaxRows;
    if (grid) {
        cellW = kGridCellW * s * widen;
        cellH = kGridCellH * s + room.nameGrowth;
        columns = std::clamp(static_cast<int>(std::ceil(std::sqrt(static_cast<float>(count)))), 1, kGridMaxColumns);
        columns = std::max(1, std::min(columns, static_cast<int>((horizontalRoom - 2 * kPad * s) / cellW)));
        // Few items stay in one row rather than a near-empty square.
        if (count <= 3) columns = std::max(1, count);
        maxRows = kGridMaxRows;
    }
    const int rows = std::max(1, (count + columns - 1) / columns);
    const float header = kHeader * s + room.titleGrowth;
    const float chrome = header + kPad * s;
    const int roomRows = std::max(1, static_cast<int>((RoomAway(p) - kGap * s - chrome) / cellH));
    const int shownRows = std::min({rows, maxRows, roomRows});
    const float width = columns * cellW + 2 * kPad * s;
    const float height = chrome + shownRows * cellH + kPad * s * 0.5f;
    g.window = Beside(p, static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)),
                      static_cast<float>(p.anchorAlong));
    g.panel = {0, 0, static_cast<float>(g.window.width), static_cast<float>(g.window.height)};
    g.radius = 12 * s;
    Header(g, s, room, nested, openButton);
    g.view = {kPad * s, header, columns * cellW, shownRows * cellH};
    g.rowHeight = cellH;
    g.contentHeight = rows * cellH;
    g.cells.resize(static_cast<std::size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        const float x = g.view.x + (i % columns) * cellW;
        const float y = (i / columns) * cellH;
        StackCell& c = g.cells[static_cast<std::size_t>(i)];
        if (grid) {
            c.icon = {x + (cellW - g.iconSize) / 2, y + 8 * s, g.iconSize, g.iconSize};
            c.label = {x + 4 * s, y + 8 * s + g.iconSize + 6 * s, cellW - 8 * s, 18 * s + room.nameGrowth};
        } else {
            c.icon = {x + 6 * s, y + (cellH - g.iconSize) / 2, g.iconSize, g.iconSize};
            c.label = {c.icon.Right() + 10 * s, y, cellW - g.iconSize - 22 * s, cellH};
        }
    }
    return g;
}

StackGeometry Fan(int count, const StackPlacement& p) {
    const float s = p.scale;
    const TextRoom room = RoomFor(p);
    StackGeometry g;
    g.layout = StackLayout::Fan;
    g.textSize = room.nameSize;
    g.titleSize = room.titleSize;
    g.more = count > kFanMaxItems;
    const int cells = g.more ? kFanMaxItems + 1 : count;
    g.iconSize = kFanIcon * s;
    const float labelH = 24 * s + room.nameGrowth;
    // The pills of two neighbours must not touch once the names grow.
    g.rowHeight = std::max(kFanStep * s, labelH + 8 * s);
    const float label = kFanLabel * s * room.text, drift = kFanDrift * s, pad = 8 * s;
    const int width = static_cast<int>(std::ceil(label + pad + g.iconSize + drift + 2 * pad));
    const int height = static_cast<int>(std::ceil(std::max(1, cells) * g.rowHeight + 2 * pad));
    // The first icon stands right over the clicked item.
    const float iconColumn = label + 2 * pad;
    g.window = Beside(p, width, height, p.anchorAlong - iconColumn - g.iconSize / 2 + width / 2.0f);
    const bool up = p.edge != DockEdge::Top;
    g.cells.resize(static_cast<std::size_t>(cells));
    for (int i = 0; i < cells; ++i) {
        // The curve bends sideways and tilts more the further the item is from the dock.
        const float t = cells > 1 ? static_cast<float>(i) / static_cast<float>(cells - 1) : 0.0f;
        const float bend = t * t;
        const float along = pad + i * g.rowHeight + (g.rowHeight - g.iconSize) / 2;
        const float y = up ? height - along - g.iconSize : along;
        StackCell& c = g.cells[static_cast<std::size_t>(i)];
        c.icon = {iconColumn + drift * bend, y, g.iconSize, g.iconSize};
        c.angle = (up ? kFanTilt : -kFanTilt) * bend;
        c.label = {c.icon.x - pad - label, y + (g.iconSize - labelH) / 2, label, labelH};
    }
    g.view = {0, 0, static_cast<float>(width), static_cast<float>(height)};
    g.contentHeight = g.view.height;
    return g;
}

bool Inside(const gfx::RectF& r, gfx::PointF p) { return p.x >= r.x && p.y >= r.y && p.x < r.Right() && p.y < r.Bottom(); }

} // namespace

StackLayout DrawnLayout(StackLayout chosen, DockEdge edge, bool nested) {
    if (chosen != StackLayout::Fan) return chosen;
    if (edge == DockEdge::Left || edge == DockEdge::Right) return StackLayout::List;
    return nested ? StackLayout::Grid : StackLayout::Fan;
}

StackGeometry LayOutStack(StackLayout layout, int count, const StackPlacement& place, bool nested, bool openButton) {
    count = std::max(0, count);
    layout = DrawnLayout(layout, place.edge, nested);
    if (layout == StackLayout::Fan) return Fan(count, place);
    return Boxed(layout, count, place, nested, openButton);
}

float ScrollToShow(const StackGeometry& g, int index, float scroll) {
    if (g.layout == StackLayout::Fan || index < 0 || static_cast<std::size_t>(index) >= g.cells.size()) return scroll;
    const StackCell& c = g.cells[static_cast<std::size_t>(index)];
    // The item's whole row, margins included, as a wheel notch would show it.
    float top = std::min(c.icon.y, c.label.y);
    float bottom = std::max(c.icon.Bottom(), c.label.Bottom());
    if (g.rowHeight > 0) {
        top = std::floor(top / g.rowHeight) * g.rowHeight;
        bottom = std::max(bottom, top + g.rowHeight);
    }
    if (top < scroll) scroll = top;
    else if (bottom > scroll + g.view.height) scroll = bottom - g.view.height;
    return std::clamp(scroll, 0.0f, std::max(0.0f, g.contentHeight - g.view.height));
}

int HitStackCell(const StackGeometry& g, gfx::PointF point, float scroll) {
    if (g.layout == StackLayout::Fan) {
        for (std::size_t i = 0; i < g.cells.size(); ++i) {
            const StackCell& c = g.cells[i];
            if (Inside(c.icon, point) || Inside(c.label, point)) return static_cast<int>(i);
        }
        return -1;
    }
    if (!Inside(g.view, point)) return -1;
    const gfx::PointF content{point.x, point.y - g.view.y + scroll};
    for (std::size_t i = 0; i < g.cells.size(); ++i) {
        const StackCell& c = g.cells[i];
        const gfx::RectF whole{std::min(c.icon.x, c.label.x), c.icon.y, 0, 0};
        const float right = std::max(c.icon.Right(), c.label.Right());
        const float bottom = std::max(c.icon.Bottom(), c.label.Bottom());
        if (Inside({whole.x, std::min(c.icon.y, c.label.y), right - whole.x, bottom - std::min(c.icon.y, c.label.y)}, content))
            return static_cast<int>(i);
    }
    return -1;
}

float EaseOut(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    const float u = 1 - t;
    return 1 - u * u * u;
}

StackCell AnimatedCell(const StackGeometry& g, int index, float progress, float scroll) {
    StackCell c = g.cells[static_cast<std::size_t>(index)];
    if (g.layout != StackLayout::Fan) {
        const float dy = g.view.y - scroll;
        c.icon.y += dy;
        c.label.y += dy;
        return c;
    }
    // Each item leaves the first one's place a little after the one before it.
    const float n = static_cast<float>(g.cells.size());
    const float start = n > 1 ? 0.4f * static_cast<float>(index) / (n - 1) : 0.0f;
    const float t = EaseOut((progress - start) / 0.6f);
    const StackCell& first = g.cells.front();
    auto mix = [t](float from, float to) { return from + (to - from) * t; };
    const float dx = mix(first.icon.x, c.icon.x) - c.icon.x, dy = mix(first.icon.y, c.icon.y) - c.icon.y;
    c.icon.x += dx;
    c.icon.y += dy;
    c.label.x += dx;
    c.label.y += dy;
    c.angle *= t;
    return c;
}

} // namespace kestrana::launchers
