#include "dock/item_list.h"

#include "dock/item_labels.h"
#include "dock/item_list_save.h"
#include "foundation/text.h"

#include <algorithm>
#include <mutex>

namespace kestrana::dock {

using foundation::AsciiLower;
using foundation::ConfigStore;
using foundation::FileSystem;

namespace {

// The longest text the system's own expansion produces.
constexpr std::size_t kMaxExpandedUnits = 32767;

bool IsAsciiAlnum(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

void ReplaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
    for (std::size_t at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The value of "--app-id=" up to the next blank, without quotes around it.
std::wstring ArgumentValue(std::wstring_view text, std::wstring_view option) {
    const auto at = text.find(option);
    if (at == std::wstring_view::npos) return {};
    auto value = text.substr(at + option.size());
    value = value.substr(0, value.find_first_of(L" \t"));
    while (!value.empty() && (value.front() == L'"' || value.front() == L'\'')) value.remove_prefix(1);
    while (!value.empty() && (value.back() == L'"' || value.back() == L'\'')) value.remove_suffix(1);
    return std::wstring(value);
}

// A pinned web application keeps its id in the launch line; one pinned by dropping its
// shortcut keeps it in the arguments instead.
std::wstring AppIdOf(const Dockico& item) {
    std::wstring id = ArgumentValue(item.realpath, L"--app-id=");
    return id.empty() ? ArgumentValue(item.runline, L"--app-id=") : id;
}

std::wstring_view LastComponent(std::wstring_view path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Kinds 0 and 1: the program's file name without its extension, a folder's own name.
std::wstring ProgramKey(const Dockico& item, bool folder) {
    std::wstring_view name = LastComponent(item.appname);
    if (folder) return std::wstring(name.empty() ? LastComponent(item.realpath) : name);
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && dot > 0) name = name.substr(0, dot);
    return std::wstring(name);
}

bool SafeFileName(std::wstring_view name) {
    return !name.empty() && name.find_first_of(L"\\/:*?\"<>|") == std::wstring_view::npos && name != L"." &&
           name != L"..";
}

// Whether the load may ask the file system about a path (see ItemShell::IsRemote).
bool Local(const std::wstring& path, const ItemShell* shell) {
    return !path.empty() && (shell ? !shell->IsRemote(path) : !ItemShell::IsSharePath(path));
}

// A path as the item keeps it: variables expanded, short names made long, lower case.
std::wstring ExpandPath(std::wstring path, const ItemShell& shell) {
    if (path.find(L'%') != std::wstring::npos) path = ExpandEnvironment(path, shell);
    if (path.find(L'~') != std::wstring::npos && Local(path, &shell)) {
        std::wstring longName = shell.LongPathName(path);
        if (!longName.empty()) path = std::move(longName);
    }
    return AsciiLower(path);
}

AppKind KindOf(int uwp) {
    return uwp >= 0 && uwp <= static_cast<int>(AppKind::FirefoxWebApp) ? static_cast<AppKind>(uwp) : AppKind::Program;
}

// A copy that is whole or absent at every instant: the content is written by replace.
bool CopyWhole(FileSystem& files, const std::wstring& from, const std::wstring& to) {
    const auto content = files.Read(from);
    return content && files.Replace(to, *content);
}

void MigrateXml(ConfigStore& store) {
    FileSystem& files = store.Files();
    const std::wstring xml = store.BaseFolder() + std::wstring(kItemXmlFile);
    const auto bytes = files.Read(xml);
    if (!bytes) return; // unreadable now: try again at the next start
    const auto sections = ParseItemXml(*bytes);
    const bool hasItems = sections && std::any_of(sections->begin(), sections->end(),
                                                  [](const ItemKeys& keys) { return !keys.empty(); });
    // A document without items does not replace a list the user may still have.
    if (hasItems && !files.Replace(store.BaseFolder() + std::wstring(kItemFile), ComposeItemFile(*sections))) return;
    if (!files.Remove(xml) && files.ResetAttributes(xml)) files.Remove(xml);
}

} // namespace

std::vector<ItemRecord> DefaultItemRecords(const ConfigStore& store, const ItemShell& shell) {
    std::wstring windows = shell.WindowsFolder();
    while (!windows.empty() && (windows.back() == L'\\' || windows.back() == L'/')) windows.pop_back();
    if (windows.empty()) windows = L"C:\\Windows";
    const std::wstring explorer = AsciiLower(windows + L"\\explorer.exe");

    std::vector<ItemRecord> records(6);
    records[0].tag = ItemLanguageText(store, L"iconame", L"explorer");
    records[0].appname = L"explorer.exe";
    records[0].filepath = explorer;
    records[0].realpath = explorer;
    records[1].tag = ItemLanguageText(store, L"iconame", L"launchpad");
    records[1].appname = L"launchpad|";
    records[2].tag = ItemLanguageText(store, L"iconame", L"cal");
    records[2].appname = L"cal|";
    records[3].appname = L"systemtime";
    records[4].delimiter = true;
    records[5].tag = ItemLanguageText(store, L"iconame", L"trash");
    records[5].appname = L"trash|";
    return records;
}

bool ItemShell::IsSharePath(std::wstring_view path) {
    const auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (path.size() < 3 || !slash(path[0]) || !slash(path[1])) return false;
    // "\\?\" and "\\.\" open the local device names, except for "UNC\" after them.
    if (path[2] == L'?' || path[2] == L'.')
        return path.size() > 8 && slash(path[3]) && foundation::EqualsIgnoreCase(path.substr(4, 3), L"UNC") &&
               slash(path[7]);
    return true;
}

std::wstring ExpandEnvironment(std::wstring_view text, const ItemShell& shell) {
    std::wstring out;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != L'%') {
            out += text[at++];
            continue;
        }
        const auto close = text.find(L'%', at + 1);
        if (close == std::wstring_view::npos) {
            out.append(text.substr(at));
            break;
        }
        const auto name = text.substr(at + 1, close - at - 1);
        const auto value = name.empty() ? std::nullopt : shell.EnvironmentVariable(name);
        if (value) {
            out += *value;
            at = close + 1;
        } else {
            // Unknown: kept as written, and its closing mark may open the next reference.
            out += L'%';
            out.append(name);
            at = close;
        }
        if (out.size() > kMaxExpandedUnits) return std::wstring(text);
    }
    if (foundation::Utf16Length(out) > kMaxExpandedUnits) return std::wstring(text);
    return out;
}

std::wstring CleanVirtualPath(std::wstring_view value, const ItemShell& shell, const FileSystem& files) {
    if (value.empty()) return {};
    if (foundation::Utf16Length(value) == 16 && std::all_of(value.begin(), value.end(), IsAsciiAlnum)) return {};
    std::wstring path(value);
    if ((Local(path, &shell) && files.IsFile(path)) || !shell.ParsesAsShellItem(L"shell:AppsFolder\\" + path)) return {};
    const auto open = path.find(L'{');
    if (open != std::wstring::npos && path.find(L'\\') != std::wstring::npos) {
        const auto close = path.find(L'}', open);
        if (close != std::wstring::npos) {
            const std::wstring folder = shell.KnownFolderPath(std::wstring_view(path).substr(open, close - open + 1));
            // A known folder may be redirected to a share.
            const std::wstring file = folder.empty() ? std::wstring() : path.substr(0, open) + folder + path.substr(close + 1);
            if (Local(file, &shell) && files.IsFile(file)) return {};
        }
    }
    return path;
}

void AssignIdentity(Dockico& item, const FileSystem& files, std::wstring_view baseFolder, const ItemShell* shell) {
    const bool folder = Local(item.realpath, shell) && files.IsDirectory(item.realpath);
    std::wstring key;
    switch (item.appKind) {
    case AppKind::Android:
        ReplaceAll(item.filepath, L"wsa:\\", L"wsa://");
        key = item.filepath;
        ReplaceAll(key, L"wsa://", L"");
        break;
    case AppKind::AppIdProgram:
        key = AppIdOf(item);
        break;
    case AppKind::BrowserWebApp:
        key = AppIdOf(item);
        if (!key.empty()) item.filepath = key;
        break;
    case AppKind::FirefoxWebApp: {
        static constexpr std::wstring_view kPrefix = L"filips.firefoxpwa.";
        if (const auto at = item.filepath.find(kPrefix); at != std::wstring::npos) {
            key = item.filepath.substr(at + kPrefix.size());
        }
        break;
    }
    case AppKind::Program:
    case AppKind::Packaged:
        break;
    }
    // A web or Android entry without its id still needs a name to be found by.
    if (key.empty()) key = ProgramKey(item, folder);

    if (SafeFileName(item.appname)) {
        std::wstring picture(baseFolder);
        picture += L"png\\folder-";
        picture += item.appname;
        picture += L".png";
        if (files.IsFile(picture)) key = L"folder-" + item.appname;
    }
    for (const std::wstring_view scheme : {std::wstring_view(L"steam://rungameid/"), std::wstring_view(L"steamchina://rungameid/")}) {
        const auto at = item.realpath.find(scheme);
        if (at == std::wstring::npos) continue;
        std::wstring_view rest = std::wstring_view(item.realpath).substr(at + scheme.size());
        const auto digits = std::find_if_not(rest.begin(), rest.end(), IsAsciiDigit) - rest.begin();
        if (digits > 0) {
            key = L"steamid_" + std::wstring(rest.substr(0, static_cast<std::size_t>(digits)));
            break;
        }
    }
    item.key = std::move(key);
}

std::unique_ptr<Dockico> BuildItem(const ItemRecord& record, const ItemShell& shell, const FileSystem& files,
                                   std::wstring_view baseFolder, bool& upgraded) {
    auto item = MakeDockico(record.delimiter);
    if (record.delimiter) return item;
    item->tag = record.tag;
    item->runline = record.runline;
    item->icopath = record.icopath;
    item->appKind = KindOf(record.uwp);
    item->virtualpath = CleanVirtualPath(record.virtualpath, shell, files);
    item->appname = AsciiLower(record.appname);
    item->filepath = ExpandPath(AsciiLower(record.filepath), shell);
    item->realpath = ExpandPath(AsciiLower(record.realpath), shell);
    // A folder item keeps one path in both fields.
    if (item->filepath != item->realpath) {
        if (Local(item->filepath, &shell) && files.IsDirectory(item->filepath)) {
            item->realpath = item->filepath;
        } else if (Local(item->realpath, &shell) && files.IsDirectory(item->realpath)) {
            item->filepath = item->realpath;
        }
    }
    if (item->appname == L"macclock") {
        item->appname = L"systemtime";
        upgraded = true;
    }
    if (item->appname == L"explorer.exe" && item->virtualpath != L"microsoft.windows.explorer") {
        item->virtualpath = L"microsoft.windows.explorer";
        upgraded = true;
    }
    AssignIdentity(*item, files, baseFolder, &shell);
    return item;
}

LoadedItemList LoadItemList(ConfigStore& store, const ItemShell& shell, const foundation::CodePage& codePage) {
    std::lock_guard filesLock(ItemFilesMutex());
    FileSystem& files = store.Files();
    const std::wstring ini = store.BaseFolder() + std::wstring(kItemFile);
    const std::wstring previous = store.BaseFolder() + std::wstring(kItemPreviousFile);
    LoadedItemList loaded;

    if (files.IsFile(store.BaseFolder() + std::wstring(kItemXmlFile))) MigrateXml(store);

    // Each file is read once into a document: all of its sections come from one version.
    auto current = ReadItemFile(files, ini, codePage);
    // A list without a single section is no list; an unreadable one is left alone.
    if (current && SectionCount(current) == 0 && files.Remove(ini)) current.reset();

    std::vector<ItemRecord> records;
    bool haveRecords = false;
    // The previous list is read only when it may be needed.
    std::optional<foundation::ProfileDocument> before;
    bool beforeRead = false;
    const auto previousList = [&]() -> std::optional<foundation::ProfileDocument>& {
        if (!beforeRead) before = ReadItemFile(files, previous, codePage);
        beforeRead = true;
        return before;
    };
    if (!files.IsFile(ini)) {
        bool restored = false;
        if (SectionCount(previousList()) > 0) {
            restored = files.Rename(previous, ini) || CopyWhole(files, previous, ini);
            if (restored) {
                current = std::move(before);
                before.reset();
            }
        }
        if (!restored) {
            records = DefaultItemRecords(store, shell);
            haveRecords = true;
            loaded.source = ItemListSource::Defaults;
            std::vector<ItemKeys> sections;
            for (const auto& record : records) sections.push_back(SectionKeys(record, false));
            files.Replace(ini, ComposeItemFile(sections)); // shown even when it cannot be written
        }
    }

    if (!haveRecords) {
        const std::size_t count = SectionCount(current);
        if (count < 3 && SectionCount(previousList()) > count + 3) {
            records = ReadItemRecords(*before);
            loaded.source = ItemListSource::PreviousFile;
        } else if (current) {
            records = ReadItemRecords(*current);
        }
        if (records.empty()) {
            records = DefaultItemRecords(store, shell);
            loaded.source = ItemListSource::Defaults;
        }
    }

    const std::wstring_view base = store.BaseFolder();
    loaded.items.reserve(records.size());
    for (const ItemRecord& record : records) {
        // The row never starts with a separator, however many the file begins with.
        if (record.delimiter && loaded.items.empty()) continue;
        if (!record.delimiter && foundation::EqualsIgnoreCase(record.appname, L"update") && record.filepath.empty()) {
            continue;
        }
        auto item = BuildItem(record, shell, files, base, loaded.saveRequested);
        // An item left without a single value (a virtualpath that did not stay, say) is
        // no item: a save would drop it.
        if (!item->delimiter && SectionKeys(RecordOf(*item), false).empty()) continue;
        loaded.items.push_back(std::move(item));
    }

    if (store.ReadString(L"minimize", L"minicopos").empty()) {
        store.WriteInt(L"minimize", L"minicopos", 0);
        loaded.saveRequested = true;
    }
    return loaded;
}

void ReplaceItems(DockItems& row, std::vector<std::unique_ptr<Dockico>> items) {
    std::vector<std::unique_ptr<Dockico>> old;
    {
        std::lock_guard lock(row.ListMutex());
        while (!row.Empty()) old.push_back(row.Take(row.EndReal() - 1));
        for (auto& item : items) row.Append(std::move(item));
    }
}

} // namespace kestrana::dock
