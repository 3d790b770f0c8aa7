// The settings window's pages: which key each control writes, ranges and clamping, the
// refusal of text that is no number, the page rules, and values read back.
#include "settings/settings_catalogue.h"

#include "dock/dock_settings.h"
#include "dock/preview_rules.h"
#include "fakes/settings_folder.h"
#include "foundation/config_store.h"
#include "foundation/general_settings_page.h"
#include "foundation/text.h"

#include "menubar/status_items.h"
#include "menubar/status_row.h"

#include "foundation/general_settings_page.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>

namespace kestrana::settings {
namespace {

using foundation::ControlDescriptor;
using foundation::SettingEffect;
using foundation::WriteStatus;

class SettingsPagesTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    SettingsPagesTest() {
        Config(u"[normal]\r\ndefaultsize=48\r\n");
        files.AddFile(base + L"lang\\English.ini",
                      fakes::Utf16File(u"[language]\r\nname=English\r\n[formattime]\r\n1=HH:mm\r\n2=h:mm tt\r\n"));
        store.SetCurrentLanguage(L"English");
        ports.monitors = [] {
            return std::vector<foundation::Choice>{{L"\\\\.\\DISPLAY1", {L"", L"", L"1"}}, {L"\\\\.\\DISPLAY2", {L"", L"", L"2"}}};
        };
        ports.autostart = {[this] { return autostart; },
                           [this](foundation::AutostartMode mode) {
                               if (!autostartStuck) autostart = mode;
                               return autostart;
                           }};
        pages = AllSettingsPages(store, ports);
    }

    const foundation::PageDescriptor& Page(const wchar_t* id) {
        const auto* page = pages.Find(id);
        EXPECT_NE(page, nullptr);
        return *page;
    }
    const ControlDescriptor& Control(const wchar_t* page, const wchar_t* id) {
        for (const auto& control : Page(page).controls)
            if (control.id == id) return control;
        ADD_FAILURE() << "no control " << foundation::ToUtf8(id);
        return Page(page).controls.front();
    }
    foundation::WriteOutcome Write(const wchar_t* page, const wchar_t* id, std::wstring_view value) {
        return model.Write(Control(page, id), value);
    }

