#include "launchers/pad_renderer.h"

#include "gfx/effects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace kestrana::launchers {

namespace {

constexpr gfx::Color kWhite{255, 255, 255, 255};

gfx::RectF ToF(const gfx::RectI& r) {
    return {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width), static_cast<float>(r.height)};
}

} // namespace

gfx::RectF PadRenderer::Transform::Apply(const gfx::RectI& r) const {
    const float x = cx + (static_cast<float>(r.x) - cx) * zoom + shiftX;
    const float y = cy + (static_cast<float>(r.y) - cy) * zoom + shiftY;
    return {x, y, static_cast<float>(r.width) * zoom, static_cast<float>(r.height) * zoom};
}

namespace {

// Bilinear enlargement of an opaque, blurred picture in 8-bit fixed point: fine for a
// picture with no sharp edges left, and several times faster than the general resampler.
void SpreadOut(const gfx::Bitmap& small, gfx::Bitmap& full, int width, int height) {
    full.Reset(width, height);
    const int sw = small.Width();
    const int sh = small.Height();
    // Source position of each column in 1/256 pixels, centred on the pixel centres.
    std::vector<int> x0(static_cast<std::size_t>(width)), fx(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        const int p = static_cast<int>(std::clamp<std::int64_t>((std::int64_t{2} * x + 1) * sw * 128 / width - 128, 0,
                                                                (sw - 1) * 256));
        x0[static_cast<std::size_t>(x)] = p >> 8;
        fx[static_cast<std::size_t>(x)] = p & 255;
    }
    auto lerp = [](gfx::Pixel a, gfx::Pixel b, int f) {
        const std::uint32_t rb = ((a & 0x00FF00FFu) * static_cast<std::uint32_t>(256 - f) +
                                  (b & 0x00FF00FFu) * static_cast<std::uint32_t>(f)) >> 8;
        const std::uint32_t ag = (((a >> 8) & 0x00FF00FFu) * static_cast<std::uint32_t>(256 - f) +
                                  ((b >> 8) & 0x00FF00FFu) * static_cast<std::uint32_t>(f)) >> 8;
        return (rb & 0x00FF00FFu) | ((ag & 0x00FF00FFu) << 8);
    };
    std::vector<gfx::Pixel> upper(static_cast<std::size_t>(width)), lower(static_cast<std::size_t>(width));
    auto widen = [&](int y, std::vector<gfx::Pixel>& out) {
        const gfx::Pixel* src = small.Row(y);
        for (int x = 0; x < width; ++x) {
            const int i = x0[static_cast<std::size_t>(x)];
            out[static_cast<std::size_t>(x)] = lerp(src[i], src[std::min(i + 1, sw - 1)], fx[static_cast<std::size_t>(x)]);
        }
    };
    int loaded = -1;
    for (int y = 0; y < height; ++y) {
        const int p = static_cast<int>(std::clamp<std::int64_t>((std::int64_t{2} * y + 1) * sh * 128 / height - 128, 0,
                                                                (sh - 1) * 256));
        const int y0 = p >> 8;
        const int fy = p & 255;
        if (loaded != y0) {
            widen(y0, upper);
            widen(std::min(y0 + 1, sh - 1), lower);
            loaded = y0;
        }
        gfx::Pixel* out = full.Row(y);
        for (int x = 0; x < width; ++x)
            out[x] = lerp(upper[static_cast<std::size_t>(x)], lower[static_cast<std::size_t>(x)], fy);
    }
}

} // namespace

PadLook PadLook::For(const gfx::ContrastColours& scheme) {
    PadLook look;
    look.plain = true;
    const gfx::Color none{0, 0, 0, 0};
    look.ground = look.field = look.panel = look.groupPlate = look.tag = scheme.window;
    look.text = look.hint = look.outline = look.glyph = look.dot = scheme.text;
    look.selected = look.target = look.currentDot = look.caret = scheme.highlight;
    look.shadow = look.dim = none;
    return look;
}

