#include "dock/dock_settings_page.h"

#include "dock/display_mode.h"
#include "foundation/config_store.h"

namespace kestrana::dock {
namespace {

using foundation::Choice;
using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingEffect;
using foundation::SettingText;

ControlDescriptor Control(std::wstring key, ControlKind kind, std::wstring label, SettingEffect effect,
                          std::wstring defaultValue) {
    ControlDescriptor control;
    control.id = key;
    control.kind = kind;
    control.section = L"normal";
    control.label = SettingText(key, std::move(label));
    control.key = std::move(key);
    control.effect = effect;
    control.defaultValue = std::move(defaultValue);
    return control;
}

ControlDescriptor Slider(std::wstring key, std::wstring label, int minimum, int maximum, std::wstring defaultValue) {
    ControlDescriptor control = Control(std::move(key), ControlKind::Slider, std::move(label), SettingEffect::Dock,
                                        std::move(defaultValue));
    control.minimum = minimum;
    control.maximum = maximum;
    return control;
}

ControlDescriptor Check(std::wstring key, std::wstring label, SettingEffect effect, bool on) {
    return Control(std::move(key), ControlKind::CheckBox, std::move(label), effect, on ? L"1" : L"0");
}

ControlDescriptor Combo(std::wstring key, std::wstring label, SettingEffect effect, std::wstring defaultValue,
                        std::vector<std::pair<const wchar_t*, const wchar_t*>> labels, int firstValue) {
    ControlDescriptor control = Control(std::move(key), ControlKind::Combo, std::move(label), effect,
                                        std::move(defaultValue));
    int value = firstValue;
    for (const auto& [textKey, text] : labels) control.choices.push_back({std::to_wstring(value++), SettingText(textKey, text)});
    return control;
}

using Controls = std::vector<ControlDescriptor>;

// The sizes are the chosen monitor's; the window clamps the icon size to 25-196.
void AddSizes(Controls& c) {
    ControlDescriptor size = Slider(L"defaultsize", L"Icon size", 25, 196, L"64");
    size.perMonitor = true;
    c.push_back(std::move(size));
    ControlDescriptor maximum = Slider(L"maxsize", L"Maximum size", 25, 256, L"128");
    maximum.perMonitor = true;
    maximum.alsoGeneral = true;
    maximum.enableWhen = foundation::EnableWhen{L"dockicoeffect", {L"1", L"4"}};
    c.push_back(std::move(maximum));
}

// The effect under the pointer, its two lights, and the spacing.
void AddEffect(Controls& c) {
    c.push_back(Combo(L"dockicoeffect", L"Magnification", SettingEffect::Dock, L"1",
                      {{L"effectnone", L"None"},
                       {L"effectscale", L"Magnify"},
                       {L"effectselect", L"Highlight"},
                       {L"effectlight", L"Light"},
                       {L"effectscalelight", L"Magnify and light"},
                       {L"effectselectlight", L"Highlight and light"}},
                      0));
    for (const auto& [key, label] : {std::pair{L"dockicoeffect_bglight", L"Background light"},
                                     std::pair{L"dockicoeffect_icolight", L"Icon light"}}) {
        ControlDescriptor light = Slider(key, label, 0, 100, L"50");
        light.enableWhen = foundation::EnableWhen{L"dockicoeffect", {L"3", L"4", L"5"}};
        c.push_back(std::move(light));
    }
    c.push_back(Slider(L"iconspace", L"Icon spacing", 0, 20, L"0"));
}

void AddPlacement(Controls& c) {
    c.push_back(Combo(L"screenposition", L"Position on screen", SettingEffect::DockRebuild, L"2",
                      {{L"positionleft", L"Left"}, {L"positionbottom", L"Bottom"}, {L"positionright", L"Right"},
                       {L"positiontop", L"Top"}},
                      1));
    c.push_back(Combo(L"multiscreen", L"Screens", SettingEffect::DockRebuild, L"0",
                      {{L"multiscreenone", L"One dock"},
                       {L"multiscreenfollow", L"One dock that follows the pointer"},
                       {L"multiscreenall", L"A dock on every screen"}},
                      0));
}

ControlDescriptor DisplayModeControl(const foundation::ConfigStore& store) {
    ControlDescriptor mode = Combo(L"displaymode", L"Display mode", SettingEffect::Dock, L"1", {}, 1);
    const wchar_t* modeTexts[] = {L"Always show",
                                  L"Show, windows may cover it",
                                  L"Hide when the pointer leaves",
                                  L"Hide when a window covers it",
                                  L"Never hide",
                                  L"Show and hide with the hotkey",
                                  L"Hide, show only on request",
                                  L"Stay on top of everything",
                                  L"Stay on the desktop"};
    for (int value = 1; value <= 9; ++value) {
        const std::wstring key(DisplayModeKey(DisplayModeFromSetting(value)));
        mode.choices.push_back({std::to_wstring(value), SettingText(key, modeTexts[value - 1])});
    }
    // The hotkey mode needs the dock's hotkey; auto-hiding conflicts with the border.
    mode.refuse = [&store](const std::wstring& value) -> std::optional<foundation::TextRef> {
        const std::wstring_view tip = ModeChoiceRefusal(DisplayModeFromSetting(std::stoi(value)),
                                                        store.ReadInt(L"hotkey", L"dock2") != 0,
                                                        store.ReadBool(L"normal", L"border"));
        if (tip.empty()) return std::nullopt;
        return foundation::TextRef{L"settingtips", std::wstring(tip), L"This display mode cannot be chosen now."};
    };
    return mode;
}

void AddRowSwitches(Controls& c) {
    c.push_back(Check(L"border", L"Border", SettingEffect::Dock, false));
    c.push_back(Check(L"lockicon", L"Lock Dock Items", SettingEffect::None, false));
    c.push_back(Check(L"showicontag", L"Show labels", SettingEffect::Dock, true));
    c.push_back(Check(L"runicon", L"Show running indicators", SettingEffect::Dock, false));
    c.push_back(Check(L"jumpicon", L"Bounce when opening", SettingEffect::None, false));
}

ControlDescriptor MinimiseControl() {
    ControlDescriptor minimise = Combo(L"minicopos", L"Minimise windows into", SettingEffect::None, L"0",
                                       {{L"dockmin_lastico", L"Before the last item"},
                                        {L"dockmin_right", L"After the last item"},
                                        {L"dockmin_rightandlim", L"After a separator of their own"}},
                                       0);
    minimise.section = L"minimize";
    return minimise;
}

} // namespace

foundation::PageDescriptor DockSettingsPage(const foundation::ConfigStore& store, MonitorChoices monitors) {
    foundation::PageDescriptor page{L"dock", SettingText(L"pagedock", L"Dock"), {}};
    auto& c = page.controls;
    c.push_back(foundation::MonitorChoiceControl(std::move(monitors)));
    AddSizes(c);
    AddEffect(c);
    AddPlacement(c);
    c.push_back(DisplayModeControl(store));
    AddRowSwitches(c);
    c.push_back(MinimiseControl());
    return page;
}

} // namespace kestrana::dock
