#pragma once
// The file-system port on Windows. Replace writes a temporary file in the same folder,
// flushes it and moves it over the target with MoveFileExW(REPLACE_EXISTING |
// WRITE_THROUGH), so the old or the new file survives a crash. Read-only files are
// neither replaced nor deleted. Paths of MAX_PATH or more get the "\\?\" prefix.

#include "foundation/file_system.h"

namespace kestrana::platform {

class Win32FileSystem final : public foundation::FileSystem {
public:
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
};

} // namespace kestrana::platform
