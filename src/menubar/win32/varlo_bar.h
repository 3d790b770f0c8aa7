#pragma once
// One menu bar on one screen: the window "VarloApp" across the top, its picture and the
// pointer on it. The left side holds the logo; the right side the status row, which the
// user reorders by dragging. Its pop-up menus are windows of class "VarloChildApp".
// Every window of the bar carries the property "VarloBarPtr" with the bar's address.

#include "gfx/bitmap.h"
#include "gfx/menu_model.h"
#include "foundation/win32/accessible_host.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/layered_window_surface.h"
#include "gfx/win32/popup_menu.h"
#include "menubar/bar_accessible.h"
#include "menubar/bar_appearance.h"
#include "menubar/bar_picture.h"
#include "menubar/status_row.h"
#include "menubar/win32/app_menu_side.h"
#include "menubar/win32/bar_tip.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::menubar::win32 {

class BarHost;

inline constexpr wchar_t kBarProperty[] = L"VarloBarPtr";
inline constexpr wchar_t kBarClass[] = L"VarloApp";
inline constexpr wchar_t kMenuClass[] = L"VarloChildApp";

struct BarPlace {
    RECT screen{};           // the whole screen
    HMONITOR monitor = nullptr;
    std::wstring deviceName;
    float scale = 1.0f;
    float textScale = 1.0f; // "make text bigger"
    int height = 0;
};

class VarloBar {
public:
    VarloBar(BarHost& host, BarPlace place, const std::vector<StatusKind>& order);
    ~VarloBar();
    VarloBar(const VarloBar&) = delete;
    VarloBar& operator=(const VarloBar&) = delete;

    [[nodiscard]] bool Valid() const { return m_window != nullptr; }
    [[nodiscard]] HWND Window() const { return m_window; }
    [[nodiscard]] const BarPlace& Place() const { return m_place; }
    [[nodiscard]] bool Dark() const { return m_look.dark; }

    // The clock's text changed (every bar shows the same).
    void ClockChanged();
    // The screen's corners are rounded by `inset` pixels (0: square): both ends of the
    // bar keep their content clear of them.
    void SetCornerInset(int inset);
    // The installed input methods or the foreground's input method may have changed.
    void InputMethodChanged();
    void SetOrder(const std::vector<StatusKind>& order);
    // The source of `kind` says its face changed.
    void SourceChanged(StatusKind kind);
    // Changes between these two (the monitors' readings of one sample) reach the screen
    // in one hand-over when the last has come.
    void BeginChanges() { ++m_changesHeld; }
    void EndChanges();
    // Shows `text` under the item of `kind` for `ms` milliseconds.
    void ShowTip(StatusKind kind, const std::wstring& text, int ms);
    // A notice for a while under the rightmost item shown (a drive came or went).
    void ShowNotice(const std::wstring& text);
    // Light or dark, the theme's backdrop and the tint of "autocolor" are read again.
    void ApplyLook();
    // The clock's tick: applies the look again only when it would come out different.
    void RefreshLook();
    void ApplyShowMode();
    // The foreground window may have changed: the application's name and titles follow
    // it, and the tint with "autocolor".
    void ForegroundChanged();
    // "findermenu" changed: the titles are looked for again.
    void MenuSettingChanged();
    // Hides the bar and gives its screen space back; safe from any thread.
    void ReleaseScreenSpace() noexcept;
    // The bar's focus hotkey: the keyboard comes to the bar, the logo taking the focus;
    // Escape gives it back to the window that had it.
    void TakeKeyboard();
    // The part of the bar between the application's titles and the status items, in
    // bar pixels (hosted lyrics show there).
    [[nodiscard]] gfx::RectI FreeMiddle() const;
    // The hosted lyrics' line recoloured: a coverage mask drawn in the text colour at
    // `where` (bar pixels); an empty mask takes it away. Redraws only when it changed.
    void ShowLyricsLine(gfx::Bitmap mask, const gfx::RectI& where);
    // One of the bar's menus is open and reads the keys itself.
    [[nodiscard]] bool MenuOpen() const { return gfx::PopupMenuOpen() || (m_app && m_app->MenuOpen()); }

private:
    struct View {
        Glyph glyph = Glyph::None;
        gfx::Bitmap text;        // coverage mask
        std::wstring textSource; // what `text` shows
        int textLimit = 0;       // its widest at 96 dpi, 0 none
        bool framed = false;
        int level = 100;
        bool crossed = false;
        Meter meter = Meter::None;
        gfx::Bitmap label;       // a meter's label, small font
        gfx::Bitmap second;      // a meter's second line
        std::wstring labelSource, secondSource;
        std::vector<std::uint8_t> points;
    };
    enum class Target { None, Logo, Status, More, Empty, App };

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> PassToHost(UINT message, WPARAM wParam, LPARAM lParam);
    void OnPointerLeft();
    void OnCaptureLost();
    void OnSettingChange(WPARAM wParam, LPARAM lParam);
    void OnAppBarNotice(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR id);
    void OnPress(int x, int y);
    void OnMove(int x, int y);
    void OnRelease(int x, int y, bool right);
    void Hover(int x);
    // The part of the status item at `index` under `x`, or -1 (also for items without parts).
    [[nodiscard]] int PartUnder(int index, int x) const;
    void HideTip();

