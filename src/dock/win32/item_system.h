#pragma once
// The item list's system ports on Windows: environment and shell names, the local time in
// the user's format, and read-only registry look-ups.

#include "dock/item_list_ports.h"
#include "dock/item_pictures.h"

namespace kestrana::dock {

// Shell items are parsed with COM: call from a thread that has joined an apartment.
class Win32ItemShell final : public ItemShell {
public:
    std::optional<std::wstring> EnvironmentVariable(std::wstring_view name) const override;
    std::wstring LongPathName(const std::wstring& path) const override;
    bool ParsesAsShellItem(const std::wstring& parsingName) const override;
    std::wstring KnownFolderPath(std::wstring_view folderId) const override;
    std::wstring WindowsFolder() const override;
    bool IsRemote(const std::wstring& path) const override;
};

class Win32LocalClock final : public LocalClock {
public:
    LocalTime Now() const override;
    std::wstring FormatTime(std::wstring_view picture, const LocalTime& time) const override;
};

class Win32RegistryReader final : public RegistryReader {
public:
    std::vector<std::wstring> SubKeyNames(foundation::RegistryRoot root, std::wstring_view subKey) const override;
    std::optional<std::wstring> ReadString(foundation::RegistryRoot root, std::wstring_view subKey,
                                           std::wstring_view valueName) const override;
};

} // namespace kestrana::dock
