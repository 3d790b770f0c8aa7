#include "foundation/network_path.h"

namespace kestrana::foundation {
namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }
bool IsLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
} // namespace

bool MayWaitOnNetwork(std::wstring_view path, const std::function<bool(wchar_t drive)>& remoteDrive) {
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
        IsSeparator(path[3])) {
        // "\\?\C:\..." is a local spelling only when a drive letter follows; "\\.\" names devices and pipes.
        if (path[2] == L'.') return true;
        path.remove_prefix(4);
        if (path.size() < 2 || !IsLetter(path[0]) || path[1] != L':') return true;
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true;
    }
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == L':') {
        const wchar_t drive = path[0] >= L'a' ? static_cast<wchar_t>(path[0] - L'a' + L'A') : path[0];
        return remoteDrive && remoteDrive(drive);
    }
    return false;
}

} // namespace kestrana::foundation
