// Files dropped on the dock: what they become and where they go.
#include "dock/item_drops.h"

#include "dock/magnification.h"
#include "dock/window_matching.h"
#include "item_list_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kestrana::dock {
namespace {

TEST(ItemDrops, ShortcutsStandForTheirTargetsAndTellTheKind) {
    const ItemRecord file = RecordForPath(L"C:\\Users\\me\\Notes.TXT", std::nullopt);
    EXPECT_EQ(file.tag, L"Notes");
    EXPECT_EQ(file.appname, L"notes.txt");
    EXPECT_EQ(file.realpath, L"c:\\users\\me\\notes.txt");
    const ItemRecord folder = RecordForPath(L"D:\\Work\\", std::nullopt);
    EXPECT_EQ(folder.tag, L"Work");
    EXPECT_EQ(folder.appname, L"work");

    const ItemRecord link = RecordForPath(L"C:\\Desk\\Editor.lnk", ShortcutFacts{L"C:\\Apps\\Ed.exe", L"-n"});
    EXPECT_EQ(link.tag, L"Editor");
    EXPECT_EQ(link.appname, L"ed.exe");
    EXPECT_EQ(link.filepath, L"c:\\apps\\ed.exe");
    EXPECT_EQ(link.runline, L"-n");
    EXPECT_EQ(link.uwp, static_cast<int>(AppKind::Program));
    const struct {
        const wchar_t* target;
        const wchar_t* arguments;
        AppKind kind;
    } kinds[] = {
        {L"C:\\B\\chrome_proxy.exe", L"--profile-directory=Default --app-id=abc", AppKind::BrowserWebApp},
        {L"C:\\B\\chrome.exe", L"--app-id=abc", AppKind::AppIdProgram},
        {L"C:\\W\\WsaClient.exe", L"/launch wsa://com.app", AppKind::Android},
        {L"C:\\F\\firefoxpwa.exe", L"site launch 01AB", AppKind::FirefoxWebApp},
    };
    for (const auto& k : kinds)
        EXPECT_EQ(RecordForPath(L"C:\\x.lnk", ShortcutFacts{k.target, k.arguments}).uwp, static_cast<int>(k.kind))
            << k.target;
}

// A web application pinned by dropping its shortcut keeps its id among the arguments;
// its windows must still light up that item rather than make a second one.
TEST(ItemDrops, DroppedWebApplicationShortcutsKnowTheirIdAndOwnTheirWindows) {
    testing::FakeItemShell shell;
    fakes::SettingsFolder folder;
    bool upgraded = false;
    const auto dropped = [&](const wchar_t* target) {
        const ShortcutFacts link{target, L"--profile-directory=Default --app-id=musicid"};
        return BuildItem(RecordForPath(L"C:\\Desk\\Music.lnk", link), shell, folder.files, testing::kBase, upgraded);
    };
    EXPECT_EQ(dropped(L"C:\\E\\helper.exe")->key, L"musicid");

    DockItems row;
    const std::size_t at = row.Append(dropped(L"C:\\B\\chrome_proxy.exe"));
    EXPECT_EQ(row[at].key, L"musicid");
    const AppIdentity window{L"chrome_proxy.exe", L"musicid", L"c:\\b\\chrome_proxy.exe", L"Music", L"",
                             AppKind::BrowserWebApp};
    EXPECT_EQ(MatchWindowItem(row, window, folder.files), at);
}

TEST(ItemDrops, ProgramsOpenFilesTheTrashTakesThemAndTheRestLandBeside) {
    DockItems row;
    for (const wchar_t* app : {L"explorer.exe", L"ed.exe", L"|", L"trash|"}) {
        auto item = MakeDockico(std::wstring(app) == L"|");
        item->appname = app;
        row.Append(std::move(item));
    }
    PlaceAtRest(row, 40, 0); // explorer 0-40, ed 40-80, separator 80-100, trash 100-140
    EXPECT_EQ(DecideDrop(row, 60).action, DropAction::OpenWith);
    EXPECT_EQ(DecideDrop(row, 60).index, 4u);
    // The edges of the program's icon: beside it.
    EXPECT_EQ(DecideDrop(row, 44).action, DropAction::AddItems);
    EXPECT_EQ(DecideDrop(row, 44).index, 4u);
    EXPECT_EQ(DecideDrop(row, 77).index, 5u);
    // Never before the first item, and the file manager opens nothing.
    EXPECT_EQ(DecideDrop(row, 5).index, 4u);
    EXPECT_EQ(DecideDrop(row, 20).action, DropAction::AddItems);
    EXPECT_EQ(DecideDrop(row, -30).index, 4u);
    // Past the separator's middle the place is the trash's.
    EXPECT_EQ(DecideDrop(row, 95).action, DropAction::ToTrash);
    EXPECT_EQ(DecideDrop(row, 120).action, DropAction::ToTrash);
    // Beyond the row: at its end, which is the trash's place.
    EXPECT_EQ(DecideDrop(row, 400).action, DropAction::ToTrash);
    EXPECT_EQ(DecideDrop(row, 400).index, 6u);
}

TEST(ItemDrops, FolderItemsTakeFilesOnTheirMiddleMovingOnOneDriveCopyingAcross) {
    DockItems row;
    for (const wchar_t* app : {L"explorer.exe", L"work", L"trash|"}) {
        auto item = MakeDockico();
        item->appname = app;
        row.Append(std::move(item));
    }
    row[4].key = L"folder-work";
    PlaceAtRest(row, 40, 0); // explorer 0-40, work 40-80, trash 80-120
    EXPECT_EQ(DecideDrop(row, 60).action, DropAction::IntoFolder);
    EXPECT_EQ(DecideDrop(row, 60).index, 4u);
    EXPECT_EQ(DecideDrop(row, 44).action, DropAction::AddItems);

    const struct {
        const wchar_t* path;
        const wchar_t* folder;
        bool ctrl, shift;
        FolderDropEffect effect;
    } effects[] = {
        {L"C:\\a\\x.txt", L"c:\\Work", false, false, FolderDropEffect::Move},
        {L"D:\\x.txt", L"C:\\Work", false, false, FolderDropEffect::Copy},
        {L"C:\\a\\x.txt", L"C:\\Work", true, false, FolderDropEffect::Copy},
        {L"D:\\x.txt", L"C:\\Work", false, true, FolderDropEffect::Move},
        {L"D:\\x.txt", L"C:\\Work", true, true, FolderDropEffect::Copy},
        {L"\\\\srv\\docs\\x.txt", L"\\\\SRV\\Docs\\in", false, false, FolderDropEffect::Move},
        {L"\\\\srv\\docs\\x.txt", L"\\\\srv\\other", false, false, FolderDropEffect::Copy},
    };
    for (const auto& e : effects)
        EXPECT_EQ(FolderDropEffectFor(e.path, e.folder, e.ctrl, e.shift), e.effect) << e.path << " " << e.folder;

    EXPECT_TRUE(CanGoIntoFolder(L"C:\\a\\x.txt", L"C:\\Work"));
    EXPECT_TRUE(CanGoIntoFolder(L"C:\\Workshop", L"C:\\Work"));
    EXPECT_FALSE(CanGoIntoFolder(L"C:\\Work\\x.txt", L"c:\\work\\")); // already there
    EXPECT_FALSE(CanGoIntoFolder(L"C:\\Work", L"C:\\Work"));
    EXPECT_FALSE(CanGoIntoFolder(L"C:\\Work", L"C:\\Work\\Sub")); // into itself
    EXPECT_FALSE(CanGoIntoFolder(L"C:\\x.txt", L"C:\\"));
    EXPECT_TRUE(CanGoIntoFolder(L"C:\\a\\x.txt", L"C:\\"));

    // A name already in the folder is never written over.
    const std::vector<std::wstring> there{L"x.txt", L"x (2).txt", L".profile", L"notes"};
    const auto taken = [&](const std::wstring& name) { return std::find(there.begin(), there.end(), name) != there.end(); };
    EXPECT_EQ(FreeNameInFolder(L"x.txt", taken), L"x (3).txt");
    EXPECT_EQ(FreeNameInFolder(L"y.txt", taken), L"y.txt");
    EXPECT_EQ(FreeNameInFolder(L".profile", taken), L".profile (2)");
    EXPECT_EQ(FreeNameInFolder(L"notes", taken), L"notes (2)");
}

} // namespace
} // namespace kestrana::dock
