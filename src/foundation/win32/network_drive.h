#pragma once
// Whether reading a path may keep this thread waiting on the network, with the system
// asked which drive letters are mapped to shares.

#include "foundation/network_path.h"

#include <windows.h>

#include <string_view>

namespace kestrana::win32 {

[[nodiscard]] inline bool IsRemoteDrive(wchar_t drive) noexcept {
    const wchar_t root[] = {drive, L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

[[nodiscard]] inline bool MayWaitOnNetwork(std::wstring_view path) {
    return foundation::MayWaitOnNetwork(path, IsRemoteDrive);
}

} // namespace kestrana::win32
