#include "menubar/bar_picture.h"

#include <algorithm>
#include <cmath>

namespace kestrana::menubar {
namespace {

gfx::Color Faded(gfx::Color c, float opacity) {
    c.a = static_cast<std::uint8_t>(static_cast<float>(c.a) * std::clamp(opacity, 0.0f, 1.0f));
    return c;
}

// A reading beside its label: the label on the left of a 32-pixel part, then the meter.
void DrawMeter(gfx::Canvas& canvas, const BarCell& cell, const gfx::RectF& box, gfx::Color color, float s) {
    const gfx::Color dim{color.r, color.g, color.b, static_cast<std::uint8_t>(color.a / 3)};
    const float cy = box.y + box.height / 2;
    if (cell.meter == Meter::Lines) {
        // Upload over download, right-aligned so the digits stay put as the rates change,
        // each after a small arrow drawn here (the small font need not have arrows).
        const gfx::Bitmap* lines[2] = {cell.text, cell.second};
        const float ax = box.x + 3.0f * s, half = 2.0f * s;
        for (int i = 0; i < 2; ++i) {
            const float mid = i == 0 ? cy - 3.5f * s : cy + 3.5f * s;
            const float tip = i == 0 ? mid - half : mid + half, base = i == 0 ? mid + half : mid - half;
            canvas.StrokeLine({ax + half, tip}, {ax + half, base}, 1.0f * s, color);
            canvas.StrokeLine({ax, tip + (base - tip) / 2}, {ax + half, tip}, 1.0f * s, color);
            canvas.StrokeLine({ax + 2 * half, tip + (base - tip) / 2}, {ax + half, tip}, 1.0f * s, color);
            if (!lines[i] || lines[i]->Empty()) continue;
            const int x = cell.rect.x + cell.rect.width - static_cast<int>(3.0f * s) - lines[i]->Width();
            const int y = i == 0 ? static_cast<int>(cy) - lines[i]->Height() : static_cast<int>(cy);
            canvas.DrawCoverage(*lines[i], x, y, color);
        }
        return;
    }
    if (cell.label && !cell.label->Empty())
        canvas.DrawCoverage(*cell.label, cell.rect.x + static_cast<int>(3.0f * s), static_cast<int>(cy) - cell.label->Height() / 2,
                            color);
    const float top = box.y + 5.0f * s, height = box.height - 10.0f * s;
    switch (cell.meter) {
    case Meter::Level: {
        const gfx::RectF track{box.x + 24.0f * s, top, 5.0f * s, LevelTrack(cell.rect.height, s)};
        canvas.FillRoundedRect(track, 1.0f * s, dim);
        // Whole pixels, as the graph's columns: a light load's small changes leave the
        // picture as it was.
        const float filled = LevelFill(cell.level, track.height);
        if (filled > 0) canvas.FillRect({track.x, track.y + track.height - filled, track.width, filled}, color);
        return;
    }
    case Meter::Ring: {
        const float r = std::min(height, 16.0f * s) / 2;
        const float cx = box.x + 32.0f * s + 9.0f * s;
        canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, 1.0f * s, dim);
        // The arc from twelve o'clock, clockwise, in short chords.
        const float degrees = std::max(8.0f, 3.6f * static_cast<float>(std::clamp(cell.level, 0, 100)));
        constexpr float kRadians = 3.14159265f / 180.0f;
        const int steps = std::max(2, static_cast<int>(degrees / 6.0f));
        for (int i = 0; i < steps; ++i) {
            const float a0 = degrees * static_cast<float>(i) / static_cast<float>(steps) * kRadians;
            const float a1 = degrees * static_cast<float>(i + 1) / static_cast<float>(steps) * kRadians;
            canvas.StrokeLine({cx + r * std::sin(a0), cy - r * std::cos(a0)}, {cx + r * std::sin(a1), cy - r * std::cos(a1)},
                              2.0f * s, color);
        }
        return;
    }
    case Meter::Graph: {
        const gfx::RectF area{box.x + 32.0f * s, top, 28.0f * s, height};
        canvas.FillRect(area, gfx::Color{dim.r, dim.g, dim.b, static_cast<std::uint8_t>(dim.a / 2)});
        if (cell.points.empty()) return;
        const float step = area.width / static_cast<float>(cell.points.size());
        // Columns in whole pixels, at least one for any load: an idle machine's small
        // changes then leave the picture as it was, and the bar is not handed it again.
        const float bottom = std::round(area.y + area.height);
        for (std::size_t i = 0; i < cell.points.size(); ++i) {
            if (cell.points[i] == 0) continue;
            const float h = std::max(1.0f, std::round(area.height * static_cast<float>(std::min<int>(cell.points[i], 100)) / 100.0f));
            canvas.FillRect({area.x + step * static_cast<float>(i), bottom - h, step, h}, color);
        }
        return;
    }
    case Meter::Value:
        if (cell.text && !cell.text->Empty())
            canvas.DrawCoverage(*cell.text, cell.rect.x + cell.rect.width - static_cast<int>(3.0f * s) - cell.text->Width(),
                                static_cast<int>(cy) - cell.text->Height() / 2, color);
        return;
    default: return;
    }
}

} // namespace

