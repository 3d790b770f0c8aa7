#pragma once
// Draws one dock's window content: the bar, the separators, every icon at its laid-out
// position and size, the running marks, and the hover effects. Each item's picture is
// prepared once for drawing at many sizes; only the part of the frame that changed since
// the previous frame is drawn again.

#include "gfx/contrast.h"
#include "dock/dockico.h"
#include "dock/ondel_bar_model.h"
#include "gfx/bitmap.h"
#include "gfx/cached_image.h"
#include "themes/builtin_dock_skin.h"
#include "themes/dock_skin.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestrana::dock {

struct DockFrameState {
    float magnification = 0;  // A
    int lightAlpha = 0;       // 0-255: the light effect, fading with the shrink
    std::size_t hovered = 0;  // vector index of the item under the pointer, 0 for none
    std::size_t pressed = 0;  // vector index of the item held down, 0 for none
    bool dark = false;
    bool showRunning = true;  // "runicon"
    float barOpacity = 1.0f;  // the themed backdrop's "opacity_dock" when it is on
    // Opacity of the running marks of items that ask for attention: the bar makes them
    // breathe slowly until the window is activated.
    float attentionPulse = 1.0f;
    // Icons that hop while their program starts: item id and height above their place.
    std::vector<std::pair<std::int32_t, float>> lifts;
    // The item with the keyboard focus (its id), drawn with a ring; kNoItemId for none.
    std::int32_t focused = 0;
    // High contrast: the bar plain in the scheme's colours, no translucent effects.
    std::optional<gfx::ContrastColours> contrast;
};

// How the marks of items that ask for attention breathe: a slow swell between a faint
// and a full mark, once every kAttentionPeriodMs.
inline constexpr int kAttentionPeriodMs = 1600;
[[nodiscard]] float AttentionPulse(std::int64_t nowMs);

// Frame pixels from the dock's own coordinates: along its axis from the window's start,
// and in depth from the screen edge.
[[nodiscard]] gfx::RectF EdgeRectInFrame(Edge edge, int frameWidth, int frameHeight, float alongStart,
                                         float alongLength, float depthStart, float depthLength);

// Where an item's icon (or a separator's slot) lies in the row as last laid out, lifted
// off the bar by `lift` (a bounce), in frame pixels: what the renderer draws into and
// what a screen reader is told.
[[nodiscard]] gfx::RectF ItemRectInFrame(const OndelBarModel& model, const Dockico& item, int frameWidth,
                                         int frameHeight, float lift = 0);

// How far the bar reaches beyond the first and the last icon: the skin's end spaces, or
// the built-in look's own.
[[nodiscard]] float BarEndPadding(const themes::DockSkin& skin);

// The picture of an icon lifted off the row, as it follows the pointer: its own picture
// (or the stand-in of one without) at the size it had in the row.
[[nodiscard]] gfx::Bitmap DrawLiftedIcon(const gfx::Bitmap* picture, bool separator, bool dark, int width, int height);

class DockRenderer {
public:
    explicit DockRenderer(themes::DockSkin& skin) : m_skin(&skin) {}

    // A new skin (or the same one for the other appearance): everything is drawn again.
    void SetSkin(themes::DockSkin& skin);
    [[nodiscard]] const themes::DockSkin& Skin() const { return *m_skin; }
    // Drops what was drawn, so the next frame is drawn whole.
    void Invalidate() { m_full = true; }

    // Draws the frame for the bar model's window. `frame` keeps its content between calls
    // and is resized to the window when needed. Returns the part that changed (empty when
    // nothing did).
    gfx::RectI Render(const DockItems& items, const OndelBarModel& model, const DockFrameState& state,
                      gfx::Bitmap& frame);

    // The icon rectangle of a real item in the last frame (frame pixels), empty when none.
    [[nodiscard]] gfx::RectF IconRect(std::int32_t itemId) const;
    // The bar as last drawn (frame pixels).
    [[nodiscard]] const gfx::RectF& BarRect() const { return m_bar; }
    // Everything the last frame may have painted: the bar, the icons and their hover
    // looks and run marks (frame pixels, within the frame). The rest is transparent.
    [[nodiscard]] const gfx::RectI& ContentExtent() const { return m_content; }
    // How many prepared pictures are held (one per item with a picture).
    [[nodiscard]] std::size_t PictureCount() const { return m_pictures.size(); }

private:
    struct Prepared {
        std::shared_ptr<const gfx::Bitmap> source; // keeps the picture alive while prepared
        gfx::CachedImage image;
        gfx::CachedImage lit; // the brightened copy for the hover light
        float litFactor = 0;
        std::uint64_t lastFrame = 0;
    };
    struct Placed {
        std::int32_t id = 0;
        gfx::RectF rect;
        bool separator = false;
        bool running = false;
        bool attention = false;
        bool hovered = false;
        bool pressed = false;
        bool focused = false;
        std::int32_t unread = kNoUnread;
        const gfx::Bitmap* picture = nullptr;
        bool operator==(const Placed& o) const {
            return id == o.id && unread == o.unread && rect.x == o.rect.x && rect.y == o.rect.y && rect.width == o.rect.width &&
                   rect.height == o.rect.height && separator == o.separator && running == o.running && attention == o.attention &&
                   hovered == o.hovered && pressed == o.pressed && focused == o.focused && picture == o.picture;
        }
    };

    Prepared* PreparedFor(const Dockico& item);
    // What changed since the last frame: the bar, the items that moved or changed, the marks.
    [[nodiscard]] gfx::RectI ChangedArea(const DockFrameState& state, Edge edge) const;
    void DrawScene(gfx::Bitmap& frame, const gfx::RectI& clip, const OndelBarModel& model,
                   const DockFrameState& state, float lightFactor);
    void DrawUnreadMark(gfx::Canvas& canvas, const gfx::RectF& icon, std::int32_t unread,
                        const std::optional<gfx::ContrastColours>& contrast);
    void DrawRunMark(gfx::Canvas& canvas, const gfx::RectF& icon, Edge edge, bool dark, float opacity,
                     const std::optional<gfx::ContrastColours>& contrast);

    themes::DockSkin* m_skin;
    std::unordered_map<std::int32_t, Prepared> m_pictures;
    std::vector<Placed> m_placed;
    std::vector<Placed> m_previous;
    gfx::RectF m_bar;
    gfx::RectF m_previousBar;
    gfx::RectI m_content;
    DockFrameState m_previousState;
    std::uint64_t m_frameNumber = 0;
    bool m_full = true;
};

} // namespace kestrana::dock