PadBackdropLook BackdropLook(const themes::SurfaceAppearance& theme, float scale) {
    constexpr float kDefaultBlur = 48.0f;
    const gfx::Color plate{8, 10, 16, 120};
    if (!theme.enabled) return {static_cast<int>(kDefaultBlur * scale), plate};
    return {static_cast<int>(theme.blur * scale), theme.launchpadBackdrop ? plate : gfx::Color{0, 0, 0, 0}};
}

void PadRenderer::MakeBackdrop(const gfx::Bitmap& desktop, gfx::Bitmap& out, int width, int height, int blurRadius,
                               gfx::Color tint) {
    if (desktop.Empty() || width <= 0 || height <= 0) {
        out = gfx::Bitmap();
        return;
    }
    // Blurring a small copy costs a fraction and looks the same once spread out: the blur
    // is far wider than the pixels lost.
    const int w = std::max(1, width / kBackdropShrink);
    const int h = std::max(1, height / kBackdropShrink);
    gfx::Bitmap small;
    if (desktop.Width() == w && desktop.Height() == h) {
        small = desktop.Clone();
    } else {
        small = gfx::Bitmap(w, h);
        gfx::Canvas canvas(small);
        canvas.DrawBitmap(desktop, {0, 0, static_cast<float>(w), static_cast<float>(h)});
    }
    if (blurRadius > 0) gfx::Blur(small, std::max(1.0f, static_cast<float>(blurRadius) / kBackdropShrink), small.Bounds());
    if (tint.a > 0) {
        gfx::Canvas canvas(small);
        canvas.FillRect({0, 0, static_cast<float>(w), static_cast<float>(h)}, tint);
    }
    SpreadOut(small, out, width, height);
}

void PadRenderer::Forget() {
    m_icons.clear();
    m_labels.clear();
}

std::size_t PadRenderer::Trim() {
    std::size_t freed = 0;
    for (auto it = m_icons.begin(); it != m_icons.end();) {
        KeptIcon& kept = it->second;
        const std::size_t held = kept.image.HeldBytes();
        // Held by this entry and its image only: the catalogue has let the picture go.
        if (kept.source.use_count() <= 2) {
            freed += held + kept.source->Pixels().size_bytes();
            it = m_icons.erase(it);
            continue;
        }
        kept.image.Trim();
        freed += held - kept.image.HeldBytes();
        ++it;
    }
    return freed;
}

gfx::CachedImage& PadRenderer::Icon(const LaunchpadEntry& entry) {
    std::shared_ptr<const gfx::Bitmap> source = entry.icon ? entry.icon : PlaceholderIcon();
    auto it = m_icons.find(source.get());
    if (it == m_icons.end()) {
        KeptIcon kept{source, gfx::CachedImage(source, 3)};
        it = m_icons.emplace(source.get(), std::move(kept)).first;
    }
    return it->second.image;
}

const gfx::Bitmap& PadRenderer::Label(const std::wstring& name, int maxWidth, float size) {
    if (maxWidth != m_labelWidth || size != m_labelSize) {
        m_labels.clear();
        m_labelWidth = maxWidth;
        m_labelSize = size;
    }
    auto it = m_labels.find(name);
    if (it == m_labels.end()) {
        gfx::TextStyle style;
        style.size = size;
        style.color = kWhite;
        it = m_labels.emplace(name, m_text.Draw(name, style, maxWidth)).first;
    }
    return it->second;
}

gfx::Bitmap PadRenderer::TagLabel(const std::wstring& name, float scale, float textScale) {
    gfx::TextStyle style;
    style.size = 13.0f * scale * textScale;
    style.color = kWhite;
    const gfx::Bitmap text = m_text.Draw(name, style, static_cast<int>(320 * scale * textScale));
    const int padX = static_cast<int>(10 * scale);
    const int padY = static_cast<int>(4 * scale);
    gfx::Bitmap tag(std::max(1, text.Width() + 2 * padX), std::max(1, text.Height() + 2 * padY));
    gfx::Canvas canvas(tag);
    canvas.FillRoundedRect({0, 0, static_cast<float>(tag.Width()), static_cast<float>(tag.Height())},
                           static_cast<float>(tag.Height()) / 2.0f, m_look.tag);
    if (m_look.plain)
        canvas.StrokeRoundedRect({0, 0, static_cast<float>(tag.Width()), static_cast<float>(tag.Height())},
                                 static_cast<float>(tag.Height()) / 2.0f, std::max(1.0f, scale), m_look.outline);
    canvas.DrawCoverage(text, padX, padY, m_look.text);
    return tag;
}

