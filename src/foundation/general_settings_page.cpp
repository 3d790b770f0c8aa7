#include "foundation/general_settings_page.h"

#include "foundation/config_store.h"
#include "foundation/text.h"

#include <algorithm>

namespace kestrana::foundation {

std::vector<Choice> LanguageChoices(const ConfigStore& store) {
    std::vector<Choice> choices;
    for (const auto& entry : store.Files().List(store.BaseFolder() + L"lang")) {
        if (entry.isDirectory || entry.name.size() <= 4) continue;
        const std::wstring extension = AsciiLower(entry.name.substr(entry.name.size() - 4));
        if (extension != L".ini") continue;
        const std::wstring language = entry.name.substr(0, entry.name.size() - 4);
        std::wstring name = store.LanguageText(L"language", L"name", L"", language);
        choices.push_back({language, {L"", L"", name.empty() ? language : name}});
    }
    std::sort(choices.begin(), choices.end(), [](const Choice& a, const Choice& b) { return a.value < b.value; });
    return choices;
}

PageDescriptor GeneralSettingsPage(ConfigStore& store, AutostartPort autostart, bool unsafeFolder) {
    PageDescriptor page{L"general", SettingText(L"pagegeneral", L"General"), {}};

    ControlDescriptor language;
    language.id = L"language";
    language.kind = ControlKind::Combo;
    language.section = L"normal";
    language.key = L"language";
    language.label = SettingText(L"language", L"Language");
    language.tip = {L"settingtips", L"restarttip", L"Restart Kestrana for the change to take effect."};
    language.listChoices = [&store] { return LanguageChoices(store); };
    // The language in use is the one shown; a choice takes effect for texts read from now
    // on, and wholly after the restart the page offers.
    language.custom = CustomValue{[&store] { return store.ReadString(L"normal", L"language", store.CurrentLanguage()); },
                                  [&store](const std::wstring& value) {
                                      if (!store.WriteString(L"normal", L"language", value)) return false;
                                      store.SetCurrentLanguage(value);
                                      return true;
                                  }};
    language.effect = SettingEffect::Restart;
    page.controls.push_back(std::move(language));

    ControlDescriptor start;
    start.id = L"autostart";
    start.kind = ControlKind::Combo;
    start.label = SettingText(L"autostart", L"Start with Windows");
    const wchar_t* keys[] = {L"autostartnone", L"autostartrun", L"autostarttask", L"autostartservice"};
    const wchar_t* texts[] = {L"Do not start", L"When I sign in", L"When I sign in, as administrator",
                              L"As a service"};
    for (int mode = 0; mode < 4; ++mode) start.choices.push_back({std::to_wstring(mode), SettingText(keys[mode], texts[mode])});
    if (autostart.read && autostart.write) {
        start.custom = CustomValue{
            [read = autostart.read] { return std::to_wstring(static_cast<int>(read())); },
            [write = autostart.write](const std::wstring& value) {
                const auto mode = static_cast<AutostartMode>(std::stoi(value));
                return write(mode) == mode;
            }};
        start.reading = CustomReading::Slow; // the registry and the task scheduler
    }
    page.controls.push_back(std::move(start));

    ControlDescriptor taskbar;
    taskbar.id = L"hidetaskbar";
    taskbar.kind = ControlKind::CheckBox;
    taskbar.section = L"normal";
    taskbar.key = L"hidetaskbar";
    taskbar.label = SettingText(L"hidetaskbar", L"Hide the Windows taskbar");
    taskbar.defaultValue = L"0";
    taskbar.effect = SettingEffect::Restart;
    page.controls.push_back(std::move(taskbar));

    page.controls.push_back(ActionButton(L"restart", SettingText(L"restartdock", L"Restart Kestrana"), L"restart"));
    if (unsafeFolder) {
        page.controls.push_back(ActionButton(
            L"unsafefolder", SettingText(L"openprogramfolder", L"Open the program's folder"), kOpenProgramFolderAction,
            {L"settingtips", L"unsafefolder",
             L"Kestrana runs as administrator from a folder that other users can change, so its helpers do not run "
             L"with administrator rights. Move Kestrana into a folder only administrators can change, such as Program "
             L"Files."}));
    }
    return page;
}

} // namespace kestrana::foundation
