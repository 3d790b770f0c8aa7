// The Launchpad, Folder stacks and Animations pages: the keys they write and where, the
// automatic sizes, the source choice that asks first, the exclusion lists; the Themes
// page's theme lists, its picture of the chosen skin and its backdrops.
#include "settings/settings_catalogue.h"

#include "extras/animation_settings_page.h"
#include "extras/minimise_settings.h"
#include "fakes/settings_folder.h"
#include "foundation/config_store.h"
#include "foundation/text.h"
#include "gfx/bitmap.h"
#include "gfx/image_decoder.h"
#include "launchers/catalogue_sources.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrana::settings {
namespace {

using foundation::ControlDescriptor;
using foundation::SettingEffect;
using foundation::WriteStatus;

class FeaturePagesTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    FeaturePagesTest() {
        Config(u"[normal]\r\ndefaultsize=48\r\n");
        ports.monitors = [] {
            return std::vector<foundation::Choice>{{L"\\\\.\\DISPLAY1", {L"", L"", L"1"}}, {L"\\\\.\\DISPLAY2", {L"", L"", L"2"}}};
        };
        ports.confirm = [this](const std::wstring& question) {
            questions.push_back(question);
            return answer;
        };
        pages = AllSettingsPages(store, ports);
    }

    const ControlDescriptor& Control(const wchar_t* page, const wchar_t* id) {
        const auto* found = pages.Find(page);
        EXPECT_NE(found, nullptr);
        for (const auto& control : found->controls)
            if (control.id == id) return control;
        ADD_FAILURE() << "no control " << foundation::ToUtf8(id);
        return found->controls.front();
    }
    foundation::WriteOutcome Write(const wchar_t* page, const wchar_t* id, std::wstring_view value) {
        return model.Write(Control(page, id), value);
    }
    std::vector<std::wstring> ChoiceValues(const wchar_t* page, const wchar_t* id) {
        std::vector<std::wstring> values;
        for (const auto& choice : model.Choices(Control(page, id))) values.push_back(choice.value);
        return values;
    }

    bool answer = false;
    std::vector<std::wstring> questions;
    PagePorts ports;
    foundation::SettingsPages pages;
    foundation::SettingsModel model{store};
};

TEST_F(FeaturePagesTest, EachControlWritesItsOwnKey) {
    struct Case {
        const wchar_t* page;
        const wchar_t* control;
        const wchar_t* value;
        const wchar_t* section;
        const wchar_t* key;
    };
    const Case cases[] = {
        {L"launchpad", L"screenpad", L"\\\\.\\DISPLAY2", L"normal", L"screenpad"},
        {L"folderstacks", L"folderDoubleclickOpen", L"1", L"normal", L"folderDoubleclickOpen"},
        {L"folderstacks", L"foldernoopen", L"1", L"normal", L"foldernoopen"},
        {L"animations", L"enabled", L"1", L"minimize", L"enabled"},
        {L"animations", L"effect", L"suck", L"minimize", L"effect"},
        {L"animations", L"Animationspeed", L"0.67", L"minimize", L"Animationspeed"},
        {L"animations", L"mintoico", L"1", L"minimize", L"mintoico"},
        {L"animations", L"openenable", L"1", L"WindowsOpen", L"enable"},
        {L"animations", L"openeffect", L"2", L"WindowsOpen", L"AnimationEffect"},
        {L"animations", L"closespeed", L"50", L"WindowsClose", L"AnimationSpeed"},
        {L"animations", L"windowscenter", L"1", L"normal", L"windowscenter"},
    };
    for (const auto& c : cases) {
        const std::string name = foundation::ToUtf8(c.control);
        const auto outcome = Write(c.page, c.control, c.value);
        EXPECT_EQ(outcome.status, WriteStatus::Written) << name;
        EXPECT_EQ(store.ReadString(c.section, c.key), c.value) << name;
        EXPECT_EQ(outcome.shown, c.value) << name;
    }
    // What the minimise effect reads back is what was chosen.
    const auto minimise = extras::ReadMinimiseSettings(store, false);
    EXPECT_TRUE(minimise.enabled);
    EXPECT_EQ(minimise.effect, extras::MinimiseEffect::Suck);
    EXPECT_FLOAT_EQ(minimise.speed, 0.67f);
    // The screen list offers the pointer's screen first, then each monitor.
    EXPECT_EQ(ChoiceValues(L"launchpad", L"screenpad"),
              (std::vector<std::wstring>{L"", L"\\\\.\\DISPLAY1", L"\\\\.\\DISPLAY2"}));
}

