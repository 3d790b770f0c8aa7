#include "menubar/about_picture.h"

#include "gfx/canvas.h"
#include "menubar/bar_geometry.h"
#include "menubar/bar_picture.h"

#include <algorithm>

namespace kestrana::menubar {

AboutLayout LayOutAbout(const AboutLabels& labels, float s) {
    AboutLayout l;
    const int pad = Scaled(28, s), gap = Scaled(14, s);
    int labelWidth = 0, valueWidth = 0;
    for (const auto& [label, value] : labels.rows) {
        labelWidth = std::max(labelWidth, label.Width());
        valueWidth = std::max(valueWidth, value.Width());
    }
    l.width = std::max({Scaled(420, s), labels.title.Width() + 2 * pad, labelWidth + gap + valueWidth + 2 * pad});
    const int logo = Scaled(64, s);
    l.logo = {(l.width - logo) / 2, pad, logo, logo};
    l.title = {0, l.logo.Bottom() + Scaled(12, s), l.width, Scaled(28, s)};
    // The two columns are centred together under the title.
    l.labelRight = (l.width - (labelWidth + gap + valueWidth)) / 2 + labelWidth;
    l.rowHeight = Scaled(22, s);
    int y = l.title.Bottom() + Scaled(16, s);
    for (std::size_t i = 0; i < labels.rows.size(); ++i, y += l.rowHeight) l.rowTops.push_back(y);
    const int buttonWidth = std::max(Scaled(96, s), labels.close.Width() + Scaled(32, s));
    l.close = {(l.width - buttonWidth) / 2, y + Scaled(18, s), buttonWidth, Scaled(28, s)};
    l.height = l.close.Bottom() + pad;
    return l;
}

void DrawAbout(gfx::Bitmap& target, const AboutLayout& l, const AboutLabels& labels, bool dark, float s, bool closeLit) {
    gfx::Canvas canvas(target);
    canvas.Clear(0);
    const gfx::Color panel = dark ? gfx::Color{36, 36, 38, 250} : gfx::Color{246, 246, 246, 250};
    const gfx::Color text = dark ? gfx::Color{238, 238, 238, 255} : gfx::Color{28, 28, 30, 255};
    const gfx::Color dim = dark ? gfx::Color{160, 160, 164, 255} : gfx::Color{110, 110, 114, 255};
    const gfx::Color border = dark ? gfx::Color{255, 255, 255, 50} : gfx::Color{0, 0, 0, 45};
    const gfx::RectF all{0, 0, static_cast<float>(l.width), static_cast<float>(l.height)};
    canvas.FillRoundedRect(all, 12.0f * s, panel);
    canvas.StrokeRoundedRect(all, 12.0f * s, std::max(1.0f, s), border);
    DrawGlyph(canvas, Glyph::Logo,
              {static_cast<float>(l.logo.x), static_cast<float>(l.logo.y), static_cast<float>(l.logo.width),
               static_cast<float>(l.logo.height)},
              text, s * static_cast<float>(l.logo.width) / (16.0f * s));
    canvas.DrawCoverage(labels.title, (l.width - labels.title.Width()) / 2,
                        l.title.y + (l.title.height - labels.title.Height()) / 2, text);
    const int gap = Scaled(14, s);
    for (std::size_t i = 0; i < labels.rows.size() && i < l.rowTops.size(); ++i) {
        const auto& [label, value] = labels.rows[i];
        const int y = l.rowTops[i];
        canvas.DrawCoverage(label, l.labelRight - label.Width(), y + (l.rowHeight - label.Height()) / 2, dim);
        canvas.DrawCoverage(value, l.labelRight + gap, y + (l.rowHeight - value.Height()) / 2, text);
    }
    const gfx::RectF close{static_cast<float>(l.close.x), static_cast<float>(l.close.y),
                           static_cast<float>(l.close.width), static_cast<float>(l.close.height)};
    canvas.FillRoundedRect(close, 6.0f * s, closeLit ? gfx::Color{30, 118, 230, 255} : gfx::Color{10, 100, 214, 255});
    canvas.DrawCoverage(labels.close, l.close.x + (l.close.width - labels.close.Width()) / 2,
                        l.close.y + (l.close.height - labels.close.Height()) / 2, {255, 255, 255, 255});
}

} // namespace kestrana::menubar
