#pragma once
// The recent items an item's menu lists: from the system's list of recently used files,
// those of the item's program, newest first.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::foundation {

struct RecentEntry {
    std::wstring target;  // the file or folder used
    std::wstring opener;  // file name of the program the system opens it with (lower case); empty: none known
    std::int64_t usedAt = 0; // larger is newer
    bool folder = false;
};

inline constexpr std::size_t kRecentRows = 10;

// Newest first, each target once (compared without case), at most kRecentRows. A program
// lists the documents the system opens with it; the file manager lists folders and
// everything else.
[[nodiscard]] std::vector<std::wstring> RecentFilesFor(std::vector<RecentEntry> entries, std::wstring_view appname);

// What a recent item's row says: its name, without the folders.
[[nodiscard]] std::wstring RecentRowText(std::wstring_view target);

} // namespace kestrana::foundation