TEST_F(FeaturePagesTest, LaunchpadSizesBelongToTheMonitorAndZeroIsAutomatic) {
    EXPECT_EQ(Write(L"launchpad", L"monitor", L"\\\\.\\DISPLAY2").status, WriteStatus::Written);
    const auto& size = Control(L"launchpad", L"padico_size");
    EXPECT_EQ(model.Read(size), L"0");
    EXPECT_EQ(model.Write(size, L"300").status, WriteStatus::Clamped);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"padico_size"), 256);
    EXPECT_EQ(model.Write(size, L"30").status, WriteStatus::Clamped);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"padico_size"), 64);
    // 0 lies outside the range but means "as the screen gives it".
    const auto automatic = model.Write(size, L"0");
    EXPECT_EQ(automatic.status, WriteStatus::Written);
    EXPECT_EQ(automatic.shown, L"0");
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"padico_size"), 0);
    EXPECT_EQ(Write(L"launchpad", L"padicospace_width", L"500").status, WriteStatus::Clamped);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"padicospace_width"), 400);
    EXPECT_EQ(Write(L"launchpad", L"padicospace_height", L"-2").status, WriteStatus::Clamped);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"padicospace_height"), 1);
    EXPECT_EQ(Write(L"launchpad", L"padicospace_height", L"tall").status, WriteStatus::Refused);
    EXPECT_FALSE(store.HasKey(L"DISPLAY1", L"padico_size"));
    EXPECT_FALSE(store.HasKey(L"normal", L"padico_size"));
}

TEST_F(FeaturePagesTest, ASourceWithoutItsArrangementIsChosenOnlyWhenTheUserAgrees) {
    const std::wstring cache = base + L"launchpad\\cache\\";
    files.AddFile(cache + L"Word.png", std::string_view("png"));
    // No arrangement for the desktop yet: asked, declined, nothing changes.
    auto outcome = Write(L"launchpad", L"padicotype", L"2");
    EXPECT_EQ(outcome.status, WriteStatus::Refused);
    ASSERT_TRUE(outcome.tip);
    EXPECT_EQ(outcome.tip->key, L"padicotypekept");
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_FALSE(store.HasKey(L"normal", L"padicotype"));
    EXPECT_TRUE(files.IsFile(cache + L"Word.png"));
    // Agreed: written, and the restart is offered.
    answer = true;
    outcome = Write(L"launchpad", L"padicotype", L"2");
    EXPECT_EQ(outcome.status, WriteStatus::Written);
    EXPECT_EQ(outcome.effect, SettingEffect::Restart);
    EXPECT_EQ(store.ReadInt(L"normal", L"padicotype"), 2);
    // A source that has its arrangement is switched to without a question, and the icons
    // of the old one are dropped.
    files.AddFile(base + launchers::CatalogueFileName(1), std::string_view("<pad/>"));
    outcome = Write(L"launchpad", L"padicotype", L"1");
    EXPECT_EQ(outcome.status, WriteStatus::Written);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(model.Read(Control(L"launchpad", L"padicotype")), L"1");
    EXPECT_FALSE(files.IsFile(cache + L"Word.png"));
    EXPECT_EQ(Write(L"launchpad", L"padicotype", L"7").status, WriteStatus::Refused);
}

