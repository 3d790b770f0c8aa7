#pragma once
// Owners for the automation strings and variants that COM interfaces such as the Task
// Scheduler's take. Header-only so the companions can use them without linking the program.

#include <windows.h>
#include <oleauto.h>

namespace kestrana::win32 {

struct Bstr {
    BSTR value;
    explicit Bstr(const wchar_t* text) : value(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
};

struct Variant {
    VARIANT value;
    Variant() { ::VariantInit(&value); }
    explicit Variant(const wchar_t* text) {
        ::VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
    }
    ~Variant() { ::VariantClear(&value); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

} // namespace kestrana::win32
