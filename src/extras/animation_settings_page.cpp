#include "extras/animation_settings_page.h"

#include "extras/minimise_settings.h"
#include "foundation/config_store.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrana::extras {
namespace {

using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingText;

// The duration factors the page offers, labelled by speed (the shortest duration is the
// fastest) as the minimise settings name them.
struct Speed {
    int percent;
    const wchar_t* stored;
};
constexpr std::array<Speed, 8> kSpeeds{
    {{25, L"0.25"}, {40, L"0.4"}, {50, L"0.5"}, {67, L"0.67"}, {80, L"0.8"}, {100, L"1"}, {150, L"1.5"}, {200, L"2"}}};

foundation::TextRef SpeedText(const Speed& speed) {
    return {L"", L"", SpeedLabel(static_cast<float>(speed.percent) / 100.0f)};
}

ControlDescriptor Control(std::wstring section, std::wstring id, std::wstring key, ControlKind kind,
                          foundation::TextRef label, std::wstring defaultValue) {
    ControlDescriptor control;
    control.id = std::move(id);
    control.section = std::move(section);
    control.key = std::move(key);
    control.kind = kind;
    control.label = std::move(label);
    control.defaultValue = std::move(defaultValue);
    return control;
}

// The open or close animation: on, effect and speed (a percentage of the normal length).
void EntranceControls(std::vector<ControlDescriptor>& c, const wchar_t* section, const wchar_t* prefix,
                      foundation::TextRef onLabel) {
    const std::wstring p(prefix);
    c.push_back(Control(section, p + L"enable", L"enable", ControlKind::CheckBox, std::move(onLabel), L"0"));
    ControlDescriptor effect = Control(section, p + L"effect", L"AnimationEffect", ControlKind::Combo,
                                       SettingText(L"windowseffect", L"Effect"), L"0");
    effect.choices = {{L"0", SettingText(L"windowseffectzoom", L"Zoom")},
                      {L"1", SettingText(L"windowseffectfade", L"Fade")},
                      {L"2", SettingText(L"windowseffectrise", L"Rise")}};
    effect.enableWhen = foundation::EnableWhen{p + L"enable", {L"1"}};
    c.push_back(std::move(effect));
    ControlDescriptor speed = Control(section, p + L"speed", L"AnimationSpeed", ControlKind::Combo,
                                      SettingText(L"Animationspeed", L"Speed"), L"100");
    for (const Speed& s : kSpeeds) speed.choices.push_back({std::to_wstring(s.percent), SpeedText(s)});
    speed.enableWhen = foundation::EnableWhen{p + L"enable", {L"1"}};
    c.push_back(std::move(speed));
}

} // namespace

std::vector<std::wstring> ExcludedPrograms(const foundation::ConfigStore& store) {
    std::vector<std::wstring> keys, programs;
    store.ReadSection(L"blacklistwindows", {}, &keys, nullptr);
    for (const std::wstring& key : keys) {
        if (key.empty() || store.ReadInt(L"blacklistwindows", key) == 0) continue;
        if (std::find(programs.begin(), programs.end(), key) == programs.end()) programs.push_back(key);
    }
    return programs;
}

bool IncludeProgram(foundation::ConfigStore& store, const std::wstring& program) {
    if (program.empty() || !store.HasKey(L"blacklistwindows", program)) return false;
    return store.DeleteKey(L"blacklistwindows", program);
}

std::wstring SpeedChoiceOf(float factor) {
    if (!std::isfinite(factor) || factor <= 0) factor = 1.0f;
    const float percent = factor * 100.0f;
    const Speed* best = &kSpeeds[5];
    for (const Speed& s : kSpeeds)
        if (std::fabs(static_cast<float>(s.percent) - percent) < std::fabs(static_cast<float>(best->percent) - percent))
            best = &s;
    return best->stored;
}

foundation::PageDescriptor AnimationSettingsPage(foundation::ConfigStore& store, std::shared_ptr<std::wstring> excludedChoice) {
    foundation::PageDescriptor page{L"animations", SettingText(L"pageanimations", L"Animations"), {}};
    auto& c = page.controls;

    // Minimising: on unless the first run's "1" was taken back.
    c.push_back(Control(L"minimize", L"enabled", L"enabled", ControlKind::CheckBox,
                        SettingText(L"minimizeenabled", L"Animate minimising"), L"0"));
    ControlDescriptor effect = Control(L"minimize", L"effect", L"effect", ControlKind::Combo,
                                       SettingText(L"minimizeeffect", L"Minimise effect"), L"genie");
    effect.choices = {{L"genie", SettingText(L"effectgenie", L"Genie")},
                      {L"scale", SettingText(L"effectscalemin", L"Scale")},
                      {L"suck", SettingText(L"effectsuck", L"Suck")}};
    // Any other text plays the genie: shown as such.
    effect.custom = foundation::CustomValue{
        [&store] {
            switch (EffectFromText(store.ReadString(L"minimize", L"effect"))) {
            case MinimiseEffect::Scale: return std::wstring(L"scale");
            case MinimiseEffect::Suck: return std::wstring(L"suck");
            default: return std::wstring(L"genie");
            }
        },
        [&store](const std::wstring& value) { return store.WriteString(L"minimize", L"effect", value); }};
    effect.enableWhen = foundation::EnableWhen{L"enabled", {L"1"}};
    c.push_back(std::move(effect));

    ControlDescriptor speed = Control(L"minimize", L"Animationspeed", L"Animationspeed", ControlKind::Combo,
                                      SettingText(L"Animationspeed", L"Speed"), L"1");
    for (const Speed& s : kSpeeds) speed.choices.push_back({s.stored, SpeedText(s)});
    speed.custom = foundation::CustomValue{
        [&store] {
            if (!store.HasKey(L"minimize", L"Animationspeed")) return std::wstring(L"1");
            return SpeedChoiceOf(store.ReadFloat(L"minimize", L"Animationspeed"));
        },
        [&store](const std::wstring& value) { return store.WriteString(L"minimize", L"Animationspeed", value); }};
    speed.enableWhen = foundation::EnableWhen{L"enabled", {L"1"}};
    c.push_back(std::move(speed));
    for (const auto& [key, label] : {std::pair{L"mintoico", L"Minimise into the program's icon"},
                                     std::pair{L"slowdown", L"Slow motion while Shift is held"}}) {
        ControlDescriptor check = Control(L"minimize", key, key, ControlKind::CheckBox, SettingText(key, label), L"0");
        check.enableWhen = foundation::EnableWhen{L"enabled", {L"1"}};
        c.push_back(std::move(check));
    }

    EntranceControls(c, L"WindowsOpen", L"open", SettingText(L"windowsopen", L"Animate windows that open"));
    EntranceControls(c, L"WindowsClose", L"close", SettingText(L"windowsclose", L"Animate windows that close"));
    c.push_back(Control(L"normal", L"windowscenter", L"windowscenter", ControlKind::CheckBox,
                        SettingText(L"windowscenter", L"Open windows in the middle of the screen"), L"0"));

    c.push_back(foundation::PickFromList(L"blacklistwindows", SettingText(L"blacklistwindows", L"Programs never animated"),
                                         [&store] { return ExcludedPrograms(store); }, std::move(excludedChoice)));
    c.push_back(foundation::ActionButton(L"animinclude", SettingText(L"animinclude", L"Animate this program again"),
                                         kAnimationIncludeAction));
    return page;
}

} // namespace kestrana::extras