int MeterWidth(Meter meter) {
    switch (meter) {
    case Meter::Level: return 32;
    case Meter::Ring: return 32 + 18;
    case Meter::Graph: return 32 + 30;
    case Meter::Value: return 56;
    default: return 0;
    }
}

float LevelTrack(int cellHeight, float scale) { return std::max(0.0f, static_cast<float>(cellHeight) - 10.0f * scale); }

float LevelFill(int load, float track) {
    if (load <= 0 || track <= 0) return 0;
    return std::min(track, std::max(1.0f, std::round(track * (static_cast<float>(std::min(load, 100)) / 100.0f))));
}

int SpeakerWaves(int percent, bool muted) {
    if (muted || percent <= 0) return 0;
    if (percent < 34) return 1;
    return percent < 67 ? 2 : 3;
}

namespace {

// Draws one glyph centred in its box; one member per glyph, grouped by family.
struct GlyphPen {
    gfx::Canvas& canvas;
    float cx, cy; // the box's centre
    float s;      // scale
    gfx::Color color;
    int level;
    bool crossed;
    float line; // the marks' stroke

    // The bar's own marks.
    void Logo() const {
        // A ring around a swept wing: two strokes meeting at the ring's left.
        const float r = 7.0f * s;
        canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, line, color);
        canvas.StrokeLine({cx - 3.2f * s, cy - 4.2f * s}, {cx - 3.2f * s, cy + 4.2f * s}, 1.8f * s, color);
        canvas.StrokeLine({cx - 3.0f * s, cy + 0.6f * s}, {cx + 3.6f * s, cy - 4.0f * s}, 1.8f * s, color);
        canvas.StrokeLine({cx - 1.0f * s, cy - 0.6f * s}, {cx + 3.6f * s, cy + 4.0f * s}, 1.8f * s, color);
    }
    void Search() const {
        const float r = 4.6f * s;
        const float ox = cx - 1.6f * s, oy = cy - 1.6f * s;
        canvas.StrokeRoundedRect({ox - r, oy - r, 2 * r, 2 * r}, r, line, color);
        canvas.StrokeLine({ox + 3.4f * s, oy + 3.4f * s}, {cx + 5.8f * s, cy + 5.8f * s}, 1.8f * s, color);
    }
    void Control() const {
        // Two switches, one on and one off.
        const float w = 14.0f * s, h = 6.0f * s, r = h / 2;
        for (int i = 0; i < 2; ++i) {
            const float top = cy + (i == 0 ? -7.0f : 1.0f) * s;
            canvas.StrokeRoundedRect({cx - w / 2, top, w, h}, r, 1.2f * s, color);
            const float knobX = i == 0 ? cx + w / 2 - h : cx - w / 2;
            canvas.FillRoundedRect({knobX + 1.2f * s, top + 1.2f * s, h - 2.4f * s, h - 2.4f * s}, r, color);
        }
    }
    void User() const {
        const float r = 8.0f * s;
        canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, 1.3f * s, color);
        const float head = 2.8f * s;
        canvas.FillRoundedRect({cx - head, cy - 5.0f * s, 2 * head, 2 * head}, head, color);
        canvas.FillRoundedRect({cx - 5.2f * s, cy + 1.6f * s, 10.4f * s, 4.6f * s}, 2.3f * s, color);
    }
    void More() const {
        for (float dx : {-2.6f, 2.0f}) {
            canvas.StrokeLine({cx + (dx - 2.0f) * s, cy - 4.0f * s}, {cx + (dx + 1.6f) * s, cy}, line, color);
            canvas.StrokeLine({cx + (dx + 1.6f) * s, cy}, {cx + (dx - 2.0f) * s, cy + 4.0f * s}, line, color);
        }
    }
    void Stage() const {
        // The stage and its column of windows beside it; the column is filled while on.
        canvas.StrokeRoundedRect({cx - 2.0f * s, cy - 6.0f * s, 10.0f * s, 12.0f * s}, 1.8f * s, 1.3f * s, color);
        for (int i = 0; i < 3; ++i) {
            const gfx::RectF tile{cx - 8.0f * s, cy + (-6.0f + 4.4f * static_cast<float>(i)) * s, 3.6f * s, 3.2f * s};
            if (level > 0) canvas.FillRoundedRect(tile, 0.8f * s, color);
            else canvas.StrokeRoundedRect(tile, 0.8f * s, 1.0f * s, color);
        }
    }

    // Sound.
    void Speaker() const {
        // A box and a cone, then the waves (or a cross when muted).
        const float left = cx - 7.0f * s;
        canvas.FillRect({left, cy - 2.5f * s, 3.0f * s, 5.0f * s}, color);
        for (float t = 0; t <= 1.0f; t += 0.25f) {
            const float x = left + 3.0f * s + t * 4.0f * s;
            const float half = 2.5f * s + t * 3.5f * s;
            canvas.StrokeLine({x, cy - half}, {x, cy + half}, 1.2f * s, color);
        }
        const float fromX = left + 9.5f * s;
        if (crossed) {
            canvas.StrokeLine({fromX, cy - 3.0f * s}, {fromX + 6.0f * s, cy + 3.0f * s}, 1.4f * s, color);
            canvas.StrokeLine({fromX, cy + 3.0f * s}, {fromX + 6.0f * s, cy - 3.0f * s}, 1.4f * s, color);
            return;
        }
        const int waves = SpeakerWaves(level, false);
        for (int i = 0; i < waves; ++i) {
            const float x = fromX + static_cast<float>(i) * 2.6f * s;
            const float half = (2.0f + static_cast<float>(i) * 2.0f) * s;
            canvas.StrokeLine({x, cy - half}, {x + 1.4f * s, cy}, 1.2f * s, color);
            canvas.StrokeLine({x + 1.4f * s, cy}, {x, cy + half}, 1.2f * s, color);
        }
    }
    void Microphone() const {
        const float w = 5.0f * s, h = 9.0f * s;
        canvas.StrokeRoundedRect({cx - w / 2, cy - 7.0f * s, w, h}, w / 2, 1.3f * s, color);
        canvas.StrokeLine({cx - 4.5f * s, cy}, {cx - 4.5f * s + 1.0f * s, cy + 3.0f * s}, 1.2f * s, color);
        canvas.StrokeLine({cx + 4.5f * s, cy}, {cx + 4.5f * s - 1.0f * s, cy + 3.0f * s}, 1.2f * s, color);
        canvas.StrokeLine({cx - 3.5f * s, cy + 3.0f * s}, {cx + 3.5f * s, cy + 3.0f * s}, 1.2f * s, color);
        canvas.StrokeLine({cx, cy + 3.0f * s}, {cx, cy + 7.0f * s}, 1.2f * s, color);
        if (crossed) canvas.StrokeLine({cx - 6.0f * s, cy - 7.0f * s}, {cx + 6.0f * s, cy + 7.0f * s}, 1.5f * s, color);
    }
    void Music() const {
        // Two beamed notes; paused, the second note is hollow.
        const float rx = 2.6f * s, ry = 2.0f * s;
        const float left = cx - 4.6f * s, right = cx + 4.0f * s, foot = cy + 4.6f * s;
        canvas.FillRoundedRect({left - rx, foot - ry, 2 * rx, 2 * ry}, ry, color);
        if (crossed) canvas.StrokeRoundedRect({right - rx, foot - 1.5f * s - ry, 2 * rx, 2 * ry}, ry, 1.1f * s, color);
        else canvas.FillRoundedRect({right - rx, foot - 1.5f * s - ry, 2 * rx, 2 * ry}, ry, color);
        canvas.StrokeLine({left + rx - 0.6f * s, foot}, {left + rx - 0.6f * s, cy - 5.0f * s}, 1.3f * s, color);
        canvas.StrokeLine({right + rx - 0.6f * s, foot - 1.5f * s}, {right + rx - 0.6f * s, cy - 6.5f * s}, 1.3f * s, color);
        canvas.StrokeLine({left + rx - 0.6f * s, cy - 5.0f * s}, {right + rx - 0.6f * s, cy - 6.5f * s}, 2.2f * s, color);
    }

    // Power and light.
    void Battery() const {
        const float w = 20.0f * s, h = 10.0f * s;
        const float left = cx - w / 2 - 1.0f * s, top = cy - h / 2;
        canvas.StrokeRoundedRect({left, top, w, h}, 2.5f * s, 1.1f * s, color);
        canvas.FillRect({left + w + 0.8f * s, cy - 2.0f * s, 1.5f * s, 4.0f * s}, color);
        const float inner = w - 4.0f * s;
        const float fill = inner * static_cast<float>(std::clamp(level, 0, 100)) / 100.0f;
        if (fill > 0) canvas.FillRoundedRect({left + 2.0f * s, top + 2.0f * s, fill, h - 4.0f * s}, 1.0f * s, color);
        if (crossed) {
            // Charging: a bolt across the cell, drawn in the cell's outline colour.
            canvas.StrokeLine({cx + 1.0f * s, top - 1.0f * s}, {cx - 3.0f * s, cy + 0.5f * s}, 1.4f * s, color);
            canvas.StrokeLine({cx - 3.0f * s, cy + 0.5f * s}, {cx + 2.0f * s, cy - 0.5f * s}, 1.4f * s, color);
            canvas.StrokeLine({cx + 2.0f * s, cy - 0.5f * s}, {cx - 2.0f * s, top + h + 1.0f * s}, 1.4f * s, color);
        }
    }
    void Sun() const {
        // A disc and eight rays; the rays shorten as the brightness falls.
        const float r = 3.2f * s;
        canvas.FillRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, color);
        const float reach = (1.6f + 2.4f * static_cast<float>(std::clamp(level, 0, 100)) / 100.0f) * s;
        constexpr float kDiagonal = 0.7071f;
        const float dirs[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {kDiagonal, kDiagonal}, {-kDiagonal, kDiagonal},
                                  {kDiagonal, -kDiagonal}, {-kDiagonal, -kDiagonal}};
        for (const auto& d : dirs) {
            const float from = r + 1.6f * s;
            canvas.StrokeLine({cx + d[0] * from, cy + d[1] * from}, {cx + d[0] * (from + reach), cy + d[1] * (from + reach)},
                              1.3f * s, color);
        }
    }

    // Connections.
    void Wifi() const {
        // A dot and three arcs above it; `level` arcs are lit, the rest faint. Crossed:
        // no radio or no service.
        const gfx::Color faint{color.r, color.g, color.b, static_cast<std::uint8_t>(color.a / 3)};
        const float baseY = cy + 5.0f * s;
        canvas.FillRoundedRect({cx - 1.3f * s, baseY - 2.6f * s, 2.6f * s, 2.6f * s}, 1.3f * s, level > 0 ? color : faint);
        constexpr int kSteps = 8;
        for (int arc = 1; arc <= 3; ++arc) {
            const float r = (3.0f + 3.2f * static_cast<float>(arc)) * s;
            const gfx::Color c = arc <= level ? color : faint;
            for (int i = 0; i < kSteps; ++i) {
                // From 45 to 135 degrees above the dot.
                const float a0 = 0.7854f + 1.5708f * static_cast<float>(i) / kSteps;
                const float a1 = 0.7854f + 1.5708f * static_cast<float>(i + 1) / kSteps;
                canvas.StrokeLine({cx + r * std::cos(a0), baseY - 1.3f * s - r * std::sin(a0)},
                                  {cx + r * std::cos(a1), baseY - 1.3f * s - r * std::sin(a1)}, 1.5f * s, c);
            }
        }
        if (crossed) canvas.StrokeLine({cx - 7.0f * s, cy - 7.0f * s}, {cx + 7.0f * s, cy + 7.0f * s}, 1.5f * s, color);
    }
    void Wired() const {
        // Three linked boxes: a wired connection.
        const float box = 4.6f * s;
        canvas.StrokeRoundedRect({cx - box / 2, cy - 7.0f * s, box, box}, 1.0f * s, 1.2f * s, color);
        canvas.StrokeRoundedRect({cx - 7.5f * s, cy + 2.4f * s, box, box}, 1.0f * s, 1.2f * s, color);
        canvas.StrokeRoundedRect({cx + 2.9f * s, cy + 2.4f * s, box, box}, 1.0f * s, 1.2f * s, color);
        canvas.StrokeLine({cx, cy - 2.4f * s}, {cx, cy}, 1.2f * s, color);
        canvas.StrokeLine({cx - 5.2f * s, cy}, {cx + 5.2f * s, cy}, 1.2f * s, color);
        canvas.StrokeLine({cx - 5.2f * s, cy}, {cx - 5.2f * s, cy + 2.4f * s}, 1.2f * s, color);
        canvas.StrokeLine({cx + 5.2f * s, cy}, {cx + 5.2f * s, cy + 2.4f * s}, 1.2f * s, color);
    }
    void Bluetooth() const {
        // The rune: a stem with two arrow loops; crossed when off or absent.
        const float h = 7.0f * s, w = 3.6f * s;
        const float x = cx - 0.6f * s;
        const float width = 1.3f * s;
        canvas.StrokeLine({x, cy - h}, {x, cy + h}, width, color);
        canvas.StrokeLine({x, cy - h}, {x + w, cy - h / 2}, width, color);
        canvas.StrokeLine({x + w, cy - h / 2}, {x - w, cy + h / 2}, width, color);
        canvas.StrokeLine({x, cy + h}, {x + w, cy + h / 2}, width, color);
        canvas.StrokeLine({x + w, cy + h / 2}, {x - w, cy - h / 2}, width, color);
        if (level > 0 && !crossed) {
            // A device is connected: two dots beside the rune.
            canvas.FillRoundedRect({x - 6.0f * s, cy - 0.8f * s, 1.6f * s, 1.6f * s}, 0.8f * s, color);
            canvas.FillRoundedRect({x + 4.6f * s, cy - 0.8f * s, 1.6f * s, 1.6f * s}, 0.8f * s, color);
        }
        if (crossed) canvas.StrokeLine({cx - 7.0f * s, cy - 7.0f * s}, {cx + 7.0f * s, cy + 7.0f * s}, 1.5f * s, color);
    }
};

} // namespace

