#include "foundation/win32/startup_environment.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>

namespace kestrana::win32 {

using foundation::CalendarDate;
using foundation::MonitorDescription;

namespace {

// GetDpiForMonitor lives in shcore, which older systems and some Wine set-ups lack.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;

GetDpiForMonitorFn DpiQuery() {
    static const GetDpiForMonitorFn query = [] {
        HMODULE shcore = ::LoadLibraryW(L"shcore.dll");
        return shcore ? kestrana::win32::FunctionIn<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor")
                      : nullptr;
    }();
    return query;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept {
    try {
        auto& list = *reinterpret_cast<std::vector<MonitorDescription>*>(data);
        MONITORINFOEXW info{};
        info.cbSize = sizeof info;
        if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
        MonitorDescription description;
        description.deviceName = info.szDevice;
        description.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        description.dpiScale = 0.0f;
        UINT dpiX = 0;
        UINT dpiY = 0;
        if (const auto query = DpiQuery(); query && SUCCEEDED(query(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0) {
            description.dpiScale = static_cast<float>(dpiX) / 96.0f;
        }
        // The scale the display mode records: physical pixels over the pixels this process sees.
        description.recordedScale = 1.0f;
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        const LONG logicalWidth = info.rcMonitor.right - info.rcMonitor.left;
        if (::EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) && logicalWidth > 0 && mode.dmPelsWidth > 0) {
            description.recordedScale = static_cast<float>(mode.dmPelsWidth) / static_cast<float>(logicalWidth);
        }
        list.push_back(std::move(description));
    } catch (...) {
        kestrana::foundation::LogCaught("start-up AddMonitor");
    }
    return TRUE;
}

} // namespace

std::vector<MonitorDescription> Win32MonitorList::Monitors() const {
    std::vector<MonitorDescription> list;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
    return list;
}

CalendarDate Win32Calendar::Today() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return CalendarDate{now.wYear, now.wMonth, now.wDay};
}

std::wstring Win32SystemFont::UiFontName() const {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return {};
    return metrics.lfMessageFont.lfFaceName;
}

bool SetProcessCurrentDirectory(const std::wstring& folder) noexcept { return ::SetCurrentDirectoryW(folder.c_str()) != FALSE; }

} // namespace kestrana::win32
