// kdriver acc-window <seconds>: a window "KdriverAccTest" without a classic menu that
// describes a menu bar through the accessibility interface: its client object holds a
// menu bar object whose items are "Alpha", "Beta" and "Gamma". Invoking an item titles
// the window "invoked <name>".
#include <windows.h>
#include <oleacc.h>

#include <string>

namespace {

constexpr const wchar_t* kItems[] = {L"Alpha", L"Beta", L"Gamma"};
HWND g_window = nullptr;

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

LRESULT CALLBACK AccWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && g_client)
        return ::LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(g_client));
    if (message == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int AccessibleWindow(DWORD seconds) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Element* bar = new Element(true);
    g_client = new Element(false, bar);
    bar->Release();
    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = AccWindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"KdriverAccTest";
    ::RegisterClassExW(&wc);
    g_window = ::CreateWindowExW(0, wc.lpszClassName, L"acc test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 350, 250, 500, 300,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    if (!g_window) return 1;
    ::SetForegroundWindow(g_window);
    ::SetTimer(g_window, 1, seconds * 1000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == g_window) break;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    g_client->Release();
    return 0;
}
