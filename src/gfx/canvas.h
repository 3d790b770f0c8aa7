#pragma once
// Drawing into a Bitmap: scaled pictures with good filtering, nine-grids, rotation,
// anti-aliased rounded rectangles and fills, blended source-over on premultiplied pixels
// (cached images may also replace what is below) and limited to a clip rectangle. Positions and sizes are floats in target pixels, so a
// magnified icon can sit between pixels.

#include "gfx/bitmap.h"
#include "gfx/cached_image.h"
#include "gfx/resample.h"

namespace kestrana::gfx {

class Canvas {
public:
    explicit Canvas(Bitmap& target);

    [[nodiscard]] Bitmap& Target() { return m_target; }
    // Drawing is limited to the clip (always within the target).
    void SetClip(const RectI& clip);
    void ResetClip();
    [[nodiscard]] RectI Clip() const { return m_clip; }

    // Sets every pixel of the clip to a premultiplied value (no blending).
    void Clear(Pixel premultiplied = 0);
    // Blends a colour over a rectangle; fractional edges are covered partially.
    void FillRect(const RectF& rect, Pixel premultiplied);
    void FillRect(const RectF& rect, Color color) { FillRect(rect, color.Premultiplied()); }

    // The whole source scaled to `dest`; shrinking weighs every source pixel.
    void DrawBitmap(const Bitmap& source, const RectF& dest, float opacity = 1.0f);
    // A part of the source (in source pixels) scaled to `dest`.
    void DrawBitmap(const Bitmap& source, const RectF& sourceRect, const RectF& dest, float opacity = 1.0f);
    // Through the image's levels and its cache of scaled copies (icons and bars drawn every
    // frame); a nine-grid image draws as a nine-grid.
    void DrawImage(CachedImage& image, const RectF& dest, float opacity = 1.0f, BlendMode mode = BlendMode::Over);

    // Corners at their own size, edges stretched along their length, centre both ways.
    // When `dest` is smaller than two opposite insets, those corners shrink in proportion.
    void DrawNineGrid(const Bitmap& source, const Insets& insets, const RectF& dest, float opacity = 1.0f);

    // Rotates by `degrees` (clockwise on screen) and scales about `sourcePivot`, which
    // lands on `destPivot`. Edges are smoothed.
    void DrawRotated(const Bitmap& source, PointF sourcePivot, PointF destPivot, float degrees, float scale = 1.0f,
                     float opacity = 1.0f);

    void FillRoundedRect(const RectF& rect, float radius, Color color);
    // The stroke lies inside `rect`, `width` pixels wide.
    void StrokeRoundedRect(const RectF& rect, float radius, float width, Color color);

    // A straight stroke with round ends, `width` pixels wide (glyphs such as check marks
    // and arrows, drawn at any scale).
    void StrokeLine(PointF from, PointF to, float width, Color color);
    // Uses the alpha of `mask` (a line of text, a glyph) as coverage for `color`, with the
    // mask's top-left corner at (x, y): one picture of a text serves every colour.
    void DrawCoverage(const Bitmap& mask, int x, int y, Color color);

private:
    void Resampled(const Bitmap& source, std::span<const AxisSegment> xs, std::span<const AxisSegment> ys,
                   float opacity);

    Bitmap& m_target;
    RectI m_clip;
    AxisPlan m_xs, m_ys;
};

} // namespace kestrana::gfx
