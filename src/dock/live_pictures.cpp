#include "dock/live_pictures.h"

#include "gfx/canvas.h"

#include <algorithm>
#include <string>

namespace kestrana::dock {
namespace {

// The part of a picture that is not fully transparent, grown by one clear pixel so that
// filtering at its edges sees the same neighbours as in the whole picture.
gfx::RectI VisibleBounds(const gfx::Bitmap& picture) {
    int left = picture.Width(), top = picture.Height(), right = -1, bottom = -1;
    for (int y = 0; y < picture.Height(); ++y) {
        const gfx::Pixel* row = picture.Row(y);
        for (int x = 0; x < picture.Width(); ++x) {
            if (gfx::PixelA(row[x]) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = y;
        }
    }
    if (right < 0) return {};
    left = std::max(left - 1, 0);
    top = std::max(top - 1, 0);
    right = std::min(right + 1, picture.Width() - 1);
    bottom = std::min(bottom + 1, picture.Height() - 1);
    return {left, top, right - left + 1, bottom - top + 1};
}

void DrawHand(gfx::Canvas& canvas, const gfx::Bitmap& hand, float degrees, int size) {
    if (hand.Empty()) return;
    const float scale = static_cast<float>(size) / static_cast<float>(std::max(hand.Width(), hand.Height()));
    const gfx::PointF pivot{static_cast<float>(hand.Width()) / 2, static_cast<float>(hand.Height()) / 2};
    const gfx::PointF centre{static_cast<float>(size) / 2, static_cast<float>(size) / 2};
    if (scale >= 0.5f) {
        // A hand is a thin stroke on a square of the face's size: turning only its visible
        // part spares the rotation most of the square's pixels.
        const gfx::RectI visible = VisibleBounds(hand);
        if (visible.Empty()) return;
        const gfx::Bitmap part = hand.Crop(visible);
        canvas.DrawRotated(part, {pivot.x - static_cast<float>(visible.x), pivot.y - static_cast<float>(visible.y)}, centre,
                           degrees, scale);
        return;
    }
    canvas.DrawRotated(hand, pivot, centre, degrees, scale);
}

// One text of a skin in its 256-unit box, scaled by `k`; the box's top edge holds the line.
// `degrees` turns it about the canvas centre.
// A picture that starts as `page`, `size` pixels square: a copy when the page has that
// size already (as the skins' pictures, decoded to it, do), drawn scaled otherwise. The
// copy saves the filtered resampling of a whole frame at every tick.
gfx::Bitmap StartFrom(const gfx::Bitmap& page, int size) {
    if (page.Width() == size && page.Height() == size) return page.Clone();
    gfx::Bitmap picture(size, size);
    if (!page.Empty()) {
        const float s = static_cast<float>(size);
        gfx::Canvas(picture).DrawBitmap(page, {0, 0, s, s});
    }
    return picture;
}

void DrawSkinText(gfx::Canvas& canvas, gfx::TextRenderer& text, const themes::SkinText& look, std::wstring_view words,
                  float k, float degrees = 0) {
    if (!look.Draws() || words.empty()) return;
    gfx::TextStyle style;
    style.family = look.font;
    style.size = static_cast<float>(look.size) * k;
    style.color = themes::SkinColour(look.colour);
    if (style.color.a == 0) return; // alpha 0: written, but invisible
    const float box = 256.0f * k;
    const gfx::Bitmap line = text.Draw(words, style, static_cast<int>(box));
    if (line.Empty()) return;
    const float width = static_cast<float>(line.Width());
    float x = static_cast<float>(look.x) * k;
    if (look.align == themes::SkinAlign::Centre) x += (box - width) / 2;
    else if (look.align == themes::SkinAlign::Right) x += box - width;
    const float y = static_cast<float>(look.y) * k;
    if (degrees == 0.0f) {
        canvas.DrawBitmap(line, {x, y, width, static_cast<float>(line.Height())});
        return;
    }
    // Each line turns alone, and only its inked part: every pixel turned is filtered, and
    // a line's box is mostly clear.
    const gfx::RectI inked = VisibleBounds(line);
    if (inked.Empty()) return;
    const float centre = box / 2;
    canvas.DrawRotated(line.Crop(inked),
                       {centre - x - static_cast<float>(inked.x), centre - y - static_cast<float>(inked.y)},
                       {centre, centre}, degrees);
}

} // namespace

gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, int hour, int minute, int second, bool showSeconds,
                             int size) {
    if (!skin.Usable() || size <= 0) return gfx::Bitmap(size, size);
    gfx::Bitmap picture = StartFrom(skin.face, size);
    gfx::Canvas canvas(picture);
    const float minutes = static_cast<float>(minute) + (showSeconds ? static_cast<float>(second) / 60.0f : 0.0f);
    DrawHand(canvas, skin.hour, (static_cast<float>(hour % 12) + minutes / 60.0f) * 30.0f, size);
    DrawHand(canvas, skin.minute, minutes * 6.0f, size);
    if (showSeconds) DrawHand(canvas, skin.second, static_cast<float>(second) * 6.0f, size);
    return picture;
}

void ClockHands::Tick(int h, int m, int s) {
    second = static_cast<float>(s) * 6.0f;
    if (set && s != 0 && setAt == h * 60 + m) return;
    setAt = h * 60 + m;
    minute = static_cast<float>(m) * 6.0f + static_cast<float>(s) / 10.0f;
    hour = static_cast<float>(h) * 30.0f + static_cast<float>(m) / 2.0f;
    if (hour >= 360.0f) hour -= 360.0f;
    set = true;
}

gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, const ClockHands& hands, bool showSeconds, int size) {
    if (!skin.Usable() || size <= 0) return gfx::Bitmap(size, size);
    gfx::Bitmap picture = StartFrom(skin.face, size);
    gfx::Canvas canvas(picture);
    DrawHand(canvas, skin.hour, hands.hour, size);
    DrawHand(canvas, skin.minute, hands.minute, size);
    if (showSeconds) DrawHand(canvas, skin.second, hands.second, size);
    return picture;
}

