#pragma once
// Our own declarations of the few runtime interfaces the Bluetooth and hotspot code call
// (this toolchain has no headers for them), written from their published definitions,
// and the small machinery around them: the runtime's functions looked up at run time
// (they are missing on some systems, and Wine activates few of the classes), owned
// strings, waiting for an asynchronous operation on a worker, and delegates that hand
// each event to a function.

#include "menubar/runtime_type_id.h"

#include <windows.h>
#include <inspectable.h>
#include <hstring.h>
#include <eventtoken.h>
#include <wrl/client.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::menubar::win32::abi {

using Microsoft::WRL::ComPtr;

[[nodiscard]] GUID ToGuid(const TypeId& id);
// For a plain interface id written in a definition.
[[nodiscard]] GUID GuidOf(std::string_view text);

// The runtime's entry points; all null when the system has no runtime.
struct Runtime {
    HRESULT(WINAPI* initialize)(int type) = nullptr;
    void(WINAPI* uninitialize)() = nullptr;
    HRESULT(WINAPI* getFactory)(HSTRING cls, REFIID iid, void** factory) = nullptr;
    HRESULT(WINAPI* activate)(HSTRING cls, IInspectable** instance) = nullptr;
    HRESULT(WINAPI* createString)(const wchar_t* text, UINT32 length, HSTRING* out) = nullptr;
    HRESULT(WINAPI* deleteString)(HSTRING text) = nullptr;
    const wchar_t*(WINAPI* rawBuffer)(HSTRING text, UINT32* length) = nullptr;
    [[nodiscard]] bool Present() const {
        return initialize && uninitialize && getFactory && activate && createString && deleteString && rawBuffer;
    }
};
[[nodiscard]] const Runtime& TheRuntime();

// An owned runtime string.
class HString {
public:
    HString() = default;
    explicit HString(std::wstring_view text);
    ~HString();
    HString(const HString&) = delete;
    HString& operator=(const HString&) = delete;
    [[nodiscard]] HSTRING Get() const { return m_value; }
    HSTRING* Put(); // for an out parameter: lets go of what it held
    [[nodiscard]] std::wstring Text() const;

private:
    HSTRING m_value = nullptr;
};

// The runtime's multithreaded apartment on the calling (worker) thread.
class RuntimeApartment {
public:
    RuntimeApartment();
    ~RuntimeApartment();
    RuntimeApartment(const RuntimeApartment&) = delete;
    RuntimeApartment& operator=(const RuntimeApartment&) = delete;
    [[nodiscard]] HRESULT Result() const { return m_result; }

private:
    HRESULT m_result = E_NOTIMPL;
};

// A class's factory for interface `iid`; the failure says why (a class the system does not know).
HRESULT Factory(std::wstring_view cls, REFIID iid, void** out);

// --- Foundation -------------------------------------------------------------------------

// Declared by the toolchain's header but in none of its libraries.
inline const GUID kInspectableId = {0xaf86e2e0, 0xb12d, 0x4c6a, {0x9c, 0x5a, 0xd7, 0xaa, 0x65, 0x10, 0x1e, 0x90}};

enum class AsyncStatus : int { Started = 0, Completed = 1, Canceled = 2, Error = 3 };

struct IAsyncInfo : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
};
inline const GUID kAsyncInfoId = {0x00000036, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Every asynchronous operation has this shape; only its result's type differs.
template <typename Result>
struct IAsyncOperation : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(Result* results) = 0;
};

// Waits (on a worker) until `operation` ends, giving up after `timeoutMs` or when `stop`
// is set; S_OK when it completed, else why not.
HRESULT Wait(IInspectable* operation, DWORD timeoutMs, const std::atomic<bool>* stop = nullptr);

template <typename Item>
struct IVectorView : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, Item* item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(Item item, UINT32* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, Item* items, UINT32* actual) = 0;
};

struct IMapView : IInspectable { // of HSTRING to IInspectable
    virtual HRESULT STDMETHODCALLTYPE Lookup(HSTRING key, IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE HasKey(HSTRING key, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE Split(IInspectable** first, IInspectable** second) = 0;
};

enum class PropertyType : int { Empty = 0, UInt8 = 1, Int16 = 2, UInt16 = 3, Int32 = 4, UInt32 = 5, Int64 = 6,
                                UInt64 = 7, Boolean = 11, String = 12 };

struct IPropertyValue : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Type(PropertyType* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsNumericScalar(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt8(BYTE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt16(INT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt16(UINT16* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt32(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt32(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInt64(INT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUInt64(UINT64* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSingle(FLOAT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDouble(DOUBLE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChar16(WCHAR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoolean(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetString(HSTRING* value) = 0;
};
inline const GUID kPropertyValueId = {0x4bd682dd, 0x7554, 0x40e9, {0x9a, 0x9b, 0x82, 0x65, 0x4e, 0xde, 0x7e, 0x62}};

struct IBuffer : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Capacity(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Length(UINT32 value) = 0;
};
struct IBufferByteAccess : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Buffer(BYTE** value) = 0;
};
inline const GUID kBufferByteAccessId = {0x905a0fef, 0xbc53, 0x11df, {0x8c, 0x49, 0x00, 0x1e, 0x4f, 0xc6, 0x86, 0xda}};

// A delegate (an event handler or a completion handler) whose Invoke hands both arguments
// to a function; it answers to `iid`, the delegate's instance id. Callbacks come on
// system threads: the function must only record and post.
class Delegate final : public IUnknown {
public:
    using Call = std::function<void(IInspectable* sender, IInspectable* args)>;
    // Holds one reference for the maker.
    static Delegate* Make(const GUID& iid, Call call);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    virtual HRESULT STDMETHODCALLTYPE Invoke(IInspectable* sender, IInspectable* args) noexcept;

private:
    Delegate(const GUID& iid, Call call) : m_iid(iid), m_call(std::move(call)) {}
    ~Delegate() = default;
    GUID m_iid;
    Call m_call;
    std::atomic<ULONG> m_refs{1};
};

// The delegate id of TypedEventHandler<sender, args> from their signatures.
[[nodiscard]] GUID TypedHandlerId(const std::string& sender, const std::string& args);

// A read-only list of strings to pass where the system wants an iterable of them.
[[nodiscard]] ComPtr<IInspectable> StringList(std::vector<std::wstring> items);

// Reads one property of a property map: nothing when missing or of another type.
[[nodiscard]] std::optional<bool> BoolProperty(IMapView* map, const wchar_t* key);
[[nodiscard]] std::optional<std::wstring> StringProperty(IMapView* map, const wchar_t* key);
[[nodiscard]] std::optional<std::uint32_t> UnsignedProperty(IMapView* map, const wchar_t* key);

} // namespace kestrana::menubar::win32::abi
