#pragma once
// Draws the Launchpad's frames into our bitmaps: the blurred backdrop, the search box, the
// pages of icons with their names (sliding between two pages), the selection, the page
// dots, an open group over the dimmed page and the icon being dragged. Scaled icons and
// drawn names are kept between frames, so a page slide only blends pictures.

#include "gfx/bitmap.h"
#include "gfx/cached_image.h"
#include "gfx/canvas.h"
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
    [[nodiscard]] gfx::Bitmap TagLabel(const std::wstring& name, float scale);

    // Drops every kept picture (after the catalogue is loaded again or the size changes).
    void Forget();

private:
    struct KeptIcon {
        std::shared_ptr<const gfx::Bitmap> source; // keeps the key's address from being reused
        gfx::CachedImage image;
    };
    gfx::CachedImage& Icon(const LaunchpadEntry& entry);
    const gfx::Bitmap& Label(const std::wstring& name, int maxWidth, float scale);

    struct Transform {
        float cx = 0, cy = 0, zoom = 1, shiftX = 0, shiftY = 0;
        [[nodiscard]] gfx::RectF Apply(const gfx::RectI& r) const;
    };
    void DrawTile(gfx::Canvas& canvas, const PadTile& tile, const gfx::RectI& cell, int iconSize, const Transform& t,
                  bool selected, bool target, float scale);
    // The name being edited under its icon: a field with the typed text and a caret.
    void DrawNameField(gfx::Canvas& canvas, const gfx::RectF& icon, int maxWidth, float scale, float zoom);
    void DrawGroupIcon(gfx::Canvas& canvas, const LaunchpadGroup& group, const gfx::RectF& rect);
    void DrawSearchBox(gfx::Canvas& canvas, const PadView& view);
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
    std::unordered_map<const gfx::Bitmap*, KeptIcon> m_icons;
    std::map<std::wstring, gfx::Bitmap> m_labels;
    int m_labelWidth = 0;
    float m_labelScale = 0;
};

} // namespace kestrana::launchers
