#include "launchers/launchpad_settings_page.h"

#include "foundation/config_store.h"
#include "launchers/catalogue_sources.h"
#include "launchers/launchpad_catalogue.h"

#include <algorithm>

namespace kestrana::launchers {
namespace {

using foundation::Choice;
using foundation::ControlDescriptor;
using foundation::ControlKind;
using foundation::SettingEffect;
using foundation::SettingText;

ControlDescriptor Control(std::wstring key, ControlKind kind, foundation::TextRef label) {
    ControlDescriptor control;
    control.id = key;
    control.key = std::move(key);
    control.kind = kind;
    control.section = L"normal";
    control.label = std::move(label);
    return control;
}

// A size of the Launchpad's monitor: 0 leaves it to the screen's size.
ControlDescriptor MonitorNumber(std::wstring key, foundation::TextRef label, int minimum, int maximum) {
    ControlDescriptor control = Control(std::move(key), ControlKind::EditNumber, std::move(label));
    control.perMonitor = true;
    control.minimum = minimum;
    control.maximum = maximum;
    control.zeroIsAutomatic = true;
    control.defaultValue = L"0";
    control.tip = {L"settingtips", L"padautomatictip", L"0: as the screen's size gives it."};
    return control;
}

} // namespace

std::vector<std::wstring> ExcludedApplications(const foundation::ConfigStore& store) {
    std::vector<std::wstring> keys, values, excluded;
    store.ReadSection(L"delete", kPadSettingsFile, &keys, &values);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // As the scans read it: a line that holds 0 excludes nothing.
        if (keys[i].empty() || store.ReadInt(L"delete", keys[i], kPadSettingsFile) == 0) continue;
        if (std::find(excluded.begin(), excluded.end(), keys[i]) == excluded.end()) excluded.push_back(keys[i]);
    }
    return excluded;
}

bool IncludeApplication(foundation::ConfigStore& store, const std::wstring& path) {
    if (path.empty() || !store.HasKey(L"delete", path, kPadSettingsFile)) return false;
    return store.DeleteKey(L"delete", path, kPadSettingsFile);
}

foundation::PageDescriptor LaunchpadSettingsPage(foundation::ConfigStore& store,
                                                 std::function<std::vector<Choice>()> monitors, Confirm confirm,
                                                 std::shared_ptr<std::wstring> excludedChoice) {
    foundation::PageDescriptor page{L"launchpad", SettingText(L"pagelaunchpad", L"Launchpad"), {}};
    auto& c = page.controls;

    ControlDescriptor screen = Control(L"screenpad", ControlKind::Combo, SettingText(L"multiscreenpad", L"Show Launchpad on"));
    screen.defaultValue = L"";
    screen.listChoices = [monitors] {
        std::vector<Choice> choices{{L"", SettingText(L"padscreenname", L"The screen with the pointer")}};
        if (monitors)
            for (auto& monitor : monitors()) choices.push_back(std::move(monitor));
        return choices;
    };
    c.push_back(std::move(screen));

    // The sizes below belong to one monitor: the one picked here.
    c.push_back(foundation::MonitorChoiceControl(std::move(monitors)));
    c.push_back(MonitorNumber(L"padico_size", SettingText(L"padicosize", L"Icon size"), 64, 256));
    c.push_back(MonitorNumber(L"padicospace_width", SettingText(L"padicospacex", L"Horizontal spacing"), 1, 400));
    c.push_back(MonitorNumber(L"padicospace_height", SettingText(L"padicospacey", L"Vertical spacing"), 1, 300));

    ControlDescriptor source = Control(L"padicotype", ControlKind::Combo, SettingText(L"padicotype", L"Applications shown"));
    source.defaultValue = L"0";
    const std::pair<const wchar_t*, const wchar_t*> sources[] = {
        {L"padicotype0", L"Only the ones added to Launchpad"},
        {L"padicotype1", L"The Start menu's applications"},
        {L"padicotype2", L"The desktop's shortcuts"},
        {L"padicotype3", L"The Start menu's applications and the desktop's shortcuts"}};
    for (int i = 0; i < 4; ++i) source.choices.push_back({std::to_wstring(i), SettingText(sources[i].first, sources[i].second)});
    source.tip = {L"settingtips", L"restarttip", L"Restart Kestrana for the change to take effect."};
    // A source with no arrangement of its own yet is arranged anew: asked first.
    source.refuse = [&store, confirm](const std::wstring& value) -> std::optional<foundation::TextRef> {
        const int choice = ClampSourceChoice(std::stoi(value));
        if (store.Files().IsFile(store.BaseFolder() + CatalogueFileName(choice))) return std::nullopt;
        const std::wstring question = store.LanguageText(
            L"settingtips", L"padicotypetips", L"Launchpad will arrange the applications of this source anew. Continue?");
        if (confirm && confirm(question)) return std::nullopt;
        return foundation::TextRef{L"settingtips", L"padicotypekept", L"The applications shown stay as they were."};
    };
    source.custom = foundation::CustomValue{
        [&store] { return std::to_wstring(ReadSourceChoice(store)); },
        [&store](const std::wstring& value) {
            // Asked already (above): the catalogue's rule writes it and empties the icon caches.
            const ChoicePrompts agreed{{}, [](const std::wstring&) { return true; }};
            SetSourceChoice(store, std::stoi(value), agreed);
            return ReadSourceChoice(store) == ClampSourceChoice(std::stoi(value));
        }};
    source.effect = SettingEffect::Restart;
    c.push_back(std::move(source));

    // The exclusion list: the entry chosen here is what "show again" takes off it.
    c.push_back(foundation::PickFromList(L"padicoblacklist", SettingText(L"padicoblacklist", L"Applications left out"),
                                         [&store] { return ExcludedApplications(store); }, std::move(excludedChoice)));
    c.push_back(foundation::ActionButton(L"padinclude", SettingText(L"padblacklist", L"Show in Launchpad again"), kPadIncludeAction,
                       {L"settingtips", L"padincludetip", L"The chosen application returns with the next scan."}));

    c.push_back(foundation::ActionButton(L"padexport", SettingText(L"padexport", L"Export\u2026"), kPadExportAction,
                       {L"settingtips", L"padexporttip", L"Saves the Launchpad's arrangement and its own shortcuts in pad.zip."}));
    c.push_back(foundation::ActionButton(L"padimport", SettingText(L"padimport", L"Import\u2026"), kPadImportAction,
                       {L"settingtips", L"padimporttip", L"Takes the arrangement and shortcuts of a pad.zip."}));
    return page;
}

foundation::PageDescriptor FolderStackSettingsPage() {
    foundation::PageDescriptor page{L"folderstacks", SettingText(L"pagefolderstacks", L"Folder stacks"), {}};
    ControlDescriptor twice = Control(L"folderDoubleclickOpen", ControlKind::CheckBox,
                                      SettingText(L"folderDoubleclickOpen", L"Open items with a double click"));
    twice.defaultValue = L"0";
    page.controls.push_back(std::move(twice));
    ControlDescriptor noOpen = Control(L"foldernoopen", ControlKind::CheckBox,
                                       SettingText(L"foldernoshowopen", L"Hide the button that opens the folder"));
    noOpen.defaultValue = L"0";
    page.controls.push_back(std::move(noOpen));
    return page;
}

} // namespace kestrana::launchers
