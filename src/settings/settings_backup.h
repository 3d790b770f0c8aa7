#pragma once
// The backup of everything a user has set, as one zip in the "backup" folder: config.ini,
// the dock's item list, the Launchpad's catalogue files and padconfig.ini, and each
// theme's own settings files. A restore checks the whole archive before it touches a
// file, keeps the files it replaces, and puts the old ones back when a write fails.

#include "dock/item_list_ports.h"
#include "foundation/file_system.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kestrana::settings {

inline constexpr wchar_t kBackupFolder[] = L"backup";
inline constexpr std::wstring_view kSettingsBackupSuffix = L".settings.zip";

// Limits a restore holds an archive to: no settings file comes near them.
inline constexpr std::size_t kMaxBackupEntries = 256;
inline constexpr std::size_t kMaxBackupFileBytes = 8u * 1024 * 1024;
inline constexpr std::size_t kMaxBackupTotalBytes = 32u * 1024 * 1024;
// Above this size an entry may expand at most kMaxBackupRatio times its packed size;
// text settings never do more, a zip bomb does far more.
inline constexpr std::size_t kRatioCheckedBytes = 1024 * 1024;
inline constexpr std::uint64_t kMaxBackupRatio = 100;

// "2026-12-6 14_5_0.settings.zip": the date the caller passes, plain numbers.
[[nodiscard]] std::wstring SettingsBackupName(const dock::LocalTime& time);

// The files of the program folder a backup holds, relative with backslashes
// ("themes\dark\dockskin\config.ini"), those that exist now.
[[nodiscard]] std::vector<std::wstring> BackedUpFiles(const foundation::FileSystem& files, const std::wstring& baseFolder);

struct BackupReport {
    bool written = false;                 // the archive is on disk
    std::wstring path;                    // where
    std::vector<std::wstring> stored;     // relative names, in archive order
    std::vector<std::wstring> unreadable; // files that exist but could not be read (left out)
};

// Writes the archive into the backup folder under SettingsBackupName(time).
[[nodiscard]] BackupReport WriteSettingsBackup(foundation::FileSystem& files, const std::wstring& baseFolder,
                                               const dock::LocalTime& time);

enum class BackupRefusal {
    None,
    NotAnArchive,   // no zip, or its directory is broken
    Empty,          // no file in it
    UnsafeName,     // absolute, drive, UNC, "..", backslash, control characters, too long
    UnknownName,    // a name no backup holds
    Duplicate,      // the same name twice (case-insensitive)
    TooManyEntries,
    TooLarge,       // an entry or the whole beyond the caps
    Bomb,           // expands too far beyond its packed size
    Corrupt,        // cannot be inflated or fails its checksum
};

struct CheckedEntry {
    std::wstring relativePath; // with backslashes, as under the program folder
    std::vector<std::uint8_t> content;
};

struct BackupCheck {
    BackupRefusal refusal = BackupRefusal::None;
    std::string offendingName; // the entry refused, as stored
    std::vector<CheckedEntry> entries;
};

// Reads and checks an archive as a whole; entries only when all of it is accepted.
[[nodiscard]] BackupCheck CheckSettingsBackup(std::span<const std::uint8_t> archive);

enum class RestoreOutcome {
    Restored,   // every accepted file is in place
    Refused,    // the archive was refused; nothing touched
    Unreadable, // the archive could not be read; nothing touched
    NotKept,    // the current files could not be kept; nothing replaced
    RolledBack, // a write failed; the files as they were are back
};

struct RestoreResult {
    RestoreOutcome outcome = RestoreOutcome::Unreadable;
    BackupRefusal refusal = BackupRefusal::None;
    std::string offendingName;
    std::wstring keptFolder;           // where the files before the restore lie
    std::vector<std::wstring> written; // relative names put in place
    std::vector<std::wstring> skipped; // theme files whose theme is not here
};

// Restores the archive at `zipPath`. The files it replaces are kept first in
// "backup\<date>.before-restore\" (date as passed). A theme's files are restored only
// where that theme's folder exists. The caller restarts into the restored settings.
[[nodiscard]] RestoreResult RestoreSettingsBackup(foundation::FileSystem& files, const std::wstring& baseFolder,
                                                  const std::wstring& zipPath, const dock::LocalTime& time);

} // namespace kestrana::settings
