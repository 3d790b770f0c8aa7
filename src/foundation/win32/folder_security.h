#pragma once
// Reading a folder's owner and access list, and checking a program's code signature, for
// the rules of foundation/elevation_policy.h.

#include "foundation/elevation_policy.h"

#include <string>

namespace kestrana::win32 {

[[nodiscard]] foundation::FolderSecurity ReadFolderSecurity(const std::wstring& folder) noexcept;

// True when only administrators can change `folder`, delete or rename it in the folder
// that holds it, or change any program file (.exe, .dll) in it; otherwise writes why to
// the diagnostic log under `where` and returns false.
bool FolderIsAdminOnly(const std::wstring& folder, const char* where) noexcept;

// Makes `path` a folder only the current user can open (the list is protected from what
// the parent would pass down) and not a link: an existing link or junction there is
// removed first, an existing folder gets that list. False when that could not be done.
bool MakePrivateFolder(const std::wstring& path) noexcept;

// This process runs with an elevated token.
[[nodiscard]] bool RunningElevated() noexcept;

// Signature facts of `update` compared with the running executable's (WinVerifyTrust
// and the signer certificates, bound at run time).
[[nodiscard]] foundation::UpdateOrigin UpdateOriginOf(const std::wstring& update) noexcept;

// Whether the companion file `name` may end up running elevated: this process is
// elevated (it starts the companions), the service entry runs "Ondel.exe", or a
// scheduled task "Ondelmod"/"Ondelmod64" starts the hook companion.
[[nodiscard]] bool CompanionFileMayRunElevated(std::wstring_view name) noexcept;

// The update rule applied to one file: `runsElevated` as above or as the caller knows.
[[nodiscard]] bool MayInstallUpdateFile(const std::wstring& update, bool runsElevated) noexcept;

} // namespace kestrana::win32
