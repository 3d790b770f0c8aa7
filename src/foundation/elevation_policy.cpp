#include "foundation/elevation_policy.h"

namespace kestrana::foundation {

namespace {
bool Privileged(Trustee who) {
    return who == Trustee::Administrators || who == Trustee::System || who == Trustee::TrustedInstaller;
}
} // namespace

bool OnlyAdministratorsCanWrite(const FolderSecurity& folder) {
    if (!folder.readable || !folder.hasDacl) return false;
    // The owner may always rewrite the list, whatever it says.
    if (!Privileged(folder.owner)) return false;
    for (const auto& entry : folder.entries) {
        if (!entry.allow || entry.inheritOnly) continue;
        if (Privileged(entry.who) || entry.who == Trustee::CreatorOwner) continue;
        if (entry.mask & kFolderWriteRights) return false;
    }
    return true;
}

bool MayInstallUpdate(const UpdateOrigin& origin, bool runsElevated) {
    if (origin.runningSigned) return origin.updateSigned && origin.samePublisher;
    return !runsElevated;
}

} // namespace kestrana::foundation
