#pragma once
// The calendar item's skin: a background picture and the month and day texts laid on it,
// read from section "cal" of config.ini (the user's own skin) or of the icon set's
// "icons\config.ini". Also the colour and alignment values that the clock's digital
// skin shares with it.

#include "foundation/config_store.h"
#include "gfx/bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrana::themes {

// A 32-bit colour written as a decimal integer, alpha in the top byte. Editors write the
// values with alpha of 128 or more either as negative numbers or as unsigned ones; both
// read the same. Anything else (text, out of range) reads as 0, which draws nothing.
[[nodiscard]] std::uint32_t ParseSkinColour(std::wstring_view text);
[[nodiscard]] gfx::Color SkinColour(std::uint32_t argb);

enum class SkinAlign : std::uint8_t { Left, Centre, Right };
// 1 centre, 2 right, anything else left.
[[nodiscard]] SkinAlign SkinAlignOf(std::int32_t value);

// One line of text of a skin, in the units of the 256-unit canvas; its box runs from
// (x, y) 256 units right and down.
struct SkinText {
    std::wstring font;
    int size = 0;
    std::uint32_t colour = 0;
    SkinAlign align = SkinAlign::Left;
    int x = 0, y = 0;
    // A zero size or colour draws nothing.
    [[nodiscard]] bool Draws() const { return size > 0 && colour != 0; }
};

struct CalendarSkin {
    // Full path; may not exist (the icon set's Calendar picture stands in). By night its
    // twin (NightTwinPath) is shown where one exists.
    std::wstring picture;
    float rotate = 0;     // degrees about the canvas centre
    SkinText month, day;
};

// The file whose section "cal" is the skin in force, for the icon set `iconSet`; nothing
// when the calendar has its built-in look.
[[nodiscard]] std::optional<std::wstring> CalendarSkinFile(const foundation::ConfigStore& store,
                                                           std::wstring_view iconSet);
// The skin in force, read from that file; nothing for the built-in look.
[[nodiscard]] std::optional<CalendarSkin> ReadCalendarSkin(const foundation::ConfigStore& store,
                                                           std::wstring_view iconSet);
// The night twin of a skin picture: "_dark" before the extension ("page.png" becomes
// "page_dark.png"), as the icon sets name their dark pictures.
[[nodiscard]] std::wstring NightTwinPath(std::wstring_view path);

// The language key of a month's text in section "calicon": the month number (1 to 12,
// no leading zero) followed by the month character.
[[nodiscard]] std::wstring CalendarMonthKey(int month);

} // namespace kestrana::themes
