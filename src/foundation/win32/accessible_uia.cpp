#include "foundation/win32/accessible_uia.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/accessible_host_shared.h"
#include "foundation/win32/system_function.h"

#include <oleauto.h>
#include <uiautomationcore.h>

#include <atomic>
#include <new>
#include <string>

namespace kestrana::win32::uia {
namespace {

using foundation::AccessibleElement;
using foundation::AccessibleId;
using foundation::AccessibleRole;
using foundation::AccessibleState;
using foundation::AccessibleTree;
using Shared = AccessibleHost::Shared;

// Numbers of the published UI Automation interface (identifiers, error codes).
constexpr LONG kRootObjectId = -25;
constexpr int kAppendRuntimeId = 3;
constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);
constexpr PATTERNID kInvokePattern = 10000, kSelectionPattern = 10001, kValuePattern = 10002,
                    kExpandCollapsePattern = 10005, kSelectionItemPattern = 10010, kTogglePattern = 10015;
constexpr PROPERTYID kControlTypeProperty = 30003, kNameProperty = 30005, kAcceleratorKeyProperty = 30006,
                     kHasKeyboardFocusProperty = 30008, kIsKeyboardFocusableProperty = 30009, kIsEnabledProperty = 30010,
                     kAutomationIdProperty = 30011, kHelpTextProperty = 30013, kIsControlElementProperty = 30016,
                     kIsContentElementProperty = 30017, kIsOffscreenProperty = 30022, kValueProperty = 30045;
constexpr EVENTID kFocusChangedEvent = 20005;
constexpr int kChildrenInvalidated = 1;

// The pattern interfaces, declared from their published definitions: this toolchain's
// headers do not carry them.
constexpr IID kIidInvoke = {0x54fcb24b, 0xe18e, 0x47a2, {0xb4, 0xd3, 0xec, 0xcb, 0xe7, 0x75, 0x99, 0xa2}};
constexpr IID kIidValue = {0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
constexpr IID kIidToggle = {0x56d00bd0, 0xc4f4, 0x433c, {0xa8, 0x36, 0x1a, 0x52, 0xa5, 0x7e, 0x08, 0x92}};
constexpr IID kIidExpandCollapse = {0xd847d3a5, 0xcab0, 0x4a98, {0x8c, 0x32, 0xec, 0xb4, 0x5c, 0x59, 0xad, 0x24}};
constexpr IID kIidSelection = {0xfb8b03af, 0x3bdf, 0x48d4, {0xbd, 0x36, 0x1a, 0x65, 0x79, 0x3b, 0xe1, 0x68}};
constexpr IID kIidSelectionItem = {0x2acad808, 0xb2d4, 0x452d, {0xa4, 0x07, 0x91, 0xff, 0x1a, 0xd1, 0x67, 0xb2}};

struct InvokeProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
struct ValueProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};
struct ToggleProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToggleState(int* state) = 0; // 0 off, 1 on
};
struct ExpandCollapseProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
    virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* state) = 0; // 0 collapsed, 1 expanded, 3 leaf
};
struct SelectionProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** selected) = 0; // of IRawElementProviderSimple
    virtual HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* can) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* required) = 0;
};
struct SelectionItemProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** container) = 0;
};

// The system library's entry points, looked up once.
struct Library {
    LRESULT(WINAPI* returnProvider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*) = nullptr;
    HRESULT(WINAPI* hostProvider)(HWND, IRawElementProviderSimple**) = nullptr;
    HRESULT(WINAPI* raiseEvent)(IRawElementProviderSimple*, EVENTID) = nullptr;
    HRESULT(WINAPI* raiseProperty)(IRawElementProviderSimple*, PROPERTYID, VARIANT, VARIANT) = nullptr;
    HRESULT(WINAPI* raiseStructure)(IRawElementProviderSimple*, int, int*, int) = nullptr;
    BOOL(WINAPI* listening)() = nullptr;
};

const Library& Uia() {
    static const Library library = [] {
        Library l;
        HMODULE module = ::LoadLibraryW(L"uiautomationcore.dll");
        if (!module) {
            foundation::LogDetail("accessibility", L"no UI Automation library: readers use Active Accessibility");
            return l;
        }
        const auto find = [module](auto& slot, const char* name) {
            slot = kestrana::win32::FunctionIn<std::remove_reference_t<decltype(slot)>>(module, name);
        };
        find(l.returnProvider, "UiaReturnRawElementProvider");
        find(l.hostProvider, "UiaHostProviderFromHwnd");
        find(l.raiseEvent, "UiaRaiseAutomationEvent");
        find(l.raiseProperty, "UiaRaiseAutomationPropertyChangedEvent");
        find(l.raiseStructure, "UiaRaiseStructureChangedEvent");
        find(l.listening, "UiaClientsAreListening");
        return l;
    }();
    return library;
}

