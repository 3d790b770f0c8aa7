#include "menubar/bar_settings_page.h"

#include "foundation/config_store.h"
#include "menubar/clock_text.h"
#include "menubar/status_items.h"

#include <algorithm>

namespace kestrana::menubar {
namespace {

using foundation::Choice;
using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingEffect;
using foundation::SettingText;

constexpr wchar_t kSection[] = L"findertime";

ControlDescriptor Clock(std::wstring key, ControlKind kind, std::wstring label, std::wstring defaultValue) {
    ControlDescriptor control;
    control.id = key;
    control.kind = kind;
    control.section = kSection;
    control.label = SettingText(key, std::move(label));
    control.key = std::move(key);
    control.defaultValue = std::move(defaultValue);
    control.effect = SettingEffect::MenuBar;
    return control;
}

std::vector<Choice> PresetChoices(std::vector<std::wstring> presets, const PatternSample& sample, bool date) {
    std::vector<Choice> choices;
    // No date pattern: the clock shows the time alone.
    if (date) choices.push_back({L"", SettingText(L"datenone", L"No date")});
    for (auto& pattern : presets) {
        std::wstring shown = sample ? sample(pattern, date) : std::wstring();
        if (shown.empty()) shown = pattern;
        choices.push_back({std::move(pattern), {L"", L"", std::move(shown)}});
    }
    return choices;
}

} // namespace

std::wstring WithSeconds(std::wstring_view pattern) {
    std::wstring text(pattern);
    if (text.find(L":s") != std::wstring::npos) return text;
    const auto minutes = text.rfind(L'm');
    if (minutes == std::wstring::npos) return text + L":ss";
    return text.insert(minutes + 1, L":ss");
}

std::wstring WithoutSeconds(std::wstring_view pattern) {
    std::wstring text(pattern);
    for (auto at = text.find(L":s"); at != std::wstring::npos; at = text.find(L":s")) {
        auto end = at + 1;
        while (end < text.size() && text[end] == L's') ++end;
        text.erase(at, end - at);
    }
    return text;
}

namespace {

// The items a user switches on the page, with their labels; the clock and the control
// item are always there, and the Chinese input item comes with the input method's.
struct ItemSwitch {
    StatusKind kind;
    const wchar_t* label;
};
constexpr ItemSwitch kItemSwitches[] = {
    {StatusKind::Search, L"Search"},          {StatusKind::UserAccount, L"User account"},
    {StatusKind::InputMethod, L"Input method"}, {StatusKind::Tray, L"Notification icons"},
    {StatusKind::Audio, L"Sound"},            {StatusKind::MediaControl, L"Now playing"},
    {StatusKind::Microphone, L"Microphone"},  {StatusKind::Battery, L"Battery"},
    {StatusKind::Display, L"Display"},        {StatusKind::Wifi, L"Wi-Fi"},
    {StatusKind::Bluetooth, L"Bluetooth"},    {StatusKind::Cpu, L"CPU"},
    {StatusKind::Temperature, L"Temperature"}, {StatusKind::Memory, L"Memory"},
    {StatusKind::Disk, L"Disk"},              {StatusKind::Network, L"Network"},
};

// Shown or not: the item's position key, 0 for hidden. An item switched on goes to the
// left end of the row, after every item shown now.
ControlDescriptor ItemSwitchControl(foundation::ConfigStore& store, const ItemSwitch& item) {
    const StatusKey key = KeyOf(item.kind);
    ControlDescriptor control;
    control.id = L"item_" + std::wstring(key.key);
    control.kind = ControlKind::CheckBox;
    control.label = SettingText(control.id, item.label);
    control.effect = SettingEffect::MenuBarItems;
    const StatusKind kind = item.kind;
    control.custom = foundation::CustomValue{
        [&store, kind] {
            const auto entries = PlanStatusItems(store).entries;
            return std::any_of(entries.begin(), entries.end(), [kind](const StatusEntry& e) { return e.kind == kind; })
                       ? L"1"
                       : L"0";
        },
        [&store, key](const std::wstring& value) {
            int last = 0;
            for (const auto& entry : PlanStatusItems(store).entries) last = std::max(last, entry.position);
            return store.WriteInt(key.section, key.key, value == L"1" ? last + 1 : 0);
        }};
    return control;
}

// The names of the items the order list shows that have no switch of their own.
constexpr ItemSwitch kFixedItems[] = {
    {StatusKind::Time, L"Clock"},
    {StatusKind::SystemControl, L"Control centre"},
    {StatusKind::InputMethodZh, L"Chinese input mode"},
    {StatusKind::StageManager, L"Stage manager"},
};

foundation::TextRef ItemLabel(StatusKind kind) {
    const std::wstring id = L"item_" + std::wstring(KeyOf(kind).key);
    for (const ItemSwitch& item : kItemSwitches)
        if (item.kind == kind) return SettingText(id, item.label);
    for (const ItemSwitch& item : kFixedItems)
        if (item.kind == kind) return SettingText(id, item.label);
    return {L"", L"", std::wstring(KeyOf(kind).key)};
}

// The shown items from the bar's left end to its right, by their position keys: the
// bar's own plan, read backwards since position 1 is the rightmost item.
std::vector<StatusKind> LeftToRight(const foundation::ConfigStore& store) {
    std::vector<StatusKind> kinds;
    for (const auto& entry : PlanStatusItems(store).entries) kinds.insert(kinds.begin(), entry.kind);
    return kinds;
}

// The order of the shown items, written as a drag on the bar writes it.
ControlDescriptor ItemOrderControl(foundation::ConfigStore& store) {
    ControlDescriptor control;
    control.id = L"item_order";
    control.kind = ControlKind::Order;
    control.label = SettingText(L"item_order", L"Status items, left to right");
    control.effect = SettingEffect::MenuBarItems;
    control.reading = foundation::CustomReading::Followed; // a drag on the bar shows at once
    control.listChoices = [&store] {
        std::vector<Choice> choices;
        for (StatusKind kind : LeftToRight(store)) choices.push_back({std::wstring(KeyOf(kind).key), ItemLabel(kind)});
        return choices;
    };
    control.custom = foundation::CustomValue{
        [&store] {
            std::vector<std::wstring> keys;
            for (StatusKind kind : LeftToRight(store)) keys.emplace_back(KeyOf(kind).key);
            return foundation::JoinOrder(keys);
        },
        [&store](const std::wstring& value) {
            std::vector<StatusKind> order; // position order: rightmost first
            for (const auto& key : foundation::SplitOrder(value)) {
                const auto kind = KindOfKey(key);
                if (!kind) return false;
                order.insert(order.begin(), *kind);
            }
            return SavePositions(store, order);
        }};
    return control;
}

} // namespace

namespace {

ControlDescriptor Bar(std::wstring key, ControlKind kind, std::wstring label, std::wstring defaultValue,
                      SettingEffect effect) {
    ControlDescriptor control;
    control.id = L"bar_" + key;
    control.kind = kind;
    control.section = L"finder";
    control.label = SettingText(control.id, std::move(label));
    control.key = std::move(key);
    control.defaultValue = std::move(defaultValue);
    control.effect = effect;
    return control;
}

} // namespace

foundation::PageDescriptor MenuBarSettingsPage(foundation::ConfigStore& store, PatternSample sample,
                                               ScreenChoices screens) {
    foundation::PageDescriptor page{L"menubar", SettingText(L"pagemenubar", L"Menu bar"), {}};
    auto& c = page.controls;

    // Screens: the bars are made again for a change.
    c.push_back(Bar(L"allscreens", ControlKind::CheckBox, L"A menu bar on every screen", L"0", SettingEffect::MenuBarItems));
    ControlDescriptor screen = Bar(L"screens", ControlKind::Combo, L"Screen", L"", SettingEffect::MenuBarItems);
    screen.listChoices = [screens] {
        std::vector<Choice> choices{{L"", SettingText(L"bar_firstscreen", L"The first screen")}};
        if (screens)
            for (auto& choice : screens()) choices.push_back(std::move(choice));
        return choices;
    };
    screen.enableWhen = foundation::EnableWhen{L"bar_allscreens", {L"0"}};
    c.push_back(std::move(screen));

    // Appearance: applied to the running bars as they are.
    ControlDescriptor dark = Bar(L"darkmode", ControlKind::Combo, L"Appearance", L"0", SettingEffect::MenuBar);
    dark.choices = {{L"0", SettingText(L"bar_darkwallpaper", L"Follow the wallpaper")},
                    {L"1", SettingText(L"bar_darksystem", L"Follow the system's app mode")},
                    {L"2", SettingText(L"bar_light", L"Light")},
                    {L"3", SettingText(L"bar_dark", L"Dark")}};
    c.push_back(std::move(dark));
    ControlDescriptor show = Bar(L"showmode", ControlKind::Combo, L"Show the bar", L"0", SettingEffect::MenuBar);
    show.choices = {{L"0", SettingText(L"bar_showalways", L"Always")},
                    {L"1", SettingText(L"bar_showpointer", L"Hide when the pointer leaves it")},
                    {L"2", SettingText(L"bar_showcovered", L"Hide when a window reaches under it")}};
    c.push_back(std::move(show));
    c.push_back(Bar(L"autocolor", ControlKind::CheckBox, L"Take the colour of the active program", L"0",
                    SettingEffect::MenuBar));
    c.push_back(Bar(L"findermenu", ControlKind::CheckBox, L"Show the active program's menus", L"1",
                    SettingEffect::MenuBarItems));
    c.push_back(Bar(L"lockbtn", ControlKind::CheckBox, L"Lock the order of the status items", L"0", SettingEffect::None));
    c.push_back(ItemOrderControl(store));
    c.push_back(Bar(L"messageboxshutdown", ControlKind::CheckBox, L"Ask before shutting down or restarting", L"0",
                    SettingEffect::None));

    ControlDescriptor date = Clock(L"datefmt", ControlKind::Combo, L"Date", L"");
    date.listChoices = [&store, sample] { return PresetChoices(DatePresets(store), sample, true); };
    c.push_back(std::move(date));
    c.push_back(Clock(L"datefmt_customenable", ControlKind::CheckBox, L"Custom date format", L"0"));
    ControlDescriptor customDate = Clock(L"datefmt_custom", ControlKind::EditText, L"Date format", L"");
    customDate.tip = {L"", L"", L"yyyy-MM-dd dddd ddd"};
    customDate.enableWhen = foundation::EnableWhen{L"datefmt_customenable", {L"1"}};
    c.push_back(std::move(customDate));

    ControlDescriptor time = Clock(L"timefmt", ControlKind::Combo, L"Time", L"HH:mm");
    time.listChoices = [&store, sample] { return PresetChoices(TimePresets(store), sample, false); };
    c.push_back(std::move(time));
    c.push_back(Clock(L"timefmt_customenable", ControlKind::CheckBox, L"Custom time format", L"0"));
    ControlDescriptor customTime = Clock(L"timefmt_custom", ControlKind::EditText, L"Time format", L"");
    customTime.tip = {L"", L"", L"tt HH:mm:ss"};
    customTime.enableWhen = foundation::EnableWhen{L"timefmt_customenable", {L"1"}};
    c.push_back(std::move(customTime));

    // Seconds are part of the time pattern in effect: the switch edits that pattern.
    ControlDescriptor seconds = Clock(L"seconds", ControlKind::CheckBox, L"Show seconds", L"0");
    seconds.key.clear();
    seconds.custom = foundation::CustomValue{
        [&store] { return LoadClockPatterns(store).time.find(L":s") != std::wstring::npos ? L"1" : L"0"; },
        [&store](const std::wstring& value) {
            const bool custom = store.ReadInt(kSection, L"timefmt_customenable") == 1;
            const std::wstring key = custom ? L"timefmt_custom" : L"timefmt";
            const std::wstring now = LoadClockPatterns(store).time;
            return store.WriteString(kSection, key, value == L"1" ? WithSeconds(now) : WithoutSeconds(now));
        }};
    c.push_back(std::move(seconds));

    for (const ItemSwitch& item : kItemSwitches) c.push_back(ItemSwitchControl(store, item));

    // A music player's desktop lyrics in the bar's free middle; the bars are made again.
    c.push_back(Bar(L"musicLyrics", ControlKind::CheckBox, L"Show a music player's desktop lyrics in the bar", L"0",
                    SettingEffect::MenuBarItems));
    ControlDescriptor lyricsColour = Bar(L"musicLyrics_color", ControlKind::CheckBox,
                                         L"Draw the lyrics in the bar's text colour", L"0", SettingEffect::MenuBarItems);
    lyricsColour.enableWhen = foundation::EnableWhen{L"bar_musicLyrics", {L"1"}};
    c.push_back(std::move(lyricsColour));
    return page;
}

} // namespace kestrana::menubar
