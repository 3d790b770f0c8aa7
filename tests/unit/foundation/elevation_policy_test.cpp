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

    // Denials are not credited; rights for whatever is inside reach the program's files.
    auto denied = ProgramFilesLike();
    denied.entries.push_back({Trustee::Other, false, false, kFullControl});
    EXPECT_TRUE(OnlyAdministratorsCanWrite(denied));
    auto inheritOnly = ProgramFilesLike();
    inheritOnly.entries.push_back({Trustee::Other, true, true, 0x40000000});
    EXPECT_FALSE(OnlyAdministratorsCanWrite(inheritOnly));
}

// C:\ gives users "create folders" on itself and "modify" to what is created below: the
// program folder inherits that into its own list, so the parent's entries for children
// are not the parent's risk; deleting or renaming the folder in it is.
FolderSecurity DriveRootLike() {
    FolderSecurity f;
    f.readable = true;
    f.hasDacl = true;
    f.owner = Trustee::TrustedInstaller;
    f.entries = {{Trustee::Administrators, true, false, kFullControl},
                 {Trustee::System, true, false, kFullControl},
                 {Trustee::Other, true, false, kReadExecute | 0x4},
                 {Trustee::Other, true, true, 0x001301BF}};
    return f;
}

TEST(AdminOnlyParent, OnlyWhatReachesTheProgramFolderCounts) {
    EXPECT_TRUE(OnlyAdministratorsCanChange(DriveRootLike(), Guarded::ParentFolder));
    for (std::uint32_t right : {0x40u, 0x10000u, 0x40000u, 0x80000u, 0x10000000u}) {
        auto f = DriveRootLike();
        f.entries.push_back({Trustee::Other, true, false, right});
        EXPECT_FALSE(OnlyAdministratorsCanChange(f, Guarded::ParentFolder)) << std::hex << right;
    }
    auto owned = DriveRootLike();
    owned.owner = Trustee::Other;
    EXPECT_FALSE(OnlyAdministratorsCanChange(owned, Guarded::ParentFolder));
}

TEST(AdminOnlyFile, WritingDeletingOrRelistingTheFileFails) {
    FolderSecurity file = ProgramFilesLike();
    file.entries.erase(file.entries.begin() + 2); // files have no entries for children
    EXPECT_TRUE(OnlyAdministratorsCanChange(file, Guarded::File));
    for (std::uint32_t right : {0x2u, 0x4u, 0x10000u, 0x40000u, 0x80000u, 0x10000000u, 0x40000000u}) {
        auto f = file;
        f.entries.push_back({Trustee::Other, true, false, right});
        EXPECT_FALSE(OnlyAdministratorsCanChange(f, Guarded::File)) << std::hex << right;
    }
    auto owned = file;
    owned.owner = Trustee::Other;
    EXPECT_FALSE(OnlyAdministratorsCanChange(owned, Guarded::File));
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
