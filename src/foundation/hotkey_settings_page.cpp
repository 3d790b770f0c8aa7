#include "foundation/hotkey_settings_page.h"

#include "foundation/config_store.h"

namespace kestrana::foundation {
namespace {

struct BindingLabel {
    HotkeyId id;
    const wchar_t* fallback;
};

constexpr BindingLabel kLabels[] = {
    {HotkeyId::Dock, L"Show or hide the dock"},
    {HotkeyId::Launchpad, L"Launchpad"},
    {HotkeyId::VolumeUp, L"Volume up"},
    {HotkeyId::VolumeDown, L"Volume down"},
    {HotkeyId::VolumeMute, L"Mute"},
    {HotkeyId::BrightnessUp, L"Brightness up"},
    {HotkeyId::BrightnessDown, L"Brightness down"},
    {HotkeyId::MicrophoneUp, L"Microphone up"},
    {HotkeyId::MicrophoneDown, L"Microphone down"},
    {HotkeyId::MicrophoneMute, L"Microphone mute"},
    {HotkeyId::Border, L"Dock border"},
    {HotkeyId::StageManager, L"Stage manager"},
    {HotkeyId::Taskbar, L"Show or hide the taskbar"},
};

std::wstring Stored(const ConfigStore& store, std::wstring_view key) {
    return std::to_wstring(store.ReadInt(L"hotkey", key));
}

} // namespace

PageDescriptor HotkeySettingsPage(ConfigStore& store, HotkeyStatusOf status) {
    PageDescriptor page{L"hotkeys", SettingText(L"pagehotkeys", L"Hotkeys"), {}};
    const auto choices = ModifierChoices(store.LanguageText(L"settingUI", L"hotkeymodifiers", L"- |Ctrl |Shift |Alt "));
    for (const auto& [id, fallback] : kLabels) {
        const HotkeyKeys& keys = *FindHotkey(static_cast<int>(id));
        const std::wstring modifierKey(keys.modifier);
        const std::wstring keyKey(keys.key);

        ControlDescriptor modifier;
        modifier.id = modifierKey;
        modifier.kind = ControlKind::Combo;
        modifier.section = L"hotkey";
        modifier.key = modifierKey;
        modifier.label = SettingText(L"hotkey" + std::wstring(keys.name), fallback);
        modifier.defaultValue = L"0";
        for (const auto& choice : choices) modifier.choices.push_back({std::to_wstring(choice.value), {L"", L"", choice.label}});
        modifier.effect = SettingEffect::Hotkeys;
        modifier.custom = CustomValue{
            [&store, modifierKey] { return Stored(store, modifierKey); },
            [&store, modifierKey, keyKey](const std::wstring& value) {
                const auto number = ParseWholeNumber(value);
                if (!number) return false;
                if (!store.WriteInt(L"hotkey", modifierKey, static_cast<std::int32_t>(*number))) return false;
                // No modifier means no binding: the key goes with it.
                return *number != 0 || !store.HasKey(L"hotkey", keyKey) || store.DeleteKey(L"hotkey", keyKey);
            }};
        page.controls.push_back(std::move(modifier));

        ControlDescriptor key;
        key.id = keyKey;
        key.kind = ControlKind::Hotkey;
        key.section = L"hotkey";
        key.key = keyKey;
        key.label = SettingText(L"hotkey" + std::wstring(keys.name), fallback);
        key.defaultValue = L"0";
        key.besidePrevious = true;
        key.effect = SettingEffect::Hotkeys;
        key.enableWhen = EnableWhen{modifierKey, {L"1", L"2", L"3", L"4", L"5", L"6", L"7"}};
        key.custom = CustomValue{[&store, keyKey] { return Stored(store, keyKey); },
                                 [&store, keyKey](const std::wstring& value) {
                                     const auto number = ParseWholeNumber(value);
                                     if (!number || *number < 0 || *number > 254) return false;
                                     if (*number == 0)
                                         return !store.HasKey(L"hotkey", keyKey) || store.DeleteKey(L"hotkey", keyKey);
                                     return store.WriteInt(L"hotkey", keyKey, static_cast<std::int32_t>(*number));
                                 }};
        key.note = [status, id = id]() -> std::optional<TextRef> {
            if (!status || status(id) != HotkeyStatus::Refused) return std::nullopt;
            return TextRef{L"settingtips", L"hotkeyrefused", L"Another program holds this combination; it is not active."};
        };
        page.controls.push_back(std::move(key));
    }
    return page;
}

} // namespace kestrana::foundation
