#pragma once
// The Launchpad's right-button menu: which rows it offers on an entry and on the
// background, and which recent documents belong to an entry's program.

#include "gfx/menu_model.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::launchers {

enum PadMenuId : int {
    kPadMenuAdmin = 1,
    kPadMenuLocation,
    kPadMenuDelete,
    kPadMenuAdd,
    kPadMenuSortName,
    kPadMenuSortKind,
    kPadMenuSortFill,
    kPadMenuRecentFirst = 100, // + index into PadMenuFacts::recent
    kPadMenuRecentLast = 199,
};

struct PadMenuFacts {
    bool onEntry = false;             // the click was on an application, not a group or empty space
    std::vector<std::wstring> recent; // names of the entry's recent documents, newest first
};

// A language text by section and key, with the built-in default.
using PadText = std::function<std::wstring(std::wstring_view section, std::wstring_view key, std::wstring_view fallback)>;

[[nodiscard]] gfx::Menu BuildPadMenu(const PadMenuFacts& facts, const PadText& text);

// A document of the system's recent list: its name, the file it names and the program
// that opens files of its type.
struct RecentDocument {
    std::wstring name;
    std::wstring target;
    std::wstring handler;
};
// The indices of `newestFirst` opened by `program` (compared by file name, case
// ignored: the association may name the same program in another folder), at most `most`.
// Shortcuts to programs are not documents and are left out.
// The program of an open command as the file associations give it: the quoted first
// word, or the text up to ".exe" ("%SystemRoot%\system32\NOTEPAD.EXE %1").
[[nodiscard]] std::wstring ProgramOfCommand(std::wstring_view command);
[[nodiscard]] std::vector<std::size_t> RecentFor(std::wstring_view program, const std::vector<RecentDocument>& newestFirst,
                                                 std::size_t most);

} // namespace kestrana::launchers
