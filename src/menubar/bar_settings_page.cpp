#include "menubar/bar_settings_page.h"

#include "foundation/config_store.h"
#include "menubar/clock_text.h"

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

foundation::PageDescriptor MenuBarSettingsPage(foundation::ConfigStore& store, PatternSample sample) {
    foundation::PageDescriptor page{L"menubar", SettingText(L"pagemenubar", L"Menu bar"), {}};
    auto& c = page.controls;

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
    return page;
}

} // namespace kestrana::menubar
