#include "extras/win32/window_facts.h"

#include "dock/win32/dock_host.h"
#include "foundation/text.h"

#include <dwmapi.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace kestrana::extras::win32 {

std::wstring ProcessFileName(HWND window) {
    DWORD pid = 0;
    if (!::GetWindowThreadProcessId(window, &pid) || !pid) return {};
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    wchar_t image[MAX_PATH * 2] = {};
    DWORD size = static_cast<DWORD>(std::size(image));
    const bool named = ::QueryFullProcessImageNameW(process, 0, image, &size) != FALSE;
    ::CloseHandle(process);
    if (!named) return {};
    std::wstring_view path(image, size);
    return foundation::AsciiLower(path.substr(path.find_last_of(L"\\/") + 1));
}

ItemPlace FindItem(dock::win32::DockHost* host, HWND window) {
    ItemPlace place;
    if (!host || host->Count() == 0) return place;
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    std::vector<dock::win32::DockWindow*> docks;
    for (std::size_t i = 0; i < host->Count(); ++i) {
        auto* dock = host->At(i);
        if (!dock || !dock->Valid()) continue;
        if (dock->Monitor().handle == monitor) docks.insert(docks.begin(), dock);
        else docks.push_back(dock);
    }
    const WindowId id = Id(window);
    for (auto* dock : docks) {
        auto& items = dock->Bar().Items();
        std::lock_guard listLock(items.ListMutex());
        std::lock_guard windowLock(items.WindowListMutex());
        std::int32_t last = dock::kNoItemId, program = dock::kNoItemId, own = dock::kNoItemId;
        std::wstring key;
        items.ForEachReal([&](std::size_t, const dock::Dockico& item) {
            if (item.IsSeparator()) return;
            last = item.id;
            if (std::find(item.windows.begin(), item.windows.end(), id) == item.windows.end()) return;
            // A minimised window's own item names no program; the window shows there.
            if (item.appname.empty() && !item.kept) {
                own = item.id;
            } else if (program == dock::kNoItemId) {
                program = item.id;
                key = item.key;
            }
        });
        if (own != dock::kNoItemId || program != dock::kNoItemId)
            return {dock, own != dock::kNoItemId ? own : program, key, true};
        // Not (yet) on a dock: towards the end of the row, where a minimised window's own item goes.
        if (!place.dock && last != dock::kNoItemId) place = {dock, last, {}, false};
    }
    return place;
}

// Only calls that never wait on the window's thread: that thread is blocked in its
// question to us right now.
WindowLook Win32AnimationFacts::Look(WindowId id) const {
    WindowLook look;
    HWND window = Handle(id);
    look.exists = ::IsWindow(window) != FALSE;
    if (!look.exists) return look;
    const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE);
    const LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    const bool appWindowStyle = (ex & WS_EX_APPWINDOW) != 0;
    look.appWindow = ::IsWindowVisible(window) && ::GetAncestor(window, GA_ROOT) == window && !(style & WS_CHILD) &&
                     !(ex & WS_EX_TOOLWINDOW) && (appWindowStyle || !::GetWindow(window, GW_OWNER)) &&
                     ((style & WS_CAPTION) == WS_CAPTION || appWindowStyle);
    DWORD cloaked = 0;
    look.cloaked = SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
    RECT rect{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetWindowRect(window, &rect) &&
        ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        look.fullScreen = rect.left <= monitor.rcMonitor.left && rect.top <= monitor.rcMonitor.top &&
                          rect.right >= monitor.rcMonitor.right && rect.bottom >= monitor.rcMonitor.bottom;
    wchar_t text[256] = {};
    const int classLength = ::GetClassNameW(window, text, 256);
    look.className.assign(text, std::max(0, classLength));
    const int titleLength = ::InternalGetWindowText(window, text, 256);
    look.title.assign(text, std::max(0, titleLength));
    look.processName = ProcessFileName(window);
    const ItemPlace item = FindItem(m_docks ? m_docks() : nullptr, window);
    if (item.own && !item.key.empty()) look.programKeys.push_back(foundation::AsciiLower(item.key));
    if (!look.processName.empty()) look.programKeys.push_back(look.processName);
    return look;
}

int RefreshRate(HWND window) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return 60;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!::EnumDisplaySettingsW(info.szDevice, ENUM_CURRENT_SETTINGS, &mode)) return 60;
    return static_cast<int>(mode.dmDisplayFrequency);
}

bool Win32AnimationFacts::Exists(WindowId id) const { return ::IsWindow(Handle(id)) != FALSE; }

} // namespace kestrana::extras::win32
