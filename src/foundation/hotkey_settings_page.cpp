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
    {HotkeyId::FocusDock, L"Move the keyboard to the dock"},
    {HotkeyId::FocusBar, L"Move the keyboard to the menu bar"},
};

// What the binding holds now, its default included while neither value was written.
std::wstring Stored(const ConfigStore& store, const HotkeyKeys& keys, bool modifier) {
    const BindingRead read = ReadHotkeyBinding(store, keys.id);
    if (!read.problem.empty()) return std::to_wstring(store.ReadInt(L"hotkey", modifier ? keys.modifier : keys.key));
    return std::to_wstring(modifier ? read.binding.modifiers : read.binding.key);
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
        modifier.defaultValue = std::to_wstring(keys.defaultModifiers);
        for (const auto& choice : choices) modifier.choices.push_back({std::to_wstring(choice.value), {L"", L"", choice.label}});
        modifier.effect = SettingEffect::Hotkeys;
        modifier.custom = CustomValue{
            [&store, &keys] { return Stored(store, keys, true); },
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
        key.defaultValue = std::to_wstring(keys.defaultKey);
        key.besidePrevious = true;
        key.effect = SettingEffect::Hotkeys;
        key.enableWhen = EnableWhen{modifierKey, {L"1", L"2", L"3", L"4", L"5", L"6", L"7"}};
        key.custom = CustomValue{[&store, &keys] { return Stored(store, keys, false); },
                                 [&store, keyKey, hasDefault = keys.defaultKey != 0](const std::wstring& value) {
                                     const auto number = ParseWholeNumber(value);
                                     if (!number || *number < 0 || *number > 254) return false;
                                     // A binding with a default stays off only while a value says so.
                                     if (*number == 0 && hasDefault) return store.WriteInt(L"hotkey", keyKey, 0);
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
