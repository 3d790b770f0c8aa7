// pad.zip: what an export holds, and an import on another machine.

#include "catalogue_support.h"

#include "launchers/catalogue_pack.h"

#include <minizip/zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrana::launchers::testing {
namespace {

TEST(CataloguePack, ExportTakesThePinnedFilesTheCataloguesAndTheNamesToAnotherMachine) {
    PadWorld here;
    auto& files = here.folder.files;
    const std::wstring& base = here.folder.base;
    here.Pinned(L"Tool.lnk");
    here.Pinned(L"\u7B14\u8BB0.lnk");
    const std::wstring tool = base + L"launchpad\\Pinned\\Tool.lnk";
    here.Catalogue(L"padconfig.xml", CatalogueDocument{{{CatalogueItem{tool, L"Hammer"}, Plain(1)}}});
    files.AddFile(base + L"padconfig_desktop.xml", "<pad><page1/></pad>");
    here.folder.store.WriteString(L"pinned", tool, L"Hammer", kPadSettingsFile);
    files.AddFile(base + L"launchpad\\cache\\icon.png", "not exported");
    ASSERT_TRUE(ExportPack(files, base, base + kPackFile));

    // Another machine, where the program lives in another folder.
    PadWorld there(L"C:\\Other\\");
    auto& theirs = there.folder.files;
    theirs.AddFile(there.folder.base + L"launchpad\\cache\\old.png", "icon of this machine");
    theirs.AddFile(there.folder.base + L"pad.zip", *files.Content(base + kPackFile));
    const ImportReport report = ImportPack(theirs, there.folder.base, there.folder.base + kPackFile);
    std::vector<std::wstring> names = report.names;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"launchpad/Pinned/Tool.lnk", L"launchpad/Pinned/\u7B14\u8BB0.lnk",
                                                L"padconfig.ini", L"padconfig.xml", L"padconfig_desktop.xml"}));
    EXPECT_EQ(report.written, 5u);
    EXPECT_EQ(report.refused, 0u);
    for (const std::wstring file : {L"launchpad\\Pinned\\Tool.lnk", L"launchpad\\Pinned\\\u7B14\u8BB0.lnk", L"padconfig_desktop.xml"}) {
        EXPECT_EQ(theirs.Content(there.folder.base + file), files.Content(base + file)) << foundation::ToUtf8(file);
    }
    // The pinned entry keeps its place and its name in the new folder.
    const std::wstring moved = there.folder.base + L"launchpad\\Pinned\\Tool.lnk";
    EXPECT_EQ(there.Saved(L"padconfig.xml"), (CatalogueDocument{{{CatalogueItem{moved, L"Hammer"}, Plain(1)}}}));
    EXPECT_EQ(there.folder.store.ReadString(L"pinned", moved, {}, kPadSettingsFile), L"Hammer");
    EXPECT_FALSE(there.folder.store.HasKey(L"pinned", tool, kPadSettingsFile));
    EXPECT_FALSE(theirs.IsFile(there.folder.base + L"launchpad\\cache\\old.png"));
    EXPECT_FALSE(theirs.IsFile(there.folder.base + L"launchpad\\cache\\icon.png"));
}

// An archive made by another tool, with names no pack holds.
std::vector<std::uint8_t> HostileArchive(const std::vector<const char*>& names) {
    const auto path = std::filesystem::temp_directory_path() / ("kestrana-pack-" + std::to_string(std::rand()) + ".zip");
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    for (const char* name : names) {
        zip_fileinfo info{};
        zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION);
        zipWriteInFileInZip(zip, "data", 4);
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::filesystem::remove(path);
    return bytes;
}

TEST(CataloguePack, ImportTakesNothingFromOutsideThePack) {
    PadWorld world;
    const std::wstring zip = world.folder.base + L"in.zip";
    world.folder.files.AddFile(zip, HostileArchive({"../evil.ini", "launchpad/Pinned/../../config.ini", "config.ini",
                                                    "launchpad/Pinned/sub/deep.lnk", "C:/Windows/win.ini",
                                                    "launchpad/Pinned/", "launchpad\\Pinned\\ok.lnk"}));
    const ImportReport report = ImportPack(world.folder.files, world.folder.base, zip);
    EXPECT_TRUE(report.opened);
    EXPECT_EQ(report.names, std::vector<std::wstring>{L"launchpad\\Pinned\\ok.lnk"});
    EXPECT_EQ(report.refused, 5u);
    EXPECT_EQ(world.folder.files.ContentText(world.folder.base + L"launchpad\\Pinned\\ok.lnk"), "data");
    EXPECT_FALSE(world.folder.files.IsFile(world.folder.base + L"config.ini"));

    world.folder.files.AddFile(zip, "PK\x03\x04 not really");
    EXPECT_FALSE(ImportPack(world.folder.files, world.folder.base, zip).opened);
}

} // namespace
} // namespace kestrana::launchers::testing