void PadRenderer::DrawGroupIcon(gfx::Canvas& canvas, const LaunchpadGroup& group, const gfx::RectF& rect) {
    canvas.FillRoundedRect(rect, rect.width * 0.22f, m_look.groupPlate);
    if (m_look.plain) canvas.StrokeRoundedRect(rect, rect.width * 0.22f, std::max(1.0f, rect.width / 64), m_look.outline);
    // Up to four members in a 2 x 2 grid inside the plate, up to nine in a 3 x 3 one.
    const std::size_t across = group.entries.size() <= 4 ? 2 : 3;
    const float pad = rect.width * 0.12f;
    const float gap = rect.width * 0.05f;
    const float mini = (rect.width - 2 * pad - static_cast<float>(across - 1) * gap) / static_cast<float>(across);
    for (std::size_t i = 0; i < group.entries.size() && i < across * across; ++i) {
        const float x = rect.x + pad + static_cast<float>(i % across) * (mini + gap);
        const float y = rect.y + pad + static_cast<float>(i / across) * (mini + gap);
        canvas.DrawImage(Icon(group.entries[i]), {std::round(x), std::round(y), std::round(mini), std::round(mini)});
    }
}

void PadRenderer::DrawTile(gfx::Canvas& canvas, const PadTile& tile, const gfx::RectI& cell, const PadGeometry& g,
                           const Transform& t, bool selected, bool target) {
    const float scale = g.scale;
    const int iconSize = g.iconSize;
    const gfx::RectI iconRect{cell.x + (cell.width - iconSize) / 2, cell.y + g.margin, iconSize, iconSize};
    const gfx::RectF icon = t.Apply(iconRect);
    if (icon.Right() < 0 || icon.x > static_cast<float>(canvas.Target().Width())) return;
    if (selected || target) {
        const float grow = 8 * scale * t.zoom;
        const gfx::RectF plate{icon.x - grow, icon.y - grow, icon.width + 2 * grow, icon.height + 2 * grow};
        canvas.FillRoundedRect(plate, 14 * scale, target ? m_look.target : m_look.selected);
    }
    if (tile.group) DrawGroupIcon(canvas, *tile.group, icon);
    else if (tile.entry) canvas.DrawImage(Icon(*tile.entry), icon);
    if (tile.entry && m_edited && m_edited->page == tile.place.page && m_edited->position == tile.place.position &&
        m_edited->member == tile.place.member) {
        DrawNameField(canvas, icon, g, t.zoom);
        return;
    }
    const std::wstring& name = tile.group ? tile.group->name : tile.entry ? tile.entry->name : std::wstring();
    if (name.empty()) return;
    const gfx::Bitmap& label = Label(name, std::max(g.labelWidth, cell.width), g.labelSize);
    if (label.Empty()) return;
    const int x = static_cast<int>(std::lround(icon.x + icon.width / 2)) - label.Width() / 2;
    const int y = static_cast<int>(std::lround(icon.Bottom() + 6 * scale * t.zoom));
    if (m_look.shadow.a > 0) canvas.DrawCoverage(label, x + 1, y + 1, m_look.shadow);
    canvas.DrawCoverage(label, x, y, m_look.text);
}

