// kdriver acc-window <seconds> [popup|owl]: a window "KdriverAccTest" without a classic
// menu that describes a menu bar through the accessibility interface: its client object
// holds a menu bar object whose items are "Alpha", "Beta" and "Gamma". Invoking an item
// titles the window "invoked <name>"; with "popup" it also drops a pop-up window of the
// XAML pop-up class down for it ("popup <name>", closed by Escape, a click on it or the
// next item's).
// With "owl" the menu bar is a child window of class "OWL.MenuBar" that describes itself,
// and the registered message that opens its menus titles the window "posted <index>".
// With "slow" the first request for its accessible object waits 1.5 s before the answer:
// an application slow to describe itself.
#include <windows.h>
#include <oleacc.h>

#include <string>

namespace {

constexpr const wchar_t* kItems[] = {L"Alpha", L"Beta", L"Gamma"};
HWND g_window = nullptr;
HWND g_popup = nullptr;
bool g_popups = false;
bool g_slowOnce = false;

void DropPopup(int item) {
    if (g_popup) ::DestroyWindow(g_popup);
    // Shown without taking the focus, as menus are; Escape reaches it through the window.
    g_popup = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"Xaml_WindowedPopupClass",
                                (std::wstring(L"popup ") + kItems[item]).c_str(), WS_POPUP | WS_BORDER,
                                400 + 120 * item, 300, 160, 120, g_window, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (g_popup) ::ShowWindow(g_popup, SW_SHOWNOACTIVATE);
}

VARIANT Long(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

// One accessible object: the window's client area (children: the menu bar) or the menu
// bar (children: three simple items). Only what a reader of menu bars asks is answered.
class Element final : public IAccessible {
public:
    explicit Element(bool menuBar, IAccessible* child = nullptr) : m_menuBar(menuBar), m_child(child) {
        if (m_child) m_child->AddRef();
    }
    ~Element() {
        if (m_child) m_child->Release();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = ::InterlockedDecrement(&m_refs);
        if (refs == 0) delete this;
        return static_cast<ULONG>(refs);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        *parent = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        *count = m_menuBar ? 3 : 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        *out = nullptr;
        if (!m_menuBar && child.vt == VT_I4 && child.lVal == 1 && m_child) {
            m_child->AddRef();
            *out = m_child;
            return S_OK;
        }
        return child.vt == VT_I4 && child.lVal >= 1 && child.lVal <= 3 ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        *name = nullptr;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) *name = ::SysAllocString(m_menuBar ? L"Application" : L"acc test");
        else if (m_menuBar && child.lVal >= 1 && child.lVal <= 3) *name = ::SysAllocString(kItems[child.lVal - 1]);
        else return E_INVALIDARG;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
        *value = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (child.vt != VT_I4) return E_INVALIDARG;
        *role = Long(child.lVal == CHILDID_SELF ? (m_menuBar ? ROLE_SYSTEM_MENUBAR : ROLE_SYSTEM_CLIENT)
                                                : ROLE_SYSTEM_MENUITEM);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* state) override {
        *state = Long(0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override {
        *text = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        ::VariantInit(focus);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        ::VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* text) override {
        *text = ::SysAllocString(L"Open");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h, VARIANT) override {
        *x = *y = *w = *h = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
        ::VariantInit(end);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT* child) override {
        ::VariantInit(child);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!m_menuBar || child.vt != VT_I4 || child.lVal < 1 || child.lVal > 3) return E_INVALIDARG;
        // Runs on the window's thread (a single-threaded apartment): the title changes at once.
        ::SetWindowTextW(g_window, (std::wstring(L"invoked ") + kItems[child.lVal - 1]).c_str());
        if (g_popups) DropPopup(child.lVal - 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    LONG m_refs = 1;
    bool m_menuBar;
    IAccessible* m_child;
};

Element* g_client = nullptr;

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Escape, or a click on it as on an entry, closes it.
    if ((message == WM_KEYDOWN && wParam == VK_ESCAPE) || message == WM_LBUTTONUP) {
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY && window == g_popup) g_popup = nullptr;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

Element* g_owlBar = nullptr;

LRESULT CALLBACK OwlBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT show = ::RegisterWindowMessageW(L"com.adobe.owl.menubar.show.submenu");
    if (message == show) {
        ::SetWindowTextW(g_window, (L"posted " + std::to_wstring(wParam)).c_str());
        return 0;
    }
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && g_owlBar)
        return ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(g_owlBar));
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK AccWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && g_client) {
        if (g_slowOnce) {
            g_slowOnce = false;
            ::Sleep(1500);
        }
        return ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(g_client));
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE && g_popup) {
        ::DestroyWindow(g_popup);
        return 0;
    }
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int AccessibleWindow(DWORD seconds, const std::wstring& mode) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Element* bar = new Element(true);
    const bool owl = mode == L"owl";
    g_popups = mode == L"popup";
    g_slowOnce = mode == L"slow";
    if (owl) g_owlBar = bar; // the child window is the menu bar itself
    else {
        g_client = new Element(false, bar);
        bar->Release();
    }
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto registerClass = [instance](const wchar_t* name, WNDPROC proc, int colour) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colour + 1));
        wc.lpszClassName = name;
        ::RegisterClassExW(&wc);
    };
    registerClass(L"Xaml_WindowedPopupClass", PopupProc, COLOR_MENU);
    registerClass(L"OWL.MenuBar", OwlBarProc, COLOR_MENU);
    registerClass(L"KdriverAccTest", AccWindowProc, COLOR_WINDOW);
    g_window = ::CreateWindowExW(0, L"KdriverAccTest", L"acc test", WS_OVERLAPPEDWINDOW, 350, 250, 500, 300,
                                 nullptr, nullptr, instance, nullptr);
    if (!g_window) return 1;
    if (owl) ::CreateWindowExW(0, L"OWL.MenuBar", L"", WS_CHILD | WS_VISIBLE, 0, 0, 480, 22, g_window, nullptr, instance, nullptr);
    ::ShowWindow(g_window, SW_SHOW); // complete before anybody looks at it
    ::SetForegroundWindow(g_window);
    ::SetTimer(g_window, 1, seconds * 1000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == g_window) break;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (g_client) g_client->Release();
    if (g_owlBar) g_owlBar->Release();
    return 0;
}
