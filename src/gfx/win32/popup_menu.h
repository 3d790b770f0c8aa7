#pragma once
// The program's one pop-up menu window: shows a Menu (with submenus) as layered windows
// drawn by the menu renderer, and runs until a row is chosen or the menu is dismissed,
// the way the system's own pop-up menus do: the pointer and the keyboard drive it, a
// press outside or a switch to another program closes it.

#include "gfx/menu_model.h"
#include "gfx/text_renderer.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace kestrana::gfx {

struct PopupMenuOptions {
    // The windows' class; a surface may give its own (the bar's are "VarloChildApp") and
    // a property naming its object, set on every window of the menu.
    std::wstring className = L"KestranaMenu";
    const wchar_t* ownerProperty = nullptr;
    void* ownerValue = nullptr;
    // A property naming the menu's owner window, set on every window of the menu.
    const wchar_t* parentProperty = nullptr;
    float scale = 1.0f;
    bool dark = false;
    std::uint8_t opacity = 246;
    // A slider row moved (its id, the new value 0..100) while the menu stays open; the
    // answer is the value it shows then (a refused change leaves the old one). Only the
    // first level's sliders are live.
    std::function<int(int id, int value)> slide;
};

// Opens the menu with its top-left corner at `anchor` (screen pixels), above `flipY`
// when there is no room below, and returns the chosen row's id, or 0. Runs a nested
// message loop on the calling (user-interface) thread; other windows keep working.
// Touch and pen work as the mouse does: a finger on a row lights it (and opens its
// sub-menu), lifting it there chooses the row, a touch outside closes the menu.
[[nodiscard]] int RunPopupMenu(HWND owner, const Menu& menu, POINT anchor, int flipY, TextRenderer& text,
                               const PopupMenuOptions& options) noexcept;

// True while a menu is open.
[[nodiscard]] bool PopupMenuOpen() noexcept;
// Gives the open menu new rows (a pop-up of readings that keep changing); redraws only
// when a row differs. Menus with submenus, or with one open, are left as they are.
void UpdatePopupMenu(const Menu& menu) noexcept;
// Closes the open menu as dismissed (from the user-interface thread).
void CancelPopupMenu() noexcept;

} // namespace kestrana::gfx