// Whether an event is worth raising: a UI Automation client asked this surface and
// (where the system can say) still listens.
bool Listening(const Shared& shared) {
    if (!shared.askedUia) return false;
    const Library& l = Uia();
    return !l.listening || l.listening();
}

CONTROLTYPEID ControlTypeOf(AccessibleRole role) {
    switch (role) {
    case AccessibleRole::Window: return 50033;      // pane
    case AccessibleRole::ToolBar: return 50021;
    case AccessibleRole::MenuBar: return 50010;
    case AccessibleRole::PushButton: return 50000;  // button
    case AccessibleRole::MenuButton: return 50031;  // split button: acts and has a menu
    case AccessibleRole::MenuItem: return 50011;
    case AccessibleRole::PopupMenu: return 50009;   // menu
    case AccessibleRole::Separator: return 50038;
    case AccessibleRole::Clock: return 50020;       // text
    case AccessibleRole::StaticText: return 50020;
    case AccessibleRole::Text: return 50004;        // edit
    case AccessibleRole::List: return 50008;
    case AccessibleRole::ListItem: return 50007;
    case AccessibleRole::Grouping: return 50026;    // group
    case AccessibleRole::PageTabList: return 50018; // tab
    case AccessibleRole::PageTab: return 50019;
    }
    return 50033;
}

bool HasMenu(const AccessibleElement& e) {
    return Has(e.state, AccessibleState::HasPopup) || Has(e.state, AccessibleState::Expanded) ||
           Has(e.state, AccessibleState::Collapsed);
}

