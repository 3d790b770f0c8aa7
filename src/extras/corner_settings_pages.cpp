#include "extras/corner_settings_pages.h"

#include "extras/hot_corners.h"
#include "extras/screen_corner_caps.h"
#include "foundation/config_store.h"

#include <memory>

namespace kestrana::extras {
namespace {

using foundation::Choice;
using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingEffect;
using foundation::SettingText;
using foundation::TextRef;

std::vector<Choice> ActionChoices() {
    std::vector<Choice> choices;
    for (int value = 0; value <= kLastCornerAction; ++value) {
        const ActionLabel label = LabelOf(static_cast<CornerAction>(value));
        choices.push_back({std::to_wstring(value), TextRef{L"hotcorners", std::wstring(label.key), std::wstring(label.fallback)}});
    }
    return choices;
}

std::vector<std::wstring> ActionValues() {
    std::vector<std::wstring> values;
    for (int value = 1; value <= kLastCornerAction; ++value) values.push_back(std::to_wstring(value));
    return values;
}

} // namespace

foundation::PageDescriptor HotCornersSettingsPage(foundation::ConfigStore& store, bool windows11) {
    foundation::PageDescriptor page{L"hotcorners", SettingText(L"pagehotcorners", L"Hot corners"), {}};
    // More than one action a corner is the exception: until the user asks for it, a new
    // first action clears the other slots so the corner runs it at once.
    const auto keys = {SlotKeys(Corner::BottomLeft), SlotKeys(Corner::BottomRight)};
    bool anyExtra = false;
    for (const auto& slots : keys) anyExtra = anyExtra || store.ReadInt(L"normal", slots[1]) != 0;
    auto extra = std::make_shared<bool>(anyExtra);

    ControlDescriptor more;
    more.id = L"hotcornersmore";
    more.kind = ControlKind::CheckBox;
    more.label = SettingText(L"hotcornersmore", L"Several actions per corner");
    more.custom = foundation::CustomValue{[extra] { return std::wstring(*extra ? L"1" : L"0"); },
                                          [extra](const std::wstring& value) {
                                              *extra = value == L"1";
                                              return true;
                                          }};

    const auto refuseWidgets = [windows11](const std::wstring& value) -> std::optional<TextRef> {
        if (windows11 || value != std::to_wstring(static_cast<int>(CornerAction::Widgets))) return std::nullopt;
        return TextRef{L"settingtips", L"widgetswin11", L"Windows widgets are only there on Windows 11."};
    };
    const wchar_t* cornerLabels[] = {L"Bottom left", L"Bottom right"};
    const wchar_t* cornerKeys[] = {L"hotcornerleft", L"hotcornerright"};
    int corner = 0;
    for (const auto& slots : keys) {
        for (std::size_t slot = 0; slot < 3; ++slot) {
            ControlDescriptor c;
            c.id = std::wstring(slots[slot]);
            c.key = c.id;
            c.kind = ControlKind::Combo;
            c.section = L"normal";
            c.defaultValue = L"0";
            c.choices = ActionChoices();
            c.refuse = refuseWidgets;
            if (slot == 0) {
                c.label = SettingText(cornerKeys[corner], cornerLabels[corner]);
                c.custom = foundation::CustomValue{
                    [&store, key = c.key] {
                        const int value = store.ReadInt(L"normal", key);
                        return std::to_wstring(value >= 0 && value <= kLastCornerAction ? value : 0);
                    },
                    [&store, extra, slots](const std::wstring& value) {
                        if (!store.WriteString(L"normal", slots[0], value)) return false;
                        if (*extra) return true;
                        (void)store.DeleteKey(L"normal", slots[1]);
                        (void)store.DeleteKey(L"normal", slots[2]);
                        return true;
                    }};
            } else {
                c.label = SettingText(std::wstring(cornerKeys[corner]) + std::to_wstring(slot + 1),
                                      slot == 1 ? L"Second action" : L"Third action");
                c.enableWhen = slot == 1 ? foundation::EnableWhen{L"hotcornersmore", {L"1"}}
                                         : foundation::EnableWhen{std::wstring(slots[1]), ActionValues()};
            }
            page.controls.push_back(std::move(c));
        }
        ++corner;
    }
    page.controls.push_back(std::move(more));
    return page;
}

foundation::PageDescriptor ScreenCornersSettingsPage(std::function<std::vector<Choice>()> monitors,
                                                     std::function<bool()> uiAccessPossible) {
    foundation::PageDescriptor page{L"screencorners", SettingText(L"pagescreencorners", L"Screen corners"), {}};
    auto& c = page.controls;

    c.push_back(foundation::MonitorChoiceControl(std::move(monitors)));

    // The monitor's own section holds these; nothing writes them to "normal", so a monitor
    // without them reads the defaults.
    auto perMonitor = [](std::wstring key, ControlKind kind, TextRef label, std::wstring defaultValue) {
        ControlDescriptor control;
        control.id = key;
        control.key = std::move(key);
        control.kind = kind;
        control.section = L"normal";
        control.perMonitor = true;
        control.label = std::move(label);
        control.defaultValue = std::move(defaultValue);
        control.effect = SettingEffect::ScreenCorners;
        return control;
    };
    c.push_back(perMonitor(L"screenround", ControlKind::CheckBox, SettingText(L"screenround_show", L"Rounded corners"),
                           L"0"));
    ControlDescriptor size = perMonitor(L"screenroundsize", ControlKind::EditNumber,
                                        SettingText(L"screenround_size", L"Corner size"),
                                        std::to_wstring(kDefaultCornerRadius));
    size.minimum = 1;
    size.maximum = kMaxCornerRadius;
    size.enableWhen = foundation::EnableWhen{L"screenround", {L"1"}};
    c.push_back(std::move(size));
    ControlDescriptor color = perMonitor(L"screenroundcolor", ControlKind::EditNumber,
                                         SettingText(L"screenround_color", L"Corner colour"), L"0");
    color.maximum = 0xFFFFFF;
    color.tip = TextRef{L"settingtips", L"screenround_color", L"A colour value: red + 256 × green + 65536 × blue."};
    color.enableWhen = foundation::EnableWhen{L"screenround", {L"1"}};
    c.push_back(std::move(color));

    ControlDescriptor uiAccess;
    uiAccess.id = L"screenroundUiAccess";
    uiAccess.key = uiAccess.id;
    uiAccess.kind = ControlKind::CheckBox;
    uiAccess.section = L"normal";
    uiAccess.label = SettingText(L"uiaccesstop", L"Keep the corners above every window");
    uiAccess.defaultValue = L"0";
    uiAccess.effect = SettingEffect::ScreenCorners;
    uiAccess.refuse = [possible = std::move(uiAccessPossible)](const std::wstring& value) -> std::optional<TextRef> {
        if (value != L"1" || (possible && possible())) return std::nullopt;
        return TextRef{L"settingtips", L"uiaccessunsigned",
                       L"Windows grants this only to a signed program installed under Program Files; the corners are "
                       L"kept by the plain corner process."};
    };
    c.push_back(std::move(uiAccess));
    return page;
}

} // namespace kestrana::extras
