// The global hotkeys' rules: bindings read from section "hotkey" (bad values included),
// group registration against a recording port, the choice of action per press, the level
// steps, and the Hotkeys page's modifier and key rules.
#include "foundation/hotkeys.h"

#include "fakes/settings_folder.h"
#include "foundation/hotkey_settings_page.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kestrana::foundation {
namespace {

class HotkeyTest : public ::testing::Test, protected fakes::SettingsFolder {
protected:
    void Set(std::wstring_view key, const std::wstring& value) { ASSERT_TRUE(store.WriteString(L"hotkey", key, value)); }
};

// Remembers what is registered; combinations in `taken` belong to another program.
struct RecordingPort final : HotkeyPort {
    struct Combo {
        int modifiers, key;
        auto operator<=>(const Combo&) const = default;
    };
    std::map<HotkeyId, Combo> registered;
    std::set<Combo> taken;
    std::vector<std::wstring> calls;
    bool Register(HotkeyId id, int modifiers, int key) override {
        calls.push_back(L"+" + std::to_wstring(static_cast<int>(id)));
        if (taken.count({modifiers, key}) || registered.count(id)) return false;
        for (const auto& [other, combo] : registered)
            if (combo.modifiers == modifiers && combo.key == key) return false;
        registered[id] = {modifiers, key};
        return true;
    }
    void Unregister(HotkeyId id) override {
        calls.push_back(L"-" + std::to_wstring(static_cast<int>(id)));
        registered.erase(id);
    }
};

TEST_F(HotkeyTest, BindingsReadBothValuesAndLeaveBadOnesUnset) {
    struct Case {
        const wchar_t* modifier;
        const wchar_t* key;
        bool set;
        bool problem;
    };
    const Case cases[] = {
        {L"2", L"68", true, false},   // Ctrl+D
        {L"7", L"254", true, false},  // every modifier, the last key code
        {L"2", L"0", false, false},   // no key: nothing, and nothing wrong
        {L"0", L"68", false, false},  // no modifier
        {L"", L"68", false, false},   // absent
        {L"8", L"68", false, true},   // the Windows key is no choice here
        {L"-1", L"68", false, true},
        {L"99", L"68", false, true},
        {L"2", L"255", false, true},
        {L"2", L"10000", false, true},
        {L"2", L"-5", false, true},
        {L"Ctrl", L"D", false, false}, // words read as 0
    };
    for (const auto& c : cases) {
        Set(L"dock1", c.modifier);
        Set(L"dock2", c.key);
        const BindingRead read = ReadHotkeyBinding(store, HotkeyId::Dock);
        const std::wstring what = std::wstring(c.modifier) + L"/" + c.key;
        EXPECT_EQ(read.binding.Set(), c.set) << what;
        EXPECT_EQ(!read.problem.empty(), c.problem) << what;
        if (c.problem) {
            EXPECT_EQ(read.binding.modifiers + read.binding.key, 0) << what;
        }
    }
}

TEST_F(HotkeyTest, GroupUnregistersItsIdsBeforeRegisteringTheSetOnes) {
    Set(L"volumeup1", L"2");
    Set(L"volumeup2", L"38");
    Set(L"volumemute1", L"4");
    Set(L"volumemute2", L"77");
    RecordingPort port;
    HotkeyRegistrar registrar(store, port, [](const std::wstring&) {});
    EXPECT_TRUE(registrar.RegisterGroup(HotkeyGroup::Volume));
    EXPECT_EQ(port.calls, (std::vector<std::wstring>{L"-103", L"-104", L"-105", L"+103", L"+105"}));
    EXPECT_EQ(registrar.Status(HotkeyId::VolumeUp), HotkeyStatus::Registered);
    EXPECT_EQ(registrar.Status(HotkeyId::VolumeDown), HotkeyStatus::Unset);

    // A changed binding replaces the old registration instead of failing against it.
    Set(L"volumeup2", L"40");
    EXPECT_TRUE(registrar.RegisterGroup(HotkeyGroup::Volume));
    EXPECT_EQ(port.registered.at(HotkeyId::VolumeUp).key, 40);
    Set(L"volumemute1", L"0");
    registrar.RegisterGroup(HotkeyGroup::Volume);
    EXPECT_FALSE(port.registered.count(HotkeyId::VolumeMute));
}

TEST_F(HotkeyTest, DockGroupsWaitForADock) {
    for (const auto* key : {L"dock", L"pad", L"border"}) {
        Set(std::wstring(key) + L"1", L"2");
        Set(std::wstring(key) + L"2", std::to_wstring(65 + std::wstring(key).size()));
    }
    RecordingPort port;
    HotkeyRegistrar registrar(store, port, [](const std::wstring&) {});
    registrar.RegisterGroups(kDockGroups);
    EXPECT_TRUE(port.registered.empty());
    EXPECT_EQ(registrar.Status(HotkeyId::Launchpad), HotkeyStatus::NoDock);
    registrar.SetDockExists(true);
    EXPECT_TRUE(registrar.RegisterGroups(kDockGroups));
    EXPECT_EQ(port.registered.size(), 4u); // with the dock's keyboard hotkey, on by default
    EXPECT_EQ(registrar.Status(HotkeyId::Border), HotkeyStatus::Registered);
}

TEST_F(HotkeyTest, RefusedCombinationIsKeptAsRefusedAndLoggedOnce) {
    Set(L"microphoneup1", L"2");
    Set(L"microphoneup2", L"85");
    Set(L"microphonedown1", L"2");
    Set(L"microphonedown2", L"74");
    Set(L"microphonemute1", L"12"); // no modifier set
    Set(L"microphonemute2", L"77");
    RecordingPort port;
    port.taken.insert({2, 85});
    std::vector<std::wstring> notes;
    HotkeyRegistrar registrar(store, port, [&](const std::wstring& n) { notes.push_back(n); });
    for (int renewal = 0; renewal < 3; ++renewal) EXPECT_FALSE(registrar.RegisterGroup(HotkeyGroup::Microphone));
    EXPECT_EQ(registrar.Status(HotkeyId::MicrophoneUp), HotkeyStatus::Refused);
    EXPECT_EQ(registrar.Status(HotkeyId::MicrophoneDown), HotkeyStatus::Registered);
    EXPECT_EQ(registrar.Status(HotkeyId::MicrophoneMute), HotkeyStatus::Unset);
    ASSERT_EQ(notes.size(), 2u) << "one refusal and one bad value, however often renewed";
    EXPECT_NE(notes[0].find(L"Ctrl+U"), std::wstring::npos) << notes[0];
    EXPECT_NE(notes[1].find(L"microphonemute1=12"), std::wstring::npos) << notes[1];
    // The settings stay for when the other program lets go.
    EXPECT_EQ(store.ReadInt(L"hotkey", L"microphoneup2"), 85);
    port.taken.clear();
    EXPECT_TRUE(registrar.RegisterGroup(HotkeyGroup::Microphone));
    EXPECT_EQ(registrar.Status(HotkeyId::MicrophoneUp), HotkeyStatus::Registered);
    // Taken again later: said again, as it is news.
    port.registered.clear();
    port.taken.insert({2, 85});
    registrar.RegisterGroup(HotkeyGroup::Microphone);
    EXPECT_EQ(notes.size(), 3u);
}

TEST(HotkeyDispatch, DockHotkeyFlipsOnlyInHotkeyModeAndNeverOverLaunchpad) {
    HotkeyDispatcher dispatcher;
    const auto choose = [&](std::optional<int> mode, bool launchpad) {
        HotkeyFacts facts;
        facts.dockDisplayMode = mode;
        facts.launchpadShown = launchpad;
        return dispatcher.Choose(101, facts, 0).action;
    };
    EXPECT_EQ(choose(6, false), HotkeyAction::FlipDockHidden);
    EXPECT_EQ(choose(6, true), HotkeyAction::None);
    for (int mode = 1; mode <= 9; ++mode)
        if (mode != 6) {
            EXPECT_EQ(choose(mode, false), HotkeyAction::ShowDock) << mode;
            EXPECT_EQ(choose(mode, true), HotkeyAction::ShowDock) << mode;
        }
    EXPECT_EQ(choose(std::nullopt, false), HotkeyAction::None);
}

TEST(HotkeyDispatch, BorderAndLaunchpadFollowTheDock) {
    HotkeyDispatcher dispatcher;
    HotkeyFacts facts;
    facts.dockDisplayMode = 1;
    EXPECT_EQ(dispatcher.Choose(111, facts, 0).action, HotkeyAction::BorderOn);
    facts.dockBorder = true;
    EXPECT_EQ(dispatcher.Choose(111, facts, 0).action, HotkeyAction::BorderOff);
    for (int locked : {3, 4, 7}) {
        facts.dockDisplayMode = locked;
        EXPECT_EQ(dispatcher.Choose(111, facts, 0).action, HotkeyAction::None) << locked;
    }
    EXPECT_EQ(dispatcher.Choose(102, facts, 0).action, HotkeyAction::ToggleLaunchpad);
    facts.dockBusy = true;
    EXPECT_EQ(dispatcher.Choose(102, facts, 0).action, HotkeyAction::None);
    EXPECT_EQ(dispatcher.Choose(113, facts, 0).action, HotkeyAction::None);
    EXPECT_EQ(dispatcher.Choose(0, facts, 0).action, HotkeyAction::None);
}

TEST(HotkeyDispatch, StageManagerActsOncePerGapAndOnlyWithBarsAndHiddenMainWindow) {
    HotkeyDispatcher dispatcher;
    HotkeyFacts facts;
    const auto press = [&](std::int64_t at) { return dispatcher.Choose(112, facts, at).action; };
    EXPECT_EQ(press(1000), HotkeyAction::None) << "nothing runs";
    facts.barsRunning = true;
    facts.mainWindowVisible = true;
    EXPECT_EQ(press(1000), HotkeyAction::None);
    facts.mainWindowVisible = false;
    EXPECT_EQ(press(5000), HotkeyAction::ToggleStageManager);
    EXPECT_EQ(press(5000 + kStageManagerGapMs - 1), HotkeyAction::None);
    // A refused press does not push the gap further out.
    EXPECT_EQ(press(5000 + kStageManagerGapMs), HotkeyAction::ToggleStageManager);
    EXPECT_EQ(press(5000 + kStageManagerGapMs + 10), HotkeyAction::None);
}

TEST(HotkeyDispatch, KeyboardFocusGoesOnlyToASurfaceThatRunsAndNeverBehindLaunchpad) {
    HotkeyDispatcher dispatcher;
    HotkeyFacts facts;
    const auto press = [&](HotkeyId id) { return dispatcher.Choose(static_cast<int>(id), facts, 0).action; };
    EXPECT_EQ(press(HotkeyId::FocusDock), HotkeyAction::None);
    EXPECT_EQ(press(HotkeyId::FocusBar), HotkeyAction::None);
    facts.dockDisplayMode = 3; // hidden behind its edge: the focus brings it out
    facts.menuBarRunning = true;
    EXPECT_EQ(press(HotkeyId::FocusDock), HotkeyAction::FocusDock);
    EXPECT_EQ(press(HotkeyId::FocusBar), HotkeyAction::FocusBar);
    facts.launchpadShown = true;
    EXPECT_EQ(press(HotkeyId::FocusDock), HotkeyAction::None);
    EXPECT_EQ(press(HotkeyId::FocusBar), HotkeyAction::None);
}

TEST(HotkeySteps, LevelsStayWithinTheirRanges) {
    EXPECT_EQ(SteppedMicrophoneLevel(98, 4), 100);
    EXPECT_EQ(SteppedMicrophoneLevel(2, -4), 0);
    EXPECT_EQ(SteppedMicrophoneLevel(50, 4), 54);
    EXPECT_EQ(SteppedMicrophoneLevel(150, 4), 100) << "a level reported out of range comes back into it";
    // Brightness: nothing at the limit, so that no indicator is shown.
    EXPECT_EQ(SteppedBrightness(100, 0, 100, 6), std::nullopt);
    EXPECT_EQ(SteppedBrightness(0, 0, 100, -6), std::nullopt);
    EXPECT_EQ(SteppedBrightness(97, 0, 100, 6), 100);
    EXPECT_EQ(SteppedBrightness(40, 30, 80, -6), 34);
    EXPECT_EQ(SteppedBrightness(32, 30, 80, -6), 30);
    EXPECT_EQ(SteppedBrightness(50, 80, 30, 6), std::nullopt) << "a range the monitor reports upside down";
}

TEST(HotkeyTexts, ModifierListAndNames) {
    const auto choices = ModifierChoices();
    ASSERT_EQ(choices.size(), 4u);
    const int values[] = {0, kModCtrl, kModShift, kModAlt};
    const wchar_t* labels[] = {L"- ", L"Ctrl ", L"Shift ", L"Alt "};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(choices[i].value, values[i]);
        EXPECT_EQ(choices[i].label, labels[i]);
        if (i) {
            EXPECT_EQ(std::wstring(ModifierName(values[i])) + L" ", labels[i]);
        }
    }
    // A translated list keeps the values in order; a short one gives fewer entries.
    EXPECT_EQ(ModifierChoices(L"- |Strg |Umschalt |Alt ")[1].label, L"Strg ");
    EXPECT_EQ(ModifierChoices(L"- |Strg").size(), 2u);
    for (int other : {0, 3, 6, 7, 8, -1}) EXPECT_EQ(ModifierName(other), L"-") << other;
}

