// Matching windows to the dock's items, which windows show as running, and where the items
// of running programs and minimised windows take their place.
#include "dock/window_matching.h"
#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::dock {
namespace {

Dockico& Add(DockItems& row, std::wstring appname, std::wstring filepath = L"", std::wstring realpath = L"",
             AppKind kind = AppKind::Program) {
    auto item = MakeDockico();
    item->appname = std::move(appname);
    item->filepath = std::move(filepath);
    item->realpath = std::move(realpath);
    item->appKind = kind;
    return row[row.Append(std::move(item))];
}

std::int32_t AddSeparator(DockItems& row, bool kept = true) {
    auto separator = MakeDockico(true);
    separator->kept = kept;
    return row[row.Append(std::move(separator))].id;
}

AppIdentity Identity(std::wstring program, std::wstring filePath, std::wstring imagePath,
                     AppKind kind = AppKind::Program, std::wstring appId = L"") {
    return {std::move(program), std::move(filePath), std::move(imagePath), L"label", std::move(appId), kind};
}

TEST(WindowMatching, FirstFittingItemInDockOrder) {
    fakes::SettingsFolder folder;
    folder.files.AddDirectory(L"c:\\windows");
    DockItems row;
    const std::wstring explorer = L"c:\\windows\\explorer.exe";
    const std::wstring chrome = L"c:\\chrome\\chrome.exe";
    AddSeparator(row);
    Add(row, L"windows", L"c:\\windows", L"c:\\windows");             // a folder never owns windows
    Add(row, L"explorer.exe", explorer, explorer);                     // 5
    Add(row, L"controlpanel");                                         // 6
    Add(row, L"chrome.exe", chrome, chrome);                           // 7
    Add(row, L"chrome_proxy.exe", L"musicid", L"c:\\chrome\\chrome_proxy.exe --app-id=musicid",
        AppKind::BrowserWebApp);                                       // 8
    Add(row, L"chrome.exe", chrome, chrome);                           // 9
    Add(row, L"launchpad|", explorer, explorer);                       // special: skipped
    Dockico& files = Add(row, L"explorer.exe", explorer, explorer);    // 11
    files.virtualpath = L"Microsoft.Windows.Explorer";

    const auto match = [&](const AppIdentity& id) { return MatchWindowItem(row, id, folder.files); };
    EXPECT_EQ(match(Identity(L"explorer.exe", explorer, explorer)), 5u);
    EXPECT_EQ(match(Identity(L"explorer.exe", explorer, explorer, AppKind::Program, L"Microsoft.Windows.Explorer")), 5u);
    EXPECT_EQ(match(Identity(L"controlpanel", explorer, explorer)), 6u);
    EXPECT_EQ(match(Identity(L"chrome_proxy.exe", L"musicid", L"c:\\chrome\\chrome_proxy.exe", AppKind::BrowserWebApp)), 8u);
    EXPECT_EQ(match(Identity(L"chrome_proxy.exe", L"otherid", L"c:\\chrome\\chrome_proxy.exe", AppKind::BrowserWebApp)), 0u);
    EXPECT_EQ(match(Identity(L"chrome.exe", L"chrome", chrome)), 7u);
    row[5].filepath.clear(); // an item without a filepath owns nothing
    EXPECT_EQ(match(Identity(L"explorer.exe", explorer, explorer, AppKind::Program, L"microsoft.windows.explorer")), 11u);

    // The minimised-window look-up only sees running items, and its stronger comparison wins.
    row[9].running = true;
    row[8].running = true;
    row[8].appKind = AppKind::Program;
    row[8].filepath = L"c:\\chrome\\chrome.exe";
    EXPECT_EQ(FindMinimisedOwner(row, Identity(L"chrome.exe", chrome, chrome)), 8u);
    EXPECT_EQ(FindMinimisedOwner(row, Identity(L"chrome.exe", L"chrome", chrome)), 9u);
    EXPECT_EQ(FindMinimisedOwner(row, Identity(L"java.exe", L"x*pid4", chrome)), 0u);
}

TEST(AcceptsWindow, WhichWindowsShowAsRunning) {
    fakes::SettingsFolder folder;
    folder.Config(u"[blacklist]\r\ngame.exe=1\r\nok.exe=0\r\n");
    const AcceptContext context{48, false, L"c:\\kestrana\\", L"c:\\kestrana\\kestrana.exe"};
    struct Case {
        AppIdentity identity;
        bool accepted;
    };
    const Case cases[] = {
        {Identity(L"ok.exe", L"c:\\ok.exe", L"c:\\ok.exe"), true},
        {Identity(L"setup", L"setup", L"c:\\temp\\is-1.tmp\\setup"), true},
        {Identity(L"app", L"someid", L"c:\\app\\app"), false},
        {Identity(L"chrome_proxy.exe", L"someid", L"", AppKind::BrowserWebApp), true},
        {Identity(L"rundll32.exe", L"c:\\rundll32.exe", L"c:\\rundll32.exe"), false},
        {Identity(L"game.exe", L"c:\\game.exe", L"c:\\game.exe"), false},
        {Identity(L"thermel.exe", L"c:\\kestrana\\thermel.exe", L"c:\\kestrana\\thermel.exe"), false},
        {Identity(L"kestrana.exe", L"c:\\kestrana\\kestrana.exe", L"c:\\kestrana\\kestrana.exe"), false},
    };
    for (const Case& c : cases) EXPECT_EQ(AcceptsWindow(c.identity, context, folder.store), c.accepted) << c.identity.program;

    AppIdentity unnamed = cases[0].identity;
    unnamed.label.clear();
    EXPECT_FALSE(AcceptsWindow(unnamed, context, folder.store));
    EXPECT_FALSE(AcceptsWindow(cases[0].identity, {10, false, L"c:\\kestrana\\", L""}, folder.store));
    EXPECT_FALSE(AcceptsWindow(cases[0].identity, {48, true, L"c:\\kestrana\\", L""}, folder.store));
}

TEST(RunningItems, ItemAndPictureNames) {
    fakes::SettingsFolder folder;
    folder.Config(u"[unsaveicon]\r\nmusicid=D:\\pics\\music.png\r\n");
    const auto item = MakeRunningItem(
        Identity(L"chrome_proxy.exe", L"musicid", L"c:\\chrome\\chrome_proxy.exe", AppKind::BrowserWebApp),
        folder.files, folder.base);
    EXPECT_TRUE(item->running);
    EXPECT_FALSE(item->kept);
    EXPECT_EQ(item->key, L"musicid");
    const RunningPictureFiles pictures = RunningPictureNames(item->key, folder.store);
    EXPECT_EQ(pictures.configured, L"D:\\pics\\music.png");
    EXPECT_EQ(pictures.cache, folder.base + L"runpng\\musicid.png");
    EXPECT_EQ(MakeRunningItem(Identity(L"vlc.exe", L"c:\\vlc\\vlc.exe", L"c:\\vlc\\vlc.exe"), folder.files, folder.base)->key,
              L"vlc");
}

std::vector<std::wstring> Names(const DockItems& row) {
    std::vector<std::wstring> names;
    row.ForEachReal([&](std::size_t, const Dockico& item) { names.push_back(item.delimiter ? L"|" : item.appname); });
    return names;
}

std::unique_ptr<Dockico> Running(const std::wstring& name) {
    return MakeRunningItem(Identity(name, L"c:\\" + name, L"c:\\" + name), fakes::SettingsFolder().files, L"c:\\k\\");
}

TEST(RunningItems, PlacementWithAndWithoutSeparators) {
    using V = std::vector<std::wstring>;
    for (const bool limit : {false, true}) {
        DockItems row; // the first-start row: a separator before the trash
        Add(row, L"explorer.exe");
        Add(row, L"launchpad|");
        AddSeparator(row);
        Add(row, L"trash|");
        TrackerSeparators separators;
        PlaceRunningItem(row, Running(L"a.exe"), separators, limit);
        PlaceRunningItem(row, Running(L"b.exe"), separators, limit);
        EXPECT_EQ(Names(row), limit ? V({L"explorer.exe", L"launchpad|", L"|", L"a.exe", L"b.exe", L"|", L"trash|"})
                                    : V({L"explorer.exe", L"launchpad|", L"a.exe", L"b.exe", L"|", L"trash|"}));
    }
    // Without a separator the row's end; the dock's own separator is no place to stop at.
    DockItems row;
    Add(row, L"explorer.exe");
    TrackerSeparators separators;
    PlaceRunningItem(row, Running(L"a.exe"), separators, true);
    delete row.Take(5).release();
    PlaceRunningItem(row, Running(L"b.exe"), separators, true);
    EXPECT_EQ(Names(row), V({L"explorer.exe", L"|", L"b.exe"}));

    // An unsaved separator already in the row is adopted rather than a second one made.
    DockItems adopting;
    Add(adopting, L"explorer.exe");
    const std::int32_t loose = AddSeparator(adopting, false);
    TrackerSeparators fresh;
    PlaceRunningItem(adopting, Running(L"a.exe"), fresh, true);
    EXPECT_EQ(fresh.running, loose);
    EXPECT_EQ(Names(adopting), V({L"explorer.exe", L"|", L"a.exe"}));
}

TEST(MinimisedItems, EachMinicoposPlace) {
    using V = std::vector<std::wstring>;
    const auto rowFor = [](MinimisedPlace place, int windows) {
        DockItems row;
        Add(row, L"explorer.exe");
        Add(row, L"trash|");
        row.Append(Running(L"a.exe"));
        TrackerSeparators separators;
        for (int i = 0; i < windows; ++i) {
            auto item = MakeMinimisedItem(WindowId{7}, L"w");
            item->appname = L"w";
            PlaceMinimisedItem(row, std::move(item), separators, place);
        }
        return Names(row);
    };
    EXPECT_EQ(rowFor(MinimisedPlaceFromSetting(0), 1), V({L"explorer.exe", L"w", L"trash|", L"a.exe"}));
    EXPECT_EQ(rowFor(MinimisedPlaceFromSetting(1), 1), V({L"explorer.exe", L"trash|", L"a.exe", L"w"}));
    EXPECT_EQ(rowFor(MinimisedPlaceFromSetting(2), 2), V({L"explorer.exe", L"trash|", L"a.exe", L"|", L"w", L"w"}));
}

} // namespace
} // namespace kestrana::dock
