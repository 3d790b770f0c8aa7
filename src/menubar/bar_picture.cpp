#include "menubar/bar_picture.h"

#include <algorithm>

namespace kestrana::menubar {
namespace {

gfx::Color Faded(gfx::Color c, float opacity) {
    c.a = static_cast<std::uint8_t>(static_cast<float>(c.a) * std::clamp(opacity, 0.0f, 1.0f));
    return c;
}

} // namespace

void DrawGlyph(gfx::Canvas& canvas, Glyph glyph, const gfx::RectF& box, gfx::Color color, float s) {
    const float cx = box.x + box.width / 2, cy = box.y + box.height / 2;
    const float line = 1.5f * s;
    switch (glyph) {
    case Glyph::None: return;
    case Glyph::Logo: {
        // A ring around a swept wing: two strokes meeting at the ring's left.
        const float r = 7.0f * s;
        canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, line, color);
        canvas.StrokeLine({cx - 3.2f * s, cy - 4.2f * s}, {cx - 3.2f * s, cy + 4.2f * s}, 1.8f * s, color);
        canvas.StrokeLine({cx - 3.0f * s, cy + 0.6f * s}, {cx + 3.6f * s, cy - 4.0f * s}, 1.8f * s, color);
        canvas.StrokeLine({cx - 1.0f * s, cy - 0.6f * s}, {cx + 3.6f * s, cy + 4.0f * s}, 1.8f * s, color);
        return;
    }
    case Glyph::Search: {
        const float r = 4.6f * s;
        const float ox = cx - 1.6f * s, oy = cy - 1.6f * s;
        canvas.StrokeRoundedRect({ox - r, oy - r, 2 * r, 2 * r}, r, line, color);
        canvas.StrokeLine({ox + 3.4f * s, oy + 3.4f * s}, {cx + 5.8f * s, cy + 5.8f * s}, 1.8f * s, color);
        return;
    }
    case Glyph::Control: {
        // Two switches, one on and one off.
        const float w = 14.0f * s, h = 6.0f * s, r = h / 2;
        for (int i = 0; i < 2; ++i) {
            const float top = cy + (i == 0 ? -7.0f : 1.0f) * s;
            canvas.StrokeRoundedRect({cx - w / 2, top, w, h}, r, 1.2f * s, color);
            const float knobX = i == 0 ? cx + w / 2 - h : cx - w / 2;
            canvas.FillRoundedRect({knobX + 1.2f * s, top + 1.2f * s, h - 2.4f * s, h - 2.4f * s}, r, color);
        }
        return;
    }
    case Glyph::User: {
        const float r = 8.0f * s;
        canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, 1.3f * s, color);
        const float head = 2.8f * s;
        canvas.FillRoundedRect({cx - head, cy - 5.0f * s, 2 * head, 2 * head}, head, color);
        canvas.FillRoundedRect({cx - 5.2f * s, cy + 1.6f * s, 10.4f * s, 4.6f * s}, 2.3f * s, color);
        return;
    }
    case Glyph::More: {
        for (float dx : {-2.6f, 2.0f}) {
            canvas.StrokeLine({cx + (dx - 2.0f) * s, cy - 4.0f * s}, {cx + (dx + 1.6f) * s, cy}, line, color);
            canvas.StrokeLine({cx + (dx + 1.6f) * s, cy}, {cx + (dx - 2.0f) * s, cy + 4.0f * s}, line, color);
        }
        return;
    }
    }
}

void DrawBarFocus(gfx::Bitmap& frame, const BarLook& look, const gfx::RectI& cell, float scale,
                  const gfx::RectI* region) {
    if (cell.Empty()) return;
    gfx::Canvas canvas(frame);
    if (region) canvas.SetClip(*region);
    const float inset = 2.0f * scale;
    const gfx::RectF ring{static_cast<float>(cell.x) + inset, static_cast<float>(cell.y) + inset,
                          static_cast<float>(cell.width) - 2 * inset, static_cast<float>(cell.height) - 2 * inset};
    if (ring.width <= 0 || ring.height <= 0) return;
    // In the text's colour: it stands out on the bar whatever its tint.
    const gfx::Color text = look.Text();
    canvas.StrokeRoundedRect(ring, 4.0f * scale, std::max(1.5f, 2.0f * scale), gfx::Color{text.r, text.g, text.b, 230});
}

void DrawBarFrame(gfx::Bitmap& frame, const BarLook& look, std::span<const BarCell> cells, float scale,
                  const gfx::RectI* region) {
    gfx::Canvas canvas(frame);
    if (region) canvas.SetClip(*region);
    canvas.Clear(look.Background().Premultiplied());
    const gfx::Color text = look.Text();
    const gfx::Color lit{text.r, text.g, text.b, 40};
    for (const BarCell& cell : cells) {
        if (cell.rect.Empty()) continue;
        if (region && gfx::Intersect(cell.rect, *region).Empty()) continue;
        const gfx::RectF box{static_cast<float>(cell.rect.x), static_cast<float>(cell.rect.y),
                             static_cast<float>(cell.rect.width), static_cast<float>(cell.rect.height)};
        if (cell.lit) {
            const float inset = 3.0f * scale;
            canvas.FillRoundedRect({box.x + 1, box.y + inset, box.width - 2, box.height - 2 * inset}, 4.0f * scale, lit);
        }
        const gfx::Color color = Faded(text, cell.opacity);
        if (cell.picture && !cell.picture->Empty()) {
            const float side = std::min(box.height - 6.0f * scale, box.width);
            canvas.DrawBitmap(*cell.picture, {box.x + (box.width - side) / 2, box.y + (box.height - side) / 2, side, side},
                              cell.opacity);
        } else if (cell.glyph != Glyph::None) {
            DrawGlyph(canvas, cell.glyph, box, color, scale);
        }
        if (cell.text && !cell.text->Empty()) {
            const int x = cell.rect.x + (cell.rect.width - cell.text->Width()) / 2;
            const int y = cell.rect.y + (cell.rect.height - cell.text->Height()) / 2;
            if (cell.framed) {
                const float pad = 4.0f * scale;
                canvas.StrokeRoundedRect({static_cast<float>(x) - pad, box.y + 4.0f * scale,
                                          static_cast<float>(cell.text->Width()) + 2 * pad, box.height - 8.0f * scale},
                                         3.0f * scale, std::max(1.0f, scale), color);
            }
            canvas.DrawCoverage(*cell.text, x, y, color);
        }
    }
}

} // namespace kestrana::menubar
