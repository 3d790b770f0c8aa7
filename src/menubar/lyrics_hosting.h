#pragma once
// Hosting a music player's desktop lyrics in the bar ("musicLyrics"): which top-level
// windows are lyrics windows, and of which player (by class, and for some by title);
// the two numbers section "Lyrics" keeps per player; and where the lyrics window goes:
// into a host the size of the bar's free middle (between the application's titles and
// the status items), moved up and left by the player's numbers so that its line of text
// shows in the bar and its frame and buttons are cut off.

#include "gfx/bitmap.h"

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar {

// The player a window belongs to (its key in section "Lyrics"), or nothing.
[[nodiscard]] std::optional<std::wstring_view> LyricsPlayerOf(std::wstring_view windowClass, std::wstring_view title);

// Writes the known players' numbers when "HotLyric" is absent from section "Lyrics".
void WriteLyricsDefaults(foundation::ConfigStore& store);

// A player's two numbers at 96 dpi: how far the lyrics' line sits below the window's
// top, and right of its left edge.
struct LyricsInset {
    int top = 0;
    int left = 0;
    bool operator==(const LyricsInset&) const = default;
};
// "36|15"; nothing for an absent or malformed value, or numbers outside 0..1000.
[[nodiscard]] std::optional<LyricsInset> ParseLyricsInset(std::wstring_view value);
[[nodiscard]] std::optional<LyricsInset> LyricsInsetOf(const foundation::ConfigStore& store, std::wstring_view player);

struct LyricsPlace {
    gfx::RectI host; // bar pixels: the part of the bar the lyrics show in
    int windowX = 0; // the lyrics window's top-left inside the host
    int windowY = 0;
    bool operator==(const LyricsPlace&) const = default;
};

// The narrowest free middle worth showing lyrics in, at 96 dpi.
inline constexpr int kLyricsMinWidth = 60;

// Where a lyrics window of `windowWidth` goes in a bar `barHeight` high whose free middle
// runs from `freeLeft` to `freeRight`: the host is as wide as the lyrics' visible part
// (the window's width less its left inset) but no wider than the free middle, and is
// centred in it. Nothing when the middle is too narrow or the window has no width.
[[nodiscard]] std::optional<LyricsPlace> PlaceLyrics(int freeLeft, int freeRight, int barHeight, int windowWidth,
                                                     LyricsInset inset, float scale);

// With "musicLyrics_color" the lyrics show in the bar's own text colour: the picture of
// the player's line becomes a coverage mask, each pixel covering as far as its colour
// stands from the line's backdrop (the picture's most common colour; its alpha is not
// looked at, as a window's picture taken through GDI has none). The player's letter
// colours and backdrop give way to the bar's.
[[nodiscard]] gfx::Bitmap LyricsCoverage(const gfx::Bitmap& line);

// Opened when the HotLyric player's window is taken in, so that it stays where it is put.
inline constexpr wchar_t kHotLyricUri[] = L"hot-lyric:///?redirect=off";

} // namespace kestrana::menubar
