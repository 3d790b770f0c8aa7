#include "foundation/win32/accessible_host.h"

#include "foundation/win32/accessible_host_shared.h"
#include "foundation/win32/accessible_uia.h"

#include "foundation/diagnostic_log.h"

#include <oleacc.h>

#include <algorithm>
#include <atomic>
#include <new>

namespace kestrana::win32 {

using foundation::AccessibleElement;
using foundation::AccessibleFlow;
using foundation::AccessibleId;
using foundation::AccessibleRole;
using foundation::AccessibleState;
using foundation::AccessibleTree;

namespace {

long RoleOf(AccessibleRole role) {
    switch (role) {
    case AccessibleRole::Window: return ROLE_SYSTEM_CLIENT;
    case AccessibleRole::ToolBar: return ROLE_SYSTEM_TOOLBAR;
    case AccessibleRole::MenuBar: return ROLE_SYSTEM_MENUBAR;
    case AccessibleRole::PushButton: return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::MenuButton: return ROLE_SYSTEM_BUTTONMENU;
    case AccessibleRole::MenuItem: return ROLE_SYSTEM_MENUITEM;
    case AccessibleRole::PopupMenu: return ROLE_SYSTEM_MENUPOPUP;
    case AccessibleRole::Separator: return ROLE_SYSTEM_SEPARATOR;
    case AccessibleRole::Clock: return ROLE_SYSTEM_CLOCK;
    case AccessibleRole::StaticText: return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::Text: return ROLE_SYSTEM_TEXT;
    case AccessibleRole::List: return ROLE_SYSTEM_LIST;
    case AccessibleRole::ListItem: return ROLE_SYSTEM_LISTITEM;
    case AccessibleRole::Grouping: return ROLE_SYSTEM_GROUPING;
    case AccessibleRole::PageTabList: return ROLE_SYSTEM_PAGETABLIST;
    case AccessibleRole::PageTab: return ROLE_SYSTEM_PAGETAB;
    }
    return ROLE_SYSTEM_CLIENT;
}

long StateOf(AccessibleState state) {
    struct Pair {
        AccessibleState ours;
        long theirs;
    };
    // Running has no flag of its own here: the description says it.
    static constexpr Pair kPairs[] = {
        {AccessibleState::Focusable, STATE_SYSTEM_FOCUSABLE},   {AccessibleState::Focused, STATE_SYSTEM_FOCUSED},
        {AccessibleState::Selectable, STATE_SYSTEM_SELECTABLE}, {AccessibleState::Selected, STATE_SYSTEM_SELECTED},
        {AccessibleState::Expanded, STATE_SYSTEM_EXPANDED},     {AccessibleState::Collapsed, STATE_SYSTEM_COLLAPSED},
        {AccessibleState::Pressed, STATE_SYSTEM_PRESSED},       {AccessibleState::Unavailable, STATE_SYSTEM_UNAVAILABLE},
        {AccessibleState::Checked, STATE_SYSTEM_CHECKED},       {AccessibleState::HasPopup, STATE_SYSTEM_HASPOPUP},
        {AccessibleState::Invisible, STATE_SYSTEM_INVISIBLE},   {AccessibleState::Offscreen, STATE_SYSTEM_OFFSCREEN},
        {AccessibleState::Attention, STATE_SYSTEM_ALERT_MEDIUM}, {AccessibleState::Busy, STATE_SYSTEM_BUSY},
    };
    long out = 0;
    for (const Pair& p : kPairs)
        if (Has(state, p.ours)) out |= p.theirs;
    return out;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The client object of the window (node = the root) or one container element inside it.
// Leaves are answered by child id through their container, as simple elements.
class SurfaceAccessible final : public IAccessible, public IEnumVARIANT {
public:
    SurfaceAccessible(std::weak_ptr<AccessibleHost::Shared> shared, AccessibleId node)
        : m_shared(std::move(shared)), m_node(node) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
        } else if (riid == __uuidof(IEnumVARIANT)) {
            *out = static_cast<IEnumVARIANT*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: names are not offered; clients use the vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) noexcept override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (m_node == foundation::kAccessibleRoot)
            return ::AccessibleObjectFromWindow(s.window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                                reinterpret_cast<void**>(parent));
        return MakeNode(s.element->parent, parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) noexcept override {
        if (!count) return E_POINTER;
        *count = 0;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        *count = static_cast<long>(s.element->children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        if (e == s.element) return E_INVALIDARG;
        if (e->children.empty()) return S_FALSE; // a simple element
        return MakeNode(e->id, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) noexcept override {
        return Text(child, out, &AccessibleElement::name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) noexcept override {
        return Text(child, out, &AccessibleElement::value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) noexcept override {
        return Text(child, out, &AccessibleElement::description);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) noexcept override {
        return Number(child, out, [](const AccessibleElement& e) { return RoleOf(e.role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) noexcept override {
        return Number(child, out, [](const AccessibleElement& e) { return StateOf(e.state); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) noexcept override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) noexcept override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) noexcept override {
        return Text(child, out, &AccessibleElement::shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) noexcept override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto focused = s.tree->Focused();
        return focused ? Point(s, *focused, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) noexcept override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        // Lists select one item at a time: that item, or nothing.
        const auto selected = foundation::SelectedChildren(*s.tree, m_node);
        return selected.empty() ? S_FALSE : Point(s, selected.front(), out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) noexcept override {
        return Text(child, out, &AccessibleElement::defaultAction);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) noexcept override {
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        // A surface that waits unfocused takes the keyboard where the reader asks.
        if (flags == SELFLAG_TAKEFOCUS && s.shared->actions.focus)
            return s.shared->actions.focus(e->id) ? S_OK : E_FAIL;
        // Taking the selection in a list whose items are chosen one at a time (Launchpad's
        // page tabs); focus and multiple selection are not a reader's to move here.
        if (flags != SELFLAG_TAKESELECTION || !foundation::InSelection(*s.tree, e->id)) return DISP_E_MEMBERNOTFOUND;
        if (Has(e->state, AccessibleState::Selected)) return S_OK;
        if (!s.shared->actions.select) return DISP_E_MEMBERNOTFOUND;
        return s.shared->actions.select(e->id) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) noexcept override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        *left = e->bounds.x;
        *top = e->bounds.y;
        *width = e->bounds.width;
        *height = e->bounds.height;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) noexcept override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(start, s, e); FAILED(hr)) return hr;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            if (e != s.element) return E_INVALIDARG;
            if (e->children.empty()) return S_FALSE;
            return Point(s, direction == NAVDIR_FIRSTCHILD ? e->children.front() : e->children.back(), out);
        }
        const AccessibleElement* container = s.tree->Find(e->parent);
        if (e->id == foundation::kAccessibleRoot || !container) return S_FALSE;
        int step = 0;
        const AccessibleFlow flow = container->flow;
        const int row = flow == AccessibleFlow::Grid && container->columns > 0 ? container->columns : 1;
        switch (direction) {
        case NAVDIR_NEXT: step = 1; break;
        case NAVDIR_PREVIOUS: step = -1; break;
        case NAVDIR_RIGHT: step = flow == AccessibleFlow::Vertical ? 0 : 1; break;
        case NAVDIR_LEFT: step = flow == AccessibleFlow::Vertical ? 0 : -1; break;
        case NAVDIR_DOWN: step = flow == AccessibleFlow::Horizontal ? 0 : row; break;
        case NAVDIR_UP: step = flow == AccessibleFlow::Horizontal ? 0 : -row; break;
        default: return E_INVALIDARG;
        }
        const auto next = step ? s.tree->Sibling(e->id, step) : std::nullopt;
        if (!next) return S_FALSE;
        // From the object itself, its sibling is an object of its own to this object's
        // parent; from a child, it is a child too.
        if (e == s.element) return MakeNodeVariant(*next, out);
        return Point(s, *next, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) noexcept override {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto hit = s.tree->HitTest(static_cast<int>(x), static_cast<int>(y));
        return hit ? Point(s, *hit, out) : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override {
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        if (e->defaultAction.empty() || !s.shared->actions.invoke) return DISP_E_MEMBERNOTFOUND;
        try {
            return s.shared->actions.invoke(e->id) ? S_OK : E_FAIL;
        } catch (...) {
            foundation::LogCaught("accessible default action");
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) noexcept override { return E_NOTIMPL; }

    // IEnumVARIANT: the node's children in screen order, as ids or as objects.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) noexcept override {
        if (fetched) *fetched = 0;
        if (!out) return E_POINTER;
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const auto& kids = s.element->children;
        ULONG given = 0;
        for (; given < count && m_position < kids.size(); ++given, ++m_position) {
            ::VariantInit(&out[given]);
            if (FAILED(Point(s, kids[m_position], &out[given]))) break;
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) noexcept override {
        Snapshot s;
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        const std::size_t total = s.element->children.size();
        m_position = std::min<std::size_t>(total, m_position + count);
        return m_position < total ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() noexcept override {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) noexcept override {
        if (!out) return E_POINTER;
        auto* copy = new (std::nothrow) SurfaceAccessible(m_shared, m_node);
        if (!copy) return E_OUTOFMEMORY;
        copy->m_position = m_position;
        *out = copy;
        return S_OK;
    }

private:
    ~SurfaceAccessible() = default;

    struct Snapshot {
        std::shared_ptr<AccessibleHost::Shared> shared;
        std::shared_ptr<const AccessibleTree> tree;
        const AccessibleElement* element = nullptr; // this object's node
        HWND window = nullptr;
    };

    // The current snapshot and this object's node in it.
    HRESULT Open(Snapshot& s) const {
        s.shared = m_shared.lock();
        if (!s.shared || !s.shared->surface || !::IsWindow(s.shared->window)) return CO_E_OBJNOTCONNECTED;
        s.window = s.shared->window;
        try {
            s.tree = s.shared->surface->Current(static_cast<std::int64_t>(::GetTickCount64()));
        } catch (...) {
            foundation::LogCaught("accessible snapshot");
            return E_FAIL;
        }
        s.element = s.tree ? s.tree->Find(m_node) : nullptr;
        // The container this object stood for left the surface.
        return s.element ? S_OK : CO_E_OBJNOTCONNECTED;
    }

    // This object's node (CHILDID_SELF) or one of its children by id.
    HRESULT Resolve(const VARIANT& child, Snapshot& s, const AccessibleElement*& e) const {
        if (const HRESULT hr = Open(s); FAILED(hr)) return hr;
        if (child.vt != VT_I4) return E_INVALIDARG;
        if (child.lVal == CHILDID_SELF) {
            e = s.element;
            return S_OK;
        }
        if (child.lVal < 0) return E_INVALIDARG;
        e = s.tree->Find(static_cast<AccessibleId>(child.lVal));
        // Gone with a rebuild, or an element of another container.
        if (!e || e->parent != m_node || e->id == foundation::kAccessibleRoot) return E_INVALIDARG;
        return S_OK;
    }

    HRESULT Text(const VARIANT& child, BSTR* out, std::wstring AccessibleElement::*field) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        return ReturnText(e->*field, out);
    }

    template <typename Read>
    HRESULT Number(const VARIANT& child, VARIANT* out, Read read) const {
        if (!out) return E_POINTER;
        ::VariantInit(out);
        Snapshot s;
        const AccessibleElement* e = nullptr;
        if (const HRESULT hr = Resolve(child, s, e); FAILED(hr)) return hr;
        out->vt = VT_I4;
        out->lVal = static_cast<LONG>(read(*e));
        return S_OK;
    }

    HRESULT MakeNode(AccessibleId id, IDispatch** out) const {
        auto* node = new (std::nothrow) SurfaceAccessible(m_shared, id);
        if (!node) return E_OUTOFMEMORY;
        *out = static_cast<IAccessible*>(node);
        return S_OK;
    }
    HRESULT MakeNodeVariant(AccessibleId id, VARIANT* out) const {
        IDispatch* node = nullptr;
        if (const HRESULT hr = MakeNode(id, &node); FAILED(hr)) return hr;
        out->vt = VT_DISPATCH;
        out->pdispVal = node;
        return S_OK;
    }

    // How element `id` is named to a client of this object: itself, a simple child by id,
    // or (for a container, or anything deeper) the object of the child that leads there.
    HRESULT Point(const Snapshot& s, AccessibleId id, VARIANT* out) const {
        if (id == m_node) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
            return S_OK;
        }
        const AccessibleElement* e = s.tree->Find(id);
        // Climb to the child of this node on the way to `id`.
        for (int depth = 0; e && e->parent != m_node && depth < 64; ++depth) {
            if (e->id == foundation::kAccessibleRoot) return S_FALSE; // not inside this node
            e = s.tree->Find(e->parent);
        }
        if (!e || e->parent != m_node || e->id == foundation::kAccessibleRoot) return S_FALSE;
        if (e->children.empty()) {
            out->vt = VT_I4;
            out->lVal = static_cast<long>(e->id);
            return S_OK;
        }
        return MakeNodeVariant(e->id, out);
    }

    std::weak_ptr<AccessibleHost::Shared> m_shared;
    AccessibleId m_node;
    std::atomic<ULONG> m_refs{1};
    std::size_t m_position = 0;
};

} // namespace

AccessibleHost::AccessibleHost(HWND window, foundation::AccessibleSurface::Builder builder, AccessibleActions actions)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->window = window;
    m_shared->surface.emplace(std::move(builder));
    m_shared->actions = std::move(actions);
}

AccessibleHost::~AccessibleHost() {
    uia::Release(m_shared);
    // Objects still held by clients find nothing behind their link from now on.
    m_shared->surface.reset();
    m_shared->actions = {};
}

std::optional<LRESULT> AccessibleHost::OnGetObject(WPARAM wParam, LPARAM lParam) noexcept {
    // UI Automation clients get the same elements from a provider of their own kind, so
    // the system does not bridge them through the object below as well.
    if (auto answer = uia::AnswerRoot(m_shared, wParam, lParam)) return answer;
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return std::nullopt;
    auto* object = new (std::nothrow) SurfaceAccessible(m_shared, foundation::kAccessibleRoot);
    if (!object) return std::nullopt;
    m_shared->asked = true;
    const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release(); // the result holds its own reference
    if (FAILED(static_cast<HRESULT>(result))) {
        foundation::LogFailure("accessibility", L"the surface's object could not be handed over");
        return std::nullopt;
    }
    return result;
}

void AccessibleHost::Changed() noexcept {
    if (m_shared->surface) m_shared->surface->Invalidate();
    if (m_shared->asked) ::NotifyWinEvent(EVENT_OBJECT_REORDER, m_shared->window, OBJID_CLIENT, CHILDID_SELF);
    uia::RaiseStructure(m_shared);
}

void AccessibleHost::ValueChanged(AccessibleId id) noexcept {
    if (m_shared->surface) m_shared->surface->Invalidate();
    if (m_shared->asked) ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, m_shared->window, OBJID_CLIENT, static_cast<LONG>(id));
    uia::RaiseValue(m_shared, id);
}

void AccessibleHost::FocusChanged(AccessibleId id) noexcept {
    if (m_shared->surface) m_shared->surface->Invalidate();
    if (m_shared->asked) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, m_shared->window, OBJID_CLIENT, static_cast<LONG>(id));
    uia::RaiseFocus(m_shared, id);
}

} // namespace kestrana::win32
