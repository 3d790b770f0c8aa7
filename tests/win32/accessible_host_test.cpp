// A surface window's client object as a screen reader sees it through Active
// Accessibility: elements by child id in screen order, containers as objects of their
// own, and stale ids and a destroyed surface refused instead of reaching freed memory.
// A UI Automation client, on a thread of its own as readers are, walks the same elements.
#include "foundation/win32/accessible_host.h"

#include <gtest/gtest.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <thread>
#include <type_traits>
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

TEST_F(AccessibleHostTest, AReadersFocusReachesTheSurfaceOnlyWhenItTakesOne) {
    ComPtr<IAccessible> client = Client();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->accSelect(SELFLAG_TAKEFOCUS, Child(12)), DISP_E_MEMBERNOTFOUND);

    // A surface that waits unfocused (a notice) takes the focus where the reader asks.
    std::vector<AccessibleId> focused;
    kestrana::win32::AccessibleActions actions;
    actions.focus = [&](AccessibleId id) {
        focused.push_back(id);
        return id != 3;
    };
    g_host = nullptr;
    host = std::make_unique<kestrana::win32::AccessibleHost>(window, [this] { return Build(); }, std::move(actions));
    g_host = host.get();
    client = Client();
    ASSERT_TRUE(client);
    EXPECT_EQ(client->accSelect(SELFLAG_TAKEFOCUS, Child(12)), S_OK);
    EXPECT_EQ(client->accSelect(SELFLAG_TAKEFOCUS, Child(3)), E_FAIL);
    EXPECT_EQ(client->accSelect(SELFLAG_TAKEFOCUS, Child(99)), E_INVALIDARG); // not an element
    EXPECT_EQ(focused, (std::vector<AccessibleId>{12, 3}));
}

// The system's UI Automation client calls, looked up at run time (this toolchain's
// headers lack them).
DECLARE_HANDLE(UiaNode);
struct UiaTrue {
    int type = 0;
};
struct UiaRequest {
    UiaTrue* view;
    int scope = 1; // the element itself
    int* properties = nullptr;
    int propertyCount = 0;
    int* patterns = nullptr;
    int patternCount = 0;
    int mode = 1; // full
};
struct UiaClient {
    HRESULT(WINAPI* fromHandle)(HWND, UiaNode*) = nullptr;
    HRESULT(WINAPI* property)(UiaNode, int, VARIANT*) = nullptr;
    HRESULT(WINAPI* navigate)(UiaNode, int, UiaTrue*, UiaRequest*, SAFEARRAY**, BSTR*) = nullptr;
    HRESULT(WINAPI* fromVariant)(VARIANT*, UiaNode*) = nullptr;
    BOOL(WINAPI* release)(UiaNode) = nullptr;

    UiaClient() {
        HMODULE module = ::LoadLibraryW(L"uiautomationcore.dll");
        const auto find = [module](auto& slot, const char* name) {
            if (module)
                slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
                    reinterpret_cast<void*>(::GetProcAddress(module, name)));
        };
        find(fromHandle, "UiaNodeFromHandle");
        find(property, "UiaGetPropertyValue");
        find(navigate, "UiaNavigate");
        find(fromVariant, "UiaHUiaNodeFromVariant");
        find(release, "UiaNodeRelease");
    }
    [[nodiscard]] bool Usable() const { return fromHandle && property && navigate && fromVariant && release; }

    std::wstring Text(UiaNode node, int id) const {
        VARIANT v;
        ::VariantInit(&v);
        std::wstring text;
        if (SUCCEEDED(property(node, id, &v)) && v.vt == VT_BSTR && v.bstrVal) text = v.bstrVal;
        ::VariantClear(&v);
        return text;
    }
    long Number(UiaNode node, int id) const {
        VARIANT v;
        ::VariantInit(&v);
        long n = -1;
        if (SUCCEEDED(property(node, id, &v)) && v.vt == VT_I4) n = v.lVal;
        ::VariantClear(&v);
        return n;
    }
    UiaNode Step(UiaNode node, int direction) const {
        UiaTrue all;
        UiaRequest request{&all};
        SAFEARRAY* data = nullptr;
        BSTR shape = nullptr;
        UiaNode found = nullptr;
        if (SUCCEEDED(navigate(node, direction, &all, &request, &data, &shape)) && data) {
            VARIANT v;
            ::VariantInit(&v);
            LONG index[2] = {0, 0};
            if (SUCCEEDED(::SafeArrayGetElement(data, index, &v))) fromVariant(&v, &found);
            ::VariantClear(&v);
        }
        if (data) ::SafeArrayDestroy(data);
        ::SysFreeString(shape);
        return found;
    }
};

// Runs `read` on a reader's thread while this (the window's) thread answers its questions.
template <class Read> void ReadFromAnotherThread(Read read) {
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread reader([&read, done] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        read();
        ::CoUninitialize();
        ::SetEvent(done);
    });
    HANDLE handle = done;
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 10000, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    reader.join();
    ::CloseHandle(done);
}

TEST_F(AccessibleHostTest, AUiAutomationClientWalksTheSameElementsAndLosesStaleOnesSafely) {
    const UiaClient uia;
    if (!uia.Usable()) GTEST_SKIP() << "no UI Automation client calls here";
    constexpr int kName = 30005, kControlType = 30003, kAutomationId = 30011, kFirstChild = 3, kNextSibling = 1;
    std::vector<std::wstring> names;
    std::wstring rootName, memberName, thirdId;
    long rootType = 0, groupType = 0;
    HRESULT opened = E_FAIL;
    UiaNode root = nullptr, third = nullptr;
    ReadFromAnotherThread([&] {
        opened = uia.fromHandle(window, &root);
        if (FAILED(opened) || !root) return;
        rootName = uia.Text(root, kName);
        rootType = uia.Number(root, kControlType);
        UiaNode child = uia.Step(root, kFirstChild);
        for (int i = 0; child && i < 10; ++i) {
            names.push_back(uia.Text(child, kName));
            if (names.back() == L"Group") {
                groupType = uia.Number(child, kControlType);
                if (UiaNode member = uia.Step(child, kFirstChild)) {
                    memberName = uia.Text(member, kName);
                    uia.release(member);
                }
            }
            UiaNode next = uia.Step(child, kNextSibling);
            if (names.back() == L"Item 3") {
                // Our own provider answers (not a bridge over the other object): the id is ours.
                thirdId = uia.Text(child, kAutomationId);
                third = child; // held across the rebuild below
            } else {
                uia.release(child);
            }
            child = next;
        }
    });
    ASSERT_EQ(opened, S_OK);
    EXPECT_EQ(rootName, L"Row");
    EXPECT_EQ(rootType, 50021); // a tool bar
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Item 7", L"Item 3", L"Item 12", L"Group"}));
    EXPECT_EQ(groupType, 50026);
    EXPECT_EQ(memberName, L"Member");
    EXPECT_EQ(thirdId, L"3");
    ASSERT_NE(third, nullptr);

    // Item 3 leaves; then the surface goes. What the reader holds answers, safely,
    // with nothing.
    ids = {7, 12};
    host->Changed();
    std::wstring stale = L"?", gone = L"?";
    ReadFromAnotherThread([&] { stale = uia.Text(third, kName); });
    g_host = nullptr;
    host.reset();
    ReadFromAnotherThread([&] {
        gone = uia.Text(root, kName);
        uia.release(third);
        uia.release(root);
    });
    EXPECT_EQ(stale, L"");
    EXPECT_EQ(gone, L"");
}

} // namespace
