// kdriver acc-tree <hwnd>: reads a window's client object the way a screen reader does
// (another process, Active Accessibility) and prints one line per element, depth first:
//   <depth> <role> <left> <top> <width> <height> <child id>\t<name>\t<value>[\tfocused]
// The window's own object comes first at depth 0; objects of their own have child id 0.
// kdriver acc-do <hwnd> <child id>: carries out that child's default action.
// kdriver acc-focus <hwnd> <child id>: moves the reader's focus to that child.
// Exit code 1 when the window gives no object or a question fails.
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// Tabs and line breaks would break the line format.
std::wstring Flat(BSTR text) {
    std::wstring out = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    for (wchar_t& c : out)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    return out;
}

// "acc-tree <hwnd> checked" also marks checked elements (a menu's ticks).
bool g_showChecked = false;

bool Print(IAccessible* object, LONG child, int depth) {
    VARIANT id;
    ::VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    BSTR name = nullptr, value = nullptr;
    VARIANT role;
    ::VariantInit(&role);
    long x = 0, y = 0, w = 0, h = 0;
    const bool ok = SUCCEEDED(object->get_accName(id, &name)) && SUCCEEDED(object->get_accRole(id, &role)) &&
                    SUCCEEDED(object->get_accValue(id, &value)) && SUCCEEDED(object->accLocation(&x, &y, &w, &h, id));
    VARIANT state;
    ::VariantInit(&state);
    const bool stated = ok && SUCCEEDED(object->get_accState(id, &state)) && state.vt == VT_I4;
    const bool focused = stated && (state.lVal & STATE_SYSTEM_FOCUSED) != 0;
    const bool checked = g_showChecked && stated && (state.lVal & STATE_SYSTEM_CHECKED) != 0;
    // "focused" stays the last field: scenarios look for it there.
    if (ok)
        std::wprintf(L"%d %ld %ld %ld %ld %ld %ld\t%ls\t%ls%ls%ls\n", depth, role.vt == VT_I4 ? role.lVal : -1L, x, y, w,
                     h, static_cast<long>(child), Flat(name).c_str(), Flat(value).c_str(), checked ? L"\tchecked" : L"",
                     focused ? L"\tfocused" : L"");
    ::SysFreeString(name);
    ::SysFreeString(value);
    ::VariantClear(&role);
    return ok;
}

bool Walk(IAccessible* object, int depth) {
    long count = 0;
    if (FAILED(object->get_accChildCount(&count))) return false;
    if (count <= 0) return true;
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    long obtained = 0;
    if (FAILED(::AccessibleChildren(object, 0, count, children.data(), &obtained))) return false;
    bool ok = true;
    for (long i = 0; i < obtained; ++i) {
        VARIANT& v = children[static_cast<std::size_t>(i)];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            ComPtr<IAccessible> inner;
            // __uuidof: the library's IID data symbol is not what it seems in a static mingw link.
            if (SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(inner.GetAddressOf())))) {
                ok = Print(inner.Get(), CHILDID_SELF, depth) && Walk(inner.Get(), depth + 1) && ok;
            } else {
                ok = false;
            }
        } else if (v.vt == VT_I4) {
            ok = Print(object, v.lVal, depth) && ok;
        }
        ::VariantClear(&v);
    }
    return ok;
}

} // namespace

int AccessibleTreeCommand(int argc, wchar_t** argv) {
    const bool tree = argc >= 3 && std::wcscmp(argv[1], L"acc-tree") == 0;
    const bool act = argc >= 4 && std::wcscmp(argv[1], L"acc-do") == 0;
    const bool focus = argc >= 4 && std::wcscmp(argv[1], L"acc-focus") == 0;
    if (!tree && !act && !focus) return -1;
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[2], nullptr, 0)));
    g_showChecked = tree && argc >= 4 && std::wcscmp(argv[3], L"checked") == 0;
    ComPtr<IAccessible> root;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(root.GetAddressOf()))) ||
        !root)
        return 1;
    if (act || focus) {
        VARIANT id;
        ::VariantInit(&id);
        id.vt = VT_I4;
        id.lVal = static_cast<LONG>(std::wcstol(argv[3], nullptr, 0));
        if (focus) return root->accSelect(SELFLAG_TAKEFOCUS, id) == S_OK ? 0 : 1;
        return root->accDoDefaultAction(id) == S_OK ? 0 : 1;
    }
    const bool ok = Print(root.Get(), CHILDID_SELF, 0) && Walk(root.Get(), 1);
    std::fflush(stdout);
    return ok ? 0 : 1;
}
