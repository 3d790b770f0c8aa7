#pragma once
// Paths whose reading may keep the caller waiting on the network: a share that does not
// answer holds the thread for as long as the system's time-out, so the user-interface
// thread leaves them alone or hands them to a worker.

#include <functional>
#include <string_view>

namespace kestrana::foundation {

// Shares ("\\server\share", "//server/share", "\\?\UNC\server\share"), device paths
// ("\\.\"), and drive letters `remoteDrive` says are mapped to a share ("Z:\", also as
// "\\?\Z:\"). Relative paths and empty ones are not network paths.
[[nodiscard]] bool MayWaitOnNetwork(std::wstring_view path, const std::function<bool(wchar_t drive)>& remoteDrive);

} // namespace kestrana::foundation
