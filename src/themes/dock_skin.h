#pragma once
// The dock skin: the pictures and numbers of "themes\<dockskin>\dockskin\config.ini",
// decoded at the display scale and turned for the dock's edge, and the drawing calls the
// dock makes with them (bar background, blur mask, separator, running indicator and
// progress bar). Without a chosen skin the built-in look is drawn with the same calls.
// A picture that is missing or unreadable, or whose insets make no sense, is simply not
// drawn; everything else keeps working.

#include "foundation/config_store.h"
#include "gfx/bitmap.h"
#include "gfx/cached_image.h"
#include "gfx/canvas.h"
#include "gfx/image_decoder.h"
#include "themes/skin_geometry.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::themes {

// The six pictures, in the order their keys are read.
enum class SkinImage : std::uint8_t { Background, BlurMask, Run, Delimiter, ProgressFrame, ProgressFill };
inline constexpr std::size_t kSkinImageCount = 6;
// The keys of the skin file ("_dark" is appended for the dark variant).
inline constexpr std::array<std::wstring_view, kSkinImageCount> kSkinImageKeys = {
    L"bg", L"blur_mask", L"run", L"delimiter", L"progressbar_frame", L"progressbar_bg"};

// The dock's spacing record. Without a skin the built-in values apply: end margins of
// 70.1, a depth factor of 0.1 and no bottom spacing (the dock works that out itself).
// Values are as the file gives them, at 96 dots per inch.
struct DockSkinSpacing {
    float spaceLeft = 70.1f;
    float spaceTop = 0.1f;
    float spaceRight = 70.1f;
    float spaceBottom = 0;
    int runOffset = 0;
    bool operator==(const DockSkinSpacing&) const = default;
};

// What a skin file says, before any picture is read. Image paths are already put through
// the dark fallback; an image key without a file name has an empty path.
struct DockSkinFile {
    std::wstring folder; // "...\themes\<name>\dockskin\"
    std::array<std::wstring, kSkinImageCount> imagePaths;
    gfx::Insets clip;           // "clip_left", "clip_top", "clip_right", "clip_bottom"
    float limClipTop = 0;       // "limclip_top", "limclip_bottom": the separator's ends
    float limClipBottom = 0;
    float proClipLeft = 0;      // "proclip_left", "proclip_right": the progress bar's ends
    float proClipRight = 0;
    DockSkinSpacing spacing;    // held to sane bounds
};

// The chosen skin's name ("themes"/"dockskin"); empty for the built-in look (absent,
// empty, "default" or not a usable folder name).
[[nodiscard]] std::wstring ChosenDockSkin(const foundation::ConfigStore& store);

// Reads "themes\<name>\dockskin\config.ini" of any theme folder, the shipped one
// included (the dock itself never loads "default": that name means the built-in look).
// Nothing for an unusable name or a skin without config.ini.
[[nodiscard]] std::optional<DockSkinFile> ReadDockSkinFile(const foundation::ConfigStore& store,
                                                           std::wstring_view skinName, bool dark);

struct SkinPicture {
    gfx::Bitmap bitmap;    // at the asked scale
    int naturalWidth = 0;  // the file's own size, which insets are given in
    int naturalHeight = 0;
};

// Reads a picture and decodes it at `scale` times its own size (truncated, at least one
// pixel). Nothing when the file is missing or not a picture, or the scaled size is beyond
// the decoder's limits.
[[nodiscard]] std::optional<SkinPicture> DecodeSkinPicture(const foundation::FileSystem& files,
                                                           const gfx::ImageDecoder& decoder,
                                                           const std::wstring& path, float scale);

struct DockSkinOptions {
    bool dark = false;      // the dark appearance is in effect
    float scale = 1.0f;     // the monitor's scale (dots per inch / 96)
    int screenPosition = 2; // "normal"/"screenposition"
};

