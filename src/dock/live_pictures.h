#pragma once
// Pictures of the live items that change with the time: the clock face of the clock skin
// with its hands at the current time, and the calendar page with today's month and day.

#include "gfx/bitmap.h"
#include "gfx/text_renderer.h"

#include <string_view>

namespace kestrana::dock {

// A clock skin's pictures: the face and three hands, each drawn upright (pointing at
// twelve) on a square of the face's size and turning about its centre.
struct ClockSkinPictures {
    gfx::Bitmap face;
    gfx::Bitmap hour;
    gfx::Bitmap minute;
    gfx::Bitmap second;
    [[nodiscard]] bool Usable() const { return !face.Empty(); }
};

// The face with the hands at the given time, `size` pixels square. Without a second hand
// (or with showSeconds off) only hours and minutes are shown.
[[nodiscard]] gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, int hour, int minute, int second,
                                           bool showSeconds, int size);

// The calendar page with the month's short name in its top band and the day below.
[[nodiscard]] gfx::Bitmap DrawCalendarPicture(const gfx::Bitmap& page, gfx::TextRenderer& text,
                                              std::wstring_view month, int day, int size);

} // namespace kestrana::dock
