#pragma once
// The registry port on the real registry. Each call opens (or creates) the key, does its
// one operation and closes the key again.

#include "foundation/registry.h"

namespace kestrana::win32 {

class Win32Registry final : public foundation::Registry {
public:
    std::optional<std::wstring> ReadString(foundation::RegistryRoot root, std::wstring_view subKey,
                                           std::wstring_view valueName) override;
    bool WriteString(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName,
                     std::wstring_view text) override;
    bool DeleteValue(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) override;
};

} // namespace kestrana::win32
