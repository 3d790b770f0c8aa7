#pragma once
// Command lines handed to other programs. Paths and names come from dropped files, item
// lists and catalogues, so each is quoted as one argument: a path ending in a backslash
// ("D:\") must not escape the closing quote and run on into the next argument.

#include <string>
#include <string_view>

namespace kestrana::foundation {

// `argument` in quotes as the C runtime's command-line split reads it back: backslashes
// are doubled where a quote follows them (the closing one included), and a quote inside
// is escaped. Always quoted, so an empty argument stays one.
[[nodiscard]] std::wstring QuoteArgument(std::wstring_view argument);

// Appends `argument`, quoted, to `line` with one blank before it when `line` is not empty.
void AppendArgument(std::wstring& line, std::wstring_view argument);

} // namespace kestrana::foundation