class HotkeyPageTest : public HotkeyTest {
protected:
    HotkeyStatus refusedStatus = HotkeyStatus::Registered;
    PageDescriptor page = HotkeySettingsPage(store, [this](HotkeyId) { return refusedStatus; });
    SettingsModel model{store};
    const ControlDescriptor& Control(std::wstring_view id) {
        for (const auto& c : page.controls)
            if (c.id == id) return c;
        ADD_FAILURE() << "no control";
        return page.controls.front();
    }
};

TEST_F(HotkeyPageTest, EveryBindingHasAModifierListAndAKeyFieldBesideIt) {
    ASSERT_EQ(page.controls.size(), 2 * AllHotkeys().size());
    for (std::size_t i = 0; i < page.controls.size(); i += 2) {
        EXPECT_EQ(page.controls[i].kind, ControlKind::Combo);
        EXPECT_EQ(page.controls[i + 1].kind, ControlKind::Hotkey);
        EXPECT_TRUE(page.controls[i + 1].besidePrevious);
        EXPECT_EQ(Resolve(store, page.controls[i].label), Resolve(store, page.controls[i + 1].label));
    }
}

TEST_F(HotkeyPageTest, NoModifierDeletesTheKeyAndDisablesItsField) {
    const auto& modifier = Control(L"pad1");
    const auto& key = Control(L"pad2");
    EXPECT_FALSE(model.Enabled(page, key));
    EXPECT_EQ(model.Write(modifier, L"2").effect, SettingEffect::Hotkeys);
    EXPECT_TRUE(model.Enabled(page, key));
    EXPECT_EQ(model.Write(key, L"80").status, WriteStatus::Written);
    EXPECT_EQ(store.ReadInt(L"hotkey", L"pad2"), 80);
    EXPECT_EQ(model.Read(key), L"80");

    EXPECT_EQ(model.Write(modifier, L"0").status, WriteStatus::Written);
    EXPECT_FALSE(store.HasKey(L"hotkey", L"pad2"));
    EXPECT_EQ(store.ReadInt(L"hotkey", L"pad1"), 0);
    EXPECT_FALSE(model.Enabled(page, key));
    EXPECT_EQ(model.Read(key), L"0");
}

