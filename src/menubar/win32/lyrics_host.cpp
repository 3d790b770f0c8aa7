#include "menubar/win32/lyrics_host.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_limits.h"
#include "gfx/win32/bitmap_info.h"

#include <algorithm>
#include <optional>
#include <span>

namespace kestrana::menubar::win32 {
namespace {

struct Found {
    HWND window = nullptr;
    std::wstring player;
};

// The first visible top-level window of another process that is a player's lyrics.
std::optional<Found> FindLyricsWindow() {
    Found found;
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& f = *reinterpret_cast<Found*>(data);
            if (!::IsWindowVisible(window)) return TRUE;
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            if (pid == ::GetCurrentProcessId()) return TRUE;
            wchar_t cls[256] = {}, title[256] = {};
            ::GetClassNameW(window, cls, 256);
            ::GetWindowTextW(window, title, 256);
            if (const auto player = LyricsPlayerOf(cls, title)) {
                f.window = window;
                f.player = std::wstring(*player);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (!found.window) return std::nullopt;
    return found;
}

} // namespace

LyricsHost::LyricsHost(foundation::ConfigStore& store, OpenUri open) : m_store(store), m_open(std::move(open)) {
    WriteLyricsDefaults(m_store);
    m_recolour = m_store.ReadInt(L"finder", L"musicLyrics_color") == 1;
}

LyricsHost::~LyricsHost() { Release(); }

bool LyricsHost::TakeIn(HWND lyrics, const std::wstring& player) {
    ::GetWindowRect(lyrics, &m_oldRect);
    m_wasTopmost = (::GetWindowLongPtrW(lyrics, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    m_lyrics = lyrics;
    m_player = player;
    m_pictured = false;
    m_blankPictures = 0;
    m_recolourRefused = false;
    m_inset = LyricsInsetOf(m_store, player).value_or(LyricsInset{});
    foundation::LogDetail("lyrics", L"hosting the lyrics of \"" + player + L"\"");
    if (player == L"HotLyric" && !m_toldHotLyric && m_open) {
        m_toldHotLyric = true;
        m_open(kHotLyricUri);
    }
    return true;
}

void LyricsHost::Follow(POINT barOrigin, const gfx::RectI& freeMiddle, float scale) {
    if (m_lyrics && !::IsWindow(m_lyrics)) {
        foundation::LogDetail("lyrics", L"the lyrics window of \"" + m_player + L"\" is gone");
        m_lyrics = nullptr;
        m_placed = {};
    }
    if (!m_lyrics) {
        const auto found = FindLyricsWindow();
        if (!found || !TakeIn(found->window, found->player)) return;
    }
    RECT r{};
    ::GetWindowRect(m_lyrics, &r);
    const auto place = PlaceLyrics(freeMiddle.x, freeMiddle.Right(), freeMiddle.height, r.right - r.left, m_inset, scale);
    if (!place) {
        // No room between the titles and the items now: the player's window as it was.
        Restore();
        return;
    }
    if (m_placed && *m_placed == *place && r.left == barOrigin.x + place->host.x + place->windowX &&
        r.top == barOrigin.y + place->host.y + place->windowY)
        return;
    // The player's own window stays a window of its own (another process's window never
    // becomes a child of ours): it is moved so its line lies over the bar's free middle,
    // kept above the bar, and cut to that part, so nothing of it shows elsewhere.
    const int x = barOrigin.x + place->host.x + place->windowX;
    const int y = barOrigin.y + place->host.y + place->windowY;
    if (!::SetWindowPos(m_lyrics, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW)) {
        foundation::LogFailure("lyrics", L"the lyrics window of \"" + m_player + L"\" could not be moved into the bar");
        return;
    }
    // Recoloured, none of the player's window shows: the bar draws its line.
    const HRGN cut = Recolours() ? ::CreateRectRgn(0, 0, 0, 0)
                                : ::CreateRectRgn(-place->windowX, -place->windowY, -place->windowX + place->host.width,
                                                  -place->windowY + place->host.height);
    // The system owns the region once it is set.
    if (cut && !::SetWindowRgn(m_lyrics, cut, TRUE)) ::DeleteObject(cut);
    m_placed = *place;
}

std::optional<LyricsHost::Line> LyricsHost::PictureLine() {
    if (!Recolours() || !m_placed || !m_lyrics || !::IsWindow(m_lyrics)) return std::nullopt;
    RECT r{};
    ::GetWindowRect(m_lyrics, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const gfx::RectI host = m_placed->host;
    if (width <= 0 || height <= 0 || host.Empty() || !gfx::ImageSizeAllowed(width, height)) return std::nullopt;
    BITMAPINFO info = gfx::TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    using namespace ::kestrana::win32;
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    UniqueGdiObject dib(::CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !dib || !bits) return std::nullopt;
    const HGDIOBJ old = ::SelectObject(dc.Get(), dib.Get());
    // The full content: a window drawn by the compositor pictures too.
    constexpr UINT kRenderFullContent = 2;
    const BOOL printed = ::PrintWindow(m_lyrics, dc.Get(), kRenderFullContent);
    ::GdiFlush();
    ::SelectObject(dc.Get(), old);
    if (!printed) return std::nullopt;
    // A window the system will not picture comes back black all over (another process's
    // window under some systems). Until a picture with anything in it has come, a run of
    // such pictures means the line cannot be recoloured: it shows in its own colours.
    const auto* pixels = static_cast<const gfx::Pixel*>(bits);
    if (!m_pictured) {
        const std::span<const gfx::Pixel> all(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        m_pictured = std::ranges::any_of(all, [](gfx::Pixel p) { return (p & 0xFFFFFFu) != 0; });
        if (!m_pictured && ++m_blankPictures >= kBlankPicturesToGiveUp) {
            foundation::LogFailure("lyrics", L"the lyrics window of \"" + m_player +
                                                 L"\" gives no picture to recolour: it shows in its own colours");
            m_recolourRefused = true;
            m_placed = {}; // placed again, cut to the host
            return std::nullopt;
        }
    }
    gfx::Bitmap part(host.width, host.height);
    part.Fill(0);
    // The host's part of the window: the window stands at (windowX, windowY) in it.
    for (int y = 0; y < host.height; ++y) {
        const int wy = y - m_placed->windowY;
        if (wy < 0 || wy >= height) continue;
        for (int x = 0; x < host.width; ++x) {
            const int wx = x - m_placed->windowX;
            if (wx >= 0 && wx < width) part.Set(x, y, pixels[static_cast<std::size_t>(wy) * width + wx]);
        }
    }
    return Line{LyricsCoverage(part), host};
}

void LyricsHost::Restore() noexcept {
    if (!m_placed || !m_lyrics || !::IsWindow(m_lyrics)) return;
    ::SetWindowRgn(m_lyrics, nullptr, TRUE);
    ::SetWindowPos(m_lyrics, m_wasTopmost ? HWND_TOPMOST : HWND_NOTOPMOST, m_oldRect.left, m_oldRect.top, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    m_placed = {};
}

void LyricsHost::Release() noexcept {
    if (m_lyrics && ::IsWindow(m_lyrics)) {
        Restore();
        foundation::LogDetail("lyrics", L"gave the lyrics window of \"" + m_player + L"\" back");
    }
    m_lyrics = nullptr;
}

} // namespace kestrana::menubar::win32
