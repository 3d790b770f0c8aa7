// A surface window's client object as a screen reader sees it through Active
// Accessibility: elements by child id in screen order, containers as objects of their
// own, and stale ids and a destroyed surface refused instead of reaching freed memory.
#include "foundation/win32/accessible_host.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;
using namespace kestrana::foundation;

kestrana::win32::AccessibleHost* g_host = nullptr;

LRESULT CALLBACK SurfaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && g_host)
        if (const auto answer = g_host->OnGetObject(wParam, lParam)) return *answer;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

VARIANT Child(LONG id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Name(IAccessible* object, LONG id, HRESULT* result = nullptr) {
    BSTR name = nullptr;
    const HRESULT hr = object->get_accName(Child(id), &name);
    if (result) *result = hr;
    std::wstring out = name ? name : L"";
    ::SysFreeString(name);
    return out;
}

class AccessibleHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = SurfaceProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KestranaAccessibleTest";
        ::RegisterClassExW(&wc);
        window = ::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        host = std::make_unique<kestrana::win32::AccessibleHost>(window, [this] { return Build(); });
        g_host = host.get();
    }
    void TearDown() override {
        g_host = nullptr;
        host.reset();
        if (window) ::DestroyWindow(window);
        ::CoUninitialize();
    }

    // A row of items at 10-pixel steps; item 50 is a group holding item 51.
    AccessibleTree Build() {
        ++builds;
        AccessibleElement root;
        root.role = AccessibleRole::ToolBar;
        root.name = L"Row";
        root.bounds = {0, 0, 400, 100};
        AccessibleTree tree(root);
        int x = 0;
        for (AccessibleId id : ids) {
            AccessibleElement e;
            e.id = id;
            e.name = L"Item " + std::to_wstring(id);
            e.bounds = {x, 0, 10, 10};
            e.state = AccessibleState::Focusable;
            x += 10;
            tree.Add(e);
        }
        AccessibleElement group;
        group.id = 50;
        group.role = AccessibleRole::Grouping;
        group.name = L"Group";
        group.bounds = {200, 0, 50, 50};
        tree.Add(group);
        AccessibleElement member;
        member.id = 51;
        member.parent = 50;
        member.name = L"Member";
        member.value = L"7";
        member.bounds = {210, 10, 10, 10};
        tree.Add(member);
        return tree;
    }

    ComPtr<IAccessible> Client() {
        ComPtr<IAccessible> client;
        EXPECT_EQ(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               reinterpret_cast<void**>(client.GetAddressOf())),
                  S_OK);
        return client;
    }

    HWND window = nullptr;
    std::unique_ptr<kestrana::win32::AccessibleHost> host;
    std::vector<AccessibleId> ids{7, 3, 12};
    int builds = 0;
};

TEST_F(AccessibleHostTest, ChildrenComeInScreenOrderWithTheirIdsAndContainersAsObjects) {
    EXPECT_EQ(builds, 0); // nothing is built before a reader asks
    ComPtr<IAccessible> client = Client();
    ASSERT_TRUE(client);
    long count = 0;
    ASSERT_EQ(client->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 4);
    std::vector<VARIANT> kids(4);
    long obtained = 0;
    ASSERT_EQ(::AccessibleChildren(client.Get(), 0, 4, kids.data(), &obtained), S_OK);
    ASSERT_EQ(obtained, 4);
    EXPECT_EQ(kids[0].vt, VT_I4);
    EXPECT_EQ(kids[0].lVal, 7);
    EXPECT_EQ(kids[1].lVal, 3);
    EXPECT_EQ(kids[2].lVal, 12);
    ASSERT_EQ(kids[3].vt, VT_DISPATCH);
    ComPtr<IAccessible> group;
    ASSERT_EQ(kids[3].pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(group.GetAddressOf())), S_OK);
    for (auto& v : kids) ::VariantClear(&v);

    EXPECT_EQ(Name(client.Get(), CHILDID_SELF), L"Row");
    EXPECT_EQ(Name(client.Get(), 3), L"Item 3");
    EXPECT_EQ(Name(group.Get(), CHILDID_SELF), L"Group");
    EXPECT_EQ(Name(group.Get(), 51), L"Member");
    HRESULT hr = S_OK;
    Name(client.Get(), 51, &hr); // not a child of the client object itself
    EXPECT_EQ(hr, E_INVALIDARG);

    VARIANT role;
    ASSERT_EQ(client->get_accRole(Child(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_TOOLBAR);
    BSTR value = nullptr;
    ASSERT_EQ(group->get_accValue(Child(51), &value), S_OK);
    EXPECT_STREQ(value, L"7");
    ::SysFreeString(value);
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(client->accLocation(&x, &y, &w, &h, Child(12)), S_OK);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(w, 10);
    VARIANT state;
    ASSERT_EQ(client->get_accState(Child(7), &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSABLE);

    VARIANT next;
    ASSERT_EQ(client->accNavigate(NAVDIR_NEXT, Child(7), &next), S_OK);
    EXPECT_EQ(next.lVal, 3);
    ASSERT_EQ(client->accNavigate(NAVDIR_PREVIOUS, Child(7), &next), S_FALSE);
    VARIANT hit;
    ASSERT_EQ(client->accHitTest(15, 5, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 3);
    ASSERT_EQ(client->accHitTest(215, 15, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_DISPATCH); // the group, which holds the member
    ::VariantClear(&hit);
    EXPECT_EQ(builds, 1); // one reading, one build
}

TEST_F(AccessibleHostTest, StaleIdsAndADestroyedSurfaceAreRefused) {
    ComPtr<IAccessible> client = Client();
    ASSERT_TRUE(client);
    ComPtr<IDispatch> groupDispatch;
    ASSERT_EQ(client->get_accChild(Child(50), groupDispatch.GetAddressOf()), S_OK);
    ComPtr<IAccessible> group;
    ASSERT_EQ(groupDispatch.As(&group), S_OK);

    // Item 3 leaves and the surface is built again.
    ids = {7, 12};
    host->Changed();
    HRESULT hr = S_OK;
    Name(client.Get(), 3, &hr);
    EXPECT_EQ(hr, E_INVALIDARG);
    EXPECT_EQ(Name(client.Get(), 12), L"Item 12");
    EXPECT_EQ(Name(client.Get(), -5, &hr), L"");
    EXPECT_EQ(hr, E_INVALIDARG);

    // The window's owner goes; the objects a reader still holds stay safe to call.
    g_host = nullptr;
    host.reset();
    Name(client.Get(), 12, &hr);
    EXPECT_EQ(hr, CO_E_OBJNOTCONNECTED);
    Name(group.Get(), 51, &hr);
    EXPECT_EQ(hr, CO_E_OBJNOTCONNECTED);
    long count = 5;
    EXPECT_EQ(client->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(count, 0);
}

} // namespace
