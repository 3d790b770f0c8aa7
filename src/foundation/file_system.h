#pragma once
// The file operations the settings, item-list and catalogue code rely on. Paths are
// Windows paths (drive letters, backslashes, case-insensitive names) everywhere in the
// rules; only the implementations of this port touch real files.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrana::foundation {

// What a reader needs to tell whether a file changed since it last looked.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t writeTime = 0; // implementation-defined ticks; only compared for equality
    std::uint64_t fileId = 0;   // changes when the file is replaced by another one
    // The file changed so lately that a further change within the file system's timestamp
    // granularity could leave the stamp as it is: a reader that cached the content must
    // compare the bytes instead of trusting the stamp.
    bool recent = false;
    bool operator==(const FileStamp&) const = default;
};

struct DirectoryEntry {
    std::wstring name; // file name only, as stored
    bool isDirectory = false;
};

class FileSystem {
public:
    static constexpr std::uint64_t kMaxReadBytes = 64ull * 1024 * 1024;

    virtual ~FileSystem() = default;

    [[nodiscard]] virtual bool IsFile(const std::wstring& path) const = 0;
    [[nodiscard]] virtual bool IsDirectory(const std::wstring& path) const = 0;
    [[nodiscard]] virtual std::optional<FileStamp> Stat(const std::wstring& path) const = 0;
    // The whole content; nullopt when the file is missing, cannot be read or is larger
    // than kMaxReadBytes (no file the program reads is anywhere near that: a larger one is
    // broken or hostile, and reading it would only exhaust memory).
    [[nodiscard]] virtual std::optional<std::vector<std::uint8_t>> Read(const std::wstring& path) const = 0;

    // Replaces the file as a whole and is on disk when it returns: after a crash or a
    // power cut at any instant the old or the new content is there, never a mix.
    virtual bool Replace(const std::wstring& path, std::span<const std::uint8_t> content) = 0;
    // Moves a file; may copy across volumes. Fails when `to` exists unless replaceExisting.
    virtual bool Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting = false) = 0;
    virtual bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists = false) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    // Creates one folder; true when it exists afterwards.
    virtual bool CreateFolder(const std::wstring& path) = 0;
    virtual bool RemoveFolder(const std::wstring& path) = 0;
    [[nodiscard]] virtual std::vector<DirectoryEntry> List(const std::wstring& folder) const = 0;
    // Clears read-only, hidden and system flags; true when the file exists afterwards.
    virtual bool ResetAttributes(const std::wstring& path) = 0;
};

} // namespace kestrana::foundation
