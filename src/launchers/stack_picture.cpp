#include "launchers/stack_picture.h"

#include "gfx/canvas.h"
#include "gfx/resample.h"

#include <algorithm>
#include <cmath>

namespace kestrana::launchers {
namespace {

gfx::Color Ink(bool dark, std::uint8_t alpha = 255) {
    return dark ? gfx::Color{240, 240, 240, alpha} : gfx::Color{28, 28, 30, alpha};
}

// A scheme colour as the opening animation fades it in.
gfx::Color Faded(gfx::Color c, float opacity) {
    c.a = static_cast<std::uint8_t>(static_cast<float>(c.a) * std::clamp(opacity, 0.0f, 1.0f));
    return c;
}

void DrawText(gfx::Canvas& canvas, const gfx::Bitmap* text, const gfx::RectF& box, gfx::Color color, bool centre) {
    if (!text || text->Empty()) return;
    const float x = centre ? box.x + (box.width - static_cast<float>(text->Width())) / 2 : box.x;
    const float y = box.y + (box.height - static_cast<float>(text->Height())) / 2;
    canvas.DrawCoverage(*text, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), color);
}

void DrawIcon(gfx::Canvas& canvas, const StackCell& cell, const gfx::Bitmap* picture, float opacity,
              const StackLook& look) {
    const bool dark = look.dark;
    const float scale = look.scale;
    if (!picture || picture->Empty()) {
        // A thumbnail on its way: a quiet tile keeps the item's place.
        const gfx::RectF r{cell.icon.x + cell.icon.width * 0.1f, cell.icon.y + cell.icon.height * 0.1f,
                           cell.icon.width * 0.8f, cell.icon.height * 0.8f};
        if (look.contrast) {
            canvas.StrokeRoundedRect(r, 8 * scale, std::max(1.0f, scale), Faded(look.contrast->text, opacity));
            return;
        }
        canvas.FillRoundedRect(r, 8 * scale,
                               dark ? gfx::Color{255, 255, 255, static_cast<std::uint8_t>(40 * opacity)}
                                    : gfx::Color{0, 0, 0, static_cast<std::uint8_t>(28 * opacity)});
        return;
    }
    const float fit = std::min(cell.icon.width / static_cast<float>(picture->Width()),
                               cell.icon.height / static_cast<float>(picture->Height()));
    const float w = static_cast<float>(picture->Width()) * fit, h = static_cast<float>(picture->Height()) * fit;
    const float cx = cell.icon.x + cell.icon.width / 2, cy = cell.icon.y + cell.icon.height / 2;
    if (std::abs(cell.angle) > 0.05f) {
        canvas.DrawRotated(*picture, {picture->Width() / 2.0f, picture->Height() / 2.0f}, {cx, cy}, cell.angle, fit,
                           opacity);
        return;
    }
    canvas.DrawBitmap(*picture, {cx - w / 2, cy - h / 2, w, h}, opacity);
}

} // namespace

const gfx::Bitmap& StackLabels::At(std::size_t index, std::wstring_view name) {
    static const gfx::Bitmap kNone;
    if (index >= m_labels.size()) return kNone;
    if (!m_drawn[index]) {
        m_labels[index] = m_text.Draw(name, m_style, m_maxWidth);
        m_drawn[index] = true;
    }
    return m_labels[index];
}

