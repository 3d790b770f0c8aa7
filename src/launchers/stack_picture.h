#pragma once
// Drawing a folder stack into our own bitmaps: the pop-up's frames (backdrop, title and
// buttons, the items' pictures and names, a placeholder where a thumbnail is still to
// come) and the dock icon's pile of the folder's first items.

#include "gfx/bitmap.h"
#include "gfx/contrast.h"
#include "gfx/text_renderer.h"
#include "launchers/stack_layout.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrana::launchers {

struct StackLook {
    bool dark = false;
    std::uint8_t opacity = 235; // of the backdrop
    float stroke = 0.35f;       // border strength 0..1
    float scale = 1.0f;
    // High contrast: the scheme's colours, opaque, replace everything above.
    std::optional<gfx::ContrastColours> contrast;
};

// The names of the items drawn once each, when first shown: a folder of hundreds of files
// opens without drawing text that is scrolled out of sight.
class StackLabels {
public:
    StackLabels(gfx::TextRenderer& text, gfx::TextStyle style, int maxWidth)
        : m_text(text), m_style(std::move(style)), m_maxWidth(maxWidth) {}
    void Reset(std::size_t count) {
        m_labels.clear();
        m_labels.resize(count);
        m_drawn.assign(count, false);
    }
    [[nodiscard]] const gfx::Bitmap& At(std::size_t index, std::wstring_view name);
    [[nodiscard]] gfx::TextRenderer& Text() { return m_text; }

private:
    gfx::TextRenderer& m_text;
    gfx::TextStyle m_style;
    int m_maxWidth;
    std::vector<gfx::Bitmap> m_labels;
    std::vector<bool> m_drawn;
};

struct StackItemView {
    const gfx::Bitmap* picture = nullptr; // null: still loading, a placeholder is drawn
};

struct StackFrameState {
    float progress = 1;  // opening animation 0..1 (closing runs it backwards)
    float scroll = 0;
    int hovered = -1;
    bool hoverBack = false;
    bool hoverOpen = false;
};

// The texts of the frame, drawn by the caller's text renderer once.
struct StackChrome {
    const gfx::Bitmap* title = nullptr;
    const gfx::Bitmap* openText = nullptr;
    const gfx::Bitmap* moreText = nullptr; // the fan's "more in folder" entry
};

// Draws the whole frame into `target` (resized to the window). `name(i)` gives the drawn
// name of item i.
void DrawStackFrame(gfx::Bitmap& target, const StackGeometry& geometry, std::span<const StackItemView> items,
                    const std::function<const gfx::Bitmap&(std::size_t)>& name, const StackChrome& chrome,
                    const StackLook& look, const StackFrameState& state);

// The dock icon of a folder shown as a stack: up to three pictures (the first on top), each
// tilted a little, in a square of `size` pixels.
[[nodiscard]] gfx::Bitmap DrawStackPile(std::span<const gfx::Bitmap* const> pictures, int size);

// A picture scaled to fit a square of `size` pixels, centred, aspect kept.
[[nodiscard]] gfx::Bitmap FitPicture(const gfx::Bitmap& picture, int size);

} // namespace kestrana::launchers
