#include "foundation/registry.h"

#include "foundation/text.h"

namespace kestrana::foundation {

std::optional<std::pair<RegistryRoot, std::wstring>> SplitRegistryPath(std::wstring_view fullPath) {
    const auto slash = fullPath.find(L'\\');
    const auto rootName = fullPath.substr(0, slash);
    const std::wstring subKey = slash == std::wstring_view::npos ? std::wstring() : std::wstring(fullPath.substr(slash + 1));
    struct Root {
        const wchar_t* name;
        RegistryRoot root;
    };
    static constexpr Root roots[] = {
        {L"HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot}, {L"HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
        {L"HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine}, {L"HKEY_USERS", RegistryRoot::Users},
        {L"HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
    };
    for (const auto& root : roots) {
        if (EqualsIgnoreCase(rootName, root.name)) return std::make_pair(root.root, subKey);
    }
    return std::nullopt;
}

} // namespace kestrana::foundation