class DockSkin {
public:
    // The built-in look, light, at scale 1, for a bottom dock.
    DockSkin();
    DockSkin(DockSkin&&) noexcept = default;
    DockSkin& operator=(DockSkin&&) noexcept = default;

    [[nodiscard]] static DockSkin BuiltIn(const DockSkinOptions& options);
    // The skin chosen in "themes"/"dockskin", or the built-in look.
    [[nodiscard]] static DockSkin Load(const foundation::ConfigStore& store, const gfx::ImageDecoder& decoder,
                                       const DockSkinOptions& options);
    [[nodiscard]] static DockSkin FromFile(const DockSkinFile& file, const foundation::FileSystem& files,
                                           const gfx::ImageDecoder& decoder, const DockSkinOptions& options);

    // False for the built-in look.
    [[nodiscard]] bool HasSkin() const { return m_hasSkin; }
    [[nodiscard]] const DockSkinSpacing& Spacing() const { return m_spacing; }
    [[nodiscard]] SkinEdge Edge() const { return m_edge; }
    [[nodiscard]] float Scale() const { return m_scale; }

    // A picture as it is drawn: decoded at the scale and turned for the edge (the progress
    // pictures are never turned: they lie under upright icons). Empty when not drawn.
    [[nodiscard]] const gfx::Bitmap& Picture(SkinImage image) const;
    [[nodiscard]] bool HasPicture(SkinImage image) const { return !Picture(image).Empty(); }
    // The nine-grid insets handed to the drawing, in pixels of Picture(image).
    [[nodiscard]] gfx::Insets PictureInsets(SkinImage image) const;

    // The bar background as a nine-grid filling `bar`.
    void DrawBackground(gfx::Canvas& canvas, const gfx::RectF& bar, float opacity = 1.0f);
    // The blur mask as a nine-grid filling `bar`, into a mask bitmap (see MaskByAlpha).
    void DrawBlurMask(gfx::Canvas& mask, const gfx::RectF& bar);
    // Where the separator goes: across the whole bar, its picture's own thickness wide,
    // centred at `axisCentre` along the dock's axis (x for a horizontal dock, y otherwise).
    [[nodiscard]] gfx::RectF SeparatorRect(const gfx::RectF& bar, float axisCentre) const;
    void DrawSeparator(gfx::Canvas& canvas, const gfx::RectF& bar, float axisCentre, float opacity = 1.0f);
    // Where the running indicator goes: centred on the icon along the axis, its picture's
    // outer side "runoffset" pixels (times the scale) in from the bar's screen-side edge.
    [[nodiscard]] gfx::RectF RunIndicatorRect(const gfx::RectF& bar, const gfx::RectF& icon) const;
    void DrawRunIndicator(gfx::Canvas& canvas, const gfx::RectF& bar, const gfx::RectF& icon, float opacity = 1.0f);
    // The frame stretched over `rect` with its end insets, then the fill stretched the same
    // way over the first `fraction` (0..1) of it.
    void DrawProgress(gfx::Canvas& canvas, const gfx::RectF& rect, float fraction, float opacity = 1.0f);

private:
    struct NoPictures {};
    explicit DockSkin(NoPictures) {}

    struct Surface {
        gfx::CachedImage image;
        gfx::Insets insets;
        bool nineGrid = false;
    };
    void Set(SkinImage which, gfx::Bitmap picture, std::optional<gfx::Insets> bottomInsets, bool turn);
    Surface& At(SkinImage which) { return m_surfaces[std::size_t(which)]; }
    const Surface& At(SkinImage which) const { return m_surfaces[std::size_t(which)]; }

    std::array<Surface, kSkinImageCount> m_surfaces;
    DockSkinSpacing m_spacing;
    SkinEdge m_edge = SkinEdge::Bottom;
    float m_scale = 1.0f;
    int m_runOffsetPixels = 0; // the indicator's distance from the edge, scaled
    bool m_hasSkin = false;
};

} // namespace kestrana::themes
