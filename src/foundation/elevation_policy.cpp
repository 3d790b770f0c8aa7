#include "foundation/elevation_policy.h"

namespace kestrana::foundation {

namespace {
bool Privileged(Trustee who) {
    return who == Trustee::Administrators || who == Trustee::System || who == Trustee::TrustedInstaller;
}
} // namespace

bool OnlyAdministratorsCanChange(const FolderSecurity& object, Guarded what) {
    if (!object.readable || !object.hasDacl) return false;
    // The owner may always rewrite the list, whatever it says.
    if (!Privileged(object.owner)) return false;
    const std::uint32_t rights = what == Guarded::Folder         ? kFolderWriteRights
                                 : what == Guarded::ParentFolder ? kParentWriteRights
                                                                 : kFileWriteRights;
    for (const auto& entry : object.entries) {
        if (!entry.allow) continue;
        // An entry for what is inside reaches the program's files, which inherit it; on the
        // parent it reaches the program folder only through the folder's own list.
        if (entry.inheritOnly && what != Guarded::Folder) continue;
        if (Privileged(entry.who) || entry.who == Trustee::CreatorOwner) continue;
        if (entry.mask & rights) return false;
    }
    return true;
}

bool MayInstallUpdate(const UpdateOrigin& origin, bool runsElevated) {
    if (origin.runningSigned) return origin.updateSigned && origin.samePublisher;
    return !runsElevated;
}

} // namespace kestrana::foundation
