#include "dock/item_labels.h"

#include <map>
#include <mutex>
#include <vector>

namespace kestrana::dock {

namespace {

struct BuiltInText {
    std::wstring_view section;
    std::wstring_view key;
    std::wstring_view text;
};

constexpr BuiltInText kBuiltInTexts[] = {
    {L"iconame", L"explorer", L"File Explorer"},
    {L"iconame", L"launchpad", L"Launchpad"},
    {L"iconame", L"cal", L"Calendar"},
    {L"iconame", L"trash", L"Trash"},
    {L"iconame", L"startmenu", L"Start"},
    {L"iconame", L"timeformat", L"HH:mm"},
    {L"systemicon", L"taskbar", L"Taskbar"},
    {L"systemicon", L"controlpanel", L"Control Panel"},
    {L"systemicon", L"network", L"Network"},
    {L"systemicon", L"weather", L"Weather"},
    {L"systemicon", L"battery", L"Battery"},
    {L"settingtips", L"backupfolderror", L"The backup could not be written."},
    {L"settingtips", L"backuptips", L"The dock's items have been backed up."},
};

struct SpecialItem {
    std::wstring_view appname;
    std::wstring_view key; // empty: the item keeps its identity key
    std::wstring_view section;
    std::wstring_view textKey;
};

constexpr SpecialItem kSpecialItems[] = {
    {L"explorer.exe", L"explorer", L"iconame", L"explorer"},
    {L"launchpad|", L"launchpad-", L"iconame", L"launchpad"},
    {L"trash|", L"trash-empty", L"iconame", L"trash"},
    {L"cal|", L"", L"iconame", L"cal"},
    {L"startmenu", L"", L"iconame", L"startmenu"},
    {L"systemtime", L"", L"iconame", L"timeformat"},
    {L"taskbar", L"", L"systemicon", L"taskbar"},
    {L"controlpanel", L"", L"systemicon", L"controlpanel"},
    {L"network", L"", L"systemicon", L"network"},
    {L"weather", L"", L"systemicon", L"weather"},
    {L"battery", L"", L"systemicon", L"battery"},
};

} // namespace

std::wstring ItemLanguageText(const foundation::ConfigStore& store, std::wstring_view section, std::wstring_view key) {
    std::wstring_view builtIn;
    for (const auto& text : kBuiltInTexts) {
        if (text.section == section && text.key == key) builtIn = text.text;
    }
    return store.LanguageText(section, key, builtIn);
}

std::optional<SpecialLabel> SpecialItemLabel(std::wstring_view appname, const foundation::ConfigStore& store,
                                             const LocalClock& clock) {
    for (const auto& special : kSpecialItems) {
        if (special.appname != appname) continue;
        SpecialLabel label{std::wstring(special.key), ItemLanguageText(store, special.section, special.textKey)};
        if (appname == L"systemtime") {
            const LocalTime now = clock.Now();
            std::wstring text = clock.FormatTime(label.tag, now);
            // A picture the locale cannot use falls back to the built-in one.
            if (text.empty()) text = clock.FormatTime(L"HH:mm", now);
            label.tag = std::move(text);
        }
        return label;
    }
    return std::nullopt;
}

void ApplyItemLabels(DockItems& row, const foundation::ConfigStore& store, const LocalClock& clock) {
    // Only the user-interface thread changes appnames, so it may read them unlocked here;
    // the language file is read before the lock is taken.
    std::map<std::wstring, SpecialLabel> labels;
    row.ForEachReal([&](std::size_t, const Dockico& item) {
        if (item.delimiter || labels.count(item.appname)) return;
        if (auto label = SpecialItemLabel(item.appname, store, clock)) labels.emplace(item.appname, std::move(*label));
    });
    if (labels.empty()) return;
    std::lock_guard lock(row.ListMutex());
    row.ForEachReal([&](std::size_t, Dockico& item) {
        if (item.delimiter) return;
        const auto found = labels.find(item.appname);
        if (found == labels.end()) return;
        if (!found->second.key.empty()) item.key = found->second.key;
        item.tag = found->second.tag;
    });
}

} // namespace kestrana::dock
