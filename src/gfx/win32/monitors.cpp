#include "gfx/win32/monitors.h"
#include "foundation/win32/system_function.h"

namespace kestrana::gfx {
namespace {

template <typename Fn>
Fn Entry(const wchar_t* module, const char* name) {
    HMODULE handle = ::GetModuleHandleW(module);
    if (!handle) handle = ::LoadLibraryW(module);
    return kestrana::win32::FunctionIn<Fn>(handle, name);
}

float MonitorScale(HMONITOR monitor) {
    // shcore's GetDpiForMonitor is absent before Windows 8.1; fall back to the system DPI.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpi = Entry<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT dpiX = 96, dpiY = 96;
    if (getDpi && SUCCEEDED(getDpi(monitor, 0 /* effective */, &dpiX, &dpiY)) && dpiX > 0)
        return static_cast<float>(dpiX) / 96.0f;
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<float>(dpi) / 96.0f : 1.0f;
}

BOOL CALLBACK Collect(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    auto* list = reinterpret_cast<std::vector<MonitorInfo>*>(param);
    MONITORINFOEXW info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    MonitorInfo m;
    m.handle = monitor;
    m.deviceName = info.szDevice;
    m.rect = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    m.workArea = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    m.dpiScale = MonitorScale(monitor);
    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    if (::EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) m.refreshHz = static_cast<int>(mode.dmDisplayFrequency);
    list->push_back(std::move(m));
    return TRUE;
}

} // namespace

std::vector<MonitorInfo> EnumerateMonitors() {
    std::vector<MonitorInfo> list;
    ::EnumDisplayMonitors(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&list));
    return list;
}

void EnablePerMonitorDpiAwareness() noexcept {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    using SetAwarenessFn = HRESULT(WINAPI*)(int);
    if (const auto setContext = Entry<SetContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 = -4, _PER_MONITOR_AWARE = -3.
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4)))) return;
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3)))) return;
    }
    if (const auto setAwareness = Entry<SetAwarenessFn>(L"shcore.dll", "SetProcessDpiAwareness")) {
        setAwareness(2 /* PROCESS_PER_MONITOR_DPI_AWARE */);
        return;
    }
    ::SetProcessDPIAware();
}

} // namespace kestrana::gfx
