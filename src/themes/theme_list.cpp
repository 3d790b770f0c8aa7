#include "themes/theme_list.h"

#include "foundation/text.h"

#include <algorithm>

namespace kestrana::themes {

namespace {

using foundation::ConfigStore;
using foundation::EqualsIgnoreCase;

std::wstring DisplayName(const ConfigStore& store, const std::wstring& name) {
    const std::wstring themeIni = ThemeFolder(store.BaseFolder(), name) + L"theme.ini";
    if (!store.Files().IsFile(themeIni)) {
        return name;
    }
    const std::wstring label(foundation::TrimBlanks(store.ReadString(L"config", L"name", {}, themeIni)));
    return label.empty() ? name : label;
}

// `marker` is the part of a theme folder that qualifies it for this list; `isFolder`
// says whether the marker is a folder or a file.
std::vector<ThemeListEntry> List(const ConfigStore& store, std::wstring_view marker, bool isFolder,
                                 const std::wstring& current) {
    const foundation::FileSystem& files = store.Files();
    std::vector<std::wstring> names;
    for (const auto& entry : files.List(store.BaseFolder() + L"themes")) {
        if (!entry.isDirectory || !IsThemeName(entry.name)) {
            continue;
        }
        const std::wstring path = ThemeFolder(store.BaseFolder(), entry.name) + std::wstring(marker);
        if (isFolder ? files.IsDirectory(path) : files.IsFile(path)) {
            names.push_back(entry.name);
        }
    }
    // The order a Windows volume lists folders in, whatever the file system underneath.
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        const std::wstring la = foundation::AsciiLower(a), lb = foundation::AsciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    const bool hasDefault = std::any_of(names.begin(), names.end(),
                                        [](const std::wstring& n) { return EqualsIgnoreCase(n, kDefaultTheme); });
    if (!hasDefault) {
        names.insert(names.begin(), std::wstring(kDefaultTheme));
    }

    std::vector<ThemeListEntry> out;
    out.reserve(names.size() + 2);
    for (const std::wstring& name : names) {
        ThemeListEntry e;
        e.name = name;
        e.label = DisplayName(store, name);
        e.listId = int(out.size());
        e.current = EqualsIgnoreCase(name, current);
        out.push_back(std::move(e));
    }
    ThemeListEntry workshop;
    workshop.label = store.LanguageText(L"menu", L"Workshop", L"Workshop");
    workshop.listId = kListIdWorkshop;
    out.push_back(std::move(workshop));
    ThemeListEntry newTheme;
    newTheme.label = store.LanguageText(L"workshop", L"newtheme", L"New theme");
    newTheme.listId = kListIdNewTheme;
    out.push_back(std::move(newTheme));
    return out;
}

} // namespace

std::vector<ThemeListEntry> ListDockSkins(const ConfigStore& store) {
    std::wstring current = store.ReadString(L"themes", L"dockskin");
    if (!IsThemeName(current)) {
        current = kDefaultTheme;
    }
    return List(store, L"dockskin\\config.ini", false, current);
}

std::vector<ThemeListEntry> ListClockSkins(const ConfigStore& store, const ThemeChoices& choices) {
    return List(store, L"clock\\config.ini", false, choices.TimeSkin());
}

std::vector<ThemeListEntry> ListIconSets(const ConfigStore& store, const ThemeChoices& choices) {
    return List(store, L"icons", true, choices.DockIcons());
}

} // namespace kestrana::themes
