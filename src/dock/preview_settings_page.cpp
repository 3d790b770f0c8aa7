#include "dock/preview_settings_page.h"

namespace kestrana::dock {
namespace {

using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingText;

ControlDescriptor Control(std::wstring key, ControlKind kind, std::wstring textKey, std::wstring label,
                          std::wstring defaultValue) {
    ControlDescriptor control;
    control.id = key;
    control.kind = kind;
    control.section = L"DWMThumbnail";
    control.key = std::move(key);
    control.label = SettingText(std::move(textKey), std::move(label));
    // The previews read their settings again when the docks take new values.
    control.effect = foundation::SettingEffect::Dock;
    control.defaultValue = std::move(defaultValue);
    return control;
}

} // namespace

foundation::PageDescriptor PreviewSettingsPage() {
    foundation::PageDescriptor page{L"previews", SettingText(L"pagepreviews", L"Window Previews"), {}};
    auto& c = page.controls;
    c.push_back(Control(L"enabled", ControlKind::CheckBox, L"previewenabled",
                        L"Show window previews when resting on an item", L"0"));
    // The ranges are the ones the previews hold stored values to.
    ControlDescriptor delay = Control(L"delay", ControlKind::Slider, L"previewdelay",
                                      L"Delay before showing (tenths of a second)", L"1");
    delay.minimum = 1;
    delay.maximum = 10;
    c.push_back(std::move(delay));
    ControlDescriptor size = Control(L"size", ControlKind::Slider, L"previewsize", L"Picture height", L"100");
    size.minimum = 100;
    size.maximum = 300;
    c.push_back(std::move(size));
    c.push_back(Control(L"title", ControlKind::CheckBox, L"previewtitle", L"Show window titles", L"0"));
    c.push_back(Control(L"control", ControlKind::CheckBox, L"previewcontrol", L"Show the pin button", L"0"));
    return page;
}

} // namespace kestrana::dock
