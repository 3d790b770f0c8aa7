#include "themes/builtin_dock_skin.h"

#include "gfx/canvas.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace kestrana::themes {

namespace {

using gfx::Bitmap;
using gfx::Canvas;
using gfx::Color;
using gfx::RectF;

struct Stop {
    float at;
    Color color;
};

Color Mix(const Color& a, const Color& b, float t) {
    const auto lerp = [t](std::uint8_t x, std::uint8_t y) {
        return std::uint8_t(std::lround(float(x) + (float(y) - float(x)) * t));
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

// The colour of a vertical gradient running from y0 to y1 at height y.
Color At(const std::vector<Stop>& stops, float y0, float y1, float y) {
    const float t = y1 > y0 ? std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f) : 0.0f;
    if (t <= stops.front().at) {
        return stops.front().color;
    }
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].at) {
            const float span = stops[i].at - stops[i - 1].at;
            return Mix(stops[i - 1].color, stops[i].color, span > 0 ? (t - stops[i - 1].at) / span : 1.0f);
        }
    }
    return stops.back().color;
}

// A rounded rectangle filled (width <= 0) or stroked with a vertical gradient, one pixel
// row at a time.
void GradientRoundedRect(Canvas& c, const RectF& r, float radius, float width, const std::vector<Stop>& stops,
                         float y0, float y1) {
    const gfx::RectI bounds = c.Target().Bounds();
    for (int y = 0; y < bounds.height; ++y) {
        c.SetClip({0, y, bounds.width, 1});
        const Color color = At(stops, y0, y1, float(y) + 0.5f);
        if (width > 0) {
            c.StrokeRoundedRect(r, radius, width, color);
        } else {
            c.FillRoundedRect(r, radius, color);
        }
    }
    c.ResetClip();
}

std::uint8_t Alpha(float opacity) { return std::uint8_t(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255.0f)); }

Color Rgb(std::uint32_t rgb, float opacity) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), Alpha(opacity)};
}

int Side(float units, float scale) { return std::max(1, int(units * scale)); }

Bitmap Background(float s, bool dark) {
    Bitmap b(Side(64, s), Side(64, s));
    Canvas c(b);
    const float w = float(b.Width()), h = float(b.Height());
    const std::vector<Stop> fill = dark ? std::vector<Stop>{{0, Rgb(0x2c2e34, 0.6f)}, {1, Rgb(0x1b1c20, 0.66f)}}
                                        : std::vector<Stop>{{0, Rgb(0xffffff, 0.62f)}, {1, Rgb(0xf4f6fa, 0.5f)}};
    const std::vector<Stop> shine =
        dark ? std::vector<Stop>{{0, Rgb(0xffffff, 0.26f)}, {0.5f, Rgb(0xffffff, 0.1f)}, {1, Rgb(0xffffff, 0.08f)}}
             : std::vector<Stop>{{0, Rgb(0xffffff, 0.9f)}, {0.5f, Rgb(0xffffff, 0.45f)}, {1, Rgb(0xffffff, 0.3f)}};
    GradientRoundedRect(c, {0.5f * s, 0.5f * s, w - s, h - s}, 19.5f * s, 0, fill, 0, h);
    c.StrokeRoundedRect({0, 0, w, h}, 20 * s, s, dark ? Rgb(0x000000, 0.45f) : Rgb(0x10151f, 0.14f));
    GradientRoundedRect(c, {s, s, w - 2 * s, h - 2 * s}, 19 * s, s, shine, 0, h);
    return b;
}

Bitmap BlurMask(float s) {
    Bitmap b(Side(64, s), Side(64, s));
    Canvas c(b);
    c.FillRoundedRect({0, 0, float(b.Width()), float(b.Height())}, 20 * s, Color{255, 255, 255, 255});
    return b;
}

// A dot with a soft glow around it, drawn pixel by pixel from its distance to the centre.
Bitmap Run(float s, bool dark) {
    Bitmap b(Side(12, s), Side(12, s));
    const std::uint32_t rgb = dark ? 0xf4f5f7 : 0x1f2329;
    const float dotOpacity = dark ? 0.9f : 0.78f;
    const float cx = float(b.Width()) / 2, cy = float(b.Height()) / 2;
    const float glowInner = 2.2f * s, glowOuter = 5.5f * s, dot = 2.5f * s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            float glow = 0.35f;
            if (d > glowInner) {
                glow = d >= glowOuter ? 0.0f : 0.35f * (glowOuter - d) / (glowOuter - glowInner);
            }
            const float cover = std::clamp(dot - d + 0.5f, 0.0f, 1.0f) * dotOpacity;
            const float a = cover + glow * (1 - cover);
            if (a > 0) {
                b.Set(x, y, Rgb(rgb, a).Premultiplied());
            }
        }
    }
    return b;
}

Bitmap Delimiter(float s, bool dark) {
    Bitmap b(Side(10, s), Side(64, s));
    Canvas c(b);
    const float h = float(b.Height());
    const std::uint32_t rgb = dark ? 0xffffff : 0x10151f;
    const float peak = dark ? 0.26f : 0.22f;
    const std::vector<Stop> line = {
        {0.06f, Rgb(rgb, 0)}, {0.2f, Rgb(rgb, peak)}, {0.8f, Rgb(rgb, peak)}, {0.94f, Rgb(rgb, 0)}};
    GradientRoundedRect(c, {float(b.Width()) / 2 - s, 4 * s, 2 * s, h - 8 * s}, s, 0, line, 0, h);
    return b;
}

Bitmap ProgressFrame(float s, bool dark) {
    Bitmap b(Side(40, s), Side(12, s));
    Canvas c(b);
    const float w = float(b.Width()), h = float(b.Height());
    c.FillRoundedRect({0.5f * s, 0.5f * s, w - s, h - s}, 5.5f * s, dark ? Rgb(0, 0.4f) : Rgb(0x10151f, 0.22f));
    c.StrokeRoundedRect({0, 0, w, h}, 6 * s, s, dark ? Rgb(0, 0.5f) : Rgb(0x10151f, 0.35f));
    c.StrokeRoundedRect({s, s, w - 2 * s, h - 2 * s}, 5 * s, s, Rgb(0xffffff, dark ? 0.4f : 0.9f));
    return b;
}

Bitmap ProgressFill(float s, bool dark) {
    Bitmap b(Side(40, s), Side(12, s));
    Canvas c(b);
    const float w = float(b.Width()), h = float(b.Height());
    const std::vector<Stop> fill = dark ? std::vector<Stop>{{0, Rgb(0x67b6ff, 1)}, {1, Rgb(0x2b7ef0, 1)}}
                                        : std::vector<Stop>{{0, Rgb(0x4aa3ff, 1)}, {1, Rgb(0x1d6ce4, 1)}};
    GradientRoundedRect(c, {2 * s, 2 * s, w - 4 * s, h - 4 * s}, 4 * s, 0, fill, 2 * s, h - 2 * s);
    return b;
}

} // namespace

BuiltInSkinImages MakeBuiltInSkinImages(float scale, bool dark) {
    const float s = std::isfinite(scale) ? std::clamp(scale, 0.25f, 8.0f) : 1.0f;
    BuiltInSkinImages images;
    images.background = Background(s, dark);
    images.blurMask = BlurMask(s);
    images.run = Run(s, dark);
    images.delimiter = Delimiter(s, dark);
    images.progressFrame = ProgressFrame(s, dark);
    images.progressFill = ProgressFill(s, dark);
    return images;
}

} // namespace kestrana::themes
