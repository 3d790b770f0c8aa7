#pragma once
// One application shown by the Launchpad: its name, the key its icon files and search form
// are made from, the path it launches and where it was found. Groups and pages hold them.

#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kestrana::launchers {

// Where an entry was found; the numbers are those the settings window and the name
// overrides use.
enum class EntrySource : std::uint8_t {
    Applications = 0, // the applications folder, or the Start menu when it cannot be listed ("startmenu")
    Desktop = 1,
    Pinned = 2, // launchpad\Pinned\ ("pinned")
};

// The reading of one ideograph from pinyin.ini; empty when the file lacks it.
using PinyinLookup = std::function<std::wstring(wchar_t)>;

// "|" followed by the search form of each character of `key` and another "|": an
// ideograph U+4E00..U+9FA5 takes its reading when `pinyin` has one, every other character
// stands for itself ("Word" gives "|W|o|r|d|").
[[nodiscard]] std::wstring BuildSearchKey(std::wstring_view key, const PinyinLookup& pinyin);

struct LaunchpadEntry {
    std::wstring name; // shown under the icon
    std::wstring path; // the parsing name: a file, a shortcut or an application id
    EntrySource source = EntrySource::Applications;
    // The icon as it arrived from the icon workers; null while it is on its way (the view
    // draws PlaceholderIcon() meanwhile).
    std::shared_ptr<const gfx::Bitmap> icon;

    [[nodiscard]] const std::wstring& Key() const { return m_key; }
    [[nodiscard]] const std::wstring& SearchKey() const { return m_searchKey; }
    // The search key follows the key, so the two change only together.
    void SetKey(std::wstring key, const PinyinLookup& pinyin);

private:
    std::wstring m_key;
    std::wstring m_searchKey;
};

// A folder of several entries at one position of a page.
struct LaunchpadGroup {
    std::wstring name;
    std::vector<LaunchpadEntry> entries;
};

using LaunchpadIcon = std::variant<LaunchpadEntry, LaunchpadGroup>;
using LaunchpadPage = std::vector<LaunchpadIcon>;

inline constexpr std::size_t kIconsPerPage = 35;

// An entry's position: the page, the icon on it and, inside a group, the member.
struct EntryPlace {
    std::size_t page = 0;
    std::size_t position = 0;
    std::optional<std::size_t> member{};
};

// The name of an entry's icon files without folder and extension: the key made safe as a
// file name, followed by a short hash of the path so that two entries that share a name
// never share a cached icon.
[[nodiscard]] std::wstring IconFileName(std::wstring_view key, std::wstring_view path);
// The key alone made safe as a file name: how a user names a picture of their own.
[[nodiscard]] std::wstring SafeFileName(std::wstring_view key);

// A neutral rounded square, shown until an entry's icon arrives (shared, made once).
[[nodiscard]] std::shared_ptr<const gfx::Bitmap> PlaceholderIcon();

} // namespace kestrana::launchers
