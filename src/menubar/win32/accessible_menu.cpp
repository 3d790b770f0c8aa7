#include "menubar/win32/accessible_menu.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/unique_handle.h"
#include "menubar/accessible_menu_track.h"

#include <oleacc.h>
#include <wrl/client.h>

#include <algorithm>
#include <deque>

namespace kestrana::menubar::win32 {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kMaxDepth = 5;
constexpr int kMaxNodes = 400; // a bound on the questions asked of one application
constexpr long kMaxChildren = 64;

VARIANT Self(LONG id = CHILDID_SELF) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

struct Node {
    ComPtr<IAccessible> object;
    LONG child = CHILDID_SELF; // a simple element of `object`, or the object itself
    int depth = 0;
};

long RoleOf(const Node& node) {
    VARIANT role;
    ::VariantInit(&role);
    if (FAILED(node.object->get_accRole(Self(node.child), &role))) return 0;
    const long value = role.vt == VT_I4 ? role.lVal : 0;
    ::VariantClear(&role);
    return value;
}

std::wstring NameOf(const Node& node) {
    BSTR name = nullptr;
    if (FAILED(node.object->get_accName(Self(node.child), &name)) || !name) return {};
    std::wstring text(name, ::SysStringLen(name));
    ::SysFreeString(name);
    return text;
}

std::vector<Node> ChildrenOf(const Node& node) {
    std::vector<Node> children;
    if (node.child != CHILDID_SELF) return children; // simple elements have none
    long count = 0;
    if (FAILED(node.object->get_accChildCount(&count)) || count <= 0) return children;
    count = std::min(count, kMaxChildren);
    std::vector<VARIANT> found(static_cast<std::size_t>(count));
    long got = 0;
    if (FAILED(::AccessibleChildren(node.object.Get(), 0, count, found.data(), &got))) return children;
    for (long i = 0; i < got && i < count; ++i) {
        VARIANT& v = found[static_cast<std::size_t>(i)];
        if (v.vt == VT_DISPATCH && v.pdispVal) {
            ComPtr<IAccessible> object;
            if (SUCCEEDED(v.pdispVal->QueryInterface(IID_PPV_ARGS(&object))))
                children.push_back({object, CHILDID_SELF, node.depth + 1});
        } else if (v.vt == VT_I4) {
            children.push_back({node.object, v.lVal, node.depth + 1});
        }
        ::VariantClear(&v);
    }
    return children;
}

// The menu bar of one window's tree, breadth first, so the top-level bar is met before
// menus deeper in.
std::optional<Node> MenuBarIn(HWND window) {
    ComPtr<IAccessible> root;
    if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&root))) || !root)
        return std::nullopt;
    std::deque<Node> queue{{root, CHILDID_SELF, 0}};
    for (int visited = 0; !queue.empty() && visited < kMaxNodes; ++visited) {
        Node node = std::move(queue.front());
        queue.pop_front();
        if (RoleOf(node) == ROLE_SYSTEM_MENUBAR && node.child == CHILDID_SELF) return node;
        if (node.depth >= kMaxDepth) continue;
        for (auto& child : ChildrenOf(node)) queue.push_back(std::move(child));
    }
    return std::nullopt;
}

struct Hosted {
    std::vector<HWND> menuBars; // menu bar windows that draw their titles themselves
    std::vector<HWND> islands;  // XAML islands
};

BOOL CALLBACK CollectHosted(HWND child, LPARAM param) {
    wchar_t cls[96] = {};
    ::GetClassNameW(child, cls, static_cast<int>(std::size(cls)));
    auto& hosted = *reinterpret_cast<Hosted*>(param);
    if (cls == kOwlMenuBarClass) hosted.menuBars.push_back(child);
    else if (::lstrcmpW(cls, L"Windows.UI.Composition.DesktopWindowContentBridge") == 0 ||
             ::lstrcmpW(cls, L"DesktopWindowXamlSource") == 0)
        hosted.islands.push_back(child);
    return TRUE;
}

// A menu bar window of its own first (its titles open by message, not through the
// window's tree), then the window itself, then its XAML islands.
std::vector<HWND> Candidates(HWND window) {
    Hosted hosted;
    ::EnumChildWindows(window, CollectHosted, reinterpret_cast<LPARAM>(&hosted));
    std::vector<HWND> windows = std::move(hosted.menuBars);
    windows.push_back(window);
    windows.insert(windows.end(), hosted.islands.begin(), hosted.islands.end());
    if (windows.size() > 8) windows.resize(8);
    return windows;
}

} // namespace

std::optional<AccessibleMenuBar> FindAccessibleMenuBar(HWND window) noexcept {
    try {
        kestrana::win32::ComApartment com(COINIT_MULTITHREADED);
        for (HWND candidate : Candidates(window)) {
            const auto bar = MenuBarIn(candidate);
            if (!bar) continue;
            AccessibleMenuBar found;
            found.window = candidate;
            for (const auto& item : ChildrenOf(*bar)) found.titles.push_back(NameOf(item));
            if (!found.titles.empty()) return found;
        }
    } catch (...) {
        foundation::LogCaught("accessible menu");
    }
    return std::nullopt;
}

bool InvokeAccessibleTitle(HWND window, int index) noexcept {
    try {
        kestrana::win32::ComApartment com(COINIT_MULTITHREADED);
        const auto bar = MenuBarIn(window);
        if (!bar || index < 0) return false;
        const auto items = ChildrenOf(*bar);
        if (static_cast<std::size_t>(index) >= items.size()) return false;
        const Node& item = items[static_cast<std::size_t>(index)];
        return SUCCEEDED(item.object->accDoDefaultAction(Self(item.child)));
    } catch (...) {
        foundation::LogCaught("accessible menu");
        return false;
    }
}

} // namespace kestrana::menubar::win32