void DrawGlyph(gfx::Canvas& canvas, Glyph glyph, const gfx::RectF& box, gfx::Color color, float s, int level,
               bool crossed) {
    const GlyphPen pen{canvas, box.x + box.width / 2, box.y + box.height / 2, s, color, level, crossed, 1.5f * s};
    switch (glyph) {
    case Glyph::None: return;
    case Glyph::Logo: pen.Logo(); return;
    case Glyph::Search: pen.Search(); return;
    case Glyph::Control: pen.Control(); return;
    case Glyph::User: pen.User(); return;
    case Glyph::Speaker: pen.Speaker(); return;
    case Glyph::Microphone: pen.Microphone(); return;
    case Glyph::Battery: pen.Battery(); return;
    case Glyph::Sun: pen.Sun(); return;
    case Glyph::Wifi: pen.Wifi(); return;
    case Glyph::Wired: pen.Wired(); return;
    case Glyph::Bluetooth: pen.Bluetooth(); return;
    case Glyph::Music: pen.Music(); return;
    case Glyph::Stage: pen.Stage(); return;
    case Glyph::More: pen.More(); return;
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
        if (cell.meter != Meter::None) {
            DrawMeter(canvas, cell, box, color, scale);
            continue;
        }
        if (cell.picture && !cell.picture->Empty()) {
            const float side = std::min(box.height - 6.0f * scale, box.width);
            canvas.DrawBitmap(*cell.picture, {box.x + (box.width - side) / 2, box.y + (box.height - side) / 2, side, side},
                              cell.opacity);
        } else if (cell.glyph != Glyph::None) {
            // Beside a text the glyph keeps a cell of its own on the left.
            gfx::RectF glyphBox = box;
            if (cell.text && !cell.text->Empty()) glyphBox.width = 34.0f * scale;
            DrawGlyph(canvas, cell.glyph, glyphBox, color, scale, cell.level, cell.crossed);
        }
        if (cell.text && !cell.text->Empty()) {
            int x = cell.rect.x + (cell.rect.width - cell.text->Width()) / 2;
            if (cell.glyph != Glyph::None) x = cell.rect.x + static_cast<int>(34.0f * scale);
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
