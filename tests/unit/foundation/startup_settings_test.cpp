// Start-up loading of the settings against an in-memory program folder.
#include "foundation/startup_settings.h"

#include "fakes/settings_folder.h"
#include "foundation/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

const std::wstring kBase = L"C:\\Kestrana\\";

struct FakeMonitors final : MonitorList {
    std::vector<MonitorDescription> list;
    std::vector<MonitorDescription> Monitors() const override { return list; }
};
struct FakeCalendar final : Calendar {
    CalendarDate date{2026, 12, 4};
    CalendarDate Today() const override { return date; }
};
struct FakeFont final : SystemFont {
    std::wstring name = L"Segoe UI";
    std::wstring UiFontName() const override { return name; }
};

class StartupTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    StartupTest() {
        monitors.list = {
            {L"\\\\.\\DISPLAY1", true, 1.0f, 1.0f},
            {L"\\\\.\\DISPLAY2", false, 1.5f, 1.5f},
            {L"\\\\.\\DISPLAY3", false, 0.0f, 1.25f}, // no DPI known: the recorded scale counts
        };
        hooks.setCurrentDirectory = [this](const std::wstring& folder) { calls.push_back(L"folder " + folder); };
        hooks.updateCompanionFiles = [this] { calls.push_back(L"companions"); };
        hooks.hideTaskbar = [this] { calls.push_back(L"hide taskbar"); };
        hooks.showWorkshopWindow = [this] { calls.push_back(L"workshop"); };
        hooks.registerHotkeyGroups = [this] { calls.push_back(L"hotkeys"); };
        hooks.startMenuBar = [this] { calls.push_back(L"menu bar"); };
        hooks.startMinimiseWatcher = [this] { calls.push_back(L"watcher"); };
    }

    StartupSettings Load() { return LoadStartupSettings(store, StartupPorts{monitors, today, font, steam, workshop, {}}, hooks); }

    FakeMonitors monitors;
    FakeCalendar today;
    FakeFont font;
    std::optional<std::wstring> steam;
    bool workshop = false;
    StartupHooks hooks;
    std::vector<std::wstring> calls;
};

TEST_F(StartupTest, FirstRunWritesTheDefaultsInOneGo) {
    const auto settings = Load();
    EXPECT_TRUE(settings.firstRun);
    EXPECT_EQ(files.ContentText(kBase + L"config.ini").substr(0, 2), "\xFF\xFE");
    // Forty defaults, the language, the font and the icon sizes, but a first start waits
    // for one disk sync only.
    EXPECT_EQ(files.Calls(fakes::FsOp::Replace), 1);
    EXPECT_EQ(store.ReadInt(L"DWMThumbnail", L"size"), 200);
    EXPECT_EQ(store.ReadString(L"minimize", L"effect"), L"genie");
    EXPECT_EQ(store.ReadInt(L"MsgTips", L"wechat.exe"), 1);
    EXPECT_EQ(settings.blurValue, 30);
    // With the defaults, both bars start.
    EXPECT_TRUE(settings.menuBarStarted);
    EXPECT_TRUE(settings.minimiseWatcherStarted);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"folder " + kBase, L"companions", L"hotkeys", L"menu bar", L"watcher"}));

    // A second start is no first run and writes no defaults again.
    ASSERT_TRUE(store.DeleteKey(L"normal", L"dockicoeffect"));
    EXPECT_FALSE(Load().firstRun);
    EXPECT_FALSE(store.HasKey(L"normal", L"dockicoeffect"));
}