    foundation::AutostartMode autostart = foundation::AutostartMode::None;
    bool autostartStuck = false;
    PagePorts ports;
    foundation::SettingsPages pages;
    foundation::SettingsModel model{store};
};

TEST_F(SettingsPagesTest, EachControlWritesItsOwnKey) {
    struct Case {
        const wchar_t* page;
        const wchar_t* control;
        const wchar_t* value;
        const wchar_t* section;
        const wchar_t* key;
        SettingEffect effect;
    };
    const Case cases[] = {
        {L"general", L"hidetaskbar", L"1", L"normal", L"hidetaskbar", SettingEffect::Restart},
        {L"dock", L"defaultsize", L"72", L"normal", L"defaultsize", SettingEffect::Dock},
        {L"dock", L"dockicoeffect", L"4", L"normal", L"dockicoeffect", SettingEffect::Dock},
        {L"dock", L"dockicoeffect_icolight", L"80", L"normal", L"dockicoeffect_icolight", SettingEffect::Dock},
        {L"dock", L"iconspace", L"6", L"normal", L"iconspace", SettingEffect::Dock},
        {L"dock", L"screenposition", L"4", L"normal", L"screenposition", SettingEffect::DockRebuild},
        {L"dock", L"multiscreen", L"2", L"normal", L"multiscreen", SettingEffect::DockRebuild},
        {L"dock", L"displaymode", L"5", L"normal", L"displaymode", SettingEffect::Dock},
        {L"dock", L"lockicon", L"1", L"normal", L"lockicon", SettingEffect::None},
        {L"dock", L"showicontag", L"0", L"normal", L"showicontag", SettingEffect::Dock},
        {L"dock", L"runicon", L"1", L"normal", L"runicon", SettingEffect::Dock},
        {L"dock", L"minicopos", L"2", L"minimize", L"minicopos", SettingEffect::None},
        {L"menubar", L"timefmt", L"h:mm tt", L"findertime", L"timefmt", SettingEffect::MenuBar},
        {L"menubar", L"datefmt_customenable", L"1", L"findertime", L"datefmt_customenable", SettingEffect::MenuBar},
        {L"menubar", L"datefmt_custom", L"yyyy MMM", L"findertime", L"datefmt_custom", SettingEffect::MenuBar},
        {L"menubar", L"bar_allscreens", L"1", L"finder", L"allscreens", SettingEffect::MenuBarItems},
        {L"menubar", L"bar_darkmode", L"3", L"finder", L"darkmode", SettingEffect::MenuBar},
        {L"menubar", L"bar_showmode", L"2", L"finder", L"showmode", SettingEffect::MenuBar},
        {L"menubar", L"bar_autocolor", L"1", L"finder", L"autocolor", SettingEffect::MenuBar},
        {L"menubar", L"bar_findermenu", L"0", L"finder", L"findermenu", SettingEffect::MenuBarItems},
        {L"menubar", L"bar_messageboxshutdown", L"1", L"finder", L"messageboxshutdown", SettingEffect::None},
        {L"menubar", L"bar_musicLyrics", L"1", L"finder", L"musicLyrics", SettingEffect::MenuBarItems},
        {L"menubar", L"bar_musicLyrics_color", L"1", L"finder", L"musicLyrics_color", SettingEffect::MenuBarItems},
    };
    for (const auto& c : cases) {
        const std::string name = foundation::ToUtf8(c.control);
        const auto outcome = Write(c.page, c.control, c.value);
        EXPECT_EQ(outcome.status, WriteStatus::Written) << name;
        EXPECT_EQ(outcome.effect, c.effect) << name;
        EXPECT_EQ(store.ReadString(c.section, c.key), c.value) << name;
        EXPECT_EQ(outcome.shown, c.value) << name;
        EXPECT_EQ(model.Write(Control(c.page, c.control), c.value).status, WriteStatus::Unchanged) << name;
    }
}

TEST_F(SettingsPagesTest, NumbersAreClampedToTheRangeAndTextThatIsNoNumberIsRefused) {
    struct Case {
        const wchar_t* control;
        const wchar_t* typed;
        WriteStatus status;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {L"defaultsize", L"300", WriteStatus::Clamped, L"196"},  {L"defaultsize", L"20", WriteStatus::Clamped, L"25"},
        {L"defaultsize", L"99999999999999999999", WriteStatus::Clamped, L"196"},
        {L"defaultsize", L" 90 ", WriteStatus::Written, L"90"},  {L"defaultsize", L"+91", WriteStatus::Written, L"91"},
        {L"maxsize", L"400", WriteStatus::Clamped, L"256"},      {L"iconspace", L"-3", WriteStatus::Clamped, L"0"},
        {L"iconspace", L"21", WriteStatus::Clamped, L"20"},      {L"dockicoeffect_bglight", L"101", WriteStatus::Clamped, L"100"},
        {L"defaultsize", L"abc", WriteStatus::Refused, L"91"},   {L"defaultsize", L"12px", WriteStatus::Refused, L"91"},
        {L"defaultsize", L"", WriteStatus::Refused, L"91"},      {L"defaultsize", L"-", WriteStatus::Refused, L"91"},
        {L"defaultsize", L"4.5", WriteStatus::Refused, L"91"},
    };
    for (const auto& c : cases) {
        const std::string name = foundation::ToUtf8(c.control) + " " + foundation::ToUtf8(c.typed);
        const auto outcome = Write(L"dock", c.control, c.typed);
        EXPECT_EQ(outcome.status, c.status) << name;
        EXPECT_EQ(store.ReadString(L"normal", c.control), c.stored) << name;
        EXPECT_EQ(outcome.shown, c.stored) << name;
    }
    // A stored value outside the range shows at its limit; a check box or a combo box
    // takes nothing but its own values.
    Config(u"[normal]\r\ndefaultsize=500\r\nlockicon=yes\r\n");
    EXPECT_EQ(model.Read(Control(L"dock", L"defaultsize")), L"196");
    EXPECT_EQ(model.Read(Control(L"dock", L"lockicon")), L"1");
    const std::string before = ConfigText();
    EXPECT_EQ(Write(L"dock", L"lockicon", L"2").status, WriteStatus::Refused);
    EXPECT_EQ(Write(L"dock", L"screenposition", L"5").status, WriteStatus::Refused);
    EXPECT_EQ(Write(L"dock", L"displaymode", L"0").status, WriteStatus::Refused);
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(SettingsPagesTest, SizesBelongToTheChosenMonitor) {
    const auto& size = Control(L"dock", L"defaultsize");
    const auto& maximum = Control(L"dock", L"maxsize");
    EXPECT_EQ(model.Read(size), L"48"); // no monitor chosen: the general value
    EXPECT_EQ(Write(L"dock", L"monitor", L"\\\\.\\DISPLAY2").status, WriteStatus::Written);
    EXPECT_EQ(model.Read(size), L"48"); // the monitor has none of its own yet
    EXPECT_EQ(model.Write(size, L"100").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"defaultsize"), 100);
    EXPECT_EQ(store.ReadInt(L"normal", L"defaultsize"), 48);
    // The maximum is kept both for the monitor and as the general value.
    EXPECT_EQ(model.Write(maximum, L"150").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadInt(L"DISPLAY2", L"maxsize"), 150);
    EXPECT_EQ(store.ReadInt(L"normal", L"maxsize"), 150);
    model.SetMonitor(L"\\\\.\\DISPLAY1");
    EXPECT_EQ(model.Read(size), L"48");
    EXPECT_EQ(model.Read(maximum), L"150");
    store.WriteInt(L"DISPLAY1", L"defaultsize", 0); // 0 counts as absent, as the dock reads it
    EXPECT_EQ(model.Read(size), L"48");
}

TEST_F(SettingsPagesTest, TheMenuBarsScreenIsChosenOnlyWithoutABarOnEveryScreen) {
    const auto& page = Page(L"menubar");
    const auto& screen = Control(L"menubar", L"bar_screens");
    EXPECT_TRUE(model.Enabled(page, screen));
    ASSERT_TRUE(screen.listChoices);
    const auto choices = screen.listChoices();
    ASSERT_EQ(choices.size(), 3u); // the first screen, then each by name
    EXPECT_EQ(choices[0].value, L"");
    EXPECT_EQ(choices[2].value, L"\\\\.\\DISPLAY2");
    EXPECT_EQ(Write(L"menubar", L"bar_screens", L"\\\\.\\DISPLAY2").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadString(L"finder", L"screens"), L"\\\\.\\DISPLAY2");
    EXPECT_EQ(Write(L"menubar", L"bar_allscreens", L"1").status, WriteStatus::Written);
    EXPECT_FALSE(model.Enabled(page, screen));
    // Appearance and hiding take only their own values.
    const std::string before = ConfigText();
    EXPECT_EQ(Write(L"menubar", L"bar_darkmode", L"4").status, WriteStatus::Refused);
    EXPECT_EQ(Write(L"menubar", L"bar_showmode", L"3").status, WriteStatus::Refused);
    EXPECT_EQ(ConfigText(), before);
}

TEST_F(SettingsPagesTest, PageRulesEnableControlsAndRefuseConflictingModes) {
    const auto& page = Page(L"dock");
    const auto& maximum = Control(L"dock", L"maxsize");
    const auto& light = Control(L"dock", L"dockicoeffect_bglight");
    for (int effect = 0; effect <= 5; ++effect) {
        store.WriteInt(L"normal", L"dockicoeffect", effect);
        EXPECT_EQ(model.Enabled(page, maximum), effect == 1 || effect == 4) << effect;
        EXPECT_EQ(model.Enabled(page, light), effect >= 3) << effect;
    }
    store.DeleteKey(L"normal", L"dockicoeffect");
    EXPECT_TRUE(model.Enabled(page, maximum)); // magnification is on by default

    auto outcome = Write(L"dock", L"displaymode", L"6");
    EXPECT_EQ(outcome.status, WriteStatus::Refused);
    ASSERT_TRUE(outcome.tip);
    EXPECT_EQ(outcome.tip->key, L"hotkeyhideerror");
    store.WriteInt(L"hotkey", L"dock2", 68);
    EXPECT_EQ(Write(L"dock", L"displaymode", L"6").status, WriteStatus::Written);

    store.WriteBool(L"normal", L"border", true);
    for (const wchar_t* mode : {L"3", L"4"}) {
        outcome = Write(L"dock", L"displaymode", mode);
        EXPECT_EQ(outcome.status, WriteStatus::Refused);
        ASSERT_TRUE(outcome.tip);
        EXPECT_EQ(outcome.tip->key, L"autohideerror");
    }
    EXPECT_EQ(store.ReadInt(L"normal", L"displaymode"), 6);
    EXPECT_EQ(Write(L"dock", L"displaymode", L"7").status, WriteStatus::Written);

    // The lyrics' colour is offered only while lyrics are hosted.
    const auto& bar = Page(L"menubar");
    const auto& lyricsColour = Control(L"menubar", L"bar_musicLyrics_color");
    EXPECT_FALSE(model.Enabled(bar, lyricsColour));
    store.WriteInt(L"finder", L"musicLyrics", 1);
    EXPECT_TRUE(model.Enabled(bar, lyricsColour));
}

TEST_F(SettingsPagesTest, AFailedWriteKeepsTheFileAndShowsTheStoredValue) {
    const std::string before = ConfigText();
    files.FailAlways(fakes::FsOp::Replace);
    const auto outcome = Write(L"dock", L"defaultsize", L"80");
    EXPECT_EQ(outcome.status, WriteStatus::Failed);
    EXPECT_EQ(outcome.shown, L"48");
    EXPECT_EQ(ConfigText(), before);
    files.ClearFaults();
    // The maximum's two keys go in one replace: both or neither.
    model.SetMonitor(L"\\\\.\\DISPLAY1");
    files.FailNth(fakes::FsOp::Replace, 1);
    EXPECT_EQ(Write(L"dock", L"maxsize", L"140").status, WriteStatus::Failed);
    EXPECT_FALSE(store.HasKey(L"normal", L"maxsize"));
    EXPECT_FALSE(store.HasKey(L"DISPLAY1", L"maxsize"));
}

TEST_F(SettingsPagesTest, GeneralPageListsTheLanguagesAndReadsTheAutostartBack) {
    files.AddFile(base + L"lang\\Chinese.ini", fakes::Utf16File(u"[language]\r\nname=\u4E2D\u6587\r\n"));
    files.AddFile(base + L"lang\\Klingon.INI", fakes::Utf16File(u"[menu]\r\n"));
    files.AddFile(base + L"lang\\notes.txt", "");
    files.AddDirectory(base + L"lang\\old.ini");
    store.SetCurrentLanguage(L"Chinese");
    const auto& language = Control(L"general", L"language");
    const auto choices = model.Choices(language);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0].value, L"Chinese");
    EXPECT_EQ(foundation::Resolve(store, choices[0].label), L"\u4E2D\u6587");
    EXPECT_EQ(foundation::Resolve(store, choices[2].label), L"Klingon"); // no name of its own
    EXPECT_EQ(model.Read(language), L"Chinese");
    EXPECT_EQ(model.Write(language, L"French").status, WriteStatus::Refused);
    const auto chosen = model.Write(language, L"English");
    EXPECT_EQ(chosen.status, WriteStatus::Written);
    EXPECT_EQ(chosen.effect, SettingEffect::Restart);
    EXPECT_EQ(store.ReadString(L"normal", L"language"), L"English");
    EXPECT_EQ(store.CurrentLanguage(), L"English");

    const auto& start = Control(L"general", L"autostart");
    EXPECT_EQ(model.Write(start, L"1").status, WriteStatus::Written);
    EXPECT_EQ(autostart, foundation::AutostartMode::RunValue);
    EXPECT_EQ(model.Read(start), L"1");
    // The system kept the old entry (the companion failed): the page shows what is there.
    autostartStuck = true;
    const auto outcome = model.Write(start, L"2");
    EXPECT_EQ(outcome.status, WriteStatus::Failed);
    EXPECT_EQ(outcome.shown, L"1");
}

