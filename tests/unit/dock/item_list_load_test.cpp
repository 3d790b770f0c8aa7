#include "item_list_support.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

using namespace testing;

std::vector<std::wstring> Appnames(const LoadedItemList& loaded) {
    std::vector<std::wstring> names;
    for (const auto& item : loaded.items) names.push_back(item->delimiter ? L"|" : item->appname);
    return names;
}

const std::vector<std::wstring> kDefaultAppnames = {L"explorer.exe", L"launchpad|", L"cal|", L"systemtime", L"|", L"trash|"};

TEST(ItemListLoad, WithoutAnyFileTheDefaultListIsWrittenAndShown) {
    ItemWorld world;
    world.shell.windowsFolder = L"D:\\WinNT\\";
    world.store.SetCurrentLanguage(L"fr");
    world.Write(L"lang\\fr.ini", "[iconame]\r\nexplorer=Explorateur\r\n");
    const auto loaded = world.Load();
    EXPECT_EQ(loaded.source, ItemListSource::Defaults);
    EXPECT_EQ(Appnames(loaded), kDefaultAppnames);
    const auto written = world.Records(L"ico.ini");
    ASSERT_EQ(written.size(), 6u);
    EXPECT_EQ(written[0].tag, L"Explorateur");
    EXPECT_EQ(written[0].filepath, L"d:\\winnt\\explorer.exe");
    EXPECT_EQ(written[0].realpath, L"d:\\winnt\\explorer.exe");
    EXPECT_EQ(written[1].tag, L"Launchpad"); // built-in text where the language file has none
    EXPECT_TRUE(written[3].tag.empty());
    EXPECT_TRUE(written[4].delimiter);
    EXPECT_EQ(loaded.items[4]->sizeFactor, kSeparatorFactor);

    // A disk that takes nothing still shows the defaults.
    ItemWorld full;
    full.files.FailAlways(fakes::FsOp::Replace);
    EXPECT_EQ(Appnames(full.Load()), kDefaultAppnames);
    EXPECT_FALSE(full.Exists(L"ico.ini"));
}

TEST(ItemListLoad, MissingOrEmptyListFallsBackToThePreviousFile) {
    const auto previous = ProgramList(4, L"old");
    for (const bool renameFails : {false, true}) {
        ItemWorld world;
        world.Write(L"ico.ini", "; no sections\r\nkey=value\r\n");
        world.files.AddFile(world.Path(L"ico_bak.ini"), FileOf(previous));
        if (renameFails) world.files.FailNth(fakes::FsOp::Rename, 1);
        const auto loaded = world.Load();
        EXPECT_EQ(loaded.source, ItemListSource::File);
        EXPECT_EQ(RecordsOf(loaded.items), previous) << renameFails;
        EXPECT_EQ(world.Bytes(L"ico.ini"), FileOf(previous));
        EXPECT_EQ(world.Exists(L"ico_bak.ini"), renameFails); // moved, or copied when the move failed
    }
    // Neither move nor copy: the defaults, and the previous file stays for later.
    ItemWorld stuck;
    stuck.files.AddFile(stuck.Path(L"ico_bak.ini"), FileOf(previous));
    stuck.files.FailNth(fakes::FsOp::Rename, 1);
    stuck.files.FailNth(fakes::FsOp::Replace, 1);
    EXPECT_EQ(Appnames(stuck.Load()), kDefaultAppnames);
    EXPECT_EQ(stuck.Bytes(L"ico_bak.ini"), FileOf(previous));
}

TEST(ItemListLoad, AListShrunkBelowThreeSectionsIsReadFromALongerPreviousFile) {
    struct Case {
        int current;
        int previous;
        bool readsPrevious;
    };
    // ProgramList(n) holds n programs and, from 2 on, a separator.
    for (const auto& c : {Case{1, 4, true}, Case{1, 3, false}, Case{2, 5, false}, Case{3, 40, false}}) {
        ItemWorld world;
        const auto current = ProgramList(c.current, L"cur");
        const auto previous = ProgramList(c.previous, L"old");
        world.files.AddFile(world.Path(L"ico.ini"), FileOf(current));
        world.files.AddFile(world.Path(L"ico_bak.ini"), FileOf(previous));
        const auto loaded = world.Load();
        const auto& expected = c.readsPrevious ? previous : current;
        EXPECT_EQ(RecordsOf(loaded.items), expected) << c.current << " " << c.previous;
        EXPECT_EQ(loaded.source, c.readsPrevious ? ItemListSource::PreviousFile : ItemListSource::File);
    }
}