HRESULT Text(const std::wstring& text, VARIANT* out) {
    out->vt = VT_BSTR;
    out->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!out->bstrVal) {
        out->vt = VT_EMPTY;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void Flag(bool value, VARIANT* out) {
    out->vt = VT_BOOL;
    out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

class Element final : public IRawElementProviderSimple,
                      public IRawElementProviderFragment,
                      public IRawElementProviderFragmentRoot,
                      public InvokeProvider,
                      public ValueProvider,
                      public ToggleProvider,
                      public ExpandCollapseProvider,
                      public SelectionProvider,
                      public SelectionItemProvider {
public:
    Element(std::weak_ptr<Shared> shared, AccessibleId id) : m_shared(std::move(shared)), m_id(id) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IRawElementProviderSimple))
            *out = static_cast<IRawElementProviderSimple*>(this);
        else if (riid == __uuidof(IRawElementProviderFragment))
            *out = static_cast<IRawElementProviderFragment*>(this);
        else if (riid == __uuidof(IRawElementProviderFragmentRoot) && m_id == foundation::kAccessibleRoot)
            *out = static_cast<IRawElementProviderFragmentRoot*>(this);
        else if (riid == kIidInvoke)
            *out = static_cast<InvokeProvider*>(this);
        else if (riid == kIidValue)
            *out = static_cast<ValueProvider*>(this);
        else if (riid == kIidToggle)
            *out = static_cast<ToggleProvider*>(this);
        else if (riid == kIidExpandCollapse)
            *out = static_cast<ExpandCollapseProvider*>(this);
        else if (riid == kIidSelection)
            *out = static_cast<SelectionProvider*>(this);
        else if (riid == kIidSelectionItem)
            *out = static_cast<SelectionItemProvider*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(enum ProviderOptions* out) noexcept override {
        if (!out) return E_POINTER;
        *out = ProviderOptions_ServerSideProvider;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const AccessibleElement& e = *s.element;
        const bool acts = !e.defaultAction.empty();
        const bool fits = (pattern == kInvokePattern && acts && !HasMenu(e)) ||
                          (pattern == kValuePattern && (!e.value.empty() || e.role == AccessibleRole::Text)) ||
                          (pattern == kTogglePattern && Has(e.state, AccessibleState::Checked)) ||
                          (pattern == kExpandCollapsePattern && HasMenu(e)) ||
                          (pattern == kSelectionPattern && foundation::HoldsSelection(*s.tree, m_id)) ||
                          (pattern == kSelectionItemPattern && foundation::InSelection(*s.tree, m_id));
        if (!fits) return S_OK; // no such pattern here: an empty answer, not an error
        *out = static_cast<IRawElementProviderSimple*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) noexcept override {
        if (!out) return E_POINTER;
        out->vt = VT_EMPTY;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const AccessibleElement& e = *s.element;
        switch (property) {
        case kNameProperty: return e.name.empty() ? S_OK : Text(e.name, out);
        case kControlTypeProperty:
            out->vt = VT_I4;
            out->lVal = ControlTypeOf(e.role);
            return S_OK;
        case kAutomationIdProperty: return Text(std::to_wstring(e.id), out);
        case kHelpTextProperty: return e.description.empty() ? S_OK : Text(e.description, out);
        case kAcceleratorKeyProperty: return e.shortcut.empty() ? S_OK : Text(e.shortcut, out);
        case kValueProperty: return e.value.empty() ? S_OK : Text(e.value, out);
        case kIsKeyboardFocusableProperty: Flag(Has(e.state, AccessibleState::Focusable), out); return S_OK;
        case kHasKeyboardFocusProperty: Flag(Has(e.state, AccessibleState::Focused), out); return S_OK;
        case kIsEnabledProperty: Flag(!Has(e.state, AccessibleState::Unavailable), out); return S_OK;
        case kIsOffscreenProperty:
            Flag(Has(e.state, AccessibleState::Invisible) || Has(e.state, AccessibleState::Offscreen), out);
            return S_OK;
        case kIsControlElementProperty:
        case kIsContentElementProperty: Flag(e.role != AccessibleRole::Separator, out); return S_OK;
        default: return S_OK; // not ours to say: the system fills it in
        }
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        // Only the root stands for the window; the system adds the window's own facts.
        if (m_id != foundation::kAccessibleRoot) return S_OK;
        const auto shared = m_shared.lock();
        if (!shared || !::IsWindow(shared->window)) return kElementNotAvailable;
        const Library& l = Uia();
        return l.hostProvider ? l.hostProvider(shared->window, out) : S_OK;
    }

    // IRawElementProviderFragment
    HRESULT STDMETHODCALLTYPE Navigate(enum NavigateDirection direction, IRawElementProviderFragment** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const AccessibleElement& e = *s.element;
        std::optional<AccessibleId> to;
        switch (direction) {
        case NavigateDirection_Parent:
            // The root's parent is the window's, which the system knows.
            if (m_id != foundation::kAccessibleRoot) to = e.parent;
            break;
        case NavigateDirection_NextSibling:
        case NavigateDirection_PreviousSibling:
            if (m_id == foundation::kAccessibleRoot) break;
            if (const AccessibleElement* parent = s.tree->Find(e.parent)) {
                const auto& kids = parent->children;
                for (std::size_t i = 0; i < kids.size(); ++i) {
                    if (kids[i] != m_id) continue;
                    if (direction == NavigateDirection_NextSibling && i + 1 < kids.size()) to = kids[i + 1];
                    if (direction == NavigateDirection_PreviousSibling && i > 0) to = kids[i - 1];
                    break;
                }
            }
            break;
        case NavigateDirection_FirstChild:
            if (!e.children.empty()) to = e.children.front();
            break;
        case NavigateDirection_LastChild:
            if (!e.children.empty()) to = e.children.back();
            break;
        }
        if (!to) return S_OK;
        return Make(*to, out);
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (m_id == foundation::kAccessibleRoot) return S_OK; // the window's own id
        SAFEARRAY* ids = ::SafeArrayCreateVector(VT_I4, 0, 2);
        if (!ids) return E_OUTOFMEMORY;
        LONG index = 0;
        int value = kAppendRuntimeId;
        ::SafeArrayPutElement(ids, &index, &value);
        index = 1;
        value = static_cast<int>(m_id);
        ::SafeArrayPutElement(ids, &index, &value);
        *out = ids;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(struct UiaRect* out) noexcept override {
        if (!out) return E_POINTER;
        *out = {};
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto& b = s.element->bounds;
        if (b.Empty() || Has(s.element->state, AccessibleState::Invisible)) return S_OK;
        *out = {static_cast<double>(b.x), static_cast<double>(b.y), static_cast<double>(b.width),
                static_cast<double>(b.height)};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFocus() noexcept override {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        // Most surfaces take the keyboard through their own hotkeys, and a reader's focus
        // request has nothing more to move there; those that wait unfocused take it here.
        if (!s.shared->actions.focus) return S_OK;
        return s.shared->actions.focus(m_id) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        auto* root = new (std::nothrow) Element(m_shared, foundation::kAccessibleRoot);
        if (!root) return E_OUTOFMEMORY;
        *out = static_cast<IRawElementProviderFragmentRoot*>(root);
        return S_OK;
    }

    // IRawElementProviderFragmentRoot
    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto hit = s.tree->HitTest(static_cast<int>(x), static_cast<int>(y));
        return hit ? Make(*hit, out) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto focused = s.tree->Focused();
        return focused && *focused != foundation::kAccessibleRoot ? Make(*focused, out) : S_OK;
    }

    // Invoke
    HRESULT STDMETHODCALLTYPE Invoke() noexcept override { return Act(); }

    // Value: what the element shows; nothing here is typed into through a reader.
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR) noexcept override { return kInvalidOperation; }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        *out = ::SysAllocStringLen(s.element->value.data(), static_cast<UINT>(s.element->value.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) noexcept override {
        if (!out) return E_POINTER;
        *out = TRUE;
        return S_OK;
    }

    // Toggle: a checked row flips by its own action.
    HRESULT STDMETHODCALLTYPE Toggle() noexcept override { return Act(); }
    HRESULT STDMETHODCALLTYPE get_ToggleState(int* out) noexcept override {
        if (!out) return E_POINTER;
        *out = 0;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        *out = Has(s.element->state, AccessibleState::Checked) ? 1 : 0;
        return S_OK;
    }

    // Expand/collapse: the element's action opens its menu; an open one closes as menus do.
    HRESULT STDMETHODCALLTYPE Expand() noexcept override {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (Has(s.element->state, AccessibleState::Expanded)) return S_OK;
        return Act();
    }
    HRESULT STDMETHODCALLTYPE Collapse() noexcept override {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        return Has(s.element->state, AccessibleState::Expanded) ? kInvalidOperation : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* out) noexcept override {
        if (!out) return E_POINTER;
        *out = 3;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        *out = Has(s.element->state, AccessibleState::Expanded) ? 1 : 0;
        return S_OK;
    }

    // Selection: a container whose items are selected one at a time (Launchpad's pages).
    HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto selected = foundation::SelectedChildren(*s.tree, m_id);
        SAFEARRAY* items = ::SafeArrayCreateVector(VT_UNKNOWN, 0, static_cast<ULONG>(selected.size()));
        if (!items) return E_OUTOFMEMORY;
        for (std::size_t i = 0; i < selected.size(); ++i) {
            Element* item = ProviderOf(m_shared, selected[i]);
            if (!item) {
                ::SafeArrayDestroy(items);
                return E_OUTOFMEMORY;
            }
            LONG index = static_cast<LONG>(i);
            // The array takes its own reference.
            const HRESULT put = ::SafeArrayPutElement(items, &index, static_cast<IRawElementProviderSimple*>(item));
            item->Release();
            if (FAILED(put)) {
                ::SafeArrayDestroy(items);
                return put;
            }
        }
        *out = items;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CanSelectMultiple(BOOL* out) noexcept override {
        if (!out) return E_POINTER;
        *out = FALSE;
        Snapshot s;
        return Open(s);
    }
    HRESULT STDMETHODCALLTYPE get_IsSelectionRequired(BOOL* out) noexcept override {
        return StateFlag(AccessibleState::SelectionRequired, out);
    }

    // Selection item: one item is current; selecting another moves it there.
    HRESULT STDMETHODCALLTYPE Select() noexcept override { return Choose(); }
    HRESULT STDMETHODCALLTYPE AddToSelection() noexcept override {
        // One at a time: adding is selecting when nothing else is selected.
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (Has(s.element->state, AccessibleState::Selected)) return S_OK;
        if (!foundation::SelectedChildren(*s.tree, s.element->parent).empty()) return kInvalidOperation;
        return Choose();
    }
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() noexcept override {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        // A selected item stays selected until another is chosen.
        return Has(s.element->state, AccessibleState::Selected) ? kInvalidOperation : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) noexcept override {
        return StateFlag(AccessibleState::Selected, out);
    }
    HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        Element* container = ProviderOf(m_shared, s.element->parent);
        if (!container) return E_OUTOFMEMORY;
        *out = static_cast<IRawElementProviderSimple*>(container);
        return S_OK;
    }

private:
    // One flag of the element's state, or why it cannot be read.
    HRESULT StateFlag(AccessibleState flag, BOOL* out) noexcept {
        if (!out) return E_POINTER;
        *out = FALSE;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        *out = Has(s.element->state, flag) ? TRUE : FALSE;
        return S_OK;
    }
    struct Snapshot {
        std::shared_ptr<Shared> shared;
        std::shared_ptr<const AccessibleTree> tree;
        const AccessibleElement* element = nullptr;
    };

    // The current snapshot and this element in it; an element that left the surface (or
    // a surface that is gone) is "not available", never a dead object.
    HRESULT Open(Snapshot& s) const {
        s.shared = m_shared.lock();
        if (!s.shared || !s.shared->surface || !::IsWindow(s.shared->window)) return kElementNotAvailable;
        try {
            s.tree = s.shared->surface->Current(static_cast<std::int64_t>(::GetTickCount64()));
        } catch (...) {
            foundation::LogCaught("accessible snapshot for UI Automation");
            return E_FAIL;
        }
        s.element = s.tree ? s.tree->Find(m_id) : nullptr;
        return s.element ? S_OK : kElementNotAvailable;
    }

    HRESULT Make(AccessibleId id, IRawElementProviderFragment** out) const {
        auto* element = new (std::nothrow) Element(m_shared, id);
        if (!element) return E_OUTOFMEMORY;
        *out = static_cast<IRawElementProviderFragment*>(element);
        return S_OK;
    }

    static Element* ProviderOf(const std::weak_ptr<Shared>& shared, AccessibleId id) {
        return new (std::nothrow) Element(shared, id);
    }

    HRESULT Choose() {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (!foundation::InSelection(*s.tree, m_id)) return kInvalidOperation;
        if (Has(s.element->state, AccessibleState::Selected)) return S_OK;
        if (!s.shared->actions.select) return kInvalidOperation;
        return s.shared->actions.select(m_id) ? S_OK : E_FAIL;
    }

    HRESULT Act() {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (Has(s.element->state, AccessibleState::Unavailable)) return static_cast<HRESULT>(0x80040200); // not enabled
        if (s.element->defaultAction.empty() || !s.shared->actions.invoke) return kInvalidOperation;
        // The action is posted by the surface: the reader's call returns at once.
        return s.shared->actions.invoke(m_id) ? S_OK : E_FAIL;
    }

    std::weak_ptr<Shared> m_shared;
    AccessibleId m_id;
    std::atomic<ULONG> m_refs{1};
};

