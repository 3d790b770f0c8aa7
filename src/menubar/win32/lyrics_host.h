#pragma once
// Takes a music player's desktop-lyrics window into the bar ("musicLyrics"): finds it
// among the top-level windows by class and title, moves it by the player's numbers so
// that its line of text lies over the bar's free middle, keeps it above the bar and cuts
// it to that part. With "musicLyrics_color" the player's window is hidden behind an empty
// region instead and the bar draws its line itself, in the bar's text colour, from a
// picture taken of the window. The player's window is given back as it was when hosting
// stops or the bar goes away.

#include "menubar/lyrics_hosting.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar::win32 {

class LyricsHost {
public:
    using OpenUri = std::function<void(const std::wstring&)>;
    LyricsHost(foundation::ConfigStore& store, OpenUri open);
    ~LyricsHost();
    LyricsHost(const LyricsHost&) = delete;
    LyricsHost& operator=(const LyricsHost&) = delete;

    // Looks for a lyrics window while none is hosted, and places the hosted one over
    // `freeMiddle` (bar pixels) of the bar whose top-left is `barOrigin` on screen.
    void Follow(POINT barOrigin, const gfx::RectI& freeMiddle, float scale);
    // Gives the player's window back as it was.
    void Release() noexcept;
    [[nodiscard]] HWND Hosted() const { return m_lyrics; }
    // "musicLyrics_color": the bar draws the line in its own colour.
    [[nodiscard]] bool Recolours() const { return m_recolour && !m_recolourRefused; }
    [[nodiscard]] bool Placed() const { return m_placed.has_value(); }
    // With Recolours: the player's line as it shows now, a coverage mask of the host's
    // size, and where it goes in the bar; nothing while no line is placed or the window
    // refuses to be pictured.
    struct Line {
        gfx::Bitmap mask;
        gfx::RectI host;
    };
    [[nodiscard]] std::optional<Line> PictureLine();

private:
    bool TakeIn(HWND lyrics, const std::wstring& player);
    // The player's window where it stood, uncut.
    void Restore() noexcept;

    foundation::ConfigStore& m_store;
    OpenUri m_open;
    HWND m_lyrics = nullptr;
    std::wstring m_player;
    LyricsInset m_inset;
    // The player's window as it was, to give it back so.
    RECT m_oldRect{};
    bool m_wasTopmost = false;
    std::optional<LyricsPlace> m_placed; // where it stands now
    bool m_toldHotLyric = false;
    bool m_recolour = false;
    // The hosted window's pictures so far: any with something in it, how many blank ones
    // in a row before the first, and whether recolouring it was given up.
    static constexpr int kBlankPicturesToGiveUp = 8;
    bool m_pictured = false;
    int m_blankPictures = 0;
    bool m_recolourRefused = false;
};

} // namespace kestrana::menubar::win32