namespace {

// The grid's and the list's panel: its ground and outline, the title, the back and open
// buttons.
void DrawPanel(gfx::Canvas& canvas, const StackGeometry& g, const StackChrome& chrome, const StackLook& look,
               const StackFrameState& state, float opacity) {
    const float s = look.scale;
    const auto& hc = look.contrast;
    const auto alpha = static_cast<std::uint8_t>(look.opacity * opacity);
    const gfx::Color back = hc            ? Faded(hc->window, opacity)
                            : look.dark ? gfx::Color{36, 36, 40, alpha}
                                        : gfx::Color{246, 246, 248, alpha};
    canvas.FillRoundedRect(g.panel, g.radius, back);
    if (hc) {
        canvas.StrokeRoundedRect(g.panel, g.radius, std::max(1.0f, 2 * s), Faded(hc->text, opacity));
    } else if (look.stroke > 0) {
        const auto strokeAlpha = static_cast<std::uint8_t>(std::clamp(look.stroke, 0.0f, 1.0f) * 160 * opacity);
        canvas.StrokeRoundedRect(g.panel, g.radius, std::max(1.0f, s),
                                 look.dark ? gfx::Color{255, 255, 255, strokeAlpha} : gfx::Color{0, 0, 0, strokeAlpha});
    }
    const gfx::Color ink = hc ? Faded(hc->text, opacity) : Ink(look.dark, static_cast<std::uint8_t>(255 * opacity));
    DrawText(canvas, chrome.title, g.title, ink, false);
    if (!g.backButton.Empty()) {
        if (state.hoverBack)
            canvas.FillRoundedRect(g.backButton, 6 * s,
                                   hc ? Faded(hc->highlight, opacity)
                                      : Ink(look.dark, static_cast<std::uint8_t>(30 * opacity)));
        const float cx = g.backButton.x + g.backButton.width * 0.55f, cy = g.backButton.y + g.backButton.height / 2;
        const float arm = g.backButton.height * 0.22f;
        canvas.StrokeLine({cx, cy - arm}, {cx - arm, cy}, 2 * s, ink);
        canvas.StrokeLine({cx - arm, cy}, {cx, cy + arm}, 2 * s, ink);
    }
    if (!g.openButton.Empty()) {
        if (hc) {
            // Plain: an outlined button, filled with the highlight while the pointer is on it.
            const float r = g.openButton.height / 2;
            if (state.hoverOpen) canvas.FillRoundedRect(g.openButton, r, Faded(hc->highlight, opacity));
            canvas.StrokeRoundedRect(g.openButton, r, std::max(1.0f, s), ink);
            DrawText(canvas, chrome.openText, g.openButton, state.hoverOpen ? Faded(hc->window, opacity) : ink, true);
        } else {
            canvas.FillRoundedRect(g.openButton, g.openButton.height / 2,
                                   Ink(look.dark, static_cast<std::uint8_t>((state.hoverOpen ? 46 : 22) * opacity)));
            DrawText(canvas, chrome.openText, g.openButton, ink, true);
        }
    }
}

// A fan item's name in its pill, which keeps it readable over any wallpaper.
void DrawFanName(gfx::Canvas& canvas, const gfx::Bitmap* text, const gfx::RectF& label, bool lit, const StackLook& look,
                 float opacity) {
    if (!text || text->Empty()) return;
    const float s = look.scale;
    const auto& hc = look.contrast;
    const float w = static_cast<float>(text->Width()) + 18 * s;
    const gfx::RectF pill{label.Right() - w, label.y, w, label.height};
    if (hc) {
        canvas.FillRoundedRect(pill, pill.height / 2, Faded(lit ? hc->highlight : hc->window, opacity));
        canvas.StrokeRoundedRect(pill, pill.height / 2, std::max(1.0f, s), Faded(hc->text, opacity));
        DrawText(canvas, text, pill, Faded(lit ? hc->window : hc->text, opacity), true);
    } else {
        canvas.FillRoundedRect(pill, pill.height / 2,
                               gfx::Color{lit ? std::uint8_t(40) : std::uint8_t(20), lit ? std::uint8_t(90) : std::uint8_t(20),
                                          lit ? std::uint8_t(200) : std::uint8_t(24), static_cast<std::uint8_t>(200 * opacity)});
        DrawText(canvas, text, pill, gfx::Color{255, 255, 255, static_cast<std::uint8_t>(255 * opacity)}, true);
    }
}

} // namespace

