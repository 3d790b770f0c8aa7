// The cost of one dock frame under the real window system: the magnification layout, the
// drawing of what changed and the presentation on a layered window, while the pointer
// sweeps a fully magnified row of 30 icons at scale 1.0 (64 px at rest, up to 128 px).
// Then the cost of the clock's tick at rest: a new clock picture each second, drawn, taken
// into the row and presented. Prints the median and the 90th percentile in microseconds.
#include "dock/live_pictures.h"
#include "dock/ondel_bar.h"
#include "foundation/win32/shell_window.h"
#include "gfx/canvas.h"
#include "gfx/win32/layered_window_surface.h"
#include "themes/dock_skin.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using namespace kestrana;

class BenchPlatform final : public dock::DockPlatform {
public:
    explicit BenchPlatform(HWND window) : m_window(window) {}
    std::int64_t NowMs() override { return m_now; }
    void PlaceWindows(const dock::ScreenRect& window, const dock::ScreenRect&) override { m_rect = window; }
    bool present = true;
    void Present(const gfx::Bitmap& frame, const gfx::RectI& part, const gfx::RectI& dirty, dock::SlideOffset,
                 std::uint8_t opacity) override {
        shown = part;
        if (!present) return;
        m_surface.PresentPart(m_window, frame, part, {m_rect.left + part.x, m_rect.top + part.y}, opacity, &dirty);
    }
    gfx::RectI shown;
    void RequestFrame(std::int64_t dueMs) override { m_due = dueMs; }
    void ApplyZOrder(dock::ZOrder) override {}
    void ShowActivationBar(bool, const dock::ScreenRect&) override {}
    void ShowLabel(const std::optional<dock::LabelRequest>&) override {}
    void SamplePointer(bool) override {}
    void ScheduleStripCheck(std::int64_t) override {}
    void PlaceBackdrop(const std::optional<dock::ScreenRect>&, int) override {}

    std::int64_t m_now = 0;
    std::optional<std::int64_t> m_due;

private:
    HWND m_window;
    dock::ScreenRect m_rect;
    gfx::LayeredWindowSurface m_surface;
};

gfx::Bitmap Icon(int index) {
    gfx::Bitmap picture(256, 256);
    gfx::Canvas canvas(picture);
    const auto c = static_cast<std::uint8_t>(40 + index * 7);
    canvas.FillRoundedRect({20, 20, 216, 216}, 52, gfx::Color{c, static_cast<std::uint8_t>(255 - c), 180, 255});
    canvas.FillRoundedRect({80, 80, 96, 96}, 20, gfx::Color{255, 255, 255, 230});
    return picture;
}

} // namespace

int wmain() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestranaBenchDock";
    ::RegisterClassExW(&wc);
    win32::ShellWindowRequest request;
    request.className = wc.lpszClassName;
    request.width = 256;
    request.height = 256;
    request.layered = true;
    request.toolWindow = true;
    request.noActivate = true;
    request.topmost = true;
    HWND window = win32::CreateShellWindow(request);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);

    BenchPlatform platform(window);
    themes::DockSkin skin = themes::DockSkin::BuiltIn({});
    dock::DockSettings settings;
    settings.defaultSize = 64;
    settings.maxSize = 128;
    settings.runIcon = true;
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    dock::OndelBar bar(platform, skin, settings, {{0, 0, std::max(width, 2600), height}, 1.0f, 0}, {}, 60);
    for (int i = 0; i < 30; ++i) {
        auto item = dock::MakeDockico();
        item->picture = std::make_shared<const gfx::Bitmap>(Icon(i));
        item->running = i % 3 == 0;
        bar.Items().Append(std::move(item));
    }
    bar.ItemsChanged();

    const dock::ScreenRect area = bar.Model().DockAreaRect();
    const int y = (area.top + area.bottom) / 2;
    bar.PointerMoved({area.left + 10, y});
    while (platform.m_due) { // grow to full magnification
        platform.m_now = *platform.m_due;
        platform.m_due.reset();
        bar.Frame();
    }

    for (const bool present : {true, false}) {
    platform.present = present;
    std::vector<double> micros;
    int x = area.left + 10, step = 7;
    for (int frame = 0; frame < 1500; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        bar.PointerMoved({x, y});
        // The move is laid out and drawn by the next frame.
        platform.m_now += 17;
        platform.m_due.reset();
        bar.Frame();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        x += step;
        if (x >= area.right - 10 || x <= area.left + 10) step = -step;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("dock frame %s (30 icons, scale 1.0, magnified, %dx%d window): median %.0f us, p90 %.0f us over %zu frames\n",
                present ? "drawn and presented" : "drawn only", platform.shown.width, platform.shown.height,
                micros[micros.size() / 2], micros[micros.size() * 9 / 10],
                micros.size());
    }

    // At rest: the pointer leaves and the row shrinks back.
    bar.PointerLeft();
    while (platform.m_due) {
        platform.m_now = *platform.m_due;
        platform.m_due.reset();
        bar.Frame();
    }
    dock::ClockSkinPictures clock;
    clock.face = Icon(1);
    for (gfx::Bitmap* hand : {&clock.hour, &clock.minute, &clock.second}) {
        *hand = gfx::Bitmap(256, 256);
        gfx::Canvas(*hand).FillRoundedRect({124, 40, 8, 96}, 3, gfx::Color{30, 30, 30, 255});
    }
    for (const bool present : {true, false}) {
    platform.present = present;
    std::vector<double> draw, tick;
    for (int second = 0; second < 600; ++second) {
        const auto start = std::chrono::steady_clock::now();
        auto picture = std::make_shared<const gfx::Bitmap>(dock::DrawClockPicture(clock, 10, 7, second % 60, true, 256));
        const auto drawn = std::chrono::steady_clock::now();
        {
            std::lock_guard lock(bar.Items().ListMutex());
            bar.Items().ForEachReal([&](std::size_t index, dock::Dockico& item) {
                if (index == dock::DockItems::kFirstReal + 3) item.picture = picture;
            });
        }
        bar.Redraw();
        const auto end = std::chrono::steady_clock::now();
        draw.push_back(std::chrono::duration<double, std::micro>(drawn - start).count());
        tick.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    std::sort(draw.begin(), draw.end());
    std::sort(tick.begin(), tick.end());
    std::printf("clock tick at rest (%dx%d window): clock drawn median %.0f us; drawn, taken in%s median "
                "%.0f us, p90 %.0f us over %zu ticks\n",
                platform.shown.width, platform.shown.height, draw[draw.size() / 2], present ? " and presented" : "",
                tick[tick.size() / 2], tick[tick.size() * 9 / 10], tick.size());
    }
    return 0;
}
