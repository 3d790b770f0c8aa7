#include "launchers/catalogue_sources.h"

#include "foundation/text.h"

#include <algorithm>
#include <unordered_set>

namespace kestrana::launchers {

using foundation::AsciiLower;
using foundation::ContainsIgnoreCase;

int ClampSourceChoice(int choice) { return std::clamp(choice, 0, 3); }

int ReadSourceChoice(const foundation::ConfigStore& store) {
    return ClampSourceChoice(store.ReadInt(L"normal", L"padicotype"));
}

std::wstring CatalogueFileName(int choice) {
    static constexpr const wchar_t* kNames[] = {L"padconfig.xml", L"padconfig_startmenu.xml", L"padconfig_desktop.xml",
                                                L"padconfig_startmenudesktop.xml"};
    return kNames[ClampSourceChoice(choice)];
}

bool ScansApplications(int choice) { return (ClampSourceChoice(choice) & 1) != 0; }
bool ScansDesktop(int choice) { return (ClampSourceChoice(choice) & 2) != 0; }

bool IsUninstaller(std::wstring_view path) {
    for (const std::wstring_view uninstaller : {L"uninstall.exe", L"uninstsetup.exe", L"uninst.exe"}) {
        if (ContainsIgnoreCase(path, uninstaller)) return true;
    }
    return false;
}

bool SkippedPath(std::wstring_view path) {
    return IsUninstaller(path) || ContainsIgnoreCase(path, L"http://") || ContainsIgnoreCase(path, L"https://");
}

std::wstring EntryPath(std::wstring_view parsingName) {
    if (foundation::StartsWithIgnoreCase(parsingName, L"file:///")) parsingName.remove_prefix(8);
    return std::wstring(parsingName);
}

std::wstring_view OverrideSection(EntrySource source) {
    switch (source) {
    case EntrySource::Applications: return L"startmenu";
    case EntrySource::Pinned: return L"pinned";
    case EntrySource::Desktop: break;
    }
    return {};
}

namespace {

struct ScanContext {
    const foundation::ConfigStore& store;
    const PinyinLookup& pinyin;
    const KnownNames* known;
    std::unordered_set<std::wstring> seen;
    std::vector<LaunchpadEntry> entries;
};

void AddItems(const std::vector<ShellItemInfo>& items, EntrySource source, ScanContext& scan) {
    const foundation::ConfigStore& store = scan.store;
    const std::wstring_view section = OverrideSection(source);
    for (const ShellItemInfo& item : items) {
        std::wstring path = EntryPath(item.path);
        if (path.empty() || SkippedPath(path)) continue;
        if (source != EntrySource::Pinned && store.ReadInt(L"delete", path, kPadSettingsFile) != 0) continue;
        // One entry per path, even where two folders show the same item.
        std::wstring lower = AsciiLower(path);
        if (!scan.seen.insert(lower).second) continue;
        LaunchpadEntry entry;
        entry.name = item.name;
        if (entry.name.empty() && scan.known) {
            if (const auto it = scan.known->find(lower); it != scan.known->end()) entry.name = it->second;
        }
        if (!section.empty()) {
            if (auto own = store.ReadString(section, path, {}, kPadSettingsFile); !own.empty()) entry.name = std::move(own);
        }
        if (entry.name.empty()) continue; // nothing to show under the icon, nothing to key its files by
        entry.path = std::move(path);
        entry.source = source;
        entry.SetKey(entry.name, scan.pinyin);
        scan.entries.push_back(std::move(entry));
    }
}

} // namespace

std::vector<LaunchpadEntry> ScanSources(int choice, const ApplicationShell& shell, const foundation::ConfigStore& store,
                                        const std::wstring& pinnedFolder, const PinyinLookup& pinyin,
                                        const KnownNames* known) {
    ScanContext scan{store, pinyin, known, {}, {}};
    if (ScansApplications(choice)) {
        auto applications = shell.NonFolderItems(ShellFolder::Applications, {}, known);
        if (!applications || applications->empty()) {
            // No applications folder (Wine, some locked-down machines): the Start menu
            // holds the same programs as shortcuts.
            applications.emplace();
            for (const ShellFolder folder : {ShellFolder::UserPrograms, ShellFolder::CommonPrograms}) {
                if (auto items = shell.NonFolderItems(folder, {}, known)) {
                    applications->insert(applications->end(), items->begin(), items->end());
                }
            }
        }
        AddItems(*applications, EntrySource::Applications, scan);
    }
    if (ScansDesktop(choice)) {
        if (auto items = shell.NonFolderItems(ShellFolder::Desktop, {}, known)) AddItems(*items, EntrySource::Desktop, scan);
    }
    if (auto items = shell.NonFolderItems(ShellFolder::FileFolder, pinnedFolder, known)) {
        AddItems(*items, EntrySource::Pinned, scan);
    }
    return std::move(scan.entries);
}

} // namespace kestrana::launchers
