#pragma once
// The window procedure of a window whose object is stored in one of its properties.

#include "foundation/diagnostic_log.h"

#include <windows.h>

namespace kestrana::win32 {

// Hands each message to `Handle` of the object in property `Property`; without the
// property (before it is set, after it is removed) the default procedure answers.
// Nothing thrown leaves it: what is caught is logged under `Place`.
template <typename T, LRESULT (T::*Handle)(UINT, WPARAM, LPARAM), const wchar_t* Property, const char* Place>
LRESULT CALLBACK ForwardToOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = static_cast<T*>(::GetPropW(window, Property));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return (self->*Handle)(message, wParam, lParam);
    } catch (...) {
        foundation::LogCaught(Place);
        return 0;
    }
}

} // namespace kestrana::win32