TEST_F(StartupTest, LanguageComesFromSteamOrTheSavedSetting) {
    struct Case {
        std::optional<std::wstring> steam;
        std::optional<std::u16string> saved; // nullopt: no "language" line at all
        std::wstring expected;
    };
    const Case cases[] = {
        {L"schinese", std::nullopt, L"Chinese"},  {L"tchinese", u"English", L"Traditional Chinese"},
        {L"klingon", u"Chinese", L"English"},     {L"SCHINESE", u"Chinese", L"English"}, // Steam's names are lower case
        {std::nullopt, u"English", L"English"},   {std::nullopt, std::nullopt, L"chinese"},
        {std::nullopt, u"", L""}, // an empty saved value is a value: no default
    };
    for (const auto& c : cases) {
        fakes::SettingsFolder fresh;
        fresh.Config(c.saved ? u"[normal]\r\nlanguage=" + *c.saved + u"\r\n" : u"[normal]\r\n");
        ConfigStore& freshStore = fresh.store;
        const auto settings = LoadStartupSettings(freshStore, StartupPorts{monitors, today, font, c.steam, false, {}}, {});
        EXPECT_EQ(settings.language, c.expected);
        EXPECT_EQ(freshStore.CurrentLanguage(), c.expected);
        // Steam's choice is remembered; without Steam nothing is written.
        EXPECT_EQ(freshStore.ReadString(L"normal", L"language", L"<none>"),
                  c.steam ? c.expected : (c.saved ? FromUtf16(*c.saved) : std::wstring(L"<none>")));
    }
    // Neither Steam nor the file chose: the display language decides and is written.
    for (const auto& [display, expected] : {std::pair<std::wstring, std::wstring>{L"zh-CN", L"Chinese"},
                                            {L"zh-Hant-TW", L"Chinese"}, {L"en-GB", L"English"},
                                            {L"de-DE", L"English"}, {L"zu-ZA", L"English"}}) {
        fakes::SettingsFolder fresh;
        StartupPorts ports{monitors, today, font, std::nullopt, false, {}};
        ports.displayLanguage = display;
        EXPECT_EQ(LoadStartupSettings(fresh.store, ports, {}).language, expected) << display;
        EXPECT_EQ(fresh.store.ReadString(L"normal", L"language"), expected) << display;
        // A saved choice is never overridden by the display language.
        fresh.Config(u"[normal]\r\nlanguage=Japanese\r\n");
        fresh.store.SetCurrentLanguage(L"");
        EXPECT_EQ(LoadStartupSettings(fresh.store, ports, {}).language, L"Japanese");
    }
    // A language already chosen in this process stays.
    Config(u"[normal]\r\nlanguage=Chinese\r\n");
    store.SetCurrentLanguage(L"English");
    EXPECT_EQ(Load().language, L"English");
}

TEST_F(StartupTest, DeletesCrashDumpsOfOtherDays) {
    Config(u"[normal]\r\n");
    const std::pair<const wchar_t*, bool> kept[] = {
        {L"2026_12_4_9_5_7_1.2.0_error.dmp", true}, {L"2026_12_3_23_59_1_1.2.0_error.dmp", false},
        {L"2025_12_4_9_5_7_1.2.0_error.dmp", false}, {L"OLD.DMP", false}, {L"notes.txt", true}, {L"png\\2026_1_1_error.dmp", true},
    };
    for (const auto& [name, keep] : kept) files.AddFile(kBase + name, "x");
    files.AddDirectory(kBase + L"folder.dmp");
    Load();
    for (const auto& [name, keep] : kept) EXPECT_EQ(files.IsFile(kBase + name), keep) << ToUtf8(name);
    EXPECT_TRUE(files.IsDirectory(kBase + L"folder.dmp"));
}

TEST_F(StartupTest, FontIsTakenFromTheSystemOnceAndRemembered) {
    Config(u"[normal]\r\n");
    EXPECT_EQ(Load().fontName, L"Segoe UI");
    EXPECT_EQ(store.ReadString(L"font", L"allfont"), L"Segoe UI");
    font.name = L"Tahoma";
    EXPECT_EQ(Load().fontName, L"Segoe UI"); // the saved choice wins
    ASSERT_TRUE(store.DeleteKey(L"font", L"allfont"));
    font.name.clear();
    EXPECT_EQ(Load().fontName, L"");
    EXPECT_FALSE(store.HasKey(L"font", L"allfont"));
}

TEST_F(StartupTest, ChoosesTheSavedMonitorOnceThenThePrimary) {
    struct Case {
        const char16_t* lastScreen;
        int index;
        float scale;
    };
    const Case cases[] = {
        {u"\\\\.\\DISPLAY2", 1, 1.5f}, {u"DISPLAY2", 1, 1.5f},   {u"display3", 2, 1.25f},
        {u"DISPLAY9", 0, 1.0f},        {u"", 0, 1.0f},
    };
    for (const auto& c : cases) {
        Config(std::u16string(u"[normal]\r\nlastscreen=") + c.lastScreen + u"\r\n");
        const auto settings = Load();
        EXPECT_EQ(settings.monitorIndex, c.index) << ToUtf8(FromUtf16(c.lastScreen));
        EXPECT_FLOAT_EQ(settings.globalScale, c.scale) << ToUtf8(FromUtf16(c.lastScreen));
        EXPECT_FALSE(store.HasKey(L"normal", L"lastscreen"));
    }
    // Without a primary monitor the first one is used; without monitors the scale is 1.
    monitors.list = {{L"\\\\.\\DISPLAY5", false, 2.0f, 2.0f}, {L"\\\\.\\DISPLAY6", false, 1.0f, 1.0f}};
    Config(u"[normal]\r\n");
    EXPECT_EQ(Load().monitorIndex, 0);
    EXPECT_FLOAT_EQ(Load().globalScale, 2.0f);
    monitors.list.clear();
    EXPECT_FLOAT_EQ(Load().globalScale, 1.0f);
}

