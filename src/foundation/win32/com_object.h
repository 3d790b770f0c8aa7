#pragma once
// A COM object of our own that offers one interface: its reference count and its
// QueryInterface (that interface and IUnknown). Made with `new`, holding one reference
// for its maker, who lets go of it with Release; the last Release deletes it.

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace kestrana::win32 {

template <typename Interface>
class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) noexcept override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(Interface)) {
            *out = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> m_refs{1};
};

} // namespace kestrana::win32
