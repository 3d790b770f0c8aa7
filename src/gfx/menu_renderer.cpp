#include "gfx/menu_renderer.h"

#include "gfx/canvas.h"

#include <algorithm>

namespace kestrana::gfx {
namespace {

TextStyle LabelStyle(const MenuMetrics& metrics) {
    TextStyle style;
    style.size = metrics.textSize;
    style.color = {255, 255, 255, 255}; // only the coverage is used
    return style;
}

void DrawCheck(Canvas& canvas, float cx, float cy, float s, Color color) {
    canvas.StrokeLine({cx - 4.0f * s, cy + 0.2f * s}, {cx - 1.2f * s, cy + 3.0f * s}, 1.7f * s, color);
    canvas.StrokeLine({cx - 1.2f * s, cy + 3.0f * s}, {cx + 4.5f * s, cy - 3.6f * s}, 1.7f * s, color);
}

void DrawArrow(Canvas& canvas, float cx, float cy, float s, Color color) {
    canvas.StrokeLine({cx - 1.8f * s, cy - 4.0f * s}, {cx + 2.2f * s, cy}, 1.5f * s, color);
    canvas.StrokeLine({cx + 2.2f * s, cy}, {cx - 1.8f * s, cy + 4.0f * s}, 1.5f * s, color);
}

} // namespace

MenuLook MenuLook::For(bool dark, std::uint8_t opacity) {
    const std::uint8_t a = std::max<std::uint8_t>(opacity, 1); // never click-through
    if (dark) {
        return {{38, 38, 40, a},       {255, 255, 255, 46}, {238, 238, 238, 255}, {118, 118, 122, 255},
                {160, 160, 164, 255},  {10, 96, 206, 255},  {255, 255, 255, 255}, {255, 255, 255, 36}};
    }
    return {{248, 248, 248, a},   {0, 0, 0, 42},      {28, 28, 30, 255},    {154, 154, 158, 255},
            {112, 112, 116, 255}, {10, 100, 214, 255}, {255, 255, 255, 255}, {0, 0, 0, 30}};
}

MenuLook MenuLook::For(const ContrastColours& scheme) {
    // Unavailable rows keep the text colour at half strength: the scheme has no grey of
    // its own here, and the rows must stay legible.
    Color unavailable = scheme.text;
    unavailable.a = 140;
    return {scheme.window, scheme.text, scheme.text, unavailable, scheme.text, scheme.highlight, scheme.window, scheme.text};
}

MenuLabels DrawMenuLabels(const Menu& items, const MenuMetrics& metrics, TextRenderer& text) {
    MenuLabels labels;
    const TextStyle style = LabelStyle(metrics);
    labels.text.reserve(items.size());
    labels.detail.reserve(items.size());
    for (const MenuItem& item : items) {
        labels.text.push_back(item.separator || item.slider ? Bitmap() : text.Draw(item.text, style, metrics.maxTextWidth));
        labels.detail.push_back(item.detail.empty() ? Bitmap() : text.Draw(item.detail, style));
    }
    return labels;
}

void DrawMenu(Bitmap& target, const Menu& items, const MenuLayout& layout, const MenuMetrics& metrics,
              const MenuLook& look, const MenuLabels& labels, int hot) {
    Canvas canvas(target);
    canvas.Clear(0);
    const float w = static_cast<float>(layout.width), h = static_cast<float>(layout.height);
    const float radius = static_cast<float>(metrics.radius);
    canvas.FillRoundedRect({0, 0, w, h}, radius, look.background);
    canvas.StrokeRoundedRect({0, 0, w, h}, radius, std::max(1.0f, metrics.scale * 0.8f), look.border);
    const float s = metrics.scale;
    const float inset = static_cast<float>(metrics.highlightInset);
    for (std::size_t i = 0; i < items.size() && i < layout.rows.size(); ++i) {
        const MenuItem& item = items[i];
        const RectI& row = layout.rows[i];
        const float cy = static_cast<float>(row.y) + static_cast<float>(row.height) / 2.0f;
        if (item.separator) {
            const float thickness = std::max(1.0f, static_cast<float>(static_cast<int>(s)));
            canvas.FillRect({inset + 4 * s, static_cast<float>(static_cast<int>(cy)), w - 2 * inset - 8 * s, thickness},
                            look.separator);
            continue;
        }
        const bool lit = static_cast<int>(i) == hot && item.Selectable();
        if (item.slider) {
            // A thin track, filled up to the value, and a round knob there; lit, the knob
            // takes the highlight colour.
            const RectI t = SliderTrack(row, metrics);
            const float thick = std::max(2.0f, 4.0f * s);
            const float top = cy - thick / 2;
            const float filled = static_cast<float>(t.width) * static_cast<float>(item.value) / 100.0f;
            canvas.FillRoundedRect({static_cast<float>(t.x), top, static_cast<float>(t.width), thick}, thick / 2,
                                   look.separator);
            if (filled > 0)
                canvas.FillRoundedRect({static_cast<float>(t.x), top, filled, thick}, thick / 2, look.highlight);
            const float knob = 7.0f * s;
            const float kx = static_cast<float>(t.x) + filled;
            canvas.FillRoundedRect({kx - knob, cy - knob, 2 * knob, 2 * knob}, knob, look.background);
            canvas.StrokeRoundedRect({kx - knob, cy - knob, 2 * knob, 2 * knob}, knob, std::max(1.0f, s),
                                     lit ? look.highlight : look.border);
            continue;
        }
        if (lit) {
            canvas.FillRoundedRect({inset, static_cast<float>(row.y), w - 2 * inset, static_cast<float>(row.height)},
                                   4.0f * s, look.highlight);
        }
        const Color color = lit ? look.highlightText : (item.enabled ? look.text : look.disabledText);
        if (item.checked) DrawCheck(canvas, static_cast<float>(metrics.checkGutter) / 2.0f + inset / 2.0f, cy, s, color);
        if (item.HasSubmenu()) DrawArrow(canvas, w - static_cast<float>(metrics.arrowGutter) / 2.0f, cy, s, color);
        if (i < labels.text.size()) {
            const Bitmap& label = labels.text[i];
            canvas.DrawCoverage(label, metrics.checkGutter, row.y + (row.height - label.Height()) / 2, color);
        }
        if (i < labels.detail.size() && !labels.detail[i].Empty()) {
            const Bitmap& detail = labels.detail[i];
            const Color detailColor = lit ? look.highlightText : look.detailText;
            canvas.DrawCoverage(detail, layout.width - metrics.arrowGutter - detail.Width(),
                                row.y + (row.height - detail.Height()) / 2, detailColor);
        }
    }
}

} // namespace kestrana::gfx