TEST_F(StartupTest, DefaultSizesFollowTheScaleUpTo256) {
    struct Case {
        float scale;
        int defaultSize;
        int maxSize;
    };
    for (const auto& c : {Case{1.0f, 64, 128}, Case{1.25f, 80, 160}, Case{2.5f, 160, 256}, Case{4.5f, 256, 256}}) {
        monitors.list = {{L"\\\\.\\DISPLAY1", true, c.scale, c.scale}};
        Config(u"[normal]\r\n");
        const auto settings = Load();
        EXPECT_EQ(settings.defaultSize, c.defaultSize) << c.scale;
        EXPECT_EQ(settings.maxSize, c.maxSize) << c.scale;
        EXPECT_EQ(store.ReadInt(L"normal", L"defaultsize"), c.defaultSize);
    }
    // Saved sizes stay; one missing size rewrites both.
    Config(u"[normal]\r\ndefaultsize=50\r\nmaxsize=90\r\n");
    EXPECT_EQ(Load().maxSize, 90);
    Config(u"[normal]\r\ndefaultsize=50\r\nmaxsize=\r\n");
    monitors.list = {{L"\\\\.\\DISPLAY1", true, 1.0f, 1.0f}};
    const auto settings = Load();
    EXPECT_EQ(settings.defaultSize, 64);
    EXPECT_EQ(settings.maxSize, 128);
}

TEST_F(StartupTest, AHandMadeFileIsCompletedInOneReplace) {
    Config(u"[normal]\r\ndetaillog=1\r\n");
    const int before = files.Calls(fakes::FsOp::Replace);
    const auto settings = Load();
    EXPECT_EQ(files.Calls(fakes::FsOp::Replace) - before, 1);
    EXPECT_FALSE(store.ReadString(L"font", L"allfont").empty());
    EXPECT_EQ(store.ReadInt(L"normal", L"defaultsize"), settings.defaultSize);
    EXPECT_EQ(store.ReadInt(L"normal", L"maxsize"), settings.maxSize);
    EXPECT_EQ(store.ReadInt(L"normal", L"detaillog"), 1);
}

TEST_F(StartupTest, BlurValueIsKeptWithinThreeToAHundred) {
    struct Case {
        const char16_t* saved;
        int expected;
        bool written;
    };
    const Case cases[] = {
        {u"0", 30, true},  {u"", 30, true},      {u"1", 3, true},    {u"-4", 3, true},
        {u"3", 3, false},  {u"100", 100, false}, {u"250", 100, true}, {u"abc", 30, true},
    };
    for (const auto& c : cases) {
        Config(std::u16string(u"[normal]\r\ndefaultsize=64\r\nmaxsize=128\r\nblurvalue=") + c.saved + u"\r\n");
        const int replacesBefore = files.Calls(fakes::FsOp::Replace);
        EXPECT_EQ(Load().blurValue, c.expected) << ToUtf8(FromUtf16(c.saved));
        EXPECT_EQ(store.ReadInt(L"normal", L"blurvalue"), c.written ? c.expected : ParseInt32(FromUtf16(c.saved)));
        // The font is written back too, in the same replace.
        EXPECT_EQ(files.Calls(fakes::FsOp::Replace) - replacesBefore, 1) << ToUtf8(FromUtf16(c.saved));
    }
}

TEST_F(StartupTest, CreatesTheProgramFolders) {
    Config(u"[normal]\r\niconmask=1\r\n");
    files.AddDirectory(kBase + L"PNG");
    const auto settings = Load();
    EXPECT_TRUE(settings.iconMask);
    for (const wchar_t* folder : {L"png", L"single icon", L"wallpaper"}) EXPECT_TRUE(files.IsDirectory(kBase + folder)) << ToUtf8(folder);
}

