#include "dock/live_pictures.h"

#include "gfx/canvas.h"

#include <algorithm>
#include <string>

namespace kestrana::dock {
namespace {

void DrawHand(gfx::Canvas& canvas, const gfx::Bitmap& hand, float degrees, int size) {
    if (hand.Empty()) return;
    const float scale = static_cast<float>(size) / static_cast<float>(std::max(hand.Width(), hand.Height()));
    canvas.DrawRotated(hand, {static_cast<float>(hand.Width()) / 2, static_cast<float>(hand.Height()) / 2},
                       {static_cast<float>(size) / 2, static_cast<float>(size) / 2}, degrees, scale);
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
