// Renaming, deleting, search keys, the source choice and what a crash leaves behind.

#include "catalogue_support.h"

namespace kestrana::launchers::testing {
namespace {

constexpr wchar_t kDesktopNotes[] = L"C:\\Users\\u\\Desktop\\Notes.lnk";

// One entry of each source: App 1, Notes (desktop), Tool (pinned).
struct ThreeSources : PadWorld {
    ThreeSources() {
        Choice(3);
        Applications(1);
        shell.items[ShellFolder::Desktop] = {{kDesktopNotes, L"Notes"}};
        Pinned(L"Tool.lnk");
    }
    [[nodiscard]] std::optional<EntryPlace> Find(const LaunchpadCatalogue& catalogue, std::wstring_view name) const {
        for (std::size_t i = 0; i < catalogue.Pages()[0].size(); ++i) {
            if (catalogue.EntryAt({0, i})->name == name) return EntryPlace{0, i};
        }
        return std::nullopt;
    }
    [[nodiscard]] std::wstring PadSetting(const wchar_t* section, const std::wstring& key) const {
        return folder.store.ReadString(section, key, {}, kPadSettingsFile);
    }
};

TEST(CatalogueEdit, DeleteExcludesScannedEntriesAndRemovesPinnedShortcuts) {
    ThreeSources world;
    auto catalogue = world.Catalogue();
    catalogue.Load();
    auto& files = world.folder.files;
    std::vector<std::wstring> iconFiles;
    for (std::size_t i = 0; i < 3; ++i) {
        const LaunchpadEntry& entry = *catalogue.EntryAt({0, i});
        const IconFiles icons = IconFilesOf(world.folder.base, entry.Key(), entry.path);
        for (const auto* file : {&icons.user, &icons.userByKey, &icons.cache, &icons.masked}) {
            files.AddFile(*file, "png");
            iconFiles.push_back(*file);
        }
    }
    const std::wstring tool = world.folder.base + L"launchpad\\Pinned\\Tool.lnk";
    for (const wchar_t* name : {L"App 1", L"Notes", L"Tool"}) ASSERT_TRUE(catalogue.Delete(*world.Find(catalogue, name)));

    EXPECT_TRUE(catalogue.Pages().empty());
    EXPECT_EQ(world.PadSetting(L"delete", L"C:\\Apps\\app1.exe"), L"1");
    EXPECT_EQ(world.PadSetting(L"delete", kDesktopNotes), L"1");
    EXPECT_EQ(world.PadSetting(L"delete", tool), L"");
    EXPECT_FALSE(files.IsFile(tool));
    for (const auto& file : iconFiles) EXPECT_FALSE(files.IsFile(file)) << foundation::ToUtf8(file);
    auto again = world.Catalogue();
    again.Load();
    EXPECT_EQ(again.EntryCount(), 0u) << "deleted entries stay away";
}

TEST(CatalogueEdit, RenamedEntriesKeepTheirNamesWhereTheirSourceKeepsThem) {
    ThreeSources world;
    auto catalogue = world.Catalogue();
    catalogue.Load();
    const LaunchpadEntry& app = *catalogue.EntryAt(*world.Find(catalogue, L"App 1"));
    const IconFiles before = IconFilesOf(world.folder.base, app.Key(), app.path);
    world.folder.files.AddFile(before.cache, "cached");
    for (const auto& [from, to] : {std::pair{L"App 1", L"Editor"}, {L"Notes", L"Diary"}, {L"Tool", L"Hammer"}}) {
        ASSERT_TRUE(catalogue.Rename(*world.Find(catalogue, from), to));
    }
    EXPECT_FALSE(catalogue.Rename({0, 0}, L" \t")) << "an unnamed icon would be dropped by the next load";
    const LaunchpadEntry& renamed = *catalogue.EntryAt(*world.Find(catalogue, L"Editor"));
    EXPECT_EQ(renamed.Key(), L"Editor");
    EXPECT_EQ(renamed.SearchKey(), L"|E|d|i|t|o|r|");
    EXPECT_EQ(world.folder.files.ContentText(IconFilesOf(world.folder.base, L"Editor", renamed.path).cache), "cached");
    EXPECT_EQ(world.PadSetting(L"startmenu", L"C:\\Apps\\app1.exe"), L"Editor");
    EXPECT_EQ(world.PadSetting(L"pinned", world.folder.base + L"launchpad\\Pinned\\Tool.lnk"), L"Hammer");
    EXPECT_EQ(world.PadSetting(L"startmenu", kDesktopNotes) + world.PadSetting(L"pinned", kDesktopNotes), L"");

    // Without the catalogue file only the names kept in padconfig.ini survive.
    world.folder.files.Remove(world.folder.base + L"padconfig_startmenudesktop.xml");
    auto rescanned = world.Catalogue();
    rescanned.Load();
    EXPECT_TRUE(world.Find(rescanned, L"Editor") && world.Find(rescanned, L"Hammer") && world.Find(rescanned, L"Notes"));
}

TEST(CatalogueEdit, SearchKeysSpellIdeographsByTheirReading) {
    PadWorld world;
    world.folder.files.AddFile(world.folder.base + L"pinyin.ini",
                               fakes::Utf16File(u"[pinyin]\r\n\u97F3=yin\r\n\u4E50=yue\r\n\u4FE1=xin\r\n"));
    world.Choice(1);
    world.shell.items[ShellFolder::Applications] = {
        {L"C:\\a.exe", L"QQ\u97F3\u4E50"}, {L"C:\\b.exe", L"\u5FAE\u4FE1 2"}, {L"C:\\c.exe", L"Word"}};
    auto catalogue = world.Catalogue();
    catalogue.Load();
    EXPECT_EQ(catalogue.EntryAt({0, 0})->SearchKey(), L"|Q|Q|yin|yue|");
    EXPECT_EQ(catalogue.EntryAt({0, 1})->SearchKey(), L"|\u5FAE|xin| |2|") << "an ideograph the file lacks stays itself";
    EXPECT_EQ(catalogue.EntryAt({0, 2})->SearchKey(), L"|W|o|r|d|");
    catalogue.Rename({0, 2}, L"\u97F3 Word");
    EXPECT_EQ(catalogue.EntryAt({0, 2})->SearchKey(), L"|yin| |W|o|r|d|");
}

TEST(CatalogueEdit, ChangingTheSourceAsksOrTellsAndEmptiesTheCaches) {
    PadWorld world;
    auto& files = world.folder.files;
    const std::wstring cached = world.folder.base + L"launchpad\\cache\\x.png";
    files.AddFile(cached, "x");
    files.AddFile(world.folder.base + L"padconfig_desktop.xml", "<pad/>");
    std::vector<std::wstring> told;
    bool answer = false;
    const ChoicePrompts prompts{[&](const std::wstring& text) { told.push_back(text); },
                                [&](const std::wstring& text) { told.push_back(text); return answer; }};
    const auto choice = [&] { return world.folder.store.ReadInt(L"normal", L"padicotype"); };

    EXPECT_EQ(SetSourceChoice(world.folder.store, 1, prompts), ChoiceOutcome::Declined);
    EXPECT_EQ(choice(), 0);
    EXPECT_TRUE(files.IsFile(cached));
    answer = true;
    EXPECT_EQ(SetSourceChoice(world.folder.store, 9, prompts), ChoiceOutcome::Confirmed);
    EXPECT_EQ(choice(), 3);
    EXPECT_EQ(SetSourceChoice(world.folder.store, 2, prompts), ChoiceOutcome::Switched);
    EXPECT_EQ(choice(), 2);
    EXPECT_FALSE(files.IsFile(cached));
    EXPECT_TRUE(files.IsDirectory(world.folder.base + L"launchpad\\cache_shell"));
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[2], L"Restart Kestrana for the change to take effect.");
}

// A process that dies after `budget` more changes to the disk: nothing after that reaches it.
class DyingDisk final : public foundation::FileSystem {
public:
    DyingDisk(fakes::FakeFileSystem& disk, int budget) : m_disk(disk), m_budget(budget) {}
    bool IsFile(const std::wstring& p) const override { return m_disk.IsFile(p); }
    bool IsDirectory(const std::wstring& p) const override { return m_disk.IsDirectory(p); }
    std::optional<foundation::FileStamp> Stat(const std::wstring& p) const override { return m_disk.Stat(p); }
    std::optional<std::vector<std::uint8_t>> Read(const std::wstring& p) const override { return m_disk.Read(p); }
    std::vector<foundation::DirectoryEntry> List(const std::wstring& p) const override { return m_disk.List(p); }
    bool Replace(const std::wstring& p, std::span<const std::uint8_t> c) override { return Live() && m_disk.Replace(p, c); }
    bool Rename(const std::wstring& f, const std::wstring& t, bool r) override { return Live() && m_disk.Rename(f, t, r); }
    bool Copy(const std::wstring& f, const std::wstring& t, bool e) override { return Live() && m_disk.Copy(f, t, e); }
    bool Remove(const std::wstring& p) override { return Live() && m_disk.Remove(p); }
    bool CreateFolder(const std::wstring& p) override { return Live() && m_disk.CreateFolder(p); }
    bool RemoveFolder(const std::wstring& p) override { return Live() && m_disk.RemoveFolder(p); }
    bool ResetAttributes(const std::wstring& p) override { return Live() && m_disk.ResetAttributes(p); }
    [[nodiscard]] bool Dead() const { return m_budget < 0; }

private:
    bool Live() { return --m_budget >= 0; }
    fakes::FakeFileSystem& m_disk;
    int m_budget;
};

TEST(CatalogueEdit, ADeathAtAnyStepLeavesTheOldCatalogueOrTheNew) {
    // The files a rename and then a delete go through, on a disk that never fails.
    std::vector<std::optional<std::vector<std::uint8_t>>> states;
    const std::wstring file = L"padconfig_startmenudesktop.xml";
    for (int budget = 0;; ++budget) {
        ThreeSources world;
        world.Catalogue().Load();
        const auto content = [&] { return world.folder.files.Content(world.folder.base + file); };
        if (states.empty()) states.push_back(content());
        DyingDisk disk(world.folder.files, budget);
        foundation::ConfigStore store(disk, world.folder.base);
        LaunchpadCatalogue catalogue(CatalogueServices{store, world.shell});
        catalogue.Load(); // reads only: the file already holds what it shows
        catalogue.Rename({0, 0}, L"Renamed");
        if (states.size() == 1 && !disk.Dead()) states.push_back(content());
        catalogue.Delete({0, 1});
        if (!disk.Dead()) {
            states.push_back(content());
            ASSERT_EQ(states.size(), 3u) << "the first budget that lives through both";
            break;
        }
        EXPECT_NE(std::find(states.begin(), states.end(), content()), states.end()) << "a mixed file after " << budget;
        ASSERT_TRUE(content() && ParseCatalogue(*content()));
    }
    EXPECT_NE(states[0], states[1]);
    EXPECT_NE(states[1], states[2]);
}

} // namespace
} // namespace kestrana::launchers::testing
