#pragma once
// What one status item kind gives the bar: its face (glyph, level, text), its menu and
// what the menu's rows do, and what a screen reader hears. A kind that has a source
// plugs into every bar without the bar knowing what it shows; the source says when its
// face changed and the bar lays out and draws it again.

#include "gfx/menu_model.h"
#include "menubar/bar_picture.h"
#include "menubar/status_items.h"

#include <functional>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrana::menubar {

struct StatusFace {
    bool shown = true;       // false: the item takes no room (no device, no battery)
    Glyph glyph = Glyph::None;
    int level = 0;           // 0..100 for glyphs that show an amount (volume, charge)
    bool crossed = false;    // muted, or charging for the battery
    std::wstring text;       // drawn right of the glyph, or alone without one
    int textLimit = 0;       // the text's widest at 96 dpi, cut with an ellipsis; 0 none
    Meter meter = Meter::None;
    std::wstring label;                // left of a meter ("CPU")
    std::wstring second;               // the second line of Meter::Lines
    std::vector<std::uint8_t> points;  // Meter::Graph, oldest first

    bool operator==(const StatusFace&) const = default;
};

// An item that shows several things side by side (the tray's icons): each part has a
// picture and a name, which is also its tip; the bar gives each a slot of the item's
// cell and hands presses on a slot to the source instead of opening a menu.
struct StatusPart {
    const gfx::Bitmap* picture = nullptr; // owned by the source, valid until it changes
    std::wstring name;
};

enum class PartPress : std::uint8_t { Left, Right, Double, Hover };

class StatusSource {
public:
    virtual ~StatusSource() = default;

    [[nodiscard]] virtual StatusKind Kind() const = 0;
    // What the item is called: a screen reader's name for it, its row in "more".
    [[nodiscard]] virtual std::wstring Name() const = 0;
    [[nodiscard]] virtual StatusFace Face() const = 0;
    // The item's menu as things stand now; an empty menu means the item has none.
    [[nodiscard]] virtual gfx::Menu Menu() = 0;
    // A row of the menu was chosen (its id).
    virtual void Choose(int id) = 0;
    // A slider row of the open menu moved to `value` (0..100); returns the value the
    // slider shows now (the old one when the system refused).
    virtual int Slide(int /*id*/, int value) { return value; }
    // What a screen reader hears as the item's value.
    [[nodiscard]] virtual std::wstring ReaderValue() const { return Face().text; }
    // The hover tip; empty for none.
    [[nodiscard]] virtual std::wstring Tip() const { return {}; }

    // The parts shown, left to right; empty for an item drawn by its face alone.
    [[nodiscard]] virtual std::vector<StatusPart> Parts() const { return {}; }
    // A press (or the pointer resting) on a part; (x, y) is the point on the screen.
    virtual void PressPart(std::size_t /*part*/, PartPress /*press*/, int /*x*/, int /*y*/) {}

    // The bar's hook, run on the user-interface thread when the face may have changed.
    void OnChanged(std::function<void()> changed) { m_changed = std::move(changed); }

protected:
    void Changed() const {
        if (m_changed) m_changed();
    }

private:
    std::function<void()> m_changed;
};

// The width an item takes for its face at the bar's scale: a glyph cell of 34 x scale,
// plus the text and a margin of 6 x scale when there is text; 0 when hidden. A meter
// takes its own width; two lines of text take the wider line and 14 x scale for their arrows and margins.
[[nodiscard]] int FaceWidth(const StatusFace& face, int textWidth, float scale);

// An item of parts: a slot of 26 x scale per part and 8 x scale of margin; 0 with none.
[[nodiscard]] int PartsWidth(std::size_t parts, float scale);
// The slot of part `index` inside an item whose cell starts at `cellX`.
[[nodiscard]] gfx::RectI PartRect(int cellX, int height, std::size_t index, float scale);
// The part under `x` (bar pixels), or -1.
[[nodiscard]] int PartAt(int cellX, int x, std::size_t parts, float scale);

} // namespace kestrana::menubar
