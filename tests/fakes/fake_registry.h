#pragma once
// An in-memory registry: keys compare case-insensitively, opening a missing key creates
// it (as the settings store's helpers do), and a test can make every operation fail.

#include "foundation/registry.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace kestrana::fakes {

class FakeRegistry final : public foundation::Registry {
public:
    // A value of another type than REG_SZ, which string reads must not return.
    void SetDword(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName, unsigned value);
    [[nodiscard]] bool KeyExists(foundation::RegistryRoot root, std::wstring_view subKey) const;
    [[nodiscard]] bool HasValue(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) const;
    // Keys below this root cannot be opened or created (as HKEY_LOCAL_MACHINE for a user).
    void DenyRoot(foundation::RegistryRoot root, bool deny = true);
    void FailAll(bool fail = true);

    std::optional<std::wstring> ReadString(foundation::RegistryRoot root, std::wstring_view subKey,
                                           std::wstring_view valueName) override;
    bool WriteString(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName,
                     std::wstring_view text) override;
    bool DeleteValue(foundation::RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) override;

private:
    struct Value {
        bool isString = true;
        std::wstring text;
        unsigned number = 0;
    };
    using Key = std::map<std::wstring, Value>; // lower-cased value name
    using KeyId = std::pair<foundation::RegistryRoot, std::wstring>;
    Key* Open(foundation::RegistryRoot root, std::wstring_view subKey);

    mutable std::mutex m_mutex;
    std::map<KeyId, Key> m_keys; // lower-cased sub-key path
    std::map<foundation::RegistryRoot, bool> m_denied;
    bool m_failAll = false;
};

} // namespace kestrana::fakes
