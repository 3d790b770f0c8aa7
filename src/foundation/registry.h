#pragma once
// The few registry operations other features need on Windows' own values (start-up
// entries, input methods, colour mode, installed programs). Keys are opened under one of
// the five predefined roots, and created when they are missing, as the helpers of the
// settings store do.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kestrana::foundation {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

class Registry {
public:
    virtual ~Registry() = default;
    // The REG_SZ data; nullopt when the key cannot be opened or the value is missing or
    // of another type.
    [[nodiscard]] virtual std::optional<std::wstring> ReadString(RegistryRoot root, std::wstring_view subKey,
                                                                 std::wstring_view valueName) = 0;
    virtual bool WriteString(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName,
                             std::wstring_view text) = 0;
    virtual bool DeleteValue(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) = 0;
};

// Splits "HKEY_CURRENT_USER\Software\..." at its first backslash into the root and the
// sub-key path; nullopt for an unknown root name. Root names compare case-insensitively.
[[nodiscard]] std::optional<std::pair<RegistryRoot, std::wstring>> SplitRegistryPath(std::wstring_view fullPath);

} // namespace kestrana::foundation
