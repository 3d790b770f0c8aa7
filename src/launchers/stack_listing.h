#pragma once
// The items of a folder stack: what the platform lists of a folder, classified by kind,
// sorted by the folder's sort order, and the way each item gets its picture.

#include "launchers/stack_settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrana::launchers {

// In ascending order, the order "folders first" sorts by.
enum class StackItemKind : std::uint8_t { Folder = 1, File = 2, Shortcut = 3, Program = 4, InternetShortcut = 5 };

// One entry as the folder listing gives it.
struct ListedFile {
    std::wstring name;       // file name with extension
    bool directory = false;
    std::uint64_t bytes = 0; // on disk (compressed size where the file system compresses)
    std::int64_t writeTime = 0;  // 100 ns units; only compared
    std::int64_t createTime = 0;
};

struct StackItem {
    std::wstring name;      // shown: a shortcut's without ".lnk" / ".url"
    std::wstring path;      // full path
    std::wstring extension; // lower case, without the dot; empty for folders
    StackItemKind kind = StackItemKind::File;
    std::int64_t time = 0;  // last write or creation, as the sort key asks
    std::uint64_t bytes = 0;
};

[[nodiscard]] StackItemKind KindOf(std::wstring_view extension, bool directory);

// Items of `folder` (a path with or without a trailing "\") in listing order, with the
// time the sort key compares.
[[nodiscard]] std::vector<StackItem> MakeStackItems(std::wstring_view folder, const std::vector<ListedFile>& listed,
                                                   int sortKey);

// Sorts by a "foldersortorder" value; the listing order stays where the value keeps it
// (key 0, and key 1 forwards: the listing already comes by name). Ties keep listing order.
void SortStackItems(std::vector<StackItem>& items, int sortValue);

// How an item gets its picture.
enum class IconPlan : std::uint8_t {
    Shell,          // the shell's icon at the stack's size (fallback: folderpng\.<ext>.png)
    DecodeNow,      // a small picture: decoded at once as its own icon
    ThumbnailLater, // a large picture or a video: a placeholder, then a thumbnail from a worker
};
[[nodiscard]] IconPlan PlanIcon(const StackItem& item);

// Pictures smaller than this (in whole KB) are decoded at once.
inline constexpr std::uint64_t kDecodeNowLimitKb = 700;

// The fall-back picture of an extension in the program folder.
[[nodiscard]] std::wstring ExtensionPicturePath(std::wstring_view baseFolder, std::wstring_view extension);

} // namespace kestrana::launchers
