#pragma once
// Takes a music player's desktop-lyrics window into the bar ("musicLyrics"): finds it
// among the top-level windows by class and title, makes it a child of a host window of
// ours that lies over the bar's free middle, and moves it by the player's numbers so
// that its line of text shows in the bar. The player's window is given back as it was
// when hosting stops or the bar goes away.

#include "menubar/lyrics_hosting.h"

#include <windows.h>

#include <functional>
#include <string>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar::win32 {

inline constexpr wchar_t kLyricsHostClass[] = L"VarloLyricsHost";

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
    // Gives the player's window back and hides the host.
    void Release() noexcept;
    [[nodiscard]] HWND Hosted() const { return m_lyrics; }

private:
    bool TakeIn(HWND lyrics, const std::wstring& player);

    foundation::ConfigStore& m_store;
    OpenUri m_open;
    HWND m_host = nullptr; // ours, owned by the bar
    HWND m_lyrics = nullptr;
    std::wstring m_player;
    LyricsInset m_inset;
    // The player's window as it was, to give it back so.
    HWND m_oldParent = nullptr;
    LONG_PTR m_oldStyle = 0;
    RECT m_oldRect{};
    bool m_toldHotLyric = false;
};

} // namespace kestrana::menubar::win32
