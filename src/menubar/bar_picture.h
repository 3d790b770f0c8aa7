#pragma once
// Draws the bar's picture: the translucent strip, and each item (logo, status glyphs,
// texts) as a cell of it, with the lit look under the pointer. A redraw may be limited
// to a region so a clock tick touches only the clock.

#include "gfx/bitmap.h"
#include "gfx/canvas.h"
#include "menubar/bar_appearance.h"

#include <cstdint>
#include <span>

namespace kestrana::menubar {

enum class Glyph : std::uint8_t { None, Logo, Search, Control, User, More, Speaker, Microphone, Battery, Sun, Wifi, Wired, Bluetooth, Music, Stage };

// A reading drawn beside a small label instead of a glyph: a level bar, a ring, a
// scrolling graph, the value as text, or two lines of text (upload over download).
enum class Meter : std::uint8_t { None, Level, Ring, Graph, Value, Lines };

// A meter's width at 96 dpi; for Lines the text decides (0 here).
[[nodiscard]] int MeterWidth(Meter meter);

// A level bar's track for a cell `cellHeight` pixels high at `scale`, and how much of it a
// load (0..100) fills: whole pixels, at least one for any load. The picture of a level
// bar is decided by the fill alone, so two loads with the same fill draw the same pixels.
[[nodiscard]] float LevelTrack(int cellHeight, float scale);
[[nodiscard]] float LevelFill(int load, float track);

// How many sound waves the speaker shows for a volume: none when muted or silent, then
// one, two or three as the volume passes a third and two thirds.
[[nodiscard]] int SpeakerWaves(int percent, bool muted);

struct BarCell {
    gfx::RectI rect;                       // bar pixels
    Glyph glyph = Glyph::None;
    const gfx::Bitmap* text = nullptr;     // a coverage mask, centred in the cell
    const gfx::Bitmap* picture = nullptr;  // a picture of its own (a custom logo)
    bool framed = false;                   // the text sits in a rounded outline
    bool lit = false;                      // pressed, or its menu is open
    float opacity = 1.0f;                  // a dragged item is drawn lighter
    int level = 100;                       // the amount a speaker or battery shows, 0..100
    bool crossed = false;                  // muted speaker or microphone, charging battery
    Meter meter = Meter::None;             // with a meter, `text` is its value or first line
    const gfx::Bitmap* label = nullptr;    // the meter's label, in the small font
    const gfx::Bitmap* second = nullptr;   // the second line of Meter::Lines
    std::span<const std::uint8_t> points;  // Meter::Graph, oldest first
};

// Draws one glyph centred in `box` at the bar's scale.
void DrawGlyph(gfx::Canvas& canvas, Glyph glyph, const gfx::RectF& box, gfx::Color color, float scale,
               int level = 100, bool crossed = false);

// The keyboard focus on `cell`: a ring just inside it, drawn over what DrawBarFrame drew
// (only within `region` when one is given).
void DrawBarFocus(gfx::Bitmap& frame, const BarLook& look, const gfx::RectI& cell, float scale,
                  const gfx::RectI* region = nullptr);

// Draws the strip and the cells into `frame` (the bar's size); with `region` only that
// part is drawn, the rest of the frame is left as it was.
void DrawBarFrame(gfx::Bitmap& frame, const BarLook& look, std::span<const BarCell> cells, float scale,
                  const gfx::RectI* region = nullptr);

} // namespace kestrana::menubar