gfx::Bitmap DrawDigitalClock(const gfx::Bitmap& face, std::span<const ClockTextLine> lines, gfx::TextRenderer& text,
                             int size) {
    if (size <= 0) return gfx::Bitmap(size, size);
    gfx::Bitmap picture = StartFrom(face, size);
    gfx::Canvas canvas(picture);
    const float s = static_cast<float>(size);
    for (const ClockTextLine& line : lines) DrawSkinText(canvas, text, line.look, line.text, s / 256.0f);
    return picture;
}

namespace {

// True when the page's body, where the day is written, is mostly dark where it is opaque.
bool DarkBody(const gfx::Bitmap& page) {
    const int w = page.Width(), h = page.Height();
    double light = 0, cover = 0;
    for (int y = h * 35 / 100; y < h * 85 / 100; ++y) {
        for (int x = w / 4; x < w * 3 / 4; ++x) {
            const gfx::Pixel p = page.At(x, y);
            // Premultiplied: the channels already carry the pixel's coverage.
            light += 0.299 * gfx::PixelR(p) + 0.587 * gfx::PixelG(p) + 0.114 * gfx::PixelB(p);
            cover += gfx::PixelA(p);
        }
    }
    return cover > 0 && light / cover < 0.45;
}

} // namespace

gfx::Bitmap DrawCalendarPicture(const gfx::Bitmap& page, gfx::TextRenderer& text, std::wstring_view month, int day,
                                int size) {
    if (size <= 0) return gfx::Bitmap(size, size);
    gfx::Bitmap picture = StartFrom(page, size);
    gfx::Canvas canvas(picture);
    const float s = static_cast<float>(size);
    // The page's band runs across its top fifth; the day sits in the middle of the rest.
    gfx::TextStyle monthStyle;
    monthStyle.size = s * 0.105f;
    monthStyle.weight = 600;
    monthStyle.color = gfx::Color{255, 255, 255, 255};
    const gfx::Bitmap monthText = text.Draw(month, monthStyle, static_cast<int>(s * 0.7f));
    if (!monthText.Empty())
        canvas.DrawBitmap(monthText, {(s - static_cast<float>(monthText.Width())) / 2,
                                      s * 0.205f - static_cast<float>(monthText.Height()) / 2,
                                      static_cast<float>(monthText.Width()), static_cast<float>(monthText.Height())});
    gfx::TextStyle dayStyle;
    dayStyle.size = s * 0.40f;
    dayStyle.weight = 500;
    // A dark page (the icon set's night or dark picture) takes a light number.
    dayStyle.color = DarkBody(picture) ? gfx::Color{236, 237, 240, 255} : gfx::Color{40, 42, 48, 255};
    const gfx::Bitmap dayText = text.Draw(std::to_wstring(day), dayStyle, static_cast<int>(s * 0.8f));
    if (!dayText.Empty())
        canvas.DrawBitmap(dayText, {(s - static_cast<float>(dayText.Width())) / 2,
                                    s * 0.575f - static_cast<float>(dayText.Height()) / 2,
                                    static_cast<float>(dayText.Width()), static_cast<float>(dayText.Height())});
    return picture;
}