    bool Built(StatusKind kind) const;
    void RefreshView(StatusKind kind);
    void SetText(View& view, const std::wstring& text, int limit = 0);
    // The small font of meters' labels and lines.
    void SetSmallText(gfx::Bitmap& mask, std::wstring& source, const std::wstring& text);
    void LayOut();
    void Redraw(const gfx::RectI* region = nullptr);
    [[nodiscard]] std::vector<BarCell> CellsToDraw() const;
    [[nodiscard]] BarCell LogoCell() const;
    void AddStatusCells(std::vector<BarCell>& cells) const;
    [[nodiscard]] BarCell ViewCell(const View& view, const gfx::RectI& rect) const;
    void DrawKeyboardFocus(const BarLook& look, const gfx::RectI* region);
    [[nodiscard]] std::pair<Target, int> TargetAt(int x) const;
    [[nodiscard]] gfx::RectI CellRect(int index) const;
    // Where the item is drawn: its place, or on the way there while the row slides.
    [[nodiscard]] gfx::RectI ShownCellRect(int index) const;
    // What the bar shows, for screen readers.
    [[nodiscard]] BarFacts ReaderFacts() const;
    // A reader pressed element `id`: its menu opens as on a click.
    void PressForReader(foundation::AccessibleId id);
    void OnKey(int virtualKey, bool shift);
    void SetKeyboardFocus(foundation::AccessibleId id);
    void LeaveKeyboard(bool restore);

    void OpenMenuFor(Target target, int index, bool context);
    int OpenItemMenu(StatusKind kind, const gfx::RectI& cell);
    int RunMenu(const gfx::Menu& menu, const gfx::RectI& cell, std::function<int(int, int)> slide = {});

    void RegisterAppBar();
    void RemoveAppBar() noexcept;
    void SampleWallpaper();
    void SampleTint();
    void SlideTo(bool shown);
    void StepSlide();
    // Items that moved slide to their new places; without animations they jump.
    void StartItemSlide();
    void StepItemSlide();
    void CheckCovered();

    BarHost& m_host;
    BarPlace m_place;
    HWND m_window = nullptr;
    kestrana::win32::UniqueWindow m_backdrop;
    gfx::LayeredWindowSurface m_surface;
    gfx::Bitmap m_frame;
    std::unique_ptr<AppMenuSide> m_app;
    UINT m_menuStateMessage = 0;
    StatusRow m_row;
    RowLayout m_rowLayout;
    std::vector<View> m_views; // by StatusKind
    gfx::Bitmap m_customLogo;
    gfx::Bitmap m_lyricsLine;
    gfx::RectI m_lyricsRect;
    BarLook m_look;
    std::optional<bool> m_wallpaperDark;
    std::optional<gfx::Color> m_tint;
    int m_tintTries = 0;
    int m_width = 0;
    int m_cornerInset = 0;
    int m_changesHeld = 0;
    bool m_heldLayOut = false;
    std::optional<gfx::RectI> m_heldRegion;
    bool m_tipTimed = false; // the tip shown is a balloon or a notice, not a hover tip
    int m_clockWidth = 0;
    bool m_appBar = false;

    Target m_pressTarget = Target::None;
    int m_pressIndex = -1;
    int m_litIndex = -2;         // the status item whose menu is open; -1 the logo, -3 "more"
    HWND m_quickCloseTarget = nullptr;

    // Show modes 1 and 2: the bar slides up out of sight and back.
    bool m_shown = true;
    std::uint64_t m_itemSlideStart = 0;
    bool m_sliding = false;
    int m_slideOffset = 0;       // 0 shown, -height hidden
    bool m_pointerInside = false;
    foundation::AccessibleId m_keyboardFocus = foundation::kAccessibleRoot; // none
    HWND m_keyboardFrom = nullptr; // in front when the bar took the keyboard
    kestrana::win32::UniqueHook m_keyboardHook; // only while the bar has the keyboard
    // The hover tip: the item under the pointer, and whether the leave is watched.
    std::unique_ptr<BarTip> m_tip;
    int m_tipIndex = -1;
    int m_tipPart = -1; // the part of an item of parts under the pointer
    bool m_watchingLeave = false;
    // Made when a screen reader first asks.
    std::unique_ptr<kestrana::win32::AccessibleHost> m_reader;
};

} // namespace kestrana::menubar::win32
