#pragma once
// The dock's item file "ico.ini" as stored: one section per item in dock order, named
// "ico1", "ico2", ... when written, taken in file order whatever their names when read.
// Also the file names of its backups and the reading of the older "ico.xml".

#include "foundation/code_page.h"
#include "foundation/config_store.h"
#include "foundation/file_system.h"
#include "foundation/profile_document.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrana::dock {

inline constexpr std::wstring_view kItemFile = L"ico.ini";
inline constexpr std::wstring_view kItemSaveFile = L"ico_back.ini";    // a save is written here first
inline constexpr std::wstring_view kItemPreviousFile = L"ico_bak.ini"; // the list before the last save
inline constexpr std::wstring_view kItemXmlFile = L"ico.xml";          // the older list format
inline constexpr std::wstring_view kItemManualBackup = L"ico_backup.ini";
inline constexpr std::wstring_view kItemBackupFolder = L"backup";
inline constexpr std::wstring_view kItemBackupSuffix = L".dockico.ini";

// A stored value holds at most this many UTF-16 units: reads use 260-unit buffers.
inline constexpr std::size_t kItemValueUnits = foundation::ConfigStore::kValueUnits - 1;

// The most sections an item file holds. A read lists section names within 32767
// characters, which "ico1" to "ico4000" fill to nearly nine tenths: a list of this size
// saved and loaded again comes back whole; anything beyond it is no list a user made.
inline constexpr std::size_t kMaxItems = 4000;

// Saves, restores and manual backups of the item files take turns through this lock; it
// guards files only and is never taken while a dock's item-list lock is held.
[[nodiscard]] std::mutex& ItemFilesMutex() noexcept;

// One section of the item file, values as read (or as to be written).
struct ItemRecord {
    std::wstring tag;
    std::wstring appname;
    std::wstring filepath;
    std::wstring realpath;
    std::wstring virtualpath;
    std::wstring runline;
    std::wstring icopath;
    int uwp = 0; // the app kind
    bool delimiter = false;
    bool operator==(const ItemRecord&) const = default;
};

// The keys of one section in the order they are written.
using ItemKeys = std::vector<std::pair<std::wstring, std::wstring>>;

// The keys a save writes for a record: empty and zero values are left out, a separator
// writes "delimiter" only, and "virtualpath" only when it names no existing file
// (`virtualpathIsFile`).
[[nodiscard]] ItemKeys SectionKeys(const ItemRecord& record, bool virtualpathIsFile);

// A value as it can be stored and read back unchanged: cut at a NUL, line breaks and
// other control characters turned into spaces, blanks trimmed, at most kItemValueUnits
// (two fewer for a value in quotes, which is stored inside another pair).
[[nodiscard]] std::wstring StorableValue(std::wstring_view value);

// The bytes of an item file holding these sections as "ico1", "ico2", ...: UTF-16LE with
// a byte-order mark and CRLF line ends, what writing the keys one by one through the
// settings store into a new file gives. Values go through StorableValue (a quoted one is
// put inside one more pair of quotes, so it reads back as it was); empty values and
// sections without keys are left out (the numbering has no gaps); sections beyond
// kMaxItems are not written. `written` receives the number of sections in the file.
[[nodiscard]] std::vector<std::uint8_t> ComposeItemFile(std::span<const ItemKeys> sections,
                                                        std::size_t* written = nullptr);

// An item file parsed as it is now, so that every section comes from one version of it;
// nothing when it is missing or unreadable. `codePage` reads files without a byte-order
// mark that are not UTF-8 (lists written by hand or by older versions).
[[nodiscard]] std::optional<foundation::ProfileDocument> ReadItemFile(const foundation::FileSystem& files,
                                                                    const std::wstring& path,
                                                                    const foundation::CodePage& codePage);

// The number of sections a read of the file lists (0 for none or no file).
[[nodiscard]] std::size_t SectionCount(const std::optional<foundation::ProfileDocument>& document);

// The sections of an item file in file order, at most kMaxItems, each value as the
// profile reads give it (260-unit buffers). A section name that appears again later is
// read once, at its first place: the profile reads only ever reach the first.
[[nodiscard]] std::vector<ItemRecord> ReadItemRecords(const foundation::ProfileDocument& document);

// The sections of an older "ico.xml": the n-th child element of the root element
// "config" gives section n with the text of its "tag", "appname", "filepath", "realpath",
// "icopath", "UWP" and "delimiter" elements. A damaged document gives the items read
// before the damage; nothing when no "config" element could be read at all.
[[nodiscard]] std::optional<std::vector<ItemKeys>> ParseItemXml(std::span<const std::uint8_t> bytes);

} // namespace kestrana::dock
