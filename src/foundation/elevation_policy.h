#pragma once
// What may run with more rights than the user's: only programs from a folder that only
// administrators can change, and updates only when their origin can be shown. The
// Windows layer reads the folder's access list and the code signatures; these rules decide.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrana::foundation {

// Who an access-list entry is for, as far as the rule cares.
enum class Trustee {
    Administrators, // the Administrators group
    System,         // LocalSystem
    TrustedInstaller,
    CreatorOwner,   // stands for the owner of files created later, never a user now
    Other,          // Users, Authenticated Users, Everyone, INTERACTIVE, a user, ...
};

struct AccessEntry {
    Trustee who = Trustee::Other;
    bool allow = true;
    bool inheritOnly = false; // applies to children only
    std::uint32_t mask = 0;
};

struct FolderSecurity {
    bool readable = false;  // the security descriptor could be read at all
    bool hasDacl = false;   // a missing (null) list grants everyone everything
    Trustee owner = Trustee::Other;
    std::vector<AccessEntry> entries;
};

// Rights that let someone put a different program in the folder: add or replace files,
// delete them, or change who may.
inline constexpr std::uint32_t kFolderWriteRights = 0x00000002  // add file / write data
                                                  | 0x00000004  // add subfolder / append
                                                  | 0x00000040  // delete child
                                                  | 0x00010000  // delete
                                                  | 0x00040000  // write DAC
                                                  | 0x00080000  // write owner
                                                  | 0x10000000  // generic all
                                                  | 0x40000000; // generic write

// True when nobody but administrators, the system and the installer service can change
// what the folder holds. Deny entries are not credited: an allow stays an allow.
[[nodiscard]] bool OnlyAdministratorsCanWrite(const FolderSecurity& folder);

// How an update file can be trusted.
struct UpdateOrigin {
    bool runningSigned = false;       // the running program carries a valid signature
    bool updateSigned = false;        // the update carries a valid signature
    bool samePublisher = false;       // both signer certificates are the same
};

// Signed programs accept only updates from the same publisher. An unsigned build cannot
// tell a genuine update from any other file, so it installs one only where it will run
// with the user's own rights.
[[nodiscard]] bool MayInstallUpdate(const UpdateOrigin& origin, bool runsElevated);

} // namespace kestrana::foundation
