#include "launchers/stack_settings.h"

#include <cstdlib>

namespace kestrana::launchers {
namespace {

constexpr int kLocateStep = 100;

// Moves a value `step` towards zero (the locate-folder flag goes off) or away from it.
int TowardZero(int value) { return value < 0 ? value + kLocateStep : value - kLocateStep; }
int AwayFromZero(int value) { return value < 0 ? value - kLocateStep : value + kLocateStep; }

int WithoutLocate(int value) { return std::abs(value) > kLocateStep ? TowardZero(value) : value; }

} // namespace

StackLayout LayoutFromEffect(int effect) {
    switch (effect) {
    case 2: return StackLayout::Fan;
    case 3: return StackLayout::List;
    default: return StackLayout::Grid;
    }
}

SortOrder DecodeSortOrder(int value) {
    SortOrder order;
    const int magnitude = std::abs(value);
    order.locate = magnitude > kLocateStep;
    order.key = order.locate ? magnitude - kLocateStep : magnitude;
    order.reverse = value < 0;
    // A stored value from a newer version with an unknown key sorts by listing order.
    if (order.key > 5) order.key = 0;
    return order;
}

FolderStackSettings ReadFolderStackSettings(const foundation::ConfigStore& store, std::wstring_view folder) {
    FolderStackSettings s;
    s.sortValue = store.ReadInt(L"foldersortorder", folder);
    std::wstring_view effectKey = folder;
    if (!store.HasKey(L"foldereffect", effectKey) && effectKey.size() > 1 && effectKey.back() == L'\\')
        effectKey.remove_suffix(1);
    s.effect = store.ReadInt(L"foldereffect", effectKey);
    if (s.effect < 0 || s.effect > 3) s.effect = 0;
    s.stackIcon = store.ReadInt(L"stack", folder) == 1;
    return s;
}

StackBehaviour ReadStackBehaviour(const foundation::ConfigStore& store) {
    return {store.ReadInt(L"normal", L"folderDoubleclickOpen") == 1, store.ReadInt(L"normal", L"foldernoopen") == 1};
}

gfx::Menu FolderItemMenu(const FolderStackSettings& settings, const foundation::ConfigStore& texts, StackLayout shown) {
    const SortOrder order = settings.Order();
    auto text = [&](const wchar_t* key, const wchar_t* fallback) { return texts.LanguageText(L"menu", key, fallback); };
    auto heading = [&](const wchar_t* key, const wchar_t* fallback) {
        return gfx::MenuItem::Command(0, text(key, fallback), false, false);
    };
    struct Sort {
        const wchar_t* key;
        const wchar_t* fallback;
    };
    static constexpr Sort kSorts[] = {{L"Byname", L"Name"},
                                      {L"Byextension", L"Kind"},
                                      {L"Bydate/time", L"Date Modified"},
                                      {L"Createtime", L"Date Created"},
                                      {L"Groupdirectories", L"Folders First"}};
    gfx::Menu menu;
    menu.push_back(heading(L"sortorder", L"Sort by"));
    for (int n = 1; n <= 5; ++n) {
        const Sort& sort = kSorts[n - 1];
        menu.push_back(gfx::MenuItem::Command(kStackSortFirst + n - 1, text(sort.key, sort.fallback), order.key == n));
    }
    menu.push_back(gfx::MenuItem::Command(kStackReverse, text(L"reverseorder", L"Reverse Order"), order.reverse));
    menu.push_back(gfx::MenuItem::Rule());
    menu.push_back(heading(L"Display", L"Display as"));
    menu.push_back(gfx::MenuItem::Command(kStackShowFolder, text(L"Folder", L"Folder"), !order.locate && !settings.stackIcon));
    menu.push_back(gfx::MenuItem::Command(kStackShowPile, text(L"Stack", L"Stack"), !order.locate && settings.stackIcon));
    menu.push_back(gfx::MenuItem::Command(kStackLocate, text(L"Locatefolder", L"Open Folder"), order.locate));
    const StackLayout layout = shown;
    menu.push_back(gfx::MenuItem::Sub(
        text(L"FolderEffect", L"View content as"),
        {gfx::MenuItem::Command(kStackGrid, text(L"Grid", L"Grid"), layout == StackLayout::Grid),
         gfx::MenuItem::Command(kStackFan, text(L"Fan", L"Fan"), layout == StackLayout::Fan),
         gfx::MenuItem::Command(kStackList, text(L"menufold", L"List"), layout == StackLayout::List)}));
    return menu;
}

FolderStackSettings SettingsAfterCommand(const FolderStackSettings& before, int command, StackCommandResult* result) {
    FolderStackSettings s = before;
    StackCommandResult r;
    r.handled = true;
    const int v = before.sortValue;
    if (command >= kStackSortFirst && command <= kStackSortLast) {
        const int n = command - kStackSortFirst + 1;
        int value = DecodeSortOrder(v).locate ? n + kLocateStep : n;
        s.sortValue = v < 0 ? -value : value;
        r.resort = true;
    } else if (command == kStackReverse) {
        s.sortValue = -v;
        r.resort = true;
    } else if (command == kStackShowFolder || command == kStackShowPile) {
        s.sortValue = WithoutLocate(v);
        s.stackIcon = command == kStackShowPile;
        r.iconChanged = true;
    } else if (command == kStackLocate) {
        // Sort key 0 cannot carry the flag, so an unsorted folder takes the name order with it.
        if (v == 0) s.sortValue = 1 + kLocateStep;
        else s.sortValue = std::abs(v) > kLocateStep ? TowardZero(v) : AwayFromZero(v);
        s.stackIcon = false;
        r.iconChanged = true;
    } else if (command >= kStackGrid && command <= kStackList) {
        s.effect = command - kStackGrid + 1;
    } else {
        r.handled = false;
    }
    if (result) *result = r;
    return s;
}

StackCommandResult ApplyStackCommand(foundation::ConfigStore& store, std::wstring_view folder, int command) {
    const FolderStackSettings before = ReadFolderStackSettings(store, folder);
    StackCommandResult result;
    const FolderStackSettings after = SettingsAfterCommand(before, command, &result);
    if (!result.handled) return result;
    if (command >= kStackGrid && command <= kStackList) {
        store.WriteInt(L"foldereffect", folder, after.effect);
        return result;
    }
    store.WriteInt(L"foldersortorder", folder, after.sortValue);
    if (result.iconChanged) store.WriteInt(L"stack", folder, after.stackIcon ? 1 : 0);
    return result;
}

} // namespace kestrana::launchers
