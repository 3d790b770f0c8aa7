#pragma once
// Pictures of the live items that change with the time: the clock face of the clock skin
// with its hands at the current time, the calendar page with today's month and day, and
// the battery with its charge.

#include "gfx/bitmap.h"
#include "gfx/text_renderer.h"
#include "platform/battery.h"
#include "themes/calendar_skin.h"

#include <cstdint>
#include <span>
#include <string>
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

// The hands' angles in degrees clockwise from twelve. The second hand follows every tick;
// the hour and minute hands are set when first drawn and then at each new minute, so a
// minute hand first set at 10:07:30 stands at 45 degrees until 10:08:00 puts it at 48
// (or the first tick after, when a timer skipped the full minute).
struct ClockHands {
    float hour = 0, minute = 0, second = 0;
    bool set = false;
    int setAt = -1; // the hour and minute they were set at, h * 60 + m
    // `hour` 0 to 23.
    void Tick(int hour, int minute, int second);
};

// The face with the hands at the given angles, `size` pixels square; the second hand only
// with `showSeconds`.
[[nodiscard]] gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, const ClockHands& hands, bool showSeconds,
                                           int size);

// One text of a digital clock skin, already formatted from the time.
struct ClockTextLine {
    themes::SkinText look;
    std::wstring text;
};

// A digital skin: the face, then each text in its box on the 256-unit canvas, in order.
[[nodiscard]] gfx::Bitmap DrawDigitalClock(const gfx::Bitmap& face, std::span<const ClockTextLine> lines,
                                           gfx::TextRenderer& text, int size);

// The face with the hands at the given time, `size` pixels square. Without a second hand
// (or with showSeconds off) only hours and minutes are shown.
[[nodiscard]] gfx::Bitmap DrawClockPicture(const ClockSkinPictures& skin, int hour, int minute, int second,
                                           bool showSeconds, int size);

// The calendar page with the month's short name in its top band and the day below.
[[nodiscard]] gfx::Bitmap DrawCalendarPicture(const gfx::Bitmap& page, gfx::TextRenderer& text,
                                              std::wstring_view month, int day, int size);

// The page of a calendar skin: `page` over the whole canvas, then the month and day texts
// placed by the skin on its 256-unit canvas and turned by its angle about the centre.
[[nodiscard]] gfx::Bitmap DrawSkinnedCalendar(const gfx::Bitmap& page, const themes::CalendarSkin& skin,
                                              gfx::TextRenderer& text, std::wstring_view month, int day, int size);

// The battery as its item shows it.
struct BatteryLevel {
    bool present = false; // a battery whose charge the system knows
    int percent = 0;      // 0..100
    bool charging = false;
    bool operator==(const BatteryLevel&) const = default;
};

// From the machine's batteries summed, as every surface reads them.
[[nodiscard]] BatteryLevel BatteryLevelOf(const platform::BatteryStatus& status);

// At or below this charge a battery that is not charging is drawn in the warning colour.
inline constexpr int kBatteryLowPercent = 20;

// A battery on a tile, filled to its charge, with the percentage below it; a bolt across
// it while it charges. Without a battery only its outline, struck through.
[[nodiscard]] gfx::Bitmap DrawBatteryPicture(const BatteryLevel& level, gfx::TextRenderer& text, bool dark, int size);

} // namespace kestrana::dock