TEST_F(HotkeyPageTest, KeyFieldTakesKeyCodesOnlyAndZeroDeletes) {
    const auto& key = Control(L"dock2");
    ASSERT_EQ(model.Write(Control(L"dock1"), L"4").status, WriteStatus::Written);
    EXPECT_EQ(model.Write(key, L"68").status, WriteStatus::Written);
    for (const auto* bad : {L"300", L"-1", L"D"}) {
        EXPECT_EQ(model.Write(key, bad).status, WriteStatus::Failed) << bad;
        EXPECT_EQ(store.ReadInt(L"hotkey", L"dock2"), 68) << bad;
    }
    EXPECT_EQ(model.Write(Control(L"dock1"), L"9").status, WriteStatus::Refused) << "not one of the list's values";
    EXPECT_EQ(model.Write(key, L"0").status, WriteStatus::Written);
    EXPECT_FALSE(store.HasKey(L"hotkey", L"dock2"));
}

TEST_F(HotkeyPageTest, KeyboardFocusBindingsStartOnAndStayOffOnceSwitchedOff) {
    // Nothing written yet: both bindings hold their defaults, also on the page.
    const BindingRead dock = ReadHotkeyBinding(store, HotkeyId::FocusDock);
    const BindingRead bar = ReadHotkeyBinding(store, HotkeyId::FocusBar);
    ASSERT_TRUE(dock.binding.Set());
    ASSERT_TRUE(bar.binding.Set());
    EXPECT_FALSE(dock.binding.modifiers == bar.binding.modifiers && dock.binding.key == bar.binding.key);
    EXPECT_EQ(model.Read(Control(L"focusdock1")), std::to_wstring(dock.binding.modifiers));
    EXPECT_EQ(model.Read(Control(L"focusdock2")), std::to_wstring(dock.binding.key));
    EXPECT_TRUE(model.Enabled(page, Control(L"focusdock2")));

    // No key: off, and it stays off (the default does not come back).
    EXPECT_EQ(model.Write(Control(L"focusbar2"), L"0").status, WriteStatus::Written);
    EXPECT_FALSE(ReadHotkeyBinding(store, HotkeyId::FocusBar).binding.Set());
    EXPECT_EQ(model.Read(Control(L"focusbar2")), L"0");
    // No modifier: the same.
    EXPECT_EQ(model.Write(Control(L"focusdock1"), L"0").status, WriteStatus::Written);
    EXPECT_FALSE(ReadHotkeyBinding(store, HotkeyId::FocusDock).binding.Set());

    RecordingPort port;
    HotkeyRegistrar registrar(store, port, [](const std::wstring&) {});
    registrar.RegisterGroups(kStartupGroups);
    EXPECT_EQ(registrar.Status(HotkeyId::FocusBar), HotkeyStatus::Unset);
}

TEST_F(HotkeyPageTest, RefusedBindingCarriesANote) {
    const auto& key = Control(L"border2");
    ASSERT_TRUE(key.note);
    EXPECT_FALSE(key.note());
    refusedStatus = HotkeyStatus::Refused;
    const auto note = key.note();
    ASSERT_TRUE(note);
    EXPECT_FALSE(Resolve(store, *note).empty());
    EXPECT_FALSE(Control(L"border1").note) << "one note per binding";
}

} // namespace
} // namespace kestrana::foundation
