#include "menubar/win32/bar_tip.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/shell_window.h"
#include "menubar/status_tip.h"

#include <algorithm>

namespace kestrana::menubar::win32 {
namespace {

LRESULT CALLBACK TipProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

BarTip::~BarTip() = default;

void BarTip::Show(const std::wstring& text, const RECT& cell, const RECT& screen, float scale, bool dark) {
    const auto lines = TipLines(text);
    if (lines.empty()) {
        Hide();
        return;
    }
    gfx::TextStyle style;
    style.size = 12.0f * scale;
    style.color = {255, 255, 255, 255};
    std::vector<gfx::Bitmap> pictures;
    int width = 0, height = 0;
    for (const auto& line : lines) {
        pictures.push_back(m_text.Draw(line, style));
        width = std::max(width, pictures.back().Width());
        height += pictures.back().Height();
    }
    const gfx::RectI box = PlaceTip(width, height, {cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top},
                                    cell.bottom, {screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top},
                                    scale);
    if (!m_window) {
        static const bool registered = kestrana::win32::RegisterWindowClass(kTipClass, TipProc);
        (void)registered;
        kestrana::win32::ShellWindowRequest request;
        request.className = kTipClass;
        request.x = box.x;
        request.y = box.y;
        request.width = box.width;
        request.height = box.height;
        request.layered = true;
        request.clickThrough = true;
        request.toolWindow = true;
        request.topmost = true;
        request.noActivate = true;
        request.noRedirectionBitmap = true;
        m_window.Reset(kestrana::win32::CreateShellWindow(request));
        if (!m_window) {
            foundation::LogFailure("menu bar", "the tip window could not be made");
            return;
        }
    }
    const gfx::Bitmap picture = DrawTip(pictures, box.width, box.height, dark, scale);
    if (!m_surface.Present(m_window.Get(), picture, {box.x, box.y})) {
        foundation::LogFailure("menu bar", "the tip's picture was refused");
        return;
    }
    ::ShowWindow(m_window.Get(), SW_SHOWNOACTIVATE);
    m_shown = true;
}

void BarTip::Hide() noexcept {
    if (m_window && m_shown) ::ShowWindow(m_window.Get(), SW_HIDE);
    m_shown = false;
}

} // namespace kestrana::menubar::win32