void PadRenderer::DrawNameField(gfx::Canvas& canvas, const gfx::RectF& icon, const PadGeometry& g, float zoom) {
    const float scale = g.scale;
    gfx::TextStyle style;
    style.size = g.labelSize;
    style.color = kWhite;
    const gfx::Bitmap line = m_text.Draw(m_editText, style, std::max(g.labelWidth, g.cellWidth));
    const float width = static_cast<float>(std::max(line.Width(), static_cast<int>(60 * scale))) + 12 * scale;
    const float centre = icon.x + icon.width / 2;
    const float top = icon.Bottom() + 4 * scale * zoom;
    const gfx::RectF field{centre - width / 2, top, width, static_cast<float>(line.Height()) + 4 * scale};
    canvas.FillRoundedRect(field, 4 * scale, m_look.field);
    canvas.StrokeRoundedRect(field, 4 * scale, std::max(1.0f, scale), m_look.caret);
    const int x = static_cast<int>(std::lround(centre)) - line.Width() / 2;
    const int y = static_cast<int>(std::lround(top + 2 * scale));
    canvas.DrawCoverage(line, x, y, m_look.text);
    canvas.FillRect({static_cast<float>(x + line.Width()) + scale, static_cast<float>(y), std::max(1.0f, scale),
                     static_cast<float>(line.Height())},
                    m_look.text);
}

void PadRenderer::DrawSearchBox(gfx::Canvas& canvas, const PadView& view) {
    const auto& g = view.Geometry();
    const gfx::RectF box = ToF(g.searchBox);
    const float s = g.scale;
    canvas.FillRoundedRect(box, box.height / 2, m_look.field);
    canvas.StrokeRoundedRect(box, box.height / 2, std::max(1.0f, s), m_look.outline);
    // The magnifier: a ring and its handle.
    const float r = box.height * 0.2f;
    const float cx = box.x + box.height * 0.55f;
    const float cy = box.y + box.height * 0.46f;
    canvas.StrokeRoundedRect({cx - r, cy - r, 2 * r, 2 * r}, r, std::max(1.0f, 1.5f * s), m_look.glyph);
    canvas.StrokeLine({cx + r * 0.7f, cy + r * 0.7f}, {cx + r * 1.6f, cy + r * 1.6f}, std::max(1.0f, 1.5f * s),
                      m_look.glyph);

    const bool empty = view.SearchText().empty() && view.Composition().empty();
    const std::wstring text = empty ? m_texts.searchHint : view.SearchText() + view.Composition();
    gfx::TextStyle style;
    style.size = g.searchSize;
    style.color = kWhite;
    const int left = static_cast<int>(box.x + box.height);
    const int room = static_cast<int>(box.Right()) - left - static_cast<int>(box.height / 2);
    const gfx::Bitmap line = m_text.Draw(text, style, room);
    const int y = static_cast<int>(box.y) + (static_cast<int>(box.height) - line.Height()) / 2;
    canvas.DrawCoverage(line, left, y, empty ? m_look.hint : m_look.text);
    if (!empty) {
        const float caret = static_cast<float>(left + line.Width()) + s;
        canvas.FillRect({caret, box.y + box.height * 0.22f, std::max(1.0f, s), box.height * 0.56f}, m_look.text);
    }
}

void PadRenderer::DrawDots(gfx::Canvas& canvas, const PadView& view, std::size_t count, std::size_t current, int y) {
    if (count < 2) return;
    const auto& g = view.Geometry();
    const float r = static_cast<float>(g.DotRadius());
    for (std::size_t i = 0; i < count; ++i) {
        PadPoint c = view.DotCentre(i, count);
        c.y = y;
        const gfx::RectF dot{static_cast<float>(c.x) - r, static_cast<float>(c.y) - r, 2 * r, 2 * r};
        DrawDot(canvas, dot, i == current);
    }
}

void PadRenderer::DrawDot(gfx::Canvas& canvas, const gfx::RectF& dot, bool current) {
    const float r = dot.width / 2;
    // Under high contrast the other pages' dots are rings: no tint tells them apart.
    if (m_look.plain && !current) canvas.StrokeRoundedRect(dot, r, std::max(1.0f, r / 3), m_look.dot);
    else canvas.FillRoundedRect(dot, r, current ? m_look.currentDot : m_look.dot);
}

