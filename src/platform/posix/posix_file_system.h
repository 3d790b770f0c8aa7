#pragma once
// The file-system port on a POSIX disk, for native tools, benchmarks and crash tests.
// Windows paths are mapped as Wine maps them: "Z:\" is the root, other drive letters can
// be given a folder, backslashes become slashes. A file without any write permission bit
// counts as read-only: it is neither replaced nor deleted, as on Windows. Names are
// matched as the disk matches them (case-sensitively on most Linux file systems).

#include "foundation/file_system.h"

#include <map>
#include <string>

namespace kestrana::platform {

class PosixFileSystem final : public foundation::FileSystem {
public:
    PosixFileSystem();
    // Maps "X:\" to a folder, e.g. MapDrive(L'C', "/tmp/drive_c").
    void MapDrive(wchar_t letter, std::string folder);
    [[nodiscard]] std::string NativePath(const std::wstring& path) const;

    bool IsFile(const std::wstring& path) const override;
    bool IsDirectory(const std::wstring& path) const override;
    std::optional<foundation::FileStamp> Stat(const std::wstring& path) const override;
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& path) const override;
    bool Replace(const std::wstring& path, std::span<const std::uint8_t> content) override;
    bool Rename(const std::wstring& from, const std::wstring& to, bool replaceExisting = false) override;
    bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists = false) override;
    bool Remove(const std::wstring& path) override;
    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFolder(const std::wstring& path) override;
    std::vector<foundation::DirectoryEntry> List(const std::wstring& folder) const override;
    bool ResetAttributes(const std::wstring& path) override;

private:
    std::map<wchar_t, std::string> m_drives;
};

} // namespace kestrana::platform
