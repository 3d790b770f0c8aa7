// The active application on the bar: which windows it follows, the name, the title
// rules in their order, cleaning titles read from a menu bar, and the menu hand-over file.
#include "menubar/app_menus.h"
#include "menubar/menu_handshake.h"

#include "fakes/settings_folder.h"

#include <gtest/gtest.h>

namespace kestrana::menubar {
namespace {

ForegroundFacts Window(std::wstring className, std::wstring imagePath, std::uint32_t exStyle = 0) {
    ForegroundFacts facts;
    facts.exists = true;
    facts.className = std::move(className);
    facts.imagePath = std::move(imagePath);
    facts.exStyle = exStyle;
    return facts;
}

TEST(ActiveApp, FollowsOnlyOtherProgramsWindowsOnItsOwnScreen) {
    ForegroundFacts facts = Window(L"Notepad", L"C:\\windows\\notepad.exe");
    EXPECT_TRUE(FollowsForeground(facts, false));
    facts.onThisScreen = false;
    EXPECT_TRUE(FollowsForeground(facts, false)) << "one bar follows every screen";
    EXPECT_FALSE(FollowsForeground(facts, true));
    facts.onThisScreen = true;
    facts.ours = true;
    EXPECT_FALSE(FollowsForeground(facts, false));
    EXPECT_FALSE(FollowsForeground(ForegroundFacts{}, false));
    EXPECT_FALSE(FollowsForeground(Window(L"Xaml_WindowedPopupClass", L"C:\\a\\app.exe"), false));
}

TEST(ActiveApp, NameComesFromTheDockThenUnsaveThenTheFile) {
    const std::vector<DockItemName> items = {
        {L"c:\\windows\\notepad.exe", L"trash|", L"Bin"},
        {L"c:\\windows\\notepad.exe", L"notepad.exe", L"My Editor"},
    };
    const std::wstring path = L"C:\\Windows\\NOTEPAD.EXE";
    EXPECT_EQ(DockNameFor(items, path), L"My Editor") << "the trash is passed over; case does not count";
    EXPECT_EQ(DockNameFor(items, L"c:\\other.exe"), L"");

    EXPECT_EQ(AppName({L"My Editor", L"Pad", L"Text Editor"}, path), L"My Editor");
    EXPECT_EQ(AppName({L"", L"Pad", L"Text Editor"}, path), L"Pad");
    EXPECT_EQ(AppName({L"", L" ", L"Text Editor"}, path), L"Text Editor");
    // "unsaveicon" holds pictures: a path or a picture's file name is never shown as the name.
    for (const wchar_t* picture : {L"C:\\pics\\pad.png", L"single icon\\pad", L"D:pad", L"pad.ICO", L" pad.exe "})
        EXPECT_EQ(AppName({L"", picture, L"Text Editor"}, path), L"Text Editor") << picture;
    EXPECT_EQ(AppName({L"", L" Pad 2.0 ", L""}, path), L"Pad 2.0");
    EXPECT_EQ(AppName({}, path), L"NOTEPAD");
    EXPECT_EQ(AppName({}, L"C:\\tools\\my.app.exe"), L"my.app");
}

TEST(ActiveApp, TitleRulesInTheirOrder) {
    fakes::SettingsFolder folder;
    folder.store.SetCurrentLanguage(L"English");
    folder.files.AddFile(folder.base + L"lang\\English.ini",
                         fakes::Utf16File(u"[findertitle]\r\na=Desk\r\nb= Go \r\n[findermenubrowser]\r\nView=Look\r\n"));
    const TitleOptions options;

    ForegroundFacts desktop = Window(L"WorkerW", L"C:\\Windows\\explorer.exe", 0x80);
    EXPECT_EQ(PlanTitles(desktop, folder.store, options).titles, (std::vector<std::wstring>{L"Desk", L"Go"}));
    desktop.exStyle = 0; // a plain WorkerW is no desktop: it is an overlay-free window like any other
    EXPECT_EQ(PlanTitles(desktop, folder.store, options).source, TitleSource::WindowMenu);

    ForegroundFacts explorer = Window(L"CabinetWClass", L"C:\\Windows\\explorer.exe");
    auto plan = PlanTitles(explorer, folder.store, options);
    EXPECT_EQ(plan.source, TitleSource::Explorer);
    EXPECT_EQ(plan.titles, (std::vector<std::wstring>{L"Look", L"Sort by", L"Group by", L"Refresh"}));
    explorer.explorerCommands = true;
    plan = PlanTitles(explorer, folder.store, {true, true});
    EXPECT_EQ(plan.titles, (std::vector<std::wstring>{L"File", L"Look", L"Sort by", L"Refresh", L"Window"}));

    // A browser or figma wins over a menu bar of its own, even as a layered window.
    EXPECT_EQ(PlanTitles(Window(L"Chrome_WidgetWin_1", L"C:\\b\\Chrome.exe", 0x80000), folder.store, options).source,
              TitleSource::Browser);
    EXPECT_EQ(PlanTitles(Window(L"x", L"C:\\b\\HuaweiBrowser64.exe"), folder.store, options).source,
              TitleSource::Browser);
    EXPECT_EQ(PlanTitles(Window(L"x", L"C:\\f\\Figma.exe"), folder.store, options).titles.size(), 6u);

    for (std::uint32_t overlay : {0x80000u, 0x80u, 0x20u})
        EXPECT_EQ(PlanTitles(Window(L"Notepad", L"C:\\n.exe", overlay), folder.store, options).source,
                  TitleSource::None)
            << overlay;
    ForegroundFacts plain = Window(L"Notepad", L"C:\\n.exe", 0x100);
    EXPECT_EQ(PlanTitles(plain, folder.store, options).source, TitleSource::WindowMenu);
    EXPECT_TRUE(PlanTitles(plain, folder.store, options).askWindow);
    plain.hung = true; // named, never asked
    EXPECT_EQ(PlanTitles(plain, folder.store, options).source, TitleSource::WindowMenu);
    EXPECT_FALSE(PlanTitles(plain, folder.store, options).askWindow);
    EXPECT_EQ(PlanTitles(Window(L"Shell_TrayWnd", L"C:\\Windows\\explorer.exe"), folder.store, options).source,
              TitleSource::None);
    EXPECT_EQ(PlanTitles(Window(L"Notepad", L"C:\\n.exe"), folder.store, {false, false}).source, TitleSource::None);
}

TEST(ActiveApp, EveryTitleOfOursOpensAMenuThatPressesKeys) {
    fakes::SettingsFolder folder;
    folder.store.SetCurrentLanguage(L"English");
    ForegroundFacts explorer = Window(L"CabinetWClass", L"C:\\Windows\\explorer.exe");
    explorer.explorerCommands = true;
    ForegroundFacts desktop = Window(L"Progman", L"C:\\Windows\\explorer.exe", 0x80);
    desktop.desktop = true;
    for (const auto& facts : {explorer, desktop, Window(L"x", L"C:\\b\\msedge.exe")}) {
        const TitlePlan plan = PlanTitles(facts, folder.store, {});
        ASSERT_EQ(plan.keys.size(), plan.titles.size());
        for (std::size_t i = 0; i < plan.keys.size(); ++i) {
            const auto entries = OwnTitleMenu(plan.source, plan.keys[i], folder.store);
            EXPECT_FALSE(entries.empty()) << plan.titles[i];
            // Explorer's sorting and grouping have no keys: without its view they cannot be used.
            const bool arranges = plan.keys[i] == L"sort by" || plan.keys[i] == L"group by";
            for (const auto& entry : entries)
                EXPECT_TRUE(!entry.text.empty() && (arranges ? !entry.enabled && !entry.checked : entry.key != 0))
                    << plan.titles[i];
        }
    }
    EXPECT_TRUE(OwnTitleMenu(TitleSource::WindowMenu, L"edit", folder.store).empty());
}

TEST(ActiveApp, ExplorerSortAndGroupEntriesShowTheViewAndChangeOneThingEach) {
    fakes::SettingsFolder folder;
    const Arrangement view{ArrangeColumn::Size, true, ArrangeColumn::Type};
    for (const wchar_t* key : {L"Sort by", L"Group by"}) {
        const auto entries = OwnTitleMenu(TitleSource::Explorer, key, folder.store, &view);
        int checked = 0, sameAsNow = 0;
        for (const auto& entry : entries) {
            EXPECT_TRUE(entry.enabled && entry.key == 0) << entry.text.size();
            checked += entry.checked;
            // A checked entry leaves the view as it is; any other changes exactly one thing.
            const Arrangement to = entry.arrange;
            const int changes = (to.sort != view.sort) + (to.descending != view.descending) + (to.group != view.group);
            EXPECT_EQ(changes, entry.checked ? 0 : 1);
            sameAsNow += to == view;
        }
        EXPECT_EQ(checked, key[0] == L'S' ? 2 : 1) << "sorting: a column and a direction; grouping: one column";
        EXPECT_EQ(sameAsNow, checked);
    }
    const auto grouping = OwnTitleMenu(TitleSource::Explorer, L"group by", folder.store, &view);
    EXPECT_EQ(grouping.front().arrange.group, ArrangeColumn::None) << "grouping can be turned off";
}

TEST(ActiveApp, TitlesReadFromAMenuBarAreCleaned) {
    const struct {
        std::wstring_view raw, shown;
    } cases[] = {
        {L"&File", L"File"},           {L"Edit(&E)", L"Edit"},     {L"  View (V) ", L"View"},
        {L"Save && Quit", L"Save & Quit"}, {L"&Help\tF1", L"Help"}, {L"(F)", L"(F)"},
        {L"a(b)c", L"a(b)c"},          {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(CleanTitle(c.raw), c.shown) << std::string(c.raw.begin(), c.raw.end());
    EXPECT_TRUE(UsesWindowTitleAsName(L"Qt5152QWindowIcon"));
}

TEST(MenuHandshakeFile, RequestSurvivesTheTripAndHostileTextIsRefused) {
    MenuRequest request;
    request.ask = MenuAsk::Open;
    request.window = 0x1234'5678'9abcULL;
    request.menu = 77;
    request.bar = 99;
    request.index = 1;
    request.top = 0;
    request.bottom = 24;
    request.titles = {{100, 140}, {140, 190}};
    const auto back = ParseMenuRequest(FormatMenuRequest(request));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->window, request.window);
    EXPECT_EQ(back->menu, 77u);
    EXPECT_EQ(back->index, 1);
    EXPECT_EQ(TitleAt(*back, 139, 5), 0);
    EXPECT_EQ(TitleAt(*back, 140, 23), 1);
    EXPECT_EQ(TitleAt(*back, 140, 24), -1);
    EXPECT_EQ(TitleAt(*back, 190, 5), -1);

    const std::string_view refused[] = {
        "window=5\n",                                   // no ask
        "ask=titles\n",                                 // no window
        "ask=open\nwindow=5\nindex=0\n",                // nothing to open
        "ask=open\nwindow=5\nindex=1\ntitle=0,10\n",    // index past the titles
        "ask=titles\nwindow=5\nwindow=6\n",             // said twice
        "ask=titles\nwindow=-5\n",                      // no negative handles
        "ask=titles\nwindow=5\ntitle=10,10\n",          // an empty span
        "ask=titles\nwindow=5\ntop=99999999999\n",      // out of range
        "ask=run\nwindow=5\n",
        "ask=titles\nwindow=5\nextra\n",
    };
    for (auto text : refused) EXPECT_FALSE(ParseMenuRequest(text)) << text;
    std::string many = "ask=titles\nwindow=5\n";
    for (std::size_t i = 0; i <= kMaxTitles; ++i) many += "title=0,1\n";
    EXPECT_FALSE(ParseMenuRequest(many));
}

TEST(MenuHandshakeFile, LivesUntilTheModuleIsDoneAndLeavesNothingBehind) {
    fakes::SettingsFolder folder;
    MenuHandshake handshake(folder.files, folder.base, 7);
    MenuRequest request;
    request.window = 5;
    const auto number = handshake.Begin(request);
    ASSERT_EQ(number, 7u);
    const std::wstring path = folder.base + L"findermenu\\7";
    ASSERT_TRUE(folder.files.IsFile(path));
    EXPECT_TRUE(handshake.Pending(7));
    const auto written = folder.files.Read(path);
    ASSERT_TRUE(written);
    EXPECT_EQ(ParseMenuRequest(std::string(written->begin(), written->end()))->window, 5u);

    // The module answers: the titles, then the request goes.
    const std::wstring titles[] = {L"File", L"\u7F16\u8F91", L""};
    folder.files.AddFile(path + L".titles", FormatTitleReply(titles));
    folder.files.Remove(path);
    EXPECT_FALSE(handshake.Pending(7));
    EXPECT_EQ(handshake.TakeTitles(7), (std::vector<std::wstring>{L"File", L"\u7F16\u8F91", L""}));
    EXPECT_FALSE(folder.files.IsFile(path + L".titles"));
    EXPECT_FALSE(handshake.TakeTitles(7));

    // An application that never answers: the bar gives up and both files go.
    ASSERT_EQ(handshake.Begin(request), 8u);
    folder.files.AddFile(folder.base + L"findermenu\\8.titles", std::string_view("\xff\xfe"));
    handshake.Abandon(8);
    EXPECT_FALSE(handshake.Pending(8));
    EXPECT_FALSE(folder.files.IsFile(folder.base + L"findermenu\\8.titles"));
    EXPECT_FALSE(ParseTitleReply("\xff\xfe"));

    folder.files.FailAlways(fakes::FsOp::Replace);
    EXPECT_FALSE(handshake.Begin(request));
}

} // namespace
} // namespace kestrana::menubar