// A fresh provider for element `id`, or null.
Element* ProviderFor(const std::shared_ptr<Shared>& shared, AccessibleId id) {
    return new (std::nothrow) Element(shared, id);
}

} // namespace

std::optional<LRESULT> AnswerRoot(const std::shared_ptr<Shared>& shared, WPARAM wParam, LPARAM lParam) noexcept {
    if (static_cast<LONG>(lParam) != kRootObjectId || !shared) return std::nullopt;
    const Library& l = Uia();
    if (!l.returnProvider) return std::nullopt;
    Element* root = ProviderFor(shared, foundation::kAccessibleRoot);
    if (!root) return std::nullopt;
    shared->asked = shared->askedUia = true;
    const LRESULT result = l.returnProvider(shared->window, wParam, lParam, static_cast<IRawElementProviderSimple*>(root));
    root->Release(); // the system holds its own reference
    return result;
}

void RaiseFocus(const std::shared_ptr<Shared>& shared, AccessibleId id) noexcept {
    if (!shared || !Listening(*shared) || !Uia().raiseEvent) return;
    if (Element* element = ProviderFor(shared, id)) {
        Uia().raiseEvent(static_cast<IRawElementProviderSimple*>(element), kFocusChangedEvent);
        element->Release();
    }
}

void RaiseValue(const std::shared_ptr<Shared>& shared, AccessibleId id) noexcept {
    if (!shared || !Listening(*shared) || !Uia().raiseProperty || !shared->surface) return;
    Element* element = ProviderFor(shared, id);
    if (!element) return;
    VARIANT before{}, now{};
    before.vt = VT_EMPTY;
    now.vt = VT_EMPTY;
    try {
        const auto tree = shared->surface->Current(static_cast<std::int64_t>(::GetTickCount64()));
        if (const AccessibleElement* e = tree ? tree->Find(id) : nullptr) (void)Text(e->value, &now);
    } catch (...) {
        foundation::LogCaught("UI Automation value event");
    }
    Uia().raiseProperty(static_cast<IRawElementProviderSimple*>(element), kValueProperty, before, now);
    ::VariantClear(&now);
    element->Release();
}

void RaiseStructure(const std::shared_ptr<Shared>& shared) noexcept {
    if (!shared || !Listening(*shared) || !Uia().raiseStructure) return;
    if (Element* root = ProviderFor(shared, foundation::kAccessibleRoot)) {
        Uia().raiseStructure(static_cast<IRawElementProviderSimple*>(root), kChildrenInvalidated, nullptr, 0);
        root->Release();
    }
}

void Release(const std::shared_ptr<Shared>& shared) noexcept {
    if (!shared || !shared->askedUia || !shared->window) return;
    // Documented as the way to let the system drop what it holds for a window.
    if (const Library& l = Uia(); l.returnProvider) l.returnProvider(shared->window, 0, 0, nullptr);
}

} // namespace kestrana::win32::uia
