// Theme folders on an in-memory program folder: the two shared choices, the themed-file
// look-ups with their fallbacks, the theme lists and the side effects of each choice.
#include "themes/theme_chooser.h"
#include "themes/theme_choices.h"
#include "themes/theme_files.h"
#include "themes/theme_list.h"

#include "themes_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrana::themes {
namespace {

using fakes::FsOp;
using testing::kBase;
using testing::ProgramFolder;

TEST(ThemeFolderPath, RefusesNamesThatLeaveTheThemesFolder) {
    int index = 0;
    for (const wchar_t* bad : {L"", L".", L"..", L"..\\x", L"a/b", L"C:x", L"a\tb"}) {
        EXPECT_FALSE(IsThemeName(bad)) << "case " << index++;
    }
    for (const wchar_t* good : {L"default", L"Glass Dock", L"v1.2", L"\u30c6\u30fc\u30de"}) EXPECT_TRUE(IsThemeName(good));
}

TEST(ThemeChoicesTest, ReadOnceWithDefaultForAbsentEmptyOrUnusableValues) {
    ProgramFolder pf;
    pf.Config(u"[themes]\r\ndockicons=\r\ntimeskin=..\\..\\elsewhere\r\n");
    ThemeChoices fallback(pf.store);
    EXPECT_EQ(fallback.DockIcons(), L"default");
    EXPECT_EQ(fallback.TimeSkin(), L"default");

    pf.Config(u"[themes]\r\ndockicons=Mono\r\ntimeskin=Analog\r\n");
    ThemeChoices choices(pf.store);
    pf.Config(u"[themes]\r\ndockicons=Other\r\n");
    EXPECT_EQ(choices.DockIcons(), L"Mono");
    EXPECT_EQ(choices.TimeSkin(), L"Analog");
}

TEST(ThemeChoicesTest, WritesOnlyChangesAndKeepsTheValueWhenTheDiskRefuses) {
    ProgramFolder pf;
    ThemeChoices choices(pf.store);
    EXPECT_TRUE(choices.SetDockIcons(L"default"));
    EXPECT_TRUE(choices.SetTimeSkin(L"default"));
    EXPECT_FALSE(pf.files.IsFile(kBase + L"config.ini")) << "an unchanged choice must not touch the file";

    EXPECT_TRUE(choices.SetDockIcons(L"Mono"));
    ThemeChoices reread(pf.store);
    EXPECT_EQ(reread.DockIcons(), L"Mono");
    EXPECT_EQ(reread.TimeSkin(), L"default");
    const int writes = pf.files.Calls(FsOp::Replace);
    EXPECT_TRUE(choices.SetDockIcons(L"Mono"));
    EXPECT_EQ(pf.files.Calls(FsOp::Replace), writes);

    EXPECT_FALSE(choices.SetTimeSkin(L"..\\up"));
    EXPECT_EQ(choices.TimeSkin(), L"default");
    pf.files.FailAlways(FsOp::Replace);
    EXPECT_FALSE(choices.SetTimeSkin(L"Analog"));
    EXPECT_EQ(choices.TimeSkin(), L"Analog") << "the running program follows the choice even if the disk refuses";
}

// The trash icon's chain: the set's dark file, the set's light file, then the default
// theme's icons folder with the name reached so far.
TEST(ThemeIconPath, TrashFallbackChain) {
    struct Case {
        const char* what;
        std::vector<std::wstring> setFiles;
        bool dark;
        std::wstring expected;
    };
    const std::wstring set = kBase + L"themes\\Mono\\icons\\";
    const std::wstring def = kBase + L"themes\\default\\icons\\";
    const std::vector<Case> cases = {
        {"dark file present", {L"Trash_Full.png", L"Trash_Full_dark.png"}, true, set + L"Trash_Full_dark.png"},
        {"no dark file: light one", {L"Trash_Full.png"}, true, set + L"Trash_Full.png"},
        {"light asked, dark present", {L"Trash_Full.png", L"Trash_Full_dark.png"}, false, set + L"Trash_Full.png"},
        {"neither: default's light file", {}, true, def + L"Trash_Full.png"},
        {"only the dark one, light asked", {L"Trash_Full_dark.png"}, false, def + L"Trash_Full.png"},
        {"only the dark one, dark asked", {L"Trash_Full_dark.png"}, true, set + L"Trash_Full_dark.png"},
    };
    for (const Case& c : cases) {
        ProgramFolder pf;
        pf.Config(u"[themes]\r\ndockicons=Mono\r\n");
        pf.files.AddFile(def + L"Trash_Full.png", "png");
        pf.files.AddFile(def + L"Trash_Full_dark.png", "png");
        for (const std::wstring& f : c.setFiles) pf.files.AddFile(set + f, "png");
        ThemeChoices choices(pf.store);
        ThemeFiles files(pf.files, kBase, choices);
        EXPECT_EQ(files.ThemeIconPath(L"Trash_Full", c.dark), c.expected) << c.what;
    }
}

TEST(ThemeIconPath, NamedThemeAndPngSuffix) {
    ProgramFolder pf;
    pf.files.AddFile(kBase + L"themes\\Neon\\icons\\pad.png", "png");
    ThemeChoices choices(pf.store);
    ThemeFiles files(pf.files, kBase, choices);
    EXPECT_EQ(files.ThemeIconPath(L"pad", false, L"Neon"), kBase + L"themes\\Neon\\icons\\pad.png");
    EXPECT_EQ(files.ThemeIconPath(L"pad.png", false, L"Neon"), kBase + L"themes\\Neon\\icons\\pad.png");
    // The current set is "default": a name outside the theme folders is not followed.
    EXPECT_EQ(files.ThemeIconPath(L"pad", false, L"..\\Neon"), kBase + L"themes\\default\\icons\\pad.png");
    EXPECT_EQ(files.WithDefaultFallback(kBase + L"themes\\Neon\\clock\\config.ini"),
              kBase + L"themes\\default\\icons\\config.ini");
    EXPECT_EQ(files.WithDefaultFallback(kBase + L"themes\\Neon\\icons\\pad.png"), kBase + L"themes\\Neon\\icons\\pad.png");
}

TEST(IconOverride, SetThenSingleIconFolderThenNothing) {
    ProgramFolder pf;
    pf.Config(u"[themes]\r\ndockicons=Mono\r\n");
    ThemeChoices choices(pf.store);
    ThemeFiles files(pf.files, kBase, choices);
    EXPECT_EQ(files.IconOverridePath(L"notepad"), L"");

    pf.files.AddFile(kBase + L"single icon\\notepad.png", "png");
    EXPECT_EQ(files.IconOverridePath(L"notepad"), kBase + L"single icon\\notepad.png");

    pf.files.AddFile(kBase + L"themes\\Mono\\icons\\NOTEPAD.png", "png");
    EXPECT_EQ(files.IconOverridePath(L"notepad"), kBase + L"themes\\Mono\\icons\\notepad.png");

    // The default theme's icons are no override: an item keeps its own icon.
    pf.files.AddFile(kBase + L"themes\\default\\icons\\calc.png", "png");
    EXPECT_EQ(files.IconOverridePath(L"calc"), L"");
    pf.files.AddFile(kBase + L"evil.png", "png");
    EXPECT_EQ(files.IconOverridePath(L"..\\..\\evil"), L"");
    EXPECT_EQ(files.IconOverridePath(L""), L"");
}

class RecordingPlayer final : public SoundPlayer {
public:
    bool PlayFile(const std::wstring& path) override {
        played.push_back(path);
        return accept;
    }
    std::vector<std::wstring> played;
    bool accept = true;
};

TEST(ThemeSound, SetSoundThenDefaultSoundsThenDefaultIconsElseSilent) {
    ProgramFolder pf;
    pf.Config(u"[themes]\r\ndockicons=Mono\r\n");
    ThemeChoices choices(pf.store);
    ThemeFiles files(pf.files, kBase, choices);
    RecordingPlayer player;

    EXPECT_FALSE(PlayThemeSound(files, player, kSoundVolume));
    EXPECT_TRUE(player.played.empty()) << "a sound that exists nowhere is not played";

    pf.files.AddFile(kBase + L"themes\\default\\icons\\Volume.wav", "RIFF");
    EXPECT_EQ(files.ThemeSoundPath(kSoundVolume), kBase + L"themes\\default\\icons\\Volume.wav");
    pf.files.AddFile(kBase + L"themes\\default\\sound\\Volume.wav", "RIFF");
    EXPECT_EQ(files.ThemeSoundPath(kSoundVolume), kBase + L"themes\\default\\sound\\Volume.wav");
    pf.files.AddFile(kBase + L"themes\\Mono\\sound\\Volume.wav", "RIFF");
    EXPECT_TRUE(PlayThemeSound(files, player, kSoundVolume));
    ASSERT_EQ(player.played.size(), 1u);
    EXPECT_EQ(player.played[0], kBase + L"themes\\Mono\\sound\\Volume.wav");

    player.accept = false;
    EXPECT_FALSE(PlayThemeSound(files, player, kSoundVolume));
    EXPECT_EQ(files.ThemeSoundPath(L"..\\config.ini"), L"");
}

std::vector<std::wstring> Names(const std::vector<ThemeListEntry>& list) {
    std::vector<std::wstring> out;
    for (const ThemeListEntry& e : list) {
        out.push_back(e.IsCommand() ? L"#" + std::to_wstring(e.listId) : e.name + (e.current ? L"*" : L""));
    }
    return out;
}

class ThemeListTest : public ::testing::Test {
protected:
    ThemeListTest() {
        pf.files.AddFile(pf.Theme(L"zeta") + L"dockskin\\config.ini", "[config]\r\n");
        pf.files.AddDirectory(pf.Theme(L"zeta") + L"icons");
        pf.files.AddFile(pf.Theme(L"Alpha") + L"dockskin\\config.ini", "[config]\r\n");
        pf.files.AddFile(pf.Theme(L"beta") + L"icons\\pad.png", "png");
        // Neither a skin nor an icon set: a skin folder without its file.
        pf.files.AddDirectory(pf.Theme(L"gamma") + L"dockskin");
        pf.files.AddFile(kBase + L"themes\\loose.ini", "");
    }
    ProgramFolder pf;
};

TEST_F(ThemeListTest, DockSkinsSortedWithDefaultFirstAndCommandsLast) {
    EXPECT_EQ(Names(ListDockSkins(pf.store)), (std::vector<std::wstring>{L"default*", L"Alpha", L"zeta", L"#-99", L"#-100"}));
    pf.Config(u"[themes]\r\ndockskin=ZETA\r\n");
    const auto list = ListDockSkins(pf.store);
    EXPECT_EQ(Names(list), (std::vector<std::wstring>{L"default", L"Alpha", L"zeta*", L"#-99", L"#-100"}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[std::size_t(i)].listId, i);
}

TEST_F(ThemeListTest, AnExistingDefaultKeepsItsPlaceInTheOrder) {
    pf.files.AddDirectory(pf.Theme(L"default") + L"icons");
    pf.Config(u"[themes]\r\ndockicons=beta\r\n");
    ThemeChoices choices(pf.store);
    EXPECT_EQ(Names(ListIconSets(pf.store, choices)),
              (std::vector<std::wstring>{L"beta*", L"default", L"zeta", L"#-99", L"#-100"}));
}

TEST_F(ThemeListTest, LabelsComeFromThemeIniAndTheLanguageFile) {
    pf.Text(pf.Theme(L"Alpha") + L"theme.ini", u"[config]\r\nname=Frosted Glass\r\n");
    pf.Text(kBase + L"lang\\test.ini", u"[menu]\r\nWorkshop=Werkstatt\r\n[workshop]\r\nnewtheme=Neues Thema\r\n");
    pf.store.SetCurrentLanguage(L"test");
    const auto list = ListDockSkins(pf.store);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[1].label, L"Frosted Glass");
    EXPECT_EQ(list[2].label, L"zeta");
    EXPECT_EQ(list[3].label, L"Werkstatt");
    EXPECT_EQ(list[4].label, L"Neues Thema");
    EXPECT_TRUE(list[3].name.empty());
}

class ThemeChooserTest : public ::testing::Test {
protected:
    ThemeChooserTest() {
        hooks.reloadDockSkin = [this] { calls.push_back("skin"); };
        hooks.reloadDockIcons = [this] { calls.push_back("icons"); };
        hooks.reloadClockSkin = [this] { calls.push_back("clock"); };
        hooks.reloadMenuBarLogo = [this] { calls.push_back("logo"); };
    }
    ProgramFolder pf;
    ThemeReloadHooks hooks;
    std::vector<std::string> calls;
};

TEST_F(ThemeChooserTest, ChoosingDefaultSkinRemovesTheKeyThenWritesNothingAndBadNamesAreRefused) {
    pf.Config(u"[themes]\r\ndockskin=Glass\r\nopacity_dock=40\r\n");
    ThemeChoices choices(pf.store);
    ThemeChooser chooser(pf.store, choices, hooks);

    EXPECT_TRUE(chooser.ChooseDockSkin(L"default"));
    EXPECT_FALSE(pf.store.HasKey(L"themes", L"dockskin"));
    EXPECT_EQ(pf.store.ReadInt(L"themes", L"opacity_dock"), 40);
    const std::string after = pf.ConfigText();
    const int writes = pf.files.Calls(FsOp::Replace);

    EXPECT_TRUE(chooser.ChooseDockSkin(L"default"));
    EXPECT_EQ(pf.files.Calls(FsOp::Replace), writes);
    EXPECT_EQ(pf.ConfigText(), after);
    EXPECT_EQ(calls, (std::vector<std::string>{"skin", "skin"})) << "the docks reload on every choice";
    EXPECT_TRUE(chooser.ChooseDockSkin(L"Glass"));
    EXPECT_EQ(pf.store.ReadString(L"themes", L"dockskin"), L"Glass");
    EXPECT_FALSE(chooser.ChooseDockSkin(L"..\\Other"));
    EXPECT_EQ(pf.store.ReadString(L"themes", L"dockskin"), L"Glass");
}

TEST_F(ThemeChooserTest, IconSetCarriesItsCalendarClockAndLogo) {
    const std::wstring mono = pf.Theme(L"Mono");
    pf.Text(mono + L"icons\\config.ini", u"[cal]\r\nenabled=1\r\nrotate=5\r\n");
    pf.Text(mono + L"clock\\config.ini", u"[config]\r\ntype=0\r\n");
    pf.files.AddFile(mono + L"logo\\logo.png", "png");
    pf.Config(u"[cal]\r\nenabled=1\r\n[finder]\r\nlogopath=C:\\mine.png\r\n");
    ThemeChoices choices(pf.store);
    ThemeChooser chooser(pf.store, choices, hooks);

    EXPECT_TRUE(chooser.ChooseIconSet(L"Mono"));
    EXPECT_EQ(choices.DockIcons(), L"Mono");
    EXPECT_EQ(choices.TimeSkin(), L"Mono");
    EXPECT_EQ(pf.store.ReadString(L"themes", L"dockicons"), L"Mono");
    EXPECT_EQ(pf.store.ReadString(L"themes", L"timeskin"), L"Mono");
    EXPECT_EQ(pf.store.ReadInt(L"cal", L"enabled"), 2);
    EXPECT_EQ(pf.store.ReadString(L"finder", L"logopath"), mono + L"logo\\logo.png");
    EXPECT_EQ(calls, (std::vector<std::string>{"logo", "clock", "icons"}));

    // Again: the logo path is already the set's, so the menu bar is left alone.
    calls.clear();
    const int writes = pf.files.Calls(FsOp::Replace);
    EXPECT_TRUE(chooser.ChooseIconSet(L"Mono"));
    EXPECT_EQ(calls, (std::vector<std::string>{"clock", "icons"}));
    EXPECT_EQ(pf.files.Calls(FsOp::Replace), writes) << "nothing changed, nothing is written";
}

TEST_F(ThemeChooserTest, PlainIconSetLeavesCalendarClockAndLogoAlone) {
    const std::wstring plain = pf.Theme(L"Plain");
    pf.Text(plain + L"icons\\config.ini", u"[cal]\r\nenabled=0\r\n");
    pf.Config(u"[themes]\r\ntimeskin=Analog\r\n[cal]\r\nenabled=1\r\n[finder]\r\nlogopath=C:\\mine.png\r\n");
    ThemeChoices choices(pf.store);
    ThemeChooser chooser(pf.store, choices, hooks);
    EXPECT_TRUE(chooser.ChooseIconSet(L"Plain"));
    EXPECT_EQ(pf.store.ReadInt(L"cal", L"enabled"), 1);
    EXPECT_EQ(choices.TimeSkin(), L"Analog");
    EXPECT_EQ(pf.store.ReadString(L"themes", L"timeskin"), L"Analog");
    EXPECT_EQ(pf.store.ReadString(L"finder", L"logopath"), L"C:\\mine.png");
    EXPECT_EQ(calls, (std::vector<std::string>{"clock", "icons"}));
}

TEST_F(ThemeChooserTest, ClockSkinReloadsOnlyWhenItChanges) {
    pf.Config(u"[themes]\r\ntimeskin=Analog\r\n");
    ThemeChoices choices(pf.store);
    ThemeChooser chooser(pf.store, choices, hooks);
    const int writes = pf.files.Calls(FsOp::Replace);
    EXPECT_TRUE(chooser.ChooseClockSkin(L"Analog"));
    EXPECT_EQ(pf.files.Calls(FsOp::Replace), writes);
    EXPECT_TRUE(calls.empty()) << "an unchanged clock skin is not reloaded";
    EXPECT_TRUE(chooser.ChooseClockSkin(L"Digital"));
    EXPECT_EQ(pf.store.ReadString(L"themes", L"timeskin"), L"Digital");
    EXPECT_EQ(calls, (std::vector<std::string>{"clock"}));
}

TEST_F(ThemeChooserTest, FailedWritesAreReportedButTheDocksStillReload) {
    ThemeChoices choices(pf.store);
    ThemeChooser chooser(pf.store, choices, hooks);
    pf.files.FailAlways(FsOp::Replace);
    EXPECT_FALSE(chooser.ChooseDockSkin(L"Glass"));
    EXPECT_FALSE(chooser.ChooseIconSet(L"Glass"));
    EXPECT_EQ(calls, (std::vector<std::string>{"skin", "clock", "icons"}));
}

} // namespace
} // namespace kestrana::themes
