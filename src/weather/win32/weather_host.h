#pragma once
// The weather on Windows: the feed with its WinHTTP client and location source, the
// dock item's picture redrawn when the data or day and night change, the value a screen
// reader hears, and the pop-up view the item opens. Lives on the user-interface thread.

#include "foundation/config_store.h"
#include "foundation/win32/unique_handle.h"
#include "gfx/image_decoder.h"
#include "gfx/text_renderer.h"
#include "gfx/win32/layered_window_surface.h"
#include "weather/weather_feed.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace kestrana::weather::win32 {

struct WeatherHostServices {
    foundation::ConfigStore& store;
    gfx::TextRenderer& text;
    const gfx::ImageDecoder& decoder;
    // Starts a job on a worker; false when none could be started.
    std::function<bool(std::function<void()>)> runWorker;
};

class WeatherHost {
public:
    static constexpr wchar_t kViewClass[] = L"OndelWeatherView";
    static constexpr int kPictureSize = 256;
    // Posted to the view's window: open it near the pointer.
    static constexpr UINT kMsgShowView = WM_APP + 1;

    explicit WeatherHost(WeatherHostServices services);
    ~WeatherHost();
    WeatherHost(const WeatherHost&) = delete;
    WeatherHost& operator=(const WeatherHost&) = delete;

    // Asks for the position (on a worker) and makes the view's window, hidden.
    void Start();
    // Every second: takes over finished work and fetches when due while an item shows.
    void Tick(bool itemShown);
    void Resumed() { m_feed.Resumed(); }
    void NewMinute() { m_feed.NewMinute(); }
    // The item's picture, the same pointer until something it shows changed; none before
    // the first data.
    [[nodiscard]] std::shared_ptr<const gfx::Bitmap> Picture();
    // "21°, Clear"; empty before the first data.
    [[nodiscard]] std::wstring Summary() const;
    // Whether it is night to the minute by today's sun times (the clock skin's switch).
    [[nodiscard]] bool NightForClock() const;
    // Opens the view near the pointer; from any thread.
    void RequestView() const noexcept;
    [[nodiscard]] HWND ViewWindow() const noexcept { return m_view.Get(); }

private:
    static LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void ShowView();
    gfx::Bitmap ConditionPicture(const std::wstring& code, bool night) const;
    std::wstring ConditionText(const std::wstring& code) const;
    [[nodiscard]] bool NightNow() const;

    WeatherHostServices m_services;
    WeatherFeed m_feed;
    kestrana::win32::UniqueWindow m_view;
    gfx::LayeredWindowSurface m_surface;
    std::shared_ptr<const gfx::Bitmap> m_picture;
    std::uint64_t m_pictureGeneration = ~std::uint64_t(0);
    bool m_pictureNight = false;
};

} // namespace kestrana::weather::win32