TEST_F(SettingsPagesTest, AnElevatedStartFromAnUnsafeFolderIsSaidOnTheGeneralPage) {
    const auto hasNotice = [](const foundation::SettingsPages& all) {
        const auto* general = all.Find(L"general");
        return general && std::any_of(general->controls.begin(), general->controls.end(), [](const ControlDescriptor& c) {
                   return c.action == foundation::kOpenProgramFolderAction && !c.tip.fallback.empty();
               });
    };
    EXPECT_FALSE(hasNotice(pages));
    ports.unsafeFolder = true;
    EXPECT_TRUE(hasNotice(AllSettingsPages(store, ports)));
}

TEST_F(SettingsPagesTest, SecondsSwitchEditsTheTimePatternInEffect) {
    struct Case {
        const wchar_t* pattern;
        const wchar_t* with;
        const wchar_t* without;
    };
    for (const auto& c : {Case{L"HH:mm", L"HH:mm:ss", L"HH:mm"}, Case{L"h:mm tt", L"h:mm:ss tt", L"h:mm tt"},
                          Case{L"tt HH:mm:ss", L"tt HH:mm:ss", L"tt HH:mm"}, Case{L"H:m:s", L"H:m:s", L"H:m"},
                          Case{L"HH", L"HH:ss", L"HH"}}) {
        EXPECT_EQ(menubar::WithSeconds(c.pattern), c.with) << foundation::ToUtf8(c.pattern);
        EXPECT_EQ(menubar::WithoutSeconds(c.pattern), c.without) << foundation::ToUtf8(c.pattern);
    }
    const auto& seconds = Control(L"menubar", L"seconds");
    EXPECT_EQ(model.Read(seconds), L"0");
    EXPECT_EQ(model.Write(seconds, L"1").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadString(L"findertime", L"timefmt"), L"HH:mm:ss");
    EXPECT_EQ(model.Read(seconds), L"1");
    store.WriteString(L"findertime", L"timefmt_custom", L"h:mm tt");
    EXPECT_EQ(Write(L"menubar", L"timefmt_customenable", L"1").status, WriteStatus::Written);
    EXPECT_EQ(model.Read(seconds), L"0");
    EXPECT_EQ(model.Write(seconds, L"1").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadString(L"findertime", L"timefmt_custom"), L"h:mm:ss tt");
    EXPECT_EQ(store.ReadString(L"findertime", L"timefmt"), L"HH:mm:ss");
}

