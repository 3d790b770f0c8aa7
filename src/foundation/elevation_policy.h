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

// What a list guards: the program folder, the folder that holds it, or one of the
// program's files. Each is a way to put another program where ours is run from.
enum class Guarded { Folder, ParentFolder, File };

// The rights that matter on each. On the folder: adding, replacing or deleting files, and
// changing who may, also through entries that reach only what is inside (every file
// there inherits them). On the parent: deleting or renaming the program folder (delete
// child) and changing who may. On a file: writing, deleting or renaming it, or changing
// who may.
inline constexpr std::uint32_t kParentWriteRights = 0x00000040  // delete child
                                                  | 0x00010000  // delete
                                                  | 0x00040000  // write DAC
                                                  | 0x00080000  // write owner
                                                  | 0x10000000; // generic all
inline constexpr std::uint32_t kFileWriteRights = 0x00000002  // write data
                                                | 0x00000004  // append
                                                | 0x00010000  // delete
                                                | 0x00040000  // write DAC
                                                | 0x00080000  // write owner
                                                | 0x10000000  // generic all
                                                | 0x40000000; // generic write

// True when nobody but administrators, the system and the installer service can change
// it that way. Deny entries are not credited: an allow stays an allow.
[[nodiscard]] bool OnlyAdministratorsCanChange(const FolderSecurity& object, Guarded what);
[[nodiscard]] inline bool OnlyAdministratorsCanWrite(const FolderSecurity& folder) {
    return OnlyAdministratorsCanChange(folder, Guarded::Folder);
}

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
