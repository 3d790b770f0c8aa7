#pragma once
// Functions looked up at run time: newer than the oldest Windows we support, missing or
// stubbed under Wine, or in a library loaded only when a feature first needs it.

#include <windows.h>

namespace kestrana::win32 {

// Null when the module or the function is missing.
template <typename Fn>
[[nodiscard]] Fn FunctionIn(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// For a module the process has already loaded (kernel32, user32, ntdll...).
template <typename Fn>
[[nodiscard]] Fn LoadedFunction(const wchar_t* module, const char* name) noexcept {
    return FunctionIn<Fn>(::GetModuleHandleW(module), name);
}

// Touch arrives as touch, not as a mouse made up from it. False when the system has no
// touch registration or refused it; the window then gets mouse input alone.
inline bool RegisterTouch(HWND window, ULONG flags = TWF_WANTPALM) noexcept {
    using RegisterTouchWindowFn = BOOL(WINAPI*)(HWND, ULONG);
    static const auto registerTouch = LoadedFunction<RegisterTouchWindowFn>(L"user32.dll", "RegisterTouchWindow");
    return registerTouch && window && registerTouch(window, flags);
}

} // namespace kestrana::win32
