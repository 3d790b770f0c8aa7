#include "themes/theme_settings_page.h"

#include "foundation/config_store.h"
#include "gfx/bitmap.h"
#include "themes/dock_skin_preview.h"
#include "themes/surface_appearance.h"
#include "themes/theme_chooser.h"
#include "themes/theme_files.h"
#include "themes/theme_list.h"

#include <memory>

namespace kestrana::themes {
namespace {

using foundation::Choice;
using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingEffect;
using foundation::SettingText;

using Lister = std::vector<ThemeListEntry> (*)(const foundation::ConfigStore&, const ThemeChoices&);

// A theme list as choices: the themes only, not the list's command rows.
std::vector<Choice> Themes(const std::vector<ThemeListEntry>& entries) {
    std::vector<Choice> choices;
    for (const auto& entry : entries)
        if (!entry.IsCommand()) choices.push_back({entry.name, {L"", L"", entry.label}});
    return choices;
}

std::wstring Current(const std::vector<ThemeListEntry>& entries) {
    for (const auto& entry : entries)
        if (entry.current) return entry.name;
    return L"default";
}

// The choices live in the running program; a page on its own keeps a set of its own.
std::shared_ptr<ThemeChoices> Shared(foundation::ConfigStore& store, ThemeChoices* choices) {
    if (choices) return std::shared_ptr<ThemeChoices>(choices, [](ThemeChoices*) {});
    return std::make_shared<ThemeChoices>(store);
}

ControlDescriptor ThemeCombo(std::wstring id, foundation::TextRef label, foundation::ConfigStore& store,
                             std::shared_ptr<ThemeChoices> choices, Lister list,
                             bool (ThemeChooser::*choose)(std::wstring_view)) {
    ControlDescriptor control;
    control.id = std::move(id);
    control.kind = ControlKind::Combo;
    control.section = L"themes";
    control.label = std::move(label);
    control.listChoices = [&store, choices, list] { return Themes(list(store, *choices)); };
    control.custom = foundation::CustomValue{
        [&store, choices, list] { return Current(list(store, *choices)); },
        [&store, choices, choose](const std::wstring& name) {
            // The docks load the new skin and icons when they are built again (the effect).
            ThemeChooser chooser(store, *choices);
            return (chooser.*choose)(name);
        }};
    control.effect = SettingEffect::DockRebuild;
    return control;
}

std::vector<ThemeListEntry> DockSkins(const foundation::ConfigStore& store, const ThemeChoices&) {
    return ListDockSkins(store);
}

// A surface's backdrop: its switch, and its amounts while the switch is on.
void SurfaceControls(std::vector<ControlDescriptor>& c, Surface surface, foundation::TextRef label, SettingEffect effect) {
    const SurfaceKeys keys = KeysFor(surface);
    ControlDescriptor on;
    on.id = keys.enable;
    on.key = keys.enable;
    on.section = L"themes";
    on.kind = ControlKind::CheckBox;
    on.label = std::move(label);
    on.defaultValue = L"0";
    on.effect = effect;
    c.push_back(std::move(on));
    const std::pair<const wchar_t*, foundation::TextRef> amounts[] = {
        {keys.opacity, SettingText(L"themeopacity", L"Opacity")},
        {keys.stroke, SettingText(L"themestroke", L"Border")},
        {keys.blur, SettingText(L"themeblur", L"Blur")}};
    for (const auto& [key, text] : amounts) {
        if (!key) continue;
        ControlDescriptor amount;
        amount.id = key;
        amount.key = key;
        amount.section = L"themes";
        amount.kind = ControlKind::Slider;
        amount.label = text;
        amount.minimum = 0;
        amount.maximum = 100;
        amount.defaultValue = L"0";
        amount.effect = effect;
        amount.enableWhen = foundation::EnableWhen{keys.enable, {L"1"}};
        c.push_back(std::move(amount));
    }
}

// The chosen skin with the chosen icon set, as the dock will show them.
foundation::ControlDescriptor SkinPreview(foundation::ConfigStore& store, std::shared_ptr<ThemeChoices> choices,
                                          const gfx::ImageDecoder& decoder) {
    return foundation::PictureOf(
        L"dockskinpreview", SettingText(L"dockskinpreview", L"Dock preview"),
        [&store, choices, &decoder](int width, int height, bool dark) -> std::vector<std::uint32_t> {
            gfx::Bitmap picture(width, height);
            if (picture.Empty()) return {};
            const ThemeFiles icons(store.Files(), store.BaseFolder(), *choices);
            if (!DrawDockSkinPreview(picture, store, icons, decoder, Current(ListDockSkins(store)), dark)) return {};
            return {picture.Pixels().begin(), picture.Pixels().end()};
        });
}

} // namespace

foundation::PageDescriptor ThemeSettingsPage(foundation::ConfigStore& store, ThemeChoices* choices,
                                             const gfx::ImageDecoder* decoder) {
    foundation::PageDescriptor page{L"themes", SettingText(L"pagethemes", L"Themes"), {}};
    auto& c = page.controls;
    const auto shared = Shared(store, choices);
    c.push_back(ThemeCombo(L"dockskin", SettingText(L"dockskin", L"Dock skin"), store, shared, DockSkins,
                           &ThemeChooser::ChooseDockSkin));
    c.push_back(ThemeCombo(L"dockicons", SettingText(L"dockicons", L"Icon set"), store, shared, ListIconSets,
                           &ThemeChooser::ChooseIconSet));
    if (decoder) c.push_back(SkinPreview(store, shared, *decoder));
    c.push_back(ThemeCombo(L"timeskin", SettingText(L"timeskin", L"Clock skin"), store, shared, ListClockSkins,
                           &ThemeChooser::ChooseClockSkin));
    // Each surface reads its backdrop when it is drawn again.
    SurfaceControls(c, Surface::Dock, SettingText(L"enable_dock", L"Translucent dock"), SettingEffect::Dock);
    SurfaceControls(c, Surface::MenuBar, SettingText(L"enable_finder", L"Translucent menu bar"), SettingEffect::Restart);
    SurfaceControls(c, Surface::Menu, SettingText(L"enable_menu", L"Translucent menus"), SettingEffect::None);
    SurfaceControls(c, Surface::IconTag, SettingText(L"enable_icontag", L"Translucent labels"), SettingEffect::Dock);
    return page;
}

} // namespace kestrana::themes
