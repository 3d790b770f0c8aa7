#pragma once
// The system's predefined key for each registry root the program names.

#include "foundation/registry.h"

#include <windows.h>

namespace kestrana::win32 {

[[nodiscard]] inline HKEY RegistryRootKey(foundation::RegistryRoot root) noexcept {
    switch (root) {
    case foundation::RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case foundation::RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case foundation::RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case foundation::RegistryRoot::Users: return HKEY_USERS;
    case foundation::RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return HKEY_CURRENT_USER;
}

} // namespace kestrana::win32