// The panel drawn with its top-left corner moved by (dx, dy): into its own window's
// picture, whose corner is the panel's.
void PadRenderer::DrawGroupPanel(gfx::Canvas& canvas, const PadView& view, int dx, int dy) {
    const auto* group = view.OpenGroupData();
    if (!group) return;
    const auto& g = view.Geometry();
    const float s = g.scale;
    const auto moved = [dx, dy](gfx::RectI r) { return gfx::RectI{r.x + dx, r.y + dy, r.width, r.height}; };
    const gfx::RectI panel = moved(view.GroupPanel());
    canvas.FillRoundedRect(ToF(panel), 28 * s, m_look.panel);
    if (m_look.plain) canvas.StrokeRoundedRect(ToF(panel), 28 * s, std::max(1.0f, 2 * s), m_look.outline);

    // The name, or the field it is being renamed in.
    const gfx::RectI title = moved(view.GroupTitle());
    gfx::TextStyle style;
    style.size = 22.0f * s * g.textScale;
    style.color = kWhite;
    const bool renaming = view.Renaming() && !view.RenamedEntry();
    const std::wstring& name = renaming ? view.RenameText() : group->name;
    const gfx::Bitmap line = m_text.Draw(name, style, panel.width - static_cast<int>(60 * s));
    const int x = title.x + (title.width - line.Width()) / 2;
    const int y = title.y + (title.height - line.Height()) / 2;
    if (renaming) {
        const float fieldWidth = static_cast<float>(std::max(line.Width(), static_cast<int>(120 * s))) + 24 * s;
        const gfx::RectF field{static_cast<float>(title.x) + (static_cast<float>(title.width) - fieldWidth) / 2,
                               static_cast<float>(y) - 4 * s, fieldWidth, static_cast<float>(line.Height()) + 8 * s};
        canvas.FillRoundedRect(field, 6 * s, m_look.field);
        canvas.StrokeRoundedRect(field, 6 * s, std::max(1.0f, s), m_look.caret);
        canvas.FillRect({static_cast<float>(x + line.Width()) + s, static_cast<float>(y), std::max(1.0f, s),
                         static_cast<float>(line.Height())},
                        m_look.text);
    }
    canvas.DrawCoverage(line, x, y, m_look.text);

    Transform shifted{};
    shifted.shiftX = static_cast<float>(dx);
    shifted.shiftY = static_cast<float>(dy);
    for (const auto& tile : view.GroupTiles())
        DrawTile(canvas, tile, view.GroupCell(tile.cell), g, shifted, tile.cell == view.Selection(), false);
    const std::size_t pages = view.GroupPageCount();
    if (pages > 1) {
        // The group's own dots, at the bottom of its panel.
        const int dotsY = panel.Bottom() - static_cast<int>(18 * s);
        const float r = static_cast<float>(g.DotRadius());
        for (std::size_t i = 0; i < pages; ++i) {
            const float cx = static_cast<float>(panel.x + panel.width / 2) +
                             (static_cast<float>(2 * i) - static_cast<float>(pages - 1)) * g.DotSpacing() / 2.0f;
            DrawDot(canvas, {cx - r, static_cast<float>(dotsY) - r, 2 * r, 2 * r}, i == view.GroupPage());
        }
    }
}

