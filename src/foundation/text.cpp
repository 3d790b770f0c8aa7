#include "foundation/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kestrana::foundation {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Taken as a 32-bit value so the test also compiles quietly where wchar_t has 16 bits.
constexpr bool IsSupplementary(std::uint32_t c) { return c >= 0x10000 && c <= 0x10FFFF; }

constexpr wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one UTF-8 sequence starting at `i` and advances past it. An invalid sequence
// yields U+FFFD and advances past its valid prefix (at least one byte), as the Windows
// converter was seen to count replacements: a lead byte and a following continuation
// byte that together cannot start a valid character (an overlong form, a surrogate,
// beyond U+10FFFF) are replaced together.
char32_t NextUtf8(std::string_view text, std::size_t& i, bool& valid) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    valid = true;
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int need = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        ++i;
        valid = false;
        return kReplacement;
    }
    ++i;
    for (int k = 0; k < need; ++k) {
        if (i >= text.size()) {
            valid = false;
            return kReplacement;
        }
        const unsigned char b = byte(i);
        if (b < lo || b > hi) {
            if (k == 0 && b >= 0x80 && b <= 0xBF) ++i;
            valid = false;
            return kReplacement;
        }
        lo = 0x80;
        hi = 0xBF;
        cp = (cp << 6) | (b & 0x3F);
        ++i;
    }
    return cp;
}

template <typename Int>
Int ParseInteger(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate as a negative number so the minimum value parses without overflow.
    constexpr Int lowest = std::numeric_limits<Int>::min();
    Int value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const Int digit = static_cast<Int>(text[i] - L'0');
        if (value < (lowest + digit) / 10) return 0;
        value = static_cast<Int>(value * 10 - digit);
        any = true;
    }
    if (!any) return 0;
    if (negative) return value;
    if (value == lowest) return 0;
    return static_cast<Int>(-value);
}

} // namespace

std::u16string ToUtf16(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t wc : text) {
        const auto c = static_cast<char32_t>(wc);
        if constexpr (sizeof(wchar_t) == 2) {
            out.push_back(static_cast<char16_t>(c));
        } else if (c > 0x10FFFF) {
            out.push_back(static_cast<char16_t>(kReplacement));
        } else {
            AppendUtf16(out, c);
        }
    }
    return out;
}

std::wstring FromUtf16(std::u16string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if constexpr (sizeof(wchar_t) == 2) {
            out.push_back(static_cast<wchar_t>(c));
        } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00)));
            ++i;
        } else {
            out.push_back(static_cast<wchar_t>(c));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsSurrogate(c)) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    bool valid = true;
    while (i < text.size()) AppendUtf16(out, NextUtf8(text, i, valid));
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    bool valid = true;
    while (i < text.size()) {
        NextUtf8(text, i, valid);
        if (!valid) return false;
    }
    return true;
}

std::string ToUtf8(std::wstring_view text) { return Utf16ToUtf8(ToUtf16(text)); }

std::wstring FromUtf8(std::string_view text) { return FromUtf16(Utf8ToUtf16(text)); }

std::size_t Utf16Length(std::wstring_view text) {
    if constexpr (sizeof(wchar_t) == 2) {
        return text.size();
    } else {
        std::size_t units = 0;
        for (wchar_t c : text) units += IsSupplementary(static_cast<std::uint32_t>(c)) ? 2 : 1;
        return units;
    }
}

std::wstring TruncateUtf16(std::wstring_view text, std::size_t units) {
    std::size_t used = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const auto c = static_cast<char32_t>(text[i]);
        std::size_t width = 1;
        if constexpr (sizeof(wchar_t) == 2) {
            if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) width = 2;
        } else {
            if (IsSupplementary(static_cast<std::uint32_t>(c))) width = 2;
        }
        if (used + width > units) break;
        used += width;
        if (width == 2 && sizeof(wchar_t) == 2) ++i;
    }
    return std::wstring(text.substr(0, i));
}

std::wstring AsciiLower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = FoldAscii(c);
    return out;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool ContainsIgnoreCase(std::wstring_view text, std::wstring_view part) {
    if (part.empty()) return true;
    if (part.size() > text.size()) return false;
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        if (EqualsIgnoreCase(text.substr(i, part.size()), part)) return true;
    }
    return false;
}

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithIgnoreCase(std::wstring_view text, std::wstring_view suffix) {
    return text.size() >= suffix.size() && EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    const auto blank = [](wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::int32_t ParseInt32(std::wstring_view text) { return ParseInteger<std::int32_t>(text); }

std::int64_t ParseInt64(std::wstring_view text) { return ParseInteger<std::int64_t>(text); }

float ParseFloat(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r'))) ++i;
    // Collect the longest prefix that forms a decimal number; from_chars then converts it
    // without looking at the locale.
    std::string number;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-') number.push_back('-');
        ++i;
    }
    const auto isDigit = [&](std::size_t k) { return k < text.size() && text[k] >= L'0' && text[k] <= L'9'; };
    bool mantissaDigits = false;
    while (isDigit(i)) {
        number.push_back(static_cast<char>(text[i++]));
        mantissaDigits = true;
    }
    if (i < text.size() && text[i] == L'.') {
        std::size_t k = i + 1;
        std::string fraction;
        while (isDigit(k)) fraction.push_back(static_cast<char>(text[k++]));
        if (mantissaDigits || !fraction.empty()) {
            number.push_back('.');
            number += fraction;
            mantissaDigits = true;
            i = k;
        }
    }
    if (!mantissaDigits) return 0.0f;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        std::size_t k = i + 1;
        std::string exponent = "e";
        if (k < text.size() && (text[k] == L'+' || text[k] == L'-')) exponent.push_back(static_cast<char>(text[k++]));
        bool expDigits = false;
        while (isDigit(k)) {
            exponent.push_back(static_cast<char>(text[k++]));
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    float value = 0.0f;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0f;
    return value;
}

std::wstring FormatFloat(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::wstring(buffer, result.ptr);
}

} // namespace kestrana::foundation
