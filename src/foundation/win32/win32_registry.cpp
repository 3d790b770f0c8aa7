#include "foundation/win32/win32_registry.h"

#include "foundation/diagnostic_log.h"
#include "foundation/win32/registry_root_key.h"
#include "foundation/win32/registry_value.h"
#include "foundation/win32/unique_handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kestrana::win32 {

using foundation::RegistryRoot;

namespace {

// Opens the key with the given rights, creating it when it is missing.
UniqueRegKey OpenOrCreate(RegistryRoot root, std::wstring_view subKey, REGSAM access) {
    HKEY key = nullptr;
    const std::wstring path(subKey);
    if (::RegCreateKeyExW(RegistryRootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return UniqueRegKey();
    }
    return UniqueRegKey(key);
}

} // namespace

std::optional<std::wstring> Win32Registry::ReadString(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) {
    try {
        const auto key = OpenOrCreate(root, subKey, KEY_QUERY_VALUE);
        if (!key) return std::nullopt;
        return QueryStringValue(key.Get(), valueName, false);
    } catch (...) {
        kestrana::foundation::LogCaught("registry ReadString");
        return std::nullopt;
    }
}

bool Win32Registry::WriteString(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName, std::wstring_view text) {
    try {
        const auto key = OpenOrCreate(root, subKey, KEY_SET_VALUE);
        if (!key) return false;
        const std::wstring name(valueName);
        const std::wstring data(text);
        const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes) ==
               ERROR_SUCCESS;
    } catch (...) {
        kestrana::foundation::LogCaught("registry WriteString");
        return false;
    }
}

bool Win32Registry::DeleteValue(RegistryRoot root, std::wstring_view subKey, std::wstring_view valueName) {
    try {
        const auto key = OpenOrCreate(root, subKey, KEY_SET_VALUE);
        if (!key) return false;
        const std::wstring name(valueName);
        return ::RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
    } catch (...) {
        kestrana::foundation::LogCaught("registry DeleteValue");
        return false;
    }
}

} // namespace kestrana::win32
