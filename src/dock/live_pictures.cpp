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

} // namespace

gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, int hour, int minute, int second, bool showSeconds,
                             int size) {
    gfx::Bitmap picture(size, size);
    if (!skin.Usable() || size <= 0) return picture;
    gfx::Canvas canvas(picture);
    const float s = static_cast<float>(size);
    canvas.DrawBitmap(skin.face, {0, 0, s, s});
    const float minutes = static_cast<float>(minute) + (showSeconds ? static_cast<float>(second) / 60.0f : 0.0f);
    DrawHand(canvas, skin.hour, (static_cast<float>(hour % 12) + minutes / 60.0f) * 30.0f, size);
    DrawHand(canvas, skin.minute, minutes * 6.0f, size);
    if (showSeconds) DrawHand(canvas, skin.second, static_cast<float>(second) * 6.0f, size);
    return picture;
}

gfx::Bitmap DrawCalendarPicture(const gfx::Bitmap& page, gfx::TextRenderer& text, std::wstring_view month, int day,
                                int size) {
    gfx::Bitmap picture(size, size);
    if (size <= 0) return picture;
    gfx::Canvas canvas(picture);
    const float s = static_cast<float>(size);
    if (!page.Empty()) canvas.DrawBitmap(page, {0, 0, s, s});
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
    dayStyle.color = gfx::Color{40, 42, 48, 255};
    const gfx::Bitmap dayText = text.Draw(std::to_wstring(day), dayStyle, static_cast<int>(s * 0.8f));
    if (!dayText.Empty())
        canvas.DrawBitmap(dayText, {(s - static_cast<float>(dayText.Width())) / 2,
                                    s * 0.575f - static_cast<float>(dayText.Height()) / 2,
                                    static_cast<float>(dayText.Width()), static_cast<float>(dayText.Height())});
    return picture;
}

} // namespace kestrana::dock