TEST_F(FeaturePagesTest, ExclusionListsShowWhatIsLeftOutAndTakeAnEntryOff) {
    const std::wstring pad = base + launchers::kPadSettingsFile;
    files.AddFile(pad, std::string_view("[delete]\r\nc:\\apps\\a.lnk=1\r\nc:\\apps\\b.lnk=0\r\nc:\\apps\\c.lnk=1\r\n"));
    EXPECT_EQ(ChoiceValues(L"launchpad", L"padicoblacklist"), (std::vector<std::wstring>{L"c:\\apps\\a.lnk", L"c:\\apps\\c.lnk"}));
    EXPECT_EQ(Write(L"launchpad", L"padicoblacklist", L"c:\\apps\\c.lnk").status, WriteStatus::Written);
    EXPECT_EQ(*ports.padExcluded, L"c:\\apps\\c.lnk");
    EXPECT_EQ(Write(L"launchpad", L"padicoblacklist", L"c:\\apps\\b.lnk").status, WriteStatus::Refused);
    EXPECT_TRUE(launchers::IncludeApplication(store, *ports.padExcluded));
    EXPECT_EQ(ChoiceValues(L"launchpad", L"padicoblacklist"), (std::vector<std::wstring>{L"c:\\apps\\a.lnk"}));
    EXPECT_FALSE(launchers::IncludeApplication(store, L"c:\\apps\\c.lnk"));
    EXPECT_FALSE(launchers::IncludeApplication(store, L""));

    store.WriteInt(L"blacklistwindows", L"notepad.exe", 1);
    store.WriteInt(L"blacklistwindows", L"calc.exe", 0);
    EXPECT_EQ(ChoiceValues(L"animations", L"blacklistwindows"), (std::vector<std::wstring>{L"notepad.exe"}));
    EXPECT_EQ(Write(L"animations", L"blacklistwindows", L"notepad.exe").status, WriteStatus::Written);
    EXPECT_TRUE(extras::IncludeProgram(store, *ports.animationExcluded));
    EXPECT_TRUE(ChoiceValues(L"animations", L"blacklistwindows").empty());
    EXPECT_EQ(store.ReadInt(L"normal", L"defaultsize"), 48); // the rest of the file stays
}

TEST_F(FeaturePagesTest, StoredAnimationValuesShowAsTheChoiceThatPlays) {
    struct Case {
        const char16_t* stored;
        const wchar_t* effect;
        const wchar_t* speed;
    };
    const Case cases[] = {
        {u"effect=scaledx\r\nAnimationspeed=0.47\r\n", L"scale", L"0.5"},
        {u"effect=SUCK\r\nAnimationspeed=1.0\r\n", L"suck", L"1"},
        {u"effect=ripple\r\nAnimationspeed=fast\r\n", L"genie", L"1"},
        {u"Animationspeed=9\r\n", L"genie", L"2"},
        {u"Animationspeed=0.1\r\n", L"genie", L"0.25"},
        {u"", L"genie", L"1"},
    };
    for (const auto& c : cases) {
        Config(std::u16string(u"[minimize]\r\n") + c.stored);
        const std::string name = foundation::Utf16ToUtf8(c.stored);
        EXPECT_EQ(model.Read(Control(L"animations", L"effect")), c.effect) << name;
        EXPECT_EQ(model.Read(Control(L"animations", L"Animationspeed")), c.speed) << name;
    }
    // The open and close choices are enabled only while their animation is on.
    const auto& page = *pages.Find(L"animations");
    EXPECT_FALSE(model.Enabled(page, Control(L"animations", L"openeffect")));
    store.WriteBool(L"WindowsOpen", L"enable", true);
    EXPECT_TRUE(model.Enabled(page, Control(L"animations", L"openeffect")));
    EXPECT_FALSE(model.Enabled(page, Control(L"animations", L"closespeed")));
}

