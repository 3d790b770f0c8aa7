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

// The same conversions straight between UTF-8 and UTF-16 units, as the file codecs need
// them. A lone surrogate becomes U+FFFD in UTF-8; each maximal invalid UTF-8 subpart
// becomes one U+FFFD.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view text);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
[[nodiscard]] bool IsValidUtf8(std::string_view text);

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

// Space, tab, CR, LF, vertical tab and form feed at both ends.
[[nodiscard]] std::wstring_view TrimBlanks(std::wstring_view text);

// Integer parsing as the settings do: optional blanks and sign, base-10 digits as far as
// they go; no digits or overflow gives 0 ("42abc" -> 42, "abc" -> 0).
[[nodiscard]] std::int32_t ParseInt32(std::wstring_view text);
[[nodiscard]] std::int64_t ParseInt64(std::wstring_view text);
// Likewise for decimal floats: blanks, sign, digits with an optional fraction and
// exponent, as far as they form a number ("0.5px" -> 0.5, "1e+06" -> 1000000); no number,
// or a value outside the float range, gives 0.
[[nodiscard]] float ParseFloat(std::wstring_view text);
// The text a float is stored as: six significant digits, no trailing zeros ("0.5",
// "1.25", "1e+06"), independent of the locale.
[[nodiscard]] std::wstring FormatFloat(float value);

} // namespace kestrana::foundation
