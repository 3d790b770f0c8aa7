#include "menubar/lyrics_hosting.h"

#include "foundation/config_store.h"
#include "menubar/bar_geometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <unordered_map>

namespace kestrana::menubar {
namespace {

struct LyricsWindow {
    std::wstring_view windowClass;
    bool classPrefix = false;   // the class only begins so (the rest is a build's own)
    std::wstring_view title;    // empty: any title
    std::wstring_view player;
};

constexpr std::array kLyricsWindows{
    LyricsWindow{L"kugou_ui", false, {}, L"kugou"},
    LyricsWindow{L"TXGuiFoundation", false, {}, L"qqmusic"},
    LyricsWindow{L"DesktopLyrics", false, {}, L"cloudmusic"},
    LyricsWindow{L"KwDeskLyricWnd", false, {}, L"KwDeskLyricWnd"},
    LyricsWindow{L"HwndWrapper[HotLyric.Win32", true, {}, L"HotLyric"},
    LyricsWindow{L"WinUIDesktopWin32WindowClass", false, L"HotLyric", L"HotLyric"},
    // The longer name first: both begin with "HwndWrapper[Lyricify".
    LyricsWindow{L"HwndWrapper[Lyricify for Spotify;;", true, {}, L"Lyricify for Spotify"},
    LyricsWindow{L"HwndWrapper[Lyricify.exe", true, {}, L"Lyricify"},
    LyricsWindow{L"CometLyricsWindow", false, {}, L"CometLyricsWindow"},
    LyricsWindow{L"uie_eslyric_desktop_wnd_class", false, {}, L"uie_eslyric_desktop_wnd_class"},
    LyricsWindow{L"Chrome_WidgetWin_1", false, L"Listen1", L"Listen1"},
    LyricsWindow{L"Chrome_WidgetWin_0", false, L"Music Free", L"Music Free"},
};

bool Matches(const LyricsWindow& known, std::wstring_view windowClass, std::wstring_view title) {
    const bool classMatches = known.classPrefix ? windowClass.starts_with(known.windowClass) : windowClass == known.windowClass;
    return classMatches && (known.title.empty() || title == known.title);
}

std::optional<int> Number(std::wstring_view text) {
    if (text.empty() || text.size() > 6) return std::nullopt;
    int value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    return value <= 1000 ? std::optional<int>(value) : std::nullopt;
}

} // namespace

std::optional<std::wstring_view> LyricsPlayerOf(std::wstring_view windowClass, std::wstring_view title) {
    for (const LyricsWindow& known : kLyricsWindows)
        if (Matches(known, windowClass, title)) return known.player;
    return std::nullopt;
}

void WriteLyricsDefaults(foundation::ConfigStore& store) {
    if (!store.ReadString(L"Lyrics", L"HotLyric").empty()) return;
    store.WriteStrings({{L"Lyrics", L"HotLyric", L"36|15"},
                        {L"Lyrics", L"kugou", L"32|10"},
                        {L"Lyrics", L"qqmusic", L"36|2"},
                        {L"Lyrics", L"cloudmusic", L"53|15"}});
}

std::optional<LyricsInset> ParseLyricsInset(std::wstring_view value) {
    const auto bar = value.find(L'|');
    if (bar == std::wstring_view::npos) return std::nullopt;
    const auto top = Number(value.substr(0, bar)), left = Number(value.substr(bar + 1));
    if (!top || !left) return std::nullopt;
    return LyricsInset{*top, *left};
}

std::optional<LyricsInset> LyricsInsetOf(const foundation::ConfigStore& store, std::wstring_view player) {
    return ParseLyricsInset(store.ReadString(L"Lyrics", player));
}

std::optional<LyricsPlace> PlaceLyrics(int freeLeft, int freeRight, int barHeight, int windowWidth, LyricsInset inset,
                                       float scale) {
    const int free = freeRight - freeLeft;
    const int top = Scaled(static_cast<float>(inset.top), scale), left = Scaled(static_cast<float>(inset.left), scale);
    const int visible = windowWidth - left;
    if (barHeight <= 0 || visible <= 0 || free < Scaled(kLyricsMinWidth, scale)) return std::nullopt;
    LyricsPlace place;
    place.host.width = std::min(visible, free);
    place.host.x = freeLeft + (free - place.host.width) / 2;
    place.host.height = barHeight;
    place.windowX = -left;
    place.windowY = -top;
    return place;
}

gfx::Bitmap LyricsCoverage(const gfx::Bitmap& line) {
    if (line.Empty()) return {};
    std::unordered_map<gfx::Pixel, int> counts;
    gfx::Pixel backdrop = 0;
    int most = 0;
    for (const gfx::Pixel p : line.Pixels()) {
        const int n = ++counts[p & 0xFFFFFFu];
        if (n > most) {
            most = n;
            backdrop = p & 0xFFFFFFu;
        }
    }
    const auto distance = [](std::uint8_t a, std::uint8_t b) { return std::abs(int(a) - int(b)); };
    gfx::Bitmap mask(line.Width(), line.Height());
    for (int y = 0; y < line.Height(); ++y) {
        const gfx::Pixel* in = line.Row(y);
        gfx::Pixel* out = mask.Row(y);
        for (int x = 0; x < line.Width(); ++x) {
            const int cover = std::max({distance(gfx::PixelR(in[x]), gfx::PixelR(backdrop)),
                                        distance(gfx::PixelG(in[x]), gfx::PixelG(backdrop)),
                                        distance(gfx::PixelB(in[x]), gfx::PixelB(backdrop))});
            const auto a = static_cast<std::uint8_t>(cover);
            out[x] = gfx::MakePixel(a, a, a, a);
        }
    }
    return mask;
}

} // namespace kestrana::menubar