TEST_F(FeaturePagesTest, ThemesAreChosenFromTheFoldersThatCarryThemAndBackdropsWaitForTheirSwitch) {
    const std::wstring themes = base + L"themes\\";
    files.AddFile(themes + L"Glass\\dockskin\\config.ini", std::string_view("[config]\r\n"));
    files.AddFile(themes + L"Glass\\clock\\config.ini", std::string_view("[config]\r\n"));
    files.AddDirectory(themes + L"Paper\\icons");
    files.AddFile(themes + L"Paper\\theme.ini", std::string_view("[config]\r\nname=Paper Set\r\n"));
    files.AddDirectory(themes + L"Empty");
    // Without choices of the running program, the page keeps its own.
    pages = AllSettingsPages(store, ports);
    EXPECT_EQ(ChoiceValues(L"themes", L"dockskin"), (std::vector<std::wstring>{L"default", L"Glass"}));
    EXPECT_EQ(ChoiceValues(L"themes", L"dockicons"), (std::vector<std::wstring>{L"default", L"Paper"}));
    EXPECT_EQ(ChoiceValues(L"themes", L"timeskin"), (std::vector<std::wstring>{L"default", L"Glass"}));
    EXPECT_EQ(model.Choices(Control(L"themes", L"dockicons"))[1].label.fallback, L"Paper Set");
    EXPECT_EQ(model.Read(Control(L"themes", L"dockskin")), L"default");

    auto outcome = Write(L"themes", L"dockskin", L"Glass");
    EXPECT_EQ(outcome.status, WriteStatus::Written);
    EXPECT_EQ(outcome.effect, SettingEffect::DockRebuild);
    EXPECT_EQ(store.ReadString(L"themes", L"dockskin"), L"Glass");
    EXPECT_EQ(outcome.shown, L"Glass");
    // "default" is no key of its own: choosing it again removes the skin's.
    EXPECT_EQ(Write(L"themes", L"dockskin", L"default").status, WriteStatus::Written);
    EXPECT_FALSE(store.HasKey(L"themes", L"dockskin"));
    EXPECT_EQ(Write(L"themes", L"dockskin", L"Empty").status, WriteStatus::Refused);
    EXPECT_EQ(Write(L"themes", L"timeskin", L"Glass").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadString(L"themes", L"timeskin"), L"Glass");
    EXPECT_EQ(model.Read(Control(L"themes", L"timeskin")), L"Glass");

    const auto& page = *pages.Find(L"themes");
    const auto& opacity = Control(L"themes", L"opacity_dock");
    EXPECT_FALSE(model.Enabled(page, opacity));
    EXPECT_EQ(Write(L"themes", L"enable_dock", L"1").effect, SettingEffect::Dock);
    EXPECT_TRUE(model.Enabled(page, opacity));
    EXPECT_EQ(model.Write(opacity, L"140").status, WriteStatus::Clamped);
    EXPECT_EQ(store.ReadInt(L"themes", L"opacity_dock"), 100);
    // The menus have a border; the dock has none.
    EXPECT_EQ(Write(L"themes", L"stroke_menu", L"30").status, WriteStatus::Written);
    for (const auto& control : page.controls) EXPECT_NE(control.id, L"stroke_dock");
}

TEST_F(FeaturePagesTest, TheThemesPagePicturesTheChosenSkinAndWritesNothingForIt) {
    EXPECT_EQ(pages.Find(L"themes")->controls.size(), AllSettingsPages(store, ports).Find(L"themes")->controls.size());
    const gfx::NativeImageDecoder decoder;
    ports.decoder = &decoder;
    pages = AllSettingsPages(store, ports);
    const auto& controls = pages.Find(L"themes")->controls;
    std::size_t icons = 0, picture = 0;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].id == L"dockicons") icons = i;
        if (controls[i].id == L"dockskinpreview") picture = i;
    }
    ASSERT_GT(picture, icons); // under the two lists it shows
    const auto& preview = controls[picture];
    ASSERT_TRUE(preview.picture);
    const auto visible = [](const std::vector<std::uint32_t>& pixels) {
        return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return gfx::PixelA(p) > 0; });
    };
    const auto light = preview.picture(240, 48, false);
    ASSERT_EQ(light.size(), 240u * 48u);
    EXPECT_GT(visible(light), 240 * 48 / 4); // the built-in bar across the picture
    EXPECT_NE(preview.picture(240, 48, true), light);
    EXPECT_TRUE(preview.picture(0, 48, false).empty());

    // A skin without a readable background: nothing to picture, and the page says nothing.
    files.AddFile(base + L"themes\\Glass\\dockskin\\config.ini", std::string_view("[config]\r\nbg=bg.png\r\n"));
    files.AddFile(base + L"themes\\Glass\\dockskin\\bg.png", std::string_view("not a picture"));
    ASSERT_EQ(Write(L"themes", L"dockskin", L"Glass").status, WriteStatus::Written);
    EXPECT_TRUE(preview.picture(240, 48, false).empty());
    // The picture is no setting: reading it gives nothing, writing it changes nothing.
    const std::string before = ConfigText();
    EXPECT_EQ(model.Read(preview), L"");
    EXPECT_NE(model.Write(preview, L"1").status, WriteStatus::Written);
    EXPECT_EQ(ConfigText(), before);
}

} // namespace
} // namespace kestrana::settings
