#include "foundation/command_line.h"

namespace kestrana::foundation {

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring quoted;
    quoted.reserve(argument.size() + 2);
    quoted += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only in front of a quote: there each becomes two, and one more
        // escapes the quote itself.
        if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
        else quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\'); // before the closing quote
    quoted += L'"';
    return quoted;
}

void AppendArgument(std::wstring& line, std::wstring_view argument) {
    if (!line.empty()) line += L' ';
    line += QuoteArgument(argument);
}

} // namespace kestrana::foundation
