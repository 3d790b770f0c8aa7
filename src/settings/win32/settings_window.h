#pragma once
// The settings window ("KestranaSettings"): the list of pages on the left, the chosen
// page's standard controls on the right, built from the page descriptions. Every change
// is written at once and handed to the running program; the window remembers its size
// and place and follows the DPI of the monitor it is on. User-interface thread only.

#include "foundation/settings_pages.h"
#include "foundation/win32/unique_handle.h"
#include "settings/settings_catalogue.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrana::settings::win32 {

inline constexpr wchar_t kSettingsWindowClass[] = L"KestranaSettings";

struct WindowServices {
    foundation::ConfigStore& store;
    PagePorts ports;
    // The running features take a change ("Dock", "MenuBar", ...).
    std::function<void(foundation::SettingEffect)> apply;
    std::function<void()> restart;
    // Any other button of a page ("backup", "restore", ...): the program carries it out
    // and gives back the text to show, if any.
    std::function<std::optional<foundation::TextRef>(std::wstring_view action, HWND owner)> act;
};

class SettingsWindow {
public:
    explicit SettingsWindow(WindowServices services);
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    // Makes the window when it is not there and brings it to the front; false when it
    // could not be made (or when called off the user-interface thread).
    bool Show(std::wstring_view pageId = {});
    [[nodiscard]] HWND Handle() const { return m_window.Get(); }
    // Values may have changed elsewhere (the dock menu's lock): the page reads them again,
    // with `custom` also those kept outside the settings files.
    void Refresh(bool custom = true);

    // Tab, the arrows and Alt+access keys between the window's controls; the message
    // loop asks before it dispatches. True when the message was handled.
    static bool HandleDialogMessage(MSG& message) noexcept;

private:
    struct Row {
        const foundation::ControlDescriptor* control = nullptr;
        kestrana::win32::UniqueWindow label;
        kestrana::win32::UniqueWindow main;  // trackbar, check box, combo box, edit, button
        kestrana::win32::UniqueWindow field; // a slider's number field
        kestrana::win32::UniqueWindow up;    // an order list's buttons
        kestrana::win32::UniqueWindow down;
        kestrana::win32::UniqueWindow tip;
        std::vector<foundation::Choice> choices; // as the combo box lists them
        std::wstring shown;                      // the value the control shows
        std::wstring tipText;                    // the tip or note the line below shows
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnVerticalScroll(WPARAM wParam);
    bool OnTimer(WPARAM id); // false: not one of ours
    void OnDpiChanged(WPARAM wParam, const RECT& suggested);
    void OnActivate(WPARAM wParam);
    bool OnCommand(WPARAM wParam, LPARAM lParam); // false: the default procedure's
    void OnClose();
    bool Create();
    void ShowPage(std::size_t index);
    void BuildRow(Row& row, int id);
    void LoadRow(Row& row);
    void UpdateEnabled();
    // The notes the running program gives (a hotkey refused); true when one changed.
    bool UpdateNotes();
    void Layout();
    // Places a row's control at (x, y); returns how much taller than a row it stands.
    int PlaceControl(Row& row, int x, int y, int width, int height);
    // Places a row's note under it, wrapped to the page; returns the height it takes.
    int PlaceTip(Row& row, int left, int y, int right);
    void SetScrollRange(long pageHeight);
    // Pages taller than the window scroll: by the bar, the wheel, and to the control
    // that takes the keyboard focus.
    void ScrollTo(int offset);
    void ScrollFocusIntoView();
    // Keyboard focus back to the control that had it, or the page list.
    void RestoreFocus();
    // A picture row's pixels, over the window's background.
    void DrawPicture(const DRAWITEMSTRUCT& item);
    // The height `text` takes in the window's font, wrapped to `width`.
    [[nodiscard]] int WrappedHeight(const std::wstring& text, int width) const;
    // Sets the window's font on every control; `make`: made anew first (a new DPI).
    void ApplyFont(bool make = true);
    // Light or dark as the system's apps are: the title bar, the page and the controls,
    // as far as the system lets a program colour its standard controls.
    void ApplyLook();
    void ThemeChildren();
    // A WM_CTLCOLOR* answer in the dark look; null in the light one (the system's colours).
    HBRUSH ControlColours(UINT message, HDC dc) const;
    void Commit(Row& row, std::wstring_view value);
    // An order list's chosen entry moved a place up (-1) or down (+1).
    void MoveChosen(Row& row, int step);
    void CommitField(HWND field);
    void SetStatus(const std::wstring& text);
    void RememberPlace();
    [[nodiscard]] Row* RowOf(HWND control);
    [[nodiscard]] int Scaled(int pixels) const;
    [[nodiscard]] std::wstring Text(const foundation::TextRef& text) const;

    WindowServices m_services;
    foundation::SettingsPages m_pages;
    foundation::SettingsModel m_model;
    kestrana::win32::UniqueWindow m_window;
    HWND m_list = nullptr;   // children of m_window, destroyed with it
    HWND m_status = nullptr;
    HWND m_lastFocus = nullptr;
    HWND m_capturing = nullptr; // the key field whose press waits to be written
    kestrana::win32::UniqueGdiObject m_font;
    bool m_dark = false;
    kestrana::win32::UniqueGdiObject m_pageBrush;  // the page behind the controls
    kestrana::win32::UniqueGdiObject m_fieldBrush; // edit fields and lists
    UINT m_dpi = 96;
    std::size_t m_page = 0;
    int m_scroll = 0;          // how far the page is scrolled, in pixels
    int m_contentHeight = 0;   // the page's height at its last layout
    bool m_laying = false;
    bool m_showing = false; // Show brings the window up: activation reads nothing
    std::vector<std::unique_ptr<Row>> m_rows;
    kestrana::win32::UniqueWindow m_emptyNote;
};

} // namespace kestrana::settings::win32
