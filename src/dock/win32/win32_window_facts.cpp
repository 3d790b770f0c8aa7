#include "dock/win32/win32_window_facts.h"

#include "dock/win32/item_system.h"
#include "foundation/diagnostic_log.h"
#include "foundation/win32/system_function.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>
#include <dwmapi.h>
#include <objbase.h>
#include <propidl.h>
#include <propsys.h>
#include <wrl/client.h>

#include <unordered_map>
#include <vector>

namespace kestrana::dock {

namespace {

// Both are looked up at run time: the package call is missing before Windows 8, and the
// property-store call must come from shell32 (a direct import may bind to a library that
// only has a stub of it, which ends the process when called).
using GetPackageFamilyNameFn = LONG(WINAPI*)(HANDLE, UINT32*, PWSTR);
using PropertyStoreForWindowFn = HRESULT(WINAPI*)(HWND, REFIID, void**);

GetPackageFamilyNameFn PackageFamilyNameCall() {
    static const auto call =
        kestrana::win32::LoadedFunction<GetPackageFamilyNameFn>(L"kernel32.dll", "GetPackageFamilyName");
    return call;
}

PropertyStoreForWindowFn PropertyStoreCall() {
    static const auto call = [] {
        HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
        if (!shell) shell = ::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shell ? kestrana::win32::FunctionIn<PropertyStoreForWindowFn>(shell, "SHGetPropertyStoreForWindow")
                     : nullptr;
    }();
    return call;
}

// System.AppUserModel.ID, written out so that no property-system library is linked.
constexpr PROPERTYKEY kAppUserModelId = {{0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

std::wstring WindowText(HWND window) {
    // Another process's title is read from the window manager, not asked of the
    // process, so a hung program cannot stall us.
    std::vector<wchar_t> buffer(512);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int got = ::InternalGetWindowText(window, buffer.data(), static_cast<int>(buffer.size()));
        if (got <= 0) return {};
        if (static_cast<std::size_t>(got) < buffer.size() - 1) return std::wstring(buffer.data(), got);
        buffer.resize(buffer.size() * 4);
    }
    return std::wstring(buffer.data());
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) noexcept {
    try {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    } catch (...) {
        foundation::LogCaught("window list");
        return FALSE;
    }
}

win32::UniqueKernelHandle OpenForQuery(std::uint32_t processId) {
    if (!processId) return {};
    return win32::UniqueKernelHandle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
}

} // namespace

bool Win32WindowFacts::IsWindow(WindowId window) const { return window != WindowId::None && ::IsWindow(ToHwnd(window)); }

std::wstring Win32WindowFacts::ClassName(WindowId window) const {
    try {
        wchar_t name[257] = {};
        const int got = ::GetClassNameW(ToHwnd(window), name, static_cast<int>(std::size(name)));
        return got > 0 ? std::wstring(name, got) : std::wstring();
    } catch (...) {
        foundation::LogCaught("window facts ClassName");
        return {};
    }
}

std::wstring Win32WindowFacts::Title(WindowId window) const {
    try {
        return WindowText(ToHwnd(window));
    } catch (...) {
        foundation::LogCaught("window facts Title");
        return {};
    }
}

bool Win32WindowFacts::ChildStyle(WindowId window) const {
    return (::GetWindowLongPtrW(ToHwnd(window), GWL_STYLE) & WS_CHILD) != 0;
}

WindowId Win32WindowFacts::Owner(WindowId window) const { return ToWindowId(::GetWindow(ToHwnd(window), GW_OWNER)); }

bool Win32WindowFacts::Cloaked(WindowId window) const {
    DWORD cloaked = 0;
    return SUCCEEDED(::DwmGetWindowAttribute(ToHwnd(window), DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked != 0;
}

std::uint32_t Win32WindowFacts::ProcessId(WindowId window) const {
    DWORD pid = 0;
    if (window == WindowId::None || !::GetWindowThreadProcessId(ToHwnd(window), &pid)) return 0;
    return pid;
}

std::wstring Win32WindowFacts::ProcessImagePath(std::uint32_t processId) const {
    try {
        const auto process = OpenForQuery(processId);
        if (!process) return {};
        std::vector<wchar_t> buffer(MAX_PATH);
        for (int attempt = 0; attempt < 4; ++attempt) {
            DWORD size = static_cast<DWORD>(buffer.size());
            if (::QueryFullProcessImageNameW(process.Get(), 0, buffer.data(), &size)) return std::wstring(buffer.data(), size);
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
            buffer.resize(buffer.size() * 4);
        }
        return {};
    } catch (...) {
        foundation::LogCaught("window facts ProcessImagePath");
        return {};
    }
}

std::wstring Win32WindowFacts::PackageFamilyName(std::uint32_t processId) const {
    try {
        const auto call = PackageFamilyNameCall();
        if (!call) return {};
        const auto process = OpenForQuery(processId);
        if (!process) return {};
        UINT32 length = 0;
        // A process outside any package answers APPMODEL_ERROR_NO_PACKAGE here.
        if (call(process.Get(), &length, nullptr) != ERROR_INSUFFICIENT_BUFFER || length == 0 || length > 1024) return {};
        std::vector<wchar_t> name(length);
        if (call(process.Get(), &length, name.data()) != ERROR_SUCCESS) return {};
        return std::wstring(name.data());
    } catch (...) {
        foundation::LogCaught("window facts PackageFamilyName");
        return {};
    }
}

std::wstring Win32WindowFacts::ApplicationId(WindowId window) const {
    try {
        const auto call = PropertyStoreCall();
        if (!call || !::IsWindow(ToHwnd(window))) return {};
        win32::ComApartment apartment(COINIT_MULTITHREADED);
        Microsoft::WRL::ComPtr<IPropertyStore> store;
        if (FAILED(call(ToHwnd(window), IID_PPV_ARGS(&store))) || !store) return {};
        PROPVARIANT value;
        ::PropVariantInit(&value);
        std::wstring id;
        if (SUCCEEDED(store->GetValue(kAppUserModelId, &value)) && value.vt == VT_LPWSTR && value.pwszVal)
            id = value.pwszVal;
        ::PropVariantClear(&value);
        return id;
    } catch (...) {
        foundation::LogCaught("window facts ApplicationId");
        return {};
    }
}

WindowId Win32WindowFacts::FindChild(WindowId parent, std::wstring_view className) const {
    try {
        const std::wstring name(className);
        return ToWindowId(::FindWindowExW(ToHwnd(parent), nullptr, name.c_str(), nullptr));
    } catch (...) {
        foundation::LogCaught("window facts FindChild");
        return WindowId::None;
    }
}

WindowId Win32WindowFacts::FindTopLevel(std::wstring_view className, std::wstring_view title) const {
    try {
        const std::wstring name(className);
        const std::wstring text(title);
        return ToWindowId(::FindWindowW(name.c_str(), text.c_str()));
    } catch (...) {
        foundation::LogCaught("window facts FindTopLevel");
        return WindowId::None;
    }
}

std::wstring Win32WindowFacts::KnownFolderPath(std::wstring_view folderId) const {
    return Win32ItemShell().KnownFolderPath(folderId);
}

std::wstring Win32WindowFacts::WindowsFolder() const { return Win32ItemShell().WindowsFolder(); }

std::wstring Win32WindowFacts::FindByTitle(Browser browser, std::wstring_view title) const {
    return m_webApps.FindByTitle(browser, title);
}

namespace {

// What the style word alone tells: a top-level window has no parent that could hide it.
void ReadStyle(LONG_PTR style, WindowShape& shape) {
    shape.visible = (style & WS_VISIBLE) != 0 && !(style & WS_CHILD);
    shape.minimised = shape.visible && (style & WS_MINIMIZE) != 0;
}

} // namespace

Win32WindowFacts::StableFacts Win32WindowFacts::ReadStableFacts(HWND window, std::uint32_t pass) {
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    return {(exStyle & WS_EX_TOOLWINDOW) != 0, (exStyle & WS_EX_APPWINDOW) != 0, ::GetWindow(window, GW_OWNER) != nullptr,
            pass};
}

void Win32WindowFacts::Complete(WindowId window, const StableFacts& facts, WindowShape& shape) const {
    shape.toolWindow = facts.toolWindow;
    shape.appWindow = facts.appWindow;
    shape.owned = facts.owned;
    // Only a window the task list would show otherwise is worth asking the window manager about.
    if (!shape.toolWindow && (!shape.owned || shape.appWindow)) shape.cloaked = Cloaked(window);
}

std::vector<TopLevelWindow> Win32WindowFacts::Enumerate() const {
    std::vector<TopLevelWindow> windows;
    try {
        std::vector<HWND> handles;
        handles.reserve(256);
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&handles));
        windows.reserve(handles.size());
        std::lock_guard lock(m_stableMutex);
        const std::uint32_t pass = ++m_pass;
        std::unordered_map<HWND, StableFacts> kept;
        kept.reserve(m_stable.size() + 8);
        for (HWND handle : handles) {
            TopLevelWindow entry{ToWindowId(handle), {}};
            ReadStyle(::GetWindowLongPtrW(handle, GWL_STYLE), entry.shape);
            if (entry.shape.visible) {
                const auto known = m_stable.find(handle);
                const StableFacts facts = known != m_stable.end() && pass - known->second.readAt < kStableFactsPasses
                                              ? known->second
                                              : ReadStableFacts(handle, pass);
                Complete(entry.window, facts, entry.shape);
                kept.emplace(handle, facts);
            }
            windows.push_back(entry);
        }
        m_stable = std::move(kept);
    } catch (...) {
        foundation::LogCaught("window facts Enumerate");
    }
    return windows;
}

WindowShape Win32WindowFacts::Shape(WindowId window) const {
    WindowShape shape;
    if (window == WindowId::None) return shape;
    HWND handle = ToHwnd(window);
    ReadStyle(::GetWindowLongPtrW(handle, GWL_STYLE), shape);
    if (shape.visible) Complete(window, ReadStableFacts(handle, 0), shape);
    return shape;
}

void Win32Pause::Sleep(int milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0)); }

} // namespace kestrana::dock