void DrawStackFrame(gfx::Bitmap& target, const StackGeometry& g, std::span<const StackItemView> items,
                    const std::function<const gfx::Bitmap&(std::size_t)>& name, const StackChrome& chrome,
                    const StackLook& look, const StackFrameState& state) {
    if (target.Width() != g.window.width || target.Height() != g.window.height)
        target.Reset(g.window.width, g.window.height);
    gfx::Canvas canvas(target);
    canvas.Clear();
    const float s = look.scale;
    const float eased = EaseOut(state.progress);
    const bool fan = g.layout == StackLayout::Fan;
    const float opacity = fan ? std::min(1.0f, state.progress * 2.5f) : eased;
    if (!(opacity > 0)) return;

    const auto& hc = look.contrast;
    if (!fan) {
        DrawPanel(canvas, g, chrome, look, state, opacity);
        canvas.SetClip({static_cast<int>(g.view.x), static_cast<int>(g.view.y), static_cast<int>(std::ceil(g.view.width)),
                        static_cast<int>(std::ceil(g.view.height))});
    }

    const gfx::RectI clip = canvas.Clip();
    for (std::size_t i = 0; i < g.cells.size(); ++i) {
        StackCell cell = AnimatedCell(g, static_cast<int>(i), state.progress, state.scroll);
        if (!fan) {
            // Grid and list come in from the dock's side by a few pixels.
            const float rise = (1 - eased) * 12 * s;
            cell.icon.y += rise;
            cell.label.y += rise;
            const float top = std::min(cell.icon.y, cell.label.y), bottom = std::max(cell.icon.Bottom(), cell.label.Bottom());
            if (bottom < static_cast<float>(clip.y) || top > static_cast<float>(clip.Bottom())) continue;
        }
        const bool more = g.more && i + 1 == g.cells.size();
        if (static_cast<int>(i) == state.hovered) {
            const gfx::RectF lit = fan ? cell.label
                                       : gfx::RectF{std::min(cell.icon.x, cell.label.x) - 4 * s, cell.icon.y - 4 * s,
                                                    std::max(cell.icon.Right(), cell.label.Right()) -
                                                        std::min(cell.icon.x, cell.label.x) + 8 * s,
                                                    std::max(cell.icon.Bottom(), cell.label.Bottom()) - cell.icon.y + 8 * s};
            if (!fan)
                canvas.FillRoundedRect(lit, 8 * s,
                                       hc ? Faded(hc->highlight, opacity)
                                          : Ink(look.dark, static_cast<std::uint8_t>(34 * opacity)));
        }
        if (fan) {
            // Names sit in a dark pill so they read over any wallpaper.
            const gfx::Bitmap* text = more ? chrome.moreText : (i < items.size() ? &name(i) : nullptr);
            DrawFanName(canvas, text, cell.label, static_cast<int>(i) == state.hovered, look, opacity);
            if (more) {
                // Three dots stand for the rest of the folder.
                for (int d = -1; d <= 1; ++d)
                    canvas.FillRoundedRect({cell.icon.x + cell.icon.width / 2 + d * 12 * s - 4 * s,
                                            cell.icon.y + cell.icon.height / 2 - 4 * s, 8 * s, 8 * s},
                                           4 * s, hc ? Faded(hc->text, opacity)
                                                     : gfx::Color{255, 255, 255, static_cast<std::uint8_t>(230 * opacity)});
                continue;
            }
        } else if (i < items.size()) {
            // Under high contrast a lit item's name is in the window colour on the highlight.
            const bool lit = static_cast<int>(i) == state.hovered;
            const gfx::Color ink = hc ? Faded(lit ? hc->window : hc->text, opacity)
                                      : Ink(look.dark, static_cast<std::uint8_t>(255 * opacity));
            DrawText(canvas, &name(i), cell.label, ink, g.layout == StackLayout::Grid);
        }
        if (i < items.size()) DrawIcon(canvas, cell, items[i].picture, opacity, look);
    }
    canvas.ResetClip();
}

gfx::Bitmap FitPicture(const gfx::Bitmap& picture, int size) {
    gfx::Bitmap out(size, size);
    if (picture.Empty() || size <= 0) return out;
    const float fit = std::min(static_cast<float>(size) / static_cast<float>(picture.Width()),
                               static_cast<float>(size) / static_cast<float>(picture.Height()));
    const float w = static_cast<float>(picture.Width()) * fit, h = static_cast<float>(picture.Height()) * fit;
    gfx::Canvas canvas(out);
    canvas.DrawBitmap(picture, {(static_cast<float>(size) - w) / 2, (static_cast<float>(size) - h) / 2, w, h});
    return out;
}

gfx::Bitmap DrawStackPile(std::span<const gfx::Bitmap* const> pictures, int size) {
    gfx::Bitmap out(size, size);
    if (size <= 0) return out;
    gfx::Canvas canvas(out);
    static constexpr float kTilt[] = {0.0f, 7.0f, -8.0f};
    static constexpr float kShift[] = {0.0f, 0.05f, -0.05f};
    const std::size_t count = std::min<std::size_t>(pictures.size(), 3);
    const float edge = static_cast<float>(size) * 0.76f;
    // The last of the pile is drawn first, so the first item lies on top.
    for (std::size_t k = count; k-- > 0;) {
        const gfx::Bitmap* picture = pictures[k];
        if (!picture || picture->Empty()) continue;
        const float scale = edge / static_cast<float>(std::max(picture->Width(), picture->Height()));
        const float cx = static_cast<float>(size) * (0.5f + kShift[k]);
        const float cy = static_cast<float>(size) * (0.55f - 0.06f * static_cast<float>(k));
        canvas.DrawRotated(*picture, {picture->Width() / 2.0f, picture->Height() / 2.0f}, {cx, cy}, kTilt[k], scale);
    }
    return out;
}

} // namespace kestrana::launchers
