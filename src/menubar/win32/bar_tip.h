#pragma once
// The window of a status item's tip ("VarloTip"): a small layered picture under the
// item that never takes the pointer or the keyboard.

#include "gfx/text_renderer.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/win32/layered_window_surface.h"

#include <windows.h>

#include <string>

namespace kestrana::menubar::win32 {

inline constexpr wchar_t kTipClass[] = L"VarloTip";

class BarTip {
public:
    explicit BarTip(gfx::TextRenderer& text) : m_text(text) {}
    ~BarTip();
    BarTip(const BarTip&) = delete;
    BarTip& operator=(const BarTip&) = delete;

    // Shows `text` under `cell` (screen pixels), replacing what the tip showed.
    void Show(const std::wstring& text, const RECT& cell, const RECT& screen, float scale, bool dark);
    void Hide() noexcept;
    [[nodiscard]] bool Shown() const { return m_shown; }

private:
    gfx::TextRenderer& m_text;
    gfx::LayeredWindowSurface m_surface;
    kestrana::win32::UniqueWindow m_window; // after the surface: the window goes first
    bool m_shown = false;
};

} // namespace kestrana::menubar::win32
