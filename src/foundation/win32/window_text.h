#pragma once
// Another program's window caption and class name, read without sending it a message.

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace kestrana::win32 {

// From what the system keeps, without a message: a hung window cannot hold the caller.
// Captions longer than 255 characters are cut.
inline std::wstring WindowTitle(HWND window) {
    wchar_t buffer[256]{};
    const int length = ::GetWindowTextW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

inline std::wstring WindowClassName(HWND window) {
    wchar_t name[256]{};
    const int n = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<std::size_t>(std::max(n, 0)));
}

} // namespace kestrana::win32
