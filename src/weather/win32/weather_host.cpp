#include "weather/win32/weather_host.h"

#include "foundation/diagnostic_log.h"
#include "weather/weather_codes.h"
#include "weather/weather_picture.h"
#include "weather/win32/location_source.h"
#include "weather/win32/winhttp_client.h"

namespace kestrana::weather::win32 {

namespace {

constexpr int kViewWidth = 340; // at 96 dots per inch

CivilDate Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

int HourNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now.wHour;
}

std::wstring ShortWeekday(const CivilDate& date) {
    SYSTEMTIME day{};
    day.wYear = WORD(date.year);
    day.wMonth = WORD(date.month);
    day.wDay = WORD(date.day);
    day.wDayOfWeek = WORD(Weekday(date));
    wchar_t text[32] = {};
    if (::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &day, L"ddd", text, 32, nullptr) == 0) return {};
    return text;
}

} // namespace

WeatherHost::WeatherHost(WeatherHostServices services)
    : m_services(std::move(services)),
      m_feed({m_services.store, std::make_shared<WinHttpClient>(), std::make_shared<Win32PositionSource>(), m_services.runWorker,
              Today, ::GetSystemDefaultLCID() == 2052}) {}

WeatherHost::~WeatherHost() = default;

void WeatherHost::Start() {
    m_feed.StartLocating();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = ViewProc;
    cls.hInstance = instance;
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kViewClass;
    if (!::RegisterClassExW(&cls) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        foundation::LogFailure("weather view", "window class not registered");
        return;
    }
    m_view.Reset(::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kViewClass, L"Weather", WS_POPUP, 0, 0, 1, 1,
                                   nullptr, nullptr, instance, this));
    if (!m_view) foundation::LogFailure("weather view", "window not made (" + std::to_string(::GetLastError()) + ")");
}

void WeatherHost::Tick(bool itemShown) {
    m_feed.Tick(std::chrono::steady_clock::now(), itemShown);
}

bool WeatherHost::NightNow() const {
    return IsNightHour(HourNow(), m_feed.Sun());
}

bool WeatherHost::NightForClock() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return IsNightAt(now.wHour, now.wMinute, m_feed.Sun());
}

gfx::Bitmap WeatherHost::ConditionPicture(const std::wstring& code, bool night) const {
    if (code.empty() || code.find_first_of(L"\\/:.") != std::wstring::npos) return {};
    auto& files = m_services.store.Files();
    const std::wstring path = weather::ConditionPicture(m_services.store.BaseFolder(), code, night,
                                                        [&](const std::wstring& p) { return files.IsFile(p); });
    if (!files.IsFile(path)) return {};
    const auto bytes = files.Read(path);
    auto picture = bytes ? m_services.decoder.Decode(*bytes, {kPictureSize, kPictureSize}) : std::nullopt;
    return picture ? std::move(*picture) : gfx::Bitmap();
}

std::wstring WeatherHost::ConditionText(const std::wstring& code) const {
    if (code.empty()) return {};
    return m_services.store.LanguageText(L"weather", code, ConditionDefaultText(code));
}

std::shared_ptr<const gfx::Bitmap> WeatherHost::Picture() {
    // Until the first answer the item keeps its themed picture.
    if (!m_feed.Data().now) return nullptr;
    const bool night = NightNow();
    if (m_picture && m_pictureGeneration == m_feed.Generation() && m_pictureNight == night) return m_picture;
    m_pictureGeneration = m_feed.Generation();
    m_pictureNight = night;
    m_picture = std::make_shared<const gfx::Bitmap>(DrawWeatherPicture(
        m_feed.Data(), night, m_services.text, [this](const std::wstring& code, bool n) { return ConditionPicture(code, n); },
        kPictureSize));
    return m_picture;
}

std::wstring WeatherHost::Summary() const {
    const WeatherData& data = m_feed.Data();
    return WeatherSummary(data, data.now ? ConditionText(data.now->code) : std::wstring());
}

void WeatherHost::RequestView() const noexcept {
    if (m_view) ::PostMessageW(m_view.Get(), kMsgShowView, 0, 0);
}

void WeatherHost::ShowView() {
    if (!m_view) return;
    const HMONITOR monitor = ::MonitorFromWindow(m_view.Get(), MONITOR_DEFAULTTOPRIMARY);
    POINT pointer{};
    ::GetCursorPos(&pointer);
    const HMONITOR under = ::MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(under ? under : monitor, &info);
    const UINT dpi = ::GetDpiForWindow(m_view.Get());
    const int width = ::MulDiv(kViewWidth, dpi ? int(dpi) : 96, 96);

    WeatherPanelTexts texts;
    const WeatherPlace& place = m_feed.Place();
    texts.place = !place.name.empty() ? place.name : place.coordinates;
    if (texts.place.empty()) texts.place = m_services.store.LanguageText(L"systemicon", L"weather", L"Weather");
    const WeatherData& data = m_feed.Data();
    if (data.now) texts.condition = ConditionText(data.now->code);
    texts.weekday = ShortWeekday;
    texts.sunrise = m_services.store.LanguageText(L"weather", L"sunrise", L"Sunrise");
    texts.sunset = m_services.store.LanguageText(L"weather", L"sunset", L"Sunset");
    texts.noData = m_services.store.LanguageText(L"weather", L"nodata", L"No weather data yet");
    if (m_feed.DataProvider() == Provider::OpenMeteo && data.now) texts.attribution = L"Weather data by Open-Meteo.com (CC BY 4.0)";
    const gfx::Bitmap panel = DrawWeatherPanel(
        data, texts, HourNow(), m_feed.Sun(), m_services.text,
        [this](const std::wstring& code, bool n) { return ConditionPicture(code, n); }, width);

    // Beside the pointer, inside the monitor's work area.
    const RECT& work = info.rcWork;
    POINT at{pointer.x - panel.Width() / 2, pointer.y - panel.Height() - 24};
    if (at.y < work.top) at.y = pointer.y + 24;
    at.x = std::max<LONG>(work.left, std::min<LONG>(at.x, work.right - panel.Width()));
    at.y = std::max<LONG>(work.top, std::min<LONG>(at.y, work.bottom - panel.Height()));
    if (!m_surface.Present(m_view.Get(), panel, at)) foundation::LogFailure("weather view", "could not present the view");
    ::ShowWindow(m_view.Get(), SW_SHOW);
    ::SetForegroundWindow(m_view.Get());
}

LRESULT CALLBACK WeatherHost::ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetPropW(window, L"OndelWeatherPtr", create->lpCreateParams);
        }
        auto* self = static_cast<WeatherHost*>(::GetPropW(window, L"OndelWeatherPtr"));
        switch (message) {
        case kMsgShowView:
            if (self) self->ShowView();
            return 0;
        case WM_ACTIVATE:
            // Like a menu: the view goes when anything else is clicked.
            if (LOWORD(wParam) == WA_INACTIVE) ::ShowWindow(window, SW_HIDE);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) ::ShowWindow(window, SW_HIDE);
            return 0;
        case WM_LBUTTONUP:
            ::ShowWindow(window, SW_HIDE);
            return 0;
        case WM_NCDESTROY:
            ::RemovePropW(window, L"OndelWeatherPtr");
            break;
        default:
            break;
        }
    } catch (...) {
        foundation::LogCaught("weather view");
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace kestrana::weather::win32
