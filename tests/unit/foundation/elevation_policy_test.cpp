// What may run elevated: a folder only administrators can change, and updates whose
// origin can be shown (or that will not run elevated).
#include "foundation/elevation_policy.h"

#include <gtest/gtest.h>

namespace kestrana::foundation {
namespace {

constexpr std::uint32_t kReadExecute = 0x001200A9;
constexpr std::uint32_t kFullControl = 0x001F01FF;

FolderSecurity ProgramFilesLike() {
    FolderSecurity f;
    f.readable = true;
    f.hasDacl = true;
    f.owner = Trustee::TrustedInstaller;
    f.entries = {{Trustee::Administrators, true, false, kFullControl},
                 {Trustee::System, true, false, kFullControl},
                 {Trustee::CreatorOwner, true, true, 0x10000000},
                 {Trustee::Other, true, false, kReadExecute}};
    return f;
}

TEST(AdminOnlyFolder, AProgramFilesStyleListPasses) { EXPECT_TRUE(OnlyAdministratorsCanWrite(ProgramFilesLike())); }

TEST(AdminOnlyFolder, AnyWayForOthersToChangeTheFolderFails) {
    for (std::uint32_t right : {0x2u, 0x4u, 0x40u, 0x10000u, 0x40000u, 0x80000u, 0x10000000u, 0x40000000u}) {
        auto f = ProgramFilesLike();
        f.entries.push_back({Trustee::Other, true, false, right});
        EXPECT_FALSE(OnlyAdministratorsCanWrite(f)) << std::hex << right;
    }
    auto owned = ProgramFilesLike();
    owned.owner = Trustee::Other; // a user's own folder: its owner can rewrite the list
    EXPECT_FALSE(OnlyAdministratorsCanWrite(owned));
    auto nullDacl = ProgramFilesLike();
    nullDacl.hasDacl = false;
    EXPECT_FALSE(OnlyAdministratorsCanWrite(nullDacl));
    EXPECT_FALSE(OnlyAdministratorsCanWrite(FolderSecurity{}));

    // Rights that reach only the files created later, or that deny, do not open the folder.
    auto inheritOnly = ProgramFilesLike();
    inheritOnly.entries.push_back({Trustee::Other, true, true, kFullControl});
    inheritOnly.entries.push_back({Trustee::Other, false, false, kFullControl});
    EXPECT_TRUE(OnlyAdministratorsCanWrite(inheritOnly));
}

TEST(UpdateTrust, SignedProgramsNeedTheSamePublisherUnsignedOnesNoElevation) {
    EXPECT_TRUE(MayInstallUpdate({true, true, true}, true));
    EXPECT_FALSE(MayInstallUpdate({true, true, false}, false));
    EXPECT_FALSE(MayInstallUpdate({true, false, false}, false));
    EXPECT_TRUE(MayInstallUpdate({false, false, false}, false));
    EXPECT_FALSE(MayInstallUpdate({false, false, false}, true));
    EXPECT_FALSE(MayInstallUpdate({false, true, false}, true));
}

} // namespace
} // namespace kestrana::foundation
