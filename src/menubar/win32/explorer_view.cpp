#include "menubar/win32/explorer_view.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"

#include <exdisp.h>
#include <shlguid.h>
#include <shobjidl.h>
#include <wrl/client.h>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

// The storage properties behind the four columns the menus offer.
constexpr GUID kStorage{0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}};
constexpr struct {
    ArrangeColumn column;
    DWORD pid;
} kColumnKeys[] = {{ArrangeColumn::Name, 10}, {ArrangeColumn::Modified, 14}, {ArrangeColumn::Type, 4},
                   {ArrangeColumn::Size, 12}};

ArrangeColumn ColumnOf(const PROPERTYKEY& key) {
    if (!::IsEqualGUID(key.fmtid, kStorage)) return ArrangeColumn::None;
    for (const auto& c : kColumnKeys)
        if (c.pid == key.pid) return c.column;
    return ArrangeColumn::None;
}

PROPERTYKEY KeyOf(ArrangeColumn column) {
    for (const auto& c : kColumnKeys)
        if (c.column == column) return {kStorage, c.pid};
    return {GUID_NULL, 0};
}

ComPtr<IFolderView2> ViewOf(HWND window) {
    ComPtr<IShellWindows> windows;
    if (FAILED(::CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_PPV_ARGS(&windows))) || !windows)
        return nullptr;
    long count = 0;
    if (FAILED(windows->get_Count(&count))) return nullptr;
    for (long i = 0; i < count && i < 256; ++i) {
        VARIANT index;
        ::VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        ComPtr<IDispatch> item;
        if (FAILED(windows->Item(index, &item)) || !item) continue;
        ComPtr<IWebBrowserApp> browser;
        SHANDLE_PTR handle = 0;
        if (FAILED(item.As(&browser)) || FAILED(browser->get_HWND(&handle)) ||
            reinterpret_cast<HWND>(handle) != window)
            continue;
        ComPtr<IServiceProvider> services;
        ComPtr<IShellBrowser> shell;
        ComPtr<IShellView> view;
        ComPtr<IFolderView2> folder;
        if (SUCCEEDED(browser.As(&services)) &&
            SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&shell))) &&
            SUCCEEDED(shell->QueryActiveShellView(&view)) && view && SUCCEEDED(view.As(&folder)))
            return folder;
        return nullptr;
    }
    return nullptr;
}

std::optional<Arrangement> Read(IFolderView2& view) {
    Arrangement arrangement;
    SORTCOLUMN sort{};
    if (FAILED(view.GetSortColumns(&sort, 1))) return std::nullopt;
    arrangement.sort = ColumnOf(sort.propkey);
    arrangement.descending = sort.direction == SORT_DESCENDING;
    PROPERTYKEY group{};
    BOOL ascending = TRUE;
    if (SUCCEEDED(view.GetGroupBy(&group, &ascending))) arrangement.group = ColumnOf(group);
    return arrangement;
}

} // namespace

std::optional<Arrangement> ReadExplorerView(HWND window) noexcept {
    try {
        kestrana::win32::ComApartment com(COINIT_MULTITHREADED);
        const auto view = ViewOf(window);
        return view ? Read(*view.Get()) : std::nullopt;
    } catch (...) {
        foundation::LogCaught("file manager view");
        return std::nullopt;
    }
}

std::optional<Arrangement> ArrangeExplorerView(HWND window, const Arrangement& arrangement) noexcept {
    try {
        kestrana::win32::ComApartment com(COINIT_MULTITHREADED);
        const auto view = ViewOf(window);
        if (!view) return std::nullopt;
        SORTCOLUMN sort{};
        if (FAILED(view->GetSortColumns(&sort, 1))) sort.propkey = KeyOf(ArrangeColumn::Name);
        if (arrangement.sort != ArrangeColumn::None) sort.propkey = KeyOf(arrangement.sort);
        sort.direction = arrangement.descending ? SORT_DESCENDING : SORT_ASCENDING;
        view->SetSortColumns(&sort, 1);
        view->SetGroupBy(KeyOf(arrangement.group), TRUE);
        return Read(*view.Get());
    } catch (...) {
        foundation::LogCaught("file manager view");
        return std::nullopt;
    }
}

LPARAM PackArrangement(const std::optional<Arrangement>& arrangement) noexcept {
    if (!arrangement) return 0;
    return 1 | (static_cast<LPARAM>(arrangement->sort) << 1) | (static_cast<LPARAM>(arrangement->descending) << 4) |
           (static_cast<LPARAM>(arrangement->group) << 5);
}

std::optional<Arrangement> UnpackArrangement(LPARAM packed) noexcept {
    if (!(packed & 1)) return std::nullopt;
    const auto column = [](LPARAM bits) {
        return bits <= static_cast<LPARAM>(ArrangeColumn::Size) ? static_cast<ArrangeColumn>(bits) : ArrangeColumn::None;
    };
    return Arrangement{column((packed >> 1) & 7), ((packed >> 4) & 1) != 0, column((packed >> 5) & 7)};
}

} // namespace kestrana::menubar::win32
