// Arguments handed to other programs come back whole from the C runtime's split of the
// command line, whatever they hold: the split here follows the documented rules
// (2n backslashes and a quote: n backslashes, the quote opens or closes; 2n+1: n and a
// literal quote; other backslashes literal).
#include "foundation/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrana::foundation {
namespace {

std::vector<std::wstring> SplitArguments(std::wstring_view line) {
    std::vector<std::wstring> out;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
        if (i >= line.size()) return out;
        std::wstring arg;
        bool inQuotes = false;
        while (i < line.size() && (inQuotes || (line[i] != L' ' && line[i] != L'\t'))) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == L'\\') ++slashes, ++i;
            if (i < line.size() && line[i] == L'"') {
                arg.append(slashes / 2, L'\\');
                if (slashes % 2) {
                    arg += L'"';
                } else if (inQuotes && i + 1 < line.size() && line[i + 1] == L'"') {
                    arg += L'"'; // "" inside quotes is a literal quote
                    ++i;
                } else {
                    inQuotes = !inQuotes;
                }
                ++i;
            } else {
                arg.append(slashes, L'\\');
                if (i < line.size() && slashes == 0) arg += line[i++];
            }
        }
        out.push_back(std::move(arg));
    }
}

TEST(CommandLineArguments, HostileArgumentsComeBackWhole) {
    const std::wstring hostile[] = {
        L"C:\\Users\\me\\My Documents\\report.txt",
        L"D:\\",                         // a dropped drive: the backslash must not eat the quote
        L"\\\\server\\share\\folder\\\\",
        L"a\"b",
        L"\" && calc.exe && \"",
        L"trail\\\"",
        L"\\\\\"\\",
        L"tab\there",
        L"",
        L" ",
        L"\"",
        L"\\",
        L"caf\u00e9 \u4e2d\u6587",
    };
    for (const auto& first : hostile) {
        for (const auto& second : {std::wstring(L"next"), std::wstring(L"D:\\")}) {
            std::wstring line;
            AppendArgument(line, first);
            AppendArgument(line, second);
            const auto back = SplitArguments(line);
            ASSERT_EQ(back.size(), 2u) << line;
            EXPECT_EQ(back[0], first) << line;
            EXPECT_EQ(back[1], second) << line;
        }
    }
}

} // namespace
} // namespace kestrana::foundation