void PadRenderer::Render(gfx::Bitmap& frame, const PadView& view, const gfx::Bitmap& backdrop,
                         const EffectFrame& effect, std::int64_t nowMs) {
    const auto& g = view.Geometry();
    m_edited = view.RenamedEntry();
    m_editText = m_edited ? view.RenameText() : std::wstring();
    if (frame.Width() != g.width || frame.Height() != g.height) frame.Reset(g.width, g.height);
    if (!m_look.plain && backdrop.Width() == frame.Width() && backdrop.Height() == frame.Height()) {
        std::memcpy(frame.Pixels().data(), backdrop.Pixels().data(), frame.Pixels().size_bytes());
    } else {
        frame.Fill(m_look.ground.Premultiplied());
    }
    gfx::Canvas canvas(frame);
    Transform t;
    t.cx = static_cast<float>(g.width) / 2;
    t.cy = static_cast<float>(g.height) / 2;
    t.zoom = effect.zoom;
    t.shiftY = effect.shiftY * static_cast<float>(g.height);

    DrawSearchBox(canvas, view);

    if (view.Searching()) {
        for (const auto& tile : view.ResultTiles())
            DrawTile(canvas, tile, g.Cell(tile.cell), g, t, tile.cell == view.Selection(), false);
        DrawDots(canvas, view, view.ResultPageCount(), view.ResultPage(), g.DotsY());
    } else {
        // The page position between two pages while sliding: both are drawn, side by side.
        const float position = std::clamp(view.PagePosition(nowMs), -0.5f, static_cast<float>(view.PageCount()) - 0.5f);
        const float base = std::floor(position);
        const float fraction = position - base;
        const auto target = view.CombineTarget();
        for (int k = 0; k < 2; ++k) {
            const float pageIndex = base + static_cast<float>(k);
            if (pageIndex < 0 || pageIndex >= static_cast<float>(view.PageCount())) continue;
            if (k == 1 && fraction == 0.0f) break;
            Transform pageT = t;
            // Whole pixels: icons then land on their kept scaled copies instead of being resampled.
            pageT.shiftX = std::round((static_cast<float>(k) - fraction) * static_cast<float>(g.width));
            const auto page = static_cast<std::size_t>(pageIndex);
            const bool current = page == view.Page() && !view.OpenGroup();
            for (const auto& tile : view.PageTiles(page)) {
                const bool isTarget = target && target->page == tile.place.page && target->position == tile.place.position;
                DrawTile(canvas, tile, g.Cell(tile.cell), g, pageT, current && tile.cell == view.Selection(), isTarget);
            }
        }
        const std::size_t shownPage = static_cast<std::size_t>(std::clamp(std::lround(position), 0L,
                                                                          static_cast<long>(view.PageCount()) - 1));
        DrawDots(canvas, view, view.PageCount(), shownPage, g.DotsY());
        if (view.OpenGroup() && m_look.dim.a > 0)
            canvas.FillRect({0, 0, static_cast<float>(g.width), static_cast<float>(g.height)}, m_look.dim);
    }

    if (const auto dragged = view.DraggedTile()) {
        // The dragged icon rides under the pointer, a little larger; its name is in the tag window.
        const float size = static_cast<float>(g.iconSize) * 1.08f;
        const gfx::RectF rect{static_cast<float>(view.Pointer().x) - size / 2, static_cast<float>(view.Pointer().y) - size / 2,
                              size, size};
        if (dragged->group) DrawGroupIcon(canvas, *dragged->group, rect);
        else if (dragged->entry) canvas.DrawImage(Icon(*dragged->entry), rect, 0.92f);
    }
    if (!view.Notice().empty()) DrawNotice(canvas, view);
}

void PadRenderer::RenderGroup(gfx::Bitmap& out, const PadView& view) {
    const gfx::RectI panel = view.GroupPanel();
    if (!view.OpenGroupData() || panel.width <= 0 || panel.height <= 0) {
        out = gfx::Bitmap();
        return;
    }
    m_edited = view.RenamedEntry();
    m_editText = m_edited ? view.RenameText() : std::wstring();
    if (out.Width() != panel.width || out.Height() != panel.height) out.Reset(panel.width, panel.height);
    out.Fill(0);
    gfx::Canvas canvas(out);
    DrawGroupPanel(canvas, view, -panel.x, -panel.y);
    // A member dragged inside the panel rides above it here too; the page's frame lies below.
    if (const auto dragged = view.DraggedTile(); dragged && dragged->entry && dragged->place.member) {
        const auto& g = view.Geometry();
        const float size = static_cast<float>(g.iconSize) * 1.08f;
        const gfx::RectF rect{static_cast<float>(view.Pointer().x - panel.x) - size / 2,
                              static_cast<float>(view.Pointer().y - panel.y) - size / 2, size, size};
        canvas.DrawImage(Icon(*dragged->entry), rect, 0.92f);
    }
}