gfx::Bitmap DrawSkinnedCalendar(const gfx::Bitmap& page, const themes::CalendarSkin& skin, gfx::TextRenderer& text,
                                std::wstring_view month, int day, int size) {
    if (size <= 0) return gfx::Bitmap(size, size);
    gfx::Bitmap picture = StartFrom(page, size);
    gfx::Canvas canvas(picture);
    const float k = static_cast<float>(size) / 256.0f;
    DrawSkinText(canvas, text, skin.month, month, k, skin.rotate);
    DrawSkinText(canvas, text, skin.day, std::to_wstring(day), k, skin.rotate);
    return picture;
}

BatteryLevel BatteryLevelOf(const platform::BatteryStatus& status) {
    BatteryLevel level;
    if (!status.present) return level;
    level.present = true;
    level.percent = std::clamp(status.percent, 0, 100);
    level.charging = status.charging;
    return level;
}

gfx::Bitmap DrawBatteryPicture(const BatteryLevel& level, gfx::TextRenderer& text, bool dark, int size) {
    gfx::Bitmap picture(size, size);
    if (size <= 0) return picture;
    gfx::Canvas canvas(picture);
    // Laid out on 256 units, like the themed pictures beside it.
    const float k = static_cast<float>(size) / 256.0f;
    const auto at = [k](float x, float y, float w, float h) { return gfx::RectF{x * k, y * k, w * k, h * k}; };
    const gfx::Color ink = dark ? gfx::Color{235, 235, 240, 255} : gfx::Color{60, 60, 67, 255};
    canvas.FillRoundedRect(at(16, 16, 224, 224), 50 * k, dark ? gfx::Color{44, 44, 48, 255} : gfx::Color{246, 246, 248, 255});
    canvas.StrokeRoundedRect(at(36, 76, 166, 88), 20 * k, 9 * k, ink);
    canvas.FillRoundedRect(at(206, 102, 14, 36), 6 * k, ink);
    if (!level.present) {
        canvas.StrokeLine({60 * k, 190 * k}, {196 * k, 50 * k}, 10 * k, ink);
        return picture;
    }
    const bool low = level.percent <= kBatteryLowPercent && !level.charging;
    const gfx::Color fill = level.charging ? gfx::Color{52, 199, 89, 255}
                            : low          ? gfx::Color{255, 59, 48, 255}
                                           : ink;
    // A sliver stays visible at 1 %, so an almost empty battery is not taken for a missing one.
    const float width = std::max(138.0f * static_cast<float>(level.percent) / 100.0f, level.percent > 0 ? 10.0f : 0.0f);
    if (width > 0) canvas.FillRoundedRect(at(50, 90, width, 60), 9 * k, fill);
    if (level.charging) {
        const gfx::PointF bolt[] = {{132 * k, 82 * k}, {108 * k, 124 * k}, {146 * k, 116 * k}, {122 * k, 158 * k}};
        for (int pass = 0; pass < 2; ++pass) {
            const float stroke = (pass == 0 ? 20.0f : 9.0f) * k;
            const gfx::Color colour = pass == 0 ? ink : gfx::Color{255, 255, 255, 255};
            for (int i = 0; i + 1 < 4; ++i) canvas.StrokeLine(bolt[i], bolt[i + 1], stroke, colour);
        }
    }
    gfx::TextStyle style;
    style.size = 44 * k;
    style.weight = 600;
    style.color = ink;
    const gfx::Bitmap label = text.Draw(std::to_wstring(level.percent) + L"%", style, static_cast<int>(200 * k));
    if (!label.Empty())
        canvas.DrawBitmap(label, {(static_cast<float>(size) - static_cast<float>(label.Width())) / 2, 170 * k,
                                  static_cast<float>(label.Width()), static_cast<float>(label.Height())});
    return picture;
}

} // namespace kestrana::dock