// The status items switched on the Menu bar page: the bar's own plan reads them back, an
// item switched on joins the row's left end, and the bars are made again.
TEST_F(SettingsPagesTest, StatusItemsAreSwitchedByTheirPositionKeys) {
    // A bar that has run: clock, control, sound at 1..3; Wi-Fi hidden, CPU never set.
    store.WriteInt(L"finder", L"systemtime", 1);
    store.WriteInt(L"finder", L"systemcontrol", 2);
    store.WriteInt(L"finder", L"audio", 3);
    store.WriteInt(L"finder", L"wifi", 0);
    const auto& sound = Control(L"menubar", L"item_audio");
    EXPECT_EQ(model.Read(sound), L"1");
    EXPECT_EQ(model.Read(Control(L"menubar", L"item_wifi")), L"0");
    EXPECT_EQ(model.Read(Control(L"menubar", L"item_CPUON")), L"0");

    int last = 0;
    for (const auto& entry : menubar::PlanStatusItems(store).entries) last = std::max(last, entry.position);
    const auto on = Write(L"menubar", L"item_CPUON", L"1");
    EXPECT_EQ(on.status, WriteStatus::Written);
    EXPECT_EQ(on.effect, SettingEffect::MenuBarItems);
    EXPECT_EQ(store.ReadInt(L"findermonitor", L"CPUON"), last + 1);
    EXPECT_EQ(Write(L"menubar", L"item_wifi", L"1").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadInt(L"finder", L"wifi"), last + 2);
    EXPECT_EQ(Write(L"menubar", L"item_audio", L"0").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadInt(L"finder", L"audio"), 0);
    std::vector<menubar::StatusKind> order;
    for (const auto& entry : menubar::PlanStatusItems(store).entries) order.push_back(entry.kind);
    ASSERT_GE(order.size(), 4u);
    EXPECT_EQ(order.front(), menubar::StatusKind::Time);
    EXPECT_EQ(std::vector(order.end() - 2, order.end()),
              (std::vector<menubar::StatusKind>{menubar::StatusKind::Cpu, menubar::StatusKind::Wifi}));
    EXPECT_EQ(std::count(order.begin(), order.end(), menubar::StatusKind::Audio), 0);
    EXPECT_EQ(model.Read(sound), L"0");
}

