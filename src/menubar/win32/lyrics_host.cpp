#include "menubar/win32/lyrics_host.h"

#include "foundation/config_store.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"

#include <optional>

namespace kestrana::menubar::win32 {
namespace {

// The host's background is this colour, which the system leaves out: only the lyrics
// window in it is seen.
constexpr COLORREF kKeyColour = RGB(255, 0, 255);

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_ERASEBKGND) {
        RECT r{};
        ::GetClientRect(window, &r);
        if (HBRUSH brush = ::CreateSolidBrush(kKeyColour)) {
            ::FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
            ::DeleteObject(brush);
        }
        return 1;
    }
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

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
}

LyricsHost::~LyricsHost() {
    Release();
    if (m_host) ::DestroyWindow(m_host);
}

bool LyricsHost::TakeIn(HWND lyrics, const std::wstring& player) {
    if (!m_host) {
        static const bool registered = kestrana::win32::RegisterWindowClass(kLyricsHostClass, HostProc);
        if (!registered) return false;
        // Not owned by the bar: the player's window inside must never go down with a bar
        // that is made again; it is given back first.
        m_host = ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, kLyricsHostClass, L"",
                                   WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!m_host) {
            foundation::LogFailure("lyrics", "no window to host the lyrics in");
            return false;
        }
        ::SetLayeredWindowAttributes(m_host, kKeyColour, 255, LWA_COLORKEY);
    }
    m_oldParent = ::GetAncestor(lyrics, GA_PARENT);
    if (m_oldParent == ::GetDesktopWindow()) m_oldParent = nullptr;
    m_oldStyle = ::GetWindowLongPtrW(lyrics, GWL_STYLE);
    ::GetWindowRect(lyrics, &m_oldRect);
    ::SetLastError(0);
    if (!::SetParent(lyrics, m_host) && ::GetLastError() != 0) {
        foundation::LogFailure("lyrics", L"the lyrics window of \"" + player + L"\" could not be taken into the bar");
        return false;
    }
    // A child now: it moves with the host and is cut to it.
    ::SetWindowLongPtrW(lyrics, GWL_STYLE, (m_oldStyle & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    m_lyrics = lyrics;
    m_player = player;
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
        if (m_host) ::ShowWindow(m_host, SW_HIDE);
    }
    if (!m_lyrics) {
        const auto found = FindLyricsWindow();
        if (!found || !TakeIn(found->window, found->player)) return;
    }
    RECT r{};
    ::GetWindowRect(m_lyrics, &r);
    const auto place = PlaceLyrics(freeMiddle.x, freeMiddle.Right(), freeMiddle.height, r.right - r.left, m_inset, scale);
    if (!place) {
        ::ShowWindow(m_host, SW_HIDE); // no room between the titles and the items now
        return;
    }
    ::SetWindowPos(m_lyrics, nullptr, place->windowX, place->windowY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(m_host, HWND_TOPMOST, barOrigin.x + place->host.x, barOrigin.y + place->host.y, place->host.width,
                   place->host.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void LyricsHost::Release() noexcept {
    if (m_lyrics && ::IsWindow(m_lyrics)) {
        ::SetParent(m_lyrics, m_oldParent);
        ::SetWindowLongPtrW(m_lyrics, GWL_STYLE, m_oldStyle);
        ::SetWindowPos(m_lyrics, nullptr, m_oldRect.left, m_oldRect.top, m_oldRect.right - m_oldRect.left,
                       m_oldRect.bottom - m_oldRect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        foundation::LogDetail("lyrics", L"gave the lyrics window of \"" + m_player + L"\" back");
    }
    m_lyrics = nullptr;
    if (m_host) ::ShowWindow(m_host, SW_HIDE);
}

} // namespace kestrana::menubar::win32
