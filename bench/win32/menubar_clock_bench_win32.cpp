// The cost of the menu bar's clock tick under the real window system, at scale 1.0 on a
// 1920-pixel bar: a tick that changes nothing (read the time, compare the minute), and
// one that redraws (format the text with the system's pictures, draw it with DirectWrite,
// draw the clock's cell into the bar's picture and present only that part on a layered
// window). Prints the median and the 90th percentile in microseconds.
#include "foundation/win32/shell_window.h"
#include "gfx/win32/direct_write_text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "menubar/bar_picture.h"
#include "menubar/clock_text.h"
#include "menubar/win32/clock_formatter.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using namespace kestrana;
using Clock = std::chrono::steady_clock;

void Report(const char* what, std::vector<double>& micros) {
    std::sort(micros.begin(), micros.end());
    std::printf("%s: median %.2f us, p90 %.2f us over %zu ticks\n", what, micros[micros.size() / 2],
                micros[micros.size() * 9 / 10], micros.size());
}

} // namespace

int wmain() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaBenchBar";
    ::RegisterClassExW(&wc);
    win32::ShellWindowRequest request;
    request.className = wc.lpszClassName;
    request.width = 1920;
    request.height = 24;
    request.layered = true;
    request.toolWindow = true;
    request.noActivate = true;
    request.topmost = true;
    HWND window = win32::CreateShellWindow(request);
    auto text = gfx::DirectWriteTextRenderer::Create();
    if (!window || !text) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);

    menubar::win32::Win32ClockFormatter formatter;
    menubar::ClockTicker ticker;
    ticker.SetPatterns({L"", L"HH:mm"});
    (void)ticker.Update(menubar::win32::LocalNow(), true, formatter);
    std::vector<double> idle;
    for (int i = 0; i < 20000; ++i) {
        const auto start = Clock::now();
        // What the clock thread does every second: read the time and compare. The minute
        // is held so that no tick here redraws.
        foundation::LocalTime now = menubar::win32::LocalNow();
        now.second = 30;
        const bool redraw = ticker.Update(now, false, formatter).has_value();
        const double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (!redraw) idle.push_back(micros); // the tick that crossed a minute is not this case
    }
    Report("clock tick without change", idle);

    menubar::BarLook look;
    look.alpha = 184;
    gfx::Bitmap frame(1920, 24);
    std::vector<menubar::BarCell> none;
    menubar::DrawBarFrame(frame, look, none, 1.0f);
    gfx::LayeredWindowSurface surface;
    surface.Present(window, frame, {0, 0});
    ticker.SetPatterns({L"", L"HH:mm:ss"});
    gfx::TextStyle style;
    style.size = 13.0f;
    style.color = {255, 255, 255, 255};
    int width = 0;
    std::vector<double> redraws;
    foundation::LocalTime t = menubar::win32::LocalNow();
    for (int i = 0; i < 600; ++i) {
        t.second = i % 60;
        t.minute = (i / 60) % 60;
        const auto start = Clock::now();
        const auto clockText = ticker.Update(t, false, formatter);
        const gfx::Bitmap label = text->Draw(*clockText, style);
        width = menubar::ClockWidth(width, label.Width(), 24, 1.0f);
        menubar::BarCell cell;
        cell.rect = {1920 - 10 - width, 0, width, 24};
        cell.text = &label;
        const gfx::RectI region = cell.rect;
        menubar::DrawBarFrame(frame, look, {&cell, 1}, 1.0f, &region);
        surface.Present(window, frame, {0, 0}, 255, &region);
        redraws.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    Report("clock tick that redraws (format, text, cell, present)", redraws);
    return 0;
}