// The order list of the Menu bar page writes what a drag on the bar writes for the same
// move, the bar's plan reads it back, and only a rearrangement of the listed items is taken.
TEST_F(SettingsPagesTest, TheStatusItemsOrderIsWrittenAsADragOnTheBarWritesIt) {
    const auto& order = Control(L"menubar", L"item_order");
    const std::wstring before = model.Read(order);
    // A first start: the default items, the clock at the right end (last in the list).
    const auto entries = foundation::SplitOrder(before);
    ASSERT_GE(entries.size(), 5u);
    EXPECT_EQ(entries.back(), L"systemtime");
    const auto listed = model.Choices(order);
    ASSERT_EQ(listed.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(listed[i].value, entries[i]);

    // The same move made by a drag on a bar with the same items, in a folder of its own.
    fakes::SettingsFolder dragged;
    std::vector<menubar::StatusKind> kinds;
    for (const auto& entry : menubar::PlanStatusItems(store).entries) kinds.push_back(entry.kind);
    menubar::StatusRow row(kinds);
    for (auto kind : kinds) row.SetWidth(kind, 40);
    row.LayOut(1000, 1.0f, 0);
    row.Press(0, 980); // the rightmost item (950..990), past the middle of its left neighbour
    ASSERT_EQ(row.Move(960, false), menubar::DragStep::Started);
    ASSERT_EQ(row.Move(925, false), menubar::DragStep::Swapped);
    ASSERT_TRUE(row.Release());
    ASSERT_TRUE(menubar::SavePositions(dragged.store, row.Order()));

    // The clock is last in the list: one place up takes it one place left.
    const auto moved = foundation::MoveInOrder(before, entries.size() - 1, -1);
    ASSERT_TRUE(moved);
    const auto outcome = model.Write(order, *moved);
    EXPECT_EQ(outcome.status, WriteStatus::Written);
    EXPECT_EQ(outcome.effect, SettingEffect::MenuBarItems);
    EXPECT_EQ(outcome.shown, *moved);
    for (auto kind : kinds) {
        const auto key = menubar::KeyOf(kind);
        EXPECT_EQ(store.ReadString(key.section, key.key), dragged.store.ReadString(key.section, key.key))
            << foundation::ToUtf8(std::wstring(key.key));
    }
    std::vector<menubar::StatusKind> now;
    for (const auto& entry : menubar::PlanStatusItems(store).entries) now.push_back(entry.kind);
    EXPECT_EQ(now, row.Order());

    // Nothing else is taken: an item left out, one added, an unknown name, or a repeat.
    auto shorter = foundation::SplitOrder(*moved);
    shorter.pop_back();
    auto longer = foundation::SplitOrder(*moved);
    longer.push_back(L"microphone");
    auto unknown = foundation::SplitOrder(*moved);
    unknown.back() = L"nosuchitem";
    auto twice = foundation::SplitOrder(*moved);
    twice.front() = twice.back();
    for (const auto& bad : {shorter, longer, unknown, twice}) {
        EXPECT_EQ(model.Write(order, foundation::JoinOrder(bad)).status, WriteStatus::Refused);
        EXPECT_EQ(model.Read(order), *moved);
    }
    // There is no place above the first entry or below the last.
    EXPECT_FALSE(foundation::MoveInOrder(*moved, 0, -1));
    EXPECT_FALSE(foundation::MoveInOrder(*moved, entries.size() - 1, 1));
    EXPECT_FALSE(foundation::MoveInOrder(*moved, entries.size(), -1));
    EXPECT_EQ(foundation::SplitOrder(L"|a||b|"), (std::vector<std::wstring>{L"a", L"b"}));
}

// What the page writes, the dock reads back as the same setting: no choice the dock would
// turn into another, no slider end it would clamp, and the sizes land on their monitor.
TEST_F(SettingsPagesTest, TheDockReadsWhatItsPageWrites) {
    const auto readsAsItself = [](const wchar_t* id, const std::wstring& value) {
        const int n = std::stoi(value);
        const std::wstring key(id);
        if (key == L"screenposition") return static_cast<int>(dock::ScreenPositionFromSetting(n)) == n;
        if (key == L"multiscreen") return static_cast<int>(dock::MultiScreenFromSetting(n)) == n;
        if (key == L"displaymode") return static_cast<int>(dock::DisplayModeFromSetting(n)) == n;
        if (key == L"dockicoeffect") return static_cast<int>(dock::IconEffectFromSetting(n)) == n;
        if (key == L"iconspace") return dock::IconSpaceFromSetting(n) == n;
        if (key == L"dockicoeffect_bglight" || key == L"dockicoeffect_icolight") return dock::LightStrengthFromSetting(n) == n;
        if (key == L"defaultsize") return dock::ClampConfiguredSize(n) == n;
        return true;
    };
    int checked = 0;
    for (const auto& control : Page(L"dock").controls) {
        std::vector<std::wstring> values;
        for (const auto& choice : control.choices) values.push_back(choice.value);
        if (control.kind == foundation::ControlKind::Slider) values = {std::to_wstring(control.minimum), std::to_wstring(control.maximum)};
        for (const auto& value : values) {
            EXPECT_TRUE(readsAsItself(control.id.c_str(), value)) << foundation::ToUtf8(control.id + L" " + value);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);

    model.SetMonitor(L"\\\\.\\DISPLAY2");
    ASSERT_EQ(Write(L"dock", L"defaultsize", L"100").status, WriteStatus::Written);
    ASSERT_EQ(Write(L"dock", L"maxsize", L"160").status, WriteStatus::Written);
    ASSERT_EQ(Write(L"dock", L"screenposition", L"3").status, WriteStatus::Written);
    const auto second = dock::ReadDockSettings(store, L"\\\\.\\DISPLAY2", 1.0f);
    EXPECT_EQ(second.defaultSize, 100);
    EXPECT_EQ(second.maxSize, 160);
    EXPECT_EQ(second.screenPosition, dock::Edge::Right);
    const auto first = dock::ReadDockSettings(store, L"\\\\.\\DISPLAY1", 1.0f);
    EXPECT_EQ(first.defaultSize, 48);
    EXPECT_EQ(first.maxSize, 160);
}

// The previews take the page's values as they are: the sliders' ends are not clamped to
// something else, and every switch lands where the previews read it.
TEST_F(SettingsPagesTest, ThePreviewsReadWhatTheirPageWrites) {
    const auto& page = Page(L"previews");
    for (const auto& control : page.controls) {
        if (control.kind != foundation::ControlKind::Slider) continue;
        for (int value : {control.minimum, control.maximum}) {
            ASSERT_NE(Write(L"previews", control.id.c_str(), std::to_wstring(value)).status, WriteStatus::Refused);
            const dock::PreviewSettings read = dock::ReadPreviewSettings(store);
            EXPECT_EQ(control.id == L"delay" ? read.delayMs : read.size, control.id == L"delay" ? value * 100 : value)
                << foundation::ToUtf8(control.id);
        }
    }
    for (const wchar_t* id : {L"enabled", L"title", L"control"})
        ASSERT_EQ(Write(L"previews", id, L"1").status, WriteStatus::Written);
    const dock::PreviewSettings on = dock::ReadPreviewSettings(store);
    EXPECT_TRUE(on.enabled && on.title && on.control);
    EXPECT_EQ(Write(L"previews", L"size", L"40").status, WriteStatus::Clamped);
    EXPECT_EQ(dock::ReadPreviewSettings(store).size, 100);
}

TEST(SettingsCatalogue, HoldsEveryPageOnceAndRefusesATakenId) {
    fakes::SettingsFolder folder;
    auto pages = AllSettingsPages(folder.store, {});
    std::vector<std::wstring> ids;
    for (const auto& page : pages.Pages()) ids.push_back(page.id);
    EXPECT_EQ(ids, (std::vector<std::wstring>{L"general", L"dock", L"previews", L"menubar", L"launchpad", L"folderstacks",
                                              L"animations", L"themes", L"hotkeys", L"hotcorners", L"screencorners", L"stagemanager",
                                              L"weather",
                                              L"backup"}));
    EXPECT_FALSE(pages.Add({L"dock", foundation::SettingText(L"pagedock", L"Dock"), {}}));
    EXPECT_FALSE(pages.Add({L"", {}, {}}));
    for (const auto& page : pages.Pages()) {
        std::vector<std::wstring> controls;
        for (const auto& control : page.controls) {
            EXPECT_EQ(std::count(controls.begin(), controls.end(), control.id), 0) << foundation::ToUtf8(control.id);
            controls.push_back(control.id);
        }
    }
}

} // namespace
} // namespace kestrana::settings
