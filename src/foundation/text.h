#pragma once
// Text helpers shared by every subsystem. The rules keep text as std::wstring; on Linux
// wchar_t holds UTF-32 and on Windows UTF-16, so every conversion to and from the files'
// UTF-16 goes through here and lengths that the system limits are counted in UTF-16 units.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrana::foundation {

// UTF-16 code units of a wide string (surrogate pairs on Linux, as is on Windows).
[[nodiscard]] std::u16string ToUtf16(std::wstring_view text);
// Lone surrogates are kept as single units so a round trip never loses data.
[[nodiscard]] std::wstring FromUtf16(std::u16string_view text);

[[nodiscard]] std::string ToUtf8(std::wstring_view text);
// Invalid sequences become U+FFFD.
[[nodiscard]] std::wstring FromUtf8(std::string_view text);

// Length in UTF-16 code units.
[[nodiscard]] std::size_t Utf16Length(std::wstring_view text);
// The longest prefix of at most `units` UTF-16 code units (a pair is never split).
[[nodiscard]] std::wstring TruncateUtf16(std::wstring_view text, std::size_t units);

// ASCII-only case folding, as the system does for paths kept for comparison.
[[nodiscard]] std::wstring AsciiLower(std::wstring_view text);
[[nodiscard]] bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
[[nodiscard]] bool ContainsIgnoreCase(std::wstring_view text, std::wstring_view part);
[[nodiscard]] bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix);
[[nodiscard]] bool EndsWithIgnoreCase(std::wstring_view text, std::wstring_view suffix);

[[nodiscard]] std::wstring_view TrimBlanks(std::wstring_view text);

// Integer parsing as the settings do: optional blanks and sign, base-10 digits as far as
// they go; no digits or overflow gives 0 ("42abc" -> 42, "abc" -> 0).
[[nodiscard]] std::int32_t ParseInt32(std::wstring_view text);
[[nodiscard]] std::int64_t ParseInt64(std::wstring_view text);
[[nodiscard]] float ParseFloat(std::wstring_view text);

} // namespace kestrana::foundation
