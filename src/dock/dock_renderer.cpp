#include "dock/dock_renderer.h"

#include "gfx/builtin_text_renderer.h"
#include "gfx/effects.h"

#include <algorithm>
#include <cmath>

namespace kestrana::dock {
namespace {

gfx::RectI Enclosing(const gfx::RectF& r, int growBy = 1) {
    if (r.Empty()) return {};
    const int x0 = static_cast<int>(std::floor(r.x)) - growBy;
    const int y0 = static_cast<int>(std::floor(r.y)) - growBy;
    const int x1 = static_cast<int>(std::ceil(r.Right())) + growBy;
    const int y1 = static_cast<int>(std::ceil(r.Bottom())) + growBy;
    return {x0, y0, x1 - x0, y1 - y0};
}

// Everything an item may paint: its icon, the glow or plate of a hover effect around it,
// and its running mark between the icon and the screen edge (across the whole bar).
gfx::RectI PaintExtent(const gfx::RectF& icon, const gfx::RectF& bar, Edge edge) {
    const float grow = std::max(icon.width, icon.height) * 0.25f;
    gfx::RectF r{icon.x - grow, icon.y - grow, icon.width + 2 * grow, icon.height + 2 * grow};
    if (IsVertical(edge)) {
        r.x = std::min(r.x, bar.x);
        r.width = std::max(r.Right(), bar.Right()) - r.x;
    } else {
        r.y = std::min(r.y, bar.y);
        r.height = std::max(r.Bottom(), bar.Bottom()) - r.y;
    }
    return Enclosing(r, 2);
}

bool Overlaps(const gfx::RectF& r, const gfx::RectI& clip) {
    return !r.Empty() && r.x < clip.Right() && r.Right() > clip.x && r.y < clip.Bottom() && r.Bottom() > clip.y;
}

// The soft glow behind a hovered icon (light effects): a rounded spot on the bar.
void DrawLight(gfx::Canvas& canvas, const gfx::RectF& icon, int alpha, bool dark) {
    if (alpha <= 0) return;
    const float grow = icon.width * 0.12f;
    const gfx::RectF spot{icon.x - grow, icon.y - grow, icon.width + 2 * grow, icon.height + 2 * grow};
    const auto a = static_cast<std::uint8_t>(std::clamp(alpha, 0, 255));
    const gfx::Color colour = dark ? gfx::Color{255, 255, 255, a} : gfx::Color{255, 255, 255, a};
    // Three nested spots approximate a soft falloff without a per-frame blur.
    for (int ring = 0; ring < 3; ++ring) {
        const float inset = spot.width * 0.08f * static_cast<float>(ring);
        gfx::Color c = colour;
        c.a = static_cast<std::uint8_t>(a / 3);
        canvas.FillRoundedRect({spot.x + inset, spot.y + inset, spot.width - 2 * inset, spot.height - 2 * inset},
                               (spot.width - 2 * inset) * 0.3f, c);
    }
}

// The select effects: a rounded plate behind the hovered icon.
void DrawSelection(gfx::Canvas& canvas, const gfx::RectF& icon, bool dark) {
    const float grow = icon.width * 0.08f;
    const gfx::RectF plate{icon.x - grow, icon.y - grow, icon.width + 2 * grow, icon.height + 2 * grow};
    canvas.FillRoundedRect(plate, plate.width * 0.24f, dark ? gfx::Color{255, 255, 255, 46} : gfx::Color{0, 0, 0, 30});
}

// The keyboard focus: a ring around the icon, dark under light so that it shows on any
// backdrop and any icon.
void DrawFocusRing(gfx::Canvas& canvas, const gfx::RectF& icon, float scale,
                   const std::optional<gfx::ContrastColours>& contrast) {
    const float grow = std::max(2.0f, 3.0f * scale);
    const gfx::RectF ring{icon.x - grow, icon.y - grow, icon.width + 2 * grow, icon.height + 2 * grow};
    const float radius = ring.width * 0.24f;
    if (contrast) {
        canvas.StrokeRoundedRect(ring, radius, std::max(2.0f, 3.0f * scale), contrast->highlight);
        return;
    }
    canvas.StrokeRoundedRect(ring, radius, std::max(3.0f, 3.5f * scale), gfx::Color{0, 0, 0, 150});
    canvas.StrokeRoundedRect(ring, radius, std::max(1.5f, 2.0f * scale), gfx::Color{255, 255, 255, 245});
}

// An item whose picture could not be found still takes its place.
void DrawMissingPicture(gfx::Canvas& canvas, const gfx::RectF& icon, bool dark) {
    const float inset = icon.width * 0.1f;
    const gfx::RectF tile{icon.x + inset, icon.y + inset, icon.width - 2 * inset, icon.height - 2 * inset};
    canvas.FillRoundedRect(tile, tile.width * 0.23f, dark ? gfx::Color{90, 92, 100, 230} : gfx::Color{214, 217, 224, 235});
    canvas.StrokeRoundedRect(tile, tile.width * 0.23f, 1.0f, gfx::Color{0, 0, 0, 40});
}

} // namespace

float AttentionPulse(std::int64_t nowMs) {
    constexpr float kTwoPi = 6.2831853f;
    const float phase = static_cast<float>(nowMs % kAttentionPeriodMs) / kAttentionPeriodMs;
    // Starts full, fades to a third and swells back: noticeable without blinking.
    return 0.35f + 0.65f * (0.5f + 0.5f * std::cos(kTwoPi * phase));
}

gfx::RectF EdgeRectInFrame(Edge edge, int frameWidth, int frameHeight, float alongStart, float alongLength,
                           float depthStart, float depthLength) {
    switch (edge) {
    case Edge::Bottom:
        return {alongStart, static_cast<float>(frameHeight) - depthStart - depthLength, alongLength, depthLength};
    case Edge::Top: return {alongStart, depthStart, alongLength, depthLength};
    case Edge::Left: return {depthStart, alongStart, depthLength, alongLength};
    case Edge::Right:
        return {static_cast<float>(frameWidth) - depthStart - depthLength, alongStart, depthLength, alongLength};
    }
    return {};
}

gfx::RectF ItemRectInFrame(const OndelBarModel& model, const Dockico& item, int frameWidth, int frameHeight, float lift) {
    const float iconDepth = static_cast<float>(model.Settings().edgeDistance + model.Margin());
    const float along = static_cast<float>(model.RowOffset()) + item.position;
    // A separator's slot is as deep as an icon but only as long as its own share.
    if (item.IsSeparator())
        return EdgeRectInFrame(model.GetEdge(), frameWidth, frameHeight, along, item.size, iconDepth, model.IconSize());
    // The row's length correction can hand an entry near the end more than the largest
    // size; its slot widens, but the picture stays within the room the window has above
    // the bar (centred in its slot), or it would be cut off.
    const float largest = model.IconSize() * kItemFactor + static_cast<float>(model.MagnifyRange());
    const float drawn = std::min(item.size, largest);
    return EdgeRectInFrame(model.GetEdge(), frameWidth, frameHeight, along + (item.size - drawn) / 2, drawn,
                           iconDepth + lift, drawn);
}

float BarEndPadding(const themes::DockSkin& skin) {
    const float ends = skin.HasSkin() ? skin.Spacing().spaceLeft : themes::kBuiltInSpaceEnds;
    return std::round(ends * skin.Scale());
}

gfx::Bitmap DrawLiftedIcon(const gfx::Bitmap* picture, bool separator, bool dark, int width, int height) {
    gfx::Bitmap out(std::max(1, width), std::max(1, height));
    gfx::Canvas canvas(out);
    const gfx::RectF all{0, 0, static_cast<float>(out.Width()), static_cast<float>(out.Height())};
    if (separator) {
        // A separator carried along: a thin stroke across the row, in the middle of its slot.
        const bool upright = all.height >= all.width;
        const float thick = std::max(2.0f, std::min(all.width, all.height) * 0.08f);
        const gfx::RectF stroke = upright ? gfx::RectF{(all.width - thick) / 2, all.height * 0.15f, thick, all.height * 0.7f}
                                          : gfx::RectF{all.width * 0.15f, (all.height - thick) / 2, all.width * 0.7f, thick};
        canvas.FillRoundedRect(stroke, thick / 2, dark ? gfx::Color{236, 237, 241, 200} : gfx::Color{30, 31, 36, 160});
    } else if (picture && !picture->Empty()) {
        canvas.DrawBitmap(*picture, all);
    } else {
        DrawMissingPicture(canvas, all, dark);
    }
    return out;
}

void DockRenderer::SetSkin(themes::DockSkin& skin) {
    m_skin = &skin;
    m_full = true;
}

gfx::RectF DockRenderer::IconRect(std::int32_t itemId) const {
    for (const auto& p : m_placed)
        if (p.id == itemId) return p.rect;
    return {};
}

DockRenderer::Prepared* DockRenderer::PreparedFor(const Dockico& item) {
    if (!item.picture || item.picture->Empty()) {
        m_pictures.erase(item.id);
        return nullptr;
    }
    auto& prepared = m_pictures[item.id];
    if (prepared.source != item.picture) {
        prepared.source = item.picture;
        prepared.image = gfx::CachedImage(item.picture);
        prepared.lit = gfx::CachedImage();
        prepared.litFactor = 0;
    }
    prepared.lastFrame = m_frameNumber;
    return &prepared;
}

gfx::RectI DockRenderer::Render(const DockItems& items, const OndelBarModel& model, const DockFrameState& state,
                                gfx::Bitmap& frame) {
    ++m_frameNumber;
    const ScreenRect window = model.WindowRect();
    const int width = std::max(0, window.Width());
    const int height = std::max(0, window.Height());
    if (frame.Width() != width || frame.Height() != height) {
        frame.Reset(width, height);
        m_full = true;
    }
    if (frame.Empty()) return {};

    const Edge edge = model.GetEdge();
    const DockSettings& settings = model.Settings();
    const float depthBase = static_cast<float>(settings.edgeDistance);
    const float rowStart = static_cast<float>(model.RowOffset());
    const float pad = BarEndPadding(*m_skin);

    m_bar = EdgeRectInFrame(edge, width, height, rowStart - pad, static_cast<float>(model.RowLength()) + 2 * pad,
                            depthBase, static_cast<float>(model.Thickness()));

    m_placed.clear();
    m_content = Enclosing(m_bar);
    for (std::size_t i = DockItems::kFirstReal; i < items.EndReal(); ++i) {
        const Dockico& item = items[i];
        // The gap only makes room: nothing is drawn in it. A lifted icon is drawn at the
        // pointer, above the row, by whoever shows the drag.
        if (item.id == kDragGapItemId || item.lifted) continue;
        Placed placed;
        placed.id = item.id;
        placed.separator = item.IsSeparator();
        placed.running = item.running.load(std::memory_order_relaxed);
        placed.attention = item.attention;
        placed.unread = item.unread;
        placed.hovered = i == state.hovered;
        placed.pressed = i == state.pressed;
        placed.focused = state.focused != kNoItemId && item.id == state.focused && !placed.separator;
        if (placed.separator) {
            placed.rect = ItemRectInFrame(model, item, width, height);
        } else {
            float lift = 0;
            for (const auto& [id, height] : state.lifts)
                if (id == item.id) lift = height;
            placed.rect = ItemRectInFrame(model, item, width, height, lift);
            Prepared* prepared = PreparedFor(item);
            placed.picture = prepared ? prepared->source.get() : nullptr;
            // The brightened copy serves the hovered item only; the next hover makes it again.
            if (prepared && !placed.hovered && !prepared->lit.Empty()) {
                prepared->lit = gfx::CachedImage();
                prepared->litFactor = 0;
            }
        }
        m_content = gfx::Bounding(m_content, PaintExtent(placed.rect, m_bar, edge));
        m_placed.push_back(placed);
    }
    m_content = gfx::Intersect(m_content, frame.Bounds());
    // Pictures of items that left the row are let go.
    std::erase_if(m_pictures, [this](const auto& entry) { return entry.second.lastFrame != m_frameNumber; });

    const float lightFactor = HoverLightFactor(settings.iconEffect, settings.iconLight, false);

    const gfx::RectI dirty = m_full ? frame.Bounds() : gfx::Intersect(ChangedArea(state, edge), frame.Bounds());
    if (!dirty.Empty()) DrawScene(frame, dirty, model, state, lightFactor);

    m_previous = m_placed;
    m_previousBar = m_bar;
    m_previousState = state;
    m_full = false;
    return dirty;
}

gfx::RectI DockRenderer::ChangedArea(const DockFrameState& state, Edge edge) const {
    gfx::RectI dirty;
    if (m_bar.x != m_previousBar.x || m_bar.y != m_previousBar.y || m_bar.width != m_previousBar.width ||
        m_bar.height != m_previousBar.height || state.dark != m_previousState.dark ||
        state.barOpacity != m_previousState.barOpacity || state.contrast != m_previousState.contrast)
        dirty = gfx::Bounding(Enclosing(m_bar), Enclosing(m_previousBar));
    // Items that moved, grew, or changed their look; and what stood there before.
    const std::size_t common = std::min(m_placed.size(), m_previous.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (m_placed[i] == m_previous[i]) continue;
        dirty = gfx::Bounding(dirty, PaintExtent(m_placed[i].rect, m_bar, edge));
        dirty = gfx::Bounding(dirty, PaintExtent(m_previous[i].rect, m_previousBar, edge));
    }
    for (std::size_t i = common; i < m_placed.size(); ++i) dirty = gfx::Bounding(dirty, PaintExtent(m_placed[i].rect, m_bar, edge));
    for (std::size_t i = common; i < m_previous.size(); ++i)
        dirty = gfx::Bounding(dirty, PaintExtent(m_previous[i].rect, m_previousBar, edge));
    // A breathing mark changes on every frame of its own.
    if (state.attentionPulse != m_previousState.attentionPulse) {
        for (const Placed& placed : m_placed)
            if (placed.attention) dirty = gfx::Bounding(dirty, PaintExtent(placed.rect, m_bar, edge));
    }
    // The light fades over the whole row; the run marks come and go with their setting.
    if (state.lightAlpha != m_previousState.lightAlpha || state.showRunning != m_previousState.showRunning)
        dirty = gfx::Bounding(dirty, gfx::Bounding(PaintExtent(m_bar, m_bar, edge), PaintExtent(m_previousBar, m_previousBar, edge)));
    return dirty;
}

void DockRenderer::DrawScene(gfx::Bitmap& frame, const gfx::RectI& clip, const OndelBarModel& model,
                             const DockFrameState& state, float lightFactor) {
    gfx::Canvas canvas(frame);
    canvas.SetClip(clip);
    canvas.Clear(0);
    const Edge edge = model.GetEdge();
    const DockSettings& settings = model.Settings();
    const auto traits = TraitsOf(settings.iconEffect);

    if (Overlaps(m_bar, clip)) {
        if (state.contrast) {
            // The scheme's window colour with an outline in its text colour: no picture,
            // no translucency.
            const float radius = std::min(m_bar.width, m_bar.height) * 0.2f;
            canvas.FillRoundedRect(m_bar, radius, state.contrast->window);
            canvas.StrokeRoundedRect(m_bar, radius, std::max(1.5f, 2.0f * m_skin->Scale()), state.contrast->text);
        } else {
            m_skin->DrawBackground(canvas, m_bar, state.barOpacity);
        }
    }

    for (const Placed& placed : m_placed) {
        if (state.contrast || !placed.hovered || placed.separator || !Overlaps(placed.rect, clip)) continue;
        if (traits.select) DrawSelection(canvas, placed.rect, state.dark);
        if (traits.light) {
            const int alpha = static_cast<int>(settings.backgroundLight * 2.55f) * state.lightAlpha / 255;
            DrawLight(canvas, placed.rect, alpha, state.dark);
        }
    }

    for (const Placed& placed : m_placed) {
        if (placed.separator) {
            if (Overlaps(placed.rect, clip)) {
                const float centre = IsVertical(edge) ? placed.rect.y + placed.rect.height / 2
                                                      : placed.rect.x + placed.rect.width / 2;
                if (state.contrast) {
                    const float w = std::max(1.0f, m_skin->Scale());
                    const gfx::RectF line = IsVertical(edge)
                                                ? gfx::RectF{m_bar.x + 4, centre - w / 2, m_bar.width - 8, w}
                                                : gfx::RectF{centre - w / 2, m_bar.y + 4, w, m_bar.height - 8};
                    canvas.FillRoundedRect(line, 0, state.contrast->text);
                } else {
                    m_skin->DrawSeparator(canvas, m_bar, centre);
                }
            }
            continue;
        }
        // A window asking for attention shows even where running marks are turned off.
        if (placed.attention)
            DrawRunMark(canvas, placed.rect, edge, state.dark, state.attentionPulse, state.contrast);
        else if (state.showRunning && placed.running)
            DrawRunMark(canvas, placed.rect, edge, state.dark, 1.0f, state.contrast);
        if (!Overlaps(placed.rect, clip)) continue;
        auto found = m_pictures.find(placed.id);
        if (found == m_pictures.end()) {
            DrawMissingPicture(canvas, placed.rect, state.dark);
            continue;
        }
        Prepared& prepared = found->second;
        const float opacity = placed.pressed ? 0.72f : 1.0f;
        if (placed.hovered && lightFactor > 0 && state.lightAlpha > 0) {
            // The lit copy is made once per strength and kept while the item is hovered.
            const float factor = 1.0f + lightFactor;
            if (prepared.lit.Empty() || prepared.litFactor != factor) {
                gfx::Bitmap lit = prepared.source->Clone();
                gfx::Brighten(lit, factor);
                prepared.lit = gfx::CachedImage(std::move(lit));
                prepared.litFactor = factor;
            }
            canvas.DrawImage(prepared.image, placed.rect, opacity);
            canvas.DrawImage(prepared.lit, placed.rect, opacity * static_cast<float>(state.lightAlpha) / 255.0f);
        } else {
            canvas.DrawImage(prepared.image, placed.rect, opacity);
        }
        if (placed.unread != kNoUnread) DrawUnreadMark(canvas, placed.rect, placed.unread, state.contrast);
    }
    for (const Placed& placed : m_placed)
        if (placed.focused && Overlaps(placed.rect, clip))
            DrawFocusRing(canvas, placed.rect, m_skin->Scale(), state.contrast);
}

void DockRenderer::DrawUnreadMark(gfx::Canvas& canvas, const gfx::RectF& icon, std::int32_t unread,
                                  const std::optional<gfx::ContrastColours>& contrast) {
    // A red disc on the icon's upper right corner, a pill when the count is wide; it stays
    // within the room a hover effect may paint around the icon.
    const std::wstring text = unread <= 0 ? L"" : unread > 99 ? L"99+" : std::to_wstring(unread);
    const float height = std::max(6.0f, icon.height * 0.34f);
    gfx::BuiltinTextRenderer digits;
    gfx::TextStyle style;
    style.size = height * 0.62f;
    style.weight = 700;
    style.color = contrast ? contrast->window : gfx::Color{255, 255, 255, 255};
    gfx::Bitmap label = text.empty() ? gfx::Bitmap() : digits.Draw(text, style);
    const float width = std::max(height, static_cast<float>(label.Width()) + height * 0.5f);
    const gfx::RectF disc{icon.Right() - width * 0.8f, icon.y - height * 0.2f, width, height};
    canvas.FillRoundedRect(disc, height / 2, contrast ? contrast->text : gfx::Color{235, 64, 52, 255});
    if (!label.Empty())
        canvas.DrawBitmap(label, {std::round(disc.x + (disc.width - static_cast<float>(label.Width())) / 2),
                                  std::round(disc.y + (disc.height - static_cast<float>(label.Height())) / 2),
                                  static_cast<float>(label.Width()), static_cast<float>(label.Height())});
}

void DockRenderer::DrawRunMark(gfx::Canvas& canvas, const gfx::RectF& icon, Edge edge, bool dark, float opacity,
                               const std::optional<gfx::ContrastColours>& contrast) {
    if (!contrast && m_skin->HasPicture(themes::SkinImage::Run)) {
        m_skin->DrawRunIndicator(canvas, m_bar, icon, opacity);
        return;
    }
    // A skin without a mark of its own: a small dot in the colour of the dock's text,
    // where the skin's mark would stand.
    const float scale = m_skin->Scale();
    const float radius = std::max(1.5f, 2.0f * scale);
    const gfx::RectF at = m_skin->RunIndicatorRect(m_bar, icon);
    const float inset = 2.0f * scale + radius;
    float cx = at.x, cy = at.y;
    switch (edge) {
    case Edge::Bottom: cy -= inset; break;
    case Edge::Top: cy += inset; break;
    case Edge::Left: cx += inset; break;
    case Edge::Right: cx -= inset; break;
    }
    gfx::Color colour = contrast ? contrast->text : dark ? gfx::Color{236, 237, 241, 230} : gfx::Color{30, 31, 36, 210};
    colour.a = static_cast<std::uint8_t>(std::lround(colour.a * std::clamp(opacity, 0.0f, 1.0f)));
    canvas.FillRoundedRect({cx - radius, cy - radius, 2 * radius, 2 * radius}, radius, colour);
}

} // namespace kestrana::dock
