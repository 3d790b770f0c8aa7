#pragma once
// Reading a text value from an open registry key.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace kestrana::win32 {

// The value's text without its terminator(s); nothing when it is missing or not text.
// REG_EXPAND_SZ counts as text only when asked for, and is returned unexpanded.
[[nodiscard]] std::optional<std::wstring> QueryStringValue(HKEY key, std::wstring_view valueName, bool acceptExpandable) noexcept;

} // namespace kestrana::win32
