#include "gfx/menu_layout.h"

#include <algorithm>

namespace kestrana::gfx {

MenuMetrics MenuMetrics::At(float scale, float textScale) {
    MenuMetrics m;
    m.scale = scale;
    const float text = std::clamp(textScale, 1.0f, 2.25f);
    auto px = [scale](int value) { return static_cast<int>(static_cast<float>(value) * scale); };
    m.textSize = 13.0f * scale * text;
    m.padding = px(m.padding);
    // The row keeps its margins around the text: it grows by what the text grew.
    m.rowHeight = px(m.rowHeight) + static_cast<int>(13.0f * scale * (text - 1.0f) + 0.5f);
    m.separatorHeight = px(m.separatorHeight);
    m.checkGutter = px(m.checkGutter);
    m.arrowGutter = px(m.arrowGutter);
    m.detailGap = px(m.detailGap);
    m.minWidth = static_cast<int>(static_cast<float>(px(m.minWidth)) * text);
    m.maxTextWidth = static_cast<int>(static_cast<float>(px(m.maxTextWidth)) * text);
    m.radius = px(m.radius);
    m.highlightInset = px(m.highlightInset);
    return m;
}

MenuLayout LayOutMenu(const Menu& items, const MenuMetrics& metrics, const MeasureText& measure) {
    MenuLayout layout;
    int widest = 0;
    int y = metrics.padding;
    layout.rows.reserve(items.size());
    for (const MenuItem& item : items) {
        const int height = item.separator ? metrics.separatorHeight : metrics.rowHeight;
        layout.rows.push_back({0, y, 0, height});
        y += height;
        if (item.separator || item.slider) continue;
        int text = std::min(measure(item.text), metrics.maxTextWidth);
        if (!item.detail.empty()) text += metrics.detailGap + measure(item.detail);
        widest = std::max(widest, text);
    }
    layout.width = std::max(metrics.minWidth, metrics.checkGutter + widest + metrics.arrowGutter);
    layout.height = y + metrics.padding;
    for (RectI& row : layout.rows) row.width = layout.width;
    return layout;
}

int RowAt(const MenuLayout& layout, int x, int y) {
    if (x < 0 || x >= layout.width) return -1;
    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const RectI& r = layout.rows[i];
        if (y >= r.y && y < r.Bottom()) return static_cast<int>(i);
    }
    return -1;
}

RectI SliderTrack(const RectI& row, const MenuMetrics& metrics) {
    const int left = row.x + metrics.checkGutter;
    const int right = row.Right() - metrics.arrowGutter;
    return {left, row.y, std::max(1, right - left), row.height};
}

int SliderValueAt(const RectI& row, const MenuMetrics& metrics, int x) {
    const RectI track = SliderTrack(row, metrics);
    const int offset = std::clamp(x - track.x, 0, track.width);
    // Rounded to the nearest whole percent so both ends are reachable at any width.
    return (offset * 100 + track.width / 2) / track.width;
}

RectI PlaceMenu(int width, int height, int anchorX, int anchorY, int flipY, const RectI& workArea) {
    RectI r{anchorX, anchorY, width, height};
    if (r.Right() > workArea.Right()) r.x = workArea.Right() - width;
    if (r.Bottom() > workArea.Bottom() && flipY - height >= workArea.y) r.y = flipY - height;
    r.x = std::max(r.x, workArea.x);
    r.y = std::max(r.y, workArea.y);
    return r;
}

RectI PlaceSubmenu(int width, int height, const RectI& parentMenu, const RectI& parentRow, const RectI& workArea) {
    RectI r{parentMenu.Right() - 2, parentRow.y, width, height};
    if (r.Right() > workArea.Right()) r.x = std::max(workArea.x, parentMenu.x - width + 2);
    if (r.Bottom() > workArea.Bottom()) r.y = std::max(workArea.y, workArea.Bottom() - height);
    return r;
}

} // namespace kestrana::gfx
