// Loading: the saved arrangement merged with what the sources hold.

#include "catalogue_support.h"

#include "launchers/catalogue_arrange.h"

namespace kestrana::launchers::testing {
namespace {

CatalogueDocument Pages(const std::vector<int>& sizes, int& app) {
    CatalogueDocument document;
    for (const int size : sizes) {
        auto& page = document.pages.emplace_back();
        for (int i = 0; i < size; ++i) page.push_back(Plain(app++));
    }
    return document;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> numbers;
    for (int i = from; i <= to; ++i) numbers.push_back(i);
    return numbers;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(CatalogueLoad, IconsBeyondThirtyFiveFillTheFirstPagesWithRoom) {
    struct Case {
        std::vector<int> saved;
        std::vector<std::vector<int>> shown;
    };
    const Case cases[] = {
        {{40, 10}, {Range(1, 35), Join(Range(41, 50), Range(36, 40))}},
        // 15 over: five to page 2, two to page 3, the last eight on a new page.
        {{50, 30, 33}, {Range(1, 35), Join(Range(51, 80), Range(36, 40)), Join(Range(81, 113), Range(41, 42)), Range(43, 50)}},
    };
    for (const Case& c : cases) {
        PadWorld world;
        world.Choice(1);
        int app = 1;
        world.Catalogue(L"padconfig_startmenu.xml", Pages(c.saved, app));
        world.Applications(app - 1);
        auto catalogue = world.Catalogue();
        const LoadReport report = catalogue.Load();
        EXPECT_FALSE(report.rewritten);
        EXPECT_EQ(Shape(catalogue.Pages()), c.shown);
        EXPECT_EQ(world.Saved(L"padconfig_startmenu.xml"), DocumentOf(catalogue.Pages())) << "saved as shown";
    }
}

TEST(CatalogueLoad, ShortcutsDroppedIntoTheFolderStartAfresh) {
    PadWorld world;
    auto& files = world.folder.files;
    const std::wstring pad = world.folder.base + L"launchpad\\";
    world.Pinned(L"Old.lnk");
    world.Catalogue(L"padconfig.xml", CatalogueDocument{{{CatalogueItem{{}, L"Box", true, {Plain(1)}}}}});
    for (const wchar_t* file : {L"png\\Old.png", L"cache\\a.png", L"cache_shell\\b.png"}) files.AddFile(pad + file, "x");
    files.AddFile(pad + L"Word.lnk", "word");
    files.AddFile(pad + L"OLD.LNK", "newer");

    auto catalogue = world.Catalogue();
    const LoadReport report = catalogue.Load();
    EXPECT_TRUE(report.imported && report.rewritten);
    EXPECT_EQ(files.ContentText(pad + L"Pinned\\Old.lnk"), "newer");
    EXPECT_EQ(files.ContentText(pad + L"Pinned\\Word.lnk"), "word");
    for (const wchar_t* folder : {L"", L"png", L"cache", L"cache_shell"}) {
        EXPECT_TRUE(files.IsDirectory(pad + folder));
        for (const auto& entry : files.List(pad + folder)) {
            EXPECT_TRUE(folder[0] == 0 && entry.isDirectory) << foundation::ToUtf8(entry.name);
        }
    }
    ASSERT_EQ(catalogue.Pages().size(), 1u);
    ASSERT_EQ(catalogue.EntryCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(catalogue.EntryAt({0, i})->source, EntrySource::Pinned);
}

TEST(CatalogueLoad, DroppedShortcutsKeepTheArrangementOfAnotherChoice) {
    PadWorld world;
    world.Choice(1);
    world.Applications(2);
    auto& files = world.folder.files;
    world.Catalogue(L"padconfig.xml", CatalogueDocument{{{Plain(1)}}});
    world.Catalogue(L"padconfig_startmenu.xml", CatalogueDocument{{{CatalogueItem{{}, L"Work", true, {Plain(2), Plain(1)}}}}});
    files.AddFile(world.folder.base + L"launchpad\\Word.lnk", "word");

    auto catalogue = world.Catalogue();
    const LoadReport report = catalogue.Load();
    EXPECT_TRUE(report.imported);
    EXPECT_FALSE(report.rewritten) << "the applications folder's arrangement was thrown away";
    EXPECT_FALSE(files.IsFile(world.folder.base + L"padconfig.xml"));
    EXPECT_EQ(Shape(catalogue.Pages()), (std::vector<std::vector<int>>{{-2, 0}}));
    EXPECT_EQ(std::get<LaunchpadGroup>(catalogue.Pages()[0][0]).name, L"Work");
    EXPECT_EQ(catalogue.EntryAt({0, 1})->source, EntrySource::Pinned);
}

TEST(CatalogueLoad, TheChoiceDecidesTheSourcesAndTheFile) {
    struct Case {
        int padicotype;
        bool noApplicationsFolder;
        const wchar_t* file;
        std::vector<std::wstring> names;
    };
    const Case cases[] = {
        {0, false, L"padconfig.xml", {L"Pin"}},
        {1, false, L"padconfig_startmenu.xml", {L"App 1", L"Pin"}},
        {2, false, L"padconfig_desktop.xml", {L"Notes", L"Pin"}},
        {7, false, L"padconfig_startmenudesktop.xml", {L"App 1", L"Notes", L"Pin"}},
        // No applications folder (Wine): the Start menu folders of the user and all users.
        {1, true, L"padconfig_startmenu.xml", {L"Mine", L"Shared", L"Pin"}},
    };
    for (const Case& c : cases) {
        PadWorld world;
        world.Choice(c.padicotype);
        world.Applications(1);
        world.shell.items[ShellFolder::Desktop] = {{L"C:\\Users\\u\\Desktop\\Notes.lnk", L"Notes"}};
        world.shell.items[ShellFolder::UserPrograms] = {{L"C:\\Users\\u\\Start\\Mine.lnk", L"Mine"}};
        world.shell.items[ShellFolder::CommonPrograms] = {{L"C:\\ProgramData\\Start\\Shared.lnk", L"Shared"}};
        if (c.noApplicationsFolder) world.shell.unavailable[ShellFolder::Applications] = true;
        world.Pinned(L"Pin.lnk");
        auto catalogue = world.Catalogue();
        catalogue.Load();
        std::vector<std::wstring> names;
        for (std::size_t i = 0; i < catalogue.EntryCount(); ++i) names.push_back(catalogue.EntryAt({0, i})->name);
        EXPECT_EQ(names, c.names) << c.padicotype;
        EXPECT_TRUE(world.Saved(c.file)) << foundation::ToUtf8(c.file);
        const auto& asked = world.shell.asked;
        EXPECT_EQ(std::count(asked.begin(), asked.end(), ShellFolder::Applications) > 0, (c.padicotype & 1) != 0);
        EXPECT_EQ(std::count(asked.begin(), asked.end(), ShellFolder::Desktop) > 0, c.padicotype >= 2);
    }
}

TEST(CatalogueLoad, KeepsOnlyWhatTheScanStillFinds) {
    PadWorld world;
    world.Choice(1);
    world.Applications(1);
    world.Applications(2, 4); // 4, 5; 2, 3 and 6 are gone
    world.Applications(2, 7); // 7, 8
    // A group of lost entries, a group with one left (named by a child element), an
    // unnamed icon, a lost plain icon, and an element that is no icon.
    const std::string xml =
        "<?xml version=\"1.0\"?><pad><page1>"
        "<ico1 path=\"C:\\Apps\\app1.exe\">First</ico1>"
        "<ico2 name=\"Tools\"><ico1 path=\"C:\\Apps\\app2.exe\">App 2</ico1><ico2 path=\"C:\\Apps\\app3.exe\">App 3</ico2></ico2>"
        "<ico3><name>Half</name><ico1 path=\"C:\\Apps\\app4.exe\">Four</ico1><ico2 path=\"C:\\Apps\\app6.exe\">Six</ico2></ico3>"
        "<ico4 path=\"C:\\Apps\\app7.exe\"></ico4><ico5 path=\"C:\\Apps\\app6.exe\">Six</ico5><note>x</note>"
        "</page1><page2><ico1 path=\"C:\\Apps\\app5.exe\">App 5</ico1></page2><page3/></pad>";
    world.folder.files.AddFile(world.folder.base + L"padconfig_startmenu.xml", xml);
    auto catalogue = world.Catalogue();
    catalogue.Load();
    // New entries go to the last page of the file, which is empty here.
    EXPECT_EQ(Shape(catalogue.Pages()), (std::vector<std::vector<int>>{{1, -1}, {5}, {7, 8}}));
    EXPECT_EQ(catalogue.EntryAt({0, 0})->name, L"First");
    const auto& half = std::get<LaunchpadGroup>(catalogue.Pages()[0][1]);
    EXPECT_EQ(half.name, L"Half");
    EXPECT_EQ(half.entries[0].name, L"Four");
    EXPECT_EQ(world.Saved(L"padconfig_startmenu.xml"), DocumentOf(catalogue.Pages())) << "what is gone is not written back";
}

TEST(CatalogueLoad, AMissingOrBrokenFileIsWrittenFromTheScan) {
    for (const char* broken : {"", "<pad><page1><ico1 path=\"x\">", "<other/>", "\xFF\xFE<\0p\0"}) {
        PadWorld world;
        world.Choice(1);
        world.Applications(36);
        if (*broken) world.folder.files.AddFile(world.folder.base + L"padconfig_startmenu.xml", std::string(broken));
        auto catalogue = world.Catalogue();
        EXPECT_TRUE(catalogue.Load().rewritten);
        EXPECT_EQ(Shape(catalogue.Pages()), (std::vector<std::vector<int>>{Range(1, 35), {36}}));
    }
}

TEST(CatalogueLoad, LoadSaveLoadIsAFixedPoint) {
    PadWorld world;
    world.Choice(3);
    world.Applications(5);
    world.shell.items[ShellFolder::Desktop] = {{L"C:\\Users\\u\\Desktop\\Notes.lnk", L"Notes"}};
    world.Pinned(L"Pin.lnk");
    world.folder.store.WriteString(L"startmenu", L"C:\\Apps\\app2.exe", L"Second", kPadSettingsFile);
    CatalogueItem renamedDesktop{L"C:\\Users\\u\\Desktop\\Notes.lnk", L"My notes & <plans>"};
    world.Catalogue(L"padconfig_startmenudesktop.xml",
                    CatalogueDocument{{{Plain(3), CatalogueItem{{}, L"Pair", true, {Plain(1), renamedDesktop}}}}});
    world.Catalogue().Load();
    const auto first = world.folder.files.Content(world.folder.base + L"padconfig_startmenudesktop.xml");
    const int writes = world.folder.files.Calls(fakes::FsOp::Replace);
    auto again = world.Catalogue();
    again.Load();
    EXPECT_EQ(world.folder.files.Content(world.folder.base + L"padconfig_startmenudesktop.xml"), first);
    EXPECT_EQ(world.folder.files.Calls(fakes::FsOp::Replace), writes) << "nothing to write the second time";
    EXPECT_EQ(Shape(again.Pages()), (std::vector<std::vector<int>>{{3, -2, 2, 4, 5, 0}}));
    EXPECT_EQ(again.EntryAt({0, 2})->name, L"Second");
    EXPECT_EQ(again.EntryAt({0, 1, 1})->name, L"My notes & <plans>");
}

} // namespace
} // namespace kestrana::launchers::testing
