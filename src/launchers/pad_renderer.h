#pragma once
// Draws the Launchpad's frames into our bitmaps: the blurred backdrop, the search box, the
// pages of icons with their names (sliding between two pages), the selection, the page
// dots, an open group over the dimmed page and the icon being dragged. Scaled icons and
// drawn names are kept between frames, so a page slide only blends pictures.

#include "gfx/bitmap.h"
#include "gfx/cached_image.h"
#include "gfx/canvas.h"
#include "gfx/contrast.h"
#include "gfx/text_renderer.h"
#include "launchers/pad_rules.h"
#include "launchers/pad_view.h"
#include "themes/surface_appearance.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace kestrana::launchers {

// How the desktop under the Launchpad is shown. By default it is blurred and darkened;
// with the themed backdrop switched on ("enable_launchpad") its blur amount is the
// theme's, and the dark plate over it stays only with "enable_launchpad_backdrop".
struct PadBackdropLook {
    int blurRadius = 0; // pixels on this screen; 0 leaves the copy sharp
    gfx::Color tint{0, 0, 0, 0};
};
[[nodiscard]] PadBackdropLook BackdropLook(const themes::SurfaceAppearance& theme, float scale);

// The colours a frame is drawn in: the Launchpad's own translucent look over the blurred
// desktop, or, under high contrast, the scheme's colours alone, opaque, with no desktop.
struct PadLook {
    bool plain = false;                     // high contrast: no backdrop, outlines instead of tints
    gfx::Color ground{16, 18, 24, 215};     // behind everything when there is no backdrop
    gfx::Color text{255, 255, 255, 255};
    gfx::Color shadow{0, 0, 0, 110};        // under the names; none when transparent
    gfx::Color hint{255, 255, 255, 150};    // the search field's hint
    gfx::Color field{255, 255, 255, 46};    // the search and name fields
    gfx::Color outline{255, 255, 255, 70};  // around the fields and plates
    gfx::Color glyph{255, 255, 255, 200};   // the magnifier
    gfx::Color selected{255, 255, 255, 60}; // the plate behind the selected icon
    gfx::Color target{255, 255, 255, 90};   // the plate behind the icon a drop would join
    gfx::Color dot{255, 255, 255, 90};      // the other pages' dots
    gfx::Color currentDot{255, 255, 255, 255};
    gfx::Color dim{0, 0, 0, 120};           // over the page while a group is open
    gfx::Color panel{52, 54, 62, 236};      // an open group
    gfx::Color groupPlate{255, 255, 255, 70};
    gfx::Color caret{120, 170, 255, 255};   // the outline of a field being typed in
    gfx::Color tag{20, 20, 20, 190};        // the dragged icon's name

    [[nodiscard]] static PadLook Standard() { return {}; }
    [[nodiscard]] static PadLook For(const gfx::ContrastColours& scheme);
};

struct PadTexts {
    std::wstring searchHint = L"Search";
    std::wstring noticeButton = L"OK";
    std::wstring deleteButton = L"Remove";
    std::wstring cancelButton = L"Cancel";
};

class PadRenderer {
public:
    explicit PadRenderer(gfx::TextRenderer& text) : m_text(text) {}

    void SetTexts(PadTexts texts) { m_texts = std::move(texts); }
    // The picture beside the view's notices (the Launchpad's own icon); none leaves room empty.
    void SetNoticeIcon(std::shared_ptr<const gfx::Bitmap> icon) { m_noticeIcon = std::move(icon); }
    // The notices and questions follow the light or dark appearance.
    void SetDark(bool dark) { m_dark = dark; }
    // High contrast on or off; the next frame follows.
    void SetLook(const PadLook& look) { m_look = look; }
    [[nodiscard]] const PadLook& Look() const { return m_look; }

    // The backdrop for the next frames, `width` x `height`, into `out` (its memory is
    // kept from one showing to the next): the desktop under the Launchpad, blurred and
    // darkened. The desktop may come at any size; a copy taken at an eighth of the
    // screen's size (kBackdropShrink) saves the shrinking.
    static constexpr int kBackdropShrink = 8;
    static void MakeBackdrop(const gfx::Bitmap& desktop, gfx::Bitmap& out, int width, int height, int blurRadius,
                             gfx::Color tint);

    // One frame of `view` at `nowMs` into `frame` (sized to the monitor). An open group
    // only dims the page here: its panel lives in a window of its own (RenderGroup).
    void Render(gfx::Bitmap& frame, const PadView& view, const gfx::Bitmap& backdrop, const EffectFrame& effect,
                std::int64_t nowMs);
    // The open group's panel into `out`, sized to view.GroupPanel(); empty when none is open.
    void RenderGroup(gfx::Bitmap& out, const PadView& view);

    // An entry's name as the drag label shows it (white text on a dark rounded plate).
    [[nodiscard]] gfx::Bitmap TagLabel(const std::wstring& name, float scale, float textScale = 1.0f);

    // Drops every kept picture (after the catalogue is loaded again or the size changes).
    void Forget();
    // While hidden: lets go of the pictures of icons no entry holds any more (replaced by
    // a smaller one) and of every scaled copy; returns the bytes given back.
    std::size_t Trim();

private:
    struct KeptIcon {
        std::shared_ptr<const gfx::Bitmap> source; // keeps the key's address from being reused
        gfx::CachedImage image;
    };
    gfx::CachedImage& Icon(const LaunchpadEntry& entry);
    const gfx::Bitmap& Label(const std::wstring& name, int maxWidth, float size);

    struct Transform {
        float cx = 0, cy = 0, zoom = 1, shiftX = 0, shiftY = 0;
        [[nodiscard]] gfx::RectF Apply(const gfx::RectI& r) const;
    };
    void DrawTile(gfx::Canvas& canvas, const PadTile& tile, const gfx::RectI& cell, const PadGeometry& g,
                  const Transform& t, bool selected, bool target);
    // The name being edited under its icon: a field with the typed text and a caret.
    void DrawNameField(gfx::Canvas& canvas, const gfx::RectF& icon, const PadGeometry& g, float zoom);
    void DrawGroupIcon(gfx::Canvas& canvas, const LaunchpadGroup& group, const gfx::RectF& rect);
    void DrawSearchBox(gfx::Canvas& canvas, const PadView& view);
    void DrawDot(gfx::Canvas& canvas, const gfx::RectF& dot, bool current);
    void DrawDots(gfx::Canvas& canvas, const PadView& view, std::size_t count, std::size_t current, int y);
    void DrawGroupPanel(gfx::Canvas& canvas, const PadView& view, int dx, int dy);
    void DrawNotice(gfx::Canvas& canvas, const PadView& view);

    gfx::TextRenderer& m_text;
    // The entry whose name is being edited in this frame, and the text typed so far.
    std::optional<EntryPlace> m_edited;
    std::wstring m_editText;
    PadTexts m_texts;
    std::shared_ptr<const gfx::Bitmap> m_noticeIcon;
    bool m_dark = true;
    PadLook m_look;
    std::unordered_map<const gfx::Bitmap*, KeptIcon> m_icons;
    std::map<std::wstring, gfx::Bitmap> m_labels;
    int m_labelWidth = 0;
    float m_labelSize = 0;
};

} // namespace kestrana::launchers
