#pragma once
// The bar's left side for the active application: its name and menu titles, kept up to
// date as the foreground changes, and the menus behind the titles. A classic menu is the
// application's own, opened inside its process through the hook module (the request
// file's life tells when it closes); the desktop, File Explorer and browsers get menus of
// ours. Everything here runs on the bar's user-interface thread, and nothing waits on the
// application: a request that gets no answer in time is given up.

#include "gfx/bitmap.h"
#include "gfx/menu_model.h"
#include "gfx/text_renderer.h"
#include "menubar/accessible_menu_track.h"
#include "menubar/app_menus.h"
#include "menubar/bar_accessible.h"
#include "menubar/bar_picture.h"
#include "menubar/menu_handshake.h"

#include <windows.h>

#include <cstdint>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kestrana::foundation {
class ConfigStore;
}

namespace kestrana::menubar::win32 {

inline constexpr UINT_PTR kTimerMenuTitles = 22; // a titles request's deadline (13 is the drive scan's)
inline constexpr UINT_PTR kTimerMenuOpen = 20;   // watches an open menu's request file (14 is the monitors')
inline constexpr UINT_PTR kTimerOwnMenuWatch = 15; // the pointer along the titles while a menu of ours is open
inline constexpr UINT_PTR kTimerAccessibleWatch = 16; // the pointer and an accessible title's open menu
inline constexpr UINT kMsgAccessibleTitles = WM_APP + 45; // a worker found (or not) an accessible menu bar
inline constexpr UINT kMsgExplorerView = WM_APP + 46;     // a worker reached (or not) a File Explorer view

struct AppSideContext {
    HWND bar = nullptr;
    HMONITOR monitor = nullptr;
    POINT origin{};  // the bar's top-left corner on screen
    int height = 0;
    float scale = 1.0f;
    float textScale = 1.0f; // "make text bigger"
    foundation::ConfigStore* store = nullptr;
    gfx::TextRenderer* text = nullptr;
    MenuHandshake* handshake = nullptr;
    std::function<std::wstring(const std::wstring& imagePath)> dockName;
    std::function<bool()> severalBars;
    // Shows one of our own menus under a cell; the chosen command, or 0.
    std::function<int(const gfx::Menu&, const gfx::RectI&)> runMenu;
    std::function<void()> changed; // the left side needs laying out and drawing again
    int left = 0;                  // the bar's own left offset (a rounded screen corner)
};

class AppMenuSide {
public:
    explicit AppMenuSide(AppSideContext context) : m_context(std::move(context)) {}
    ~AppMenuSide();
    AppMenuSide(const AppMenuSide&) = delete;
    AppMenuSide& operator=(const AppMenuSide&) = delete;

    // The foreground window may have changed.
    void Follow(HWND foreground);
    // The bar keeps `left` pixels from the screen's left corner.
    void SetLeft(int left);
    // The settings changed: the next Follow looks at the window anew.
    void Forget() { m_window = nullptr; }
    // The hook module's word on a request (see kMsgMenuState).
    void OnMenuState(std::uint32_t number, std::intptr_t state);
    // A worker's answer about the accessible menu bar of look `generation`.
    void OnAccessibleTitles(std::uint64_t generation);
    // A worker's answer about File Explorer's view for look `generation` (see PackArrangement).
    void OnExplorerView(std::uint64_t generation, LPARAM packed);
    void OnTimer(UINT_PTR id);

    // The cells of the name and the titles, from `nameX` on.
    void AddCells(std::vector<BarCell>& cells) const;
    // The name and titles as drawn, and the open title, for screen readers.
    void AddReaderFacts(BarFacts& facts) const;
    // The right edge of the name and titles, 0 when nothing is shown.
    [[nodiscard]] int RightEdge() const;
    // -1 the name, 0.. a title, -2 neither.
    [[nodiscard]] int HitTest(int x) const;
    // A click on a title: its menu drops down under it.
    void OpenTitle(int index);
    // A title's menu is open (the application's own, or ours standing in for it).
    [[nodiscard]] bool MenuOpen() const { return m_lit >= 0; }
    [[nodiscard]] bool HasNativeMenu() const { return m_native.menu != nullptr || m_native.accessible != nullptr; }
    // The application's own menu from the bar's context menu ("systemmenu").
    void OpenNativeMenu() { OpenTitle(0); }

private:
    struct Label {
        std::wstring text;
        gfx::Bitmap mask;
        gfx::RectI rect;
    };
    // The native-menu record: the application's menu handle and its window.
    struct NativeMenu {
        HMENU menu = nullptr;
        HWND window = nullptr;
        HWND accessible = nullptr;
    };

    // `complete`: nothing more is coming for this window (the detail log notes the time).
    void Show(std::wstring name, std::vector<std::wstring> titles, TitleSource source, bool complete = true);
    void AskTitles(HWND window, HMENU menu);
    void AskAccessibleTitles(HWND window);
    // On a worker: reaches File Explorer's view, changing its arrangement first when given.
    void AskExplorerView(const std::optional<Arrangement>& change);
    void EndRequest(std::optional<std::uint32_t>& request, UINT_PTR timer);
    void LayOut();
    [[nodiscard]] gfx::Bitmap Draw(const std::wstring& text, bool bold) const;
    [[nodiscard]] MenuRequest RequestFor(MenuAsk ask, int index) const;
    void OpenOwnMenu(int index);
    // Opens an accessible title's menu in the application: posted or invoked, never waited on.
    void OpenAccessible(int index);
    void WatchAccessible();

    AppSideContext m_context;
    HWND m_window = nullptr; // the foreground window being shown
    TitleSource m_source = TitleSource::None;
    ForegroundFacts m_facts;       // of m_window, for planning its titles again
    TitleOptions m_options;
    std::optional<Arrangement> m_explorerView; // File Explorer's view can be commanded
    Label m_name;
    std::vector<Label> m_titles;
    std::vector<std::wstring> m_titleKeys; // which menu of ours each title opens
    std::unordered_map<std::wstring, std::wstring> m_descriptions; // by program path
    NativeMenu m_native;
    std::optional<std::uint32_t> m_titlesRequest;
    bool m_titlesLate = false; // the name is shown alone; titles are still taken until the later deadline
    // What the accessibility workers found, handed over under the lock: workers may
    // outlive the bar, so they share this and nothing else of it.
    struct Mailbox {
        std::mutex mutex;
        std::uint64_t generation = 0;
        std::optional<std::vector<std::wstring>> titles;
        HWND window = nullptr;
        std::atomic<int> running{0}; // workers still asking
    };
    std::shared_ptr<Mailbox> m_mailbox = std::make_shared<Mailbox>();
    std::uint64_t m_generation = 0;           // of the latest look
    std::optional<std::uint64_t> m_accessiblePending;
    bool m_accessibleLate = false; // past the deadline: the name is shown, the titles still welcome
    std::optional<std::uint32_t> m_openRequest;
    ULONGLONG m_openAsked = 0;
    bool m_openAnswered = false;
    int m_lit = -1;            // the title whose menu is open
    AccessibleMenuTrack m_accessibleTrack;
    int m_switchTo = -1;       // a menu of ours gives way to this title's
    double m_followedAt = 0;   // when the foreground change was taken up (detail log)
};

} // namespace kestrana::menubar::win32
