#include "extras/stage_settings_page.h"

namespace kestrana::extras {
namespace {

using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingText;

ControlDescriptor Control(std::wstring key, ControlKind kind, std::wstring textKey, std::wstring label, bool perMonitor) {
    ControlDescriptor control;
    control.id = key;
    control.key = std::move(key);
    control.kind = kind;
    // Each monitor keeps its own; nothing is written beside it for all monitors.
    control.section = L"stagemanager";
    control.perMonitor = perMonitor;
    control.label = SettingText(std::move(textKey), std::move(label));
    control.defaultValue = L"0";
    control.effect = foundation::SettingEffect::StageManager;
    return control;
}

} // namespace

foundation::PageDescriptor StageManagerSettingsPage(std::function<std::vector<foundation::Choice>()> monitors) {
    foundation::PageDescriptor page{L"stagemanager", SettingText(L"pagestagemanager", L"Stage manager"), {}};
    auto& c = page.controls;
    c.push_back(foundation::MonitorChoiceControl(std::move(monitors)));
    c.push_back(Control(L"stagemanager_enable", ControlKind::CheckBox, L"stagemanager_enable",
                        L"Stage manager on this monitor", true));
    const foundation::EnableWhen whenOn{L"stagemanager_enable", {L"1"}};
    ControlDescriptor right = Control(L"stagemanager_listright", ControlKind::CheckBox, L"stagemanager_listright",
                                      L"Column on the right edge", true);
    right.enableWhen = whenOn;
    c.push_back(std::move(right));
    ControlDescriptor mode = Control(L"stagemanager_listshowmode", ControlKind::Combo, L"stagemanager_listshowmode",
                                     L"Show the column", true);
    mode.choices = {{L"0", {L"settingUI", L"stagemanager_mode0", L"Always"}},
                    {L"1", {L"settingUI", L"stagemanager_mode1", L"When the pointer is near"}},
                    {L"2", {L"settingUI", L"stagemanager_mode2", L"While no window covers it"}}};
    mode.enableWhen = whenOn;
    c.push_back(std::move(mode));
    // 0 stands for the sizes that follow the monitor (an eighth of its height, 40 pixels, 5 slots).
    ControlDescriptor size = Control(L"stagemanager_windowssize", ControlKind::EditNumber, L"stagemanager_windowssize",
                                     L"Slot size", true);
    size.minimum = 40;
    size.maximum = 600;
    size.zeroIsAutomatic = true;
    size.enableWhen = whenOn;
    c.push_back(std::move(size));
    ControlDescriptor space = Control(L"stagemanager_space", ControlKind::EditNumber, L"stagemanager_space",
                                      L"Space between slots", true);
    space.minimum = 1;
    space.maximum = 200;
    space.zeroIsAutomatic = true;
    space.enableWhen = whenOn;
    c.push_back(std::move(space));
    ControlDescriptor count = Control(L"stagemanager_count", ControlKind::EditNumber, L"stagemanager_count",
                                      L"Most windows in the column", true);
    count.minimum = 1;
    count.maximum = 20;
    count.zeroIsAutomatic = true;
    count.enableWhen = whenOn;
    c.push_back(std::move(count));
    ControlDescriptor border = Control(L"stagemanager_listborder", ControlKind::CheckBox, L"stagemanager_listborder",
                                       L"Border around the column", true);
    border.enableWhen = whenOn;
    c.push_back(std::move(border));
    c.push_back(Control(L"stagemanager_showwindowtitle", ControlKind::CheckBox, L"stagemanager_showwindowtitle",
                        L"Show window titles in the column", false));
    return page;
}

} // namespace kestrana::extras
