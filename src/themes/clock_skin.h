#pragma once
// The clock item's skin: "themes\<timeskin>\clock\config.ini" with the face and hand
// pictures (each with a night twin) or, for a digital skin, the three texts laid over
// the face. A theme without the file borrows the default theme's clock.

#include "foundation/config_store.h"
#include "themes/calendar_skin.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::themes {

enum class ClockType : std::uint8_t { Hands = 0, Digits = 1 };
enum class ClockPart : std::uint8_t { Preview = 0, Face = 1, Hour = 2, Minute = 3, Second = 4 };
enum class ClockTextPart : std::uint8_t { Hour = 1, Minute = 2, Second = 3 };

// One text of a digital skin: the time formatted by `format` (a time picture of the
// system's time formatting) and drawn as `look` says.
struct ClockText {
    std::wstring format;
    SkinText look;
    // An empty format, a zero size or a zero colour draws nothing.
    [[nodiscard]] bool Draws() const { return !format.empty() && look.Draws(); }
};

// The skin file of `theme` (the default theme's when that one has none); empty when
// neither exists.
[[nodiscard]] std::wstring ClockSkinFile(const foundation::ConfigStore& store, std::wstring_view theme);
// "config"/"type"; hands when the file does not exist.
[[nodiscard]] ClockType ReadClockType(const foundation::ConfigStore& store, std::wstring_view theme);
// The full path of a picture of the skin; with `night` the part's "_dark" picture when the
// skin names one (the preview has none). A file the skin lacks is taken from the default
// theme's clock. Empty when no skin file exists or it names no picture for the part.
[[nodiscard]] std::wstring ClockImagePath(const foundation::ConfigStore& store, std::wstring_view theme, bool night,
                                          ClockPart part);
[[nodiscard]] ClockText ReadClockText(const foundation::ConfigStore& store, std::wstring_view theme, ClockTextPart part);

} // namespace kestrana::themes