TEST_F(StartupTest, SunTimesNeedExactlyTwoParts) {
    struct Case {
        const wchar_t* text;
        std::optional<SunTime> expected;
    };
    const Case cases[] = {
        {L"6:30", SunTime{6, 30}}, {L"18:05", SunTime{18, 5}}, {L"7:05am", SunTime{7, 5}}, {L":", SunTime{0, 0}},
        {L"6", std::nullopt},      {L"5:45:10", std::nullopt}, {L"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseSunTime(c.text), c.expected) << ToUtf8(c.text);
    Config(u"[normal]\r\nsunrise=6:12\r\nsunset=bad\r\n");
    const auto settings = Load();
    EXPECT_EQ(settings.sunrise, (SunTime{6, 12}));
    EXPECT_FALSE(settings.sunset);
}

TEST_F(StartupTest, StartsTheMenuBarAndWatcherAsTheSwitchesSay) {
    struct Case {
        const char16_t* brisel;
        bool menuBar;
        bool watcher;
    };
    const Case cases[] = {
        {u"varlo=0\r\nondel=0\r\n", false, true}, // without the menu bar the watcher always starts
        {u"varlo=1\r\nondel=1\r\n", true, true},
        {u"varlo=1\r\nondel=\r\n", true, true},
        {u"Varlo=yes\r\nOndel=00\r\n", true, false},
        {u"varlo=1\r\nondel=x\r\n", true, false}, // present and not a number: reads as 0
    };
    for (const auto& c : cases) {
        calls.clear();
        Config(std::u16string(u"[brisel]\r\n") + c.brisel);
        const auto settings = Load();
        EXPECT_EQ(settings.menuBarStarted, c.menuBar) << ToUtf8(FromUtf16(c.brisel));
        EXPECT_EQ(settings.minimiseWatcherStarted, c.watcher) << ToUtf8(FromUtf16(c.brisel));
        EXPECT_EQ(std::count(calls.begin(), calls.end(), L"menu bar"), c.menuBar ? 1 : 0);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), L"watcher"), c.watcher ? 1 : 0);
    }
}

TEST_F(StartupTest, HidesTheTaskbarWhenAsked) {
    Config(u"[normal]\r\nhidetaskbar=1\r\n");
    Load();
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"folder " + kBase, L"companions", L"hide taskbar", L"hotkeys", L"watcher"}));
}

TEST_F(StartupTest, WorkshopModeStopsAfterTheScale) {
    workshop = true;
    Config(u"[normal]\r\nhidetaskbar=1\r\nlastscreen=DISPLAY2\r\nblurvalue=0\r\n[brisel]\r\nvarlo=1\r\n");
    const auto settings = Load();
    EXPECT_TRUE(settings.workshopMode);
    EXPECT_FLOAT_EQ(settings.globalScale, 1.5f);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"folder " + kBase, L"workshop"}));
    EXPECT_TRUE(store.HasKey(L"normal", L"lastscreen"));
    EXPECT_EQ(store.ReadInt(L"normal", L"blurvalue"), 0);
    EXPECT_FALSE(store.HasKey(L"normal", L"defaultsize"));
    EXPECT_FALSE(files.IsDirectory(kBase + L"png"));
}

TEST_F(StartupTest, ResetsTheAttributesOfTheSettingsFiles) {
    Config(u"[normal]\r\n");
    const fakes::FakeAttributes locked{true, true, true};
    files.SetAttributes(kBase + L"config.ini", locked);
    for (const wchar_t* name : {L"ico_bak.ini", L"padconfig_startmenu.xml", L"other.ini"}) files.AddFile(kBase + name, "x", locked);
    Load();
    // config.ini took the font, so it was writable again.
    EXPECT_EQ(store.ReadString(L"font", L"allfont"), L"Segoe UI");
    for (const wchar_t* name : {L"config.ini", L"ico_bak.ini", L"padconfig_startmenu.xml"}) {
        EXPECT_FALSE(files.Attributes(kBase + name)->readOnly || files.Attributes(kBase + name)->hidden) << ToUtf8(name);
    }
    EXPECT_TRUE(files.Attributes(kBase + L"other.ini")->readOnly);
}

} // namespace
} // namespace kestrana::foundation
