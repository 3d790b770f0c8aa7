#include "foundation/launch_request.h"

namespace kestrana::foundation {

std::wstring StartFolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos || path.find(L"://") != std::wstring::npos) return {};
    return path.substr(0, slash);
}

} // namespace kestrana::foundation