void PadRenderer::DrawNotice(gfx::Canvas& canvas, const PadView& view) {
    const auto& g = view.Geometry();
    const float s = g.scale;
    const PadPromptBoxes boxes = view.PromptBoxes();
    const bool plain = m_look.plain;
    const gfx::Color ink = plain ? m_look.text : m_dark ? kWhite : gfx::Color{28, 28, 32, 255};
    if (!plain) canvas.FillRect({0, 0, static_cast<float>(g.width), static_cast<float>(g.height)}, gfx::Color{0, 0, 0, 110});
    gfx::TextStyle style;
    style.size = 15.0f * s * g.textScale;
    style.color = ink;

    // The text broken into lines at its line breaks and spaces (or anywhere, for text
    // without them), as many as its box holds.
    std::vector<gfx::Bitmap> lines;
    int textHeight = 0;
    std::wstring_view rest = view.Notice();
    while (!rest.empty()) {
        std::size_t take = std::min(rest.size(), rest.find(L'\n'));
        while (take > 1 && m_text.Measure(rest.substr(0, take), style).width > boxes.text.width) {
            const std::size_t space = rest.substr(0, take - 1).find_last_of(L' ');
            take = space != std::wstring_view::npos && space > 0 ? space : take - 1;
        }
        gfx::Bitmap line = m_text.Draw(rest.substr(0, take), style, boxes.text.width);
        if (textHeight + line.Height() > boxes.text.height && !lines.empty()) break;
        textHeight += line.Height();
        lines.push_back(std::move(line));
        rest.remove_prefix(take);
        while (!rest.empty() && (rest.front() == L' ' || rest.front() == L'\n')) rest.remove_prefix(1);
    }

    const float radius = 18 * s;
    canvas.FillRoundedRect(ToF(boxes.panel), radius,
                           plain ? m_look.panel : m_dark ? gfx::Color{44, 46, 54, 244} : gfx::Color{246, 246, 248, 248});
    canvas.StrokeRoundedRect(ToF(boxes.panel), radius, std::max(1.0f, s),
                             plain ? m_look.outline : m_dark ? gfx::Color{255, 255, 255, 40} : gfx::Color{0, 0, 0, 40});
    if (m_noticeIcon && !m_noticeIcon->Empty()) canvas.DrawBitmap(*m_noticeIcon, ToF(boxes.icon));
    int y = boxes.text.y + std::max(0, (boxes.icon.height - textHeight) / 2);
    for (const auto& line : lines) {
        canvas.DrawCoverage(line, boxes.text.x, y, ink);
        y += line.Height();
    }

    // The default button (what Enter does) in the accent colour, the other plain.
    gfx::TextStyle buttonStyle = style;
    buttonStyle.size = 14.0f * s * g.textScale;
    const auto button = [&](const gfx::RectI& box, const std::wstring& label, bool accent) {
        if (box.width <= 0) return;
        const gfx::Color plate = plain    ? (accent ? m_look.currentDot : m_look.panel)
                                 : accent ? gfx::Color{64, 128, 240, 255}
                                 : m_dark ? gfx::Color{255, 255, 255, 36}
                                          : gfx::Color{0, 0, 0, 22};
        canvas.FillRoundedRect(ToF(box), 6 * s, plate);
        if (plain) canvas.StrokeRoundedRect(ToF(box), 6 * s, std::max(1.0f, s), m_look.outline);
        const gfx::Bitmap text = m_text.Draw(label, buttonStyle, box.width);
        canvas.DrawCoverage(text, box.x + (box.width - text.Width()) / 2, box.y + (box.height - text.Height()) / 2,
                            plain ? (accent ? m_look.panel : ink) : accent ? kWhite : ink);
    };
    button(boxes.confirm, view.Confirming() ? m_texts.deleteButton : m_texts.noticeButton, true);
    button(boxes.cancel, m_texts.cancelButton, false);
}

} // namespace kestrana::launchers