// Also a section left with no value (its only one did not stay) is no item, so the
// separator after it still leads.
TEST(ItemListLoad, SkipsLeadingSeparatorsEmptyItemsAndTheUpdateItem) {
    ItemWorld world;
    world.Write(L"ico.ini",
                "[id]\r\nvirtualpath=A1b2C3d4E5f6G7h8\r\n[first]\r\ndelimiter=1\r\n[u0]\r\nappname=update\r\n[second]\r\ndelimiter=1\r\n[a]\r\nappname=A.EXE\r\nfilepath=C:\\Apps\\A.exe\r\n[u]\r\nappname=Update\r\n"
                "[s]\r\ndelimiter=1\r\n[u2]\r\nappname=update\r\nfilepath=c:\\u\\update.exe\r\n");
    const auto loaded = world.Load();
    EXPECT_EQ(Appnames(loaded), (std::vector<std::wstring>{L"a.exe", L"|", L"update"}));
    EXPECT_EQ(loaded.items[0]->filepath, L"c:\\apps\\a.exe");
    EXPECT_FALSE(loaded.saveRequested);
}

TEST(ItemListLoad, MigratesTheXmlListBeforeAnythingElse) {
    ItemWorld world;
    world.files.AddFile(world.Path(L"ico.ini"), FileOf(ProgramList(5, L"ini")));
    world.Write(L"ico.xml",
                "<config><i1><tag>One</tag><appname>one.exe</appname><filepath>c:\\one.exe</filepath></i1>"
                "<i2><delimiter>1</delimiter></i2><i3><appname>cal|</appname></i3><i4><appname>two.exe</appname>"
                "<UWP>1</UWP></i4></config>");
    const auto loaded = world.Load();
    EXPECT_FALSE(world.Exists(L"ico.xml"));
    EXPECT_EQ(Appnames(loaded), (std::vector<std::wstring>{L"one.exe", L"|", L"cal|", L"two.exe"}));
    EXPECT_EQ(loaded.items[3]->appKind, AppKind::Packaged);
    EXPECT_EQ(world.Records(L"ico.ini").size(), 4u);

    // A document without items leaves the list alone; an unreadable one waits for the next start.
    ItemWorld empty;
    empty.files.AddFile(empty.Path(L"ico.ini"), FileOf(ProgramList(5, L"ini")));
    empty.Write(L"ico.xml", "<config/>");
    EXPECT_EQ(empty.Load().items.size(), 6u);
    EXPECT_FALSE(empty.Exists(L"ico.xml"));
    ItemWorld locked;
    locked.Write(L"ico.xml", "<config><a><appname>a.exe</appname></a></config>");
    locked.files.FailNth(fakes::FsOp::Read, 1);
    EXPECT_EQ(Appnames(locked.Load()), kDefaultAppnames);
    EXPECT_TRUE(locked.Exists(L"ico.xml"));
}

TEST(ItemListLoad, UpgradesAndAMissingMinimiseKeyAskForASave) {
    ItemWorld world;
    world.Write(L"ico.ini", "[a]\r\nappname=explorer.exe\r\nvirtualpath=microsoft.windows.explorer\r\n[b]\r\nappname=x.exe\r\n");
    EXPECT_FALSE(world.Load().saveRequested);

    world.Write(L"ico.ini", "[a]\r\nappname=MacClock\r\n[b]\r\nappname=x.exe\r\n");
    auto loaded = world.Load();
    EXPECT_TRUE(loaded.saveRequested);
    EXPECT_EQ(loaded.items[0]->appname, L"systemtime");
    EXPECT_EQ(loaded.items[0]->key, L"systemtime");

    world.Write(L"ico.ini", "[a]\r\nappname=explorer.exe\r\n");
    loaded = world.Load();
    EXPECT_TRUE(loaded.saveRequested);
    EXPECT_EQ(loaded.items[0]->virtualpath, L"microsoft.windows.explorer");

    world.Write(L"ico.ini", "[a]\r\nappname=x.exe\r\n");
    world.Write(L"config.ini", "[minimize]\r\nminicopos=\r\n");
    EXPECT_TRUE(world.Load().saveRequested);
    EXPECT_EQ(world.store.ReadString(L"minimize", L"minicopos"), L"0");
    EXPECT_FALSE(world.Load().saveRequested);
}

} // namespace
} // namespace kestrana::dock
