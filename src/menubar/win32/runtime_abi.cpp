#include "menubar/win32/runtime_abi.h"

#include "foundation/win32/system_function.h"

#include <cstring>
#include <memory>

namespace kestrana::menubar::win32::abi {

GUID ToGuid(const TypeId& id) {
    GUID guid{};
    guid.Data1 = id.data1;
    guid.Data2 = id.data2;
    guid.Data3 = id.data3;
    std::memcpy(guid.Data4, id.data4.data(), 8);
    return guid;
}

GUID GuidOf(std::string_view text) {
    const auto id = ParseTypeId(text);
    return id ? ToGuid(*id) : GUID{};
}

const Runtime& TheRuntime() {
    static const Runtime runtime = [] {
        Runtime r;
        // Loaded for good: the runtime's objects outlive any one caller.
        HMODULE combase = ::LoadLibraryW(L"combase.dll");
        if (!combase) return r;
        using kestrana::win32::FunctionIn;
        r.initialize = FunctionIn<decltype(r.initialize)>(combase, "RoInitialize");
        r.uninitialize = FunctionIn<decltype(r.uninitialize)>(combase, "RoUninitialize");
        r.getFactory = FunctionIn<decltype(r.getFactory)>(combase, "RoGetActivationFactory");
        r.activate = FunctionIn<decltype(r.activate)>(combase, "RoActivateInstance");
        r.createString = FunctionIn<decltype(r.createString)>(combase, "WindowsCreateString");
        r.deleteString = FunctionIn<decltype(r.deleteString)>(combase, "WindowsDeleteString");
        r.rawBuffer = FunctionIn<decltype(r.rawBuffer)>(combase, "WindowsGetStringRawBuffer");
        return r;
    }();
    return runtime;
}

HString::HString(std::wstring_view text) {
    const Runtime& r = TheRuntime();
    if (!r.Present() || FAILED(r.createString(text.data(), static_cast<UINT32>(text.size()), &m_value))) m_value = nullptr;
}

HString::~HString() {
    if (m_value) TheRuntime().deleteString(m_value);
}

HSTRING* HString::Put() {
    if (m_value) TheRuntime().deleteString(m_value);
    m_value = nullptr;
    return &m_value;
}

std::wstring HString::Text() const {
    if (!m_value || !TheRuntime().Present()) return {};
    UINT32 length = 0;
    const wchar_t* raw = TheRuntime().rawBuffer(m_value, &length);
    return raw ? std::wstring(raw, length) : std::wstring{};
}

RuntimeApartment::RuntimeApartment() {
    const Runtime& r = TheRuntime();
    m_result = r.Present() ? r.initialize(1 /* multithreaded */) : REGDB_E_CLASSNOTREG;
}

RuntimeApartment::~RuntimeApartment() {
    if (SUCCEEDED(m_result)) TheRuntime().uninitialize();
}

HRESULT Factory(std::wstring_view cls, REFIID iid, void** out) {
    *out = nullptr;
    const Runtime& r = TheRuntime();
    if (!r.Present()) return REGDB_E_CLASSNOTREG;
    HString name(cls);
    if (!name.Get()) return E_OUTOFMEMORY;
    try {
        return r.getFactory(name.Get(), iid, out);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT Wait(IInspectable* operation, DWORD timeoutMs, const std::atomic<bool>* stop) {
    if (!operation) return E_POINTER;
    ComPtr<IAsyncInfo> info;
    if (FAILED(operation->QueryInterface(kAsyncInfoId, reinterpret_cast<void**>(info.GetAddressOf())))) return E_NOINTERFACE;
    // A worker may wait: polling its status spares a completion delegate per result type.
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    for (;;) {
        AsyncStatus status = AsyncStatus::Started;
        if (FAILED(info->get_Status(&status))) return E_FAIL;
        if (status == AsyncStatus::Completed) return S_OK;
        if (status == AsyncStatus::Error) {
            HRESULT code = E_FAIL;
            info->get_ErrorCode(&code);
            return FAILED(code) ? code : E_FAIL;
        }
        if (status == AsyncStatus::Canceled) return E_ABORT;
        if (::GetTickCount64() >= until || (stop && stop->load())) {
            info->Cancel();
            return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
        }
        ::Sleep(20);
    }
}

Delegate* Delegate::Make(const GUID& iid, Call call) { return new Delegate(iid, std::move(call)); }

HRESULT Delegate::QueryInterface(REFIID riid, void** out) noexcept {
    if (!out) return E_POINTER;
    // The agile marker: events come on any thread, which the function allows for.
    static const GUID agile = {0x94ea2b94, 0xe9cc, 0x49e0, {0xc0, 0xff, 0xee, 0x64, 0xca, 0x8f, 0x5b, 0x90}};
    if (riid == IID_IUnknown || riid == m_iid || riid == agile) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG Delegate::Release() noexcept {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT Delegate::Invoke(IInspectable* sender, IInspectable* args) noexcept {
    try {
        if (m_call) m_call(sender, args);
    } catch (...) {
    }
    return S_OK;
}

GUID TypedHandlerId(const std::string& sender, const std::string& args) {
    return ToGuid(ParameterizedTypeId(GenericSignature("{9de1c534-6ae1-11e0-84e1-18a905bcc53f}", {sender, args})));
}

namespace {

const std::string kIterableOfString = GenericSignature("{faa585ea-6214-4217-afda-7f46de5869b3}", {"string"});
const std::string kIteratorOfString = GenericSignature("{6a79e863-4300-459a-9966-cbb660963ee1}", {"string"});

// The runtime's objects of our own. No virtual destructor here: it would take vtable
// slots before the derived interface's methods; the last Release deletes the derived type.
template <typename Self>
class Inspectable : public IInspectable {
public:
    explicit Inspectable(GUID iid) : m_iid(iid) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == kInspectableId || riid == m_iid) {
            *out = static_cast<IInspectable*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --m_refs;
        if (left == 0) delete static_cast<Self*>(this);
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) noexcept override {
        if (!count || !iids) return E_POINTER;
        *iids = static_cast<IID*>(::CoTaskMemAlloc(sizeof(IID)));
        if (!*iids) return E_OUTOFMEMORY;
        **iids = m_iid;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) noexcept override {
        if (name) *name = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) noexcept override {
        if (!level) return E_POINTER;
        *level = BaseTrust;
        return S_OK;
    }

private:
    GUID m_iid;
    std::atomic<ULONG> m_refs{1};
};

HRESULT Copy(const std::wstring& text, HSTRING* out) {
    return TheRuntime().createString(text.c_str(), static_cast<UINT32>(text.size()), out);
}

class StringIterator final : public Inspectable<StringIterator> {
    friend class Inspectable<StringIterator>;
public:
    explicit StringIterator(std::shared_ptr<const std::vector<std::wstring>> items)
        : Inspectable(ToGuid(ParameterizedTypeId(kIteratorOfString))), m_items(std::move(items)) {}
    virtual HRESULT STDMETHODCALLTYPE get_Current(HSTRING* value) noexcept {
        if (!value) return E_POINTER;
        *value = nullptr;
        if (m_at >= m_items->size()) return static_cast<HRESULT>(0x8000000B); // out of bounds
        return Copy((*m_items)[m_at], value);
    }
    virtual HRESULT STDMETHODCALLTYPE get_HasCurrent(boolean* value) noexcept {
        if (!value) return E_POINTER;
        *value = m_at < m_items->size();
        return S_OK;
    }
    virtual HRESULT STDMETHODCALLTYPE MoveNext(boolean* value) noexcept {
        if (m_at < m_items->size()) ++m_at;
        return get_HasCurrent(value);
    }
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 capacity, HSTRING* items, UINT32* actual) noexcept {
        if (!actual || (capacity && !items)) return E_POINTER;
        *actual = 0;
        while (*actual < capacity && m_at < m_items->size()) {
            if (FAILED(Copy((*m_items)[m_at], &items[*actual]))) return E_OUTOFMEMORY;
            ++*actual;
            ++m_at;
        }
        return S_OK;
    }

private:
    std::shared_ptr<const std::vector<std::wstring>> m_items;
    std::size_t m_at = 0;
};

class StringIterable final : public Inspectable<StringIterable> {
    friend class Inspectable<StringIterable>;
public:
    explicit StringIterable(std::vector<std::wstring> items)
        : Inspectable(ToGuid(ParameterizedTypeId(kIterableOfString))),
          m_items(std::make_shared<const std::vector<std::wstring>>(std::move(items))) {}
    virtual HRESULT STDMETHODCALLTYPE First(IInspectable** first) noexcept {
        if (!first) return E_POINTER;
        try {
            *first = new StringIterator(m_items);
            return S_OK;
        } catch (...) {
            *first = nullptr;
            return E_OUTOFMEMORY;
        }
    }

private:
    std::shared_ptr<const std::vector<std::wstring>> m_items;
};

ComPtr<IPropertyValue> Property(IMapView* map, const wchar_t* key) {
    if (!map) return nullptr;
    HString name(key);
    ComPtr<IInspectable> value;
    if (!name.Get() || FAILED(map->Lookup(name.Get(), value.GetAddressOf())) || !value) return nullptr;
    ComPtr<IPropertyValue> property;
    if (FAILED(value->QueryInterface(kPropertyValueId, reinterpret_cast<void**>(property.GetAddressOf())))) return nullptr;
    return property;
}

} // namespace

ComPtr<IInspectable> StringList(std::vector<std::wstring> items) {
    ComPtr<IInspectable> list;
    try {
        list.Attach(new StringIterable(std::move(items)));
    } catch (...) {
    }
    return list;
}

std::optional<bool> BoolProperty(IMapView* map, const wchar_t* key) {
    const auto property = Property(map, key);
    boolean value = 0;
    if (!property || FAILED(property->GetBoolean(&value))) return std::nullopt;
    return value != 0;
}

std::optional<std::wstring> StringProperty(IMapView* map, const wchar_t* key) {
    const auto property = Property(map, key);
    HString value;
    if (!property || FAILED(property->GetString(value.Put()))) return std::nullopt;
    return value.Text();
}

std::optional<std::uint32_t> UnsignedProperty(IMapView* map, const wchar_t* key) {
    const auto property = Property(map, key);
    PropertyType type = PropertyType::Empty;
    if (!property || FAILED(property->get_Type(&type))) return std::nullopt;
    switch (type) {
    case PropertyType::UInt8: {
        BYTE v = 0;
        if (SUCCEEDED(property->GetUInt8(&v))) return v;
        break;
    }
    case PropertyType::UInt16: {
        UINT16 v = 0;
        if (SUCCEEDED(property->GetUInt16(&v))) return v;
        break;
    }
    case PropertyType::UInt32: {
        UINT32 v = 0;
        if (SUCCEEDED(property->GetUInt32(&v))) return v;
        break;
    }
    default: break;
    }
    return std::nullopt;
}

} // namespace kestrana::menubar::win32::abi
